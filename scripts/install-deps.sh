#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vantri needs (run as root).
# Does nothing when they are all present already.
set -euo pipefail

packages=(build-essential cmake pkg-config googletest libgtest-dev libgmock-dev
          libbenchmark-dev nlohmann-json3-dev libtiff-dev libpng-dev libcli11-dev
          clang-format clang-tidy clang libclang-rt-14-dev)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs what building and testing Vantri needs: Debian packages (run as root), and the
# npm packages of the web checks into tests/web (the glTF validator and the browser driver,
# pinned by tests/web/package-lock.json). Does nothing when everything is present already.
set -euo pipefail
cd "$(dirname "$0")/.."

# Build: compilers, CMake, the libraries (tinygltf writes scene.glb; libjs-three's three.js
# is built into preview.html). Tests: GoogleTest, Chromium for preview.html, GNU parallel
# for the wedge; clang-format, clang-tidy and universal-ctags (which lists the functions for
# scripts/check-unused.py) for the checks of the test command; Blender and numpy for the
# Blender add-on's tests (tests/blender).
packages=(build-essential cmake pkg-config googletest libgtest-dev libgmock-dev
          libbenchmark-dev nlohmann-json3-dev libtiff-dev libpng-dev libcli11-dev libtinygltf-dev
          libjs-three chromium parallel clang-format clang-tidy clang libclang-rt-14-dev
          universal-ctags python3 blender python3-numpy)
# node and npm run the web checks; a machine may have its own node, else Debian's is used.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The web checks' packages, installed again only when the lock file changed.
web=tests/web
stamp="$web/node_modules/.installed-package-lock.json"
if ! cmp -s "$web/package-lock.json" "$stamp" 2>/dev/null; then
    echo "installing the web checks' npm packages into $web"
    (cd "$web" && npm ci --no-audit --no-fund --loglevel=error)
    cp "$web/package-lock.json" "$stamp"
fi

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: on the release build, then again on
# the asan build (address and undefined-behaviour sanitizers).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in release asan; do
    echo "== $preset: build"
    scripts/build.sh "$preset"
    echo "== $preset: test"
    ctest --preset "$preset" -j "${VANTRI_JOBS:-$(nproc)}"
done

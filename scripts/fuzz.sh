#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers) and
# runs TARGET (scene_loader_fuzz, the default, or run_results_fuzz) for SECONDS (default
# 60), seeded from examples/ and fuzz/seeds/, with the format's dictionary. Exits non-zero on any finding (crash, leak, undefined
# behaviour, timeout, out-of-memory); the input that caused it is left in
# build/fuzz/findings-TARGET/.
# VANTRI_FUZZ_SEED fixes the fuzzer's random seed (the test command uses 1); without it every
# run picks a fresh one and prints it ("Seed: N"). docs/fuzzing.md says how to run it longer.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
target="${2:-scene_loader_fuzz}"
case "$target" in
scene_loader_fuzz | run_results_fuzz) ;;
*)
    echo "fuzz.sh: unknown target '$target' (scene_loader_fuzz or run_results_fuzz)" >&2
    exit 2
    ;;
esac
jobs="${VANTRI_JOBS:-$(nproc)}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

fuzzer="build/fuzz/fuzz/$target"
corpus="${VANTRI_FUZZ_CORPUS:-build/fuzz/corpus-$target}"
findings="build/fuzz/findings-$target"
mkdir -p "$corpus" "$findings"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The corpus grows in its own folder; the seeds are read from theirs.
seed=()
[[ -n "${VANTRI_FUZZ_SEED:-}" ]] && seed=(-seed="$VANTRI_FUZZ_SEED")
"$fuzzer" "${seed[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=65536 \
    -dict=fuzz/scene.dict -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" examples fuzz/seeds

#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the code of the plug-in, the host, the scene files, the
# results and the command, using a build's compile database (release by default). Any
# finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build="build/${1:-release}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "check-tidy: no $build/compile_commands.json; build that preset first" >&2
    exit 2
fi
jobs="${VANTRI_JOBS:-$(nproc)}"
root="$(pwd)"
# The analyzer does not follow into the standard library's functions: it does not track
# comparisons of doubles, so inside std::nth_element it walks paths that cannot happen.
analyzer=(-extra-arg=-Xclang -extra-arg=-analyzer-config
          -extra-arg=-Xclang -extra-arg=c++-stdlib-inlining=false)
if ! run-clang-tidy -p "$build" -quiet -j "$jobs" "${analyzer[@]}" \
        "^$root/(plugin|abi|host|scenefile|results|app)/" > "$build/clang-tidy.log" 2>&1; then
    grep -E 'warning:|error:' "$build/clang-tidy.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u >&2 || true
    echo "check-tidy: findings above (full log: $build/clang-tidy.log)" >&2
    exit 1
fi
echo "check-tidy: no findings"

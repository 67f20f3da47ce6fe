#!/usr/bin/env bash
# Runs one of the web checks with node, from this folder so that it finds its packages; exits
# 77 (reported by CTest as skipped, not passed) when node or the packages are missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if ! command -v node >/dev/null 2>&1; then
    echo "skipped: node is not installed"
    exit 77
fi
if [ ! -d "$here/node_modules" ]; then
    echo "skipped: the web test packages are not installed (npm ci in tests/web, done by scripts/install-deps.sh)"
    exit 77
fi
script="$1"
shift
cd "$here"
exec node "$script" "$@"

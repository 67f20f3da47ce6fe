#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs the main job on the bundled
# example scene.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh release

vantri=build/release/bin/vantri
"$vantri" plugins
"$vantri" describe ocrowdgenerator
if [ -f examples/flock.json ]; then
    "$vantri" run examples/flock.json --out out/flock
    echo "results: out/flock/ (agents.csv, scene.glb, preview.html, run.json); open out/flock/preview.html in a browser"
fi

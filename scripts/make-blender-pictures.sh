#!/usr/bin/env bash
# Makes docs/images/blender-*.png: every example simulated with the Blender add-on and
# rendered by Blender's Workbench (build the release preset first).
set -euo pipefail
cd "$(dirname "$0")/.."
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME="$home" blender -b --factory-startup --python-exit-code 1 --python scripts/blender_pictures.py \
    -- build/release/bin/vantri

#!/usr/bin/env bash
# Runs one Blender test script headless: run.sh VANTRI_COMMAND TEST.py. Skipped (exit 77)
# when Blender is not installed; scripts/install-deps.sh installs it with python3-numpy.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if ! command -v blender >/dev/null 2>&1; then
    echo "blender is not installed: skipped"
    exit 77
fi
export VANTRI="$1"
export PYTHONPATH="$here${PYTHONPATH:+:$PYTHONPATH}"
# A home of its own, so that no user's Blender settings or add-ons take part.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
HOME="$home" blender -b --factory-startup --python-exit-code 1 --python "$here/$2"

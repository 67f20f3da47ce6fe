#!/usr/bin/env bash
# Makes the pictures under docs/images from the example scenes with the vantri command's
# renderer (build the release preset first). The same build makes the same pictures.
set -euo pipefail
cd "$(dirname "$0")/.."

vantri=build/release/bin/vantri
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# picture SCENE FRAME CAMERA NAME [more options]: frame FRAME of SCENE from CAMERA, as
# docs/images/NAME.png (and NAME.svg when --svg is among the options).
picture() {
    local scene=$1 frame=$2 camera=$3 name=$4
    shift 4
    "$vantri" run "$scene" --out "$work/$name" --outputs images --images "$frame" \
        --camera "$camera" --quiet "$@"
    local file
    file=$(printf '%04d' "$frame")
    cp "$work/$name/frames/$file.png" "docs/images/$name.png"
    if [ -f "$work/$name/frames/$file.svg" ]; then
        cp "$work/$name/frames/$file.svg" "docs/images/$name.svg"
    fi
}

picture examples/flock.json 60 persp flock-perspective
picture examples/guides.json 40 persp guides-perspective --svg
picture examples/guides.json 40 top guides-top
picture examples/guides.json 40 front guides-front
picture examples/terrain.json 300 persp terrain-perspective
picture examples/obstacles.json 200 top obstacles-top
picture examples/spline_loop.json 300 persp spline-loop-perspective
picture examples/crossing.json 250 top crossing-top
picture examples/target.json 150 persp target-perspective
echo "pictures in docs/images/"

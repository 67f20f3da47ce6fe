#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs the main job on the bundled
# example scene: its agents' motion, the animated glTF scene, the preview page and a few
# pictures, then says where the preview page and the pictures are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh release

vantri=build/release/bin/vantri
scene=examples/flock.json
out="$(pwd)/out/flock"

"$vantri" plugins
"$vantri" describe ocrowdgenerator
# Four pictures looking down at the flock from the front left, while it stays in the view
# framed on the first one (it walks out of it towards frame 200).
"$vantri" run "$scene" --out "$out" --images 0,50,100,150 --camera persp

pictures=("$out"/frames/*.png)
if [ ! -f "$out/preview.html" ] || [ ! -f "${pictures[0]}" ]; then
    echo "run-example: the run did not write its preview page and pictures into $out" >&2
    exit 1
fi
echo
echo "The example's results are in $out/"
echo "  preview, to open in a browser: $out/preview.html"
echo "  pictures (${#pictures[@]}):                 $out/frames/"
for picture in "${pictures[@]}"; do
    echo "    $picture"
done

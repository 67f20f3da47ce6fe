#!/usr/bin/env bash
# Makes the installable Blender add-on, build/vantri_blender.zip or the path given
# (build the release preset first: bash scripts/build.sh release). In Blender: Edit > Preferences > Add-ons >
# Install..., pick the zip, enable "Vantri Crowds". The zip holds
#   vantri_blender/                  the add-on (blender/vantri_blender)
#   vantri_blender/descriptions.json what `vantri describe --json` says of the built plug-in,
#                                    used only when no command can be run
#   vantri_blender/bin/vantri        the command, and the plug-in it loads, with its
#   vantri_blender/plugins/vantri/   resources: used when no other command is set or on PATH
# The command is built for this system: it needs the libraries the build links (libtiff,
# libpng, tinygltf), so elsewhere set the add-on's command to a build of your own.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
vantri=$build/bin/vantri
plugin=$build/plugins/vantri
for needed in "$vantri" "$plugin/vantri.so" "$plugin/res/strings.json"; do
    if [ ! -e "$needed" ]; then
        echo "make-blender-addon: $needed is missing; build first: bash scripts/build.sh release" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
package=$work/vantri_blender
mkdir -p "$package/bin" "$package/plugins"
cp blender/vantri_blender/*.py "$package/"
"$vantri" describe --json --plugin "$plugin/vantri.so" >"$package/descriptions.json"
cp "$vantri" "$package/bin/vantri"
cp -r "$plugin" "$package/plugins/vantri"

zip_path=$(realpath -m "${1:-build/vantri_blender.zip}")
rm -f "$zip_path.part"
(cd "$work" && python3 -m zipfile -c "$zip_path.part" vantri_blender)
mv "$zip_path.part" "$zip_path"
echo "wrote $zip_path"

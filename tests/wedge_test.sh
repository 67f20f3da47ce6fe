#!/usr/bin/env bash
# A wedge of four seeds run the way docs/wedges.md shows, with GNU parallel: four results
# folders, each whole, whose agents.csv all differ. Exits 77 (skipped) without parallel.
#
#   wedge_test.sh VANTRI SCENE GENERATOR
set -euo pipefail
vantri="$1"
scene="$2"
generator="$3"
if ! command -v parallel >/dev/null 2>&1; then
    echo "skipped: GNU parallel is not installed (scripts/install-deps.sh installs it)"
    exit 77
fi
wedge="$(mktemp -d "${TMPDIR:-/tmp}/vantri-wedge-XXXXXX")"
trap 'rm -rf "$wedge"' EXIT

parallel --will-cite --halt now,fail=1 --jobs 2 \
    "$vantri" run "$scene" --quiet --outputs csv --set "$generator.CROWDGEN_SEED={}" \
    --out "$wedge/seed-{}" ::: 1 2 3 4

for seed in 1 2 3 4; do
    for file in agents.csv run.json; do
        if [ ! -s "$wedge/seed-$seed/$file" ]; then
            echo "FAIL: seed $seed wrote no $file"
            exit 1
        fi
    done
    grep -q "\"$generator.CROWDGEN_SEED=$seed\"" "$wedge/seed-$seed/run.json" ||
        { echo "FAIL: run.json of seed $seed does not name its setting"; exit 1; }
done
distinct="$(md5sum "$wedge"/seed-*/agents.csv | cut -d' ' -f1 | sort -u | wc -l)"
if [ "$distinct" -ne 4 ]; then
    echo "FAIL: the four seeds gave $distinct different agents.csv"
    exit 1
fi
echo "wedge of 4 seeds through GNU parallel: 4 results folders, 4 different agents.csv"

#!/usr/bin/env bash
# Optional check (not part of the test suite): converts one animated model of
# Debian's assimp-testmodels package (apt-get install assimp-testmodels) with
# --animation --camera --light, prints the converter's lines, the motion file
# as kzodump --json shows it and the other side files' summaries, and lets
# kzoview draw a frame of the played scene.
#   scripts/show_model_scene.sh [BUILD_DIR] [MODEL [FRAME]]
# The default model is the package's ASE/anim.ASE (two objects, one moving
# and turning over 100 frames); any model file kzomaker reads will do.
set -euo pipefail
build=${1:-build}
model=${2:-/usr/share/assimp/models/ASE/anim.ASE}
frame=${3:-50}
kzomaker=$build/converter/app/kzomaker
kzodump=$build/tools/kzodump
kzoview=$build/viewer/app/kzoview
[[ -f $model ]] || { echo "no $model: apt-get install assimp-testmodels, or name a model" >&2; exit 2; }
for program in "$kzomaker" "$kzodump" "$kzoview"; do
    [[ -x $program ]] || { echo "no $program: build first" >&2; exit 2; }
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$kzomaker" --animation --camera --light --shading gouraud -o "$out" "$model"
name=$(basename "${model%.*}")
echo
"$kzodump" --json "$out/$name.mot"
for side in cam kzl; do
    if [[ -f $out/$name.$side ]]; then
        "$kzodump" --summary "$out/$name.$side"
    fi
done
"$kzoview" --snapshot "$out/frame.png" --shaded --frame "$frame" "$out/$name.kzo"
echo "kzoview drew frame $frame of the played scene: $(stat -c %s "$out/frame.png") bytes of PNG"

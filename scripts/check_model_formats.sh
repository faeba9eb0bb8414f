#!/usr/bin/env bash
# Optional check (not part of the test suite): converts the sample models of
# Debian's assimp-testmodels package (apt-get install assimp-testmodels) in the
# formats .obj .gltf .glb .fbx .dae .ply .stl .blend with every shading type,
# and prints per format how many converted and how many were refused. The
# package's folders also hold deliberately broken files, which must end in an
# "ERROR: " line, never in a crash.
#   scripts/check_model_formats.sh [BUILD_DIR]
set -uo pipefail
build=${1:-build}
models=/usr/share/assimp/models
kzomaker=$build/converter/app/kzomaker
[[ -d $models ]] || { echo "assimp-testmodels is not installed" >&2; exit 2; }
[[ -x $kzomaker ]] || { echo "no $kzomaker: build first" >&2; exit 2; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
crashed=0
for ext in obj gltf glb fbx dae ply stl blend; do
    mapfile -t files < <(find "$models" -type f -iname "*.$ext" | sort)
    for shading in 0 1 2 3 4; do
        ok=0 refused=0
        for f in "${files[@]}"; do
            "$kzomaker" -q --shading "$shading" -o "$out" "$f" >/dev/null 2>"$out/err"
            status=$?
            if ((status == 0)); then
                ok=$((ok + 1))
            elif ((status == 1)) && grep -q '^ERROR: ' "$out/err"; then
                refused=$((refused + 1))
            else
                echo "CRASH (status $status): $f" >&2
                crashed=$((crashed + 1))
            fi
            rm -f "$out"/*.kzo
        done
        echo ".$ext shading $shading: ${#files[@]} files, $ok converted, $refused refused"
    done
done
exit $((crashed > 0))

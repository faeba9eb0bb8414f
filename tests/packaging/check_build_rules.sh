#!/usr/bin/env bash
# check_build_rules.sh BUILD_DIR SOURCE_DIR
# Converts a small asset tree in a build through each way the README shows
# (kzo_add_models from the installed package under Ninja and from the build
# tree under Make, the Make rule, the ninja rule), and checks that each
# converts everything once, then nothing, then exactly the scenes that load a
# touched object, with outputs equal to a direct conversion.
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
source "$source/tests/packaging/readme_block.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
kzomaker=$prefix/bin/kzomaker

# robot.lws loads floor, base and arm; floor.lws only floor (and has no
# lights, so no .kzl); shapes.3ds is a model of its own.
assets=$work/assets
mkdir "$assets"
cp -r "$source/samples/robot.lws" "$source/samples/Objects" "$source/samples/shapes.3ds" "$assets/"
cat >"$assets/floor.lws" <<'SCENE'
LWSC
1

FirstFrame 1
LastFrame 1
FramesPerSecond 30

LoadObject Objects\floor.lwo
ObjectMotion (unnamed)
  9
  1
  0 0 0 0 0 0 1 1 1
  0 0 0.0 0.0 0.0
EndBehavior 1
SCENE

reference=$work/reference
mkdir "$reference"
(cd "$assets" && "$kzomaker" -q --animation --camera --light -o "$reference" \
    robot.lws floor.lws shapes.3ds)
[[ -f $reference/robot.kzl && ! -e $reference/floor.kzl ]] ||
    fail "the assets no longer have one scene with lights and one without"

# Every output is written to a new file renamed over the old one, so a model
# was converted when its .kzo has a new inode.
inodes() {
    [[ -d $1 ]] || return 0
    find "$1" -name '*.kzo' -printf '%f %i\n' | sort
}

# touch_after DIR FILE: gives FILE a modification time later than every
# output in DIR, however coarse the file system's clock.
touch_after() {
    local newest
    newest=$(find "$1" -type f -printf '%T@\n' | sort -n | tail -1)
    touch "$2"
    while [[ -n $newest ]] && ! awk -v a="$(stat -c %.9Y "$2")" -v b="$newest" 'BEGIN { exit !(a > b) }'; do
        touch "$2"
    done
}

# check_way NAME OUT_DIR COMMAND...: builds after touching nothing, one
# object and one model in turn.
check_way() {
    local name=$1 out=$2
    shift 2
    local log=$work/log
    step() {
        local before got
        before=$(inodes "$out")
        if [[ -n $1 ]]; then touch_after "$out" "$assets/$1"; fi
        "${@:3}" >"$log" 2>&1 || { cat "$log"; fail "$name: build failed"; }
        got=$(join <(echo "$before") <(inodes "$out") -a2 | awk '$2 != $3 { sub(/\.kzo$/, "", $1); print $1 }' | xargs)
        [[ "$got" == "$2" ]] || { cat "$log"; fail "$name: after touching '${1:-nothing}' converted '$got', not '$2'"; }
    }
    step "" "floor robot shapes" "$@"
    for f in robot.kzo robot.mot robot.cam robot.kzl floor.kzo floor.mot floor.cam shapes.kzo; do
        cmp -s "$reference/$f" "$out/$f" || fail "$name: $f differs from a direct conversion"
    done
    [[ ! -e $out/floor.kzl ]] || fail "$name: floor.kzl written for a scene without lights"
    step "" "" "$@"
    step Objects/arm.3ds "robot" "$@"
    step Objects/floor.3ds "floor robot" "$@"
    step shapes.3ds "shapes" "$@"
    echo "$name: ok"
}

# The CMake project in tests/ is the README's, word for word.
project=$source/tests/packaging/models_project/CMakeLists.txt
diff <(readme_block "$source/README.md" cmake) "$project" >/dev/null ||
    fail "README's CMake example differs from $project"
cp "$project" "$assets/CMakeLists.txt"

cmake -S "$assets" -B "$work/installed" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null ||
    fail "configuring against the install tree"
check_way "kzo_add_models (installed, Ninja)" "$work/installed/assets" \
    cmake --build "$work/installed"

# Every option of the function reaches the converter's command line.
mkdir "$work/options"
cat >"$work/options/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(options NONE)
find_package(KzoTools REQUIRED)
kzo_add_models(TARGET models OUTPUT_DIR out SHADING precalc-flat SCALE 2.5 SHADOW_TEST relative
    FPS 24 ANIMATION CAMERA LIGHT EMPTY_LIGHT_FILE FIT TEXTURE_DIR tex
    OCCLUSION BOUNCE OCCLUSION_RAYS 16 OCCLUSION_DISTANCE 0.5 SOURCES "$assets/robot.lws")
CMAKE
cmake -S "$work/options" -B "$work/options/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null ||
    fail "configuring a project with every option"
command=$(ninja -C "$work/options/build" -t commands models | grep -F "$kzomaker")
for option in "--shading precalc-flat" "--scale 2.5" "--shadow-test relative" --animation \
    --camera --light --empty-light-file --fit --deps "--fps 24" \
    "--texture-dir $work/options/build/tex" --occlusion --bounce "--occlusion-rays 16" \
    "--occlusion-distance 0.5"; do
    [[ " $command " == *" $option "* ]] || fail "kzo_add_models passes no '$option': $command"
done

cmake -S "$assets" -B "$work/tree" -G "Unix Makefiles" -DKzoTools_DIR="$build" >/dev/null ||
    fail "configuring against the build tree"
check_way "kzo_add_models (build tree, Make)" "$work/tree/assets" cmake --build "$work/tree"

readme_block "$source/README.md" make >"$work/Makefile"
[[ -s $work/Makefile ]] || fail "README has no Make rule"
check_way "Make rule" "$work/make-out" \
    make -C "$assets" -f "$work/Makefile" KZOMAKER="$kzomaker" OUT="$work/make-out"

readme_block "$source/README.md" ninja >"$work/build.ninja"
grep -qx 'kzomaker = kzomaker' "$work/build.ninja" && grep -qx 'dir = assets' "$work/build.ninja" ||
    fail "README's ninja rule no longer sets kzomaker and dir on lines of their own"
sed -i -e "s|^kzomaker = kzomaker\$|kzomaker = $kzomaker|" -e "s|^dir = assets\$|dir = $work/ninja-out|" \
    "$work/build.ninja"
check_way "ninja rule" "$work/ninja-out" ninja -C "$assets" -f "$work/build.ninja"

# A model of another format is a scene too: its .mot and .cam are declared
# outputs, and the texture it holds inside itself is written beside them but
# left out of the dependency file's targets, which Ninja would refuse.
mkdir "$work/embedded"
cat >"$work/embedded/tri.gltf" <<'GLTF'
{"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
 "nodes":[{"name":"tri","mesh":0}],
 "meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"material":0}]}],
 "materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],
 "textures":[{"source":0}],
 "images":[{"uri":"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg=="}],
 "accessors":[{"bufferView":0,"componentType":5126,"type":"VEC3","count":3,"min":[0,0,0],"max":[1,1,0]},
              {"bufferView":1,"componentType":5126,"type":"VEC2","count":3}],
 "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":24}],
 "buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAAAAAAAAAAAAIA/AAAAAAAAAAAAAIA/"}]}
GLTF
cat >"$work/embedded/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(embedded NONE)
find_package(KzoTools REQUIRED)
kzo_add_models(TARGET models ALL OUTPUT_DIR out ANIMATION CAMERA LIGHT FPS 24 SOURCES tri.gltf)
CMAKE
cmake -S "$work/embedded" -B "$work/embedded/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null ||
    fail "configuring a project with a glTF model"
cmake --build "$work/embedded/build" >"$work/log" 2>&1 || { cat "$work/log"; fail "glTF model: build failed"; }
for f in tri.kzo tri.mot tri.cam tri_tex0.png; do
    [[ -f $work/embedded/build/out/$f ]] || fail "glTF model: no $f"
done
again=$(ninja -C "$work/embedded/build" -n)
grep -q "no work to do" <<<"$again" || fail "glTF model: a second build converts again: $again"
echo "kzo_add_models (glTF with an embedded texture, Ninja): ok"

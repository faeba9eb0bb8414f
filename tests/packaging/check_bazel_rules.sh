#!/usr/bin/env bash
# check_bazel_rules.sh BUILD_DIR SOURCE_DIR
# The Bazel rules as a studio's workspace uses them, from the command-line
# install: a workspace made here converts two samples, a scene of its own and
# a model of another format, with the inputs kzo_inputs writes, and a model
# that names a file of another package through a search path. A second
# build in a fresh output base with the same disk cache runs no conversion;
# editing one object reconverts only its scene; a changed kzomaker reconverts
# everything; an object left out of the inputs fails in the sandbox with
# kzomaker's error; every output equals a direct kzomaker run. Bazel runs
# without a network where the system lets the test take it away.
# Exit status 77 (skipped) when Bazel is not installed.
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")

if ! command -v bazel >/dev/null; then
    echo "bazel is not installed (Debian: bazel-bootstrap): skipped"
    exit 77
fi
# In a network namespace of its own, with only the loopback that Bazel's
# client and server talk over, any attempt to fetch fails the test.
if [[ -z ${KZO_BAZEL_OFFLINE-} ]] && command -v ip >/dev/null && unshare --net true 2>/dev/null; then
    exec unshare --net env KZO_BAZEL_OFFLINE=1 bash "$0" "$@"
fi
if [[ -n ${KZO_BAZEL_OFFLINE-} ]]; then
    ip link set lo up
    echo "network: none but the loopback"
else
    echo "network: left as it is (no network namespace can be made here)"
fi

source "$source/tests/packaging/readme_block.sh"
work=$(mktemp -d)
bases=()
cleanup() {
    local base
    for base in "${bases[@]}"; do
        bazel --output_user_root="$work/root" --output_base="$base" shutdown 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" --component cli >/dev/null
kzomaker=$prefix/bin/kzomaker
rules=$prefix/share/kzo-tools/bazel

# The workspace: README's WORKSPACE line, and README's BUILD file in assets/
# with robot.lws and shapes.3ds from the samples, floor.lws (floor.3ds alone,
# no lights) and car.obj with its material library.
ws=$work/ws
assets=$ws/assets
mkdir -p "$assets"
readme_block "$source/README.md" starlark >"$assets/BUILD.bazel"
grep -q 'kzo_model(' "$assets/BUILD.bazel" || fail "README has no BUILD file for Bazel"
grep -qF 'local_repository(name = "kzo_tools", path = "<prefix>/share/kzo-tools/bazel")' \
    "$source/README.md" || fail "README names the repository otherwise"
echo "local_repository(name = \"kzo_tools\", path = \"$rules\")" >"$ws/WORKSPACE"
cp -r "$source/samples/robot.lws" "$source/samples/Objects" "$source/samples/shapes.3ds" "$assets/"
cat >"$assets/floor.lws" <<'SCENE'
LWSC
1

LoadObject Objects\floor.lwo
ObjectMotion (unnamed)
  9
  1
  0 0 0 0 0 0 1 1 1
  0 0 0.0 0.0 0.0
EndBehavior 1
SCENE
cat >"$assets/car.obj" <<'OBJ'
mtllib car.mtl
v 0 0 0
v 2 0 0
v 2 1 0
v 0 1 1
usemtl paint
f 1 2 3
f 1 3 4
OBJ
printf 'newmtl paint\nKd 0.5 0.25 1\n' >"$assets/car.mtl"
# tri.gltf holds its texture inside itself.
cat >"$assets/tri.gltf" <<'GLTF'
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
# levels/ is a package of its own whose scene loads an object of assets/,
# and whose van.obj names a material library there, through a search path.
mkdir "$ws/levels"
printf 'newmtl paint\nKd 1 0.5 0\n' >"$assets/Objects/paint.mtl"
cat >"$ws/levels/van.obj" <<'OBJ'
mtllib ../assets/Objects/paint.mtl
v 0 0 0
v 1 0 0
v 0 1 0
usemtl paint
f 1 2 3
OBJ
sed 's/^LoadObject .*/LoadObject ..\\assets\\Objects\\floor.lwo/' "$assets/floor.lws" >"$ws/levels/level.lws"
cat >"$ws/levels/BUILD.bazel" <<'BUILD'
load("@kzo_tools//:kzo.bzl", "kzo_model")
load(":kzo_inputs.bzl", "KZO_INPUTS")

kzo_model(
    name = "level",
    src = "level.lws",
    inputs = KZO_INPUTS["level.lws"],
    shading = "precalc-flat",
)

kzo_model(
    name = "van",
    src = "van.obj",
    inputs = ["//assets:Objects/paint.mtl"],
    search_path = ["assets/Objects"],
    reader_memory = "512",
    reader_timeout = "30",
)
BUILD

# bazel_in BASE COMMAND ARG...: Bazel in the workspace (or the folder of it
# the test is in) with modest memory, its outputs under the test's folder,
# no rc file but the system's (Debian's names the install).
bazel_in() {
    local base=$1
    shift
    [[ " ${bases[*]} " == *" $base "* ]] || bases+=("$base")
    (if [[ $PWD != "$ws" && $PWD != "$ws"/* ]]; then cd "$ws"; fi
    bazel --output_user_root="$work/root" --output_base="$base" --nohome_rc \
        --noworkspace_rc --host_jvm_args=-Xmx1g --max_idle_secs=300 "$@")
}
build_flags=(--nosandbox_debug --spawn_strategy=sandboxed --disk_cache="$work/cache"
    --color=no --curses=no --noshow_progress)

# 1. kzo_inputs writes the inputs, through bazel run and run as it stands.
(cd "$assets" && "$rules/kzo_inputs.sh" robot.lws floor.lws car.obj shapes.3ds tri.gltf) \
    >"$assets/kzo_inputs.bzl" || fail "kzo_inputs.sh failed"
expected='KZO_INPUTS = {
    "robot.lws": [
        "Objects/floor.3ds",
        "Objects/base.3ds",
        "Objects/arm.3ds",
    ],
    "floor.lws": [
        "Objects/floor.3ds",
    ],
    "car.obj": [
        "car.mtl",
    ],
    "shapes.3ds": [
    ],
    "tri.gltf": [
    ],
}'
[[ $(grep -v '^#' "$assets/kzo_inputs.bzl") == "$expected" ]] ||
    fail "kzo_inputs.sh wrote:"$'\n'"$(cat "$assets/kzo_inputs.bzl")"
(cd "$ws/levels" && "$rules/kzo_inputs.sh" level.lws) >"$ws/levels/kzo_inputs.bzl" ||
    fail "kzo_inputs.sh failed in levels/"
grep -qxF '        "//assets:Objects/floor.3ds",' "$ws/levels/kzo_inputs.bzl" ||
    fail "kzo_inputs.sh names an object of another package otherwise:"$'\n'"$(cat "$ws/levels/kzo_inputs.bzl")"
run_out=$(cd "$assets" && bazel_in "$work/base1" run --nosandbox_debug --color=no --curses=no \
    @kzo_tools//:kzo_inputs -- robot.lws floor.lws car.obj shapes.3ds tri.gltf 2>"$work/run.log") ||
    { cat "$work/run.log"; fail "bazel run @kzo_tools//:kzo_inputs failed"; }
[[ $run_out == "$(cat "$assets/kzo_inputs.bzl")" ]] ||
    fail "bazel run @kzo_tools//:kzo_inputs wrote otherwise:"$'\n'"$run_out"
echo "kzo_inputs: ok"

# The conversions a build ran, from its execution log: "target cached" for
# a disk cache hit, "target ran" for one that ran.
conversions() {
    python3 - "$1" <<'PY'
import json, sys
text = open(sys.argv[1]).read()
decoder, at, spawns = json.JSONDecoder(), 0, []
while at < len(text):
    while at < len(text) and text[at].isspace():
        at += 1
    if at == len(text):
        break
    spawn, at = decoder.raw_decode(text, at)
    spawns.append(spawn)
lines = []
for spawn in spawns:
    if spawn.get("mnemonic") != "KzoMaker":
        continue
    kzo = next(o for o in spawn["listedOutputs"] if o.endswith("kzo"))
    name = kzo.rsplit("/", 1)[1][: -len(".kzo")]
    lines.append(name + (" cached" if spawn.get("remoteCacheHit") else " ran"))
print(" ".join(sorted(lines)))
PY
}
# build_assets BASE EXPECTED [TARGET...]: builds and checks which conversions
# ran and which came from the cache.
build_assets() {
    local base=$1 wanted=$2 log=$work/build.log
    shift 2
    local targets=("$@")
    ((${#targets[@]})) || targets=(//assets:all //levels:all)
    bazel_in "$base" build "${build_flags[@]}" --execution_log_json_file="$work/exec.json" \
        "${targets[@]}" >"$log" 2>&1 || { cat "$log"; fail "bazel build failed"; }
    local got
    got=$(conversions "$work/exec.json")
    [[ $got == "$wanted" ]] || { cat "$log"; fail "the build gave '$got', not '$wanted'"; }
}

# 2. The first build converts everything; the outputs are a direct run's.
build_assets "$work/base1" "car ran floor ran level ran robot ran shapes ran tri ran van ran"
reference=$work/reference
mkdir -p "$reference/assets" "$reference/levels"
(cd "$assets" && "$kzomaker" -q --shading precalc-gouraud --light --occlusion -o "$reference/assets" robot.lws &&
    "$kzomaker" -q --animation --camera --light --empty-light-file -o "$reference/assets" floor.lws &&
    "$kzomaker" -q --shading gouraud --scale 0.5 -o "$reference/assets" shapes.3ds &&
    "$kzomaker" -q --shading flat -o "$reference/assets" car.obj &&
    mkdir "$reference/assets/tri_textures" &&
    "$kzomaker" -q --animation --camera --light --empty-light-file --fps 24 \
        --texture-dir "$reference/assets/tri_textures" -o "$reference/assets" tri.gltf &&
    cd ../levels && "$kzomaker" -q --shading precalc-flat -o "$reference/levels" level.lws &&
    "$kzomaker" -q --search-path ../assets/Objects --reader-memory 512 --reader-timeout 30 \
        -o "$reference/levels" van.obj)
outputs="assets/car.kzo assets/floor.cam assets/floor.kzl assets/floor.kzo assets/floor.mot
    assets/robot.kzl assets/robot.kzo assets/shapes.kzo assets/tri.cam assets/tri.kzl
    assets/tri.kzo assets/tri.mot assets/tri_textures/tri_tex0.png levels/level.kzo
    levels/van.kzo"
# compare_outputs BASE: bazel-bin holds the outputs above, nothing else, each
# as the direct run wrote it.
compare_outputs() {
    local f made
    bin=$(bazel_in "$1" info bazel-bin 2>/dev/null)
    made=$(cd "$bin" && find assets levels -type f | LC_ALL=C sort | xargs)
    [[ $made == "$(echo $outputs)" ]] || fail "bazel-bin holds $made, not $(echo $outputs)"
    for f in $outputs; do
        cmp -s "$reference/$f" "$bin/$f" || fail "$f differs from a direct conversion"
    done
}
compare_outputs "$work/base1"
[[ $(od -An -tx1 "$bin/assets/floor.kzl" | xargs) == "00 00 00 00" ]] ||
    fail "floor.kzl, of a scene without lights, does not hold zero lights"
"$prefix/bin/kzodump" --check "$bin/assets/floor.kzl" >/dev/null ||
    fail "kzodump --check refuses floor.kzl"
echo "first build: every model converted, each output as a direct run's (van.obj's material"
echo "library read in the sandbox through its search path)"

# 3. A fresh output base with the same disk cache converts nothing.
build_assets "$work/base2" "car cached floor cached level cached robot cached shapes cached tri cached van cached"
compare_outputs "$work/base2"
echo "fresh output base: every conversion a cache hit, the same bytes"

# 4. An edited object reconverts the one scene that loads it.
cp "$assets/Objects/base.3ds" "$assets/Objects/arm.3ds"
build_assets "$work/base2" "robot ran"
echo "edited object: only its scene reconverted"

# 5. Another kzomaker is another key: everything reconverts, cache or not.
printf '\0' >>"$kzomaker"
build_assets "$work/base2" "car ran floor ran level ran robot ran shapes ran tri ran van ran"
echo "changed kzomaker: every model reconverted"

# 6. A scene whose inputs leave an object out fails in the sandbox, with
# kzomaker's error naming the object, although the file is there.
mkdir "$ws/broken"
cp -r "$assets/robot.lws" "$assets/Objects" "$ws/broken/"
cat >"$ws/broken/BUILD.bazel" <<'BUILD'
load("@kzo_tools//:kzo.bzl", "kzo_model")

kzo_model(
    name = "robot",
    src = "robot.lws",
    inputs = ["Objects/floor.3ds", "Objects/base.3ds"],
)
BUILD
if bazel_in "$work/base2" build "${build_flags[@]}" //broken:robot >"$work/broken.log" 2>&1; then
    fail "a scene converted without one of its objects declared"
fi
grep -qF "ERROR: cannot open 'Objects\\arm.3ds'" "$work/broken.log" ||
    { cat "$work/broken.log"; fail "the failed conversion does not name the missing object"; }
echo "undeclared object: the sandboxed conversion fails naming it"

# 7. Two sources of one name in one package are refused before anything runs.
mkdir "$ws/broken/copy"
cp "$ws/broken/robot.lws" "$ws/broken/copy/"
cat >>"$ws/broken/BUILD.bazel" <<'BUILD'

kzo_model(
    name = "robot_again",
    src = "copy/robot.lws",
)
BUILD
if bazel_in "$work/base2" build "${build_flags[@]}" //broken:all >"$work/twice.log" 2>&1; then
    fail "two targets writing robot.kzo were accepted"
fi
grep -qF "kzo_model 'robot_again': 'copy/robot.lws' would write robot.kzo, which kzo_model 'robot' writes from 'robot.lws' in this package already" \
    "$work/twice.log" || { cat "$work/twice.log"; fail "two writers of robot.kzo: no clear error"; }
echo "two sources of one name: refused at loading"

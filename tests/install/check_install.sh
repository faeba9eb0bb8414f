#!/usr/bin/env bash
# check_install.sh BUILD_DIR SOURCE_DIR "PROGRAMS" "WINDOW_MODULES"
set -euo pipefail
build=$1
source=$2
read -r -a programs <<<"${3//;/ }"
read -r -a window_modules <<<"${4//;/ }"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# 1. The installed tree holds the programs, the model import module, the
# window modules and the desktop files, nothing else.
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
expected=(
    lib/kzo-tools/kzo-assimp.so
    lib/kzo-tools/kzo-model-reader
    share/cmake/KzoTools/KzoAddModels.cmake
    share/cmake/KzoTools/KzoDepfileOutputs.cmake
    share/cmake/KzoTools/KzoToolsConfig.cmake
    share/cmake/KzoTools/KzoToolsConfigVersion.cmake
    share/cmake/KzoTools/KzoToolsTargets-CONFIG.cmake
    share/cmake/KzoTools/KzoToolsTargets.cmake
    share/kzo-tools/bazel/BUILD.bazel
    share/kzo-tools/bazel/WORKSPACE
    share/kzo-tools/bazel/bin/kzomaker
    share/kzo-tools/bazel/kzo.bzl
    share/kzo-tools/bazel/kzo_inputs.sh
    share/kzo-tools/bazel/kzo_tool.bzl
    share/kzo-tools/bazel/lib/kzo-tools
    share/applications/kzomaker.desktop
    share/bash-completion/completions/kzodump
    share/bash-completion/completions/kzomaker
    share/bash-completion/completions/kzoview
    share/applications/kzoview.desktop
    share/icons/hicolor/scalable/apps/kzomaker.svg
    share/icons/hicolor/scalable/apps/kzoview.svg
    share/mime/packages/kzo-toolchain.xml
    share/man/man1/kzodump.1.gz
    share/man/man1/kzomaker.1.gz
    share/man/man1/kzoview.1.gz
    share/thumbnailers/kzoview.thumbnailer
    share/zsh/ZSH/_kzodump
    share/zsh/ZSH/_kzomaker
    share/zsh/ZSH/_kzoview
)
for p in "${programs[@]}"; do
    expected+=("bin/$p")
done
for m in "${window_modules[@]}"; do
    expected+=("lib/kzo-tools/$m")
done
# The ray-casting module, where the build found Embree.
if [[ -f $build/lib/kzo-tools/kzo-embree.so ]]; then
    expected+=(lib/kzo-tools/kzo-embree.so)
fi
# The targets file of the build's configuration (-relwithdebinfo, -debug, ...)
# and zsh's folder, which depends on the prefix.
config_name='s/KzoToolsTargets-[a-z]*\.cmake/KzoToolsTargets-CONFIG.cmake/; s#/zsh/[a-z-]*/#/zsh/ZSH/#'
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sed "$config_name" | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ "$actual" == "$wanted" ]] || fail "installed tree differs:"$'\n'"$(diff <(echo "$wanted") <(echo "$actual"))"
for p in "${programs[@]}"; do
    [[ -x "$prefix/bin/$p" ]] || fail "bin/$p is not executable"
done
[[ -x "$prefix/lib/kzo-tools/kzo-model-reader" ]] || fail "the model reader is not executable"
# The Bazel repository's links reach the installed program and modules.
[[ $(readlink -f "$prefix/share/kzo-tools/bazel/bin/kzomaker") == "$(readlink -f "$prefix/bin/kzomaker")" &&
    $(readlink -f "$prefix/share/kzo-tools/bazel/lib/kzo-tools") == "$(readlink -f "$prefix/lib/kzo-tools")" ]] ||
    fail "share/kzo-tools/bazel does not link the installed kzomaker and its modules"
echo "install tree: ok (${#expected[@]} files)"

# 1b. The installed converter finds its model import module beside it.
if [[ " ${programs[*]} " == *" kzomaker "* ]]; then
    printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n' >"$work/triangle.obj"
    KZO_MODULE_DIR= "$prefix/bin/kzomaker" -q -o "$work" "$work/triangle.obj" ||
        fail "the installed kzomaker cannot convert an .obj file"
    [[ -f "$work/triangle.kzo" ]] || fail "no triangle.kzo"
    echo "model import module: ok"
fi

# 1c. The installed programs find their window modules, started bare and as
# the menu entries start them with a file: with a display that does not
# answer, Qt itself refuses to start, which only the module loads.
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n' >"$work/triangle.obj"
launches=(kzomaker)
for entry in kzomaker kzoview; do
    launches+=("$(sed -n 's/^Exec=//p' "$source/packaging/$entry.desktop")")
done
for launch in "${launches[@]}"; do
    read -r -a words <<<"${launch//%[fF]/$work/triangle.obj}"
    p=${words[0]}
    [[ " ${programs[*]} " == *" $p "* && " ${window_modules[*]} " == *" $p-window.so "* ]] ||
        continue
    status=0
    err=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:65000 KZO_MODULE_DIR= \
        "$prefix/bin/$p" "${words[@]:1}" 2>&1 >/dev/null) || status=$?
    [[ $status == 2 && "$err" == *"no display:"* && "$err" != *"cannot open the window"* ]] ||
        fail "the installed '$launch' does not reach its window module (status $status): $err"
done
echo "window modules: ok"

# 2. The desktop entries validate.
if command -v desktop-file-validate >/dev/null; then
    for f in "$prefix"/share/applications/*.desktop; do
        out=$(desktop-file-validate "$f" 2>&1) || fail "desktop-file-validate $f: $out"
        [[ -z "$out" ]] || fail "desktop-file-validate $f: $out"
    done
    echo "desktop files: valid"
else
    echo "desktop files: desktop-file-validate not installed, not checked"
fi

# 3. The MIME package compiles and recognises a KZO file by its magic.
if command -v update-mime-database >/dev/null; then
    cp -r /usr/share/mime/packages/freedesktop.org.xml "$prefix/share/mime/packages/" 2>/dev/null || true
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
    [[ -f "$prefix/share/mime/application/x-kzo.xml" ]] || fail "application/x-kzo not registered"
    grep -q "x-kzo" "$prefix/share/mime/magic" || fail "application/x-kzo has no magic"
    grep -q "application/x-kzo:\*\.kzo" "$prefix/share/mime/globs" || fail "*.kzo glob missing"
    echo "mime type: ok"
    # Sniffed by GLib, as file managers do, without the names' help: a KZO
    # object is one; random bytes after the version field are not.
    if command -v gio >/dev/null && [[ -f $work/triangle.kzo ]]; then
        content_type() {
            XDG_DATA_HOME=$work/no-data XDG_DATA_DIRS=$prefix/share \
                gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
        }
        cp "$work/triangle.kzo" "$work/object.bin"
        [[ $(content_type "$work/object.bin") == application/x-kzo ]] ||
            fail "a KZO object is not recognised by its header"
        for i in 1 2 3 4 5 6 7 8; do
            { printf '\x10\x00\x00\x00'; head -c 60 /dev/urandom; } >"$work/random$i.bin"
            type=$(content_type "$work/random$i.bin")
            [[ $type != application/x-kzo ]] || fail "random bytes after 10 00 00 00 taken as KZO"
        done
        echo "mime magic: a KZO header recognised, random files not"
    fi
fi

# 4. The thumbnailer's command line makes a PNG of the requested size.
if [[ " ${programs[*]} " == *" kzoview "* ]]; then
    # A LightWave object of one triangle: (0,0,0), (1,0,0), (0,1,0).
    sample=$work/triangle.lwo
    printf 'FORM\x00\x00\x00\x42LWOB' >"$sample"
    printf 'PNTS\x00\x00\x00\x24' >>"$sample"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>"$sample"
    printf '\x3f\x80\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>"$sample"
    printf '\x00\x00\x00\x00\x3f\x80\x00\x00\x00\x00\x00\x00' >>"$sample"
    printf 'POLS\x00\x00\x00\x0a\x00\x03\x00\x00\x00\x01\x00\x02\x00\x01' >>"$sample"
    [[ $(stat -c %s "$sample") == 74 ]] || fail "test object has the wrong size"
    exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/thumbnailers/kzoview.thumbnailer")
    command=${exec_line//%o/$work/thumb.png}
    command=${command//%s/128}
    command=${command//%i/$sample}
    command=${command/#kzoview/$prefix/bin/kzoview}
    eval "$command" || fail "thumbnailer command failed: $command"
    [[ "$(head -c 8 "$work/thumb.png" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] ||
        fail "thumbnail is not a PNG"
    size=$(od -An -tu1 -j16 -N8 "$work/thumb.png" | awk '{print ($1*16777216+$2*65536+$3*256+$4) "x" ($5*16777216+$6*65536+$7*256+$8)}')
    [[ "$size" == 128x128 ]] || fail "thumbnail is $size, not 128x128"
    echo "thumbnailer: ok ($size)"
fi

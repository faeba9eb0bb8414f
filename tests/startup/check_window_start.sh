#!/usr/bin/env bash
# check_window_start.sh KZOMAKER KZOVIEW
# Opening a window that cannot open ends with a reason and exit status 2:
# without a display, with a display that does not answer, and without the
# window's module (missing or not loadable).
set -euo pipefail
kzomaker=$1
kzoview=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# run ENV... -- PROGRAM ARGS...: sets status, out and err.
run() {
    local vars=()
    while [[ $1 != -- ]]; do
        vars+=("$1")
        shift
    done
    shift
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u KZO_MODULE_DIR "${vars[@]}" \
        "$@" >"$work/out" 2>"$work/err" </dev/null || status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}

no_display="no display: give files to convert, or see --help"
run -- "$kzomaker"
[[ $status == 2 && "$err" == "$no_display" && -z "$out" ]] ||
    fail "kzomaker without a display: status $status, stderr '$err'"
run DISPLAY=:65000 -- "$kzomaker"
[[ $status == 2 && "$err" == *"$no_display"* ]] ||
    fail "kzomaker with a display that does not answer: status $status, stderr '$err'"

# Copies of the programs outside the build tree find no module of the build.
mkdir -p "$work/bin" "$work/broken"
cp "$kzomaker" "$kzoview" "$work/bin/"
# A LightWave object of one triangle, for the viewer to load.
printf 'FORM\x00\x00\x00\x42LWOBPNTS\x00\x00\x00\x24' >"$work/t.lwo"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>"$work/t.lwo"
printf '\x3f\x80\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>"$work/t.lwo"
printf '\x00\x00\x00\x00\x3f\x80\x00\x00\x00\x00\x00\x00' >>"$work/t.lwo"
printf 'POLS\x00\x00\x00\x0a\x00\x03\x00\x00\x00\x01\x00\x02\x00\x01' >>"$work/t.lwo"
echo "not a shared object" >"$work/broken/kzomaker-window.so"
echo "not a shared object" >"$work/broken/kzoview-window.so"
for program in kzomaker kzoview; do
    args=()
    [[ $program == kzoview ]] && args=("$work/t.lwo")
    run QT_QPA_PLATFORM=offscreen -- "$work/bin/$program" "${args[@]}"
    [[ $status == 2 && "$err" == "ERROR: cannot open the window: cannot find module '$program-window.so' in '$work/bin/../lib/kzo-tools'" ]] ||
        fail "$program without its window module: status $status, stderr '$err'"
    run QT_QPA_PLATFORM=offscreen KZO_MODULE_DIR="$work/broken" -- "$work/bin/$program" "${args[@]}"
    [[ $status == 2 && "$err" == "ERROR: cannot open the window: cannot load module '$work/broken/$program-window.so': "* ]] ||
        fail "$program with a broken window module: status $status, stderr '$err'"
done
echo "window start: ok"

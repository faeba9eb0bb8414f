#!/usr/bin/env bash
# check_no_qt_linked.sh "PROGRAMS" "WINDOW_MODULES" MODEL_MODULE
# The programs load no Qt, no assimp and no Embree, not even through another library;
# the windows' modules are where Qt is, the model module where assimp is.
set -euo pipefail
read -r -a programs <<<"${1//;/ }"
read -r -a window_modules <<<"${2//;/ }"
model_module=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

libraries() {
    ldd "$1" | awk '{print $1}' | sed 's|.*/||'
}

for program in "${programs[@]}"; do
    libs=$(libraries "$program")
    [[ -n "$libs" ]] || fail "ldd lists nothing for $program"
    if grep -E '^lib(Qt|assimp|embree)' <<<"$libs" >/dev/null; then
        fail "$program loads $(grep -E '^lib(Qt|assimp|embree)' <<<"$libs" | tr '\n' ' ')"
    fi
    echo "$(basename "$program"): $(wc -l <<<"$libs") libraries, no Qt, no assimp, no Embree"
done
# Listed whole before matching: grep -q stops reading at the first match,
# which can fail the pipeline under pipefail.
for module in "${window_modules[@]}"; do
    libs=$(libraries "$module")
    grep -q '^libQt6Widgets' <<<"$libs" || fail "$module does not link Qt Widgets"
done
libs=$(libraries "$model_module")
grep -q '^libassimp' <<<"$libs" || fail "$model_module does not link assimp"
echo "modules: Qt in ${#window_modules[@]} window modules, assimp in $(basename "$model_module")"

#!/usr/bin/env bash
# kzo_inputs.sh [KZOMAKER_OPTION... --] FILE...
#
# Writes on standard output a .bzl file that gives every FILE (a model or
# scene of the package in the current directory) the files its conversion
# reads besides itself, as kzomaker --list-inputs finds them with the
# options given:
#
#     KZO_INPUTS = {
#         "robot.lws": [
#             "Objects/floor.3ds",
#             ...
#         ],
#     }
#
# for kzo_model(..., inputs = KZO_INPUTS["robot.lws"]). Files of the package
# are written as paths relative to it, files of other packages as their
# labels (//objects:box.3ds); a file outside the workspace is an error.
# Nothing is written unless every FILE was listed. Run it in the package's
# directory, as
#
#     bazel run @kzo_tools//:kzo_inputs -- robot.lws floor.lws > kzo_inputs.bzl
#
# or as <prefix>/share/kzo-tools/bazel/kzo_inputs.sh, and again whenever a
# scene names other objects.
set -euo pipefail

kzomaker=$(dirname "$(readlink -f "$0")")/bin/kzomaker
cd "${BUILD_WORKING_DIRECTORY:-.}"

options=()
if [[ " $* " == *" -- "* ]]; then
    while [[ $1 != -- ]]; do
        options+=("$1")
        shift
    done
    shift
fi
if (($# == 0)); then
    echo "usage: kzo_inputs.sh [KZOMAKER_OPTION... --] FILE..." >&2
    exit 2
fi

# The nearest directory at or above $1 that holds one of the files named
# after it, or nothing.
nearest() {
    local dir=$1
    shift
    while true; do
        for name in "$@"; do
            if [[ -f $dir/$name ]]; then
                echo "$dir"
                return
            fi
        done
        [[ $dir != / ]] || return 0
        dir=$(dirname "$dir")
    done
}

current=$(realpath -s "$PWD")
workspace=${BUILD_WORKSPACE_DIRECTORY:-$(nearest "$current" WORKSPACE WORKSPACE.bazel)}
[[ -n $workspace ]] || { echo "kzo_inputs.sh: '$current' is in no Bazel workspace" >&2; exit 1; }
workspace=$(realpath -s "$workspace")
package=$(nearest "$current" BUILD BUILD.bazel)
if [[ -z $package || $package != "$workspace"* ]]; then
    package=$workspace
fi

# A path as kzo_model in the package takes it: relative to the package when
# it lies there, else the label of the package that holds it.
as_input() {
    local whole owner
    whole=$(realpath -m -s "$1")
    if [[ $whole != "$workspace" && $whole != "$workspace"/* ]]; then
        echo "kzo_inputs.sh: '$1' lies outside the workspace '$workspace'" >&2
        return 1
    fi
    owner=$(nearest "$(dirname "$whole")" BUILD BUILD.bazel)
    if [[ -z $owner || $owner != "$workspace"* ]]; then
        owner=$workspace
    fi
    if [[ $owner == "$package" ]]; then
        realpath -m -s --relative-to="$package" "$whole"
    else
        local label=${owner#"$workspace"}
        echo "//${label#/}:$(realpath -m -s --relative-to="$owner" "$whole")"
    fi
}

quoted() {
    local text=${1//\\/\\\\}
    printf '"%s"' "${text//\"/\\\"}"
}

text="# Written by kzo_inputs.sh from kzomaker --list-inputs: the files each
# source's conversion reads besides itself. Write it again when a scene names
# other objects.
KZO_INPUTS = {
"
for file in "$@"; do
    listed=$("$kzomaker" --list-inputs "${options[@]}" -- "$file")
    key=$(as_input "$file")
    text+="    $(quoted "$key"): [
"
    # The first line is the file itself, kzo_model's src.
    while IFS= read -r path; do
        input=$(as_input "$path")
        text+="        $(quoted "$input"),
"
    done < <(tail -n +2 <<<"$listed")
    text+="    ],
"
done
printf '%s}\n' "$text"

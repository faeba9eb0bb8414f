#!/usr/bin/env bash
# check_help_pages.sh SOURCE_DIR PROGRAM_PATH...
# Every long option each program's --help names is in its man page, its bash
# completion and its zsh completion; the pages format without a warning; and
# bash completes options, their values and input files as a user types them.
set -euo pipefail
source=$1
shift
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
man_dir=$source/packaging/man
completion_dir=$source/packaging/completion

for path in "$@"; do
    program=${path##*/}
    help=$(QT_QPA_PLATFORM=offscreen "$path" --help)
    options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
    [[ -n $options ]] || fail "$program --help names no option"
    page=$man_dir/$program.1
    # The page's text with roff's escaped hyphens as plain ones.
    page_text=$(sed 's/\\-/-/g' "$page")
    for option in $options; do
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$page_text" ||
            fail "$program.1 does not describe $option"
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$completion_dir/$program.bash" ||
            fail "the bash completion of $program does not offer $option"
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$completion_dir/_$program" ||
            fail "the zsh completion of $program does not offer $option"
    done
    # The page names no option the program does not have.
    for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$page_text" | sort -u); do
        grep -qx -- "$option" <<<"$options" || fail "$program.1 describes $option, which --help does not name"
    done
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$program.1: $warnings"
    [[ $(head -1 "$completion_dir/_$program") == "#compdef $program" ]] ||
        fail "_$program does not start with #compdef $program"
    if command -v zsh >/dev/null; then
        zsh -n "$completion_dir/_$program" || fail "_$program is no zsh script"
    fi
    # Every option that changes what kzomaker writes, or whether it writes it
    # (the model reader's limits), is an argument of
    # kzo_add_models, under its name in capitals, and is passed by the Bazel
    # rules (an attribute of kzo_model, or always); the others are the build's.
    if [[ $program == kzomaker ]]; then
        for option in $options; do
            case $option in
            --output-dir | --deps | --jobs | --threads | --quiet | --gui | --list-inputs | --help | --version) continue ;;
            esac
            keyword=$(tr 'a-z-' 'A-Z_' <<<"${option#--}")
            grep -qw -- "$keyword" "$source/cmake/KzoAddModels.cmake" ||
                fail "kzo_add_models has no $keyword for kzomaker's $option"
            grep -qF -- "\"$option\"" "$source/packaging/bazel/kzo.bzl" ||
                fail "kzo.bzl does not pass kzomaker's $option"
        done
    fi
    echo "$program: $(wc -w <<<"$options") options in --help, man page and completions"
done

bash_completion=/usr/share/bash-completion/bash_completion
if [[ ! -f $bash_completion ]]; then
    echo "bash completion: bash-completion not installed, not run"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/models"
touch "$work/models/"{robot.lws,tank.3ds,BOX.LWO,car.gltf,notes.txt,shot.png,a.kzo,a.mot,a.kzl}
mkdir "$work/models/Objects"

# completions PROGRAM WORD...: what bash offers for the last word, sorted.
results=$(cd "$work/models" && bash --norc --noprofile -c '
    source "$1"
    shift
    for program in kzomaker kzoview kzodump; do
        source "$0/$program.bash"
    done
    compopt() { :; }
    completions() {
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        COMPREPLY=()
        "_$1" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | xargs
    }
    completions kzomaker --sha
    completions kzomaker --shading pre
    completions kzomaker --shadow-test ""
    completions kzomaker -o ""
    completions kzomaker --camera ""
    completions kzoview --snapshot ""
    completions kzoview ""
    completions kzodump --kind c
    completions kzodump ""
' "$completion_dir" "$bash_completion")
expected="--shading= --shadow-test=
precalc-flat precalc-gouraud
classic relative
Objects
BOX.LWO Objects car.gltf robot.lws tank.3ds
Objects shot.png
BOX.LWO Objects a.kzo car.gltf tank.3ds
cam
Objects a.kzl a.kzo a.mot"
[[ "$results" == "$expected" ]] ||
    fail "bash completes differently:"$'\n'"$(diff <(echo "$expected") <(echo "$results"))"
echo "bash completion: options, their values and input files"

# bash completion for kzodump

_kzodump() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --kind)
            COMPREPLY=($(compgen -W 'kzo mot cam kzl' -- "$cur"))
            return
            ;;
        -h | --help | --version)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--json --summary --check --kind= --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    # With --kind any file may be read; without it the extension decides.
    local kind
    for kind in "${words[@]}"; do
        if [[ $kind == --kind* ]]; then
            _filedir
            return
        fi
    done
    _filedir '@(kzo|mot|cam|kzl)'
} &&
    complete -F _kzodump kzodump

# bash completion for kzoview

_kzoview() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --snapshot)
            _filedir png
            return
            ;;
        --search-path | --textures)
            _filedir -d
            return
            ;;
        --size | --frame | --fps | --scale | --reader-memory | --reader-timeout | -h | --help | --version)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--snapshot= --size= --info --shaded --auto-shaded --play --frame= --fps= --lights --scale= --textures= --no-textures --search-path= --reader-memory= --reader-timeout= --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    _filedir '@(kzo|3ds|lwo|obj|gltf|glb|fbx|dae|ply|stl|blend|x|ac|ase|off|md2|md3|3mf)'
} &&
    complete -F _kzoview kzoview

# bash completion for kzomaker

_kzomaker() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        -o | --output-dir | --texture-dir | --search-path)
            _filedir -d
            return
            ;;
        --shading)
            COMPREPLY=($(compgen -W 'none gouraud flat precalc-gouraud precalc-flat' -- "$cur"))
            return
            ;;
        --shadow-test)
            COMPREPLY=($(compgen -W 'classic relative' -- "$cur"))
            return
            ;;
        -s | --scale | -j | --jobs | --threads | --fps | --reader-memory | --reader-timeout | \
            --occlusion-rays | --occlusion-distance)
            return
            ;;
        -h | --help | --version)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--output-dir= --scale= --shading= --animation --camera
            --light --empty-light-file --deps --fit --fps= --texture-dir= --shadow-test=
            --search-path= --reader-memory= --reader-timeout= --occlusion --bounce
            --occlusion-rays= --occlusion-distance= --list-inputs --jobs= --threads=
            --quiet --gui --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    # The inputs kzomaker reads itself, and the usual ones it reads through
    # assimp; any other name can still be typed.
    _filedir '@(3ds|lws|lwo|obj|gltf|glb|fbx|dae|ply|stl|blend|x|ac|ase|off|md2|md3|3mf)'
} &&
    complete -F _kzomaker kzomaker

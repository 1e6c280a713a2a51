# bash completion for lumivex-cli: its commands, each command's options, profile names after
# --profile, and files (pictures and videos) elsewhere.

_lumivex_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="convert enhance extract info profiles"
    local global="--help --version --threads"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --threads) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        --threads | --reference | --at | --scale | --count | --max-size | --size)
            return ;;
        --proportional)
            COMPREPLY=($(compgen -W "true false" -- "$cur")); return ;;
        --method)
            COMPREPLY=($(compgen -W "standard quality" -- "$cur")); return ;;
        --aspect)
            COMPREPLY=($(compgen -W "auto 4:3 3:2 16:9 1:1" -- "$cur")); return ;;
        --profile)
            local IFS=$'\n' names
            names=$(lumivex-cli profiles 2>/dev/null |
                sed -nE 's/^ +(.*[^ ]) {2,}[0-9]+x[0-9]+ .*/\1/p')
            COMPREPLY=($(compgen -W "$names" -- "$cur"))
            for i in "${!COMPREPLY[@]}"; do
                COMPREPLY[i]=$(printf '%q' "${COMPREPLY[i]}")
            done
            _filedir ini
            return ;;
        -o | --report)
            _filedir; return ;;
        -d)
            _filedir -d; return ;;
    esac

    local options
    case $command in
        "") options="$global" ;;
        convert) options="--help --strip-metadata" ;;
        enhance) options="--help --reference --at --profile --scale --max-size --proportional
                          --aspect --method --report --strip-metadata --quiet --threads -o" ;;
        extract) options="--help -d --at --count --fields --no-fields" ;;
        info) options="--help --json" ;;
        profiles) options="--help --size --aspect" ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    else
        _filedir
    fi
}
complete -F _lumivex_cli lumivex-cli

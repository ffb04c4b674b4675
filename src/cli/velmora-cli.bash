# bash completion for velmora-cli: its commands, each command's options, and the values that
# are a closed list (log levels, priorities, profile codes, option lists). Installed as
# share/bash-completion/completions/velmora-cli; stands alone, without bash-completion's helpers.

# COMPREPLY from a compgen call, one entry per line, so that names with blanks stay whole.
_velmora_cli_reply() {
    mapfile -t COMPREPLY < <("$@")
}

_velmora_cli_profile_codes() {
    # The first column of the profile list; without the libraries it is still printed.
    velmora-cli profiles 2>/dev/null | cut -f1
}

_velmora_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=""
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # The command is the first word that is no option and no option's value.
    local command="" subcommand="" i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -z $command ]]; then
            case $word in
            --log-level) ((i++)) ;;
            -*) ;;
            *) command=$word ;;
            esac
        elif [[ $command == lock && -z $subcommand && $word != -* ]]; then
            subcommand=$word
        fi
    done

    local options="" takesFiles=0
    case $command in
    "")
        case $prev in
        --log-level)
            _velmora_cli_reply compgen -W "quiet panic fatal error warning info verbose debug" \
                -- "$cur"
            return
            ;;
        esac
        if [[ $cur == -* ]]; then
            _velmora_cli_reply compgen -W "-h --help --version --log-level" -- "$cur"
        else
            _velmora_cli_reply compgen \
                -W "libs play profiles options convert run-jobs probe task demo lock" -- "$cur"
        fi
        return
        ;;
    libs) options="-h --help" ;;
    play)
        options="-h --help --paused --mute --seek --for --snapshot"
        case $prev in
        --seek | --for) return ;;
        --snapshot)
            _velmora_cli_reply compgen -f -- "$cur"
            return
            ;;
        esac
        takesFiles=1
        ;;
    profiles) options="-h --help --json" ;;
    options)
        options="-h --help -p --profile --json"
        case $prev in
        -p | --profile)
            _velmora_cli_reply compgen -W "$(_velmora_cli_profile_codes)" -- "$cur"
            return
            ;;
        esac
        ;;
    convert)
        options="-h --help -p --profile -o --output --overwrite -j --jobs --priority --set
            --flip-h --flip-v --negate --cut --ext-options -r --recursive -0 --null --json --plan"
        case $prev in
        -p | --profile)
            _velmora_cli_reply compgen -W "$(_velmora_cli_profile_codes)" -- "$cur"
            return
            ;;
        -o | --output)
            _velmora_cli_reply compgen -d -- "$cur"
            return
            ;;
        --priority)
            _velmora_cli_reply compgen -W "idle lowest lower normal" -- "$cur"
            return
            ;;
        --set)
            compopt -o nospace 2>/dev/null || true
            _velmora_cli_reply compgen -W "video-encoder= video-bitrate= frame-size= frame-rate=
                audio-encoder= audio-bitrate= sample-rate= scaling= volume= channels=" -- "$cur"
            return
            ;;
        --plan)
            _velmora_cli_reply compgen -f -- "$cur"
            return
            ;;
        -j | --jobs | --cut | --ext-options) return ;;
        esac
        takesFiles=1
        ;;
    run-jobs)
        options="-h --help --shard -j --jobs --priority --json"
        case $prev in
        --priority)
            _velmora_cli_reply compgen -W "idle lowest lower normal" -- "$cur"
            return
            ;;
        --shard)
            # I/N, /N, or no value (a Slurm array); a job list name is offered after it.
            if [[ $cur == */* || $cur =~ ^[0-9] ]]; then
                return
            fi
            ;;
        -j | --jobs) return ;;
        esac
        takesFiles=1
        ;;
    probe)
        options="-h --help --json"
        takesFiles=1
        ;;
    task)
        options="-h --help -i --input --input-options -o --output --output-options --join --json"
        case $prev in
        -i | --input | -o | --output)
            _velmora_cli_reply compgen -f -- "$cur"
            return
            ;;
        --input-options | --output-options) return ;;
        esac
        ;;
    demo)
        options="-h --help -o --output --json"
        case $prev in
        -o | --output)
            _velmora_cli_reply compgen -d -- "$cur"
            return
            ;;
        esac
        ;;
    lock)
        if [[ -z $subcommand ]]; then
            if [[ $cur == -* ]]; then
                _velmora_cli_reply compgen -W "-h --help" -- "$cur"
            else
                _velmora_cli_reply compgen -W "set clear" -- "$cur"
            fi
            return
        fi
        options="-h --help --master"
        ;;
    *) return ;;
    esac

    if [[ $cur == -* ]]; then
        _velmora_cli_reply compgen -W "$options" -- "$cur"
    elif ((takesFiles)); then
        _velmora_cli_reply compgen -f -- "$cur"
    fi
}

complete -o filenames -F _velmora_cli velmora-cli

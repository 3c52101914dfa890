# bash completion for qeltessary-cli                       -*- shell-script -*-

# Adds the saved names that start with the typed text, quoted for the shell.
# The program itself lists them (its hidden --list-filters and --list-jobs),
# so env.json is read the way the program reads it, never parsed here.
_qeltessary_cli_names()
{
    local program=$1 listing=$2 typed name
    typed=$(dequote "$cur")
    while IFS= read -r name; do
        [[ $name == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
    done < <("$program" "$listing" 2>/dev/null)
}

_qeltessary_cli()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --filter)
            _qeltessary_cli_names "$1" --list-filters
            return
            ;;
        --name | --ext | --folder)
            return
            ;;
    esac

    # The subcommand, whether "--" ended the options, and how many positional
    # arguments come before the word being completed.
    local command="" i ended="" positional=0
    for ((i = 1; i < cword; i++)); do
        if [[ -z $command ]]; then
            [[ ${words[i]} == @(search|job) ]] && command=${words[i]}
            continue
        fi
        if [[ $ended ]]; then
            ((positional++))
            continue
        fi
        case ${words[i]} in
            --) ended=1 ;;
            --name | --ext | --folder | --filter) ((i++)) ;;
            -*) ;;
            *) ((positional++)) ;;
        esac
    done

    local options
    case $command in
        search) options="--name --ext --folder --filter --no-sub --follow -L --xdev --print0 --json --help --" ;;
        job) options="--filter --no-sub --dry-run --help" ;;
        *)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "search job" -- "$cur"))
            fi
            return
            ;;
    esac
    if [[ $cur == -* && -z $ended ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command == job && $positional -eq 0 ]]; then
        _qeltessary_cli_names "$1" --list-jobs
    elif [[ $command == search && $positional -eq 0 || $command == job && $positional -eq 1 ]]; then
        _filedir -d
    fi
} &&
    complete -F _qeltessary_cli qeltessary-cli

# ex: filetype=sh

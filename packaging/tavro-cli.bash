# Completion for tavro-cli. Commands, options and their values come from the program's own
# help, so that the completion never lists an option the installed program does not have.

_tavro_cli() {
    local prog=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    if ((COMP_CWORD == 1)); then
        local commands
        commands=$("$prog" --help 2>/dev/null | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\) .*/\1/p')
        mapfile -t COMPREPLY < <(compgen -W "$commands --help" -- "$cur")
        return
    fi

    local help
    help=$("$prog" "${COMP_WORDS[1]}" --help 2>/dev/null) || return

    # An option that takes a value shows it in capitals: "  --port PATH  ...".
    if [[ $prev =~ ^--[a-z-]+$ ]] && grep -q "^  $prev [A-Z]" <<<"$help"; then
        case $prev in
        --port)
            # The ports the tool offers, simulators included, or any device typed by hand.
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(
                compgen -W "$("$prog" ports 2>/dev/null | cut -f1)" -- "$cur"
                compgen -f -- "$cur"
            )
            ;;
        --trace-csv | --csv)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            ;;
        --baud)
            local speeds
            speeds=$(sed -n 's/^  --baud N .*: //p' <<<"$help" | grep -o '[0-9]\+')
            mapfile -t COMPREPLY < <(compgen -W "$speeds" -- "$cur")
            ;;
        --report)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            ;;
        esac
        return
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(sed -n 's/^  \(--[a-z-]*\).*/\1/p' <<<"$help")" -- "$cur")
        return
    fi

    # The usage line names the command's arguments: FILE, or a choice such as [en|ja].
    local usage=${help%%$'\n'*}
    if [[ $usage =~ \[([a-z]+(\|[a-z]+)+)\] ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${BASH_REMATCH[1]//|/ }" -- "$cur")
    elif [[ ${usage%%" [--"*} == *" FILE"* ]]; then
        # FILE before the options is the command's own argument; --trace-csv FILE is not.
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _tavro_cli tavro-cli

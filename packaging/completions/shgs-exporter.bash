# Bash completion for shgs-exporter: its options, the report formats, file
# names for --output, and for --games "all" and the letters of the games the
# server lists (asked of the program itself, which only reads the server).

_shgs_exporter() {
  local cur="${COMP_WORDS[COMP_CWORD]}"
  local prev="${COMP_WORDS[COMP_CWORD - 1]}"
  case "$prev" in
    --format)
      mapfile -t COMPREPLY < <(compgen -W 'forum plain markdown html json' -- "$cur")
      return
      ;;
    --output)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
      ;;
    --games)
      local letters
      letters="$("${COMP_WORDS[0]}" --list-games 2>/dev/null | cut -f1)"
      mapfile -t COMPREPLY < <(compgen -W "all $letters" -- "$cur")
      return
      ;;
  esac
  mapfile -t COMPREPLY < <(compgen -W '--games --format --plain --stock
    --no-server --output --check --list-games --help --version' -- "$cur")
}
complete -F _shgs_exporter shgs-exporter

# Completion of vestral's commands, their options and file arguments.
_vestral() {
  local cur prev words cword
  _init_completion -s || return

  if ((cword == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "lookup create generate check collect sync search lint
      set remove update language --editor --db --help --version" -- "$cur")
    return
  fi

  case $prev in
    --db | --source)
      _filedir '@(DAT|dat)'
      return
      ;;
    --color)
      mapfile -t COMPREPLY < <(compgen -W "auto always never" -- "$cur")
      return
      ;;
    --code | --ext) return ;;
  esac

  local options="--quiet --color= --help"
  case ${words[1]} in
    --editor | --db) options="--editor --db" ;;
    lookup | search) options+=" --db --json" ;;
    create) ;;
    generate) options+=" --yes --no" ;;
    check) options+=" --db --write" ;;
    collect) options+=" --db --code --utf8 --yes --no" ;;
    sync) options+=" --db --direct --dry-run --yes --no" ;;
    lint) options+=" --db --source" ;;
    set) options+=" --db --ext --yes --no" ;;
    remove) options+=" --db --yes --no" ;;
    update) options+=" --db --dry-run --yes --no" ;;
    language) options+=" --db" ;;
    *) return ;;
  esac
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    [[ ${COMPREPLY[*]} == *= ]] && compopt -o nospace
    return
  fi
  # lookup, set and remove take codes (set a text too), search takes words, language a
  # language, the windows nothing; the others take files.
  case ${words[1]} in
    language) mapfile -t COMPREPLY < <(compgen -W "en ru" -- "$cur") ;;
    lookup | search | set | remove | --editor | --db) ;;
    *) _filedir ;;
  esac
}
complete -F _vestral vestral

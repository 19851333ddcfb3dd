#!/bin/bash
# Bash completion of paralogs: sourced, it completes commands, options and
# option values; for every command its options are those of the command's
# --help, so that the two cannot drift apart.
# Usage: completion_test.sh COMPLETION_FILE PARALOGS
set -u
completion=$1 paralogs=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$completion" || exit 1
complete -p paralogs > /dev/null || fail "no completion registered for paralogs"

# Completes the words of a command line (the last one being completed) and
# prints the candidates sorted on one line.
completions() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _paralogs
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

check() {
  local expected=$1
  shift
  local actual
  actual=$(completions "$@")
  [ "$actual" == "$expected" ] || fail "'$*': expected '$expected', got '$actual'"
}

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" && touch genomes.txt genomes.grimm model.lp

check "convert" paralogs con
check "model" paralogs mo
check "--help --version" paralogs --
check "score solution" paralogs s
check "--second --start --structs" paralogs model -o m.lp --s
check "--tolerance" paralogs solution --t
check "--families" paralogs unimog --f
check "exemplar intermediate maximum" paralogs model --model ""
check "breakpoint dcj" paralogs score --distance ""
check "highs" paralogs pair --solver h
check "exemplar" paralogs model --model e
check "grimm" paralogs convert --to g
check "genomes.grimm genomes.txt" paralogs convert -i gen
check "model.lp" paralogs model -s genomes.txt -o mod
check "" paralogs model --second ""
check "failed" paralogs pair --pairs s.tsv --keep f
check "related" paralogs rel

# Every command's options are its help's, long and short.
for command in $("$paralogs" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p'); do
  help=$("$paralogs" "$command" --help | sed -n '/^Options:/,$p')
  expected=$( { grep -o -- '--[a-z][a-z-]*' <<< "$help"; grep -o -- ' -[a-z] ' <<< "$help" | tr -d ' '; } | sort -u | tr '\n' ' ' | sed 's/ $//')
  check "$expected" paralogs "$command" -
done

[ $failures -eq 0 ] && echo "completion: all checks passed"
exit $((failures > 0))

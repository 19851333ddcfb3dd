#!/bin/bash
# The install tree: `cmake --install` into a temporary prefix holds the two
# programs, a man page for each carrying the programs' version and every
# command and option of their help, the workflow (configured for the
# installed programs), the examples, bash completion, and HiGHS' script with
# the npm package it runs; nothing else. The installed paralogs, moved
# elsewhere, solves a pair with HiGHS from its own share/paralogs/highs
# while the source tree (and the build tree within) is out of reach.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -u
build=$1 source=$2 version=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected '$2', got '$1'"; }

root=$(mktemp -d) || exit 1
trap 'rm -rf "$root"' EXIT
prefix=$root/prefix
cmake --install "$build" --prefix "$prefix" > "$root/install.log" 2>&1 || { cat "$root/install.log"; exit 1; }

# Exactly these files.
expected=$( {
  printf '%s\n' bin/paralogs bin/resolve-paralogs share/man/man1/paralogs.1 share/man/man1/resolve-paralogs.1 \
    share/bash-completion/completions/paralogs share/paralogs/examples/structs.txt share/paralogs/examples/solution.xml
  (cd "$source" && find workflow config -type f ! -name .gitignore ! -path '*/results/*' ! -path '*/.snakemake/*' \
    ! -path '*/__pycache__/*' | sed 's|^|share/paralogs/|')
  printf '%s\n' share/paralogs/highs/highs-solve.mjs share/paralogs/highs/package.json
  if [ -d "$source/solvers/highs/node_modules/highs" ]; then
    (cd "$source/solvers/highs" && find node_modules/highs -type f | sed 's|^|share/paralogs/highs/|')
  fi
} | sort)
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
expect_eq "$actual" "$expected" "installed files"

for program in paralogs resolve-paralogs; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

# One version: the project's, paralogs --version's, both man pages'.
expect_eq "$("$prefix/bin/paralogs" --version)" "paralogs $version" "paralogs --version"
for page in paralogs resolve-paralogs; do
  th=$(grep '^\.TH ' "$prefix/share/man/man1/$page.1")
  [[ $th == *"\"$page $version\""* ]] || fail "$page.1 does not carry version $version: $th"
done

# paralogs(1): a section per command of `paralogs --help`, every option of
# each command's help.
page=$prefix/share/man/man1/paralogs.1
commands=$("$prefix/bin/paralogs" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p')
[ "$(echo "$commands" | wc -l)" -ge 5 ] || fail "paralogs --help lists too few commands: $commands"
for command in $commands; do
  grep -q "^\.SS \"paralogs $command\"" "$page" || fail "paralogs.1 has no section for $command"
  for option in $("$prefix/bin/paralogs" "$command" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" "$page" || fail "paralogs.1 lacks $command $option"
  done
done
# resolve-paralogs(1): every option of its help (printed on standard error).
for option in $("$prefix/bin/resolve-paralogs" --help 2>&1 >/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "${option//-/\\-}" "$prefix/share/man/man1/resolve-paralogs.1" || fail "resolve-paralogs.1 lacks $option"
done

# The installed workflow finds the installed programs.
config=$prefix/share/paralogs/config/config.yaml
expect_eq "$(grep '^build:' "$config")" "build: ../../../bin" "workflow build path"
[ -x "$prefix/share/paralogs/workflow/../../../bin/paralogs" ] || fail "the workflow's build path has no paralogs"
expect_eq "$(grep -v '^build:' "$config")" "$(grep -v '^build:' "$source/config/config.yaml")" \
  "the rest of the workflow's configuration"

# The installed programs run the shipped example.
(cd "$root" && "$prefix/bin/resolve-paralogs" -s prefix/share/paralogs/examples/structs.txt \
  -i prefix/share/paralogs/examples/solution.xml -o result.txt > /dev/null) || fail "resolve-paralogs on the example"
expect_eq "$(head -1 "$root/result.txt")" "3;" "the example's result"

# DESTDIR stages under a directory, as a package build does.
DESTDIR=$root/stage cmake --install "$build" --prefix /usr > /dev/null 2>&1 || fail "install with DESTDIR"
[ -x "$root/stage/usr/bin/paralogs" ] || fail "DESTDIR install has no usr/bin/paralogs"

# HiGHS from the installed tree, moved to another prefix, the source tree
# hidden under an empty directory where a private mount can be had.
if command -v node > /dev/null && [ -f "$source/solvers/highs/node_modules/highs/package.json" ]; then
  mv "$prefix" "$root/moved"
  mkdir "$root/empty" "$root/pair" && cp "$source/examples/structs.txt" "$root/pair/"
  run=(env -u PARALOGS_HIGHS_SCRIPT "$root/moved/bin/paralogs" pair -s structs.txt --a g1 --b g2 -d h --solver highs)
  hide=$(printf 'mount --bind %q %q && cd %q && exec "$@"' "$root/empty" "$(cd "$source" && pwd -P)" "$root/pair")
  if unshare --mount true 2> /dev/null; then
    unshare --mount sh -c "$hide" sh "${run[@]}" > "$root/highs.log" 2>&1 || fail "pair --solver highs: $(tail -1 "$root/highs.log")"
    grep -q "^mount" "$root/highs.log" && fail "the source tree could not be hidden: $(cat "$root/highs.log")"
  else
    echo "note: no private mount here; the source tree stays in reach"
    (cd "$root/pair" && "${run[@]}") > "$root/highs.log" 2>&1 || fail "pair --solver highs: $(tail -1 "$root/highs.log")"
  fi
  grep -q "solver highs" "$root/highs.log" || fail "pair --solver highs did not run HiGHS: $(cat "$root/highs.log")"
  status=$(cut -f 12,20 "$root/pair/h/summary.tsv" 2> /dev/null | tail -1)
  expect_eq "$status" "$(printf 'optimal\t4.0')" "HiGHS from the moved install: status and distance"
else
  echo "note: HiGHS not installed (make deps): its run from the install tree is not checked"
fi

[ $failures -eq 0 ] && echo "install tree: all checks passed"
exit $((failures > 0))

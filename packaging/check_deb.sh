#!/bin/bash
# Checks the Debian package that `make deb` built in BUILD/package: its
# metadata (dpkg-deb -f), its contents, and the demo run from the programs
# extracted from it (dpkg-deb -x) into a temporary directory, and a pair
# solved there by HiGHS from the package's own script, the source tree out of
# reach.
# Usage: packaging/check_deb.sh BUILD_DIR
set -u
build=${1:-build}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected '$2', got '$1'"; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt"; exit 1; }
arch=$(dpkg --print-architecture)
deb=$build/package/resolve-paralogs_${version}_${arch}.deb
[ -f "$deb" ] || { echo "no package $deb (make deb)"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
expect_eq "$(field Package)" "resolve-paralogs" "Package"
expect_eq "$(field Version)" "$version" "Version"
expect_eq "$(field Architecture)" "$arch" "Architecture"
expect_eq "$(field Recommends)" "coinor-cbc, glpk-utils, nodejs" "Recommends"
expect_eq "$(field Section)" "science" "Section"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
# Depends as dpkg-shlibdeps computed it from the programs' shared libraries.
depends=$(field Depends)
for library in libc6 libstdc++6 libgcc-s1 libboost-program-options1.74.0 libboost-iostreams1.74.0 libzstd1; do
  [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] || fail "Depends lacks $library: $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/paralogs ./usr/bin/resolve-paralogs ./usr/share/man/man1/paralogs.1 \
    ./usr/share/man/man1/resolve-paralogs.1 ./usr/share/bash-completion/completions/paralogs \
    ./usr/share/paralogs/workflow/Snakefile ./usr/share/paralogs/examples/structs.txt \
    ./usr/share/paralogs/highs/highs-solve.mjs ./usr/share/paralogs/highs/node_modules/highs/build/highs.wasm; do
  grep -qxF "$path" <<< "$contents" || fail "the package lacks $path"
done

# The demo from the extracted programs.
root=$(mktemp -d) || exit 1
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/x" || exit 1
usr=$root/x/usr
expect_eq "$("$usr/bin/paralogs" --version)" "paralogs $version" "paralogs --version"
mkdir "$root/demo" && cp "$usr/share/paralogs/examples/"* "$root/demo/"
(cd "$root/demo" && "$usr/bin/resolve-paralogs" -s structs.txt -i solution.xml -o result.txt > /dev/null) ||
  fail "resolve-paralogs on the example"
expect_eq "$(cat "$root/demo/result.txt")" "$(printf '3;\ng1 2; C4: +a.2-b.2+a.1+c.1; L3: -a.4+b.3+d.1; \ng2 2; L3: +a.1+b.1+c.1; C3: -a.2+b.2+d.1; \ng3 1; L4: +a.1-b.2+c.1+a.2; ')" \
  "the demo's result"
score=$(cd "$root/demo" && "$usr/bin/paralogs" score -s result.txt 2> /dev/null)
[ "$(wc -l <<< "$score")" -eq 2 ] || fail "paralogs score on the demo's result: $score"
if command -v cbc > /dev/null; then
  (cd "$root/demo" && "$usr/bin/paralogs" model -s structs.txt -o model.lp 2> /dev/null &&
    cbc model.lp solve solu model.sol > /dev/null && "$usr/bin/paralogs" solution -i model.sol -o s.xml 2> /dev/null &&
    "$usr/bin/resolve-paralogs" -s structs.txt -i s.xml -o r.txt > /dev/null) || fail "the whole road with cbc"
fi

# HiGHS from the extracted package, the source tree (this script's parent)
# hidden under an empty directory where a private mount can be had.
if command -v node > /dev/null; then
  source_tree=$(cd "$(dirname "$0")/.." && pwd -P)
  run=(env -u PARALOGS_HIGHS_SCRIPT "$usr/bin/paralogs" pair -s structs.txt --a g1 --b g2 -d h --solver highs)
  mkdir "$root/empty"
  if unshare --mount true 2> /dev/null; then
    hide=$(printf 'mount --bind %q %q && cd %q && exec "$@"' "$root/empty" "$source_tree" "$root/demo")
    unshare --mount sh -c "$hide" sh "${run[@]}" > "$root/highs.log" 2>&1
  else
    echo "note: no private mount here; the source tree stays in reach"
    (cd "$root/demo" && "${run[@]}") > "$root/highs.log" 2>&1
  fi
  expect_eq "$(cut -f 12,20 "$root/demo/h/summary.tsv" 2> /dev/null | tail -1)" "$(printf 'optimal\t4.0')" \
    "paralogs pair --solver highs from the package ($(tail -1 "$root/highs.log"))"
fi

[ $failures -eq 0 ] && echo "package $deb: all checks passed"
exit $((failures > 0))

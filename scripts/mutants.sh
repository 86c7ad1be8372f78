#!/usr/bin/env bash
# Puts each fault of the catalogue (tests/mutants.tsv) into the code in turn, rebuilds, and runs the
# tests that must catch it: a fault the tests let pass is printed as SURVIVED and the run fails.
# Each line: name <TAB> file <TAB> perl substitution <TAB> CTest regex. Needs a built tree
# (scripts/test.sh or scripts/build.sh -DZANMO_BUILD_TESTS=ON); the code is restored after each.
# scripts/mutants.sh [name-regex]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ZANMO_BUILD_DIR:-$root/build}"
export QT_QPA_PLATFORM=offscreen
# The server's faults need the throw-away server the tests use.
cluster=""
trap '[ -n "$cluster" ] && "$root/scripts/pg-cluster.sh" stop "$cluster"' EXIT
if started=$("$root/scripts/pg-cluster.sh" start 2>/dev/null); then
  export ${started?}
  cluster=$ZANMO_TEST_PGDIR
fi
only="${1:-.}"
survived=0
while IFS=$'\t' read -r name file subst tests; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  [[ "$name" =~ $only ]] || continue
  cp "$root/$file" "$build/.mutant.orig"
  perl -0pi -e "$subst" "$root/$file"
  if cmp -s "$root/$file" "$build/.mutant.orig"; then
    echo "NOT APPLIED  $name ($file)"; survived=1; continue
  fi
  # Only the tests that must catch it (and the tool they run) are rebuilt.
  targets=$(cd "$build" && ctest -N -R "$tests" | sed -n 's|.*Test *#[0-9]*: [a-z]*/\(tst_[a-z]*\).*|\1|p' | sort -u)
  if ! cmake --build "$build" --parallel "$(nproc)" --target zanmo-tool $targets >"$build/.mutant.log" 2>&1; then
    echo "NO BUILD     $name"; survived=1; result=1
  else
    (cd "$build" && ctest -R "$tests" --parallel "$(nproc)" >"$build/.mutant.log" 2>&1)
    result=$?
  fi
  cp "$build/.mutant.orig" "$root/$file"
  touch "$root/$file"
  if [ $result -eq 0 ]; then echo "SURVIVED     $name"; survived=1; else echo "caught       $name"; fi
done <"$root/tests/mutants.tsv"
cmake --build "$build" --parallel "$(nproc)" >/dev/null
exit $survived

#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ (clang++, AddressSanitizer and UBSan on the
# libraries too) and runs each for the given seconds (default 60), seeded from fuzz/corpus/<target>/.
# Exits 1 on any finding; the input that found it is kept in build-fuzz/findings/.
# Usage: scripts/fuzz.sh [seconds per target] [target ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ZANMO_FUZZ_DIR:-$root/build-fuzz}"
seconds="${1:-60}"
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds per target] [target ...]" >&2
  exit 2
fi
cxx="${ZANMO_FUZZ_CXX:-clang++}"
command -v "$cxx" >/dev/null || { echo "fuzz: $cxx not found (Debian: apt-get install clang libclang-rt-dev)" >&2; exit 2; }

"$root/scripts/setup.sh"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
gen=()
command -v ninja >/dev/null && [ ! -f "$build/CMakeCache.txt" ] && gen=(-G Ninja)
cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="$flags" -DZANMO_BUILD_FUZZ=ON -DZANMO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target zanmo_fuzz --parallel "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/fuzz/fuzz_*; do
    [ -f "$bin" ] && [ -x "$bin" ] && targets+=("$(basename "$bin")")
  done
fi
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no targets built" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$build/findings" "$build/logs"
failed=()
for t in "${targets[@]}"; do
  bin="$build/fuzz/$t"
  [ -f "$bin" ] && [ -x "$bin" ] || { echo "fuzz: no target $t" >&2; failed+=("$t"); continue; }
  # New inputs go to the working corpus in the build folder; the seeds in the tree stay as they are.
  work="$build/corpus/$t"
  mkdir -p "$work"
  seeds=()
  [ -d "$root/fuzz/corpus/$t" ] && seeds=("$root/fuzz/corpus/$t")
  log="$build/logs/$t.log"
  echo "== $t: ${seconds}s"
  if "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=4096 -print_final_stats=1 \
       -artifact_prefix="$build/findings/$t-" "$work" "${seeds[@]}" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$log" | tr '\n' ' '
    echo
  else
    echo "!! $t found something (log: $log):"
    { grep -A3 'property broken' "$log"
      grep -E 'runtime error|ERROR: (Address|Leak)Sanitizer|ERROR: libFuzzer: (timeout|out-of-memory)|SUMMARY' "$log"
      grep -E "#[0-9]+ .* $root/(src|fuzz)/" "$log" | head -8
      grep -E 'Test unit written' "$log"; } | head -30
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: no findings"

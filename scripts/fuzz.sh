#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time over
# its seed corpus (new inputs go to a scratch folder, not into the repository).
# Usage: scripts/fuzz.sh [seconds per target] [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
build=${2:-$root/build-fuzz}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVITANKY_FUZZ=ON -DKVITANKY_TESTS=OFF \
  -DKVITANKY_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_ini fuzz_csv fuzz_dbf fuzz_workbook >/dev/null
status=0
for target in ini csv dbf workbook; do
  work="$build/corpus-work/$target"
  mkdir -p "$work"
  echo "fuzz_$target: ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=0 "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$build/" "$work" "$root/fuzz/corpus/$target" 2>"$build/fuzz_$target.log"; then
    echo "fuzz_$target found a crash:"; tail -40 "$build/fuzz_$target.log"; status=1
  else
    grep -E "^Done [0-9]+ runs" "$build/fuzz_$target.log" || tail -2 "$build/fuzz_$target.log"
  fi
done
exit $status

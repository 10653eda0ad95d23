#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/fuzz_*.cpp) with clang and runs each for a
# bounded time over its seed corpus (new inputs go to a scratch folder, not into the
# repository). The targets run side by side, as many at a time as there are cores;
# each keeps its full time.
# Usage: scripts/fuzz.sh [seconds per target] [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
build=${2:-$root/build-fuzz}
cores=$(nproc 2>/dev/null || echo 2)
targets=$(cd "$root/fuzz" && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')
# A folder already configured with the fuzz targets (the test command's sanitizer
# build) is used as it is; any other is configured for fuzzing alone.
if ! grep -q '^KVITANKY_FUZZ:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  generator=()
  if [ ! -e "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
  # Line tables (-g1) are all a crash report needs; the code keeps -O2 for the fuzzer's pace.
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVITANKY_FUZZ=ON \
    -DKVITANKY_TESTS=OFF -DKVITANKY_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" >/dev/null
fi
cmake --build "$build" -j "$cores" --target $(printf 'fuzz_%s ' $targets) >/dev/null

fuzz() { # fuzz <target>: fails when the target found a crash
  local work="$build/corpus-work/$1" seeds=()
  mkdir -p "$work"
  [ -d "$root/fuzz/corpus/$1" ] && seeds=("$root/fuzz/corpus/$1")
  ASAN_OPTIONS=detect_leaks=0 "$build/bin/fuzz_$1" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$build/" "$work" "${seeds[@]}" 2>"$build/fuzz_$1.log"
}
for target in $targets; do
  while (($(jobs -rp | wc -l) >= cores)); do wait -n || true; done
  (if fuzz "$target"; then echo 0; else echo 1; fi >"$build/fuzz_$target.status") &
done
wait

status=0
for target in $targets; do
  echo "fuzz_$target: ${seconds}s"
  if [ "$(cat "$build/fuzz_$target.status")" != 0 ]; then
    echo "fuzz_$target found a crash:"; tail -40 "$build/fuzz_$target.log"; status=1
  else
    grep -E "^Done [0-9]+ runs" "$build/fuzz_$target.log" || tail -2 "$build/fuzz_$target.log"
  fi
done
exit $status

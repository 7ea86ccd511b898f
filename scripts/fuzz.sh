#!/usr/bin/env bash
# Fuzzes the level file parser with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer), starting from small levels the level writer
# makes. Usage: scripts/fuzz.sh [BUILD_DIR] [SECONDS]   (defaults: build, 60)
# Exits non-zero when the fuzzer finds a crash, a leak or undefined behaviour;
# the input that caused it is left in BUILD_DIR/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-60}
out="$build/fuzz"
mkdir -p "$out/corpus" "$out/seeds"

# The seed corpus: level files written by the level writer.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target level_seeds >/dev/null
"$build/tools/level/level_seeds" "$out/seeds"

# The parser and the queries, compiled on their own with the fuzzer runtime.
clang++ -std=c++17 -O1 -g -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I. $(pkg-config --cflags sdl) \
  fuzz/level_fuzzer.cpp level/*.cpp assets/byte_reader.cpp world/entity.cpp platform/clock.cpp \
  $(pkg-config --libs sdl) -o "$out/level_fuzzer"

echo "fuzz: level parser for ${seconds}s"
cd "$out"
if ! ./level_fuzzer -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 corpus seeds >fuzz.log 2>&1; then
  tail -n 60 fuzz.log >&2
  echo "fuzz: the level parser failed; the log and the input are in $out" >&2
  exit 1
fi
grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)" fuzz.log || true
echo "fuzz: no failures"

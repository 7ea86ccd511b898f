#!/usr/bin/env bash
# Fuzzes every reader of the game's files with libFuzzer (clang,
# AddressSanitizer and UndefinedBehaviorSanitizer), one after another, each
# starting from small valid files the project's own writers make and a
# dictionary of its format (fuzz/NAME.dict).
#
# Usage: scripts/fuzz.sh [--long MINUTES | --runs COUNT] [--only NAME] [BUILD_DIR]
#   default      each target for 30 seconds (the test run)
#   --long M     each target for M minutes
#   --runs N     each target for N executions
#   --only NAME  just that target
# Exits non-zero when a fuzzer finds a crash, a leak, a hang or undefined
# behaviour; its log and the input are left in BUILD_DIR/fuzz/NAME/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

limit=(-max_total_time=30)
only=""
build=build
while [ $# -gt 0 ]; do
  case $1 in
    --long) limit=(-max_total_time=$(($2 * 60))); shift 2 ;;
    --runs) limit=(-runs="$2"); shift 2 ;;
    --only) only=$2; shift 2 ;;
    -*) echo "fuzz: unknown option $1" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
out="$root/$build/fuzz"
mkdir -p "$out"

# The targets: name, the largest input worth trying, the sources (globs are
# expanded from the project's root). A new reader's fuzzer is one more line
# here; it starts from whatever write_seeds leaves in $out/NAME/seeds and
# uses fuzz/NAME.dict when there is one.
targets=(
  "level 32768 fuzz/level_fuzzer.cpp level/*.cpp assets/byte_reader.cpp platform/large_arrays.cpp world/entity.cpp platform/clock.cpp"
  "bitmap 8192 fuzz/bitmap_fuzzer.cpp assets/bitmap.cpp assets/byte_reader.cpp platform/large_arrays.cpp"
  "p3d 8192 fuzz/p3d_fuzzer.cpp assets/p3d_model.cpp assets/bitmap.cpp assets/byte_reader.cpp platform/large_arrays.cpp assets/texture.cpp"
  "net 1400 fuzz/net_fuzzer.cpp net/messages.cpp net/snapshot.cpp assets/byte_reader.cpp world/round.cpp platform/large_arrays.cpp"
  "demo 16384 fuzz/demo_fuzzer.cpp demo/demo_file.cpp demo/demo_player.cpp settings/key_names.cpp settings/settings.cpp assets/byte_reader.cpp platform/large_arrays.cpp platform/clock.cpp platform/input.cpp platform/crc32.cpp"
)

# The seed corpus, written by the project's own level, bitmap and model writers.
write_seeds() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja >/dev/null
  fi
  mkdir -p "$out/level/seeds" "$out/bitmap/seeds" "$out/p3d/seeds" "$out/demo/seeds" "$out/net/seeds"
  cmake --build "$build" --target level_seeds >/dev/null
  "$build/tools/level/level_seeds" "$out/level/seeds"
  clang++ -std=c++17 -O1 -I. fuzz/asset_seeds.cpp tools/content/bmp_writer.cpp \
    tools/content/p3d_writer.cpp tools/common/byte_writer.cpp platform/file_writer.cpp \
    -o "$out/asset_seeds"
  # The model fuzzer reads its seeds' texture "skin.bmp" from its own folder.
  (cd "$out/p3d" && ../asset_seeds "$out/bitmap/seeds" "$out/p3d/seeds")
  clang++ -std=c++17 -O1 -I. $(pkg-config --cflags sdl) fuzz/demo_seeds.cpp demo/demo_file.cpp settings/key_names.cpp settings/settings.cpp \
    assets/byte_reader.cpp platform/large_arrays.cpp tools/common/byte_writer.cpp \
    platform/file_writer.cpp platform/crc32.cpp -o "$out/demo_seeds"
  "$out/demo_seeds" "$out/demo/seeds"
  cp bench/demos/*.dem "$out/demo/seeds/"
  clang++ -std=c++17 -O1 -I. fuzz/net_seeds.cpp net/messages.cpp net/snapshot.cpp \
    assets/byte_reader.cpp world/round.cpp platform/large_arrays.cpp tools/common/byte_writer.cpp \
    platform/file_writer.cpp platform/crc32.cpp -o "$out/net_seeds"
  "$out/net_seeds" "$out/net/seeds"
}

# Compiles the parser and its fuzzer on their own with the fuzzer runtime.
build_target() {
  local name=$1; shift
  clang++ -std=c++17 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I. $(pkg-config --cflags sdl) "$@" \
    $(pkg-config --libs sdl) -lGLU -lGL -o "$out/$name/${name}_fuzzer"
}

run_target() {
  local name=$1 max_len=$2
  local dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
  echo "fuzz: $name (${limit[*]})"
  # A smaller quarantine for freed memory, and no filling of new blocks,
  # double the speed of the level reader's fuzzer; use after free is still
  # caught within the last 16 MB freed.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:max_malloc_fill_size=0}
  mkdir -p "$out/$name/corpus" "$out/$name/seeds"
  if ! (cd "$out/$name" && "./${name}_fuzzer" "${limit[@]}" "${dict[@]}" -max_len="$max_len" \
      -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 corpus seeds >fuzz.log 2>&1); then
    tail -n 60 "$out/$name/fuzz.log" >&2
    echo "fuzz: the $name reader failed; the log and the input are in $out/$name" >&2
    return 1
  fi
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)" \
    "$out/$name/fuzz.log" | sed "s/^/  /" || true
}

write_seeds
failed=0
for target in "${targets[@]}"; do
  read -r name max_len sources <<<"$target"
  [ -n "$only" ] && [ "$only" != "$name" ] && continue
  mkdir -p "$out/$name"
  build_target "$name" $sources
  run_target "$name" "$max_len" || failed=1
done
[ $failed -eq 0 ] && echo "fuzz: no failures"
exit $failed

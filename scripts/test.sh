#!/usr/bin/env bash
# Builds the game and runs every test, then builds and runs them again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
# run_suite DIR EXCLUDE CMAKE_ARG...: builds in DIR and runs every test
# whose name EXCLUDE (a ctest regular expression, or "") does not match.
run_suite() {
  local dir=$1 exclude=$2; shift 2
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  # GL tests share one virtual screen; the end-to-end tests start their own.
  # -noreset keeps the screen up between tests: a server that starts over as
  # its last client leaves turns away whoever connects in that moment.
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" \
    env SDL_AUDIODRIVER=dummy ctest --test-dir "$dir" --output-on-failure -j "$jobs" \
    ${exclude:+-E "$exclude"}
}

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_suite build "" -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The screen test's sizes and pages are layout, checked above; under the
# sanitizers the game's memory is watched through starts on a desktop larger
# than its mode (e2e_start_test), mode changes (e2e_video_test) and play.
run_suite build-sanitize "^e2e_screen_test$" \
  -DCMAKE_BUILD_TYPE=Debug -DDRIFTWING_SANITIZE=ON -DDRIFTWING_BENCHMARKS=OFF

# A short fuzzing run of every file reader under AddressSanitizer (30 s each).
bash scripts/fuzz.sh build

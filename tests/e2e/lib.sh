#!/usr/bin/env bash
# Helpers for end-to-end tests: the real game on its own Xvfb screen, driven
# with real pointer and key input through XTEST and checked with screenshots.
#
#   e2e_start_display          fresh Xvfb at 1024x768x24; sets DISPLAY
#   e2e_start_game [ENV=...]   copies the content folder and starts the game in
#                              it; waits for its window; sets GAME_PID, GAME_DIR
#   e2e_shot NAME              screenshot into $E2E_ARTIFACTS/NAME.png; prints path
#   e2e_pixel FILE X Y         prints "r g b" of one pixel (0..255)
#   e2e_region_max FILE X Y W H    prints "r g b" channel maxima over a box
#   e2e_move X Y | e2e_move_relative DX DY | e2e_click X Y [BUTTON]
#   e2e_key KEY [SECONDS]      holds a key, then releases it
#   e2e_wait_exit SECONDS      waits for the game to end; sets GAME_STATUS to its
#                              exit status, or to "timeout" (call it directly,
#                              not in \$(...): only this shell can wait for the game)
#   e2e_fail MESSAGE           prints and ends the test with status 1
set -euo pipefail

: "${DRIFTWING_BIN:?set DRIFTWING_BIN to the game binary}"
: "${DRIFTWING_DATA:?set DRIFTWING_DATA to the content folder}"
: "${E2E_ARTIFACTS:=$(pwd)/e2e-artifacts/$(basename "$0" .sh)}"
mkdir -p "$E2E_ARTIFACTS"

E2E_TMP=$(mktemp -d)
XVFB_PID=""
GAME_PID=""

e2e_cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  [ -f "$E2E_TMP/game.log" ] && { echo "--- game output ---" >&2; cat "$E2E_TMP/game.log" >&2; }
  exit 1
}

e2e_start_display() {
  local n
  for n in $(seq 140 240); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 300); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      # Lost the number to another server starting at the same moment.
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  done
  e2e_fail "no Xvfb screen could be started: $(cat "$E2E_TMP/xvfb.log")"
}

e2e_start_game() {
  GAME_DIR="$E2E_TMP/game"
  rm -rf "$GAME_DIR"
  cp -r "$DRIFTWING_DATA" "$GAME_DIR"
  (cd "$GAME_DIR" && exec env SDL_AUDIODRIVER=dummy "$@" "$DRIFTWING_BIN") >"$E2E_TMP/game.log" 2>&1 &
  GAME_PID=$!
  e2e_wait_window
}

e2e_wait_window() {
  for _ in $(seq 300); do
    if xdotool search --name '^Driftwing$' >/dev/null 2>&1; then
      # Let start-up finish and the first menu frames draw.
      sleep 1.5
      return 0
    fi
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended before opening its window"
    sleep 0.1
  done
  e2e_fail "no window captioned Driftwing appeared"
}

e2e_shot() {
  local file="$E2E_ARTIFACTS/$1.png"
  import -display "$DISPLAY" -window root "$file"
  echo "$file"
}

e2e_pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

e2e_region_max() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -format "%[fx:int(255*maxima.r)] %[fx:int(255*maxima.g)] %[fx:int(255*maxima.b)]" info:
}

e2e_move() { xdotool mousemove --sync "$1" "$2" 2>/dev/null || xdotool mousemove "$1" "$2"; sleep 0.2; }
e2e_move_relative() { xdotool mousemove_relative -- "$1" "$2"; sleep 0.2; }

e2e_click() {
  e2e_move "$1" "$2"
  xdotool mousedown "${3:-1}"
  sleep 0.1
  xdotool mouseup "${3:-1}"
  sleep 0.5
}

e2e_key() {
  xdotool keydown "$1"
  sleep "${2:-0.15}"
  xdotool keyup "$1"
  sleep 0.3
}

e2e_wait_exit() {
  local deadline=$((SECONDS + $1))
  GAME_STATUS=timeout
  while kill -0 "$GAME_PID" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || return 0
    sleep 0.1
  done
  GAME_STATUS=0
  wait "$GAME_PID" || GAME_STATUS=$?
  GAME_PID=""
}

e2e_game_log() { cat "$E2E_TMP/game.log"; }

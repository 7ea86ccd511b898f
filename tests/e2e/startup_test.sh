#!/usr/bin/env bash
# Start-up as a player meets it: the window opens with its caption, and a
# missing or damaged data file stops the game with a line that names it.
source "$(dirname "$0")/lib.sh"

e2e_start_display

# The window opens full screen, captioned "Driftwing".
e2e_start_game
window=$(xdotool search --name '^Driftwing$' | head -n 1)
[ "$(xdotool getwindowname "$window")" = "Driftwing" ] || e2e_fail "wrong caption"
shot=$(e2e_shot started)
read -r r g b <<<"$(e2e_region_max "$shot" 0 0 1024 768)"
[ $((r + g + b)) -gt 0 ] || e2e_fail "the first frames drew nothing"
kill -TERM "$GAME_PID"
e2e_wait_exit 20
[ "$GAME_STATUS" = 0 ] || e2e_fail "SIGTERM ended the game with status $GAME_STATUS"

# Each missing or damaged start-up file is named, and the game ends non-zero.
expect_start_up_failure() {
  local what=$1 file=$2
  GAME_DIR="$E2E_TMP/game"
  rm -rf "$GAME_DIR"
  cp -r "$DRIFTWING_DATA" "$GAME_DIR"
  case $what in
    missing) rm "$GAME_DIR/$file" ;;
    damaged) head -c 30 "$DRIFTWING_DATA/$file" >"$GAME_DIR/$file" ;;
    empty) : >"$GAME_DIR/$file" ;;
    directory) rm "$GAME_DIR/$file" && mkdir "$GAME_DIR/$file" ;;
  esac
  local status=0
  (cd "$GAME_DIR" && SDL_AUDIODRIVER=dummy timeout 60 "$DRIFTWING_BIN") >"$E2E_TMP/out.log" 2>&1 || status=$?
  [ "$status" -ne 0 ] || e2e_fail "$what $file: exit status 0"
  [ "$status" -ne 124 ] || e2e_fail "$what $file: the game did not stop"
  grep -q "$file" "$E2E_TMP/out.log" || e2e_fail "$what $file: not named in: $(cat "$E2E_TMP/out.log")"
  echo "ok: $what $file -> status $status: $(grep "$file" "$E2E_TMP/out.log" | head -n 1)"
}

expect_start_up_failure missing models/ship.p3d
expect_start_up_failure missing models/rocket.p3d
expect_start_up_failure missing textures/explosion.bmp
expect_start_up_failure missing models/sphere.bmp
expect_start_up_failure missing sound/rocket.wav
expect_start_up_failure missing sound/explode01.wav
expect_start_up_failure damaged models/ship.p3d
expect_start_up_failure damaged textures/explosion.bmp
expect_start_up_failure missing textures/menu_bg.bmp
expect_start_up_failure directory models/rocket.p3d
expect_start_up_failure empty sound/explode01.wav

# Without any usable sound device the game says how to play without sound.
status=0
(cd "$DRIFTWING_DATA" && SDL_AUDIODRIVER=no-such-driver timeout 60 "$DRIFTWING_BIN") >"$E2E_TMP/out.log" 2>&1 || status=$?
[ "$status" -ne 0 ] || e2e_fail "no audio device: exit status 0"
grep -q "SDL_AUDIODRIVER=dummy" "$E2E_TMP/out.log" || e2e_fail "no audio device: no hint in: $(cat "$E2E_TMP/out.log")"
echo "ok: no audio device -> $(head -n 1 "$E2E_TMP/out.log")"
echo "startup test passed"

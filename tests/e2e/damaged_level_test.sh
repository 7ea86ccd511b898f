#!/usr/bin/env bash
# Missing and damaged data as a player meets it. A start-up file stops the
# game with a line that names it, as does a missing display; a missing sound
# device is told in one line and the game plays in silence. A damaged level or level texture keeps the game in the menu:
# "Play Game" says on stderr which file is wrong; once the files are
# mended, "Play Game" plays.
source "$(dirname "$0")/lib.sh"

e2e_start_display

# Each missing or damaged start-up file is named, and the game ends non-zero.
start_up_refused() {
  local what=$1 file=$2 status=0
  rm -rf "$E2E_TMP/game"
  cp -r "$DRIFTWING_DATA" "$E2E_TMP/game"
  case $what in
    missing) rm "$E2E_TMP/game/$file" ;;
    damaged) head -c 30 "$DRIFTWING_DATA/$file" >"$E2E_TMP/game/$file" ;;
    empty) : >"$E2E_TMP/game/$file" ;;
    directory) rm "$E2E_TMP/game/$file" && mkdir "$E2E_TMP/game/$file" ;;
  esac
  (cd "$E2E_TMP/game" && SDL_AUDIODRIVER=dummy timeout 60 "$DRIFTWING_BIN") >"$E2E_TMP/out.log" 2>&1 || status=$?
  [ "$status" -ne 0 ] && [ "$status" -ne 124 ] || e2e_fail "$what $file: exit status $status"
  grep -q "$file" "$E2E_TMP/out.log" || e2e_fail "$what $file: not named in: $(cat "$E2E_TMP/out.log")"
  echo "ok: $what $file -> status $status: $(grep "$file" "$E2E_TMP/out.log" | head -n 1)"
}
for damage in "missing models/ship.p3d" "missing models/rocket.p3d" "missing textures/explosion.bmp" \
  "missing models/sphere.bmp" "missing sound/rocket.wav" "missing sound/explode01.wav" \
  "missing textures/menu_bg.bmp" "damaged models/ship.p3d" "damaged textures/explosion.bmp" \
  "directory models/rocket.p3d" "empty sound/explode01.wav"; do
  start_up_refused $damage
done

# Without any usable sound device the game says so in one line and plays
# in silence.
e2e_start_game SDL_AUDIODRIVER=no-such-driver
[ "$(e2e_game_log | grep -c "playing without sound")" = 1 ] ||
  e2e_fail "no audio device: not told in one line: $(e2e_game_log)"
kill -TERM "$GAME_PID"
e2e_wait_exit 30
[ "$GAME_STATUS" = 0 ] || e2e_fail "no audio device: the game ended with status $GAME_STATUS"
echo "ok: no audio device -> $(e2e_game_log | grep "without sound"), and the menu shows"

# With no display to reach it says so and stops, rather than running unseen
# on a driver that draws off screen.
status=0
(cd "$DRIFTWING_DATA" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy timeout 30 \
  "$DRIFTWING_BIN") >"$E2E_TMP/out.log" 2>&1 || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] && grep -q "no display could be reached" "$E2E_TMP/out.log" ||
  e2e_fail "no display: status $status: $(cat "$E2E_TMP/out.log")"
echo "ok: no display -> $(grep "no display" "$E2E_TMP/out.log")"

PLAY=(590 302)  # main menu: "Play Game"
shows_main_menu() { above "$(fraction "$1" 370 45 410 280 "r>0.85")" 0.1 && ! is_play_frame "$1"; }

# Clicks "Play Game" and waits for a line naming FILE; the menu stays.
play_refused() {
  local try
  for try in 1 2 3; do
    e2e_click "${PLAY[@]}"
    # A stalled game can miss a click (see e2e_click_until): only then is it
    # made again.
    (e2e_wait_log 20 "$1") 2>/dev/null && break
  done
  e2e_wait_log 1 "$1"
  e2e_wait_shot "refused-$(basename "$1")" 60 shows_main_menu
  kill -0 "$GAME_PID" || e2e_fail "the game ended after a damaged $1"
  echo "ok: $1 damaged -> $(e2e_game_log | grep "$1" | tail -n 1)"
}

e2e_start_game
mv "$GAME_DIR/textures/rock.bmp" "$E2E_TMP/rock.bmp"
mkdir "$GAME_DIR/textures/rock.bmp"
play_refused textures/rock.bmp
mv "$GAME_DIR/map.wrl" "$E2E_TMP/map.wrl"
mkdir "$GAME_DIR/map.wrl"
play_refused map.wrl

rmdir "$GAME_DIR/map.wrl" "$GAME_DIR/textures/rock.bmp"
mv "$E2E_TMP/map.wrl" "$E2E_TMP/rock.bmp" -t "$GAME_DIR"
mv "$GAME_DIR/rock.bmp" "$GAME_DIR/textures/"
e2e_click_until mended "${PLAY[@]}" is_play_frame
echo "ok: with the files mended \"Play Game\" plays"
kill -TERM "$GAME_PID"
e2e_wait_exit 30
[ "$GAME_STATUS" = 0 ] || e2e_fail "the game ended with status $GAME_STATUS"
echo "damaged level test passed"

#!/usr/bin/env bash
# A damaged level or level texture as a player meets it: "Play Game" says on
# stderr which file is wrong and the menu stays; once the files are mended,
# "Play Game" plays.
source "$(dirname "$0")/lib.sh"

PLAY=(590 302)  # main menu: "Play Game"
fraction() { convert "$1" -crop "$2x$3+$4+$5" +repage -fx "$6" -format "%[fx:mean]" info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# The HUD's white line at the top left of a play frame; "Play Game" and
# "Quit" lit on the main menu.
is_play_frame() { above "$(fraction "$1" 430 45 20 25 "r>0.85&&g>0.85&&b>0.85")" 0.05; }
shows_main_menu() {
  above "$(fraction "$1" 370 45 410 280 "r>0.85")" 0.1 && ! is_play_frame "$1"
}

# Polls until CHECK holds on a screenshot, for at most 60 s.
wait_for_screen() {
  local shot
  for _ in $(seq 120); do
    shot=$(e2e_shot "$2")
    "$1" "$shot" && return 0
    sleep 0.5
  done
  e2e_fail "$2: the expected screen did not show ($shot)"
}

# Clicks "Play Game" and polls the game's output for a line naming FILE.
play_refused() {
  local file=$1 try
  for try in 1 2 3; do
    e2e_click "${PLAY[@]}"
    # A stalled game can miss a click (see e2e_click_until): only then is it
    # made again.
    for _ in $(seq 40); do
      e2e_game_log | grep -q "$file" && break 2
      sleep 0.5
    done
  done
  e2e_game_log | grep -q "$file" || e2e_fail "\"Play Game\" did not name $file"
  wait_for_screen shows_main_menu "refused-$(basename "$file")"
  kill -0 "$GAME_PID" || e2e_fail "the game ended after a damaged $file"
  echo "ok: $file damaged -> $(e2e_game_log | grep "$file" | tail -n 1)"
}

e2e_start_display
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

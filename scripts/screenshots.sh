#!/usr/bin/env bash
# Makes the README's pictures from the built game under Xvfb: the main menu,
# and play in the arena with a rocket bursting ahead of the ship. Writes
# docs/screenshots/menu.jpg and docs/screenshots/play.jpg.
#   scripts/screenshots.sh [BUILD_DIR]    (default: build, built already)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$PWD/docs/screenshots
[ -x "$build/driftwing" ] && [ -f "$build/data/map.wrl" ] ||
  { echo "screenshots: build the game first (cmake --build $build)" >&2; exit 1; }

export DRIFTWING_BIN=$build/driftwing DRIFTWING_DATA=$build/data
export E2E_ARTIFACTS=$(mktemp -d)
source tests/e2e/lib.sh
trap 'e2e_cleanup; rm -rf "$E2E_ARTIFACTS"' EXIT

# JPEG keeps a textured 1024 x 768 frame well under 200 kB.
save() {  # SHOT NAME
  convert "$1" -strip -quality 88 -sampling-factor 4:2:0 "$out/$2.jpg"
  echo "screenshots: $out/$2.jpg ($(($(stat -c %s "$out/$2.jpg") / 1024)) kB)"
}
white_in() {  # FILE X Y W H
  convert "$1" -crop "$4x$5+$2+$3" +repage -fx 'r>0.85&&g>0.85&&b>0.85' \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
# Bright orange and yellow pixels, the burst's particles and their glow,
# counted on a quarter-size copy (-fx is slow).
blast_in() {
  convert "$1" -sample 256x192 -fx 'r>0.8&&g>0.35&&b<0.45&&r>b+0.4' -format '%[fx:int(mean*w*h+0.5)]' info:
}

e2e_start_display
e2e_start_game

# The menu, once its rows of text are drawn, with the pointer off them.
e2e_move 1000 20
deadline=$((SECONDS + 60))
until shot=$(e2e_shot menu) && [ "$(white_in "$shot" 409 294 204 25)" -ge 200 ]; do
  [ $SECONDS -lt $deadline ] || e2e_fail "no menu within 60 s"
  sleep 0.5
done
sleep 2  # let the ship turn to show its side
save "$(e2e_shot menu)" menu

# "Play Game", then wait for the level to show (the menu's text is gone).
e2e_click 443 307
deadline=$((SECONDS + 60))
until shot=$(e2e_shot playing) && [ "$(white_in "$shot" 409 294 204 25)" -lt 50 ]; do
  [ $SECONDS -lt $deadline ] || e2e_fail "the level did not show within 60 s"
  sleep 0.5
done
sleep 1

# Turn towards the arch and look a little down, so a rocket bursts on the
# ground ahead with the arena behind it. The burst lasts a moment: sample
# the screen quickly and keep the frame that shows most of it.
for _ in 1 2 3; do e2e_move_relative 300 0; done
e2e_move_relative -60 90
sleep 1.5
best=0
for attempt in 1 2 3; do
  xdotool mousedown 1
  sleep 0.2
  xdotool mouseup 1
  for i in $(seq 1 20); do
    xwd -root -silent -display "$DISPLAY" >"$E2E_TMP/fire$attempt-$i.xwd"
    sleep 0.1
  done
  for i in $(seq 1 20); do
    lit=$(blast_in "xwd:$E2E_TMP/fire$attempt-$i.xwd")
    if [ "$lit" -gt "$best" ]; then
      best=$lit
      convert "xwd:$E2E_TMP/fire$attempt-$i.xwd" "$E2E_TMP/play.png"
    fi
  done
  [ "$best" -lt 200 ] || break
  sleep 1  # the rocket's reload, and the last burst fading
done
[ "$best" -gt 0 ] || e2e_fail "no rocket burst was seen"
save "$E2E_TMP/play.png" play
kill -TERM "$GAME_PID"
e2e_wait_exit 20

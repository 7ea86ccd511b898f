#!/usr/bin/env bash
# Network play as two players play it, each with a window on a screen of its
# own: one hosts, the other joins over loopback. The host sees the joiner's
# ship straight ahead; the joiner turns until it sees the host's. The host
# fires: a rocket wrecks the joiner's ship, and the host's scoreboard (Tab)
# counts it. Then the host's game is killed outright: the joiner is back in
# its menu, told that the connection was lost.
source "$(dirname "$0")/lib.sh"

port=$((30000 + RANDOM % 2000))
size=640x480

# Pixels of a ship in a band across the middle of the picture, about the
# horizon: its grey metal and orange trim, where the field is green, beyond
# it black and the sky above blue.
ship_pixels() {
  convert "$1" -crop 400x60+120+220 +repage \
    -fx '(r>g+0.12&&r>b+0.12) || (abs(r-g)<0.07&&abs(g-b)<0.07&&r>0.2&&r<0.75)' \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
shows_ship() { [ "$(ship_pixels "$1")" -ge 40 ]; }
play_frame() { is_play_frame "$1" && ! e2e_shows_menu "$1"; }

# The host: this screen and the game lib.sh keeps.
e2e_start_display "$size"
host_display=$DISPLAY
host_xvfb=$XVFB_PID
GAME_DIR="$E2E_TMP/host"
cp -r "$DRIFTWING_DATA" "$GAME_DIR"
(cd "$GAME_DIR" && exec env SDL_AUDIODRIVER=dummy "$DRIFTWING_BIN" --window "$size" \
  --host "$port" --name Hosty --no-drones --round 600) >"$E2E_TMP/game.log" 2>&1 &
GAME_PID=$!
host_pid=$GAME_PID
deadline=$((SECONDS + 90))
until xdotool search --name '^Driftwing$' >/dev/null 2>&1; do
  kill -0 "$host_pid" 2>/dev/null || e2e_fail "the host's game ended"
  [ $SECONDS -lt $deadline ] || e2e_fail "the host's window did not open"
  sleep 0.1
done
e2e_wait_shot host-playing 90 play_frame
e2e_wait_log 30 "hosting a game on port $port"
echo "ok: the host plays, hosting on port $port"

# The joiner: a second screen and game.
XVFB_PID=""
e2e_start_display "$size"
join_display=$DISPLAY
join_xvfb=$XVFB_PID
trap 'kill "$join_pid" "$host_pid" "$join_xvfb" "$host_xvfb" 2>/dev/null || true; e2e_cleanup' EXIT
mkdir -p "$E2E_TMP/join"
cp -r "$DRIFTWING_DATA/." "$E2E_TMP/join"
(cd "$E2E_TMP/join" && exec env SDL_AUDIODRIVER=dummy "$DRIFTWING_BIN" --window "$size" \
  --connect "127.0.0.1:$port" --name Joiner) >"$E2E_TMP/join.log" 2>&1 &
join_pid=$!
GAME_PID=$join_pid
deadline=$((SECONDS + 90))
until xdotool search --name '^Driftwing$' >/dev/null 2>&1; do
  kill -0 "$join_pid" 2>/dev/null || e2e_fail "the joiner's game ended: $(cat "$E2E_TMP/join.log")"
  [ $SECONDS -lt $deadline ] || e2e_fail "the joiner's window did not open"
  sleep 0.1
done
e2e_wait_shot joiner-playing 90 play_frame
GAME_PID=$host_pid
export DISPLAY=$host_display
e2e_wait_log 60 "Joiner joined as player 1"
echo "ok: the second player joined"

# The host looks straight at the joiner's place.
e2e_wait_shot host-sees-joiner 60 shows_ship
echo "ok: the host's picture shows the joiner's ship ($(ship_pixels "$E2E_SHOT") ship pixels)"

# The joiner turns, a step at a time, until the host's ship is in view.
export DISPLAY=$join_display
GAME_PID=$join_pid
seen=""
for step in $(seq 1 40); do
  xdotool mousemove_relative -- 60 0
  shot=$(e2e_shot "joiner-turn$step")
  if shows_ship "$shot"; then
    seen=$shot
    break
  fi
done
[ -n "$seen" ] || e2e_fail "the joiner turned round and never saw the host's ship"
cp "$seen" "$E2E_ARTIFACTS/joiner-sees-host.png"
echo "ok: the joiner's picture shows the host's ship after turning ($(ship_pixels "$seen") ship pixels)"

# The host's scoreboard before, then rockets until the joiner's ship is
# wrecked (a new ship is shielded for its first seconds).
export DISPLAY=$host_display
GAME_PID=$host_pid
board() {  # NAME: the scoreboard while Tab is held
  xdotool keydown Tab
  sleep 0.5
  e2e_wait_shot "$1" 20 at_least_text
  xdotool keyup Tab
}
board_box=320x90+160+105  # the scoreboard's rows at 640 x 480
at_least_text() { at_least "$1" 160 105 320 90 white 100; }
board board-before
cp "$E2E_SHOT" "$E2E_TMP/before.png"
xdotool mousedown 1
e2e_wait_log 60 "Joiner's ship was destroyed by Hosty"
xdotool mouseup 1
echo "ok: a rocket from the host wrecked the joiner's ship"
board board-after
convert "$E2E_TMP/before.png" -crop $board_box +repage "$E2E_TMP/board-before.png"
convert "$E2E_SHOT" -crop $board_box +repage "$E2E_TMP/board-after.png"
changed=$(compare -metric AE -fuzz 10% "$E2E_TMP/board-before.png" "$E2E_TMP/board-after.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 20 ] || e2e_fail "the scoreboard did not change after the kill ($E2E_SHOT)"
echo "ok: the host's scoreboard counts it"

# The host's game is killed outright: the joiner is back in its menu.
kill -KILL "$host_pid"
export DISPLAY=$join_display
GAME_PID=$join_pid
deadline=$((SECONDS + 30))
until grep -q "connection to 127.0.0.1:$port lost" "$E2E_TMP/join.log"; do
  [ $SECONDS -lt $deadline ] || e2e_fail "the joiner was not told the connection was lost: $(cat "$E2E_TMP/join.log")"
  sleep 0.2
done
notice=$(row_box -0.6 0.31 1.1)  # the line under the title
told() { e2e_shows_menu "$1" && at_least "$1" $notice white 60; }
e2e_wait_shot joiner-menu 60 told
echo "ok: with the host gone the joiner is back in the menu, told the connection was lost"
kill -TERM "$join_pid"
echo "network test passed"

#!/usr/bin/env bash
# Helpers for end-to-end tests: the real game on its own Xvfb screen, driven
# with real pointer and key input through XTEST and checked with screenshots.
# Nothing waits a fixed time for the game: each step polls the screen or the
# game's output until what it expects shows, within a time limit, so a loaded
# machine only makes the tests slower.
#
#   e2e_start_display [WxH]    fresh Xvfb (1024x768x24 unless given); sets DISPLAY
#   e2e_start_game [ENV=...] [-- ARG...]
#                              copies the content folder and starts the game in
#                              it with ARGs (under E2E_WRAPPER, when set), with
#                              no settings file unless E2E_KEEP_SETTINGS=1; waits
#                              for its window and the menu; sets GAME_PID, GAME_DIR
#   e2e_shot NAME              screenshot into $E2E_ARTIFACTS/NAME.png; prints path
#   e2e_wait_shot NAME SECONDS CHECK [ARG...]
#                              screenshots until `CHECK SHOT ARG...` succeeds;
#                              sets E2E_SHOT to that shot; fails after SECONDS
#   e2e_wait_log SECONDS PATTERN   waits for a line of the game's output
#   e2e_stop_display           ends the game and the screen
#   e2e_shows_menu SHOT        the menu's background fills the screen
#   e2e_move X Y | e2e_move_relative DX DY | e2e_click X Y [BUTTON]
#   e2e_click_until NAME X Y CHECK [ARG...]
#                              clicks until e2e_wait_shot sees CHECK (a click a
#                              stalled game missed is made again)
#   e2e_key KEY [SECONDS]      holds a key, then releases it
#   e2e_key_until NAME KEY CHECK [ARG...]
#                              the same for a key, held 0.3 s
#   e2e_wait_exit SECONDS      waits for the game to end; sets GAME_STATUS to its
#                              exit status, or to "timeout" (call it directly,
#                              not in \$(...): only this shell can wait for the game)
#   e2e_fail MESSAGE           prints and ends the test with status 1
#   e2e_picture                where the game's picture is on the screen: sets
#                              PIC_X PIC_Y PIC_W PIC_H, and MODE_W MODE_H
#   e2e_text_rows SHOT         the rows of white menu text in the picture, top
#                              first, one "top bottom left right" line each
#   pixel_x X | pixel_y Y      a point of menu coordinates on the screen
#   button_point X Y [RISE]    a point inside the button whose text starts at X, Y
#   row_box X Y W              the box a row of text fills: "x y w h"
#   at_least SHOT BOX white|red MIN | none SHOT BOX white|red
#   fraction FILE W H X Y FX   the fraction (0..1) of a box's pixels passing FX
#   above A B                  succeeds when the number A is above B
#   is_play_frame SHOT         the HUD's white line shows at the top left
set -euo pipefail

: "${DRIFTWING_BIN:?set DRIFTWING_BIN to the game binary}"
: "${DRIFTWING_DATA:?set DRIFTWING_DATA to the content folder}"
: "${E2E_ARTIFACTS:=$(pwd)/e2e-artifacts/$(basename "$0" .sh)}"
mkdir -p "$E2E_ARTIFACTS"

E2E_TMP=$(mktemp -d)
# The game's settings file lives here, never in the user's own folder. Each
# start begins with no settings unless E2E_KEEP_SETTINGS=1, when the game
# finds what the last one saved.
export XDG_CONFIG_HOME="$E2E_TMP/config"
XVFB_PID=""
GAME_PID=""
E2E_WRAPPER=()  # a command the game runs under, such as valgrind

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
  local n size=${1:-1024x768}
  for n in $(seq 140 240); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # -noreset: by default the server starts over when its last client
    # leaves, and a game connecting in that moment reaches no display.
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 300); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"
        E2E_SCREEN_W=${size%x*}
        E2E_SCREEN_H=${size#*x}
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
  local env=() args=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do env+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  args=("$@")
  GAME_DIR="$E2E_TMP/game"
  rm -rf "$GAME_DIR"
  [ "${E2E_KEEP_SETTINGS:-0}" = 1 ] || rm -rf "$XDG_CONFIG_HOME"
  cp -r "$DRIFTWING_DATA" "$GAME_DIR"
  (cd "$GAME_DIR" &&
    exec env SDL_AUDIODRIVER=dummy "${env[@]}" "${E2E_WRAPPER[@]}" "$DRIFTWING_BIN" "${args[@]}") \
    >"$E2E_TMP/game.log" 2>&1 &
  GAME_PID=$!
  e2e_wait_window
}

# E2E_START_SECONDS (60) bounds the wait, for a game run under a slow tool.
e2e_wait_window() {
  local limit=${E2E_START_SECONDS:-60}
  local deadline=$((SECONDS + limit))
  until xdotool search --name '^Driftwing$' >/dev/null 2>&1; do
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended before opening its window"
    [ $SECONDS -lt $deadline ] || e2e_fail "no window captioned Driftwing appeared"
    sleep 0.1
  done
  # Start-up is done when the menu's first frame shows.
  e2e_wait_shot started "$limit" e2e_shows_menu
}

# Ends the game (if any) and the screen, for a test that goes on to another.
e2e_stop_display() {
  [ -n "$GAME_PID" ] && { kill "$GAME_PID" 2>/dev/null; wait "$GAME_PID" 2>/dev/null; }
  GAME_PID=""
  [ -n "$XVFB_PID" ] && { kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; }
  XVFB_PID=""
  return 0
}

# The mean colours of the bottom fifth and of the right eighth of a picture
# W x H at X, Y, where no page has text: there the menu's background image
# covers the whole picture, with no black band.
E2E_MENU_MEANS=""
E2E_MENU_SIZE=""
e2e_edge_means() {  # FILE W H X Y
  local w=$2 h=$3 x=$4 y=$5
  convert "$1" \( +clone -crop "${w}x$((h / 5))+$x+$((y + h - h / 5))" +repage \) \
    \( -clone 0 -crop "$((w / 8))x$h+$((x + w - w / 8))+$y" +repage \) \
    -delete 0 -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)] ' info:
}
e2e_shows_menu() {
  e2e_picture
  if [ "$E2E_MENU_SIZE" != "${PIC_W}x$PIC_H" ]; then
    # The image as a 4:3 picture shows it, grown evenly to cover this one.
    convert "$DRIFTWING_DATA/textures/menu_bg.bmp" -resize '1024x768!' \
      -resize "${PIC_W}x$PIC_H^" -gravity center -extent "${PIC_W}x$PIC_H" "$E2E_TMP/menu_bg.png"
    E2E_MENU_MEANS=$(e2e_edge_means "$E2E_TMP/menu_bg.png" "$PIC_W" "$PIC_H" 0 0)
    E2E_MENU_SIZE="${PIC_W}x$PIC_H"
  fi
  local seen expected i
  read -r -a seen <<<"$(e2e_edge_means "$1" "$PIC_W" "$PIC_H" "$PIC_X" "$PIC_Y")"
  read -r -a expected <<<"$E2E_MENU_MEANS"
  for i in 0 1 2 3 4 5; do
    local d=$((seen[i] - expected[i]))
    [ "${d#-}" -le 10 ] || return 1
  done
}

e2e_wait_shot() {
  local name=$1 limit=$2 deadline=$((SECONDS + $2)) check=$3
  shift 3
  while :; do
    E2E_SHOT=$(e2e_shot "$name")
    "$check" "$E2E_SHOT" "$@" && return 0
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended while waiting for $name"
    [ $SECONDS -lt $deadline ] || e2e_fail "$name: $check did not show within $limit s ($E2E_SHOT)"
    sleep 0.2
  done
}

e2e_wait_log() {
  local deadline=$((SECONDS + $1))
  until grep -qE "$2" "$E2E_TMP/game.log"; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the game did not print /$2/ within $1 s"
    sleep 0.1
  done
}

e2e_shot() {
  local file="$E2E_ARTIFACTS/$1.png"
  import -display "$DISPLAY" -window root "$file"
  echo "$file"
}

# In play SDL reads the mouse in relative mode, where an absolute move never
# arrives: --sync would wait for ever.
e2e_move() { xdotool mousemove --sync "$1" "$2" 2>/dev/null || xdotool mousemove "$1" "$2"; }
e2e_move_relative() { xdotool mousemove_relative -- "$1" "$2"; }

# A press held for a few frames; the menu clicks on the button held, so the
# move and the press reach the game in order.
# One xdotool run presses and releases, so a busy machine cannot stretch the
# press by starting the second command late.
e2e_click() {
  e2e_move "$1" "$2"
  xdotool mousedown "${3:-1}" sleep 0.15 mouseup "${3:-1}"
}

# Does ACTION (one command line) until e2e_wait_shot sees CHECK within
# SECONDS, at most three times: only a stalled game that missed it gets it
# again.
e2e_act_until() {
  local name=$1 action=$2 seconds=$3 check=$4 try
  shift 4
  for try in 1 2 3; do
    eval "$action"
    if (e2e_wait_shot "$name" "$seconds" "$check" "$@") 2>/dev/null; then
      E2E_SHOT="$E2E_ARTIFACTS/$name.png"
      return 0
    fi
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended while waiting for $name"
  done
  e2e_fail "$name: $action, three times, did not show $check ($E2E_ARTIFACTS/$name.png)"
}

# A stalled game can take both the press and the release in one read and
# miss the click.
e2e_click_until() {
  local name=$1 x=$2 y=$3
  shift 3
  e2e_act_until "$name" "e2e_click $x $y" 10 "$@"
}

e2e_key() { xdotool keydown "$1" sleep "${2:-0.15}" keyup "$1"; }

# In play the game takes one event a poll, so a press can wait behind the
# pointer's motion on a stalled game.
e2e_key_until() {
  local name=$1 key=$2
  shift 2
  e2e_act_until "$name" "e2e_key $key 0.3" 15 "$@"
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

# The picture: in a window, the window; full screen, the video mode scaled to
# fit the screen and centred (sdl12-compat keeps the desktop's mode).
e2e_picture() {
  local line
  line=$(grep 'video mode' "$E2E_TMP/game.log" 2>/dev/null | tail -n 1)
  MODE_W=1024
  MODE_H=768
  if [[ $line =~ video\ mode\ ([0-9]+)\ x\ ([0-9]+) ]]; then
    MODE_W=${BASH_REMATCH[1]}
    MODE_H=${BASH_REMATCH[2]}
  fi
  if [[ $line == *"in a window"* ]]; then
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool search --name '^Driftwing$' getwindowgeometry --shell 2>/dev/null | head -n 6)"
    PIC_X=$X PIC_Y=$Y PIC_W=$WIDTH PIC_H=$HEIGHT
    return 0
  fi
  read -r PIC_X PIC_Y PIC_W PIC_H <<<"$(awk -v sw="${E2E_SCREEN_W:-1024}" -v sh="${E2E_SCREEN_H:-768}" \
    -v mw="$MODE_W" -v mh="$MODE_H" 'BEGIN {
      s = sw / mw < sh / mh ? sw / mw : sh / mh; w = int(mw * s + 0.5); h = int(mh * s + 0.5)
      print int((sw - w) / 2), int((sh - h) / 2), w, h }')"
}

# Menu coordinates, y up: the square -0.75..0.75 fills a 4:3 picture and a
# wider (taller) one shows more at the sides (above and below).
e2e_menu_to_screen() {  # X Y
  e2e_picture
  awk -v x="$1" -v y="$2" -v px="$PIC_X" -v py="$PIC_Y" -v pw="$PIC_W" -v ph="$PIC_H" \
    -v mw="$MODE_W" -v mh="$MODE_H" 'BEGIN {
      a = mw / mh; hw = 0.75; hh = 0.75
      if (a > 4 / 3) hw = 0.75 * a * 3 / 4; else hh = 0.75 * 4 / 3 / a
      printf "%d %d", px + (x + hw) / (2 * hw) * pw, py + (hh - y) / (2 * hh) * ph }'
}
pixel_x() { local p; read -r -a p <<<"$(e2e_menu_to_screen "$1" 0)"; echo "${p[0]}"; }
pixel_y() { local p; read -r -a p <<<"$(e2e_menu_to_screen 0 "$1")"; echo "${p[1]}"; }

# Rows of pure white or pure red (the menu's text, red under the pointer; the
# background holds neither) inside the picture: runs of screen rows where at
# least one pixel in 200 is text.
e2e_text_rows() {
  e2e_picture
  local white="$E2E_TMP/white.png"
  convert "$1" -crop "${PIC_W}x$PIC_H+$PIC_X+$PIC_Y" +repage \
    \( -clone 0 -separate -evaluate-sequence Min -threshold 97% \) \
    \( -clone 0 -channel G,B -negate +channel -separate -evaluate-sequence Min -threshold 97% \) \
    -delete 0 -compose Lighten -composite "$white"
  local bands=() crops=() band top bottom
  mapfile -t bands < <(convert "$white" -scale "1x$PIC_H!" -depth 16 txt:- |
    awk -F'[(),: ]+' -v least="$((65535 / 200))" -v shortest="$((PIC_H / 60))" '
      function close_band(end) { if (end - top >= shortest) print top, end; top = -1 }
      BEGIN { top = -1 }
      NR > 1 { lit = $3 >= least
        if (lit && top < 0) top = $2
        if (!lit && top >= 0) close_band($2 - 1) }
      END { if (top >= 0) close_band($2) }')
  [ "${#bands[@]}" -gt 0 ] || return 0
  # Each band's columns, in one pass: one row of the output per band.
  for band in "${bands[@]}"; do
    read -r top bottom <<<"$band"
    crops+=(\( -clone 0 -crop "${PIC_W}x$((bottom - top + 1))+0+$top" +repage -scale "${PIC_W}x1!" \))
  done
  convert "$white" "${crops[@]}" -delete 0 -append -depth 16 txt:- |
    awk -F'[(),: ]+' 'NR > 1 && $3 > 0 { if (!($2 in left)) left[$2] = $1; right[$2] = $1 }
      END { for (b in left) print b, left[b], right[b] }' | sort -n |
    while read -r b left right; do
      read -r top bottom <<<"${bands[$b]}"
      echo "$((PIC_Y + top)) $((PIC_Y + bottom)) $((PIC_X + left)) $((PIC_X + right))"
    done
}

# A point just inside a button whose text starts at menu (X, Y): a little
# right of its left end, RISE (default 0.025) above its base line.
button_point() { echo "$(pixel_x "$(awk -v x="$1" 'BEGIN { print x + 0.05 }')")" \
                      "$(pixel_y "$(awk -v y="$2" -v r="${3:-0.025}" 'BEGIN { print y + r }')")"; }

# Pixels of one colour in a box of a screenshot: FILE X Y W H white|red.
count() {
  local expr
  case $6 in
    white) expr='r>0.85&&g>0.85&&b>0.85' ;;
    red) expr='r>0.8&&g<0.25&&b<0.25' ;;
  esac
  convert "$1" -crop "$4x$5+$2+$3" +repage -fx "$expr" -format '%[fx:int(mean*w*h+0.5)]' info:
}

# The box a row of text fills above its base line: from menu (X, Y), W menu
# units wide, 0.05 high.
row_box() {
  local x0 y0 x1 y1
  x0=$(pixel_x "$1")
  y0=$(pixel_y "$(awk -v y="$2" 'BEGIN { print y + 0.05 }')")
  x1=$(pixel_x "$(awk -v x="$1" -v w="$3" 'BEGIN { print x + w }')")
  y1=$(pixel_y "$2")
  echo "$x0 $y0 $((x1 - x0)) $((y1 - y0))"
}

at_least() { [ "$(count "$1" $2 $3 $4 $5 "$6")" -ge "$7" ]; }  # SHOT BOX COLOUR MIN
none() { [ "$(count "$1" $2 $3 $4 $5 "$6")" -eq 0 ]; }  # SHOT BOX COLOUR

fraction() { convert "$1" -crop "$2x$3+$4+$5" +repage -fx "$6" -format "%[fx:mean]" info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# The HUD's left line, laid out in proportion to the picture's height.
is_play_frame() {
  e2e_picture
  above "$(fraction "$1" $((PIC_H * 430 / 768)) $((PIC_H * 45 / 768)) \
    $((PIC_X + PIC_H * 20 / 768)) $((PIC_Y + PIC_H * 25 / 768)) "r>0.85&&g>0.85&&b>0.85")" 0.05
}

e2e_game_log() { cat "$E2E_TMP/game.log"; }

#!/usr/bin/env bash
# The game started with no options on screens larger than its mode, as
# players start it: full screen on 1024 x 768, 1280 x 1024 and 1920 x 1080.
# Every main-menu item is found in the screenshot (the rows of white text)
# and clicked there with quick clicks, and does its job; play shows the HUD
# with the crosshair at the middle of the picture; another size accepted is
# the size of the picture, the window still covering the screen. In a
# window: --window WxH gives that window, an accepted size resizes it, and
# 16:9 text keeps its 4:3 shape. Quick clicks and Escape taps work 10 times
# of 10.
source "$(dirname "$0")/lib.sh"

# ROWS: the shot's rows of text, "top bottom left right" each, top first.
read_rows() {
  e2e_picture
  mapfile -t ROWS < <(e2e_text_rows "$1")
}
row() { read -r TOP BOTTOM LEFT RIGHT <<<"${ROWS[$1]}"; }
rows_are() { read_rows "$1" && [ "${#ROWS[@]}" -eq "$2" ]; }
# A quick click (press and release at once, as a touchpad tap) at a row's
# middle, or at PART (0..1) of its width.
click_row() {
  row "$1"
  local x=$(((LEFT + RIGHT) / 2))
  [ -n "${2:-}" ] && x=$(awk -v l="$LEFT" -v r="$RIGHT" -v p="$2" 'BEGIN { printf "%d", l + p * (r - l) }')
  xdotool mousemove --sync "$x" $(((TOP + BOTTOM) / 2)) click 1
}

# Pages by their rows: the title, then the items. Where the first item
# starts, measured from the title's left end in title widths, tells the main
# page (-0.15 in menu units, the title starting at -0.3) from the options
# page (-0.2) and the help page's first line (-0.6), at any size.
first_offset() {  # in hundredths of the title's width
  local title_left title_right
  row 0
  title_left=$LEFT title_right=$RIGHT
  row 1
  echo $(((LEFT - title_left) * 100 / (title_right - title_left)))
}
main_page() { rows_are "$1" 7 && [ "$(first_offset)" -ge 18 ]; }
in_game_page() { rows_are "$1" 8 && [ "$(first_offset)" -ge 18 ]; }
options_page() { rows_are "$1" 6 && [ "$(first_offset)" -lt 18 ] && [ "$(first_offset)" -gt 5 ]; }
help_page() { rows_are "$1" 7 && [ "$(first_offset)" -lt 0 ]; }
about_page() { rows_are "$1" 5; }
quit_page() { rows_are "$1" 3; }
video_page() { rows_are "$1" 4; }
# The size beside "Resolution" (row 1's right half) differs from KEPT_LABEL.
label_crop() {
  row 1
  convert "$1" -crop "$(((RIGHT - LEFT) / 2))x$((BOTTOM - TOP + 1))+$(((LEFT + RIGHT) / 2))+$TOP" +repage "$2"
}
label_changed() {
  read_rows "$1" && [ "${#ROWS[@]}" -eq 4 ] || return 1
  label_crop "$1" "$E2E_TMP/label-now.png"
  [ "$(compare -metric AE "$E2E_TMP/label.png" "$E2E_TMP/label-now.png" null: 2>&1 || true)" != 0 ]
}
play_frame() { is_play_frame "$1" && ! e2e_shows_menu "$1"; }

# The crosshair's pure green, found near the middle of the picture: its box
# is centred there within 3 px.
crosshair_centred() {
  e2e_picture
  local cx=$((PIC_X + PIC_W / 2)) cy=$((PIC_Y + PIC_H / 2)) half=$((PIC_H / 5)) box w h x y
  box=$(convert "$1" -crop "$((2 * half))x$((2 * half))+$((cx - half))+$((cy - half))" +repage \
    -fx "g-max(r,b)>0.45" -format '%@' info:)
  [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
  w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
  [ "$w" -gt $((PIC_H / 10)) ] && [ "$h" -gt $((PIC_H / 15)) ] || return 1
  local dx=$((2 * x + w - 2 * half)) dy=$((2 * y + h - 2 * half))
  [ "${dx#-}" -le 6 ] && [ "${dy#-}" -le 6 ]
}

window_geometry() {
  xwininfo -id "$(xdotool search --name '^Driftwing$' | head -n 1)" |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
         /Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }'
}

# From the main page: Options, Video Options, one step of Resolution, Accept.
accept_next_size() {
  local before
  before=$(grep -c 'video mode' "$E2E_TMP/game.log")
  read_rows "$E2E_SHOT"
  click_row 2
  e2e_wait_shot options 20 options_page
  click_row 1
  e2e_wait_shot video 20 video_page
  read_rows "$E2E_SHOT"
  label_crop "$E2E_SHOT" "$E2E_TMP/label.png"
  click_row 1 0.1  # "Resolution", left of the size beside it
  e2e_wait_shot video-stepped 20 label_changed
  click_row 2      # "Accept Changes"
  local deadline=$((SECONDS + 20))
  until [ "$(grep -c 'video mode' "$E2E_TMP/game.log")" -gt "$before" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "Accept Changes set no mode"
    sleep 0.1
  done
  e2e_wait_shot accepted 20 options_page
  NEW_MODE=$(grep 'video mode' "$E2E_TMP/game.log" | tail -n 1 | sed 's/.*video mode //')
}

# Quick clicks on Options and Main Menu, 10 of 10, from the main page: their
# rows, and a row only each page has text in, are found once from the
# screenshots; then each click must show its page within 30 s (a lost click
# never does; a loaded machine is slow).
row_box_of() { row "$1"; echo "$LEFT $TOP $((RIGHT - LEFT + 1)) $((BOTTOM - TOP + 1))"; }
quick_clicks() {
  local options_row quit_row video_row main_menu_row
  read_rows "$E2E_SHOT"
  options_row=${ROWS[2]}
  quit_row=$(row_box_of 5)  # "Quit": only the main page has text there
  click_row 2
  e2e_wait_shot quick-options 20 options_page
  main_menu_row=${ROWS[5]}
  video_row=$(row_box_of 1)  # "Video Options": the main page's first row is empty
  options_now() { at_least "$1" $video_row white 100 && none "$1" $quit_row white; }
  main_now() { at_least "$1" $quit_row white 100 && none "$1" $video_row white; }
  for i in $(seq 10); do
    ROWS=("$main_menu_row")
    click_row 0
    e2e_wait_shot quick-main 30 main_now
    ROWS=("x" "x" "$options_row")
    click_row 2
    e2e_wait_shot quick-options 30 options_now
  done
  ROWS=("$main_menu_row")
  click_row 0
  e2e_wait_shot quick-main 30 main_now
  echo "ok: quick clicks on Options and Main Menu worked 10 times of 10"
}
# Escape taps in play and in the menu, 10 of 10, from play.
escape_taps() {
  for i in $(seq 10); do
    xdotool key Escape
    e2e_wait_shot tap-menu 30 e2e_shows_menu
    xdotool key Escape
    e2e_wait_shot tap-play 30 play_frame
  done
  echo "ok: Escape taps left play and resumed it 10 times of 10"
}

PLAY_RATIO=""  # "Play Game"'s drawn width over its height at 1024 x 768
for screen in 1024x768 1280x1024 1920x1080; do
  e2e_start_display "$screen"
  e2e_start_game
  e2e_wait_shot "$screen-main" 20 main_page
  row 1
  [ -z "$PLAY_RATIO" ] && PLAY_RATIO=$(awk -v w=$((RIGHT - LEFT)) -v h=$((BOTTOM - TOP)) 'BEGIN { print w / h }')
  [ "$(window_geometry)" = "$screen+0+0" ] || e2e_fail "$screen: the window is $(window_geometry)"
  echo "ok: $screen: the window covers the screen and the menu shows whole"

  # Every item where the screenshot shows it, each page and back.
  for step in "3 help_page" "4 about_page" "5 quit_page" "2 options_page"; do
    read -r item page <<<"$step"
    read_rows "$E2E_SHOT"
    click_row "$item"
    e2e_wait_shot "$screen-$page" 20 "$page"
    read_rows "$E2E_SHOT"
    if [ "$page" = quit_page ]; then click_row 2 0.9; else click_row $((${#ROWS[@]} - 1)); fi
    e2e_wait_shot "$screen-main-again" 20 main_page
  done
  echo "ok: $screen: Help, About, Quit (No) and Options open where they are drawn"
  [ "$screen" = 1024x768 ] && quick_clicks

  read_rows "$E2E_SHOT"
  click_row 1
  e2e_wait_shot "$screen-play" 60 play_frame
  e2e_wait_shot "$screen-crosshair" 20 crosshair_centred
  echo "ok: $screen: Play Game shows the HUD with the crosshair in the middle"
  [ "$screen" = 1024x768 ] && escape_taps
  e2e_key_until "$screen-in-game" Escape in_game_page
  read_rows "$E2E_SHOT"
  click_row 2  # "End Game"
  e2e_wait_shot "$screen-ended" 20 main_page

  accept_next_size
  [ "$(window_geometry)" = "$screen+0+0" ] || e2e_fail "$screen: after $NEW_MODE the window is $(window_geometry)"
  e2e_shows_menu "$E2E_SHOT" || e2e_fail "$screen: the $NEW_MODE picture is not where it belongs ($E2E_SHOT)"
  read_rows "$E2E_SHOT"
  click_row $((${#ROWS[@]} - 1))  # "Main Menu"
  e2e_wait_shot "$screen-main-at-new-size" 20 main_page
  echo "ok: $screen: $NEW_MODE accepted fills the screen as that picture and answers clicks"

  read_rows "$E2E_SHOT"
  click_row 5  # "Quit"
  e2e_wait_shot "$screen-quit" 20 quit_page
  read_rows "$E2E_SHOT"
  click_row 2 0.1  # "Yes"
  e2e_wait_exit 20
  [ "$GAME_STATUS" = 0 ] || e2e_fail "$screen: Quit, Yes ended with status $GAME_STATUS"
  echo "ok: $screen: Quit, Yes ends the game"

  [ "$screen" = 1920x1080 ] && break
  e2e_stop_display
done

# A 16:9 window on the 1920 x 1080 screen: its size, and text of the shape it
# has at 1024 x 768.
e2e_start_game -- --window 1280x720
e2e_wait_shot window-main 20 main_page
row 1
[[ $(window_geometry) == 1280x720+* ]] || e2e_fail "--window 1280x720 gave $(window_geometry)"
ratio=$(awk -v w=$((RIGHT - LEFT)) -v h=$((BOTTOM - TOP)) 'BEGIN { print w / h }')
awk -v a="$ratio" -v b="$PLAY_RATIO" 'BEGIN { exit !(a / b > 0.95 && a / b < 1.05) }' ||
  e2e_fail "Play Game is $ratio times as wide as high at 1280 x 720, $PLAY_RATIO at 1024 x 768"
echo "ok: --window 1280x720 opens that window, Play Game's shape as at 1024 x 768 ($ratio, $PLAY_RATIO)"
accept_next_size
size=${NEW_MODE%%,*}
[[ $(window_geometry) == "${size// /}"+* ]] || e2e_fail "accepted $size, the window is $(window_geometry)"
echo "ok: accepting $size in a window gives a window of that size"

echo "screen test passed"

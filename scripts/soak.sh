#!/usr/bin/env bash
# Plays the real game under Xvfb for a long while, round after round:
# "Play Game", turn, drive, fire, Escape, "End Game", "Play Game" again.
# Samples the game's resident memory every 10 s and fails when it grows by
# more than 1 % after the first minute, when a screen is not the one
# expected, or when the game does not end cleanly (status 0, and no
# sanitizer report when the build has them).
#
# Usage: scripts/soak.sh MINUTES [BUILD_DIR]      (default build dir: build)
# A build without content of its own (say a sanitizer build of just the
# game) can borrow another's: DRIFTWING_DATA=build/data.
# The memory samples go to BUILD_DIR/soak/memory.txt, screenshots of a
# failure to BUILD_DIR/soak/.
set -euo pipefail
minutes=${1:?usage: scripts/soak.sh MINUTES [BUILD_DIR]}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/${2:-build}
export DRIFTWING_BIN=${DRIFTWING_BIN:-$build/driftwing}
export DRIFTWING_DATA=${DRIFTWING_DATA:-$build/data}
export E2E_ARTIFACTS=$build/soak
rm -rf "$E2E_ARTIFACTS"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

PLAY=(590 302)  # main menu: "Play Game"
END=(580 302)   # in-game menu: "End Game"

# Screens told apart as the play test does: the HUD's white line at the top
# left in play; the menus' text in rows where only one menu has it.
fraction() { convert "$1" -crop "$2x$3+$4+$5" +repage -fx "$6" -format "%[fx:mean]" info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
is_play_frame() { above "$(fraction "$1" 430 45 20 25 "r>0.85&&g>0.85&&b>0.85")" 0.05; }
shows_in_game_menu() {
  above "$(fraction "$1" 490 45 410 230 "r>0.85")" 0.1 && ! is_play_frame "$1"
}
shows_main_menu() {
  ! above "$(fraction "$1" 490 45 410 230 "r>0.85")" 0.01 &&
    above "$(fraction "$1" 370 45 410 280 "r>0.85")" 0.1 && ! is_play_frame "$1"
}

# Polls screenshots until CHECK holds on two a second apart, for at most
# SECONDS: a menu frame drawn once and left at once (Escape still read as
# held resumes play) is not the menu.
poll() {
  local check=$1 seconds=$2 shot deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    shot=$(e2e_shot current)
    if "$check" "$shot"; then
      sleep 1
      shot=$(e2e_shot current)
      "$check" "$shot" && return 0
    fi
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "round $round: the game ended"
    sleep 0.5
  done
  return 1
}
fail_round() {
  cp "$E2E_ARTIFACTS/current.png" "$E2E_ARTIFACTS/failed-round$round.png"
  e2e_fail "round $round: $1 did not show (failed-round$round.png)"
}

# The menu acts on a button held over an entry. After "End Game" its next
# frame shows "Play Game" at the same place, so a press read late would act
# twice: point at the entry, press briefly and move away before releasing.
tap_button() {
  e2e_move "$1" "$2"
  sleep 0.5  # a frame reads the pointer's position
  xdotool mousedown 1
  sleep 0.1
  xdotool mousemove 10 740
  sleep 0.05
  xdotool mouseup 1
}
# A slow frame on a busy machine can miss the press: press again, but only
# while the screen still shows FROM.
click_until() {
  local x=$1 y=$2 from=$3 check=$4 what=$5
  for _ in 1 2 3 4 5 6 7 8; do
    tap_button "$x" "$y"
    poll "$check" 20 && return 0
    "$from" "$E2E_ARTIFACTS/current.png" || break
  done
  poll "$check" 60 || fail_round "$what"
}
escape_to_menu() {
  for _ in 1 2 3 4 5 6; do
    e2e_key Escape 0.15
    poll shows_in_game_menu 15 && return 0
    is_play_frame "$E2E_ARTIFACTS/current.png" || break
  done
  poll shows_in_game_menu 30 || fail_round "the in-game menu after Escape"
}

memory=$E2E_ARTIFACTS/memory.txt
sample_memory() {
  local start=$SECONDS rss
  while rss=$(ps -o rss= -p "$GAME_PID" 2>/dev/null); do
    echo "$((SECONDS - start)) $rss" >>"$memory"
    sleep 10
  done
}

e2e_start_display
e2e_start_game
: >"$memory"
sampled_from=$SECONDS
sample_memory &
sampler=$!
round=0
poll shows_main_menu 60 || fail_round "the main menu"
deadline=$((SECONDS + minutes * 60))
play_from=$((SECONDS - sampled_from))  # start-up can take a minute on a busy machine
while [ $SECONDS -lt $deadline ]; do
  round=$((round + 1))
  click_until "${PLAY[@]}" shows_main_menu is_play_frame "the level after \"Play Game\""
  e2e_move_relative 80 40
  e2e_key w 0.6
  xdotool mousedown 1
  sleep 0.3
  xdotool mouseup 1
  e2e_key s 0.4
  sleep 1  # the explosion burns out
  escape_to_menu
  click_until "${END[@]}" shows_in_game_menu shows_main_menu "the main menu after \"End Game\""
done

kill -TERM "$GAME_PID"
e2e_wait_exit 120
kill "$sampler" 2>/dev/null || true
[ "$GAME_STATUS" = 0 ] || e2e_fail "the game ended with status $GAME_STATUS"
if grep -E "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" "$E2E_TMP/game.log" >&2; then
  e2e_fail "the sanitizers reported an error"
fi

# Memory swings by a few MB with every game (the level loaded, then freed
# at "End Game"), so the tops of the swings are compared: the highest
# sample of the second minute of play against that of the last minute.
read -r first one_minute last <<<"$(awk -v from="$play_from" '
  { t[NR] = $1; v[NR] = $2 }
  END {
    end = t[NR]
    for (i = 1; i <= NR; ++i) {
      if (t[i] >= from + 60 && t[i] < from + 120 && v[i] > a) a = v[i]
      if (t[i] > end - 60 && t[i] >= from + 120 && v[i] > b) b = v[i]
    }
    print v[1], a + 0, b + 0
  }' "$memory")"
echo "soak: $round rounds in $minutes min; resident memory (kB): at start $first;" \
  "highest in the second minute of play $one_minute, in the last minute $last"
[ "$last" -gt 0 ] || e2e_fail "too short to judge memory: play for at least 3 minutes"
if awk -v a="$last" -v b="$one_minute" 'BEGIN { exit !(a > b * 1.01) }'; then
  # AddressSanitizer holds freed memory in quarantine: there only its own
  # leak report counts.
  if grep -q "^DRIFTWING_SANITIZE:BOOL=ON" "$build/CMakeCache.txt" 2>/dev/null; then
    echo "soak: memory growth not judged on a sanitizer build"
  else
    e2e_fail "resident memory grew from $one_minute kB to $last kB after the first minute"
  fi
fi
echo "soak passed"

#!/usr/bin/env bash
# How often the player wakes up, and how much of a core it takes, while a lesson pair plays: the
# real player on a private X server with no sound server (the silent clock keeps time), the first
# sample lesson opened in both players and played.
#
# Usage: wakeups.sh PLAYER [PLAY_SECONDS] [CPU_SECONDS]
#   PLAYER        the velmora binary, with the sample folders swf/ and mp3/ beside it
#   PLAY_SECONDS  the window measured while the first pair plays (default 10; the pair lasts 14 s)
#   CPU_SECONDS   the window, from the press of play, over which CPU time is measured (default 60:
#                 the three sample pairs play one after another, then the player rests)
# Wake-ups are context switches, voluntary and not, summed over every thread of the process
# (/proc/PID/task/*/status); CPU is user plus system time of the process (/proc/PID/stat).
set -uo pipefail

PLAYER=${1:?usage: wakeups.sh PLAYER [PLAY_SECONDS] [CPU_SECONDS]}
PLAY_SECONDS=${2:-10}
CPU_SECONDS=${3:-60}
PLAYER=$(cd "$(dirname "$PLAYER")" && pwd)/$(basename "$PLAYER")
OUT=$(mktemp -d)
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../tests/e2e/x_session.sh
source "$HERE/../tests/e2e/x_session.sh"
require_tools Xvfb xdotool

PLAYER_PID=
XVFB_PID=
finish() {
    [ -n "$PLAYER_PID" ] && kill "$PLAYER_PID" 2>/dev/null && wait "$PLAYER_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$OUT"
}
trap finish EXIT
trap 'exit 143' TERM INT

switches() {
    local sum=0 f n
    for f in /proc/"$PLAYER_PID"/task/*/status; do
        while read -r key n; do
            case $key in voluntary_ctxt_switches: | nonvoluntary_ctxt_switches:) sum=$((sum + n)) ;; esac
        done <"$f" 2>/dev/null
    done
    echo "$sum"
}
per_thread() {  # "tid name switches voluntary-switches" for each thread
    local t n key sum voluntary
    for t in /proc/"$PLAYER_PID"/task/*; do
        sum=0 voluntary=0
        while read -r key n; do
            case $key in
            voluntary_ctxt_switches:) sum=$((sum + n)) voluntary=$n ;;
            nonvoluntary_ctxt_switches:) sum=$((sum + n)) ;;
            esac
        done <"$t/status" 2>/dev/null
        echo "$(basename "$t") $(tr ' ' '_' <"$t/comm") $sum $voluntary"
    done
}
cpu_ticks() {  # utime + stime of the whole process, in clock ticks
    local stat
    stat=$(cat /proc/"$PLAYER_PID"/stat)
    stat=${stat##*) }
    set -- $stat
    echo $((${12} + ${13}))
}

start_xvfb
mkdir -p "$OUT/runtime" && chmod 700 "$OUT/runtime"
# No sound server: a socket that does not exist, so that the player keeps time on its silent clock.
(cd "$OUT" && exec env XDG_RUNTIME_DIR="$OUT/runtime" PULSE_SERVER="unix:$OUT/no-sound-server" \
    QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 ASAN_OPTIONS="detect_leaks=0" "$PLAYER" >"$OUT/player.log" 2>&1) &
PLAYER_PID=$!
main_window() {
    WIN=$(xdotool search --onlyvisible --pid "$PLAYER_PID" --name '^Velmora$' 2>/dev/null | head -n1)
    [ -n "$WIN" ]
}
wait_until 60 main_window || { echo "FAIL: no player window"; exit 1; }
sleep 1
window_rect "$WIN"
WIN_X=$X WIN_Y=$Y
H=$((HEIGHT * 15 + 405)) W=$((WIDTH * 15 + 120))
click_at() { xdotool mousemove --sync $((WIN_X + $1)) $((WIN_Y + $2)) click 1; sleep 0.1; xdotool mousemove 1270 1010; }
find_dialog() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PLAYER_PID" 2>/dev/null); do
        [ "$w" != "$WIN" ] && DIALOG=$w && return 0
    done
    return 1
}
no_dialog() { ! find_dialog; }
choose() {  # Y_TWIPS
    click_at 28 $((($1 * 2 + 15) / 30 + 8))
    wait_until 20 find_dialog || { echo "FAIL: no file dialog"; exit 1; }
    xdotool windowfocus --sync "$DIALOG" 2>/dev/null
    sleep 0.3
    xdotool type --delay 15 '"lesson1.swf" "lesson2.swf" "lesson3.swf"'
    xdotool key Return
    wait_until 20 no_dialog || { echo "FAIL: the file dialog stayed open"; exit 1; }
    sleep 0.5
}
choose $((H - 1500))
choose $((H - 1200))
IDLE0=$(switches)
sleep 5
IDLE1=$(switches)
xdotool windowfocus --sync "$WIN" 2>/dev/null
xdotool key Return  # play
CPU0=$(cpu_ticks)
sleep 1
S0=$(switches)
per_thread >"$OUT/threads0"
sleep "$PLAY_SECONDS"
S1=$(switches)
per_thread >"$OUT/threads1"
sleep $((CPU_SECONDS - PLAY_SECONDS - 1))
CPU1=$(cpu_ticks)
HZ=$(getconf CLK_TCK)
echo "threads: $(ls /proc/"$PLAYER_PID"/task | wc -l)"
echo "loaded, not playing: $(((IDLE1 - IDLE0) / 5)) wake-ups a second"
echo "playing: $(((S1 - S0) / PLAY_SECONDS)) wake-ups a second over ${PLAY_SECONDS} s"
# Preemption by other programs on a busy machine counts too; the voluntary switches alone are the
# thread's own wake-ups.
join "$OUT/threads0" "$OUT/threads1" | awk -v s="$PLAY_SECONDS" '
    { printf "  thread %s: %d a second (%d voluntary)\n", $2, ($6 - $3) / s, ($7 - $4) / s; v += $7 - $4 }
    END { printf "  voluntary, all threads: %d a second\n", v / s }'
awk -v t=$((CPU1 - CPU0)) -v hz="$HZ" -v s="$CPU_SECONDS" \
    'BEGIN { printf "cpu: %.2f%% of a core over %d s from play (%.2f s)\n", 100 * t / hz / s, s, t / hz }'

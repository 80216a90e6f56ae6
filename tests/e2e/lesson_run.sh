#!/usr/bin/env bash
# A learner's whole session with the real player, driven through its real window and dialogs on a
# private X server: open the three sample subtitle movies and their three sound movies, play,
# pause, drag a bar, speed the subtitles up, pick a background colour, and let the first lesson end
# so that the second pair takes over. Every step leaves a screenshot and checks what the window
# shows: its title, the bars' thumbs, the caption of the play button, the colours of the margins.
#
# Usage: lesson_run.sh PLAYER [OUTPUT_DIR]
#   PLAYER      the velmora binary, with the sample folders swf/ and mp3/ beside it
#   OUTPUT_DIR  where screenshots and logs go (default: e2e-shots beside the player)
# E2E_WINDOW_MANAGER names a window manager to run (default: openbox when it is installed; empty
# for none). With one, OUTPUT_DIR/framed/ also gets each screenshot with the window's frame;
# the README's docs/screenshots/lesson.png is framed/06-playing.png of such a run.
# Exits 0 on success, 1 on a failed check, 77 when Xvfb, xdotool or ImageMagick are missing.
set -uo pipefail

PLAYER=${1:?usage: lesson_run.sh PLAYER [OUTPUT_DIR]}
PLAYER=$(cd "$(dirname "$PLAYER")" && pwd)/$(basename "$PLAYER")
OUT=${2:-$(dirname "$PLAYER")/e2e-shots}
mkdir -p "$OUT"
rm -f "$OUT"/*.png "$OUT"/*.log "$OUT"/framed/*.png
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x_session.sh
source "$HERE/x_session.sh"

require_tools Xvfb xdotool xprop xwininfo import convert compare
[ -x "$PLAYER" ] || { echo "FAIL: no player at $PLAYER"; exit 1; }
for folder in swf mp3; do
    for n in 1 2 3 4; do
        [ -f "$(dirname "$PLAYER")/$folder/lesson$n.swf" ] ||
            { echo "FAIL: $(dirname "$PLAYER")/$folder/lesson$n.swf is missing (the build copies the samples)"; exit 1; }
    done
done

PLAYER_PID=
XVFB_PID=
WM_PID=
finish() {
    [ -n "$PLAYER_PID" ] && kill "$PLAYER_PID" 2>/dev/null && wait "$PLAYER_PID" 2>/dev/null
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
}
trap finish EXIT
# A timeout's TERM still takes the server and the player down with the script.
trap 'exit 143' TERM INT

fail() {
    echo "FAIL: $*"
    [ -n "$PLAYER_PID" ] && ! kill -0 "$PLAYER_PID" 2>/dev/null && echo "      (the player is no longer running)"
    [ -n "${DISPLAY:-}" ] && grab_screen "$OUT/failure.png" && echo "      screen at the failure: $OUT/failure.png"
    if [ -s "$OUT/player.log" ]; then
        echo "      player's output:"
        tail -n 30 "$OUT/player.log" | sed 's/^/        /'
    fi
    exit 1
}

player_alive() {
    kill -0 "$PLAYER_PID" 2>/dev/null
}

check_alive() {
    player_alive || fail "the player ended during: $1"
}

# --- Window geometry -------------------------------------------------------------------------
# Controls sit at fixed offsets, in twips, from the window's size (15 twips to the pixel at the
# 96 DPI this server reports); the form's outer size is its client area plus a fixed frame of
# 120 by 405 twips. These are the offsets the window itself uses, so that a control that is not
# where it should be makes the click miss and the step fail.
px() {  # twips to pixels, rounded half up
    echo $((($1 * 2 + 15) / 30))
}

layout() {
    local X Y WIDTH HEIGHT
    window_rect "$WIN"
    WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
    local W=$((WIDTH * 15 + 120)) H=$((HEIGHT * 15 + 405))
    SWF1_X=8 SWF1_Y=8 SWF1_W=$(px $((W - 350))) SWF1_H=$(px $((H - 1800)))
    BAR_X=56 BAR_W=$(px $((W - 1050))) BAR_H=17
    HSC1_Y=$(px $((H - 1500))) HSC2_Y=$(px $((H - 1200)))
    COM_X=8 COM_W=41 COM_H=17
    COMP_X=$(px $((W / 2 - 600))) COMP_Y=$(px $((H - 850))) COMP_W=73 COMP_H=25
    COLOR_X=$(px $((W - 1000))) COLOR_Y=$(px $((H - 800))) COLOR_W=49 COLOR_H=17
    SLIDER_X=8 SLIDER_Y=$(px $((H - 800))) SLIDER_W=185 SLIDER_H=17
}

# Clicks a point of the window's client area; then moves the pointer off the window, so that no
# hover highlight is left on what the next screenshot compares.
click_at() {
    xdotool mousemove --sync $((WIN_X + $1)) $((WIN_Y + $2)) click 1
    sleep 0.1
    xdotool mousemove 1270 1010
}

click_control() {  # X Y WIDTH HEIGHT
    click_at $(($1 + $3 / 2)) $(($2 + $4 / 2))
}

# Presses the left button at one point of the client area and moves to another in small steps,
# as a hand would; the button stays down. "press_and_move X0 Y0 X1 Y1"
press_and_move() {
    local x0=$((WIN_X + $1)) y0=$((WIN_Y + $2)) x1=$((WIN_X + $3)) y1=$((WIN_Y + $4)) i
    xdotool mousemove --sync "$x0" "$y0" mousedown 1
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --sync $((x0 + (x1 - x0) * i / 8)) $((y0 + (y1 - y0) * i / 8))
        sleep 0.05
    done
    sleep 0.1
}

release() {
    xdotool mouseup 1
    sleep 0.1
    xdotool mousemove 1270 1010
}

drag() {  # X0 Y0 X1 Y1
    press_and_move "$@"
    release
}

# Drags a progress bar's thumb to the bar's start: "drag_thumb_to_start 1|2". While the movie plays
# the thumb moves on between the screenshot that finds it and the press, so each try checks that
# the thumb followed the pointer, and presses again if the press fell on the track instead (which
# moves no movie).
drag_thumb_to_start() {
    local row try x
    for try in 1 2 3 4; do
        shot "$CURRENT_SHOT"
        read_bars || continue
        if [ "$1" = 1 ]; then x=$SUB_X row=$((HSC1_Y + BAR_H / 2)); else x=$SND_X row=$((HSC2_Y + BAR_H / 2)); fi
        # Pressed a little ahead of the thumb's centre, where a playing thumb is about to be.
        local before=$x
        press_and_move $((x + 9)) "$row" $((BAR_X + 10)) "$row"
        shot "$CURRENT_SHOT"
        read_bars
        if [ "$1" = 1 ]; then x=$SUB_X; else x=$SND_X; fi
        [ -n "${E2E_DEBUG:-}" ] && log "bar $1: thumb at $before pressed at $((before + 9)), held at $x"
        release
        [ -n "$x" ] && [ "$x" -le $((BAR_X + 17 + 30)) ] && return 0
        log "the press missed the thumb of bar $1; again"
    done
    return 1
}

shot() {  # NAME: the main window now, into $OUT/NAME.png; also the file every check reads
    SHOT="$OUT/$1.png"
    grab_window "$WIN" "$SHOT" ${WM_PID:+"$OUT/framed/$1.png"} || fail "cannot take the screenshot $1"
}

# Thumb centres of both bars in the last shot, into SUB_X and SND_X.
read_bars() {
    SUB_X=$(thumb_centre "$SHOT" $((HSC1_Y + BAR_H / 2)) $((BAR_X + 17)) $((BAR_X + BAR_W - 18)))
    SND_X=$(thumb_centre "$SHOT" $((HSC2_Y + BAR_H / 2)) $((BAR_X + 17)) $((BAR_X + BAR_W - 18)))
    [ -n "$SUB_X" ] && [ -n "$SND_X" ]
}

# The slider's handle in the last shot. The row just above the groove crosses the handle alone,
# clear of the groove's filled part.
slider_thumb() {
    thumb_centre "$SHOT" $((SLIDER_Y + 4)) $SLIDER_X $((SLIDER_X + SLIDER_W - 1))
}

caption_rect() {  # the inside of the play button, clear of its frame and focus ring
    echo "$((COMP_W - 16))x$((COMP_H - 10))+$((COMP_X + 8))+$((COMP_Y + 5))"
}

picture_rect() {  # the middle of the movie area, where the lesson's lines are
    echo "$((SWF1_W - 40))x$((SWF1_H - 40))+$((SWF1_X + 20))+$((SWF1_Y + 20))"
}

window_title() {
    xdotool getwindowname "$WIN" 2>/dev/null
}

title_ends_with() {
    case "$(window_title)" in *"$1") return 0 ;; *) return 1 ;; esac
}

# The first visible window of the player other than the main one: a dialog.
DIALOG=
find_dialog() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PLAYER_PID" 2>/dev/null); do
        [ "$w" != "$WIN" ] || continue
        local X Y WIDTH HEIGHT
        window_rect "$w" || continue
        if [ "$WIDTH" -gt 100 ] && [ "$HEIGHT" -gt 100 ]; then
            DIALOG=$w
            return 0
        fi
    done
    return 1
}

no_dialog() {
    ! find_dialog
}

# Chooses files in the open dialog by typing their names into its file name box, which has the
# focus when the dialog opens: the names only resolve if the dialog starts in the right folder.
choose_in_open_dialog() {  # SHOT_NAME NAMES
    wait_until 20 find_dialog || fail "no file dialog opened"
    xdotool windowfocus --sync "$DIALOG" 2>/dev/null
    sleep 0.5
    xdotool type --delay 15 "$2"
    sleep 0.3
    grab_window "$DIALOG" "$OUT/$1.png" ${WM_PID:+"$OUT/framed/$1.png"}
    xdotool key Return
    wait_until 20 no_dialog || fail "the file dialog did not close after choosing $2"
    sleep 0.7  # for the window to repaint where the dialog was
}

bars_moved_from() {  # SUB0 SND0 MIN_PIXELS: both thumbs at least MIN_PIXELS right of where they were
    shot "$CURRENT_SHOT"
    read_bars || return 1
    [ $((SUB_X - $1)) -ge "$3" ] && [ $((SND_X - $2)) -ge "$3" ]
}

bars_still() {  # the bars, 1.2 s apart, in the same place
    shot "$CURRENT_SHOT"
    read_bars || return 1
    local sub=$SUB_X snd=$SND_X
    sleep 1.2
    shot "$CURRENT_SHOT"
    read_bars || return 1
    [ "$sub" = "$SUB_X" ] && [ "$snd" = "$SND_X" ]
}

margin_is() {  # COLOUR: the margin pixel of the movie area has this colour
    shot "$CURRENT_SHOT"
    colour_near "$(pixel "$SHOT" "$MARGIN_X" "$MARGIN_Y")" "$1" 12
}

button_face_is() {  # COLOUR: the colour button's face, beside its caption
    shot "$CURRENT_SHOT"
    colour_near "$(pixel "$SHOT" $((COLOR_X + 4)) $((COLOR_Y + COLOR_H / 2)))" "$1" 16
}

# ----------------------------------------------------------------------------------------------
start_xvfb
start_window_manager "${E2E_WINDOW_MANAGER-openbox}"
[ -z "$WM_PID" ] || mkdir -p "$OUT/framed"
log "X server on $DISPLAY${WM_PID:+, window manager ${E2E_WINDOW_MANAGER-openbox}}"

mkdir -p "$OUT/runtime" && chmod 700 "$OUT/runtime"
# Qt's own leaks at exit are not ours to report; anything else the sanitizers find ends the run.
(cd "$OUT" && exec env XDG_RUNTIME_DIR="$OUT/runtime" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" VELMORA_TRACE=1 "$PLAYER" >"$OUT/player.log" 2>&1) &
PLAYER_PID=$!

main_window() {
    WIN=$(xdotool search --onlyvisible --pid "$PLAYER_PID" --name '^Velmora$' 2>/dev/null | head -n1)
    [ -n "$WIN" ]
}
wait_until 60 main_window || { check_alive "start-up"; fail "no window titled Velmora appeared"; }
sleep 1
layout
log "window $WIN: ${WIN_W}x${WIN_H} pixels"
CURRENT_SHOT=01-window
shot 01-window
[ "$(window_title)" = Velmora ] || fail "the window's title is '$(window_title)', not Velmora"
[ "$WIN_W" = 483 ] && [ "$WIN_H" = 474 ] ||
    fail "the client area is ${WIN_W}x${WIN_H} pixels, not 7245 x 7110 twips (483 x 474)"
LIGHT_YELLOW=FFFFC0
MARGIN_X=$((SWF1_X + SWF1_W / 2)) MARGIN_Y=$((SWF1_Y + 3))
margin_is $LIGHT_YELLOW || fail "the empty movie area is not light yellow"
button_face_is $LIGHT_YELLOW || fail "the colour button's face is not light yellow"
read_bars || fail "cannot find the thumbs of the progress bars"
SUB_START=$SUB_X SND_START=$SND_X
SLIDER_ZERO_X=$(slider_thumb)

# --- Open the subtitle movies ----------------------------------------------------------------
click_control $COM_X $HSC1_Y $COM_W $COM_H
choose_in_open_dialog 02-subtitle-dialog '"lesson1.swf" "lesson2.swf" "lesson3.swf"'
wait_until 20 title_ends_with /swf/lesson1.swf ||
    fail "after opening the subtitle movies the title is '$(window_title)', not …/swf/lesson1.swf"
sleep 0.5
CURRENT_SHOT=03-subtitles-opened
shot 03-subtitles-opened
LOADED_SHOT=$SHOT
[ "$(changed_pixels "$OUT/01-window.png" "$SHOT" "$(picture_rect)")" -gt 1000 ] ||
    fail "the first subtitle movie does not show in the movie area"
log "subtitles opened: $(window_title)"

# --- Open the sound movies -------------------------------------------------------------------
click_control $COM_X $HSC2_Y $COM_W $COM_H
choose_in_open_dialog 04-sound-dialog '"lesson1.swf" "lesson2.swf" "lesson3.swf"'
check_alive "opening the sound movies"
title_ends_with /swf/lesson1.swf || fail "opening sound movies changed the title to '$(window_title)'"
CURRENT_SHOT=05-sounds-opened
shot 05-sounds-opened
BEFORE_PLAY=$SHOT
log "sound movies opened"

# --- Play: both bars advance -----------------------------------------------------------------
click_control $COMP_X $COMP_Y $COMP_W $COMP_H
CURRENT_SHOT=06-playing
wait_until 30 bars_moved_from "$SUB_START" "$SND_START" 24 ||
    fail "after play the bars did not both advance (subtitle thumb $SUB_START -> ${SUB_X:-?}, sound thumb $SND_START -> ${SND_X:-?})"
[ "$(changed_pixels "$BEFORE_PLAY" "$SHOT" "$(caption_rect)")" -gt 20 ] ||
    fail "the play button's caption did not change to pause"
picture_changed_since_loading() {
    shot "$CURRENT_SHOT"
    [ "$(changed_pixels "$LOADED_SHOT" "$SHOT" "$(picture_rect)")" -gt 500 ]
}
wait_until 20 picture_changed_since_loading || fail "the subtitle movie's picture does not change while playing"
read_bars
log "playing: subtitle thumb $SUB_START -> $SUB_X, sound thumb $SND_START -> $SND_X"

# --- Drag the sound bar back while playing: the narration moves and plays on from there --------
# Both movies run at 12 frames a second, so the gap between the thumbs stays put while they play.
# Had the drag not moved the narration, the position timer would restore the old gap within
# 300 ms; moved, the sound thumb plays on from the start, now behind the subtitle thumb.
CURRENT_SHOT=07-sound-dragged
GAP_BEFORE=$((SND_X - SUB_X))
drag_thumb_to_start 2 || fail "the sound thumb does not follow a drag"
sleep 1.2
shot 07-sound-dragged
read_bars || fail "cannot find the thumbs after dragging the sound bar"
[ $((SND_X - SUB_X)) -lt $((GAP_BEFORE - 20)) ] ||
    fail "dragging the sound bar while playing did not move the narration (gap between the thumbs $GAP_BEFORE -> $((SND_X - SUB_X)) px)"
log "sound thumb dragged back while playing: gap to the subtitle thumb $GAP_BEFORE -> $((SND_X - SUB_X)) px"

# --- Pause (Enter presses the play/pause button): the bars stop --------------------------------
xdotool windowfocus --sync "$WIN" 2>/dev/null
xdotool key Return
CURRENT_SHOT=08-paused
wait_until 20 bars_still || fail "after pause the bars still move (subtitle thumb at $SUB_X, sound at $SND_X)"
PAUSED_SUB=$SUB_X PAUSED_SND=$SND_X
[ "$(changed_pixels "$BEFORE_PLAY" "$SHOT" "$(caption_rect)")" -le 20 ] ||
    fail "after pause the play button does not say play again"
PAUSED_SHOT=$SHOT
log "paused: subtitle thumb $SUB_X, sound thumb $SND_X"

# --- Drag the subtitle bar back to its start while paused: the movie follows, the bar stays ----
CURRENT_SHOT=09-dragged
drag_thumb_to_start 1 || fail "the subtitle thumb does not follow a drag"
sleep 1.5
shot 09-dragged
read_bars || fail "cannot find the thumbs after the drag"
[ "$SUB_X" -lt $((PAUSED_SUB - 20)) ] || fail "the subtitle thumb did not move with the drag ($PAUSED_SUB -> $SUB_X)"
[ "$SND_X" = "$PAUSED_SND" ] || fail "dragging the subtitle bar moved the sound bar ($PAUSED_SND -> $SND_X)"
[ "$(changed_pixels "$PAUSED_SHOT" "$SHOT" "$(picture_rect)")" -gt 500 ] ||
    fail "dragging the subtitle bar did not move the movie (its picture is unchanged)"
DRAGGED_SUB=$SUB_X
sleep 1
shot 09-dragged
read_bars && [ "$SUB_X" = "$DRAGGED_SUB" ] || fail "the subtitle thumb did not stay where it was dragged"
log "dragged the subtitle thumb from $PAUSED_SUB to $SUB_X"

# --- A wider window, then a background colour: the margins change ------------------------------
xdotool windowsize --sync "$WIN" 800 560
sleep 0.5
layout
log "window resized to ${WIN_W}x${WIN_H}"
# At this size the movie area is wider than the movie's 3:2, so "show all" leaves margins at the
# sides; the pixel halfway down, just inside the left edge, is margin.
MARGIN_X=$((SWF1_X + 4)) MARGIN_Y=$((SWF1_Y + SWF1_H / 2))
CURRENT_SHOT=10-wider
wait_until 10 button_face_is $LIGHT_YELLOW || fail "the colour button is not where the layout puts it after a resize"
margin_is $LIGHT_YELLOW || fail "the side margins of the wider movie area are not light yellow"
# A cancelled colour dialog leaves the button and the margins as they were.
click_control $COLOR_X $COLOR_Y $COLOR_W $COLOR_H
wait_until 20 find_dialog || fail "no colour dialog opened"
xdotool windowfocus --sync "$DIALOG" 2>/dev/null
sleep 0.5
xdotool key Escape
wait_until 20 no_dialog || fail "Escape did not close the colour dialog"
sleep 0.7
margin_is $LIGHT_YELLOW || fail "cancelling the colour dialog changed the margins to #$(pixel "$SHOT" "$MARGIN_X" "$MARGIN_Y")"
button_face_is $LIGHT_YELLOW || fail "cancelling the colour dialog changed the colour button"
log "colour dialog cancelled: margins and button still light yellow"
click_control $COLOR_X $COLOR_Y $COLOR_W $COLOR_H
wait_until 20 find_dialog || fail "no colour dialog opened"
xdotool windowfocus --sync "$DIALOG" 2>/dev/null
sleep 0.5
# Alt+H goes to the dialog's HTML field; a colour with three different bytes shows any mix-up of
# their order.
CHOSEN=3366CC
xdotool key alt+h
sleep 0.2
xdotool key ctrl+a
xdotool type "#$CHOSEN"
sleep 0.3
grab_window "$DIALOG" "$OUT/11-colour-dialog.png" ${WM_PID:+"$OUT/framed/11-colour-dialog.png"}
xdotool key Return
wait_until 20 no_dialog || fail "the colour dialog did not close"
CURRENT_SHOT=12-colour
wait_until 10 margin_is $CHOSEN || fail "the margins are #$(pixel "$SHOT" "$MARGIN_X" "$MARGIN_Y"), not the chosen #$CHOSEN"
button_face_is $CHOSEN || fail "the colour button's face is not the chosen #$CHOSEN"
log "margins and colour button now #$CHOSEN"

# --- Play on, slider to +100: the subtitle bar gains on the sound bar --------------------------
read_bars || fail "cannot find the thumbs before playing on"
PLAY_SUB=$SUB_X PLAY_SND=$SND_X
click_control $COMP_X $COMP_Y $COMP_W $COMP_H
CURRENT_SHOT=13-faster
wait_until 20 bars_moved_from "$PLAY_SUB" "$PLAY_SND" 3 || fail "playing on did not move both bars"
# The slider's thumb stands at 0 (80 steps of 180 from the left); drag it past the right end.
SLIDER_NOW=$(slider_thumb)
drag "$SLIDER_NOW" $((SLIDER_Y + SLIDER_H / 2)) $((SLIDER_X + SLIDER_W + 30)) $((SLIDER_Y + SLIDER_H / 2))
shot 13-faster
[ "$(slider_thumb)" -ge $((SLIDER_X + SLIDER_W - 12)) ] || fail "the slider's handle did not follow the drag to +100"
read_bars || fail "cannot find the thumbs after moving the slider"
GAIN_SUB=$SUB_X GAIN_SND=$SND_X
sleep 1.5
shot 13-faster
read_bars || fail "cannot find the thumbs while running faster"
title_ends_with /swf/lesson1.swf || fail "the first lesson ended before the speed could be measured"
SUB_STEP=$((SUB_X - GAIN_SUB)) SND_STEP=$((SND_X - GAIN_SND))
log "in 1.5 s at +100: subtitle thumb +$SUB_STEP px, sound thumb +$SND_STEP px"
[ "$SUB_STEP" -ge $((SND_STEP * 3 / 2)) ] && [ "$SUB_STEP" -ge $((SND_STEP + 10)) ] ||
    fail "with the slider at +100 the subtitle bar does not gain on the sound bar (+$SUB_STEP px against +$SND_STEP px)"
# Back to normal speed: the slider's thumb to where 0 was. A step or two off makes the subtitles
# step once every four or five seconds, which nothing below can see.
SLIDER_NOW=$(slider_thumb)
drag "$SLIDER_NOW" $((SLIDER_Y + SLIDER_H / 2)) "$SLIDER_ZERO_X" $((SLIDER_Y + SLIDER_H / 2))

# --- The end of the first subtitle movie: the second pair loads and plays ------------------------
CURRENT_SHOT=14-normal-speed
shot 14-normal-speed
[ "$(slider_thumb)" -le $((SLIDER_ZERO_X + 3)) ] && [ "$(slider_thumb)" -ge $((SLIDER_ZERO_X - 3)) ] ||
    fail "the slider's handle did not come back to the middle"
read_bars
BEFORE_END_SND=$SND_X
wait_until 60 title_ends_with /swf/lesson2.swf ||
    fail "the second lesson did not load: the title is '$(window_title)'"
log "second pair loaded: $(window_title)"
CURRENT_SHOT=15-second-pair
sleep 0.7
shot 15-second-pair
read_bars || fail "cannot find the thumbs after the second pair loaded"
[ "$SND_X" -lt $((BEFORE_END_SND - 20)) ] ||
    fail "the sound bar did not go back to the start of the second sound movie ($BEFORE_END_SND -> $SND_X)"
SECOND_SUB=$SUB_X SECOND_SND=$SND_X
wait_until 20 bars_moved_from "$SECOND_SUB" "$SECOND_SND" 8 ||
    fail "the second pair does not play (subtitle thumb $SECOND_SUB -> $SUB_X, sound thumb $SECOND_SND -> $SND_X)"
title_ends_with /swf/lesson2.swf || fail "the title is '$(window_title)' while the second lesson plays"
log "second pair playing: subtitle thumb $SECOND_SUB -> $SUB_X, sound thumb $SECOND_SND -> $SND_X"

# --- And the learner pauses: Enter, with the focus on the slider they last moved ----------------
xdotool windowfocus --sync "$WIN" 2>/dev/null
xdotool key Return
CURRENT_SHOT=16-paused-again
wait_until 20 bars_still || fail "Enter did not pause the second pair"
title_ends_with /swf/lesson2.swf || fail "the title is '$(window_title)' after pausing the second lesson"
log "second pair paused"

# --- The quiz lesson: the fourth pair, answered with a button ----------------------------------
# The quiz's scripts read its questions from quiz4.xml beside the movie, mark the choice clicked
# and start a chime from a Sound object on a right answer; they trace what they do (the player
# runs with VELMORA_TRACE=1), and the frame shows the question, the verdict and a clock.
click_control $COM_X $HSC1_Y $COM_W $COM_H
choose_in_open_dialog 17-quiz-dialog '"lesson4.swf"'
wait_until 20 title_ends_with /swf/lesson4.swf || fail "the quiz lesson did not open: the title is '$(window_title)'"
click_control $COM_X $HSC2_Y $COM_W $COM_H
choose_in_open_dialog 18-quiz-sound-dialog '"lesson4.swf"'
check_alive "opening the quiz lesson"
click_control $COMP_X $COMP_Y $COMP_W $COMP_H
quiz_asked() {
    grep -q 'swf1: trace: question: 哪个是水果' "$OUT/player.log"
}
wait_until 20 quiz_asked || fail "the quiz did not show the first question from quiz4.xml"
# Stage pixels to window pixels: the 600x400 movie shown whole and centred in the movie area.
SCALE_NUM=$((SWF1_W * 400 < SWF1_H * 600 ? SWF1_W : SWF1_H * 3 / 2))
stage_x() { echo $((SWF1_X + (SWF1_W - SCALE_NUM) / 2 + $1 * SCALE_NUM / 600)); }
stage_y() { echo $((SWF1_Y + (SWF1_H - SCALE_NUM * 2 / 3) / 2 + $1 * SCALE_NUM / 600)); }
region() {  # X Y W H in stage pixels, as a geometry in the window
    echo "$(($3 * SCALE_NUM / 600))x$(($4 * SCALE_NUM / 600))+$(stage_x "$1")+$(stage_y "$2")"
}
CURRENT_SHOT=19-quiz
sleep 0.5
shot 19-quiz
QUIZ_SHOT=$SHOT
clock_ticks() {
    shot 19-quiz-clock
    [ "$(changed_pixels "$QUIZ_SHOT" "$SHOT" "$(region 440 15 140 25)")" -gt 5 ]
}
wait_until 5 clock_ticks || fail "the quiz's clock does not show the time"
log "quiz asked its first question; the clock ticks"

# A wrong choice, then the right one (the second button, 苹果).
click_at "$(stage_x 115)" "$(stage_y 155)"
wrong_marked() { grep -q 'swf1: trace: wrong: 桌子' "$OUT/player.log"; }
wait_until 10 wrong_marked || fail "clicking the first choice did not mark it wrong"
CURRENT_SHOT=20-quiz-wrong
sleep 0.3
shot 20-quiz-wrong
WRONG_SHOT=$SHOT
click_at "$(stage_x 300)" "$(stage_y 155)"
right_marked() { grep -q 'swf1: trace: right: 苹果' "$OUT/player.log"; }
wait_until 10 right_marked || fail "clicking the right choice did not mark it right"
CURRENT_SHOT=21-quiz-right
sleep 0.3
shot 21-quiz-right
[ "$(changed_pixels "$WRONG_SHOT" "$SHOT" "$(region 30 270 540 40)")" -gt 100 ] ||
    fail "the verdict under the question did not change from wrong to right"
log "quiz: a wrong choice and the right one marked, the verdict shown"

# The next question replaces the first on the page.
click_at "$(stage_x 300)" "$(stage_y 342)"
next_asked() { grep -q 'swf1: trace: question: 一加二是几' "$OUT/player.log"; }
wait_until 10 next_asked || fail "the next button did not bring the second question"
CURRENT_SHOT=22-quiz-next
sleep 0.3
shot 22-quiz-next
[ "$(changed_pixels "$QUIZ_SHOT" "$SHOT" "$(region 40 65 520 45)")" -gt 300 ] ||
    fail "the page does not show the question read from quiz4.xml"
log "quiz: the next question shows"

# A typed answer: a click in the answer field gives it the keyboard, the learner types the second
# question's answer (a Chinese character, as an input method would commit it) and checks it.
click_at "$(stage_x 240)" "$(stage_y 232)"
sleep 0.3
xdotool type --delay 80 "三"
CURRENT_SHOT=23-quiz-typed
sleep 0.3
shot 23-quiz-typed
click_at "$(stage_x 415)" "$(stage_y 230)"
typed_right() { grep -q 'swf1: trace: right: 三' "$OUT/player.log"; }
wait_until 10 typed_right || fail "the answer typed into the field was not checked right"
log "quiz: a typed answer checked right"

grep -q 'script: unsupported' "$OUT/player.log" && fail "the quiz lesson uses something reported as unsupported"

# --- Nothing went wrong behind the window ------------------------------------------------------
check_alive "the whole run"
# A handler that fails is reported as "velmora: <handler> failed: <what>"; a normal lesson has none.
if grep -E '^velmora: .* failed: |AddressSanitizer|runtime error:|LeakSanitizer' "$OUT/player.log" >/dev/null; then
    fail "the player reported problems during the run"
fi
log "PASS: screenshots in $OUT"

# Helpers for driving the player on a private X server: the server itself, waiting, screenshots
# and reading pixels. Sourced by the end-to-end scripts; nothing here knows about lessons.
#
# The caller sets OUT (a folder for screenshots and logs) before using them.

# Milliseconds since the epoch, from bash's own clock (no bc, no date forks in polling loops).
now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $((t / 1000))
}

E2E_STARTED=$(now_ms)

log() {
    local ms=$(($(now_ms) - E2E_STARTED))
    printf '[%3d.%01ds] %s\n' $((ms / 1000)) $((ms % 1000 / 100)) "$*"
}

# Exit code that ctest counts as "skipped" (SKIP_RETURN_CODE); a failure instead where
# VELMORA_REQUIRE_FIXTURES=1 (CI), so that a machine without the tools cannot pass by skipping.
skip() {
    if [ "${VELMORA_REQUIRE_FIXTURES:-}" = 1 ]; then
        echo "FAIL: $* (VELMORA_REQUIRE_FIXTURES=1)"
        exit 1
    fi
    echo "SKIP: $*"
    exit 77
}

require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/setup installs it)"
    done
}

# Starts Xvfb on a display number it picks itself (-displayfd), so that several runs, and other
# people's servers, never collide. Sets DISPLAY and XVFB_PID.
start_xvfb() {
    local fd_file="$OUT/xvfb.display"
    rm -f "$fd_file"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset 3>"$fd_file" \
        >"$OUT/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        if [ -s "$fd_file" ]; then
            DISPLAY=":$(head -n1 "$fd_file" | tr -d '[:space:]')"
            export DISPLAY
            # The display number is written once the server listens; make sure clients get in.
            xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    cat "$OUT/xvfb.log" >&2
    skip "Xvfb did not start"
}

# Starts the window manager named in $1 when it is installed, so that windows get frames and
# titles as on a desktop; sets WM_PID. Without one, windows sit unframed at the top-left corner,
# which the checks handle as well.
start_window_manager() {
    WM_PID=
    [ -n "$1" ] || return 0
    command -v "$1" >/dev/null 2>&1 || { echo "note: $1 is not installed; running without a window manager"; return 0; }
    "$1" >"$OUT/window-manager.log" 2>&1 &
    WM_PID=$!
    local i
    for i in $(seq 1 100); do
        # A window manager that is up announces itself on the root window.
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "note: $1 did not start; running without a window manager"
}

# Runs "$@" until it succeeds or TIMEOUT seconds pass; returns its last status.
# Usage: wait_until TIMEOUT command args...
wait_until() {
    local timeout=$1
    shift
    local deadline=$(($(now_ms) + timeout * 1000))
    while :; do
        "$@" && return 0
        if [ "$(now_ms)" -gt "$deadline" ]; then
            "$@"
            return $?
        fi
        sleep 0.2
    done
}

# Sets X, Y (from the screen's top-left corner), WIDTH and HEIGHT to the window's client area.
# xwininfo rather than xdotool, which counts a reparenting window manager's offset twice.
window_rect() {
    eval "$(xwininfo -id "$1" 2>/dev/null | awk '
        /Absolute upper-left X:/ { print "X=" $4 }
        /Absolute upper-left Y:/ { print "Y=" $4 }
        /^  Width:/ { print "WIDTH=" $2 }
        /^  Height:/ { print "HEIGHT=" $2 }')"
    [ -n "${WIDTH:-}" ]
}

# Whole screen into $1. Xvfb has no compositor, so the root window holds what the user would see.
grab_screen() {
    import -window root "$1" 2>/dev/null
}

# One grab of the screen, cropped to the window's client area into FILE and, when FRAMED_FILE is
# given, to the window with its frame and title bar as the window manager draws them (the
# same as FILE when there is no window manager): "grab_window WINDOW FILE [FRAMED_FILE]".
grab_window() {
    local window=$1 file=$2 framed=${3:-} X Y WIDTH HEIGHT
    window_rect "$window" || return 1
    local screen="$OUT/.screen.png"
    grab_screen "$screen" && convert "$screen" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file" || return 1
    [ -n "$framed" ] || return 0
    local left=0 right=0 top=0 bottom=0 extents
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    if [ -n "$extents" ]; then
        IFS=, read -r left right top bottom <<<"$extents"
    fi
    convert "$screen" -crop "$((WIDTH + left + right))x$((HEIGHT + top + bottom))+$((X - left))+$((Y - top))" \
        +repage "$framed"
}

# The colour of one pixel as RRGGBB: "pixel FILE X Y".
pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n1
}

# True when two RRGGBB colours differ by at most TOLERANCE in every channel.
colour_near() {
    local a=$1 b=$2 tolerance=${3:-12} i
    for i in 0 2 4; do
        local d=$((16#${a:i:2} - 16#${b:i:2}))
        [ "${d#-}" -le "$tolerance" ] || return 1
    done
}

# Number of pixels that differ noticeably between the same rectangle of two images:
# "changed_pixels A B WIDTHxHEIGHT+X+Y".
changed_pixels() {
    compare -metric AE -fuzz 8% "$1[$3]" "$2[$3]" null: 2>&1 | sed 's/[^0-9].*//'
}

# The centre, in pixels from the image's left edge, of the longest run of pixels that differ from
# the most common colour of a row segment: the thumb of a scroll bar or slider against its trough.
# "thumb_centre FILE Y X_FROM X_TO"; prints nothing when the row is one colour.
thumb_centre() {
    local file=$1 y=$2 from=$3 to=$4
    convert "$file" -crop "$((to - from + 1))x1+${from}+${y}" -depth 8 txt:- |
        awk -v from="$from" '
            NR > 1 {
                split($1, at, ",")
                colour[at[1] + 0] = $3
                count[$3]++
                n = at[1] + 1
            }
            END {
                for (c in count) if (count[c] > best) { best = count[c]; trough = c }
                run = 0; longest = 0
                for (x = 0; x < n; x++) {
                    if (colour[x] != trough) {
                        if (run == 0) start = x
                        run++
                        if (run > longest) { longest = run; longestStart = start }
                    } else {
                        run = 0
                    }
                }
                if (longest > 0) printf "%d\n", from + longestStart + (longest - 1) / 2
            }'
}

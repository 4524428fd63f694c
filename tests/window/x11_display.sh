# SPDX-License-Identifier: GPL-3.0-or-later
# A virtual X display of its own for a test, and a window manager on it. Sourced by the window
# tests. The server picks a free display itself (-displayfd), so tests running side by side never
# meet, and -noreset keeps it up when its last client leaves.

X11_SERVER_PID=""
X11_WM_PID=""

# Starts Xvfb with one screen of SIZE (WIDTHxHEIGHT) at 96 DPI, writing its log to LOG, and sets
# DISPLAY once the server takes connections. Fails when the server ends first or TIMEOUT seconds
# pass.
x11_start_display() {
    local size=$1 log=$2 timeout=${3:-60} number_file number=""
    number_file=$(mktemp "${TMPDIR:-/tmp}/x11-display.XXXXXX") || return 1
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${size}x24" -dpi 96 \
        3>"$number_file" >"$log" 2>&1 &
    X11_SERVER_PID=$!
    local deadline=$((SECONDS + timeout))
    # The number is written, with a line end, when the server is ready.
    while ((SECONDS < deadline)); do
        if [[ $(tail -c 1 "$number_file" | od -An -c | tr -d ' ') == '\n' ]]; then
            number=$(head -n 1 "$number_file")
            break
        fi
        if ! kill -0 "$X11_SERVER_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    rm -f "$number_file"
    if [[ -z $number ]]; then
        echo "Xvfb did not start (log $log):" >&2
        cat "$log" >&2
        x11_stop_display
        return 1
    fi
    export DISPLAY=:$number
}

# Starts openbox on DISPLAY, writing its log to LOG, and returns once it manages the screen (it
# names itself on the root window). Fails when it ends first or TIMEOUT seconds pass.
x11_start_window_manager() {
    local log=$1 timeout=${2:-60}
    openbox --sm-disable >"$log" 2>&1 &
    X11_WM_PID=$!
    local deadline=$((SECONDS + timeout))
    while ((SECONDS < deadline)); do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            return 0
        fi
        kill -0 "$X11_WM_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "openbox did not start (log $log):" >&2
    cat "$log" >&2
    return 1
}

# Ends the window manager and the server this shell started, and waits for them.
x11_stop_display() {
    local pid
    for pid in "$X11_WM_PID" "$X11_SERVER_PID"; do
        [[ -n $pid ]] || continue
        kill -TERM "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    X11_WM_PID=""
    X11_SERVER_PID=""
}

# The frame a window manager put around WINDOW as "LEFT RIGHT TOP BOTTOM" (0 0 0 0 without one).
x11_frame_extents() {
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null |
        awk -F' = ' '/_NET_FRAME_EXTENTS/ { gsub(/,/, "", $2); print $2; found = 1 }
                    END { if (!found) print "0 0 0 0" }'
}

# The place and inner size of WINDOW as "X Y WIDTH HEIGHT", X and Y on the root window.
x11_window_geometry() {
    xwininfo -id "$1" |
        awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
             /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print x, y, w, h }'
}

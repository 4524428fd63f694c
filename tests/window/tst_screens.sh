#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on virtual X screens of a laptop (1366x768) and an office monitor
# (1280x1024), each at the scale factors 1, 1.25 and 2, and checks that its window starts whole
# on the screen; a picture of each screen is saved as morwenda-WIDTHxHEIGHT-at-SCALE.png in the
# output folder. Without a window manager the window has no frame, so its client area must fit.
#
# Usage: tst_screens.sh PROGRAM OUTPUT-FOLDER
# Exits 77 (skipped) where xvfb-run is missing.
set -uo pipefail

readonly SKIPPED=77
readonly TITLE=Morwenda
# The window's least height at 96 DPI and scale 1: its default 689 pixels less what the two
# lists give up before they are 40 pixels high.
readonly LEAST_HEIGHT=532
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/x11.sh
source "$here/../../scripts/lib/x11.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs inside xvfb-run: shows the window, checks where it is, takes the picture, ends the program.
on_screen() {
    local program=$1 screen=$2 scale=$3 picture=$4 place=$5
    QT_SCALE_FACTOR=$scale "$program" >"$place/program.log" 2>&1 &
    local pid=$!
    local window
    window=$(x11_wait_for_window "$TITLE" "$pid" 60) || {
        cat "$place/program.log" >&2
        kill -KILL "$pid" 2>/dev/null
        fail "no window at scale $scale on $screen"
    }
    local x y w h
    read -r x y w h < <(xwininfo -id "$window" |
        awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
             /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print x, y, w, h }')
    x11_screenshot root "$picture" || fail "no picture of $screen at scale $scale"
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    local sw=${screen%x*} sh=${screen#*x}
    echo "scale $scale on $screen: window ${w}x${h} at $x,$y; picture $picture"
    ((x >= 0 && y >= 0 && x + w <= sw)) ||
        fail "at scale $scale the window ${w}x${h} at $x,$y does not fit the screen $screen"
    if ((y + h > sh)); then
        # Only a screen lower than the window's least size may cut it: the window then has that
        # size and starts at the top, its title bar on the screen.
        local least
        least=$(awk -v s="$scale" -v l="$LEAST_HEIGHT" 'BEGIN { printf "%d", l * s + 0.999 }')
        ((least > sh && y == 0 && h <= least)) ||
            fail "at scale $scale the window ${w}x${h} at $x,$y does not fit the screen $screen"
        echo "  (the window at its least height is taller than this screen)"
    fi
}

if [[ ${1:-} == --on-screen ]]; then
    shift
    on_screen "$@"
    exit $?
fi

program=${1:?program}
out=${2:?output folder}
if ! command -v xvfb-run >/dev/null; then
    echo "SKIP: xvfb-run is not installed"
    exit $SKIPPED
fi
for tool in xauth xwininfo import identify; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/lib/deps.sh lists it)"
done

unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI \
    QT_ENABLE_HIGHDPI_SCALING QT_STYLE_OVERRIDE WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
mkdir -p "$out"
status=0
for screen in 1366x768 1280x1024; do
    for scale in 1 1.25 2; do
        place=$(mktemp -d "${TMPDIR:-/tmp}/morwenda-screens.XXXXXX")
        mkdir -p "$place/config" "$place/home" "$place/tmp" "$place/runtime"
        chmod 700 "$place/runtime"
        HOME=$place/home XDG_CONFIG_HOME=$place/config TEMP=$place/tmp TMPDIR=$place/tmp \
            XDG_RUNTIME_DIR=$place/runtime \
            xvfb-run -a -e "$place/xvfb.log" -s "-screen 0 ${screen}x24 -dpi 96 -nolisten tcp" \
            bash "${BASH_SOURCE[0]}" --on-screen "$program" "$screen" "$scale" \
            "$out/morwenda-$screen-at-$scale.png" "$place" || status=1
        rm -rf "$place"
    done
done
((status == 0)) && echo "PASS: the window starts whole on every screen and scale"
exit $status

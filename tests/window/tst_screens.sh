#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on virtual X screens of a laptop (1366x768) and an office monitor
# (1280x1024), each at the scale factors 1, 1.25 and 2, and the laptop's at 1.5 in German, and
# checks that its window starts whole on the screen (on a screen lower than the window's least
# size its controls scroll); a picture of each screen is saved as
# morwenda-WIDTHxHEIGHT-at-SCALE[-LANGUAGE].png in the output folder. Without a window manager
# the window has no frame, so its client area must fit.
#
# Usage: tst_screens.sh PROGRAM OUTPUT-FOLDER
# Exits 77 (skipped) where xvfb-run is missing.
set -uo pipefail

readonly SKIPPED=77
readonly TITLE=Morwenda
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/x11.sh
source "$here/../../scripts/lib/x11.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs inside xvfb-run: shows the window, checks where it is, takes the picture, ends the program.
on_screen() {
    local program=$1 screen=$2 scale=$3 picture=$4 place=$5 language=${6:-}
    if [[ -n $language ]]; then
        export LC_ALL=$language LANG=$language
    fi
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
    ((x >= 0 && y >= 0 && x + w <= sw && y + h <= sh)) ||
        fail "at scale $scale the window ${w}x${h} at $x,$y does not fit the screen $screen"
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
for setting in 1366x768:1 1366x768:1.25 1366x768:2 1280x1024:1 1280x1024:1.25 1280x1024:2 \
    1366x768:1.5:de_DE.UTF-8; do
    IFS=: read -r screen scale language <<<"$setting"
    suffix=${language:+-${language%%_*}}
    place=$(mktemp -d "${TMPDIR:-/tmp}/morwenda-screens.XXXXXX")
    mkdir -p "$place/config" "$place/home" "$place/tmp" "$place/runtime"
    chmod 700 "$place/runtime"
    HOME=$place/home XDG_CONFIG_HOME=$place/config TEMP=$place/tmp TMPDIR=$place/tmp \
        XDG_RUNTIME_DIR=$place/runtime \
        xvfb-run -a -e "$place/xvfb.log" -s "-screen 0 ${screen}x24 -dpi 96 -nolisten tcp" \
        bash "${BASH_SOURCE[0]}" --on-screen "$program" "$screen" "$scale" \
        "$out/morwenda-$screen-at-$scale$suffix.png" "$place" "$language" || status=1
    rm -rf "$place"
done
((status == 0)) && echo "PASS: the window starts whole on every screen and scale"
exit $status

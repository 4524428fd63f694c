#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on virtual X screens of a laptop (1366x768), an office monitor
# (1280x1024) and a full-HD monitor (1920x1080) at several scale factors, and checks that its
# window starts whole on the screen (on a screen lower than the window's least size its controls
# scroll); a picture of each screen is saved as morwenda-WIDTHxHEIGHT-at-SCALE[-LANGUAGE][-wm].png
# in the output folder.
#   - Without a window manager the window has no frame, so its client area must fit.
#   - Under openbox ("-wm") the frame must: the title bar's top is on the screen, the whole frame
#     lies inside the screen, and the window can be made smaller than the screen.
# Each screen is a display server of its own on a free display, kept up with -noreset.
#
# Usage: tst_screens.sh PROGRAM OUTPUT-FOLDER
# Exits 77 (skipped) where Xvfb is missing.
set -uo pipefail

readonly SKIPPED=77
readonly TITLE=Morwenda
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/x11.sh
source "$here/../../scripts/lib/x11.sh"
# shellcheck source=x11_display.sh
source "$here/x11_display.sh"

pid=""

fail() {
    echo "FAIL: $*" >&2
    return 1
}

# Polls until WINDOW's inner height differs from HEIGHT and prints its geometry; fails after
# TIMEOUT seconds.
wait_for_new_height() {
    local window=$1 height=$2 timeout=$3 geometry
    local deadline=$((SECONDS + timeout))
    while ((SECONDS < deadline)); do
        geometry=$(x11_window_geometry "$window")
        if [[ ${geometry##* } != "$height" ]]; then
            echo "$geometry"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Checks the framed WINDOW on a screen of SW x SH: the frame lies whole on the screen and the
# window can be made smaller than the screen.
check_frame() {
    local window=$1 sw=$2 sh=$3 x y w h left right top bottom
    read -r x y w h < <(x11_window_geometry "$window")
    read -r left right top bottom < <(x11_frame_extents "$window")
    echo "  frame: title bar top at $((y - top)), $((w + left + right))x$((h + top + bottom))" \
        "at $((x - left)),$((y - top))"
    ((top > 0)) || fail "no frame around the window under openbox" || return 1
    ((y - top >= 0 && x - left >= 0)) ||
        fail "the title bar lies above or left of the screen" || return 1
    ((x + w + right <= sw && y + h + bottom <= sh)) ||
        fail "the frame reaches past the screen's right or lower edge" || return 1
    xdotool windowsize "$window" "$w" $((sh / 2)) ||
        fail "the window manager was not asked to resize" || return 1
    local geometry
    geometry=$(wait_for_new_height "$window" "$h" 30) ||
        fail "the window could not be made lower than ${w}x${h}" || return 1
    read -r x y w h <<<"$geometry"
    echo "  made smaller: ${w}x${h}"
    ((h + top + bottom < sh)) || fail "made smaller, the window still fills the screen"
}

# Shows the window on the display, checks where it is, takes the picture, ends the program.
check_screen() {
    local program=$1 screen=$2 scale=$3 picture=$4 place=$5 manager=$6 language=$7
    local -a locale=()
    [[ -z $language ]] || locale=(LC_ALL="$language" LANG="$language")
    env "${locale[@]}" QT_SCALE_FACTOR="$scale" "$program" >"$place/program.log" 2>&1 &
    pid=$!
    local window status=0
    window=$(x11_wait_for_window "$TITLE" "$pid" 120) || {
        cat "$place/program.log" >&2
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        fail "no window at scale $scale on $screen"
        return 1
    }
    local sw=${screen%x*} sh=${screen#*x} x y w h
    x11_screenshot root "$picture" || status=1
    read -r x y w h < <(x11_window_geometry "$window")
    echo "scale $scale on $screen${manager:+ under openbox}: window ${w}x${h} at $x,$y;" \
        "picture $picture"
    if [[ -n $manager ]]; then
        check_frame "$window" "$sw" "$sh" || status=1
    else
        ((x >= 0 && y >= 0 && x + w <= sw && y + h <= sh)) ||
            fail "at scale $scale the window ${w}x${h} at $x,$y does not fit the screen $screen" ||
            status=1
    fi
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return $status
}

# One screen: its display server (and window manager), the program in a place of its own.
on_screen() {
    local program=$1 screen=$2 scale=$3 picture=$4 place=$5 language=$6 manager=$7
    export HOME=$place/home XDG_CONFIG_HOME=$place/config TEMP=$place/tmp TMPDIR=$place/tmp \
        XDG_RUNTIME_DIR=$place/runtime
    x11_start_display "$screen" "$place/xvfb.log" 120 || return 1
    trap x11_stop_display EXIT
    if [[ -n $manager ]]; then
        x11_start_window_manager "$place/openbox.log" 120 || return 1
    fi
    check_screen "$program" "$screen" "$scale" "$picture" "$place" "$manager" "$language"
}

program=${1:?program}
out=${2:?output folder}
if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed"
    exit $SKIPPED
fi
for tool in xwininfo xprop import identify openbox xdotool; do
    command -v "$tool" >/dev/null || {
        echo "FAIL: $tool is not installed (scripts/lib/deps.sh lists it)" >&2
        exit 1
    }
done

unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI \
    QT_ENABLE_HIGHDPI_SCALING QT_STYLE_OVERRIDE WAYLAND_DISPLAY DISPLAY
export QT_QPA_PLATFORM=xcb
mkdir -p "$out"
status=0
# SCREEN:SCALE:LANGUAGE:MANAGER
for setting in 1366x768:1 1366x768:1.25 1366x768:2 1280x1024:1 1280x1024:1.25 1280x1024:2 \
    1366x768:1.5:de_DE.UTF-8 \
    1366x768:1::wm 1366x768:1.5::wm 1366x768:2::wm 1280x1024:1.5::wm 1280x1024:2::wm \
    1920x1080:1.5::wm 1920x1080:2::wm 1366x768:1.5:de_DE.UTF-8:wm; do
    IFS=: read -r screen scale language manager <<<"$setting"
    suffix=${language:+-${language%%_*}}${manager:+-wm}
    place=$(mktemp -d "${TMPDIR:-/tmp}/morwenda-screens.XXXXXX")
    mkdir -p "$place/config" "$place/home" "$place/tmp" "$place/runtime"
    chmod 700 "$place/runtime"
    (on_screen "$program" "$screen" "$scale" "$out/morwenda-$screen-at-$scale$suffix.png" \
        "$place" "$language" "$manager") || status=1
    rm -rf "$place"
done
((status == 0)) && echo "PASS: the window starts whole on every screen and scale"
exit $status

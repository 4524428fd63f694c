#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on a virtual X screen at 96 DPI, in a place of its own (settings, home,
# temporary folder), and checks what a person sees and what the first start leaves behind:
#   - one window titled exactly "Morwenda", whose client area is 536x701 pixels (8040x10515 twips);
#   - a screenshot of it, saved as morwenda-window.png in the output folder;
#   - the settings of a first start, written while the window is open: section [Morwenda] with
#     Option1=True, Option2=False and the desktop folder as "Output Folder";
#   - without a display, --help and --version answer and the window ends with a reason and 1;
#   - a close request (as from the close box) ends the process with code 0 within 5 s, changes
#     no setting and leaves no converter in the temporary folder.
#
# Usage: tst_window.sh PROGRAM CLOSE-REQUEST-HELPER OUTPUT-FOLDER
# Exits 77 (skipped) where Xvfb or the helper is missing.
set -uo pipefail

readonly SKIPPED=77
readonly TITLE=Morwenda
readonly EXPECTED_SIZE=536x701
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/x11.sh
source "$here/../../scripts/lib/x11.sh"

pid=""
log=""
settings=""

# Prints what was on the screen, what the program said and what it stored, then stops it.
show_evidence() {
    [[ -n $pid ]] || return 0
    echo "--- windows on the screen:" >&2
    xwininfo -root -tree >&2 2>&1 || true
    echo "--- program output:" >&2
    cat "$log" >&2
    echo "--- settings file $settings:" >&2
    cat "$settings" >&2 2>/dev/null || echo "(none)" >&2
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=""
}

fail() {
    echo "FAIL: $*" >&2
    show_evidence
    exit 1
}

# The value of KEY in section [Morwenda] of an INI file, as written (keys are percent-encoded).
setting() {
    awk -v key="$2" '
        /^\[/ { inside = ($0 == "[Morwenda]"); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$1"
}

# Runs on the virtual screen: DISPLAY is set.
on_screen() {
    local program=$1 helper=$2 out=$3 place=$4
    log=$place/program.log
    settings=$XDG_CONFIG_HOME/Tarvenik.conf

    "$program" >"$log" 2>&1 &
    pid=$!

    local window count size
    window=$(x11_wait_for_window "$TITLE" "$pid" 60) || fail "the window did not appear"
    echo "window $window is up"
    count=$(x11_viewable_windows "$TITLE" | wc -l)
    ((count == 1)) || fail "$count viewable windows titled $TITLE, expected 1"

    size=$(x11_window_size "$window")
    echo "client size: $size"
    [[ $size == "$EXPECTED_SIZE" ]] || fail "client size $size, expected $EXPECTED_SIZE"

    x11_screenshot "$window" "$out/morwenda-window.png" || fail "no screenshot"
    echo "screenshot: $out/morwenda-window.png"

    # Start-up stores what it restores; nothing waits for the shutdown.
    [[ -f $settings ]] || fail "no settings file $settings after the first start"
    local option1 option2 folder before
    option1=$(setting "$settings" Option1)
    option2=$(setting "$settings" Option2)
    folder=$(setting "$settings" 'Output%20Folder')
    [[ $option1 == True ]] || fail "Option1 is '$option1', expected True"
    [[ $option2 == False ]] || fail "Option2 is '$option2', expected False"
    # A home without a desktop folder: the texts go to the home folder.
    [[ $folder == "$HOME/" ]] || fail "Output Folder is '$folder', expected '$HOME/'"
    echo "first settings: Option1=$option1 Option2=$option2 Output Folder=$folder"
    before=$(md5sum <"$settings")

    "$helper" "$window" || fail "the close request could not be sent"
    local deadline=$((SECONDS + 5))
    while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program still runs 5 s after its window was asked to close"
    local code=0
    wait "$pid" || code=$?
    ((code == 0)) || fail "the program ended with code $code after the close"
    pid=""
    echo "closed: exit code 0"

    [[ $(md5sum <"$settings") == "$before" ]] || fail "the settings changed at shutdown"
    local converter
    converter=$TEMP/morwenda-$(id -u)/pdftotext
    [[ ! -e $converter ]] || fail "the deployed converter $converter is still there after the close"
}

if [[ ${1:-} == --on-screen ]]; then
    shift
    on_screen "$@"
    exit 0
fi

program=${1:?program}
helper=${2-}
out=${3:?output folder}
if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed"
    exit $SKIPPED
fi
if [[ -z $helper ]]; then
    echo "SKIP: the close-request helper was not built (no Xlib headers)"
    exit $SKIPPED
fi
for tool in xwininfo xprop import identify; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/lib/deps.sh lists it)"
done
[[ -x $program ]] || fail "no program at $program"

place=$(mktemp -d "${TMPDIR:-/tmp}/morwenda-window.XXXXXX")
trap 'rm -rf "$place"' EXIT
mkdir -p "$place/config" "$place/home" "$place/tmp" "$place/runtime" "$out"
chmod 700 "$place/runtime"
rm -f "$out/morwenda-window.png"

# The program sees only its own place, the real X platform and no scaling from the caller.
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI \
    QT_ENABLE_HIGHDPI_SCALING QT_STYLE_OVERRIDE WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export HOME=$place/home XDG_CONFIG_HOME=$place/config TEMP=$place/tmp TMPDIR=$place/tmp
export XDG_RUNTIME_DIR=$place/runtime

# Without a display: --help and --version answer on the terminal, and the window itself ends
# with a plain reason and status 1 (not an abort).
no_display() {
    env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$@"
}
answer=$(no_display --version) || fail "--version without a display ended with $?"
[[ $answer == "morwenda "[0-9]* ]] || fail "--version said '$answer'"
answer=$(no_display --help) || fail "--help without a display ended with $?"
[[ $answer == *"Usage: morwenda"* ]] || fail "--help said '$answer'"
code=0
answer=$(no_display 2>&1) || code=$?
((code == 1)) || fail "without a display the program ended with $code, expected 1: $answer"
[[ $answer == *"the window cannot be shown: no display could be opened"* ]] ||
    fail "without a display the program said '$answer'"
echo "without a display: --help, --version and a plain reason with status 1"

# A display of its own: the server picks a free number and stays up between clients.
# shellcheck source=x11_display.sh
source "$here/x11_display.sh"
trap 'x11_stop_display; rm -rf "$place"' EXIT
x11_start_display 1024x768 "$place/xvfb.log" 120 || exit 1
bash "${BASH_SOURCE[0]}" --on-screen "$program" "$helper" "$out" "$place"
code=$?
x11_stop_display
if ((code != 0)); then
    echo "--- Xvfb log:" >&2
    cat "$place/xvfb.log" >&2
    exit "$code"
fi
echo "PASS: window, size, first settings and close"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs COMMAND on a virtual X screen of SIZE (WIDTHxHEIGHT, 96 DPI) of its own, managed by openbox,
# with Qt's xcb platform, and exits with its status; the server and openbox end with it.
#
# Usage: with_openbox.sh SIZE COMMAND [ARGUMENT...]
# Exits 77 (skipped) where Xvfb or openbox is missing.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_display.sh
source "$here/x11_display.sh"

size=${1:?size}
shift
for tool in Xvfb openbox xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
logs=$(mktemp -d "${TMPDIR:-/tmp}/morwenda-openbox.XXXXXX") || exit 1
cleanup() {
    x11_stop_display
    rm -rf "$logs"
}
trap cleanup EXIT
x11_start_display "$size" "$logs/xvfb.log" 120 || exit 1
x11_start_window_manager "$logs/openbox.log" 120 || exit 1
QT_QPA_PLATFORM=xcb "$@"

# SPDX-License-Identifier: GPL-3.0-or-later
# Waiting for a window on an X display and taking its picture, with xwininfo and ImageMagick.
# Sourced by scripts/run and the window test; DISPLAY must be set.

# Prints the ids of the mapped, viewable windows whose name is exactly NAME, one per line.
# Qt also names its unmapped client-leader window after the program, so the map state matters.
x11_viewable_windows() {
    local name=$1 id
    xwininfo -root -tree 2>/dev/null |
        awk -v want="\"$name\":" '$1 ~ /^0x/ && $2 == want { print $1 }' |
        while read -r id; do
            if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                echo "$id"
            fi
        done
}

# Polls every 0.1 s until a viewable window named NAME appears (other than the window EXCLUDE,
# when given) and prints its id. Fails when the process PID ends first or TIMEOUT seconds pass.
x11_wait_for_window() {
    local name=$1 pid=$2 timeout=$3 exclude=${4:-} id
    local deadline=$((SECONDS + timeout))
    while ((SECONDS < deadline)); do
        id=$(x11_viewable_windows "$name" | grep -vxF "${exclude:-none}" | head -n 1 || true)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "the program ended before its window appeared" >&2
            return 1
        fi
        sleep 0.1
    done
    echo "no window named \"$name\" within $timeout s" >&2
    return 1
}

# The inner size of a window as WIDTHxHEIGHT.
x11_window_size() {
    xwininfo -id "$1" | awk '/^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print w "x" h }'
}

# Saves a picture of WINDOW (an id, or "root" for the whole screen) to FILE once the window has
# been drawn: two captures 0.2 s apart must agree and show more than one colour. Gives up waiting
# after 10 s and keeps the last capture.
x11_screenshot() {
    local window=$1 file=$2 previous="" current
    local deadline=$((SECONDS + 10))
    mkdir -p "$(dirname "$file")"
    while :; do
        import -silent -window "$window" "$file.tmp.png" || return 1
        current=$(identify -format '%k %#' "$file.tmp.png")
        if [[ ${current%% *} -gt 1 && $current == "$previous" ]] || ((SECONDS >= deadline)); then
            break
        fi
        previous=$current
        sleep 0.2
    done
    mv -f "$file.tmp.png" "$file"
}

# Polls every 0.1 s until a viewable window named NAME other than the window MAIN appears (a
# message box of the program, which carries the program's name too) and prints its id. Fails when
# the process PID ends first or TIMEOUT seconds pass.
x11_wait_for_box() {
    x11_wait_for_window "$1" "$3" "$4" "$2"
}

# Polls every 0.1 s until the window ID is no longer viewable. Fails after TIMEOUT seconds.
x11_wait_until_gone() {
    local id=$1 timeout=$2
    local deadline=$((SECONDS + timeout))
    while ((SECONDS < deadline)); do
        if ! xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            return 0
        fi
        sleep 0.1
    done
    echo "the window $id is still shown after $timeout s" >&2
    return 1
}

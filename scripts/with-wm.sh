#!/bin/sh
# with-wm.sh WM COMMAND [ARGS...]: runs the command on the X server of DISPLAY with a window manager
# running, and returns its status. WM: openbox, or slow (tools' xqft-slow-wm, which carries out each
# resize a second late; XQFT_SLOW_WM names the program). The command starts once the window manager
# manages the screen; there is no time limit on that wait, only on the window manager dying first.
# Usually under scripts/with-xvfb.sh, which gives the display and ends the window manager with it.
wm=$1
shift
[ -n "$DISPLAY" ] || { echo "with-wm.sh: no DISPLAY" >&2; exit 1; }
dir=$(mktemp -d) || exit 1
case "$wm" in
    openbox) openbox --sm-disable >"$dir/log" 2>&1 & ;;
    slow) "${XQFT_SLOW_WM:-xqft-slow-wm}" >"$dir/log" 2>&1 & ;;
    *) echo "with-wm.sh: unknown window manager $wm" >&2; rm -rf "$dir"; exit 2 ;;
esac
pid=$!
cleanup() {
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
ready() {
    case "$wm" in
        # openbox names its check window on the root once it manages the screen.
        openbox) xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ;;
        slow) grep -qs '^ready' "$dir/log" ;;
    esac
}
while ! ready; do
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "with-wm.sh: $wm did not start:" >&2
        cat "$dir/log" >&2
        exit 1
    fi
    sleep 0.05
done
"$@"

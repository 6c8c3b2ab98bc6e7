#!/bin/sh
# with-xvfb.sh COMMAND [ARGS...]: runs the command under an Xvfb of its own and returns its status.
# The server picks a free display number itself (-displayfd), so tests started side by side never
# share or lose a server the way `xvfb-run -a`'s guessed numbers can; -noreset keeps the server
# from resetting each time its last client leaves, which refuses clients that connect meanwhile.
dir=$(mktemp -d) || exit 1
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
pid=$!
cleanup() {
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
tries=0
while ! grep -q '[0-9]' "$dir/display" 2>/dev/null; do
    if ! kill -0 "$pid" 2>/dev/null || [ "$tries" -ge 400 ]; then
        echo "with-xvfb.sh: Xvfb did not start:" >&2
        cat "$dir/log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.05
done
DISPLAY=:$(tr -dc '0-9' <"$dir/display")
export DISPLAY
"$@"

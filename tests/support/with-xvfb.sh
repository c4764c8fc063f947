#!/usr/bin/env bash
# Runs one command under an Xvfb of its own, on a display number that the server picks
# itself (-displayfd), and stops that server -- only that one, by pid -- afterwards.
# Usage: with-xvfb.sh COMMAND [ARG...]; exits with the command's status.
set -u
tmp=$(mktemp -d)
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset 9>"$tmp/display" 2>"$tmp/log" &
xvfb_pid=$!
cleanup() {
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 1 200); do
    [ -s "$tmp/display" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "with-xvfb: Xvfb failed to start:" >&2
        cat "$tmp/log" >&2
        exit 1
    fi
    sleep 0.05
done
if [ ! -s "$tmp/display" ]; then
    echo "with-xvfb: Xvfb gave no display number" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
# Software rendering everywhere, so pixels read back are the same on every machine.
export LIBGL_ALWAYS_SOFTWARE=1
"$@"
status=$?
exit $status

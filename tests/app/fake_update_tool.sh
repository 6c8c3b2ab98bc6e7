#!/bin/sh
# Stands in for the update tool in the updater's tests. Appends its arguments to $FAKE_UPDATE_LOG,
# one a line and then "--", and then:
#   FAKE_UPDATE_HANG set       never ends (the shell becomes a long sleep)
#   FAKE_UPDATE_SLEEP=s        waits s seconds first
#   FAKE_UPDATE_CRASH set      kills itself
#   otherwise exits with $FAKE_UPDATE_DOWNLOAD_EXIT for a run that asks for the download, else
#   with $FAKE_UPDATE_EXIT (default 1: no update).
log=${FAKE_UPDATE_LOG:-/dev/null}
download=0
for a in "$@"; do
    printf '%s\n' "$a" >> "$log"
    [ "$a" = download ] && download=1
done
printf -- '--\n' >> "$log"
[ -n "$FAKE_UPDATE_HANG" ] && exec sleep 60
[ -n "$FAKE_UPDATE_SLEEP" ] && sleep "$FAKE_UPDATE_SLEEP"
[ -n "$FAKE_UPDATE_CRASH" ] && kill -9 $$
if [ $download = 1 ]; then
    exit "${FAKE_UPDATE_DOWNLOAD_EXIT:-0}"
fi
exit "${FAKE_UPDATE_EXIT:-1}"

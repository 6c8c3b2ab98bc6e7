#!/usr/bin/env bash
# check_dump_capture.sh XQFT_DUMP TOOLS_DIR WORK_DIR: `xqft-dump capture` against the device peer.
# The captured file must be the streamed trace byte for byte and load with result 0, with random
# message and write sizes, with one-byte messages, and with one-byte TCP writes.
set -euo pipefail
dump="$1"; tools="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work"
python3 "$tools/xqftgen.py" sample "$work/g.xqft" >/dev/null
peer=
trap '[ -n "$peer" ] && kill "$peer" 2>/dev/null; true' EXIT
for sizes in "" "--message-size 1" "--write-size 1"; do
  echo "== peer options: ${sizes:-random sizes}"
  rm -f "$work/p" "$work/out.xqft"
  # shellcheck disable=SC2086
  python3 "$tools/xqft-device.py" --serve "$work/g.xqft" --port-file "$work/p" --log "$work/peer.log" \
    --close-after-runs 1 --once $sizes &
  peer=$!
  for _ in $(seq 500); do [ -s "$work/p" ] && break; sleep 0.01; done
  "$dump" capture 127.0.0.1 "$(cat "$work/p")" "$work/out.xqft" --record --play --seconds 30 \
    | grep -v '^Buffer after processing' | tail -n 3
  cmp "$work/out.xqft" "$work/g.xqft"
  "$dump" load "$work/out.xqft" 2>/dev/null | head -n 1 | grep '^result=0 '
  wait "$peer"; peer=
done
rm -rf "$work"

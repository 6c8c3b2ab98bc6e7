#!/usr/bin/env bash
# check_dump_capture.sh XQFT_DUMP TOOLS_DIR WORK_DIR: `xqft-dump capture` against the device peer.
# The captured file must be the streamed trace byte for byte and load with result 0, with random
# message and write sizes, with one-byte messages, and with one-byte TCP writes. A capture that
# never connects, one whose peer closes inside a message and one whose link is reset say so in
# their exit status; a reset keeps what arrived, and a stop inside a message says what it dropped.
set -euo pipefail
dump="$1"; tools="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work"
python3 "$tools/xqftgen.py" sample "$work/g.xqft" >/dev/null
peer=
trap '[ -n "$peer" ] && kill "$peer" 2>/dev/null; true' EXIT
start_peer() {
  rm -f "$work/p" "$work/out.xqft"
  python3 "$tools/xqft-device.py" --serve "$work/g.xqft" --port-file "$work/p" --log "$work/peer.log" --once "$@" &
  peer=$!
  for _ in $(seq 500); do [ -s "$work/p" ] && break; sleep 0.01; done
}
for sizes in "" "--message-size 1" "--write-size 1"; do
  echo "== peer options: ${sizes:-random sizes}"
  # shellcheck disable=SC2086
  start_peer --close-after-runs 1 $sizes
  began=$SECONDS
  "$dump" capture 127.0.0.1 "$(cat "$work/p")" "$work/out.xqft" --record --play --seconds 30 >"$work/log"
  grep -v '^Buffer after processing' "$work/log" | tail -n 3
  # The leftover diagnostic is rate-limited: a few lines a second, not one per message (300,000
  # one-byte messages here).
  lines=$(grep -c '^Buffer after processing' "$work/log" || true)
  [ "$lines" -le $(( (SECONDS - began + 1) * 5 )) ] || { echo "$lines leftover lines"; exit 1; }
  cmp "$work/out.xqft" "$work/g.xqft"
  "$dump" load "$work/out.xqft" 2>/dev/null | head -n 1 | grep '^result=0 '
  wait "$peer"; peer=
done

echo "== nobody listens: exit 2, no file"
start_peer --fault silent
port=$(cat "$work/p"); kill "$peer"; wait "$peer" || true; peer=
status=0
"$dump" capture 127.0.0.1 "$port" "$work/out.xqft" --record --seconds 1 >"$work/log" 2>&1 || status=$?
cat "$work/log"
[ "$status" = 2 ] || { echo "exit $status"; exit 1; }
grep -q '^ERROR: no connection' "$work/log"
[ ! -e "$work/out.xqft" ]

echo "== the peer closes inside a message: the message is dropped and said so, exit 3"
start_peer --fault close-mid-message --fault-after 3 --message-size 1000 --keepalive-ms 0
status=0
"$dump" capture 127.0.0.1 "$(cat "$work/p")" "$work/out.xqft" --record --seconds 30 >"$work/log" || status=$?
grep -v '^Buffer after processing' "$work/log" | tail -n 2
[ "$status" = 3 ] || { echo "exit $status"; exit 1; }
grep -q '^Link closed inside a message: 503 bytes dropped' "$work/log"
cmp "$work/out.xqft" <(head -c 3000 "$work/g.xqft")
wait "$peer"; peer=

# fault, data messages of 1000 bytes before it, messages kept whole, the dropped line expected.
# reset-unasked streams on accept and resets before the capture's first connect poll: the capture
# was connected all the same.
for row in "reset-unasked 20 20 -" "reset 3 3 -" "reset-mid-message 3 3 503"; do
  read -r fault after kept dropped <<<"$row"
  echo "== the peer resets the link ($fault after $after messages): what arrived is kept, exit 3"
  start_peer --fault "$fault" --fault-after "$after" --message-size 1000 --keepalive-ms 0
  status=0
  "$dump" capture 127.0.0.1 "$(cat "$work/p")" "$work/out.xqft" --record --seconds 30 >"$work/log" 2>"$work/err" \
    || status=$?
  grep -v '^Buffer after processing' "$work/log" | tail -n 3; cat "$work/err"
  [ "$status" = 3 ] || { echo "exit $status"; exit 1; }
  grep -q '^Link broken (Connection reset by peer)' "$work/log"
  grep -q "^ERROR: the connection to 127.0.0.1 port .* broke: the $((kept * 1000)) bytes captured are kept" "$work/err"
  if [ "$dropped" = - ]; then
    if grep -q 'inside a message' "$work/log"; then echo "a whole message taken for a cut one"; exit 1; fi
  else
    grep -q "^Link closed inside a message: $dropped bytes dropped" "$work/log"
  fi
  cmp "$work/out.xqft" <(head -c $((kept * 1000)) "$work/g.xqft")
  wait "$peer"; peer=
done

echo "== the time runs out inside a message: the message is dropped and said so, exit 0"
start_peer --fault stall-mid-message --fault-after 3 --message-size 1000 --keepalive-ms 0
status=0
"$dump" capture 127.0.0.1 "$(cat "$work/p")" "$work/out.xqft" --record --seconds 2 >"$work/log" || status=$?
grep -v '^Buffer after processing' "$work/log" | tail -n 2
[ "$status" = 0 ] || { echo "exit $status"; exit 1; }
grep -q '^Capture stopped inside a message: 503 bytes dropped' "$work/log"
cmp "$work/out.xqft" <(head -c 3000 "$work/g.xqft")
wait "$peer"; peer=   # it ends with the connection the capture closed
rm -rf "$work"

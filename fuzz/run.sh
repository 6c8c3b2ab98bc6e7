#!/usr/bin/env bash
# run.sh BUILD_DIR SECONDS JOBS: builds the fuzz targets with clang and runs, side by side, the
# loader fuzzer for SECONDS over a seed corpus written by tools/xqftgen.py, the live capture's
# message parser for SECONDS over a few device streams, and the effect-file and compiler-output
# fuzzers for SHADER_FUZZ_SECONDS (default 30) each over the shader editor's test documents. Each
# fuzzer is one process, so together they take the time of one. Skips (status 0) without clang or
# libFuzzer; fails on a finding. SECONDS 0 builds the targets and runs nothing.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build-fuzz}"
SECONDS_TO_RUN="${2:-60}"
JOBS="${3:-4}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found, skipped"; exit 0
fi
probe="$(mktemp -d)"
trap 'rm -rf "$probe"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' > "$probe/p.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1; then
  echo "fuzz: libFuzzer not available to clang++, skipped"; exit 0
fi

GENERATOR=()
command -v ninja >/dev/null 2>&1 && GENERATOR=(-G Ninja)
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$ROOT/fuzz" -B "$BUILD" "${GENERATOR[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets=(fuzz_load fuzz_capture_parser fuzz_effect)
cmake --build "$BUILD" -j "$JOBS" --target "${targets[@]}"
# Only a tree configured without QtCore lacks this fuzzer; where Qt was found, a failed build fails the run.
if grep -q '^Qt6_DIR:PATH=.*-NOTFOUND' "$BUILD/CMakeCache.txt" || ! grep -q '^Qt6_DIR:' "$BUILD/CMakeCache.txt"; then
  echo "fuzz: no QtCore, compiler-output fuzzer skipped"
else
  cmake --build "$BUILD" -j "$JOBS" --target fuzz_compile_output
fi
[ "$SECONDS_TO_RUN" = 0 ] && exit 0

seeds="$BUILD/seeds"
rm -rf "$seeds"; mkdir -p "$seeds" "$BUILD/corpus"
gen() { python3 "$ROOT/tools/xqftgen.py" "$1" "$seeds/$2" "${@:3}"; }
gen egl-frames swaps-v11.xqft --frames 3 --image 2x2 --frame-image 1
gen egl-frames swaps-v9.xqft --frames 2 --version 9
gen egl-frames swaps-v7.xqft --frames 2 --version 7 --table-selector 0
gen egl-frames header-only.xqft --header-only
gen egl-frames cut.xqft --frames 2 --cut 3
gen sample sample.xqft
gen egl-session session-data.xqft --frames 2 --image 2x2 --frame-image 1
gen egl-session session-nodata.xqft --frames 1 --data-included 0 --fail-create
gen egl-every every-v11.xqft
gen egl-every every-v8-nodata.xqft --version 8 --data-included 0
gen es1-all es1-all.xqft
gen es1-all es1-all-nodata-ptr8.xqft --no-data --pointer-size 8
gen es1-mixed es1-mixed.xqft --calls 60 --frames 3 --vertex-bytes 48 --texture-bytes 16
gen ext-all ext-all-es1.xqft --selector 1
gen ext-all ext-all-nodata-v7.xqft --no-data --version 7
gen ext-mixed ext-mixed.xqft --calls 60 --frames 3 --vertex-bytes 16

# Parser inputs: one byte of cut count, the cut sizes, then the stream (see FuzzCaptureParser.cpp).
capture_seeds="$BUILD/capture-seeds"
rm -rf "$capture_seeds"; mkdir -p "$capture_seeds" "$BUILD/capture-corpus"
python3 - "$capture_seeds" <<'PY'
import sys
m = lambda kind, rest=b"\0\0": b"\x08D" + kind + rest
data = lambda p, end=b"%": b"\x08D1" + bytes([len(p) & 255, len(p) >> 8]) + p + end
streams = {
    "session": m(b"2") + m(b"!", b"B\0\0") + data(b"XQFT" * 20) + m(b" ") + m(b"!", b"C\0\0") + m(b"!", b"A\0\0"),
    "split": data(bytes(range(200))) + data(b"") + m(b"!", b"Z\0\0"),
    "broken": data(b"abc", b"#") + m(b"x"),
}
for name, stream in streams.items():
    open("%s/%s" % (sys.argv[1], name), "wb").write(bytes([3, 5, 1, 60]) + stream)
PY
# The shader editor's readers, seeded with its test documents.
SHADER_SECONDS="${SHADER_FUZZ_SECONDS:-30}"
data="$ROOT/tests/shadereditor/data"
# Every fuzzer in the background with a log of its own; the logs' tails are printed in order once
# all have ended, and any fuzzer that failed (a finding) fails the run.
names=(); pids=()
start_fuzzer() {   # NAME SECONDS MAX_LEN ARTIFACT_PREFIX CORPUS SEED_DIR
  local name="$1" seconds="$2" maxLen="$3" prefix="$4"; shift 4
  echo "fuzz: running $name for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1 "$BUILD/$name" -max_total_time="$seconds" -max_len="$maxLen" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$prefix" "$@" > "$BUILD/$name.log" 2>&1 &
  names+=("$name"); pids+=($!)
}
start_fuzzer fuzz_load "$SECONDS_TO_RUN" 4096 "$BUILD/" "$BUILD/corpus" "$seeds"
start_fuzzer fuzz_capture_parser "$SECONDS_TO_RUN" 4096 "$BUILD/capture-" "$BUILD/capture-corpus" "$capture_seeds"

# The shader editor's readers, seeded with its test documents.
SHADER_SECONDS="${SHADER_FUZZ_SECONDS:-30}"
data="$ROOT/tests/shadereditor/data"
start_shader_fuzzer() {   # NAME SEED_FILES...
  local name="$1"; shift
  [ -x "$BUILD/$name" ] || { echo "fuzz: $name not built, skipped"; return 0; }
  local seedDir="$BUILD/seeds-$name"
  rm -rf "$seedDir"; mkdir -p "$seedDir" "$BUILD/corpus-$name"
  cp "$@" "$seedDir/"
  start_fuzzer "$name" "$SHADER_SECONDS" 8192 "$BUILD/$name-" "$BUILD/corpus-$name" "$seedDir"
}
start_shader_fuzzer fuzz_effect "$data"/*.vtl
start_shader_fuzzer fuzz_compile_output "$data"/compile/*.txt

failed=0
for i in "${!pids[@]}"; do
  status=0
  wait "${pids[$i]}" || status=$?
  echo "fuzz: ${names[$i]} ended with status $status"
  tail -n 15 "$BUILD/${names[$i]}.log"
  [ "$status" -eq 0 ] || failed=1
done
exit "$failed"

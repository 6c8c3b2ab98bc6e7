#!/usr/bin/env bash
# run.sh BUILD_DIR SECONDS JOBS: builds the fuzz targets with clang and runs the loader fuzzer
# for SECONDS over a seed corpus written by tools/xqftgen.py. Skips (status 0) without clang
# or libFuzzer; fails on a finding.
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
cmake --build "$BUILD" -j "$JOBS" --target fuzz_load

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

echo "fuzz: running fuzz_load for ${SECONDS_TO_RUN}s"
ASAN_OPTIONS=detect_leaks=1 "$BUILD/fuzz_load" -max_total_time="$SECONDS_TO_RUN" -max_len=4096 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD/" \
  "$BUILD/corpus" "$seeds" 2>&1 | tail -n 15
exit "${PIPESTATUS[0]}"

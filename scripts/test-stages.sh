#!/usr/bin/env bash
# test-stages.sh JOBS: the stages of `make test` once the normal tree is built: its tests
# (test-release), the fuzzers (fuzz), the hostile-input tests under ASan/UBSan (test-asan) and the
# threaded tests under ThreadSanitizer (test-tsan). Fails when any stage fails.
#
# Below 4 JOBS the stages run one after another, each printing as it goes, and the first failure
# ends the run. From 4 JOBS they overlap where cores would stand idle: the sanitizer and fuzz trees
# build at the lowest priority while the normal tree's tests run (which leave cores idle towards
# their end), and then the fuzzers, the ASan/UBSan tests and the ThreadSanitizer tests run side by
# side, each with a log of its own that is printed whole, with the stage's status, once it ends.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
JOBS="${1:-$(nproc)}"
stage() { make --no-print-directory -C "$ROOT" "$@"; }

if [ "$JOBS" -lt 4 ]; then
  stage test-release && stage fuzz && stage test-asan && stage test-tsan
  exit
fi

logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
declare -A pid
for tree in fuzz-tree asan-tree tsan-tree; do
  nice -n 19 make --no-print-directory -C "$ROOT" "$tree" > "$logs/$tree.log" 2>&1 &
  pid[$tree]=$!
done

failed=()
stage test-release || failed+=(test-release)

# A stage starts once its tree is built (normally long before); were the early build to fail, the
# stage's own build step fails again and its log shows why.
for run in fuzz:fuzz-tree test-asan:asan-tree test-tsan:tsan-tree; do
  name="${run%%:*}" tree="${run##*:}"
  wait "${pid[$tree]}" || echo "== $tree failed beside the tests; $name builds it again"
  stage "$name" > "$logs/$name.log" 2>&1 &
  pid[$name]=$!
done
for name in fuzz test-asan test-tsan; do
  status=0
  wait "${pid[$name]}" || status=$?
  echo "== $name (ended with status $status)"
  cat "$logs/$name.log"
  [ "$status" -eq 0 ] || failed+=("$name")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "== failed: ${failed[*]}"
  exit 1
fi

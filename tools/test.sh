#!/usr/bin/env bash
# Runs every test: the Windows cross build (its tests run under wine), the
# native build with warnings as errors (unit, end-to-end natively and under
# wine), and the native build again under ASan+UBSan and under TSan.
set -uo pipefail
cd "$(dirname "$0")/.."
export IRPROBE_WINEPREFIX="${IRPROBE_WINEPREFIX:-$PWD/build/wineprefix}"
jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
status=0

build() {  # preset
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

run_ctest() {  # preset
  local log
  log=$(mktemp)
  ctest --preset "$1" -j 2 --timeout 900 2>&1 | tee "$log"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    local total fails
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    fails=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - fails))
    failed=$((failed + fails))
    [ "$fails" -eq 0 ] || status=1
  else
    failed=$((failed + 1))
    status=1
  fi
  rm -f "$log"
}

build windows || status=1
for preset in ci asan tsan; do
  if build "$preset"; then
    run_ctest "$preset"
  else
    echo "build of preset $preset failed"
    failed=$((failed + 1))
    status=1
  fi
done
echo "irprobe: $passed passed, $failed failed"
exit $status

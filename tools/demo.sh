#!/usr/bin/env bash
# Sets everything up and runs irprobe's main job against the simulated
# camera: the default run (24 pairs, 6000 ms warm-up, boundaries 30/44/37)
# into ./capture, with the report in ./capture/report.txt.
# With --windows, runs irprobe.exe under wine instead of the native build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
mkdir -p capture
if [ "${1:-}" = "--windows" ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target irprobe irsim_default_thermal irsim_default_core
  (cd capture && IRPROBE_WINE_LIBDIR="$PWD/../build/windows/simlib/default" \
     ../tools/wine-run.sh ../build/windows/irprobe.exe . | tr -d '\r' > report.txt) || true
else
  cmake --preset native >/dev/null
  cmake --build --preset native --target irprobe irsim_default_thermal irsim_default_core
  (cd capture && LD_LIBRARY_PATH="$PWD/../build/native/simlib/default" ../build/native/irprobe . > report.txt) || true
fi
tail -n 5 capture/report.txt
echo "capture: $(ls capture | wc -l) files in ./capture, report in ./capture/report.txt"
# The capture as one HTML page (irprobe-report is built natively either way).
cmake --preset native >/dev/null
cmake --build --preset native --target irprobe-report
build/native/report/irprobe-report capture capture/report.txt -o capture/report.html
echo "page: open file://$PWD/capture/report.html in a browser"

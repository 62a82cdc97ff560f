#!/usr/bin/env python3
"""Time per pair of a whole run, beyond the pauses and the frame wait.

Runs irprobe natively against the simulated SDK with its call log on and
measures, for every pair, the time from the pair's MAG_GetOutputBMPdataRGB24
call (right after the frame wait and the 2 ms pause) to its last
ReadTemperatureAtPoint call (the end of the pair's dump). That span also holds
the SDK's own time inside the entry points the pair calls.

Usage: tools/pair-time.py [build-dir] [pairs]
"""
import os
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build/native"
pairs = sys.argv[2] if len(sys.argv) > 2 else "24"
with tempfile.TemporaryDirectory() as work:
    os.mkdir(os.path.join(work, "out"))
    log = os.path.join(work, "calls.log")
    env = dict(os.environ, IRSIM_LOG=log, IRSIM_SCENARIO="default",
               LD_LIBRARY_PATH=os.path.abspath(os.path.join(build, "simlib", "default")))
    subprocess.run([os.path.abspath(os.path.join(build, "irprobe")), "out", pairs, "0"],
                   cwd=work, env=env, stdout=subprocess.DEVNULL, check=True)
    starts, ends, last = [], [], None
    with open(log) as f:
        for line in f:
            t, call = line.split(" ", 1)
            if call.startswith("MAG_GetOutputBMPdataRGB24("):
                if starts:
                    ends.append(last)
                starts.append(int(t))
            elif call.startswith("ReadTemperatureAtPoint("):
                last = int(t)
    ends.append(last)
spans = sorted(e - s for s, e in zip(starts, ends))
print(f"pairs {len(spans)}: median {spans[len(spans) // 2]} ms, mean {sum(spans) / len(spans):.1f} ms, "
      f"max {spans[-1]} ms per pair")

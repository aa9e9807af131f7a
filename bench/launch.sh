#!/usr/bin/env bash
# Times a headless launch of the app up to its first rendered frame and its exit: the program
# starts on a fresh device root, draws one frame into a PNG and quits. Reports the median and the
# fastest wall time of N runs and the largest peak resident set of any run, for the default phone
# and for the iPad at scale 2.
#
# Usage: bench/launch.sh [PATH_TO_ZENTROVA] [RUNS]
set -euo pipefail

app=${1:-build/bin/Zentrova}
runs=${2:-20}
if [[ ! -x $app ]]; then
    echo "launch.sh: no program at $app (build it first: make build)" >&2
    exit 2
fi

# Python's os.wait4 gives each run's own peak RSS, which a shell cannot, and a monotonic clock
# fine enough for launches of a few tens of milliseconds.
exec python3 - "$app" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, tempfile, time

app, runs = sys.argv[1], int(sys.argv[2])
cases = [
    ("iphone-5s", ["--device", "iphone-5s"]),
    ("ipad --scale 2", ["--device", "ipad", "--scale", "2"]),
]
print("headless launch to the first frame and exit, %d runs each, %d cores" % (runs, os.cpu_count()))
for name, arguments in cases:
    times, peaks = [], []
    for _ in range(runs):
        root = tempfile.mkdtemp(prefix="zentrova-launch-")
        shot = os.path.join(root, "frame.png")
        command = [app, "--headless", "--dry-run", "--root", root, "--screenshot", shot] + arguments
        start = time.perf_counter()
        child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0 or not os.path.exists(shot):
            sys.exit("launch.sh: %s exited with %d and no frame" % (" ".join(command), child.returncode))
        times.append(elapsed * 1000)
        peaks.append(usage.ru_maxrss / 1024)  # Linux reports kilobytes
        shutil.rmtree(root, ignore_errors=True)
    print("%-16s median %6.1f ms   min %6.1f ms   peak RSS %5.1f MiB"
          % (name, statistics.median(times), min(times), max(peaks)))
PY

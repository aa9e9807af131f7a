#!/usr/bin/env python3
"""Times opening the changelog screen on long and hostile files, as whole headless processes.

For each file the app runs headless on a device root of its own, alternately (a) to the root
screen's first frame, written as a screenshot twice, and (b) to the same frame, then a tap on
"Changelog" and the changelog's first frame, written as a screenshot. The difference of the
medians is what opening the screen with that file and drawing its first frame adds over drawing
the root screen; the last column takes away what the same costs with the shipped changelog, which
leaves what the file's size adds. The peak resident memory is (b)'s largest, read by GNU time (a
child of this script would count the script's own memory as its own).

Usage: bench/changelog_open.py [APP] [RUNS]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MIB = 1 << 20
PARAGRAPH = ("- Fixed a crash when the device was rotated while an alert was shown, and a layout glitch on "
             "the settings screen where the labels overlapped the switches on smaller screens.\n"
             "- The changelog scrolls smoothly and keeps its place; text can be selected and copied.\n\n")
HEADINGS = ["Version 3.0:", "Version 2.1:", "Version 2.0:", "Version 1.3:", "Version 1.2:", "Version 1.1:",
            "Version 1.0:"]


def changelog(size):
    """Paragraphs under headings, the seven emphasised ones spread over the whole file."""
    versions = size // (len(PARAGRAPH) * 2 + len("Version 0.0:\n")) + 1
    emphasised = {i * versions // len(HEADINGS): heading for i, heading in enumerate(HEADINGS)}
    parts, length, version = [], 0, 0
    while length < size:
        part = emphasised.get(version, "Version 0.%d:" % version) + "\n" + PARAGRAPH + PARAGRAPH
        parts.append(part)
        length += len(part)
        version += 1
    return "".join(parts)[:size].encode()


def cases(shipped):
    yield "shipped changelog", open(shipped, "rb").read() if os.path.exists(shipped) else b""
    yield "1 MiB changelog", changelog(MIB)
    yield "16 MiB changelog", changelog(16 * MIB - 64)
    yield "one letter + 64K marks", b"a" + "\u0301".encode() * 65536
    yield "one 16 MiB line", b"word " * (16 * MIB // 5 - 16)


def run(command, memory_file):
    start = time.perf_counter()
    status = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", memory_file] + command, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    elapsed = (time.perf_counter() - start) * 1000
    if status != 0:
        sys.exit("changelog_open.py: %s failed (%d)" % (" ".join(command), status))
    with open(memory_file) as file:
        return elapsed, int(file.read().split()[-1]) / 1024


def main():
    app = sys.argv[1] if len(sys.argv) > 1 else "build/bin/Zentrova"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    if not os.access(app, os.X_OK):
        sys.exit("changelog_open.py: no program at %s (build it first: make build)" % app)
    if not os.access("/usr/bin/time", os.X_OK):
        sys.exit("changelog_open.py: GNU time is not installed (apt-get install time)")
    shipped = os.path.join(os.path.dirname(os.path.realpath(app)), "CHANGELOG.txt")
    work = tempfile.mkdtemp(prefix="zentrova-open-")
    try:
        root_script = os.path.join(work, "root.txt")
        open_script = os.path.join(work, "open.txt")
        shot = os.path.join(work, "shot.png")
        with open(root_script, "w") as script:
            script.write("screenshot %s\nscreenshot %s\n" % (shot, shot))
        with open(open_script, "w") as script:
            script.write("screenshot %s\ntap \"Changelog\"\nscreenshot %s\n" % (shot, shot))
        print("headless --device ipad, %d runs each, %d cores; medians" % (runs, os.cpu_count()))
        print("%-24s %10s %12s %10s %16s %10s" % ("file", "root", "root + open", "extra", "over shipped", "peak RSS"))
        memory = os.path.join(work, "memory")
        shipped_extra = None
        for name, data in cases(shipped):
            root = os.path.join(work, "root")
            bundle = os.path.join(root, "Applications/Zentrova.app")
            os.makedirs(bundle, exist_ok=True)
            with open(os.path.join(bundle, "CHANGELOG.txt"), "wb") as file:
                file.write(data)
            common = [app, "--headless", "--dry-run", "--root", root, "--device", "ipad", "--script"]
            # One of each first, untimed, for the page cache.
            run(common + [root_script], memory)
            run(common + [open_script], memory)
            alone, opened, peak = [], [], 0
            for _ in range(runs):
                alone.append(run(common + [root_script], memory)[0])
                elapsed, rss = run(common + [open_script], memory)
                opened.append(elapsed)
                peak = max(peak, rss)
            extra = statistics.median(opened) - statistics.median(alone)
            if shipped_extra is None:
                shipped_extra = extra
            print("%-24s %7.1f ms %9.1f ms %7.1f ms %13.1f ms %6.1f MiB" % (
                name, statistics.median(alone), statistics.median(opened), extra, extra - shipped_extra, peak))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

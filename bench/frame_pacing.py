#!/usr/bin/env python3
"""Times the frames of the screen slides in the window, as the X server sees them arrive.

Under a private Xvfb the app runs in its window; the script watches the window with the X DAMAGE
extension (libX11 and libXdamage through ctypes), so that every frame the app presents is an event
with the time it arrived, and clicks with xdotool: "Settings", "Back", "Changelog", "Back", each
slide left to finish before the next click. The intervals between the frames of each slide are
pooled per device: median, 95th percentile, how many are over 16.7 ms (a missed frame at 60 Hz)
and over 33 ms (two missed). Apart from them, the time from the click to the first frame: what the
click costs before anything moves (building the screen, reading the changelog), but also the start
of xdotool itself, which sends the click.

Usage: bench/frame_pacing.py [APP] [CHANGELOG] [SLIDES]
  CHANGELOG: the file the changelog screen shows (default: the one in the app's bundle)
  SLIDES: how many times each of the four slides runs (default 5)
"""

import ctypes
import ctypes.util
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from window_startup import start_display

# Device, scale, and the points to click (the left and right bar buttons of the root screen, and
# the Back button under a presented screen's taller bar).
DEVICES = [("ipad", 1, 768), ("iphone-5s", 2, 320)]
BAR_Y, BACK_Y = 42, 62
DAMAGE_REPORT_NON_EMPTY = 3
# Damage that arrives this close to the last is part of the same frame.
SAME_FRAME = 0.002
# A slide is over when no frame has come for this long.
QUIET = 0.4


class DamageWatcher:
    """Hears of every change to one window's pixels, one event per presented frame."""

    def __init__(self, display, window):
        self.xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.damage_lib = ctypes.CDLL(ctypes.util.find_library("Xdamage") or "libXdamage.so.1")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xlib.XPending.argtypes = [ctypes.c_void_p]
        self.xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.xlib.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.xlib.XFlush.argtypes = [ctypes.c_void_p]
        self.xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.damage_lib.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                          ctypes.POINTER(ctypes.c_int)]
        self.damage_lib.XDamageCreate.restype = ctypes.c_ulong
        self.damage_lib.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        self.damage_lib.XDamageSubtract.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
        self.display = self.xlib.XOpenDisplay(display.encode())
        if not self.display:
            sys.exit("frame_pacing.py: cannot open display " + display)
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        if not self.damage_lib.XDamageQueryExtension(self.display, ctypes.byref(event_base), ctypes.byref(error_base)):
            sys.exit("frame_pacing.py: the X server has no DAMAGE extension")
        self.notify = event_base.value  # XDamageNotify is the extension's first event
        self.damage = self.damage_lib.XDamageCreate(self.display, window, DAMAGE_REPORT_NON_EMPTY)
        self.xlib.XFlush(self.display)
        self.fd = self.xlib.XConnectionNumber(self.display)
        self.event = ctypes.create_string_buffer(192)  # sizeof(XEvent) on 64-bit Linux

    def frames_until_quiet(self, quiet, limit=10):
        """The arrival times of the frames from now until none has come for `quiet` seconds."""
        frames = []
        start = time.perf_counter()
        while time.perf_counter() - start < limit:
            last = frames[-1] if frames else start
            remaining = last + quiet - time.perf_counter()
            if remaining <= 0:
                break
            select.select([self.fd], [], [], remaining)
            while self.xlib.XPending(self.display):
                self.xlib.XNextEvent(self.display, self.event)
                if ctypes.c_int.from_buffer(self.event).value != self.notify:
                    continue
                now = time.perf_counter()
                # Non-empty damage reports once until it is taken away: then the next frame reports.
                self.damage_lib.XDamageSubtract(self.display, self.damage, 0, 0)
                self.xlib.XFlush(self.display)
                if not frames or now - frames[-1] > SAME_FRAME:
                    frames.append(now)
        return frames

    def close(self):
        self.xlib.XCloseDisplay(self.display)


def find_window(display, pid):
    environment = dict(os.environ, DISPLAY=display)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], env=environment,
                               capture_output=True, text=True).stdout.split()
        if found:
            return int(found[0])
        time.sleep(0.1)
    sys.exit("frame_pacing.py: the app's window did not appear")


def click(display, window, x, y):
    subprocess.run(["xdotool", "mousemove", "--window", str(window), str(x), str(y), "click", "1"],
                   env=dict(os.environ, DISPLAY=display), check=True)


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(fraction * (len(ordered) - 1))))]


def measure(app, display, root, device, scale, width, slides):
    environment = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11")
    environment.pop("WAYLAND_DISPLAY", None)
    child = subprocess.Popen([app, "--dry-run", "--root", root, "--device", device, "--scale", str(scale)],
                             env=environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        window = find_window(display, child.pid)
        watcher = DamageWatcher(display, window)
        watcher.frames_until_quiet(1.0)
        intervals = {"settings": [], "changelog": []}
        latencies = {"settings": [], "changelog": []}
        for _ in range(slides):
            for screen, x in (("settings", width - 35), ("changelog", 40)):
                for point in ((x, BAR_Y), (30, BACK_Y)):
                    clicked = time.perf_counter()
                    click(display, window, point[0] * scale, point[1] * scale)
                    frames = watcher.frames_until_quiet(QUIET)
                    if frames:
                        latencies[screen].append((frames[0] - clicked) * 1000)
                    intervals[screen] += [(b - a) * 1000 for a, b in zip(frames, frames[1:])]
        watcher.close()
        return intervals, latencies
    finally:
        child.terminate()
        child.wait()


def main():
    app = sys.argv[1] if len(sys.argv) > 1 else "build/bin/Zentrova"
    changelog = sys.argv[2] if len(sys.argv) > 2 and sys.argv[2] else os.path.join(os.path.dirname(os.path.realpath(app)), "CHANGELOG.txt")
    slides = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    if not os.access(app, os.X_OK):
        sys.exit("frame_pacing.py: no program at %s (build it first: make build)" % app)
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            sys.exit("frame_pacing.py: %s is not installed (make deps installs it)" % tool)
    server, display = start_display()
    root = tempfile.mkdtemp(prefix="zentrova-frames-")
    try:
        bundle = os.path.join(root, "Applications/Zentrova.app")
        os.makedirs(bundle)
        if os.path.exists(changelog):
            shutil.copy(changelog, os.path.join(bundle, "CHANGELOG.txt"))
        print("frame intervals of the slides, click to last frame, %d of each, changelog %d bytes, %d cores"
              % (slides, os.path.getsize(changelog) if os.path.exists(changelog) else 0, os.cpu_count()))
        print("%-22s %-10s %9s %8s %8s %9s %9s %14s" % (
            "device", "slide", "intervals", "median", "p95", "> 16.7ms", "> 33ms", "click to frame"))
        for device, scale, width in DEVICES:
            intervals, latencies = measure(app, display, root, device, scale, width, slides)
            for screen, values in intervals.items():
                print("%-22s %-10s %9d %6.1f ms %6.1f ms %9d %9d %11.1f ms" % (
                    "%s at scale %d" % (device, scale), screen, len(values), statistics.median(values),
                    percentile(values, 0.95), sum(v > 1000 / 60 for v in values), sum(v > 1000 / 30 for v in values),
                    statistics.median(latencies[screen])))
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

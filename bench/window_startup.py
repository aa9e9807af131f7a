#!/usr/bin/env python3
"""Times the app from exec to its window being mapped, against a bare SDL2 program that maps a
window of the same size, both under one private X server (Xvfb) in the same run.

The X server says when a window is mapped: the script selects SubstructureNotify on the root
window (through libX11 with ctypes) and takes the first MapNotify after each exec. Runs alternate
between the two programs so that whatever else the machine does weighs on both alike. Prints the
median and the fastest of N runs of each and the ratio of the medians.

Usage: bench/window_startup.py [APP] [BARE_WINDOW] [RUNS]
"""

import ctypes
import ctypes.util
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
# The app's window for the default device at --scale 2: 320 x 568 points, two pixels a point.
SCALE = 2
WIDTH, HEIGHT = 320 * SCALE, 568 * SCALE


def start_display():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "2560x1440x24", "-nolisten", "tcp"],
                              pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        server.kill()
        sys.exit("window_startup.py: Xvfb did not start")
    return server, ":" + number.decode().strip()


class MapWatcher:
    """A connection to the X server that hears of every top-level window being mapped."""

    def __init__(self, display):
        self.xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.xlib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.xlib.XPending.argtypes = [ctypes.c_void_p]
        self.xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.xlib.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.xlib.XOpenDisplay(display.encode())
        if not self.display:
            sys.exit("window_startup.py: cannot open display " + display)
        root = self.xlib.XDefaultRootWindow(self.display)
        self.xlib.XSelectInput(self.display, root, SUBSTRUCTURE_NOTIFY_MASK)
        self.xlib.XSync(self.display, 0)
        self.fd = self.xlib.XConnectionNumber(self.display)
        self.event = ctypes.create_string_buffer(192)  # sizeof(XEvent) on 64-bit Linux

    def drain(self):
        while self.xlib.XPending(self.display):
            self.xlib.XNextEvent(self.display, self.event)

    def wait_for_map(self, timeout):
        """The time.perf_counter() at which the next MapNotify arrived, or None."""
        deadline = time.perf_counter() + timeout
        while True:
            while self.xlib.XPending(self.display):
                self.xlib.XNextEvent(self.display, self.event)
                if ctypes.c_int.from_buffer(self.event).value == MAP_NOTIFY:
                    return time.perf_counter()
            remaining = deadline - time.perf_counter()
            if remaining <= 0:
                return None
            select.select([self.fd], [], [], remaining)

    def close(self):
        self.xlib.XCloseDisplay(self.display)


def time_to_map(watcher, command, environment):
    watcher.drain()
    start = time.perf_counter()
    child = subprocess.Popen(command, env=environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    mapped = watcher.wait_for_map(15)
    child.send_signal(signal.SIGTERM)
    try:
        child.wait(timeout=10)
    except subprocess.TimeoutExpired:
        child.kill()
        child.wait()
    if mapped is None:
        sys.exit("window_startup.py: no window mapped by " + " ".join(command))
    # Wait for the window to go, so that the next run's MapNotify is its own.
    watcher.drain()
    return (mapped - start) * 1000


def main():
    app = sys.argv[1] if len(sys.argv) > 1 else "build/bin/Zentrova"
    bare = sys.argv[2] if len(sys.argv) > 2 else "build/bin/zentrova-bare-window"
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    for program in (app, bare):
        if not os.access(program, os.X_OK):
            sys.exit("window_startup.py: no program at %s (build it first: make build)" % program)
    if not shutil.which("Xvfb"):
        sys.exit("window_startup.py: Xvfb is not installed (make deps installs it)")
    server, display = start_display()
    root = tempfile.mkdtemp(prefix="zentrova-startup-")
    try:
        bundle = os.path.join(root, "Applications/Zentrova.app")
        os.makedirs(bundle)
        changelog = os.path.join(os.path.dirname(os.path.realpath(app)), "CHANGELOG.txt")
        if os.path.exists(changelog):
            shutil.copy(changelog, bundle)
        environment = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11")
        environment.pop("WAYLAND_DISPLAY", None)
        watcher = MapWatcher(display)
        app_command = [app, "--dry-run", "--root", root, "--scale", str(SCALE)]
        bare_command = [bare, str(WIDTH), str(HEIGHT)]
        # One of each first, untimed: the page cache then holds both programs and their libraries.
        time_to_map(watcher, app_command, environment)
        time_to_map(watcher, bare_command, environment)
        app_times, bare_times = [], []
        for _ in range(runs):
            app_times.append(time_to_map(watcher, app_command, environment))
            bare_times.append(time_to_map(watcher, bare_command, environment))
        watcher.close()
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)
    app_median, bare_median = statistics.median(app_times), statistics.median(bare_times)
    print("exec to MapNotify of a %dx%d window, %d runs each, %d cores" % (WIDTH, HEIGHT, runs, os.cpu_count()))
    print("%-22s median %6.1f ms   min %6.1f ms" % (os.path.basename(app), app_median, min(app_times)))
    print("%-22s median %6.1f ms   min %6.1f ms" % (os.path.basename(bare), bare_median, min(bare_times)))
    print("ratio of the medians    %.2f" % (app_median / bare_median))
    return 0


if __name__ == "__main__":
    sys.exit(main())

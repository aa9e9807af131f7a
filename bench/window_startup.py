#!/usr/bin/env python3
"""Times the app from exec to the first frame that shows its root screen, against a bare SDL2
program that draws six lines of Pango text with the app's own fonts configuration, both under one
private X server (Xvfb) in the same run.

The X server says when a window is mapped: the script selects SubstructureNotify on the root
window (through libX11 with ctypes). From the map on, it reads the window's pixels (XGetImage) until
the picture is no longer one colour: that is the first frame the user sees. It also reports when the
window that stays was mapped and how many windows were mapped on the way (SDL makes a window again,
and maps it again, when the renderer needs other window flags than the window was made with).
Runs alternate between the two programs so that whatever else the machine does weighs on both
alike. Prints the median and the fastest of N runs of each and the ratio of the medians.

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
DESTROY_NOTIFY = 17
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF
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


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# A window can go between its map and the read of its pixels; Xlib's default handler would exit.
IGNORE_ERRORS = ERROR_HANDLER(lambda display, event: 0)


class WindowWatcher:
    """A connection to the X server that hears of top-level windows being mapped and reads them."""

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
        self.xlib.XGetImage.restype = ctypes.POINTER(XImage)
        self.xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                        ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.xlib.XFree.argtypes = [ctypes.c_void_p]
        self.xlib.XSetErrorHandler(IGNORE_ERRORS)
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

    def shows_a_picture(self, window, width, height):
        """Whether the window holds anything but one colour."""
        image = self.xlib.XGetImage(self.display, window, 0, 0, width, height, ALL_PLANES, Z_PIXMAP)
        if not image:
            return False
        try:
            contents = image.contents
            pixels = ctypes.string_at(contents.data, contents.bytes_per_line * contents.height)
            step = contents.bits_per_pixel // 8
            return pixels != pixels[:step] * (len(pixels) // step)
        finally:
            # What XDestroyImage (a macro) does for an image XGetImage made.
            self.xlib.XFree(contents.data)
            self.xlib.XFree(image)

    def watch(self, width, height, timeout):
        """The times of the maps (with their windows) and of the first picture, or None."""
        deadline = time.perf_counter() + timeout
        maps = []
        self.mapped = 0
        while time.perf_counter() < deadline:
            while self.xlib.XPending(self.display):
                self.xlib.XNextEvent(self.display, self.event)
                kind = ctypes.c_int.from_buffer(self.event).value
                window = ctypes.c_ulong.from_buffer(self.event, 40).value
                if kind == MAP_NOTIFY:
                    maps.append((time.perf_counter(), window))
                    self.mapped += 1
                elif kind == DESTROY_NOTIFY:
                    maps = [(at, mapped) for at, mapped in maps if mapped != window]
            if maps and self.shows_a_picture(maps[-1][1], width, height):
                return maps, time.perf_counter()
            select.select([self.fd], [], [], 0.001)
        return maps, None

    def close(self):
        self.xlib.XCloseDisplay(self.display)


def time_to_first_frame(watcher, command, environment):
    """Milliseconds from exec to the map of the window that stays and to its first picture."""
    watcher.drain()
    start = time.perf_counter()
    child = subprocess.Popen(command, env=environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    maps, shown = watcher.watch(WIDTH, HEIGHT, 15)
    child.send_signal(signal.SIGTERM)
    try:
        child.wait(timeout=10)
    except subprocess.TimeoutExpired:
        child.kill()
        child.wait()
    if shown is None:
        sys.exit("window_startup.py: no picture shown by " + " ".join(command))
    # Wait for the window to go, so that the next run's events are its own.
    watcher.drain()
    return (maps[-1][0] - start) * 1000, (shown - start) * 1000, watcher.mapped


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
        watcher = WindowWatcher(display)
        fonts = os.path.join(os.path.dirname(os.path.realpath(app)), "fonts.conf")
        app_command = [app, "--dry-run", "--root", root, "--scale", str(SCALE)]
        bare_command = [bare, str(WIDTH), str(HEIGHT), fonts]
        # One of each first, untimed: the page cache then holds both programs and their libraries.
        time_to_first_frame(watcher, app_command, environment)
        time_to_first_frame(watcher, bare_command, environment)
        app_times, bare_times = [], []
        for _ in range(runs):
            app_times.append(time_to_first_frame(watcher, app_command, environment))
            bare_times.append(time_to_first_frame(watcher, bare_command, environment))
        watcher.close()
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)
    print("exec to the first picture in a %dx%d window, %d runs each, %d cores" % (WIDTH, HEIGHT, runs, os.cpu_count()))
    medians = {}
    for name, times in ((os.path.basename(app), app_times), (os.path.basename(bare), bare_times)):
        frames = [frame for _, frame, _ in times]
        maps = [mapped for mapped, _, _ in times]
        medians[name] = statistics.median(frames)
        print("%-22s first frame median %6.1f ms  min %6.1f ms   map of the window that stays median %6.1f ms"
              "   windows mapped per run %d" % (name, medians[name], min(frames), statistics.median(maps),
                                                max(count for _, _, count in times)))
    app_median, bare_median = medians.values()
    print("ratio of the first-frame medians  %.2f" % (app_median / bare_median))
    return 0


if __name__ == "__main__":
    sys.exit(main())

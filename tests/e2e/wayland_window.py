#!/usr/bin/env python3
"""Drives the app's window through SDL's Wayland driver, as window_clicks.py does on X11.

The compositor is Weston with its X11 back end and the pixman renderer, on a private Xvfb: no GPU,
and a seat whose pointer and keyboard come from the X server, so that xdotool's clicks and keys
reach the app as Wayland input. (Weston's headless back end offers no seat at all, and the SDL of
Debian 12 crashes while starting on a compositor without one.) One run on iPhone 4S at one pixel a
point (the whole window fits on the output): a click on Respring runs it; Tab, Return and Space open the settings and turn the light
theme on; Esc goes back to a light root screen; Ctrl+2 halves the window; Ctrl+Q ends the run with
status 0. The app runs with --dry-run. Exits 77 (skipped) when Weston is not installed.

Usage: wayland_window.py APP WORK_DIR
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from window_clicks import (RESPRING_LINE, RESPRING_POINT, fail, parse_ppm, read_preferences, spawn,
                           start_display, stop_children, tinted_blue, wait_until, white)

SKIPPED = 77
# One pixel a point: the whole window fits on Weston's output, which fits on Xvfb's screen.
SCALE = 1
# Weston's panel runs along the top of its output.
PANEL_HEIGHT = 40


class Compositor:
    """Weston on the X server DISPLAY, and its output window there."""

    def __init__(self, display, runtime):
        self.x_environment = dict(os.environ, DISPLAY=display)
        self.socket = "zentrova-wayland"
        spawn(["weston", "--backend=x11-backend.so", "--use-pixman", "--socket=" + self.socket, "--width=900",
               "--height=1000", "--idle-time=0"],
              # No weston.ini of the user's: the desktop shell's own defaults, its patterned background.
              env=dict(self.x_environment, XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=runtime, XDG_CONFIG_DIRS=runtime), stdout=subprocess.DEVNULL,
              stderr=subprocess.DEVNULL)
        wait_until(lambda: os.path.exists(os.path.join(runtime, self.socket)), 15, "Weston's socket")
        self.window = wait_until(lambda: subprocess.run(["xdotool", "search", "--class", "Weston Compositor"],
                                                        env=self.x_environment, stdout=subprocess.PIPE,
                                                        text=True).stdout.split(), 15, "Weston's window")[0]

    def capture(self):
        ppm = subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:-"], env=self.x_environment,
                             check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10).stdout
        return parse_ppm(ppm)

    def xdotool(self, *arguments):
        # Real input through XTEST, so that Weston's keyboard state (Ctrl) follows it.
        subprocess.run(["xdotool"] + list(arguments), env=self.x_environment, check=True, timeout=10)


def app_frame(compositor):
    """The app's window in Weston's output: the box of its black screen below the panel, or None."""
    return compositor.capture().box(lambda r, g, b: r == g == b == 0, top=PANEL_HEIGHT)


def wait_still(compositor):
    last = [None]

    def still():
        now = compositor.capture().rgb
        same = now == last[0]
        last[0] = now
        return same
    wait_until(still, 10, "the compositor's output to hold still")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    executable, work = os.path.abspath(sys.argv[1]), sys.argv[2]
    if not shutil.which("weston"):
        print("skipped: weston is not installed")
        return SKIPPED
    os.makedirs(work, exist_ok=True)
    runtime = tempfile.mkdtemp(prefix="zentrova-wayland-")
    root = tempfile.mkdtemp(prefix="zentrova-e2e-")
    os.chmod(runtime, 0o700)
    log_path = os.path.join(work, "wayland.log")
    try:
        compositor = Compositor(start_display(), runtime)
        environment = dict(os.environ, WAYLAND_DISPLAY=compositor.socket, XDG_RUNTIME_DIR=runtime)
        environment.pop("DISPLAY", None)
        environment.pop("SDL_VIDEODRIVER", None)
        with open(log_path, "wb") as log:
            app = spawn([executable, "--dry-run", "--root", root, "--device", "iphone-4s", "--scale", str(SCALE)],
                        env=environment, stdout=log, stderr=subprocess.STDOUT)

            def output():
                with open(log_path, "rb") as file:
                    return file.read().decode(errors="replace")

            def full_size():
                frame = app_frame(compositor)
                return frame if frame and (frame[2] - frame[0], frame[3] - frame[1]) == (320, 480) else None
            frame = wait_until(full_size, 15, "the app's window at 320x480 in Weston (the app said: %s)" % output())

            def at(point):
                return str(frame[0] + point[0] * SCALE), str(frame[1] + point[1] * SCALE)

            # The pointer enters the window first; the press then goes to what it is over. Weston may
            # still be settling its own start-up, so the first attempt can miss: try a few times.
            # Weston follows the pointer from the moment it enters its window: start outside it (the
            # output is 900 pixels wide on a screen of 1280).
            for _ in range(5):
                compositor.xdotool("mousemove", "1200", "500")
                wait_still(compositor)
                compositor.xdotool("mousemove", "--window", compositor.window, *at(RESPRING_POINT))
                wait_still(compositor)
                compositor.xdotool("click", "1")
                deadline = time.monotonic() + 4
                while RESPRING_LINE not in output() and time.monotonic() < deadline:
                    time.sleep(0.05)
                if RESPRING_LINE in output():
                    break
            else:
                subprocess.run(["import", "-window", compositor.window, os.path.join(work, "wayland-click.png")],
                               env=compositor.x_environment, check=False, timeout=10)
            wait_until(lambda: RESPRING_LINE in output(), 10, RESPRING_LINE + " after a click")

            compositor.xdotool("key", "Tab", "Tab", "Return")
            wait_still(compositor)
            compositor.xdotool("key", "Tab", "Tab", "space")
            wait_until(lambda: read_preferences(root).get("lightSwitch") is True, 10, "lightSwitch stored YES")
            compositor.xdotool("key", "Escape")
            wait_until(lambda: white(*compositor.capture().pixel(frame[0] + 10, frame[3] - 20)), 10,
                       "a light root screen after Esc")
            shot = compositor.capture()
            if not any(tinted_blue(*shot.pixel(x, frame[1] + 42 * SCALE)) for x in range(frame[2] - 100, frame[2])):
                fail("the root screen shows no Settings button in blue")
            subprocess.run(["import", "-window", compositor.window, os.path.join(work, "wayland.png")],
                           env=compositor.x_environment, check=True, timeout=10)

            # The pointer out of the way on the panel, so that only the light screen is white.
            compositor.xdotool("mousemove", "--window", compositor.window, "450", "5")
            compositor.xdotool("key", "ctrl+2")
            # Light below the black status bar, from the window's left edge to its bottom edge.
            wait_until(lambda: (lambda f: f and (f[0], f[2] - f[0], f[3]) == (frame[0], 160, frame[1] + 240))(
                compositor.capture().box(lambda r, g, b: min(r, g, b) > 245, top=PANEL_HEIGHT)), 10,
                       "the window at half size")

            compositor.xdotool("key", "ctrl+q")
            try:
                status = app.wait(timeout=10)
            except subprocess.TimeoutExpired:
                fail("the app did not end within 10 s of Ctrl+Q")
        if status != 0:
            fail("the app ended with status %d; it said:\n%s" % (status, output()))
    finally:
        stop_children()
        shutil.rmtree(runtime, ignore_errors=True)
        shutil.rmtree(root, ignore_errors=True)
    print("ok: under Wayland a click runs Respring, the keyboard reaches the settings and back, Ctrl+2 halves"
          " the window and Ctrl+Q ends the run")
    return 0


if __name__ == "__main__":
    sys.exit(main())

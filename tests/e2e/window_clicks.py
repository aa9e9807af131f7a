#!/usr/bin/env python3
"""Drives the app in a real SDL window under a private X server with mouse clicks.

Five runs on iPhone 4S, its window forced to two pixels a point (--scale 2). Without confirmation
alerts a click on "Respring" runs its command at once. Halved with Ctrl+2 and widened, the window
shows the screen between bars, and a click there still runs Respring. With alerts, the click shows
the alert, a click on "No" runs nothing, and a click on "Yes" runs the command. The fourth walks
the whole app with the keyboard alone (its title and icon checked first): Settings, both switches
on, Back to a light root screen, a Respring confirmed with Return, the changelog (headings blue in
the main program only) scrolled to its end and back, Back; then the window is destroyed by another
program, which must end the run cleanly, and a restart on the same root keeps both preferences.
The fifth records a session with --record and replays the recording headless: the replay must
print the same calls, store the same preferences and end on the same screen, pixel for pixel, and
the recording, made with --dry-run, must refuse to replay without it. The app always runs with --dry-run, so it only prints
the calls it would make; either program can be given.

Usage: window_clicks.py APP WORK_DIR
"""

import ctypes
import json
import os
import plistlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCALE = 2  # iPhone 4S: the window has two pixels per point.
SCREEN_POINTS = (320, 480)
# The alert panel's width in points, and how far above its foot the middle of its button row lies:
# the main program's buttons fill the panel's foot, the legacy ones stand 12 points in from it.
ALERT_PANEL = {False: (270, 44 / 2), True: (284, 12 + 43 / 2)}
STATUS_BAR_HEIGHT = 20
# The Respring button's frame is (10, 185, 300, 30) in the root view, which starts below the
# 20-point status bar: its centre is at (160, 220) on screen.
RESPRING_POINT = (160, 220)
RESPRING_LINE = 'system("killall -9 SpringBoard")'
PREFERENCES = "var/mobile/Library/Preferences/com.zentrova.app.plist"

children = []


def die_with_parent():
    # A child left running after a CTest timeout would keep the display busy; the kernel sends it
    # SIGTERM when this script goes, however it goes.
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def spawn(args, **kwargs):
    process = subprocess.Popen(args, preexec_fn=die_with_parent, **kwargs)
    children.append(process)
    return process


def stop_children():
    for process in reversed(children):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    fail("timed out after %g s waiting for %s" % (timeout, what))


def start_display():
    # -displayfd lets the server pick a free display number itself and tell us which.
    read_end, write_end = os.pipe()
    server = spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
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
        fail("Xvfb did not start (exit status %s)" % server.poll())
    return ":" + number.decode().strip()


class Window:
    """The app's window: clicks in window pixels and screenshots as rows of RGB bytes."""

    def __init__(self, environment, window_id):
        self.environment = environment
        self.id = window_id

    def click(self, point):
        x, y = point[0] * SCALE, point[1] * SCALE
        subprocess.run(["xdotool", "mousemove", "--window", self.id, str(x), str(y), "click", "1"],
                       env=self.environment, check=True, timeout=10)

    def capture(self):
        ppm = subprocess.run(["import", "-window", self.id, "-depth", "8", "ppm:-"], env=self.environment, check=True,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10).stdout
        return parse_ppm(ppm)

    def save(self, path):
        subprocess.run(["import", "-window", self.id, path], env=self.environment, check=True, timeout=10)


def parse_ppm(ppm):
    # A binary PPM: "P6", width, height and the largest value, each followed by one space.
    fields, at = [], 0
    while len(fields) < 4:
        while ppm[at:at + 1].isspace():
            at += 1
        start = at
        while not ppm[at:at + 1].isspace():
            at += 1
        fields.append(ppm[start:at])
    width, height = int(fields[1]), int(fields[2])
    return Image(width, height, ppm[at + 1:])


def read_png(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=10).stdout
    return parse_ppm(ppm)


class Image:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at:at + 3])

    def box(self, predicate, top=0):
        """The smallest box (left, top, right, bottom; exclusive) of pixels that satisfy predicate."""
        found = None
        for y in range(top, self.height):
            row = self.rgb[y * self.width * 3:(y + 1) * self.width * 3]
            xs = [x for x in range(0, self.width) if predicate(row[x * 3], row[x * 3 + 1], row[x * 3 + 2])]
            if not xs:
                continue
            if found is None:
                found = [xs[0], y, xs[-1] + 1, y + 1]
            found = [min(found[0], xs[0]), found[1], max(found[2], xs[-1] + 1), y + 1]
        return found


def tinted_blue(r, g, b):
    return b > 150 and b > r + 80


def light_grey(r, g, b):
    return min(r, g, b) > 200


def alert_panel(window, legacy):
    """The alert's panel in window pixels once it has finished appearing, or None.

    The panel is the one light area below the status bar (the main program's light panel, or the
    white border line of the legacy one): the screen behind it is dark and dimmed, and the status
    bar, drawn over the dimming, is left out.
    """
    image = window.capture()
    box = image.box(light_grey, top=STATUS_BAR_HEIGHT * SCALE)
    if not box or box[2] - box[0] != ALERT_PANEL[legacy][0] * SCALE:
        return None
    return box


class App:
    def __init__(self, executable, root, display, log_path, extra=()):
        self.environment = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11")
        self.environment.pop("WAYLAND_DISPLAY", None)
        self.log_path = log_path
        self.log = open(log_path, "wb")
        self.process = spawn([executable, "--dry-run", "--root", root, "--device", "iphone-4s", "--scale", str(SCALE)]
                             + list(extra),
                             env=self.environment, stdout=self.log, stderr=subprocess.STDOUT)
        window_id = subprocess.run(["timeout", "15", "xdotool", "search", "--sync", "--class", "Zentrova"],
                                   env=self.environment, stdout=subprocess.PIPE, text=True).stdout.split()
        if not window_id:
            fail("no window named Zentrova within 15 s; the app said:\n" + self.output())
        self.window = Window(self.environment, window_id[0])
        # The window exists before its first frame is shown: wait until the Respring title is drawn.
        x, y = RESPRING_POINT[0] * SCALE, RESPRING_POINT[1] * SCALE

        def respring_drawn():
            image = self.window.capture()
            if (image.width, image.height) != (SCREEN_POINTS[0] * SCALE, SCREEN_POINTS[1] * SCALE):
                fail("window is %dx%d pixels" % (image.width, image.height))
            return any(tinted_blue(*image.pixel(px, y + dy)) for px in range(x - 80, x + 80) for dy in (-6, 0, 6))
        wait_until(respring_drawn, 15, "the first frame with the Respring button")

    def output(self):
        if not self.log.closed:
            self.log.flush()
        with open(self.log_path, "rb") as log:
            return log.read().decode(errors="replace")

    def calls(self):
        return [line for line in self.output().splitlines() if line.startswith(("system(", "setuid(", "setgid("))]

    def quit(self):
        self.process.terminate()
        try:
            status = self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fail("the app did not quit within 10 s of SIGTERM")
        self.log.close()
        if status != 0:
            fail("the app exited with status %d; it said:\n%s" % (status, self.output()))


def write_preferences(root, values):
    path = os.path.join(root, PREFERENCES)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        plistlib.dump(values, file, fmt=plistlib.FMT_BINARY)


def run_without_alerts(executable, display, work):
    root = tempfile.mkdtemp(prefix="zentrova-e2e-")
    try:
        app = App(executable, root, display, os.path.join(work, "no-alerts.log"))
        app.window.click(RESPRING_POINT)
        wait_until(lambda: RESPRING_LINE in app.calls(), 10, RESPRING_LINE)
        time.sleep(0.3)
        if app.calls() != [RESPRING_LINE]:
            fail("expected only %s, got %s" % (RESPRING_LINE, app.calls()))
        app.window.save(os.path.join(work, "no-alerts.png"))
        app.quit()
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("ok: a click on Respring runs it at once")


def window_size(app):
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", app.window.id], env=app.environment,
                              check=True, stdout=subprocess.PIPE, text=True, timeout=10).stdout
    values = dict(line.split("=", 1) for line in geometry.split())
    return int(values["WIDTH"]), int(values["HEIGHT"])


def run_resized(executable, display, work):
    """Ctrl+2 halves the window; widened, it shows the screen between bars, and a click still lands
    on the point it shows."""
    root = tempfile.mkdtemp(prefix="zentrova-e2e-")
    try:
        # The light theme, so that the black bars stand out from the screen.
        write_preferences(root, {"lightSwitch": True})
        app = App(executable, root, display, os.path.join(work, "resized.log"))
        full = (SCREEN_POINTS[0] * SCALE, SCREEN_POINTS[1] * SCALE)
        subprocess.run(["xdotool", "key", "--window", app.window.id, "ctrl+2"], env=app.environment, check=True)
        wait_until(lambda: window_size(app) == (full[0] // 2, full[1] // 2), 10, "the window at half size")
        # Twice as wide as the picture: bars of 160 pixels each side of a 320 x 480 picture.
        subprocess.run(["xdotool", "windowsize", app.window.id, str(full[0]), str(full[1] // 2)], env=app.environment,
                       check=True)
        wait_until(lambda: window_size(app) == (full[0], full[1] // 2), 10, "the widened window")

        def picture_in_middle():
            image = app.window.capture()
            if (image.width, image.height) != (full[0], full[1] // 2):
                return False
            bars = all(image.pixel(x, y) == (0, 0, 0) for x in (2, 150, full[0] - 150, full[0] - 3)
                       for y in range(0, image.height, 40))
            picture = all(white(*image.pixel(x, 300)) for x in (165, full[0] - 165))
            y = RESPRING_POINT[1]
            button = any(tinted_blue(*image.pixel(px, y + dy)) for px in range(240, 400) for dy in (-3, 0, 3))
            return bars and picture and button
        wait_until(picture_in_middle, 10, "the screen drawn at half size between two bars")
        app.window.save(os.path.join(work, "resized.png"))
        x, y = full[0] // 4 + RESPRING_POINT[0], RESPRING_POINT[1]
        subprocess.run(["xdotool", "mousemove", "--window", app.window.id, str(x), str(y), "click", "1"],
                       env=app.environment, check=True, timeout=10)
        wait_until(lambda: RESPRING_LINE in app.calls(), 10, RESPRING_LINE + " after a click on the resized window")
        app.quit()
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("ok: at half size between bars a click on Respring runs it")


def run_with_alerts(executable, display, work):
    legacy = os.path.basename(executable).endswith("Legacy")
    root = tempfile.mkdtemp(prefix="zentrova-e2e-")
    try:
        write_preferences(root, {"alertSwitch.enabled": True})
        app = App(executable, root, display, os.path.join(work, "alerts.log"))

        app.window.click(RESPRING_POINT)
        panel = wait_until(lambda: alert_panel(app.window, legacy), 10, "the confirmation alert")
        app.window.save(os.path.join(work, "alert.png"))
        if app.calls():
            fail("the alert is up but the app already ran %s" % app.calls())
        left, top, right, bottom = [value / SCALE for value in panel]
        centre_x, centre_y = (left + right) / 2, (top + bottom) / 2
        if abs(centre_x - SCREEN_POINTS[0] / 2) > 1 or abs(centre_y - SCREEN_POINTS[1] / 2) > 1:
            fail("the alert panel %s is not centred on the screen" % ((left, top, right, bottom),))
        row = bottom - ALERT_PANEL[legacy][1]
        no_point = (round(left + (right - left) / 4), round(row))
        yes_point = (round(left + 3 * (right - left) / 4), round(row))

        app.window.click(no_point)
        wait_until(lambda: alert_panel(app.window, legacy) is None, 10, "the alert to go after No")
        time.sleep(0.3)
        if app.calls():
            fail("No answered the alert but the app ran %s" % app.calls())

        app.window.click(RESPRING_POINT)
        wait_until(lambda: alert_panel(app.window, legacy), 10, "the confirmation alert again")
        app.window.click(yes_point)
        wait_until(lambda: RESPRING_LINE in app.calls(), 10, RESPRING_LINE + " after Yes")
        time.sleep(0.3)
        if app.calls() != [RESPRING_LINE]:
            fail("expected only %s, got %s" % (RESPRING_LINE, app.calls()))
        app.quit()
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("ok: the alert shows on a click, No runs nothing, Yes at %s runs the respring" % (yes_point,))


def read_preferences(root):
    path = os.path.join(root, PREFERENCES)
    if not os.path.exists(path):
        return {}
    with open(path, "rb") as file:
        return plistlib.load(file)


def white(r, g, b):
    return min(r, g, b) > 245


def click_and_settle(window, point):
    """Clicks, then waits until the window has changed and holds still: an animation has ended."""
    before = window.capture().rgb
    window.click(point)
    last = [before]

    def changed_and_still():
        now = window.capture().rgb
        still = now == last[0] and now != before
        last[0] = now
        return still
    wait_until(changed_and_still, 10, "the window to change after a click at %s" % (point,))


def press(app, *keys):
    """Presses keys one after another in the window, then waits until it holds still."""
    for key in keys:
        subprocess.run(["xdotool", "key", "--window", app.window.id, key], env=app.environment, check=True, timeout=10)
    wait_still(app)


def window_property(app, name):
    return subprocess.run(["xprop", "-id", app.window.id, name], env=app.environment, stdout=subprocess.PIPE,
                          text=True, timeout=10).stdout


def run_whole_app(executable, display, work):
    """The whole app by keyboard alone: Settings, both switches on, Back to a light root screen, a
    Respring confirmed with Return, the changelog (headings blue in the main program only) scrolled
    to its end, Back; the window closed by another program ends the run cleanly, and a restart on
    the same root keeps both preferences."""
    legacy = os.path.basename(executable).endswith("Legacy")
    root = tempfile.mkdtemp(prefix="zentrova-e2e-")
    try:
        # The device root holds the bundle's changelog, staged beside the program by the build.
        bundle = os.path.join(root, "Applications/Zentrova.app")
        os.makedirs(bundle)
        shutil.copy(os.path.join(os.path.dirname(os.path.realpath(executable)), "CHANGELOG.txt"), bundle)
        app = App(executable, root, display, os.path.join(work, "whole-app.log"))
        title = window_property(app, "_NET_WM_NAME")
        if "\u2014 iPhone 4S" not in title or "UTF8_STRING" not in title:
            fail("the window's title is not UTF-8: %r" % title)
        if "Icon (64 x 64)" not in window_property(app, "_NET_WM_ICON"):
            fail("the window has no icon")

        # Tab to Settings: the ring shows only now, in the tint blue around the bar button.
        before = app.window.capture()
        press(app, "Tab", "Tab")
        ring = app.window.capture().box(lambda r, g, b: tinted_blue(r, g, b) and r < 60)
        if before.box(lambda r, g, b: tinted_blue(r, g, b) and r < 60) == ring:
            fail("no focus ring after Tab")
        press(app, "Return", "Tab", "Tab", "space")
        wait_until(lambda: read_preferences(root).get("lightSwitch") is True, 10, "lightSwitch stored YES")
        press(app, "Tab", "Return")
        wait_until(lambda: read_preferences(root).get("alertSwitch.enabled") is True, 10, "alerts stored YES")
        app.window.save(os.path.join(work, "whole-app-settings.png"))
        press(app, "Escape")
        # The root screen underneath is light now, and the ring is back on Settings.
        wait_until(lambda: white(*app.window.capture().pixel(10, 900)), 10, "a light root screen")
        press(app, "Tab", "Tab", "Tab", "Return")
        wait_until(lambda: alert_panel(app.window, legacy), 10, "the confirmation alert")
        if app.calls():
            fail("Respring with alerts on ran %s before any answer" % app.calls())
        press(app, "Return")
        wait_until(lambda: RESPRING_LINE in app.calls(), 10, RESPRING_LINE + " after Yes")
        wait_until(lambda: white(*app.window.capture().pixel(10, 900)), 10, "the alert's dimming to go")

        press(app, "shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "Return")
        page = app.window.capture()
        app.window.save(os.path.join(work, "whole-app-changelog.png"))
        text_top = (64 if legacy else 84) * SCALE
        blue = page.box(lambda r, g, b: tinted_blue(r, g, b) and r < 60, top=text_top)
        if legacy and blue:
            fail("the legacy changelog shows blue text at %s" % (blue,))
        if not legacy and not blue:
            fail("the changelog's headings are not blue")
        if not white(*page.pixel(600, 900)):
            fail("the changelog is not light: %s" % (page.pixel(600, 900),))
        press(app, "End")
        if app.window.capture().rgb == page.rgb:
            fail("End did not scroll the changelog")
        press(app, "Home")
        if app.window.capture().rgb != page.rgb:
            fail("Home did not scroll the changelog back to its top")
        press(app, "alt+Left")
        wait_until(lambda: white(*app.window.capture().pixel(10, 900)), 10, "the root screen after Alt+Left")

        # Destroyed by another program, the window ends the run with status 0 and nothing said.
        subprocess.run(["xdotool", "windowclose", app.window.id], env=app.environment, check=True, timeout=10)
        try:
            status = app.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fail("the app still runs 10 s after its window was destroyed")
        app.log.close()
        extra = [line for line in app.output().splitlines() if line != RESPRING_LINE]
        if status != 0 or extra:
            fail("after its window was destroyed the app exited with %d and said %s" % (status, extra))

        again = App(executable, root, display, os.path.join(work, "whole-app-again.log"))
        if read_preferences(root) != {"lightSwitch": True, "alertSwitch.enabled": True}:
            fail("the preferences after a restart are %s" % read_preferences(root))
        wait_until(lambda: white(*again.window.capture().pixel(10, 900)), 10, "the light root screen after a restart")
        again.quit()
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("ok: by keyboard alone, settings, a confirmed respring, the changelog; a destroyed window ends cleanly;"
          " a restart keeps both preferences")


def drag(app, start, end):
    x0, y0, x1, y1 = start[0] * SCALE, start[1] * SCALE, end[0] * SCALE, end[1] * SCALE
    window = app.window.id
    subprocess.run(["xdotool", "mousemove", "--window", window, str(x0), str(y0), "mousedown", "1",
                    "mousemove", "--window", window, str(x0), str((y0 + y1) // 2),
                    "mousemove", "--window", window, str(x1), str(y1), "mouseup", "1"],
                   env=app.environment, check=True, timeout=10)


def wait_still(app):
    """Waits until two captures in a row are the same: whatever moved has come to rest."""
    last = [None]

    def still():
        now = app.window.capture().rgb
        same = now == last[0]
        last[0] = now
        return same
    wait_until(still, 10, "the window to hold still")


def run_record_and_replay(executable, display, work):
    """A session in the window recorded with --record, then replayed headless on a fresh copy of the
    device root it started from: the same calls, the same preferences and the same final screen."""
    legacy = os.path.basename(executable).endswith("Legacy")
    screen_bar_y = 42 if legacy else 62
    switch_x = (214 if legacy else 254) + 25
    recording = os.path.join(work, "session.txt")
    roots = [tempfile.mkdtemp(prefix="zentrova-e2e-") for _ in range(2)]
    try:
        for root in roots:
            bundle = os.path.join(root, "Applications/Zentrova.app")
            os.makedirs(bundle)
            shutil.copy(os.path.join(os.path.dirname(os.path.realpath(executable)), "CHANGELOG.txt"), bundle)
            write_preferences(root, {"alertSwitch.enabled": True})
        window_root, replay_root = roots
        app = App(executable, window_root, display, os.path.join(work, "record.log"),
                  ["--record", recording, "--status-time", "9:41"])
        # Respring, answered "No" with Esc, then again and "Yes" with Return.
        for key in ("Escape", "Return"):
            app.window.click(RESPRING_POINT)
            wait_until(lambda: alert_panel(app.window, legacy), 10, "the confirmation alert")
            wait_still(app)
            subprocess.run(["xdotool", "key", "--window", app.window.id, key], env=app.environment, check=True)
            wait_until(lambda: alert_panel(app.window, legacy) is None, 10, "the alert to go after " + key)
            wait_still(app)
        wait_until(lambda: RESPRING_LINE in app.calls(), 10, RESPRING_LINE + " after Return")
        # Settings, the light switch, Back; the changelog, dragged and turned by the wheel.
        click_and_settle(app.window, (285, 42))
        app.window.click((switch_x, 155))
        wait_until(lambda: read_preferences(window_root).get("lightSwitch") is True, 10, "lightSwitch stored YES")
        wait_still(app)
        click_and_settle(app.window, (30, screen_bar_y))
        click_and_settle(app.window, (45, screen_bar_y if not legacy else 42))
        before = app.window.capture().rgb
        drag(app, (160, 400), (160, 250))
        wait_until(lambda: app.window.capture().rgb != before, 10, "the changelog to follow the drag")
        wait_still(app)
        before = app.window.capture().rgb
        subprocess.run(["xdotool", "mousemove", "--window", app.window.id, "320", "600", "click", "5"],
                       env=app.environment, check=True, timeout=10)
        wait_until(lambda: app.window.capture().rgb != before, 10, "the changelog to follow the wheel")
        wait_still(app)
        window_frame = app.window.capture()
        app.window.save(os.path.join(work, "record-window.png"))
        window_calls = app.calls()
        app.quit()

        with open(recording) as file:
            script = file.read()
        for line in ("tap #respringButton", "key Escape", "key Return", 'tap "Settings"', "tap #lightSwitch",
                     'tap "Back"', 'tap "Changelog"', "drag 160,400 160,250 ", "scroll #changes 40"):
            if line not in script:
                fail("the recording has no %r:\n%s" % (line, script))
        program = os.path.basename(executable)
        if not script.startswith("# %s \u2014 iPhone 4S, recorded " % program):
            fail("the recording's first line names no program and device:\n" + script)
        # Recorded with --dry-run, it says so, and replays only with --dry-run.
        replay_line = "# replay: %s --headless --dry-run --device iphone-4s --scale %d --root ROOT --script THIS_FILE" % (
            program, SCALE)
        if "\n# recorded with --dry-run: replay it with --dry-run\n" not in script or replay_line not in script:
            fail("the recording does not say it was made with --dry-run:\n" + script)
        refused = subprocess.run([executable, "--headless", "--root", replay_root, "--script", recording],
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60)
        if refused.returncode != 2 or "replayed only with --dry-run" not in refused.stdout:
            fail("the recording replayed without --dry-run: %d %s" % (refused.returncode, refused.stdout))

        replay_script = os.path.join(work, "replay.txt")
        shot, tree_path = os.path.join(work, "replay.png"), os.path.join(work, "replay-tree.json")
        with open(replay_script, "w") as file:
            file.write(script + "screenshot %s\ntree %s\n" % (shot, tree_path))
        replay = subprocess.run([executable, "--headless", "--dry-run", "--root", replay_root, "--device", "iphone-4s",
                                 "--scale", str(SCALE), "--script", replay_script],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60)
        if replay.returncode != 0:
            fail("the replay exited with %d:\n%s\nof the script:\n%s" % (replay.returncode, replay.stdout, script))
        replay_calls = [line for line in replay.stdout.splitlines() if line.startswith(("system(", "setuid(", "setgid("))]
        if replay_calls != window_calls or window_calls != [RESPRING_LINE]:
            fail("the window ran %s, the replay %s" % (window_calls, replay_calls))
        if read_preferences(replay_root) != read_preferences(window_root):
            fail("the window stored %s, the replay %s" % (read_preferences(window_root), read_preferences(replay_root)))
        with open(tree_path) as file:
            tree = json.load(file)
        presented = [entry.get("class") for entry in tree["presented"]]
        if presented != ["ChangelogViewController"]:
            fail("the replay ends on %s, not the changelog" % presented)
        replayed = read_png(shot)
        if (replayed.width, replayed.height) != (window_frame.width, window_frame.height):
            fail("the replay's frame is %dx%d, the window's %dx%d"
                 % (replayed.width, replayed.height, window_frame.width, window_frame.height))
        differing = sum(1 for a, b in zip(replayed.rgb, window_frame.rgb) if abs(a - b) > 2)
        if differing > len(replayed.rgb) // 1000:
            fail("the replay's last frame differs from the window's in %d of %d channels (see %s)"
                 % (differing, len(replayed.rgb), work))
    finally:
        for root in roots:
            shutil.rmtree(root, ignore_errors=True)
    print("ok: a recorded session replays headless to the same calls, preferences and screen")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    executable, work = os.path.abspath(sys.argv[1]), sys.argv[2]
    for tool in ("Xvfb", "xdotool", "xprop", "import", "convert"):
        if not shutil.which(tool):
            fail("%s is not installed (make deps installs it)" % tool)
    os.makedirs(work, exist_ok=True)
    # CTest ends a test that overruns with SIGTERM on some platforms: clean up then as well.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        display = start_display()
        run_without_alerts(executable, display, work)
        run_resized(executable, display, work)
        run_with_alerts(executable, display, work)
        run_whole_app(executable, display, work)
        run_record_and_replay(executable, display, work)
    finally:
        stop_children()
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Counts lost preference updates when two running apps save at the same moment.

    bench/prefs_writers.py [PROGRAM_A] [PROGRAM_B] [ROUNDS]

Starts both programs (default build/bin/Zentrova and build/bin/ZentrovaLegacy) headless, with
--dry-run, on one device root in a temporary folder, and opens the settings in each. Every round
then taps the Light Theme switch in the first app and the Alerts switch in the second without
waiting in between, waits until both have answered, and reads the preferences file: it must hold
the first app's latest lightSwitch and the second app's latest alertSwitch.enabled. Prints the
number of rounds in which the file lacked either value, the saves that failed (each app says so
on standard error), and the time a round took.
"""

import os
import plistlib
import subprocess
import sys
import tempfile
import time


class App:
    def __init__(self, program, root):
        self.process = subprocess.Popen(
            [program, "--headless", "--dry-run", "--root", root],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
            text=True, bufsize=1)
        self.failedSaves = 0

    def send(self, command):
        self.process.stdin.write(command + "\n")

    def answer(self):
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError("the app ended")
            if line.startswith("{"):
                return line
            if ": cannot save preferences to " not in line:
                raise RuntimeError(line.strip())
            self.failedSaves += 1

    def finish(self):
        self.send("quit")
        self.process.stdin.close()
        return self.process.wait(timeout=30)


def main(first, second, rounds):
    with tempfile.TemporaryDirectory() as root:
        path = os.path.join(root, "var/mobile/Library/Preferences/com.zentrova.app.plist")
        apps = [App(first, root), App(second, root)]
        for app in apps:
            app.send('tap "Settings"')
            app.send("tree")
            app.answer()
        light, alerts = False, False
        lost = 0
        started = time.monotonic()
        for _ in range(rounds):
            apps[0].send("tap #lightSwitch")
            apps[1].send("tap #alertSwitch")
            light, alerts = not light, not alerts
            for app in apps:
                app.send("tree")
            for app in apps:
                app.answer()
            with open(path, "rb") as file:
                stored = plistlib.load(file)
            if stored.get("lightSwitch") != light or stored.get("alertSwitch.enabled") != alerts:
                lost += 1
        took = time.monotonic() - started
        statuses = [app.finish() for app in apps]
    print(f"{rounds} rounds of {os.path.basename(first)} and {os.path.basename(second)} saving at once: "
          f"{lost} with a lost update, {sum(app.failedSaves for app in apps)} failed saves; "
          f"{took / rounds * 1000:.1f} ms a round; exit {statuses}")
    return 1 if lost else 0


if __name__ == "__main__":
    arguments = sys.argv[1:]
    first = arguments[0] if len(arguments) > 0 else "build/bin/Zentrova"
    second = arguments[1] if len(arguments) > 1 else "build/bin/ZentrovaLegacy"
    rounds = int(arguments[2]) if len(arguments) > 2 else 1000
    sys.exit(main(first, second, rounds))

#!/usr/bin/env python3
"""Drives Zentrova from another program through its standard input and output.

    pipe_driver_example.py PROGRAM

Opens the settings, turns alerts on if they are off, goes back, presses Respring, answers "Yes"
and reads what the app would have run. The app runs with --dry-run on a device root of its own in
a temporary folder, so nothing is run and nothing is left behind.
"""

import json
import subprocess
import sys
import tempfile


class App:
    def __init__(self, program, root):
        # Errors come on the same stream, in order, as lines that start with "line N:".
        self.process = subprocess.Popen(
            [program, "--headless", "--dry-run", "--root", root],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
            text=True, bufsize=1)  # line-buffered: each line goes out at its newline

    def send(self, command):
        self.process.stdin.write(command + "\n")

    def answer(self):
        line = self.process.stdout.readline()
        if not line:
            raise RuntimeError("the app ended")
        if line.startswith("line "):
            raise RuntimeError(line.strip())
        return line.rstrip("\n")

    def tree(self):
        # Also tells that every command sent before it is done.
        self.send("tree")
        return json.loads(self.answer())

    def finish(self):
        self.send("quit")
        self.process.stdin.close()
        return self.process.wait(timeout=30)


def find(node, identifier):
    """The view of the tree with this identifier, or None."""
    if isinstance(node, dict):
        if node.get("id") == identifier:
            return node
        node = list(node.values())
    if isinstance(node, list):
        for child in node:
            found = find(child, identifier)
            if found:
                return found
    return None


def main(program):
    with tempfile.TemporaryDirectory() as root:
        app = App(program, root)
        app.send('tap "Settings"')
        alerts = find(app.tree(), "alertSwitch")
        print("alerts are", "on" if alerts["on"] else "off")
        if not alerts["on"]:
            app.send("tap #alertSwitch")
            print("alerts are now", "on" if find(app.tree(), "alertSwitch")["on"] else "off")
        app.send('tap "Back"')
        app.send('tap "Respring"')
        alert = app.tree()["alerts"][0]
        print(f'alert "{alert["title"]}" with the answers', ", ".join(alert["buttons"]))
        app.send('tap "Yes"')
        print("the app would run:", app.answer())
        status = app.finish()
        print("exit status", status)
        return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

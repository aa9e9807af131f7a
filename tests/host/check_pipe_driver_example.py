#!/usr/bin/env python3
"""Runs the pipe driver example against a program and holds the README to it: the README must
show the example as the file holds it and its output as it really is.

    check_pipe_driver_example.py PROGRAM README
"""

import os
import re
import subprocess
import sys

EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pipe_driver_example.py")


def block_after(text, marker):
    """The fenced block that follows the marker comment, or None."""
    match = re.search(re.escape(marker) + r"\n```[a-z]*\n(.*?)```\n", text, re.S)
    return match.group(1) if match else None


def main(program, readme_path):
    with open(readme_path) as f:
        readme = f.read()
    with open(EXAMPLE) as f:
        example = f.read()
    result = subprocess.run([sys.executable, EXAMPLE, program], capture_output=True, text=True, timeout=60)
    failures = []
    if result.returncode != 0:
        failures.append(f"the example exited with {result.returncode}:\n{result.stdout}{result.stderr}")
    if block_after(readme, "<!-- tests/host/pipe_driver_example.py -->") != example:
        failures.append("the README does not show tests/host/pipe_driver_example.py as it is")
    shown = block_after(readme, "<!-- the output of tests/host/pipe_driver_example.py -->")
    if shown != result.stdout:
        failures.append(f"the README shows the output\n{shown}but the example printed\n{result.stdout}")
    for failure in failures:
        print("FAIL ", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))

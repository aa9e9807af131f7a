#!/usr/bin/env python3
"""Runs a cross-built program under qemu-user beside the native build of the same program and
checks that both behave alike: the launch, the six power actions with alerts off and on (answered
"Yes" and "No"), the tree of the root screen and its screenshot.

    compare_with_native.py ARCH NATIVE CROSS [ARCH NATIVE CROSS ...]

ARCH is the Debian architecture of CROSS (arm64 or armhf). Every run gets a fresh device root in a
temporary folder, always with --dry-run; nothing is left behind. Exits 1 when any check fails.
"""

import concurrent.futures
import json
import math
import os
import plistlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

# Per architecture: the emulator, what `file` must say of the program, and how closely the tree's
# numbers must agree. The 32-bit program computes its geometry in single precision, so its frames
# agree with the native build of the same program to float precision, not exactly.
ARCHITECTURES = {
    "arm64": {
        "qemu": "qemu-aarch64-static",
        "file": r"ELF 64-bit LSB .*ARM aarch64",
        "tolerance": 0.0,
    },
    "armhf": {
        "qemu": "qemu-arm-static",
        "file": r"ELF 32-bit LSB .*ARM, EABI5",
        "tolerance": 1e-4,
    },
}

# The multiarch packages put the target's dynamic linker and libraries under /lib/<triplet> and
# /usr/lib/<triplet> of this machine, so the machine's own root serves as the emulator's.
QEMU_LD_PREFIX = "/"

ACTIONS = ["rebootButton", "shutdownButton", "respringButton", "safemodeButton",
           "noSubstrateButton", "minispringButton"]

PREFERENCES = "var/mobile/Library/Preferences/com.zentrova.app.plist"

PIXEL_TOLERANCE = 2  # of 255, per channel

RUN_TIMEOUT = 120  # seconds; a run under the emulator takes a few


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = []

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print(f"ok    {name}" + (f"  ({detail})" if detail else ""))
        else:
            self.failed.append(name)
            print(f"FAIL  {name}" + (f"\n      {detail}" if detail else ""))


def run(command, root, script=None):
    """Runs one headless session on ROOT; returns (exit status, stdout lines, stderr)."""
    env = dict(os.environ, QEMU_LD_PREFIX=QEMU_LD_PREFIX)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    result = subprocess.run(command + ["--headless", "--dry-run", "--root", root],
                            input=script, capture_output=True, text=True, env=env,
                            timeout=RUN_TIMEOUT)
    return result.returncode, result.stdout.splitlines(), result.stderr


def fresh_root(parent, name, alerts=None):
    root = os.path.join(parent, name)
    os.makedirs(os.path.join(root, os.path.dirname(PREFERENCES)))
    if alerts is not None:
        with open(os.path.join(root, PREFERENCES), "wb") as f:
            plistlib.dump({"alertSwitch.enabled": alerts}, f, fmt=plistlib.FMT_BINARY)
    return root


def listing(root):
    found = []
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            found.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(found)


def numbers_differ(a, b, tolerance, path=""):
    """The first place where two trees differ beyond TOLERANCE, or None."""
    if isinstance(a, bool) or isinstance(b, bool) or a is None or b is None or isinstance(a, str):
        return None if a == b and type(a) is type(b) else f"{path or '/'}: {a!r} != {b!r}"
    if isinstance(a, (int, float)) and isinstance(b, (int, float)):
        return None if math.isclose(a, b, rel_tol=0, abs_tol=tolerance) else f"{path}: {a} != {b}"
    if isinstance(a, dict) and isinstance(b, dict):
        if a.keys() != b.keys():
            return f"{path or '/'}: keys {sorted(a.keys() ^ b.keys())} in only one"
        for key in sorted(a):
            difference = numbers_differ(a[key], b[key], tolerance, f"{path}/{key}")
            if difference:
                return difference
        return None
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return f"{path}: {len(a)} entries != {len(b)}"
        for i, (x, y) in enumerate(zip(a, b)):
            difference = numbers_differ(x, y, tolerance, f"{path}/{i}")
            if difference:
                return difference
        return None
    return f"{path}: {type(a).__name__} != {type(b).__name__}"


def largest_difference(tree_a, tree_b):
    """The largest difference between two numbers at the same place in two trees of one shape."""
    if isinstance(tree_a, dict):
        return max((largest_difference(tree_a[k], tree_b[k]) for k in tree_a), default=0.0)
    if isinstance(tree_a, list):
        return max((largest_difference(x, y) for x, y in zip(tree_a, tree_b)), default=0.0)
    if isinstance(tree_a, (int, float)) and not isinstance(tree_a, bool):
        return abs(tree_a - tree_b)
    return 0.0


def pixels(path):
    """(width, height, RGBA bytes) of a PNG, decoded by ImageMagick."""
    data = subprocess.run(["convert", path, "-depth", "8", "pam:-"], capture_output=True,
                          check=True).stdout
    end = data.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    header = dict(line.split(b" ", 1) for line in data[:end].splitlines()[1:-1])
    width, height, depth = int(header[b"WIDTH"]), int(header[b"HEIGHT"]), int(header[b"DEPTH"])
    body = data[end:]
    if depth == 3:
        body = b"".join(body[i:i + 3] + b"\xff" for i in range(0, len(body), 3))
    return width, height, body


def compare_program(arch, native, cross, checks, workdir):
    target = ARCHITECTURES[arch]
    qemu = shutil.which(target["qemu"])
    if not qemu:
        checks.check(f"{arch}: {target['qemu']} is installed", False)
        return
    emulated = [qemu, cross]
    program = os.path.basename(cross)
    name = f"{arch} {program}"

    description = subprocess.run(["file", "-L", cross], capture_output=True, text=True).stdout
    checks.check(f"{name}: file says {target['file']}", re.search(target["file"], description),
                 description.strip())

    # The launch: first frame, a screenshot of it and the tree of the root screen.
    timings = {}
    outputs = {}
    for side, command in (("native", [native]), ("cross", emulated)):
        root = fresh_root(workdir, f"{arch}-launch-{side}")
        tree = os.path.join(workdir, f"{arch}-{side}.json")
        shot = os.path.join(workdir, f"{arch}-{side}.png")
        start = time.monotonic()
        status, out, err = run(command, root, f"tree {tree}\nscreenshot {shot}\nquit\n")
        timings[side] = time.monotonic() - start
        outputs[side] = (status, out, err, root, tree, shot)
    status, out, err, root, tree, shot = outputs["cross"]
    checks.check(f"{name}: headless launch with --dry-run exits 0 and runs nothing",
                 status == 0 and out == [],
                 f"{timings['cross']:.1f} s under qemu, {timings['native']:.2f} s native"
                 if status == 0 and out == [] else f"exit {status}, stdout {out}, stderr {err.strip()}")
    checks.check(f"{name}: the device root after launch matches native",
                 listing(root) == listing(outputs["native"][3]),
                 f"{listing(root)} vs {listing(outputs['native'][3])}")
    if status != 0 or outputs["native"][0] != 0:
        return

    with open(outputs["native"][4]) as f:
        native_tree = json.load(f)
    with open(tree) as f:
        cross_tree = json.load(f)
    difference = numbers_differ(native_tree, cross_tree, target["tolerance"])
    checks.check(f"{name}: tree of the root screen equals native (tolerance {target['tolerance']:g})",
                 difference is None,
                 difference or f"largest difference {largest_difference(native_tree, cross_tree):.3g}")

    nw, nh, npx = pixels(outputs["native"][5])
    cw, ch, cpx = pixels(shot)
    if (nw, nh) != (cw, ch):
        checks.check(f"{name}: screenshot size equals native", False, f"{cw}x{ch} vs {nw}x{nh}")
    else:
        worst = 0
        differing = 0
        if npx != cpx:
            for i in range(0, len(npx), 4):
                d = max(abs(npx[i + c] - cpx[i + c]) for c in range(4))
                if d:
                    differing += 1
                    worst = max(worst, d)
        checks.check(f"{name}: screenshot equals native within {PIXEL_TOLERANCE}/255 a channel",
                     worst <= PIXEL_TOLERANCE,
                     f"{cw}x{ch}, {differing} pixels differ, by at most {worst}/255")

    # The six actions: alerts off (never written and written NO), alerts on answered Yes and No.
    cases = []
    for action in ACTIONS:
        cases.append((f"{action} with alerts never set", None, f"tap #{action}\nquit\n"))
        cases.append((f"{action} with alerts off", False, f"tap #{action}\nquit\n"))
        cases.append((f"{action} with alerts on, Yes", True, f'tap #{action}\ntap "Yes"\nquit\n'))
        cases.append((f"{action} with alerts on, No", True, f'tap #{action}\ntap "No"\nquit\n'))

    def session(index, case, side, command):
        label, alerts, script = case
        root = fresh_root(workdir, f"{arch}-{index}-{side}", alerts)
        return run(command, root, script)

    # Two at a time: the machine's cores, one emulated and one native session side by side.
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        futures = [(case, pool.submit(session, i, case, "native", [native]),
                    pool.submit(session, i, case, "cross", emulated))
                   for i, case in enumerate(cases)]
        start = time.monotonic()
        lines = 0
        for case, native_future, cross_future in futures:
            label = case[0]
            n_status, n_out, n_err = native_future.result()
            c_status, c_out, c_err = cross_future.result()
            lines += len(c_out)
            same = (n_status, n_out) == (c_status, c_out)
            # The native side must itself have done something for the comparison to mean anything.
            meaningful = n_status == 0 and (n_out != [] or label.endswith("No"))
            detail = (f"{len(c_out)} lines" if same and meaningful else
                      f"native exit {n_status} {n_out} {n_err.strip()}\n      "
                      f"cross exit {c_status} {c_out} {c_err.strip()}")
            checks.check(f"{name}: {label}", same and meaningful, detail)
        print(f"      {len(cases)} sessions each side, {lines} lines compared, "
              f"{time.monotonic() - start:.1f} s")


def font_caches():
    """The font cache files fontconfig may write: a 32-bit program writes its own format beside
    the native one's, in the first cache folder it may write to."""
    folders = ["/var/cache/fontconfig",
               os.path.join(os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")),
                            "fontconfig")]
    found = set()
    for folder in folders:
        if os.path.isdir(folder):
            found.update(os.path.join(folder, name) for name in os.listdir(folder)
                         if ".cache-" in name)
    return found


def main(argv):
    if len(argv) < 4 or (len(argv) - 1) % 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    programs = [argv[i:i + 3] for i in range(1, len(argv), 3)]
    for arch, native, cross in programs:
        if arch not in ARCHITECTURES:
            print(f"unknown architecture {arch}; known: {', '.join(ARCHITECTURES)}", file=sys.stderr)
            return 2
        for path in (native, cross):
            if not os.access(path, os.X_OK):
                print(f"no program at {path}", file=sys.stderr)
                return 2

    checks = Checks()
    caches_before = font_caches()
    try:
        with tempfile.TemporaryDirectory(prefix="zentrova-cross-") as workdir:
            for arch, native, cross in programs:
                compare_program(arch, os.path.abspath(native), os.path.abspath(cross), checks,
                                workdir)
    finally:
        for cache in font_caches() - caches_before:
            os.remove(cache)
    print(f"cross: {checks.passed} passed, {len(checks.failed)} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

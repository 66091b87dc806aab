#!/usr/bin/env python3
"""Timing script for channel changes on the Player screen (not a test: it
only measures and prints).

For each renderer (OpenGL, and software with VISTRA_FORCE_SW_RENDER=1): the
real program on the demo provider, Live -> Enter -> the Player, then Right
pressed ZAPS times, a few seconds apart. Vistra logs "zap first frame ...
ms=<n>" from the key press (the channel step) to the first picture of the
next channel drawn by the compositor; the script prints the median and all
values.
Usage (from the project root, after scripts/make-demo-media.sh build/demo-media):
  xvfb-run -a -s "-screen 0 1280x720x24" python3 bench/zap_timing.py build/vistra \
      build/tests/vistra_standin build/demo-media [zaps]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import start_standin  # noqa: E402  (the stand-in's start, shared with the end-to-end tests)

VISTRA, STANDIN, MEDIA = sys.argv[1:4]
ZAPS = int(sys.argv[4]) if len(sys.argv) > 4 else 20
GAP = 2.5  # seconds between zaps: each channel settles before the next


def lines(log):
    if not os.path.exists(log):
        return []
    with open(log, errors="replace") as f:
        return f.read().splitlines()


def wait_for(log, fragment, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if any(fragment in l for l in lines(log)):
            return True
        time.sleep(0.1)
    return False


def key(name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)


def measure(renderer, env_extra):
    data = tempfile.mkdtemp(prefix="vistra-zap-")
    log = os.path.join(data, "Vistra43", "runtime.log")
    env = dict(os.environ, XDG_DATA_HOME=data)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    env.update(env_extra)
    standin, _ = start_standin(STANDIN, MEDIA, env)
    proc = subprocess.Popen([VISTRA], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(log, "boot done")
        time.sleep(1)
        key("Return")  # Live
        wait_for(log, "play live id=")
        time.sleep(2)
        key("Right")
        key("Return")  # the Player
        time.sleep(2)
        for _ in range(ZAPS):
            key("Right")
            time.sleep(GAP)
        times = [int(l.rsplit("ms=", 1)[1]) for l in lines(log) if l.startswith("zap first frame")]
    finally:
        proc.terminate()
        proc.wait(timeout=10)
        standin.terminate()
        standin.wait()
    median = "%.0f" % statistics.median(times) if times else "?"
    print("%-9s zaps measured %2d/%d  median %s ms  all: %s" % (renderer, len(times), ZAPS, median,
                                                                 ", ".join(str(t) for t in times)), flush=True)


def main():
    measure("opengl", {})
    measure("software", {"VISTRA_FORCE_SW_RENDER": "1"})


if __name__ == "__main__":
    main()

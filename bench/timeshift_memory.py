#!/usr/bin/env python3
"""Timing script (not a test: it only measures and prints): the memory and
disk a live pause buffer takes while the picture stays paused.

The real program on the demo provider with the longest live buffer chosen in
preferences.json: channel 1 full window, Space, then once a minute for
`minutes` minutes the program's resident memory (VmRSS) and the size of its
data folder, then Space again (the log's "timeshift resume behind=" line is
printed). Usage (from the project root, after
scripts/make-demo-media.sh build/demo-media):
  xvfb-run -a -s "-screen 0 1280x720x24" python3 bench/timeshift_memory.py build/vistra \\
      build/tests/vistra_standin build/demo-media [minutes]
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import log_line_after, press, read_lines, start_program, start_standin, stop  # noqa: E402

VISTRA, STANDIN, MEDIA = sys.argv[1:4]
MINUTES = int(sys.argv[4]) if len(sys.argv) > 4 else 30


def rss_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS"):
                return int(line.split()[1]) // 1024
    return -1


def folder_kib(path):
    return int(subprocess.run(["du", "-sk", path], capture_output=True, text=True).stdout.split()[0])


def main():
    data = tempfile.mkdtemp(prefix="vistra-timeshift-")
    folder = os.path.join(data, "Vistra43")
    os.makedirs(folder)
    with open(os.path.join(folder, "preferences.json"), "w") as f:
        json.dump({"liveBufferMinutes": 30, "startOnLastChannel": False}, f)
    log = os.path.join(folder, "runtime.log")
    env = dict(os.environ, XDG_DATA_HOME=data)
    server, _ = start_standin(STANDIN, MEDIA, env)
    proc, _ = start_program(VISTRA, env)
    try:
        log_line_after(log, "boot done", 0, 60)
        time.sleep(1)
        press("Return")  # Live, channel 1 in the preview
        time.sleep(1)
        press("Right", "Return")  # the Player
        time.sleep(8)
        base, disk = rss_mib(proc.pid), folder_kib(data)
        print("before the pause: rss %d MiB, data folder %d KiB" % (base, disk), flush=True)
        press("space")
        for minute in range(1, MINUTES + 1):
            time.sleep(60)
            rss = rss_mib(proc.pid)
            print("paused %2d min: rss %d MiB (+%d), data folder +%d KiB" % (
                minute, rss, rss - base, folder_kib(data) - disk), flush=True)
        press("space")
        time.sleep(3)
        print("\n".join(l for l in read_lines(log) if "timeshift" in l), flush=True)
    finally:
        stop(proc)
        stop(server)
        shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    main()

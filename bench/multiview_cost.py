#!/usr/bin/env python3
"""Multi-view cost benchmark (not a test: it only measures and prints).

In one run, on the demo provider: four bare mpv processes, each playing one
of the demo's first four live streams in a quarter of the screen, then the
program: its Player on channel 1 full window, and the 2x2 multi-view of
channels 1-4 (W). CPU is read from /proc/<pid>/stat over SECONDS (100 % =
one core; the bare mpvs summed); the frames each tile drew per second come
from the program's "multiview frames" lines (its tiles' render counters,
with the engine's own count of dropped frames).
Usage (from the project root, after scripts/make-demo-media.sh build/demo-media):
  xvfb-run -a -s "-screen 0 1280x720x24" python3 bench/multiview_cost.py build/vistra \
      build/tests/vistra_standin build/demo-media [seconds]
"""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import cpu_seconds, log_line_after, press, read_lines, start_program, start_standin, stop  # noqa: E402

VISTRA, STANDIN, MEDIA = sys.argv[1:4]
SECONDS = float(sys.argv[4]) if len(sys.argv) > 4 else 20.0
SETTLE = 4.0


def screen_size():
    out = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split()
    return int(out[0]), int(out[1])


def cpu_percent(pids):
    start = sum(cpu_seconds(pid) for pid in pids)
    time.sleep(SECONDS)
    return 100.0 * (sum(cpu_seconds(pid) for pid in pids) - start) / SECONDS


def bare_quad(base):
    width, height = screen_size()
    procs = []
    for i, channel in enumerate(("101", "102", "103", "104")):
        x, y = (i % 2) * width // 2, (i // 2) * height // 2
        procs.append(subprocess.Popen(
            ["mpv", "--no-config", "--really-quiet", "--no-border", "--geometry=%dx%d+%d+%d" % (width // 2, height // 2, x, y),
             "--autofit=%dx%d" % (width // 2, height // 2), "%s/live/demo/demo/%s.ts" % (base, channel)],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    try:
        time.sleep(SETTLE)
        return cpu_percent([p.pid for p in procs])
    finally:
        for p in procs:
            stop(p)


def frames_after(log, after):
    rates = {}
    for line in read_lines(log)[after:]:
        found = re.search(r"multiview frames tile=(\d+) id=(\d+) fps=([0-9.]+) dropped=(\S*)", line)
        if found:
            rates.setdefault(int(found.group(1)), []).append((float(found.group(3)), found.group(4)))
    return rates


def program_run():
    data = tempfile.mkdtemp(prefix="vistra-mv-bench-")
    log = os.path.join(data, "Vistra43", "runtime.log")
    env = dict(os.environ, XDG_DATA_HOME=data)
    server, _ = start_standin(STANDIN, MEDIA, env)
    base = env["VISTRA_PANEL_URL"]
    results = {"bare": bare_quad(base)}
    proc, _ = start_program(os.environ.get("PROG", VISTRA), env)
    try:
        log_line_after(log, "boot done", 0, 60)
        time.sleep(1)
        press("Return")
        time.sleep(1)
        press("Right", "Return")
        time.sleep(SETTLE)
        results["player"] = cpu_percent([proc.pid])
        press("w")
        time.sleep(SETTLE)
        after = len(read_lines(log))
        results["multiview"] = cpu_percent([proc.pid])
        time.sleep(1)
        results["frames"] = frames_after(log, after)
    finally:
        stop(proc)
        stop(server)
    return results


def main():
    width, height = screen_size()
    r = program_run()
    print("window %dx%d, %.0f s per measurement" % (width, height, SECONDS))
    print("| what | CPU (100 % = one core) |")
    print("|---|---|")
    print("| four bare mpv, a quarter of the screen each (summed) | %.0f %% |" % r["bare"])
    print("| the program, Player on channel 1 | %.0f %% |" % r["player"])
    print("| the program, 2x2 multi-view of channels 1-4 | %.0f %% |" % r["multiview"])
    print("| multi-view / four bare mpv | %.2f |" % (r["multiview"] / max(r["bare"], 0.1)))
    print()
    print("| tile | frames drawn per second (each 5 s) | dropped (engine) |")
    print("|---|---|---|")
    for tile in sorted(r["frames"]):
        samples = r["frames"][tile]
        print("| %d | %s | %s |" % (tile + 1, ", ".join("%.1f" % f for f, _ in samples), samples[-1][1] if samples else ""))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Playback CPU benchmark (not a test: it only measures and prints).

In one run, on the demo provider: a bare mpv playing the demo's first live
stream in a window the size of the Live preview's rectangle and in a full
window, then each program given (e.g. a baseline build and this one): idle
on Home, the preview playing on Live, and the Player. CPU is read from
/proc/<pid>/stat over SECONDS (100 % = one core). Prints the table and each
program's ratios to the bare mpv at the same size.

The bare mpv runs twice: as it starts by itself, and with its GPU renderer
forced (--vo=gpu --gpu-sw). On a software rasteriser (Xvfb, a virtual
machine) mpv's GPU renderer declines to start and mpv falls back to a
simpler output (SDL's), which scales and converts in one cheap pass; the
program embeds the GPU renderer, which runs on any context it is given. So
the first ratio compares two different renderers there, the second the same
one; on a real GPU both bare runs use the GPU renderer. The output mpv chose
is printed.
Usage (from the project root, after scripts/make-demo-media.sh build/demo-media):
  xvfb-run -a -s "-screen 0 1920x1080x24" python3 bench/playback_cpu.py build/tests/vistra_standin \
      build/demo-media [seconds] program...
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import cpu_seconds, read_lines, start_program, start_standin  # noqa: E402

STANDIN, MEDIA = sys.argv[1:3]
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 and sys.argv[3].replace(".", "").isdigit() else 15.0
PROGRAMS = sys.argv[4:] if len(sys.argv) > 3 and sys.argv[3].replace(".", "").isdigit() else sys.argv[3:]
SETTLE = 3.0  # seconds after each step before measuring


def screen_size():
    out = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split()
    return int(out[0]), int(out[1])


def cpu_percent(pid):
    start = cpu_seconds(pid)
    time.sleep(SECONDS)
    return 100.0 * (cpu_seconds(pid) - start) / SECONDS


def wait_for(path, fragment, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if any(fragment in line for line in read_lines(path)):
            return True
        time.sleep(0.1)
    return False


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(0.3)


GPU_RENDERER = ["--vo=gpu", "--gpu-sw"]


def bare_mpv(url, x, y, w, h, extra=()):
    """CPU % of a bare mpv at the rectangle, and the video output it chose."""
    out = tempfile.NamedTemporaryFile(prefix="vistra-mpv-", suffix=".log", delete=False)
    proc = subprocess.Popen(["mpv", "--no-config", "--no-terminal", "--log-file=" + out.name, "--no-border",
                             "--loop=inf", "--geometry=%dx%d+%d+%d" % (w, h, x, y), "--autofit=%dx%d" % (w, h)] +
                            list(extra) + [url], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(SETTLE)
        return cpu_percent(proc.pid), chosen_output(out.name)
    finally:
        proc.terminate()
        proc.wait(timeout=10)
        os.unlink(out.name)


def chosen_output(log):
    for line in read_lines(log):
        if "VO: [" in line:
            return line.split("VO: [", 1)[1].split("]", 1)[0]
    return "?"


def measure_program(program, env):
    data = tempfile.mkdtemp(prefix="vistra-cpu-")
    env = dict(env, XDG_DATA_HOME=data)
    log = os.path.join(data, "Vistra43", "runtime.log")
    proc, wid = start_program(program, env)
    result = {}
    try:
        if not wid or not wait_for(log, "boot done"):
            return result
        time.sleep(SETTLE)
        result["home"] = cpu_percent(proc.pid)
        key("Return")  # Home tile 0: Live, channel 1 in the preview
        wait_for(log, "play live id=")
        time.sleep(SETTLE)
        result["live"] = cpu_percent(proc.pid)
        key("Right", "Return")  # the channel column, Enter: the Player
        time.sleep(SETTLE)
        result["player"] = cpu_percent(proc.pid)
    finally:
        proc.terminate()
        proc.wait(timeout=10)
    return result


def main():
    width, height = screen_size()
    requests = tempfile.NamedTemporaryFile(prefix="vistra-requests-", suffix=".log", delete=False).name
    env = dict(os.environ, VISTRA_STANDIN_REQUEST_LOG=requests)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    standin, _ = start_standin(STANDIN, MEDIA, env)
    base = env["VISTRA_PANEL_URL"]
    try:
        results = [(program, measure_program(program, env)) for program in PROGRAMS]
        # The stream the preview asked for, as the bare player's.
        target = next((line.split()[-1] for line in read_lines(requests) if "/live/" in line), "")
        url = base + target
        x, y = width * 960 // 1920, height * 108 // 1080  # the Live preview's rectangle
        preview = (x, y, width - x, height * 648 // 1080 - y)
        bare = [(bare_mpv(url, *preview, extra), bare_mpv(url, 0, 0, width, height, extra))
                for extra in ((), GPU_RENDERER)]
    finally:
        standin.terminate()
        standin.wait()

    print("stream %s, screen %dx%d, %.0f s each, CPU in %% of one core" % (url, width, height, SECONDS))
    print("%-40s %8s %8s %8s" % ("", "Home", "Live", "Player"))
    names = ("bare mpv (its own choice: %s)", "bare mpv (GPU renderer: %s)")
    for name, ((preview_cpu, output), (full_cpu, _)) in zip(names, bare):
        print("%-40s %8s %8.1f %8.1f" % (name % output, "", preview_cpu, full_cpu))
    for program, r in results:
        if len(r) < 3:
            print("%-40s did not reach the Player" % program)
            continue
        ratios = " | ".join("%.2fx / %.2fx" % (r["live"] / max(p, 0.1), r["player"] / max(f, 0.1))
                            for (p, _), (f, _) in bare)
        print("%-40s %8.1f %8.1f %8.1f   ratios %s" % (program[-40:], r["home"], r["live"], r["player"], ratios))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Timing script for the video layer (not a test: it only measures).

For each renderer (OpenGL, and software with VISTRA_FORCE_SW_RENDER=1):
  - first frame: the median time from "loadfile" to the first frame of the
    new clip drawn in the window, over ten loads of local 640x360 clips
    (red and green in turn, each load replacing the last, as a channel
    change does);
  - CPU: the probe process's CPU use while a 1080p clip loops in a
    640x360 preview rectangle (100 % = one core).
Usage (from the build folder's parent):
  xvfb-run -a -s "-screen 0 1280x720x24" python3 bench/video_timing.py build/tests/vistra_video_probe [seconds]
"""
import os
import statistics
import subprocess
import sys
import tempfile

PROBE = sys.argv[1]
SECONDS = sys.argv[2] if len(sys.argv) > 2 else "10"
LOADS = 10


def ffmpeg(source, path):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", source + ":rate=25:duration=10",
                    "-f", "lavfi", "-i", "sine=duration=10", "-c:v", "libx264", "-preset", "ultrafast", "-g", "25",
                    "-pix_fmt", "yuv420p", "-c:a", "aac", path], check=True)
    return path


def run(args, env_extra):
    env = dict(os.environ)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    env.update(env_extra)
    with tempfile.NamedTemporaryFile(suffix=".log") as log:
        subprocess.run([PROBE, log.name, *args], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300)
        return [line.rstrip("\n") for line in open(log.name)]


def main():
    folder = tempfile.mkdtemp(prefix="vistra-timing-")  # left for a look
    red = ffmpeg("color=c=red:size=640x360", os.path.join(folder, "red.mkv"))
    green = ffmpeg("color=c=green:size=640x360", os.path.join(folder, "green.mkv"))
    hd = ffmpeg("testsrc2=size=1920x1080", os.path.join(folder, "hd.mkv"))
    print("renderer   first frame (median of %d, ms)  cold load (ms)  CPU 1080p in 640x360 (%%)  frames/s" % LOADS)
    for name, env in (("opengl", {}), ("software", {"VISTRA_FORCE_SW_RENDER": "1"})):
        lines = run(["firstframe", red, green, str(LOADS)], env)
        times = [float(l.split()[1]) for l in lines if l.startswith("first_frame_ms ")]
        cpu_line = next((l for l in run(["cpu", hd, SECONDS], env) if l.startswith("cpu_percent ")), "")
        fields = cpu_line.split()
        cpu = fields[1] if fields else "?"
        fps = "%.1f" % (int(fields[5]) / float(fields[3])) if len(fields) > 5 else "?"
        median = "%.1f" % statistics.median(times) if len(times) == LOADS else "incomplete (%d)" % len(times)
        cold = "%.1f" % times[0] if times else "?"
        print("%-10s %-32s %-15s %-25s %s" % (name, median, cold, cpu, fps))
        print("           all loads: %s" % ", ".join("%.0f" % t for t in times))
        print("           %s" % cpu_line)


main()

#!/usr/bin/env python3
"""End-to-end test of the video layer under Xvfb.

Plays a clip made by ffmpeg (red, with a yellow band along its top) through
the real window, media engine and video layer (video_probe_main.cpp), once
with each renderer: OpenGL, and software (VISTRA_FORCE_SW_RENDER=1). Checks
the probe's read-back and a screenshot of the screen: the clip inside the
video rectangle, the right way up, and the interface's blue around it.
Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 video_probe_test.py <probe> <output folder>
The screenshots stay in the output folder for a look.
"""
import os
import shutil
import subprocess
import sys
import time

from e2e_support import check, failures, pixel, read_lines
from e2e_support import near as near_within
from e2e_support import screenshot as screenshot_into

PROBE, OUT = sys.argv[1], sys.argv[2]
RED, YELLOW, BLUE = (255, 0, 0), (255, 255, 0), (40, 90, 160)


def make_clip():
    path = os.path.join(OUT, "red_yellow_top.mkv")
    subprocess.run(["ffmpeg", "-v", "error", "-y",
                    "-f", "lavfi", "-i",
                    "color=c=red:size=640x360:rate=25:duration=10,"
                    "drawbox=x=0:y=0:w=640:h=90:color=yellow:t=fill",
                    "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", path], check=True)
    return path


def log_lines(log):
    return read_lines(log)


def wait_for_prefix(log, prefixes, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for line in log_lines(log):
            if line.startswith(prefixes):
                return line
        time.sleep(0.05)
    return None


def parse_colours(line):
    """"readpixels top=1,2,3 center=..." -> {"top": (1, 2, 3), ...}"""
    colours = {}
    for field in line.split()[1:]:
        name, _, value = field.partition("=")
        colours[name] = tuple(int(v) for v in value.split(","))
    return colours


def near(actual, expected, tolerance=40):
    return near_within(actual, expected, tolerance)


def screenshot(name):
    return screenshot_into(OUT, name)


def run_renderer(kind, env_extra, clip):
    log = os.path.join(OUT, "probe_%s.log" % kind)
    env = dict(os.environ)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    env.update(env_extra)
    probe = subprocess.Popen([PROBE, log, "check", clip], env=env)
    try:
        line = wait_for_prefix(log, ("ready", "gave up", "engine failed", "render context failed",
                                     "create failed"), 40)
        check(line == "ready", "%s: the clip's first frame shows (%s)" % (kind, line))
        check(("renderer " + kind) in log_lines(log), "%s: the %s render context is used" % (kind, kind))

        pixels = next((l for l in log_lines(log) if l.startswith("readpixels ")), None)
        colours = parse_colours(pixels) if pixels else {}
        check(near(colours.get("center"), RED), "%s: read-back middle of the video is red %s" %
              (kind, colours.get("center")))
        check(near(colours.get("top"), YELLOW), "%s: read-back top of the video is yellow (upright) %s" %
              (kind, colours.get("top")))
        for edge in ("bottom", "left", "right"):
            check(near(colours.get(edge), RED), "%s: read-back %s edge of the video is red %s" %
                  (kind, edge, colours.get(edge)))
        check(near(colours.get("outside"), BLUE, 3), "%s: read-back interface around the video is blue %s" %
              (kind, colours.get("outside")))

        # The screen itself: the presented frame, as a person sees it.
        shot = None
        for attempt in range(40):
            shot = screenshot("video_%s" % kind)
            w, h = shot[0], shot[1]
            if near(pixel(shot, w // 2, h // 2), RED):
                break
            time.sleep(0.1)
        w, h = shot[0], shot[1]
        vx, vy, vw, vh = w // 4, h // 4, w // 2, h // 2  # the probe's video rectangle
        check(near(pixel(shot, vx + vw // 2, vy + vh // 2), RED), "%s: screen shows red inside the video" % kind)
        check(near(pixel(shot, vx + vw // 2, vy + vh // 16), YELLOW), "%s: screen shows the yellow band on top" % kind)
        check(near(pixel(shot, vx + vw // 2, vy + vh - 4), RED), "%s: screen shows red at the video's bottom" % kind)
        for x, y in ((10, 10), (w - 10, h - 10), (vx - 6, vy + vh // 2), (vx + vw + 5, vy + vh // 2),
                     (vx + vw // 2, vy - 6), (vx + vw // 2, vy + vh + 5)):
            check(near(pixel(shot, x, y), BLUE, 3), "%s: screen shows the interface at (%d, %d)" % (kind, x, y))

        subprocess.run(["xdotool", "key", "Escape"], check=True)
        code = probe.wait(timeout=20)
        check(code == 0, "%s: the probe ends cleanly (exit %s)" % (kind, code))
    finally:
        if probe.poll() is None:
            probe.kill()
            probe.wait()


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    clip = make_clip()
    run_renderer("opengl", {}, clip)
    run_renderer("software", {"VISTRA_FORCE_SW_RENDER": "1"}, clip)
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)
    print("all checks passed")


main()

#!/usr/bin/env python3
"""End-to-end walk of the multi-view, under Xvfb on the demo provider.

Channel 1 full window, W: four tiles play channels 1-4 (four live streams
asked of the stand-in, four different test patterns on screen). Right and
Down move the focus, and only the focused tile's engine has a volume above
0. Enter fills the window with the focused tile (the others stop), Esc
brings the four tiles back (their streams asked again), Esc again leaves for
the Player with the focused channel. With the line's limit at two
connections, W opens two tiles and says so. Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 multiview_e2e.py \\
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (multiview_*.png).
"""
import os
import re
import shutil
import sys
import time

from e2e_support import check, finish, log_line_after, pixel, press, read_lines, running, RuntimeLog
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT = sys.argv[1:5]
DATA = os.path.join(OUT, "data")
LOG = os.path.join(DATA, "Vistra43", "runtime.log")
RUNTIME = RuntimeLog(LOG)
mark = RUNTIME.mark
line_after = RUNTIME.line_after
REQUESTS = os.path.join(OUT, "requests.log")


def stream_requests(since):
    """The live channel ids asked of the stand-in after request line `since`."""
    lines = read_lines(REQUESTS)[since:]
    return [m.group(1) for m in (re.search(r"GET /live/[^/]+/[^/]+/(\d+)\.", l) for l in lines) if m]


def request_mark():
    return len(read_lines(REQUESTS))


def volumes_of(line):
    found = re.search(r"volumes=([0-9.,]*)", line)
    return [float(v) for v in found.group(1).split(",") if v] if found else []


def quadrant_signature(shot, qx, qy):
    """Colours sampled over the lower three quarters of a quadrant (clear of
    the tile's label)."""
    width, height = shot[0], shot[1]
    left, top = qx * width // 2, qy * height // 2
    samples = []
    for j in range(3, 8):
        for i in range(1, 10):
            samples.append(pixel(shot, left + i * width // 20, top + j * height // 20))
    return samples


def difference(a, b):
    return sum(abs(x - y) for pa, pb in zip(a, b) for x, y in zip(pa, pb)) / max(len(a), 1)


def open_player():
    before = mark()
    press("Return")  # Home tile 0: Live, "All", channel 1 in the preview
    check(line_after("play live id=101", before) != "", "Live plays channel 1 in the preview")
    press("Right", "Return")  # the channel column, Enter: the Player
    time.sleep(3)


def four_tiles():
    open_player()
    before, asked = mark(), request_mark()
    press("w")
    opened = line_after("multiview open", before)
    check("tiles=4" in opened and "ids=101,102,103,104" in opened, "W opens four tiles of channels 1-4 (%s)" % opened)
    time.sleep(5)
    streams = stream_requests(asked)
    check(sorted(set(streams)) == ["102", "103", "104"], "three more live streams asked for (%s)" % streams)
    shot = screenshot_into(OUT, "multiview_four")
    signatures = [quadrant_signature(shot, qx, qy) for qy in (0, 1) for qx in (0, 1)]
    distinct = min(difference(signatures[a], signatures[b]) for a in range(4) for b in range(a + 1, 4))
    check(distinct > 20, "four different pictures in the four tiles (least difference %.0f)" % distinct)

    before = mark()
    press("Right")
    focus = line_after("multiview focus tile=1", before)
    volumes = volumes_of(focus)
    check(len(volumes) == 4 and volumes[1] > 0 and volumes[0] == volumes[2] == volumes[3] == 0,
          "Right focuses tile 2, the only one with sound (%s)" % focus)
    before = mark()
    press("Down")
    focus = line_after("multiview focus tile=3", before)
    volumes = volumes_of(focus)
    check(len(volumes) == 4 and volumes[3] > 0 and sum(volumes[:3]) == 0,
          "Down focuses tile 4, the only one with sound (%s)" % focus)
    time.sleep(1)
    screenshot_into(OUT, "multiview_focus")

    before = mark()
    press("Return")
    check("id=104" in line_after("multiview fill tile=3", before), "Enter fills the window with tile 4")
    time.sleep(2)
    screenshot_into(OUT, "multiview_filled")

    before, asked = mark(), request_mark()
    press("Escape")
    check(line_after("multiview restore tiles=3", before) != "", "Esc brings the other three tiles back")
    time.sleep(3)
    check(sorted(set(stream_requests(asked))) == ["101", "102", "103"], "and asks for their streams again")

    before = mark()
    press("Escape")
    check("id=104" in line_after("multiview close", before), "Esc again leaves the multi-view")
    check(line_after("play live id=104", before) != "", "the Player plays the focused channel")
    time.sleep(2)
    screenshot_into(OUT, "multiview_left")


def limited_to_two():
    open_player()
    before, asked = mark(), request_mark()
    press("w")
    check(line_after("multiview limit allowed=2", before) != "", "a line of two connections says its limit")
    check("tiles=2" in line_after("multiview open", before), "and W opens two tiles")
    time.sleep(4)
    screenshot_into(OUT, "multiview_limit")
    check(sorted(set(stream_requests(asked))) == ["102"], "one more live stream asked for")


def run(walk, extra_env):
    env = dict(os.environ, XDG_DATA_HOME=DATA, VISTRA_STANDIN_REQUEST_LOG=REQUESTS, **extra_env)
    started = mark()
    with running(VISTRA, STANDIN, MEDIA, env) as wid:
        check(wid is not None, "the window maps")
        check(log_line_after(LOG, "boot done", started, 60) >= 0, "boot done")
        time.sleep(1)
        walk()


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    run(four_tiles, {})
    run(limited_to_two, {"VISTRA_STANDIN_MAX_CONNECTIONS": "2"})
    finish()


if __name__ == "__main__":
    main()

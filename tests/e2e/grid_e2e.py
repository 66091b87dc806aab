#!/usr/bin/env python3
"""End-to-end walk of the programme grid under Xvfb on the demo provider.

From Live the P key opens the grid (its rows come from the demo's whole
guide, read after the catalog, without a request per channel), Esc goes back, the Live screen's "TV Guide"
button opens it again; Down and Enter on the running programme play that
channel full window ("play live"); from Live again, Left onto a programme
that ended and Enter on an archived channel replay it ("catchup play");
from the Player, P opens the grid and Esc goes back. The grid's now line
(a red vertical line) tells the grid is shown. Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 grid_e2e.py \
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (grid_*.png).
"""
import os
import shutil
import subprocess
import sys
import time

from e2e_support import check, finish, press, pixel, read_lines, running, RuntimeLog
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT = sys.argv[1:5]
DATA = os.path.join(OUT, "data")
LOG = os.path.join(DATA, "Vistra43", "runtime.log")
RUNTIME = RuntimeLog(LOG)
mark = RUNTIME.mark
wait_for_line = RUNTIME.index_after
NOW_LINE = (242, 64, 64)


def key(*names, pause=0.4):
    press(*names, pause=pause)


def click(x, y):
    subprocess.run(["xdotool", "mousemove", str(int(x)), str(int(y)), "click", "1"], check=True)
    time.sleep(0.6)


def now_line_pixels(shot):
    """Pixels of the now line's red where the grid draws it: right of the
    channel column, below the header band, within the first half hour."""
    width, height = shot[0], shot[1]
    count = 0
    for y in range(int(height * 0.60), int(height * 0.95), 3):
        for x in range(int(width * 0.22), int(width * 0.46)):
            if all(abs(a - b) <= 10 for a, b in zip(pixel(shot, x, y), NOW_LINE)):
                count += 1
    return count


def grid_shown(name):
    time.sleep(0.8)
    shot = screenshot_into(OUT, name)
    return now_line_pixels(shot) > 5, shot


def requested_ids(after):
    return {line.split("id=")[1].split()[0] for line in read_lines(LOG)[after:] if "guide request id=" in line}


def walk(width, height):
    before = mark()
    key("Return")  # Home tile 0: Live, "All", channel 1 in the preview
    check(wait_for_line("play live id=101", before) >= 0, "Live plays channel 1 in the preview")
    time.sleep(1.5)

    # The demo serves its whole guide (xmltv.php): read after the catalog,
    # it gives the grid every row without a request per channel, but for
    # the one channel it leaves out (DemoGuideGapId).
    check(wait_for_line("guide whole source=download programmes=", 0) >= 0, "the whole guide was read")
    before = mark()
    key("p")
    time.sleep(2)
    shown, _ = grid_shown("grid_key")
    check(shown, "P on Live opens the grid (its now line shows)")
    asked = requested_ids(before) - {"108"}
    check(not asked, "the whole guide serves the grid's rows: no request per channel (%s)" % sorted(asked))
    key("Right", "Right")
    screenshot_into(OUT, "grid_moved")
    key("Escape")
    shown, _ = grid_shown("grid_back_on_live")
    check(not shown, "Esc leaves the grid for Live")

    # The Live screen's fourth button, as LiveLayoutOf places it (the
    # channel menu's square one comes after it).
    left, right = width * 996 / 1920, width - width * 18 / 1920
    gap = width * 14 / 1920
    menu = height * (1055 - 997) / 1080
    button = (right - left - menu - 4 * gap) / 4
    click(left + 3 * (button + gap) + button / 2, height * 1026 / 1080)
    shown, _ = grid_shown("grid_pointer")
    check(shown, "the Live screen's TV Guide button opens the grid")

    before = mark()
    key("Down", "Return")  # channel 2's running programme: it has an archive, so live or from the start
    key("Return")  # live
    check(wait_for_line("play live id=102", before) >= 0, "Enter on a running programme plays its channel")
    time.sleep(2)
    screenshot_into(OUT, "grid_played_live")
    key("Escape")  # the Player back to Live
    time.sleep(1)

    key("p")
    time.sleep(4)  # channel 2's table with its past
    before = mark()
    key("Left")
    screenshot_into(OUT, "grid_past")
    key("Return")
    line = wait_for_line("catchup play id=102", before)
    check(line >= 0, "Enter on a past programme of an archived channel starts catch-up")
    time.sleep(2)
    key("p")  # from the Player
    shown, _ = grid_shown("grid_from_player")
    check(shown, "P on the Player opens the grid")
    key("Escape")
    shown, _ = grid_shown("grid_back_on_player")
    check(not shown, "Esc goes back to the Player")


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    env = dict(os.environ, XDG_DATA_HOME=DATA)
    with running(VISTRA, STANDIN, MEDIA, env) as wid:
        check(wid is not None, "the window maps")
        check(wait_for_line("boot done", timeout=60) >= 0, "boot done")
        time.sleep(1)
        s = screenshot_into(OUT, "grid_home")
        walk(s[0], s[1])
    finish()


if __name__ == "__main__":
    main()

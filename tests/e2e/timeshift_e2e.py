#!/usr/bin/env python3
"""End-to-end walk of live pause, the previous channel and the start on the
last channel, under Xvfb on the demo provider, with a 5-minute live buffer
chosen in preferences.json.

Channel 1 full window: Space pauses ("timeshift pause"), Space ten seconds
later resumes at least 8 s behind live, Left goes 10 s further back, L
returns to live (a pause and resume right after it is under 2 s behind).
Down zaps to channel 2, Tab goes back to channel 1 and Tab again to 2.
With the start on the last channel chosen, the next start opens channel 2
full window by itself. Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 timeshift_e2e.py \\
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (timeshift_*.png).
"""
import json
import os
import re
import shutil
import sys
import time

from e2e_support import check, finish, log_line_after, press, running, RuntimeLog
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT = sys.argv[1:5]
DATA = os.path.join(OUT, "data")
FOLDER = os.path.join(DATA, "Vistra43")
LOG = os.path.join(FOLDER, "runtime.log")
RUNTIME = RuntimeLog(LOG)
mark = RUNTIME.mark
line_after = RUNTIME.line_after


def behind_of(line):
    found = re.search(r"behind=([0-9.]+)", line)
    return float(found.group(1)) if found else -1.0


def write_preferences(start_on_last):
    os.makedirs(FOLDER, exist_ok=True)
    with open(os.path.join(FOLDER, "preferences.json"), "w") as f:
        json.dump({"liveBufferMinutes": 5, "startOnLastChannel": start_on_last}, f)


def pause_and_rewind():
    before = mark()
    press("Return")  # Home tile 0: Live, "All", channel 1 in the preview
    check(line_after("play live id=101", before) != "", "Live plays channel 1 in the preview")
    press("Right", "Return")  # the channel column, Enter: the Player
    time.sleep(12)  # the buffer holds more than the 10 s skip back after the pause

    before = mark()
    press("space")
    check(line_after("timeshift pause", before) != "", "Space pauses live")
    time.sleep(10)
    screenshot_into(OUT, "timeshift_paused")
    before = mark()
    press("space")
    resumed = behind_of(line_after("timeshift resume behind=", before))
    check(resumed >= 8, "resumed at least 8 s behind live after 10 s paused (%.1f)" % resumed)
    time.sleep(1)

    before = mark()
    press("Left")
    back = behind_of(line_after("timeshift seek behind=", before))
    check(back >= resumed + 9, "Left goes 10 s further back (%.1f after %.1f)" % (back, resumed))
    time.sleep(2)
    screenshot_into(OUT, "timeshift_behind")
    check(not line_after("play live id=", before, timeout=0.5), "Left skips in the buffer instead of zapping")

    before = mark()
    press("l")
    check(line_after("timeshift live", before) != "", "L returns to live")
    time.sleep(2)
    before = mark()
    press("space", "space", pause=0.3)
    at_live = behind_of(line_after("timeshift resume behind=", before))
    check(0 <= at_live < 2, "back at live, under 2 s behind (%.1f)" % at_live)


def previous_channel():
    before = mark()
    press("Down")
    check(line_after("play live id=102", before) != "", "Down zaps to channel 2")
    time.sleep(2)
    before = mark()
    press("Tab")
    check(line_after("play live id=101", before) != "", "Tab returns to channel 1")
    time.sleep(2)
    before = mark()
    press("Tab")
    check(line_after("play live id=102", before) != "", "Tab again goes to channel 2")
    time.sleep(2)
    screenshot_into(OUT, "timeshift_previous")


def run(walk):
    env = dict(os.environ, XDG_DATA_HOME=DATA)
    started = mark()
    with running(VISTRA, STANDIN, MEDIA, env) as wid:
        check(wid is not None, "the window maps")
        check(log_line_after(LOG, "boot done", started, 60) >= 0, "boot done")
        time.sleep(1)
        walk()


def start_on_last():
    before = mark()

    def walk():
        check(line_after("start on last channel id=102", before, 30) != "", "the start opens the last channel")
        check(line_after("play live id=102", before) != "", "and plays it")
        time.sleep(3)
        screenshot_into(OUT, "timeshift_start_last")
    write_preferences(True)
    run(walk)


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    write_preferences(False)

    def first():
        pause_and_rewind()
        previous_channel()
    run(first)
    start_on_last()
    finish()


if __name__ == "__main__":
    main()

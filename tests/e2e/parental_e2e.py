#!/usr/bin/env python3
"""End-to-end walk of parental control on the Live screen, keys only, under
Xvfb on the demo provider, with parental control on, the PIN 1357 and
channels 3 and 5 locked in a seeded settings.json.

In "All", Down from channel 2 reaches the locked channel 3 (no preview of
it); L there asks for the PIN: Esc keeps the lock, the right PIN takes it
off. Typing 5 (the locked channel 5) opens an empty PIN prompt, and the
right PIN then plays it. Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 parental_e2e.py \\
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (parental_*.png).
"""
import json
import os
import shutil
import sys
import time

from e2e_support import check, finish, press, running, walk_paths
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT, DATA, FOLDER, RUNTIME = walk_paths(sys.argv)
mark = RUNTIME.mark
line_after = RUNTIME.line_after
PIN = "1357"


def seed_settings():
    os.makedirs(FOLDER, exist_ok=True)
    with open(os.path.join(FOLDER, "settings.json"), "w") as f:
        f.write('{"ParentalPin":"%s","ParentalOn":true,"LockCh":["103","105"]}' % PIN)


def locked_channels():
    with open(os.path.join(FOLDER, "settings.json"), errors="replace") as f:
        return json.load(f).get("LockCh", [])


def reach_and_unlock():
    before = mark()
    press("Return")  # Home tile 0: Live, "All", channel 1 in the preview
    check(line_after("play live id=101", before) != "", "Live previews channel 1")
    press("Right", "Down")
    check(line_after("play live id=102", before) != "", "Down previews channel 2")
    before = mark()
    press("Down")  # channel 3, locked: the highlight stops on it
    check(line_after("play live id=", before, timeout=2) == "", "the locked channel 3 is not previewed")
    press("l")
    screenshot_into(OUT, "parental_unlock_prompt")
    press("Escape")
    check(line_after("parental PIN prompt cancelled", before, timeout=3) != "", "L on channel 3 asks for the PIN")
    check(locked_channels() == ["103", "105"], "a cancelled prompt keeps the lock (%s)" % locked_channels())
    before = mark()
    press("l", *PIN, "Return")
    time.sleep(0.5)
    check(locked_channels() == ["105"], "the right PIN takes channel 3's lock off (%s)" % locked_channels())
    check(line_after("parental PIN refused", before, timeout=0.5) == "", "the PIN was not refused")


def typed_number():
    time.sleep(2)  # the number entry of the walk so far has lapsed
    before = mark()
    press("5")  # the locked channel 5 by its number
    screenshot_into(OUT, "parental_number_prompt")
    press(*PIN, "Return")
    check(line_after("play live id=105", before) != "", "the right PIN after typing 5 plays channel 5")
    check(line_after("parental PIN refused", before, timeout=0.5) == "", "the prompt opened empty: the PIN was not refused")


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    seed_settings()
    env = dict(os.environ, XDG_DATA_HOME=DATA)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    with running(VISTRA, STANDIN, MEDIA, env) as wid:
        check(wid is not None, "the window maps")
        check(line_after("boot done", timeout=60) != "", "boot done")
        time.sleep(1)
        reach_and_unlock()
        typed_number()
    finish()


if __name__ == "__main__":
    main()

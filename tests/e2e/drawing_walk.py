#!/usr/bin/env python3
"""A walk over what is drawn over something else, in one language at one
window size, on the demo provider with a 5-minute live buffer:

  - live pause on Live (the preview's own state, End back to live) and on
    the Player (the strip's state an hour's width of text wide);
  - notices on Live, the programme grid and the multi-view, each checked
    against the text record (VISTRA_TEXT_BOXES): a notice's ink over no
    other text of its layer;
  - the seek notice of a movie ("0:10 / 1:30"), the subtitle picker with
    its "Off" row, subtitles above the shown strip, an episode's strip;
  - the PIN prompt and the pickers, opaque over the screen behind.

Screenshots (<stop>.png) and records (<stop>.json) stay in the output
folder for people to look at. Run as
  xvfb-run -a -s "-screen 0 1920x1080x24" python3 drawing_walk.py \\
      <vistra> <vistra_standin> <demo media folder> <output folder> [language]
"""
import json
import os
import shutil
import subprocess
import sys
import time

from e2e_support import check, finish, press, running, RuntimeLog

VISTRA, STANDIN, MEDIA, OUT = sys.argv[1:5]
LANGUAGE = sys.argv[5] if len(sys.argv) > 5 else "en"
DATA = os.path.join(OUT, "data")
FOLDER = os.path.join(DATA, "Vistra43")
BOXES = os.path.join(OUT, "text_boxes.json")
RUNTIME = RuntimeLog(os.path.join(FOLDER, "runtime.log"))
TOLERANCE = 2


def record():
    try:
        with open(BOXES) as f:
            return json.load(f)["layers"]
    except (OSError, ValueError, KeyError):
        return {}


def stop(name, settle=0.6):
    time.sleep(settle)
    subprocess.run(["import", "-window", "root", os.path.join(OUT, name + ".png")], check=True)
    layers = record()
    with open(os.path.join(OUT, name + ".json"), "w") as f:
        json.dump(layers, f, indent=1)
    return layers


def apart(a, b):
    return (a[2] <= b[0] + TOLERANCE or b[2] <= a[0] + TOLERANCE or
            a[3] <= b[1] + TOLERANCE or b[3] <= a[1] + TOLERANCE)


def check_notice(name, layers, wanted=True):
    """The notice's ink lies over no other text of its layer."""
    found = False
    for layer, content in layers.items():
        texts = content.get("texts", [])
        for toast in (t for t in texts if t.get("part") == "toast"):
            found = True
            under = [t["text"] for t in texts if t is not toast and t.get("part") != "modal"
                     and not apart(toast["ink"], t["ink"])]
            check(not under, "%s: the notice %r covers no text (%s)" % (name, toast["text"], ", ".join(under)))
    if wanted:
        check(found, "%s: a notice shows" % name)


def notice_stop(name, *keys):
    """The notice a key brings, checked on the first record that holds it
    (a loaded machine can take a while to paint)."""
    press(*keys, pause=0.1)
    deadline = time.time() + 2.0
    while time.time() < deadline and not any(t.get("part") == "toast" for c in record().values()
                                             for t in c.get("texts", [])):
        time.sleep(0.05)
    check_notice(name, stop(name, settle=0.4))


def write_settings():
    os.makedirs(FOLDER, exist_ok=True)
    with open(os.path.join(FOLDER, "preferences.json"), "w") as f:
        json.dump({"liveBufferMinutes": 5, "startOnLastChannel": False}, f)
    with open(os.path.join(FOLDER, "settings.json"), "w") as f:
        json.dump({"Lang": LANGUAGE}, f)


def home():
    press("Escape", "Escape", "Escape", "Escape", pause=0.3)
    press(*["Up"] * 7, pause=0.1)


def tile(index):
    press(*["Down"] * index, pause=0.1)
    press("Return")


def walk():
    mark = RUNTIME.mark
    before = mark()
    tile(0)  # Live
    check(RUNTIME.line_after("play live id=101", before) != "", "Live plays channel 1")
    time.sleep(4)
    press("Right")
    notice_stop("live_notice", "l")  # "Locked", on the preview
    press("l")
    time.sleep(2.6)
    before = mark()
    press("space")
    check(RUNTIME.line_after("timeshift pause", before) != "", "Space pauses the preview")
    time.sleep(8)
    stop("live_paused")
    before = mark()
    press("End")
    check(RUNTIME.line_after("timeshift live", before) != "", "End on Live returns to live")

    press("Return")  # the Player
    time.sleep(8)
    before = mark()
    press("space")
    check(RUNTIME.line_after("timeshift pause", before) != "", "Space pauses on the Player")
    time.sleep(5)
    stop("player_paused")
    press("space")
    time.sleep(1)
    before = mark()
    press("End")
    check(RUNTIME.line_after("timeshift live", before) != "", "End on the Player returns to live")
    time.sleep(1)

    press("w")  # the multi-view
    time.sleep(4)
    notice_stop("multiview_notice", "plus")
    press("c")
    stop("multiview_picker", settle=1.0)
    press("Escape")
    press("Escape", "Escape")

    press("p")  # the grid, from the Player or Live
    time.sleep(3)
    notice_stop("grid_notice", "minus")
    home()

    tile(1)  # Movies: the first one plays
    time.sleep(1.5)
    before = mark()
    press("Return")
    check(RUNTIME.line_after("play vod id=", before) != "", "a movie plays")
    time.sleep(3)
    press("Return")  # the strips first, so the frame is fresh
    time.sleep(1)
    notice_stop("seek_notice", "Right")
    press("t")
    stop("subtitle_picker", settle=1.0)
    press("Down", "Return")  # the first track
    for attempt in range(6):
        press("Return")  # the strips
        stop("subtitles_over_strip_%d" % attempt, settle=0.9)
    home()

    tile(2)  # Series: the first one's episodes, the first plays
    time.sleep(1.5)
    press("Return")
    time.sleep(2)
    before = mark()
    press("Return")
    check(RUNTIME.line_after("play vod id=", before) != "", "an episode plays")
    time.sleep(3)
    press("Return")
    stop("episode_strip", settle=0.5)
    home()

    tile(5)  # Settings: parental control on asks for a new PIN
    time.sleep(1)
    press("Right", "Right", "Right", "Return")
    stop("language_picker", settle=0.8)
    press("Escape")
    press("Left", "Left", "Return", "Down", "Return")
    stop("pin_prompt", settle=0.8)
    press("Escape")


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    write_settings()
    env = dict(os.environ, XDG_DATA_HOME=DATA, VISTRA_TEXT_BOXES=BOXES)
    with running(VISTRA, STANDIN, MEDIA, env) as wid:
        check(wid is not None and RUNTIME.line_after("boot done", 0, 60) != "", "the program boots")
        time.sleep(1.5)
        walk()
    finish()


if __name__ == "__main__":
    main()

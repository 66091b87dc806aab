#!/usr/bin/env python3
"""End-to-end walk of a provider outage under Xvfb on the demo provider,
whose live channels show one solid colour, with keys only.

Channel 1 plays full window; the stand-in's live streams go down for 15 s
(GET /stand-in/outage). The program stays on the Player, logs the loss and
its reconnect attempts, and draws "Connection lost — reconnecting…" in the
middle of the picture (its panel read from the screenshot); when the
streams are back the picture returns on the Player, without the message.
Then Esc shows the channel in the Live preview, and a second outage is
reconnected there too. The history holds the channel once for the one
viewing. Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 outage_e2e.py \\
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (outage_*.png).
"""
import json
import os
import shutil
import sys
import time
import urllib.request

from e2e_support import SOLID, check, finish, make_solid_media, near, pixel, running, walk_paths
from e2e_support import press
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT, DATA, FOLDER, RUNTIME = walk_paths(sys.argv)
mark = RUNTIME.mark
line_after = RUNTIME.line_after
PANEL = (15, 18, 26)  # the message's opaque panel


def shot(name):
    return screenshot_into(OUT, "outage_" + name)


def outage(base, seconds):
    with urllib.request.urlopen("%s/stand-in/outage?seconds=%d" % (base, seconds), timeout=5) as answer:
        check(answer.read() == b"ok", "the stand-in takes its live streams down for %d s" % seconds)


def panel_corner(width, height, video, outside=False):
    """A point inside the message's panel, clear of its text: just inside
    its top-left corner, the panel centred in `video` (x, y, w, h); or, with
    `outside`, as far left of the panel's edge (the picture)."""
    x, y, w, h = video
    scale = min(width / 1920.0, height / 1080.0)
    panel_w = min(w - 40 * scale, 820 * scale)
    panel_h = (40 + 32 + 40) * scale
    step = -8 * scale if outside else 8 * scale
    return int(x + (w - panel_w) / 2 + step), int(y + (h - panel_h) / 2 + 6 * scale)


def lost_and_back(base, video, where):
    """An outage under `video`; checks the message and the picture's return."""
    width, height = 1280, 720
    centre = (video[0] + video[2] // 2, video[1] + video[3] // 2)
    before = mark()
    outage(base, 15)
    check(line_after("stream lost url=", before, 25) != "", "%s: the loss is noticed" % where)
    check(line_after("reconnect attempt 1/10 url=", before, 10) != "", "%s: the first reconnect attempt" % where)
    time.sleep(1.5)
    s = shot(where + "_lost")
    corner = pixel(s, *panel_corner(width, height, video))
    beside = pixel(s, *panel_corner(width, height, video, outside=True))
    check(near(corner, PANEL, 12) and not near(beside, PANEL, 12),
          "%s: the message's panel shows over the picture %s beside %s" % (where, corner, beside))
    check(not line_after("stream ended on the player", before, 0.2), "%s: the stream is not given up" % where)
    check(line_after("reconnect ok", before, 45) != "", "%s: the stream plays again after the outage" % where)
    time.sleep(3)
    s = shot(where + "_back")
    check(near(pixel(s, *centre), SOLID, 40), "%s: the picture is back in place %s" % (where, pixel(s, *centre)))
    check(not near(pixel(s, *panel_corner(width, height, video)), PANEL, 12), "%s: the message is gone" % where)
    return before


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    media = os.path.join(OUT, "media")
    make_solid_media(media)
    env = dict(os.environ, XDG_DATA_HOME=DATA)
    started = mark()
    with running(VISTRA, STANDIN, media, env) as wid:
        base = env["VISTRA_PANEL_URL"]
        check(wid is not None, "the window maps")
        check(RUNTIME.index_after("boot done", started, 60) >= 0, "boot done")
        time.sleep(1)
        before = mark()
        press("Return")  # Home tile 0: Live, channel 1 in the preview
        check(line_after("play live id=101", before) != "", "Live plays channel 1 in the preview")
        press("Right", "Return")  # the channel column, Enter: the Player
        time.sleep(4)
        s = shot("playing")
        check(near(pixel(s, 640, 360), SOLID, 40), "channel 1 fills the window")

        first = lost_and_back(base, (0, 0, 1280, 720), "player")
        check(not line_after("play live id=", first, 0.2), "the Player reconnected in place, not through the list")

        press("Escape")  # the Live screen, the channel going on in the preview
        time.sleep(2)
        # The preview: the right half under the header (player/video_layout).
        lost_and_back(base, (640, 72, 640, 360), "preview")
        time.sleep(2)  # the tick writes the changed settings
    with open(os.path.join(FOLDER, "settings.json"), encoding="utf-8") as f:
        history = json.load(f).get("HistoryLive", [])
    check(history.count("101") == 1, "one viewing is one history entry (%s)" % history)
    finish()


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""End-to-end walk of the guides on the demo provider, under Xvfb, in UTC.

1. Three demo channels have no guide id; the provider's guide lists them
   under their names ("Planet Wild HD"): they are linked by name, and the
   grid fills them from that guide without a request of their own.
2. The channel menu (O) assigns channel 9 the guide of Jazz Lounge, typed
   into the picker; guide_map.json keeps it and a restart still uses it.
3. Catch-up was opened on Vistra News (archived); the provider then lists
   only what has not ended, and its whole guide is gone. After a restart, a
   programme of yesterday still plays from Catch-up, read from the kept
   listings.
4. The demo's extra guide source is added with an offset of +1 h: Little
   Stars, which the provider's guide leaves out, shows the source's
   programme of the hour before at the hour ("Story Hour 09" at 10:00).
Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 guide_e2e.py \\
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (guide_*.png).
"""
import json
import os
import re
import shutil
import sys
import time
import urllib.request

from e2e_support import check, finish, press, RuntimeLog, start_program, start_standin, stop
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT = sys.argv[1:5]
DATA = os.path.join(OUT, "data")
FOLDER = os.path.join(DATA, "Vistra43")
LOG = os.path.join(FOLDER, "runtime.log")
RUNTIME = RuntimeLog(LOG)
mark = RUNTIME.mark
line_after = RUNTIME.line_after


def shot(name):
    screenshot_into(OUT, "guide_" + name)


def read_json(name):
    try:
        with open(os.path.join(FOLDER, name), encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


def counted(line, key):
    found = re.search(key + r"=(\d+)", line)
    return int(found.group(1)) if found else -1


class Session:
    def __init__(self):
        self.env = dict(os.environ, XDG_DATA_HOME=DATA, TZ="UTC")
        self.server, playlist = start_standin(STANDIN, MEDIA, self.env)
        self.base = playlist.split("/get.php")[0]
        self.proc = None

    def start(self):
        before = mark()
        self.proc, wid = start_program(VISTRA, self.env)
        check(wid is not None, "the window maps")
        check(line_after("boot done", before, 60) != "", "boot done")
        return before

    def quit(self):
        before = mark()
        stop(self.proc)
        self.proc = None
        return before

    def close(self):
        if self.proc:
            stop(self.proc)
        stop(self.server)


def by_name_and_assigned(session):
    started = session.start()
    links = line_after("guide links", started, 60)
    check(counted(links, "name") == 3, "the three channels without a guide id are linked by name (%s)" % links)
    before = mark()
    press("Return", "p")  # Live, then the grid of its channels
    time.sleep(2)
    shot("grid")
    for channel in ("103", "106"):  # the third is below the rows shown
        check(line_after("guide fill id=%s source=0" % channel, before, 15) != "",
              "channel %s is filled from the provider's guide" % channel)
    check(RUNTIME.index_after("guide request id=103", before, 1) < 0, "and is not asked for on its own")
    press("Escape")  # back to Live
    press("Right", "9")  # the channel column, channel 9 (Hit Parade)
    time.sleep(2)  # the number entry ends
    before = mark()
    press("o")
    time.sleep(0.5)
    shot("channel_menu")
    press("Return")  # Assign guide
    time.sleep(1)
    press("j", "a", "z", "z")
    time.sleep(0.5)
    shot("picker")
    press("Return")
    chosen = line_after("guide choice id=109", before, 10)
    check("guide=jazzlounge.demo" in chosen, "the picker assigns Jazz Lounge's guide to channel 9 (%s)" % chosen)
    kept = read_json("guide_map.json").get("assignments", [])
    check(any(a.get("streamId") == "109" and a.get("guideId") == "jazzlounge.demo" for a in kept),
          "guide_map.json keeps the choice")
    # Catch-up of channel 1: its full table, yesterday included, is seen.
    before = mark()
    press("1")
    time.sleep(2)
    press("c")
    time.sleep(1)
    shot("catchup_seen")
    session.quit()
    check(line_after("guide past saved", started, 10) != "", "the past programmes seen are saved")


def choice_kept(session):
    started = session.start()
    links = line_after("guide links", started, 60)
    check(counted(links, "chosen") == 1, "the choice survives a restart (%s)" % links)
    before = mark()
    press("Return", "p")
    assigned = line_after("guide fill id=109", before, 15)
    press(*["Down"] * 11)  # the grid's last rows: Jazz Lounge's too
    jazz = line_after("guide fill id=110", before, 15)
    check(jazz != "" and jazz.split(" now=")[-1] == assigned.split(" now=")[-1],
          "channel 9 shows Jazz Lounge's programme (%s / %s)" % (assigned, jazz))
    session.quit()


def after_restart(session):
    # The provider now lists only what has not ended, and its whole guide is
    # gone (the copy kept of it too).
    urllib.request.urlopen(session.base + "/stand-in/guide-upcoming", timeout=5).read()
    for name in ("xmltv", "source.txt"):
        os.remove(os.path.join(FOLDER, "guide", name))
    started = session.start()
    links = line_after("guide links", started, 60)
    check(line_after("guide past read", started, 20) != "", "the kept listings are read")
    before = mark()
    press("Return", "1")
    time.sleep(2)
    press("c")
    check(line_after("epg rows=", before, 15) != "", "catch-up asks the provider, which lists no past")
    time.sleep(1)
    press("Left")
    time.sleep(0.5)
    shot("catchup_kept")
    before = mark()
    press("Return")
    played = line_after("catchup play id=101", before, 15)
    start = counted(played, "start")
    check(0 < start < time.time() - 3600, "a programme of yesterday plays from Catch-up (%s)" % played)
    press("Escape")
    time.sleep(1)
    session.quit()


def extra_source(session):
    prefs = read_json("preferences.json")
    prefs["guideSources"] = [{"url": session.base + "/demo/guide-extra.xml.gz", "offsetHours": 1}]
    with open(os.path.join(FOLDER, "preferences.json"), "w", encoding="utf-8") as f:
        json.dump(prefs, f)
    started = session.start()
    read = line_after("guide source 1", started, 60)
    check(" read " in read and counted(read, "linked") == 1, "the added source is read and links one channel (%s)" % read)
    before = mark()
    press("Return", "Right", "8")  # Live, channel 8 (Little Stars)
    time.sleep(2)
    hour = time.gmtime().tm_hour
    filled = line_after("guide fill id=108 source=1", before, 15)
    expected = "now=%02d:00  Story Hour %02d" % (hour, (hour + 23) % 24)
    check(expected in filled, "the source's programme shows an hour later: %s (%s)" % (expected, filled))
    shot("extra_source")
    session.quit()


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    session = Session()
    try:
        by_name_and_assigned(session)
        choice_kept(session)
        after_restart(session)
        extra_source(session)
    finally:
        session.close()
    finish()


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""End-to-end walk of recording and reminders, under Xvfb on the demo provider.

1. A line of two: Shift+R on Live records channel 1 while the preview zaps
   twice; after about 30 s Shift+R stops it. The file is an MPEG-TS of about
   30 s with video and audio (ffprobe), the stand-in never sees more than two
   streams at once, and the multi-view offers only the one tile left.
2. A line of one, with recordings.json seeded: one whose window passed while
   the program was closed is marked missed at start; one whose window is
   open starts at once and holds the only slot, so the Live preview is
   refused with a notice and nothing is opened; a provider outage cuts it
   and it ends partial.
3. A channel of one-minute programmes: a programme to come is scheduled from
   the grid (Shift+R) and a reminder set on the next one (B); the program is
   restarted in between; the recording starts a minute early (its padding)
   and ends with the programme; the reminder asks over the Player and Enter
   plays its channel.
Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 recording_e2e.py \\
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (recording_*.png).
"""
import json
import os
import re
import shutil
import subprocess
import sys
import time
import urllib.request

from e2e_support import check, finish, press, read_lines, RuntimeLog, start_program, start_standin, stop
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT = sys.argv[1:5]
DATA = os.path.join(OUT, "data")
VIDEOS = os.path.join(OUT, "videos")
FOLDER = os.path.join(DATA, "Vistra43")
LOG = os.path.join(FOLDER, "runtime.log")
RECORDINGS = os.path.join(FOLDER, "recordings.json")
RUNTIME = RuntimeLog(LOG)
mark = RUNTIME.mark
line_after = RUNTIME.line_after


def shot(name):
    screenshot_into(OUT, "recording_" + name)


def recordings():
    try:
        with open(RECORDINGS, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {"recordings": [], "reminders": []}


def recording(rid):
    return next((r for r in recordings()["recordings"] if r["id"] == rid), {})


def connections(base):
    """(open now, most open at once) as the stand-in counts its streams."""
    text = urllib.request.urlopen(base + "/stand-in/connections", timeout=5).read().decode()
    found = re.search(r"now=(\d+) peak=(\d+)", text)
    return (int(found.group(1)), int(found.group(2))) if found else (-1, -1)


def probe(path):
    """(container, duration in seconds, stream kinds) of a written file."""
    out = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=format_name,duration:stream=codec_type",
                          "-of", "json", path], capture_output=True, text=True)
    try:
        info = json.loads(out.stdout)
    except ValueError:
        return "", 0.0, []
    fmt = info.get("format", {})
    return fmt.get("format_name", ""), float(fmt.get("duration", 0) or 0), \
        sorted({s.get("codec_type", "") for s in info.get("streams", [])})


def record_id(line):
    found = re.search(r"id=(\S+)", line)
    return found.group(1) if found else ""


class Session:
    """The stand-in and the program; the program can be restarted alone."""

    def __init__(self, extra_env, seed=None):
        self.env = dict(os.environ, XDG_DATA_HOME=DATA, XDG_VIDEOS_DIR=VIDEOS, **extra_env)
        self.server, playlist = start_standin(STANDIN, MEDIA, self.env)
        self.base = playlist.split("/get.php")[0]
        if seed:
            os.makedirs(FOLDER, exist_ok=True)
            with open(RECORDINGS, "w", encoding="utf-8") as f:
                json.dump(seed(self.base), f)
        self.proc = None

    def start(self):
        before = mark()
        self.proc, wid = start_program(VISTRA, self.env)
        check(wid is not None, "the window maps")
        check(line_after("boot done", before, 60) != "", "boot done")
        time.sleep(1)

    def restart(self):
        stop(self.proc)
        self.start()

    def close(self):
        if self.proc:
            stop(self.proc)
        stop(self.server)


def record_now():
    session = Session({"VISTRA_STANDIN_MAX_CONNECTIONS": "2"})
    try:
        session.start()
        before = mark()
        press("Return")  # Home tile 0: Live, channel 1 in the preview
        check(line_after("play live id=101", before) != "", "Live plays channel 1 in the preview")
        before = mark()
        press("shift+r")
        started = line_after("record start", before)
        rid = record_id(started)
        check("channel=101" in started, "Shift+R records channel 1 (%s)" % started)
        began = time.time()
        before = mark()
        press("Right", "Down")
        check(line_after("play live id=102", before) != "", "the preview zaps to channel 2 meanwhile")
        before = mark()
        press("Down")
        check(line_after("play live id=103", before) != "", "and to channel 3")
        time.sleep(2)
        shot("live")
        press("Return")  # the Player on channel 3
        time.sleep(2)
        before = mark()
        press("w")
        check(line_after("multiview limit allowed=1", before, 5) != "",
              "the multi-view has one tile left beside the recording")
        time.sleep(max(0.0, 30 - (time.time() - began)))
        press("Escape", "Up", "Up")  # back to Live, channel 1
        before = mark()
        press("shift+r")
        check(line_after("record stop id=" + rid, before) != "", "Shift+R on channel 1 stops its recording")
        check(line_after("record state id=%s done" % rid, before) != "", "and it is done")
        time.sleep(2)
        now, peak = connections(session.base)
        check(peak <= 2, "the stand-in never saw more than two streams at once (peak %d)" % peak)
        entry = recording(rid)
        path = entry.get("file", "")
        check(path.startswith(os.path.join(VIDEOS, "Vistra")), "written in the videos folder (%s)" % path)
        kind, seconds, streams = probe(path)
        check("mpegts" in kind and 25 <= seconds <= 40 and streams == ["audio", "video"],
              "an MPEG-TS of about 30 s with video and audio (%s, %.1f s, %s)" % (kind, seconds, streams))
        press("r")  # Live: the Recordings screen
        time.sleep(1)
        shot("screen")
        before = mark()
        press("Return")
        check(line_after("play recording id=" + rid, before, 10) != "", "Enter there plays the recording")
        time.sleep(3)
        press("Right")  # seeks as in a movie
        time.sleep(1.5)
        shot("playing")
        press("Escape")  # back to the Recordings screen, where Delete asks
        time.sleep(1)
        before = mark()
        press("Delete")
        time.sleep(0.5)
        press("Left", "Return")  # Yes
        check(line_after("record delete id=" + rid, before, 5) != "", "Delete there, answered Yes, deletes it")
        check(not os.path.exists(path) and not recording(rid), "the file and its entry are gone")
    finally:
        session.close()


def limit_of_one():
    now = int(time.time())

    def seed(base):
        account = "demo@" + base
        common = {"account": account, "streamId": "101", "channel": "Vistra News", "paddingBefore": 0,
                  "paddingAfter": 0, "everyAiring": False, "state": "scheduled", "file": "", "writtenFrom": 0,
                  "writtenTo": 0, "bytes": 0}
        return {"recordings": [dict(common, id="missed", title="Gone", start=now - 7200, end=now - 3600),
                               dict(common, id="open", title="Now", start=now - 30, end=now + 900)],
                "reminders": []}

    session = Session({"VISTRA_STANDIN_MAX_CONNECTIONS": "1"}, seed)
    try:
        before = mark()
        session.start()
        check(recording("missed").get("state") == "missed", "a window passed while closed is marked missed")
        check(line_after("record start id=open", before, 20) != "", "an open window starts at once")
        time.sleep(2)
        before = mark()
        press("Return")  # Live: its preview would be a second stream
        check(line_after("conn refused main", before, 10) != "", "the preview is refused: the line is full")
        time.sleep(0.5)
        shot("line_full")
        now_open, peak = connections(session.base)
        check(peak == 1, "nothing more was opened (peak %d)" % peak)
        before = mark()
        urllib.request.urlopen(session.base + "/stand-in/outage?seconds=20", timeout=5).read()
        check(line_after("record state id=open partial", before, 30) != "", "a cut stream ends partial")
        check(recording("open").get("bytes", 0) > 0, "what was written is kept")
    finally:
        session.close()


def scheduled_and_reminded():
    prefs = os.path.join(FOLDER, "preferences.json")
    session = Session({"VISTRA_STANDIN_MAX_CONNECTIONS": "3", "VISTRA_STANDIN_MINUTE_CHANNEL": "102"})
    try:
        os.makedirs(FOLDER, exist_ok=True)
        with open(prefs, "w", encoding="utf-8") as f:
            json.dump({"paddingBeforeMinutes": 1, "paddingAfterMinutes": 0}, f)
        session.start()
        press("Return")  # Live
        time.sleep(2)
        press("Right", "Down")  # channel 2, the one-minute programmes
        time.sleep(1)
        press("p")
        time.sleep(3)
        # Two programmes on: the first of the one-minute ones may have begun
        # by now, and Shift+R on a running one records at once.
        press("Right", "Right")
        before = mark()
        press("shift+r")
        line = line_after("record schedule", before, 5)
        start = int(re.search(r"start=(\d+)", line).group(1)) if "start=" in line else 0
        for _ in range(3):
            if not start or start - 60 - time.time() >= 25:
                break
            # Its window opens too soon to restart before it: the one after.
            before = mark()
            press("shift+r", "Right", "shift+r")
            line = line_after("record schedule", before, 5)
            start = int(re.search(r"start=(\d+)", line).group(1)) if "start=" in line else 0
        rid = record_id(line)
        check(start > time.time(), "Shift+R in the grid schedules a programme to come (%s)" % line)
        press("Right", "b")
        time.sleep(1)
        shot("grid")
        check(len(recordings()["reminders"]) == 1, "B sets a reminder on the next one")

        session.restart()
        check(recording(rid).get("state") == "scheduled", "still scheduled after the restart")
        press("Return")
        time.sleep(2)
        press("Right", "Return")  # the Player, channel 1
        before = mark()
        check(line_after("record start id=" + rid, before, start - time.time() + 20) != "",
              "the recording starts with its padding before")
        started = time.time()
        check(abs(started - (start - 60)) < 8, "a minute before the programme (%.0f s off)" % (started - start + 60))
        before = mark()
        check(line_after("reminder due", before, start + 60 - time.time() + 20) != "", "the reminder comes due")
        time.sleep(1.5)
        shot("reminder")
        before = mark()
        press("Return")
        check(line_after("play live id=102", before, 10) != "", "Enter on the question plays its channel")
        check(line_after("record state id=%s done" % rid, 0, start + 60 - time.time() + 30) != "",
              "the scheduled recording ends done")
        kind, seconds, streams = probe(recording(rid).get("file", ""))
        check("mpegts" in kind and 105 <= seconds <= 135 and streams == ["audio", "video"],
              "the programme with its minute of padding (%s, %.1f s, %s)" % (kind, seconds, streams))
    finally:
        session.close()


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    for walk in (record_now, limit_of_one, scheduled_and_reminded):
        shutil.rmtree(FOLDER, ignore_errors=True)
        walk()
    finish()


if __name__ == "__main__":
    main()

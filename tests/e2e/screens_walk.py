#!/usr/bin/env python3
"""A walk over every screen and every overlay at 1280x720, 1920x1080 and
3840x2160, checking on each stop what a viewer would see wrong.

The program runs with VISTRA_TEXT_BOXES, so it writes where each text of
its last frames went (the box it was given and its ink). At each stop the
walk saves a screenshot and that record, then checks:
  - no text's ink outside its box, and no two texts' ink over each other on
    one layer (each rectangle rendered to a mask; the few intended cases are
    allowed by name below);
  - the focused item's text against its background, contrast >= 4.5
    (WCAG), measured on the screenshot's pixels;
  - on the Player, 3 s after the last key with the pointer resting in the
    window, no strip left (no strip text, and the strip bands show the video);
  - on the Player, a notice shows once (one text, on the strip layer).
Run by CTest as
  python3 screens_walk.py <vistra> <vistra_standin> <output folder>
which runs one walk per size, each under its own xvfb-run; or, for one size
(under a display of that size already),
  python3 screens_walk.py --one <vistra> <vistra_standin> <output folder>
Every failure is printed with its stop and size; the screenshots, the
records and report.txt stay in the output folder.
"""
import json
import os
import shutil
import subprocess
import sys
import time

from e2e_support import SOLID, check, failures, make_solid_media, parse_ppm, pixel, read_lines, running

SIZES = ("1280x720", "1920x1080", "3840x2160")
TOLERANCE = 3  # px of ink past a box: antialiasing, and glyphs such as "J" that hang past their origin
MIN_CONTRAST = 4.5

# Intended overlaps: (stop, text, text) on one layer, either order. None so
# far: a button's caption is one text over a fill, never over another text.
ALLOWED_OVERLAPS = set()


# --- Screenshots and the record ---------------------------------------------

CONVERSIONS = []  # PNG files being written in the background


def screenshot_into(folder, name):
    """(width, height, rgb bytes) of the screen, captured once; the PNG for
    people is written from the same capture while the walk goes on."""
    ppm = subprocess.run(["import", "-window", "root", "ppm:-"], check=True, capture_output=True).stdout
    raw = os.path.join(folder, name + ".ppm")
    with open(raw, "wb") as f:
        f.write(ppm)
    CONVERSIONS.append(subprocess.Popen(["sh", "-c", 'convert "$1" "$2" && rm "$1"', "sh", raw,
                                         os.path.join(folder, name + ".png")]))
    return parse_ppm(ppm)


class Walk:
    def __init__(self, out):
        self.out = out
        self.data = os.path.join(out, "data")
        self.log = os.path.join(self.data, "Vistra43", "runtime.log")
        self.requests = os.path.join(out, "requests.log")
        self.boxes = os.path.join(out, "text_boxes.json")
        self.size = (0, 0)
        self.faults = []   # (stop, what)
        self.stops = []

    def record(self):
        try:
            with open(self.boxes) as f:
                return json.load(f)["layers"]
        except (OSError, ValueError, KeyError):
            return {}

    def fault(self, stop, what):
        self.faults.append((stop, what))
        check(False, "%s %s: %s" % ("x".join(map(str, self.size)), stop, what))

    def stop(self, name, focus=None, settle=0.8):
        """A screenshot with the record that matches it (read before and
        after; taken again while they differ), then the checks of a stop."""
        time.sleep(settle)
        # The record settles first (no change for 0.4 s), so the screen shows
        # its frame; taken again while it changes during the capture.
        settled, deadline = self.record(), time.time() + 5
        while time.time() < deadline:
            time.sleep(0.4)
            latest = self.record()
            if latest == settled:
                break
            settled = latest
        for _ in range(4):
            before = self.record()
            shot = screenshot_into(self.out, name)
            after = self.record()
            if before == after:
                break
            time.sleep(0.4)
        self.size = (shot[0], shot[1])
        with open(os.path.join(self.out, name + ".json"), "w") as f:
            json.dump(after, f, indent=1)
        self.stops.append(name)
        self.check_boxes(name, after)
        if focus is not None:
            self.check_focus(name, after, shot, focus)
        return shot, after

    # (a) boxes and overlaps
    def check_boxes(self, name, layers):
        texts = []
        for layer in ("interface", "strips"):
            for t in layers.get(layer, {}).get("texts", []):
                texts.append((layer, t))
        for layer, t in texts:
            box, ink = t["box"], t["ink"]
            out = (box[0] - ink[0], box[1] - ink[1], ink[2] - box[2], ink[3] - box[3])
            if max(out) > TOLERANCE:
                self.fault(name, "%s text %r (%s) runs out of its box by %.0f px (box %s, ink %s)" % (
                    layer, t["text"], t["part"], max(out), rounded(box), rounded(ink)))
        for i in range(len(texts)):
            for j in range(i + 1, len(texts)):
                (la, a), (lb, b) = texts[i], texts[j]
                if not over_each_other(la, a, lb, b):
                    continue
                area = mask_overlap(a["ink"], b["ink"])
                if area < 4:
                    continue
                if (name, a["text"], b["text"]) in ALLOWED_OVERLAPS or (name, b["text"], a["text"]) in ALLOWED_OVERLAPS:
                    continue
                self.fault(name, "%s/%s text %r and %s/%s text %r overlap (%d px; inks %s and %s)" % (
                    la, a["part"], a["text"], lb, b["part"], b["text"], area, rounded(a["ink"]), rounded(b["ink"])))

    # (b) focus contrast
    def check_focus(self, name, layers, shot, focus):
        found = [t for t in layers.get("interface", {}).get("texts", []) + layers.get("strips", {}).get("texts", [])
                 if t["text"] == focus]
        if not found:
            self.fault(name, "the focused text %r is not drawn" % focus)
            return
        # An overlay's own text before the screen's under it; else the first
        # (a list row before the same name in an info panel).
        found.sort(key=lambda t: t["part"] != "modal")
        ratio, text_rgb, back_rgb = contrast_at(shot, found[0]["ink"])
        print("     %s: focused %r contrast %.2f (text %s on %s)" % (name, focus, ratio, text_rgb, back_rgb), flush=True)
        if ratio < MIN_CONTRAST:
            self.fault(name, "the focused %r has contrast %.2f < %.1f (text %s on %s)" % (
                focus, ratio, MIN_CONTRAST, text_rgb, back_rgb))

    def report(self):
        with open(os.path.join(self.out, "report.txt"), "w") as f:
            f.write("size %dx%d, %d stops, %d faults\n" % (self.size[0], self.size[1], len(self.stops), len(self.faults)))
            for stop in self.stops:
                mine = [what for s, what in self.faults if s == stop]
                f.write("%-24s %s\n" % (stop, "ok" if not mine else "%d fault(s)" % len(mine)))
                for what in mine:
                    f.write("    %s\n" % what)


def rounded(rect):
    return "[%s]" % ",".join("%.0f" % v for v in rect)


def over_each_other(la, a, lb, b):
    """Whether two texts share a place where one would hide the other: the
    same layer and painter, or the strips over the toast or a modal (the
    strips lie above the whole interface layer)."""
    if la == lb:
        return a["part"] == b["part"]
    parts = {a["part"], b["part"]}
    return "strips" in (la, lb) and bool(parts & {"toast", "modal"})


def mask_overlap(a, b):
    """Pixels set in both masks of two ink rectangles (rendered to whole
    pixels: a pixel is in a rectangle's mask when the rectangle covers its
    middle)."""
    def span(lo, hi):
        return int(lo + 0.5), int(hi + 0.5)
    ax0, ax1 = span(a[0], a[2])
    ay0, ay1 = span(a[1], a[3])
    bx0, bx1 = span(b[0], b[2])
    by0, by1 = span(b[1], b[3])
    w = min(ax1, bx1) - max(ax0, bx0)
    h = min(ay1, by1) - max(ay0, by0)
    return w * h if w > 0 and h > 0 else 0


def luminance(rgb):
    def channel(c):
        c = c / 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def contrast_at(shot, ink):
    """The background is the commonest colour in the ink rectangle (most of
    a text's box is the space between its strokes); the text is the pixel
    there that stands out from it most (the core of a stroke)."""
    width, height, _ = shot
    x0, y0 = max(0, int(ink[0])), max(0, int(ink[1]))
    x1, y1 = min(width, int(ink[2] + 0.999)), min(height, int(ink[3] + 0.999))
    counts = {}
    for y in range(y0, y1):
        for x in range(x0, x1):
            p = pixel(shot, x, y)
            counts[p] = counts.get(p, 0) + 1
    if not counts:
        return 0.0, None, None
    back = max(counts, key=counts.get)
    text = max(counts, key=lambda p: contrast(p, back))
    return contrast(text, back), text, back


# --- Driving the program ---------------------------------------------------

def key(*names, pause=0.2):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(pause)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "80", text], check=True)


def wait_for(walk, fragment, after=0, timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        lines = read_lines(walk.log)
        if any(fragment in line for line in lines[after:]):
            return True
        time.sleep(0.1)
    return False


def mark(walk):
    return len(read_lines(walk.log))


def requested(walk, fragment):
    return sum(1 for line in read_lines(walk.requests) if fragment in line)


def home(walk):
    """Back to Home with its first tile focused, from any screen."""
    for _ in range(4):
        key("Escape", pause=0.25)
    key(*["Up"] * 7, pause=0.1)


def tile(index):
    key(*["Down"] * index, pause=0.1)
    key("Return")


def walk_screens(walk):
    w, h = walk.size
    walk.stop("home", focus="Live")
    key("Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return")  # Exit: the question
    walk.stop("question_dialog", focus="No")
    key("Escape")
    subprocess.run(["xdotool", "mousemove", str(w - 44), "46", "click", "1"], check=True)  # the bell
    walk.stop("messages_panel")
    key("Escape")
    # From here the pointer rests mid-window, over no strip of the Player.
    subprocess.run(["xdotool", "mousemove", str(w // 2), str(h // 2)], check=True)
    home(walk)

    before = mark(walk)
    tile(0)  # Live, "All"
    wait_for(walk, "play live id=101", before, 10)
    walk.stop("live_categories", focus="All", settle=1.5)
    key("Right")
    walk.stop("live_channels", focus="Vistra News")
    key("F1")
    walk.stop("key_help_live")
    key("Escape")
    # The channel's menu, and Assign guide: the guide's channels with their
    # programme on now, the channel's likely match first; typing filters.
    key("o")
    walk.stop("channel_menu", focus="Assign guide")
    key("Return")
    walk.stop("guide_picker", settle=1.0)
    type_text("wo")
    walk.stop("guide_picker_filtered", settle=0.5)
    key("Escape")
    key("h")
    walk.stop("live_history", focus="Vistra News")
    key("Escape")
    key("c")
    walk.stop("catchup", settle=1.5)
    key("Escape")
    key("p")
    walk.stop("grid", settle=4.0)  # the guide of the rows shown arrives a few at a time
    # The marks: the running programme's channel records, the next
    # programme is scheduled, the one after it has a reminder.
    key("shift+r", "Right", "shift+r", "Right", "b")
    walk.stop("grid_marks", settle=0.8)
    key("Return")  # a programme to come: the choices
    walk.stop("grid_choices", settle=0.5)
    key("Down", "Down", "Down", "Return")  # the last: its description
    walk.stop("grid_description", settle=0.5)
    key("Escape", "Escape")
    # Live and the Player mark the channel being recorded; Shift+R stops it.
    walk.stop("live_recording", focus="Vistra News")
    key("Return")
    time.sleep(1.0)
    key("Return")
    walk.stop("player_recording", settle=0.3)
    key("Escape", "shift+r")
    key("r")
    walk.stop("recordings_empty")  # the recording just stopped, or none
    key("Escape")
    key("g")
    walk.stop("groups")
    key("n")
    type_text("Evening")
    walk.stop("text_prompt")
    key("Escape", "Escape")
    key("s")
    type_text("harb")
    walk.stop("search_results")
    key("Escape")

    # The Player on a live channel: strips, a notice, the strips hiding.
    key("Right", "Return")
    time.sleep(1.0)
    key("Return")
    walk.stop("player_live", settle=0.3)
    key("question")  # "?" opens the key help where no text is typed
    walk.stop("key_help_player", settle=0.5)
    key("Escape")
    key("v")
    walk.stop("player_live_expanded", settle=0.3)
    key("v")
    key("space", pause=0)
    # The notice is checked on the first frame that shows it: at 3840x2160
    # on a loaded machine the stop's screenshot can outlast its 2.5 s.
    deadline, shown = time.time() + 2.5, {}
    while time.time() < deadline:
        shown = walk.record()
        if toast_texts(shown):
            break
        time.sleep(0.05)
    walk.stop("player_notice", settle=0)
    check_one_notice(walk, "player_notice", shown)
    key("space")
    time.sleep(3.2)
    shot, layers = walk.stop("player_live_idle", settle=0.3)
    check_strips_hidden(walk, "player_live_idle", shot, layers, live=True)
    home(walk)

    tile(1)  # Movies
    walk.stop("movies", focus="Harbour Lights", settle=1.2)
    before = mark(walk)
    key("Return")
    wait_for(walk, "play vod id=", before, 10)
    time.sleep(1.5)
    key("Return")
    walk.stop("player_movie", settle=0.3)
    key("a")
    walk.stop("track_picker", focus="eng", settle=0.5)
    key("Escape")
    time.sleep(3.2)
    shot, layers = walk.stop("player_movie_idle", settle=0.3)
    check_strips_hidden(walk, "player_movie_idle", shot, layers, live=False)
    home(walk)

    tile(2)  # Series
    walk.stop("series", focus="The Lighthouse", settle=1.2)
    key("Return")
    time.sleep(1.5)
    walk.stop("episodes", focus="S1  The Lighthouse S01E01 - Arrival")
    home(walk)

    tile(3)  # Sports
    deadline = time.time() + 10
    while time.time() < deadline and requested(walk, "eventsday.php") == 0:
        time.sleep(0.3)
    walk.stop("sports", settle=1.5)
    home(walk)

    tile(4)  # the Account and playlist screen
    walk.stop("account", settle=1.5)
    home(walk)

    tile(5)  # Settings, cell 0
    walk.stop("settings", focus="Add Playlist")
    key("Right", "Right", "Right", "Return")  # the language picker
    walk.stop("option_picker", focus="English")
    key("Escape")
    key("Left", "Left", "Down", "Return")  # cell 5: hide categories of Live
    walk.stop("hide_categories", focus="[ ]  News")
    key("Escape")
    # Last, as it may leave parental control on (which guards hiding).
    key("Up", "Return", "Down", "Return")  # cell 1, parental control ON: the PIN prompt
    walk.stop("pin_prompt")
    key("Escape")
    key("Right", "Down", "Down", "Down", "Down", "Down", "Right", "Return")  # the speed test
    walk.stop("speed_test", focus="Start test")
    key("Return")
    deadline = time.time() + 20
    while time.time() < deadline and requested(walk, "/__up") == 0:
        time.sleep(0.5)
    walk.stop("speed_test_report", settle=1.5)
    key("Escape")
    home(walk)

    # The key help in a language of long words, on Live and on the Player.
    tile(5)
    key("Right", "Right", "Right", "Return", "Down", "Down", "Return")  # Deutsch
    home(walk)
    tile(0)
    key("Right", "F1")
    walk.stop("key_help_live_de")
    key("Escape", "Return")
    time.sleep(1.0)
    key("F1")
    walk.stop("key_help_player_de", settle=0.5)
    key("Escape")
    home(walk)


def seed_recordings(data):
    """recordings.json with one recording of each state, around now: one in
    progress, two scheduled (one a rule), a whole one, a partial one with a
    100-character title, a failed, a missed and a cancelled one."""
    now = int(time.time())
    hour = 3600
    long_title = ("The Very Long Evening Documentary About Lighthouses, Harbours and the People Who Keep "
                  "Them Still Lit")
    assert len(long_title) == 100
    rows = [
        ("r1", "101", "Vistra News", "Morning Bulletin", now - 600, now + 1200, "recording", False, now - 660, now, 52000000),
        ("r2", "102", "Vistra Sport", "Cup Final", now + 2 * hour, now + 4 * hour, "scheduled", False, 0, 0, 0),
        ("r3", "103", "Vistra Movies", "Harbour Lights", now + 5 * hour, now + 7 * hour, "scheduled", True, 0, 0, 0),
        ("r4", "101", "Vistra News", "Evening News", now - 6 * hour, now - 5 * hour, "done", False,
         now - 6 * hour - 60, now - 5 * hour + 300, 1240000000),
        ("r5", "104", "Vistra Docs", long_title, now - 30 * hour, now - 28 * hour, "partial", False,
         now - 30 * hour - 60, now - 29 * hour, 860000000),
        ("r6", "105", "Vistra Kids", "Cartoon Hour", now - 50 * hour, now - 49 * hour, "failed", False, 0, 0, 0),
        ("r7", "106", "Vistra Music", "Top Twenty", now - 74 * hour, now - 73 * hour, "missed", False, 0, 0, 0),
        ("r8", "102", "Vistra Sport", "Highlights", now - 98 * hour, now - 97 * hour, "cancelled", False, 0, 0, 0),
    ]
    entries = [{"id": r[0], "account": "", "streamId": r[1], "channel": r[2], "title": r[3], "start": r[4],
                "end": r[5], "paddingBefore": 60, "paddingAfter": 300, "everyAiring": r[7], "state": r[6],
                "file": "/tmp/%s.ts" % r[0] if r[10] else "", "writtenFrom": r[8], "writtenTo": r[9],
                "bytes": r[10]} for r in rows]
    folder = os.path.join(data, "Vistra43")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "recordings.json"), "w") as f:
        json.dump({"recordings": entries, "reminders": []}, f, indent=2)


def walk_recordings(walk):
    """The Recordings screen of a seeded recordings.json, reached from Home."""
    key("r")
    walk.stop("recordings", focus="Vistra News  \u2013  Morning Bulletin")
    key("s")
    walk.stop("recording_settings")  # the folder and the minutes before and after, in the language left set
    key("Return")
    walk.stop("recording_folder_prompt")
    key("Escape")
    key("F1")
    walk.stop("key_help_recordings")
    key("Escape", "Escape")


def seed_guide_sources(data):
    """preferences.json with two guide sources of the user's, both failing
    (nothing listens on port 9), one a 100-character address, and the
    provider's guide an hour late."""
    long_url = "http://127.0.0.1:9/guides/" + "a-very-long-name-of-a-regional-guide-"
    long_url += "x" * (100 - len(long_url) - 9) + "uk.xml.gz"
    assert len(long_url) == 100
    folder = os.path.join(data, "Vistra43")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "preferences.json"), "w") as f:
        json.dump({"guideSources": [{"url": "http://127.0.0.1:9/epg.xml", "offsetHours": 0},
                                    {"url": long_url, "offsetHours": -2}],
                   "providerGuideOffsetHours": 1}, f, indent=2)


def walk_guide_sources(walk):
    """The guide sources, reached from the Live TV setting, their options and
    the review of unsure matches (as many as the demo provider's names
    give), from Home."""
    tile(5)
    key("Right", "Right", "Right", "Down", "Down", "Down", "Down", "Return")  # Live TV
    key(*["Down"] * 5, "Return")  # its list's last entry: the guide sources
    walk.stop("guide_sources", settle=1.5)
    key("Down", "Return")
    walk.stop("guide_source_options")
    key("Escape", "v")
    walk.stop("guide_review")
    key("F1")
    walk.stop("key_help_guide_review")
    key("Escape", "Escape")
    home(walk)


def toast_texts(layers):
    # On the Player the notice is drawn on the strip layer, above the strips.
    return [t for layer in ("interface", "strips") for t in layers.get(layer, {}).get("texts", [])
            if t["part"] == "toast"]


def check_one_notice(walk, stop, layers):
    toast = toast_texts(layers)
    if len(toast) != 1:
        walk.fault(stop, "%d toast texts instead of one" % len(toast))
        return
    shown = toast[0]["text"]
    same = [t for layer in ("interface", "strips") for t in layers.get(layer, {}).get("texts", []) if t["text"] == shown]
    if len(same) != 1:
        walk.fault(stop, "the notice %r is drawn %d times" % (shown, len(same)))


def check_strips_hidden(walk, stop, shot, layers, live):
    strip_texts = layers.get("strips", {}).get("texts", [])
    if strip_texts:
        walk.fault(stop, "the strips still show 3 s after the last key (pointer at rest): %s" % (
            [t["text"] for t in strip_texts][:6]))
    if not live:
        return
    w, h = walk.size
    off = 0
    for y in list(range(0, h // 5, 7)) + list(range(h - h // 4, h, 7)):
        for x in range(0, w, 11):
            if any(abs(a - b) > 40 for a, b in zip(pixel(shot, x, y), SOLID)):
                off += 1
    if off:
        walk.fault(stop, "%d sampled pixels of the strip bands are not the video's colour" % off)


def one_size(vistra, standin, out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    walk = Walk(out)
    media = os.path.join(out, "media")
    make_solid_media(media)
    env = dict(os.environ, XDG_DATA_HOME=walk.data, VISTRA_STANDIN_REQUEST_LOG=walk.requests,
               VISTRA_TEXT_BOXES=walk.boxes)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    try:
        with running(vistra, standin, media, env) as wid:
            check(wid is not None and wait_for(walk, "boot done", 0, 60), "the program boots")
            time.sleep(1.5)
            walk.size = screenshot_into(out, "start")[:2]
            walk_screens(walk)
        # Again with recordings to show: the file is read at start.
        seed_recordings(walk.data)
        seed_guide_sources(walk.data)
        boots = sum(1 for line in read_lines(walk.log) if "boot done" in line)
        with running(vistra, standin, media, env) as wid:
            # The log may be trimmed at start: the boots are counted, not the lines.
            deadline = time.time() + 60
            while time.time() < deadline and sum(1 for line in read_lines(walk.log) if "boot done" in line) <= boots:
                time.sleep(0.2)
            check(wid is not None and time.time() < deadline, "the program boots again")
            time.sleep(1.5)
            walk_recordings(walk)
            walk_guide_sources(walk)
    finally:
        walk.report()
        for conversion in CONVERSIONS:
            conversion.wait()
    print("%d fault(s) at %dx%d; see %s" % (len(walk.faults), walk.size[0], walk.size[1],
                                            os.path.join(out, "report.txt")), flush=True)
    sys.exit(1 if failures else 0)


def all_sizes(vistra, standin, out):
    xvfb = shutil.which("xvfb-run")
    failed = []
    for size in SIZES:
        print("=== %s" % size, flush=True)
        code = subprocess.run([xvfb, "-a", "-s", "-screen 0 %sx24" % size, sys.executable, os.path.abspath(__file__),
                               "--one", vistra, standin, os.path.join(out, size)]).returncode
        if code != 0:
            failed.append(size)
    print("faults at: %s" % (", ".join(failed) or "no size"))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    if sys.argv[1] == "--one":
        one_size(*sys.argv[2:5])
    else:
        all_sizes(*sys.argv[1:4])

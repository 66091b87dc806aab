#!/usr/bin/env python3
"""End-to-end tests of Vistra under Xvfb.

Starts the stand-in server (provider, panel and public services on
127.0.0.1), points Vistra's endpoints at it, runs the real program with an
empty data folder, drives it with xdotool and checks runtime.log, the files it
writes and the screen. Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 vistra_e2e.py \
      <vistra> <vistra_standin> <close-request tool> <output folder>
Screenshots stay in the output folder for a look.
"""
import json
import os
import shutil
import subprocess
import sys
import time

from e2e_support import SOLID, check, cpu_seconds, failures, make_solid_media, pixel, read_lines, start_program
from e2e_support import start_standin
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, CLOSER, OUT = sys.argv[1:5]
DATA = os.path.join(OUT, "data")
FOLDER = os.path.join(DATA, "Vistra43")
LOG = os.path.join(FOLDER, "runtime.log")
REQUESTS = os.path.join(OUT, "requests.log")
PLAYLIST = ""  # the stand-in's playlist URL


def wait_for_line(prefix, after=0, timeout=60.0):
    """Index of the first runtime.log line at or after `after` starting with `prefix`; -1 on time-out."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        lines = read_lines(LOG)
        for i in range(after, len(lines)):
            if lines[i].startswith(prefix):
                return i
        time.sleep(0.1)
    return -1


def find_line(lines, prefix, after=0):
    for i in range(after, len(lines)):
        if lines[i].startswith(prefix):
            return i
    return -1


def screenshot(name):
    return screenshot_into(OUT, name)


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(0.25)


def stream_requests():
    return sum(1 for line in read_lines(REQUESTS) if "action=get_live_streams" in line)


def tile_center(index, width, height):
    """Middle of Home tile `index` (the layout of the Home screen)."""
    t0, gap = 150 * height / 1080, 7 * height / 1080
    avail = height - 18 * height / 1080 - t0
    natural = (avail - 7 * gap) / 8
    h = max(32, min(natural, 72 * height / 1080))
    if 8 * h + 7 * gap > avail:
        h = max(28, natural)
    top = t0 + index * (h + gap)
    return int(300 * width / 1920), int(top + h / 2)


def brightness(rgb):
    return sum(rgb) / 3


VLC_ARGS = ""    # where the stand-in external player writes its arguments
YTDLP_ARGS = ""  # where the stand-in yt-dlp writes its arguments


def make_standin_tools(folder):
    """A stand-in "vlc" and "yt-dlp" (python3 scripts) for the front of PATH:
    each writes its arguments to a file; yt-dlp prints a movie of the
    stand-in server as the trailer's stream."""
    global VLC_ARGS, YTDLP_ARGS
    os.makedirs(folder)
    VLC_ARGS = os.path.join(folder, "vlc-args.json")
    YTDLP_ARGS = os.path.join(folder, "yt-dlp-args.json")
    scripts = {
        "vlc": "import json, sys\n"
               "json.dump(sys.argv[1:], open(%r + '.tmp', 'w'))\n"
               "import os; os.replace(%r + '.tmp', %r)\n" % (VLC_ARGS, VLC_ARGS, VLC_ARGS),
        "yt-dlp": "import json, sys, urllib.parse\n"
                  "json.dump(sys.argv[1:], open(%r, 'w'))\n"
                  "page = urllib.parse.urlsplit(sys.argv[-1])\n"
                  "print('WARNING: a line before the stream')\n"
                  "print('%%s://%%s/movie/demo/demo/208.mkv' %% (page.scheme, page.netloc))\n" % YTDLP_ARGS,
    }
    for name, body in scripts.items():
        path = os.path.join(folder, name)
        with open(path, "w") as f:
            f.write("#!/usr/bin/env python3\n" + body)
        os.chmod(path, 0o755)


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    media = os.path.join(OUT, "media")
    make_solid_media(media)
    tools = os.path.join(OUT, "bin")
    make_standin_tools(tools)
    # The demo panel's clock runs three hours ahead of UTC, and its archive
    # answers only the query form of the catch-up URL.
    env = dict(os.environ, XDG_DATA_HOME=DATA, VISTRA_STANDIN_REQUEST_LOG=REQUESTS,
               VISTRA_STANDIN_PANEL_OFFSET="180", VISTRA_STANDIN_CATCHUP="query",
               PATH=tools + os.pathsep + os.environ.get("PATH", ""))
    global PLAYLIST
    standin, PLAYLIST = start_standin(STANDIN, media, env)
    try:
        run(env)
    finally:
        standin.terminate()
        standin.wait()
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)
    print("all checks passed")


def run(env):
    # --- First run: empty data folder, the panel assigns the demo playlist.
    proc, wid = start_program(VISTRA, env)
    check(wid is not None, "the window appears")
    done = wait_for_line("boot done")
    check(done >= 0, "first run reaches 'boot done'")
    # The first frame may come after a quick boot: the lists load beside it.
    wait_for_line("startup first frame ms=")
    lines = read_lines(LOG)
    order = [find_line(lines, "xtream=no boot"), find_line(lines, "catalog cache miss"),
             find_line(lines, "tmdb="), find_line(lines, "live load from panel"),
             find_line(lines, "live load=ok"), find_line(lines, "boot done")]
    check(all(i >= 0 for i in order) and order == sorted(order), "first-run boot lines in order: %s" % lines[:12])
    frames = [l for l in lines if l.startswith("startup first frame ms=")]
    check(len(frames) == 1 and 0 < int(frames[0].rsplit("=", 1)[1]) < 60000,
          "the first frame on screen is logged once, in ms since exec: %s" % frames)
    check(os.path.exists(os.path.join(FOLDER, "settings.json")), "settings.json written")
    for kind in ("meta.txt", "live.tsv", "vod.tsv", "series.tsv"):
        check(os.path.exists(os.path.join(FOLDER, "catalog", kind)), "cache file %s written" % kind)
    check(stream_requests() == 1, "the first run downloads the live list once (%d)" % stream_requests())

    time.sleep(1.5)  # the backdrop arrives and the Home screen settles
    shot = screenshot("home_first_run")
    width, height = shot[0], shot[1]
    x0, y0 = tile_center(0, width, height)
    x1, y1 = tile_center(1, width, height)
    check(brightness(pixel(shot, x0, y0)) > brightness(pixel(shot, x1, y1)) + 10,
          "tile 0 is focused at start %s vs %s" % (pixel(shot, x0, y0), pixel(shot, x1, y1)))

    key("Down")
    shot = screenshot("home_down")
    check(brightness(pixel(shot, x1, y1)) > brightness(pixel(shot, x0, y0)) + 10, "Down moves the focus to tile 1")
    key("Up", "Up")
    shot = screenshot("home_up")
    check(brightness(pixel(shot, x0, y0)) > brightness(pixel(shot, x1, y1)) + 10, "Up stops at tile 0 (no wrap)")

    key("Down", "Return")  # tile 1: Movies
    time.sleep(0.5)
    shot = screenshot("movies")
    check(brightness(pixel(shot, x1, y1)) < 40, "Enter on tile 1 leaves the Home screen %s" % (pixel(shot, x1, y1),))
    key("Escape")
    shot = screenshot("back_home")
    check(brightness(pixel(shot, x1, y1)) > brightness(pixel(shot, x0, y0)) + 10, "Esc returns to Home, tile 1 still focused")

    # Exit tile: the question defaults to No; No keeps the program running.
    key("Down", "Down", "Down", "Down", "Down", "Down", "Return")
    shot = screenshot("exit_question")
    key("Return")
    time.sleep(0.5)
    check(proc.poll() is None, "answering No keeps Vistra running")
    key("Return", "Left", "Return")
    try:
        code = proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        code = None
    check(code == 0, "answering Yes ends Vistra with code 0 (%s)" % code)

    # --- Warm start: the cache is used and no catalog request is made.
    before = len(read_lines(LOG))
    requests_before = stream_requests()
    proc, wid = start_program(VISTRA, env)
    done = wait_for_line("boot done", after=before)
    lines = read_lines(LOG)
    check(find_line(lines, "catalog cache live=", before) > before, "warm start logs the cache counts")
    check(find_line(lines, "skip live refresh (cache hot, panel list same)", before) > before,
          "warm start skips the live refresh")
    check(stream_requests() == requests_before, "warm start makes no catalog request")

    # Idle CPU: nothing happens for a while; the program should sleep.
    time.sleep(2)
    cpu = cpu_seconds(proc.pid)
    time.sleep(10)
    used = (cpu_seconds(proc.pid) - cpu) / 10 * 100
    print("idle CPU use: %.2f %% of a core" % used, flush=True)
    check(used < 50, "idle CPU use is small (%.2f %%)" % used)

    check_live_preview(proc, "opengl")
    browse()
    pointer_walk()
    check_settings_account_and_extras()
    check_hidden_and_locked_on_live()
    check_playback_extras()

    # Closing the window saves the settings.
    settings = os.path.join(FOLDER, "settings.json")
    stamp = os.stat(settings).st_mtime_ns
    time.sleep(0.05)
    subprocess.run([CLOSER, wid], check=False)
    try:
        code = proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        code = None
    check(code == 0, "closing the window ends Vistra with code 0 (%s)" % code)
    check(os.stat(settings).st_mtime_ns != stamp, "closing the window saves the settings")
    with open(settings) as f:
        saved = f.read()
    check('"FavLive"' in saved and '"105"' in saved.split('"FavLive"', 1)[1].split("]", 1)[0],
          "the favorite toggled on Live is saved")

    # The safe renderer (software render API) shows the same picture.
    # Counted before the start: the boot may end before the window maps.
    before = len(read_lines(LOG))
    proc, wid = start_program(VISTRA, dict(env, VISTRA_FORCE_SW_RENDER="1"))
    check(wait_for_line("boot done", after=before) >= 0, "software: boot done")
    time.sleep(1)
    check_live_preview(proc, "software")
    subprocess.run([CLOSER, wid], check=False)
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()


def browse():
    """A short walk by keys from Home: Live's categories and channels, the
    Movies grid, a series' episodes and the search."""
    before = len(read_lines(LOG))
    key("Return")  # Home tile 0: Live, "All"
    check(wait_for_line("play live id=101", after=before, timeout=10) >= 0, "browse: Live plays the first channel")
    before = len(read_lines(LOG))
    key("Down", "Down", "Down", "Down")  # Favorite (empty), Lock (locked), News, Sports
    check(wait_for_line("play live id=104", after=before, timeout=10) >= 0,
          "browse: the preview follows the category change to Sports")
    key("Right", "Down")
    check(wait_for_line("play live id=105", after=before, timeout=10) >= 0, "browse: Down in the channels plays the next")
    key("f")
    time.sleep(0.3)
    shot = screenshot("browse_live")
    width, height = shot[0], shot[1]
    # The selected channel row (second row) is filled in the accent (the default
    # grey), where the rows around it are dark; sampled right of the name.
    row = pixel(shot, width * 820 // 1920, height * (122 + 48 + 24) // 1080)
    check(brightness(row) > 120, "browse: the selected channel row is highlighted %s" % (row,))
    # A click on the third channel row selects and plays it.
    before = len(read_lines(LOG))
    subprocess.run(["xdotool", "mousemove", str(width * 700 // 1920), str(height * (122 + 2 * 48 + 24) // 1080),
                    "click", "1"], check=True)
    check(wait_for_line("play live id=106", after=before, timeout=10) >= 0, "browse: a click on a channel row plays it")

    # A group made on the Groups screen (N asks for its name) holds the
    # selected channel; choosing it filters Live down to that channel.
    key("g", "n")
    type_text("Evening")
    key("Return")
    time.sleep(0.3)
    groups = settings_json()["Groups"]
    check([g.get("name") for g in groups] == ["Evening"] and "106" in str(groups),
          "browse: the new group is saved with the selected channel (%s)" % groups)
    key("Return")  # choose it
    time.sleep(0.5)
    shot = screenshot("browse_live_group")
    first = pixel(shot, width * 820 // 1920, height * (122 + 24) // 1080)
    second = pixel(shot, width * 820 // 1920, height * (122 + 48 + 24) // 1080)
    check(brightness(first) > 120 and brightness(second) < 40,
          "browse: the chosen group shows its one channel, selected %s %s" % (first, second))
    key("g", "Delete")
    time.sleep(0.3)
    check(settings_json()["Groups"] == [], "browse: Delete removes the group")
    key("Escape")  # Groups -> Live without the group filter

    key("Escape", "Down", "Return")  # Home, tile 1: Movies
    time.sleep(0.5)
    screenshot("browse_movies")
    before = len(read_lines(LOG))
    key("Right", "Right", "Return")
    check(wait_for_line("play vod id=202", after=before, timeout=10) >= 0, "browse: Enter in the grid plays the movie")
    key("Escape", "Escape", "Down", "Return")  # Movies (playback stops), Home, tile 2: Series
    time.sleep(0.5)
    before = len(read_lines(LOG))
    key("Right", "Return")
    check(wait_for_line("series info id=", after=before, timeout=10) >= 0, "browse: Enter on a series asks for it")
    deadline = time.time() + 10
    lit = (0, 0, 0)
    while time.time() < deadline:
        shot = screenshot("browse_episodes")
        lit = pixel(shot, width * 1500 // 1920, height * 174 // 1080)
        if brightness(lit) > 100:
            break
        time.sleep(0.3)
    check(brightness(lit) > 100, "browse: the episode panel opens with its first row lit %s" % (lit,))
    key("Escape")
    shot = screenshot("browse_series")
    check(brightness(pixel(shot, width * 1500 // 1920, height * 174 // 1080)) < 100, "browse: Esc closes the panel")

    key("Escape", "Up", "Up", "Return", "s")  # Home, Live, Search
    before = len(read_lines(LOG))
    subprocess.run(["xdotool", "type", "--delay", "120", "harb"], check=True)
    check(wait_for_line("search query=harb results=2", after=before, timeout=5) >= 0,
          "browse: typing searches as it goes")
    screenshot("browse_search")
    key("Escape", "Escape")  # Live, Home


SCREEN = (1280, 720)  # set from the first screenshot of the pointer walk


def at(x, y):
    """Screen pixels of a point of the 1920 x 1080 design space."""
    return int(x * SCREEN[0] / 1920), int(y * SCREEN[1] / 1080)


def click(x, y, button="1", repeat=1):
    """A click (or `repeat` quick clicks) at a design point; button 4 is a wheel notch up, 5 down."""
    sx, sy = at(x, y)
    subprocess.run(["xdotool", "mousemove", str(sx), str(sy), "click", "--repeat", str(repeat), "--delay", "90",
                    button], check=True)
    time.sleep(0.35)


def back_by_top_strip():
    """The Player's top strip (16, 10, 88 x 48 window pixels): a move shows
    the strips, a click on the arrow leaves the Player."""
    subprocess.run(["xdotool", "mousemove", "200", "300", "sleep", "0.2", "mousemove", "60", "34", "sleep", "0.3",
                    "click", "1"], check=True)
    time.sleep(0.5)


def ink(shot, left, top, right, bottom):
    """How many sampled pixels of a design rectangle are bright (text)."""
    x0, y0 = at(left, top)
    x1, y1 = at(right, bottom)
    return sum(1 for y in range(y0, y1, 2) for x in range(x0, x1, 2) if brightness(pixel(shot, x, y)) > 150)


def region(shot, left, top, right, bottom):
    x0, y0 = at(left, top)
    x1, y1 = at(right, bottom)
    return [pixel(shot, x, y) for y in range(y0, y1, 3) for x in range(x0, x1, 3)]


def plays_after(before, channel=""):
    return wait_for_line("play live id=" + channel, after=before, timeout=10) >= 0


def pointer_walk():
    """The browsing screens by the pointer alone, from Home (tile 0 focused)
    and back: tiles, tabs, category and channel rows, the wheel, the double
    click, the scroll bar, the favorite button, grid cards, the episodes
    panel and the search pill."""
    global SCREEN
    shot = screenshot("pointer_home")
    SCREEN = (shot[0], shot[1])
    before = len(read_lines(LOG))
    sx, sy = tile_center(0, SCREEN[0], SCREEN[1])
    subprocess.run(["xdotool", "mousemove", str(sx), str(sy), "click", "1"], check=True)
    check(plays_after(before), "pointer: a click on the Live tile opens Live and plays")
    time.sleep(0.5)

    # The wheel over the category column: the ten categories fit, nothing moves.
    shot = screenshot("pointer_live")
    column = region(shot, 0, 122, 431, 997)
    click(200, 500, "5")
    check(region(screenshot("pointer_live_wheel"), 0, 122, 431, 997) == column,
          "pointer: the wheel over a category column that fits changes nothing")

    # A click on "Sports" (the seventh row) follows with the preview.
    before = len(read_lines(LOG))
    click(200, 122 + 6 * 48 + 24)
    check(plays_after(before, "104"), "pointer: a click on a category row plays its first channel")
    before = len(read_lines(LOG))
    epg = len(read_lines(LOG))
    click(700, 122 + 48 + 24)
    check(plays_after(before, "105"), "pointer: a click on a channel row plays it")
    # A channel whose guide was asked for earlier in the walk, or that the
    # provider's whole guide has (the demo serves one), is answered from the
    # guide store, without a request; one not held yet is fetched.
    whole = find_line(read_lines(LOG)[:epg], "guide whole source=") >= 0
    held = whole or find_line(read_lines(LOG)[:epg], "guide request id=105") >= 0
    if held:
        time.sleep(1)
        check(find_line(read_lines(LOG), "guide request id=105", after=epg) < 0,
              "pointer: the guide held from before is not asked for again")
    else:
        check(wait_for_line("epg rows=", after=epg, timeout=10) >= 0, "pointer: the guide is fetched for it")
    deadline = time.time() + 5
    while time.time() < deadline:
        shot = screenshot("pointer_live_guide")
        if ink(shot, 978, 713, 1900, 997) > 40:
            break
        time.sleep(0.3)
    guide = region(shot, 978, 713, 1900, 997)
    check(ink(shot, 978, 713, 1900, 997) > 40, "pointer: the guide panel fills with programmes")
    click(1400, 850, "5")
    check(region(screenshot("pointer_live_guide_wheel"), 978, 713, 1900, 997) != guide,
          "pointer: the wheel over the guide panel scrolls it")

    # A double click on the third row plays it once.
    before = len(read_lines(LOG))
    click(700, 122 + 2 * 48 + 24, repeat=2)
    time.sleep(0.5)
    played = [l for l in read_lines(LOG)[before:] if l.startswith("play live id=")]
    check(len(played) == 1 and played[0].startswith("play live id=106 "),
          "pointer: a double click on a channel plays it once (%s)" % played)
    # It filled the window; the top strip's arrow brings the list back with
    # the channel still playing.
    before = len(read_lines(LOG))
    back_by_top_strip()
    check(not any(l.startswith("play live") for l in read_lines(LOG)[before:]),
          "pointer: the Player's back arrow returns to Live without reconnecting")
    # The channel scroll bar: the list fits, so a click there selects nothing.
    before = len(read_lines(LOG))
    click(950, 500)
    time.sleep(0.3)
    check(not any(l.startswith("play live") for l in read_lines(LOG)[before:]),
          "pointer: a click on the channel scroll bar plays nothing")

    # The favorite button (the second of the four under the guide) adds the
    # selected channel and removes it again.
    favorites = settings_json()["FavLive"]
    click(1322, 1026)
    time.sleep(0.3)
    check("106" in settings_json()["FavLive"], "pointer: the favorite button adds the channel")
    click(1322, 1026)
    time.sleep(0.3)
    check(settings_json()["FavLive"] == favorites, "pointer: a second click removes it (%s)" % favorites)

    # Movies by its tab: the wheel moves into the grid, a click selects a card
    # and a second click plays it.
    click(445, 69)
    time.sleep(0.5)
    shot = screenshot("pointer_movies")
    grid = region(shot, 460, 122, 1896, 1000)
    click(1200, 600, "5")
    click(1200, 600, "4")
    check(region(screenshot("pointer_movies_wheel"), 460, 122, 1896, 1000) != grid,
          "pointer: the wheel over the grid moves the selection into it")
    before = len(read_lines(LOG))
    click(891, 343)
    click(891, 343)
    check(wait_for_line("play vod id=202", after=before, timeout=10) >= 0, "pointer: a second click on a card plays it")
    time.sleep(0.5)
    movies = [l for l in read_lines(LOG)[before:] if l.startswith("play vod id=")]
    check(len(movies) == 1, "pointer: ... once (%s)" % movies)

    # The movie plays on the Player screen: its top strip goes back to
    # Movies. Series by its tab: a series opens its episodes panel; a click
    # on the veil closes it.
    back_by_top_strip()
    click(637, 69)
    time.sleep(0.5)
    before = len(read_lines(LOG))
    click(603, 343)
    click(603, 343)
    check(wait_for_line("series info id=", after=before, timeout=10) >= 0, "pointer: a second click opens a series")
    deadline = time.time() + 10
    lit = (0, 0, 0)
    while time.time() < deadline:
        shot = screenshot("pointer_episodes")
        lit = pixel(shot, *at(1500, 174))
        if brightness(lit) > 100:
            break
        time.sleep(0.3)
    check(brightness(lit) > 100, "pointer: the episodes panel opens %s" % (lit,))
    click(400, 600)
    check(brightness(pixel(screenshot("pointer_episodes_closed"), *at(1500, 174))) < 100,
          "pointer: a click on the veil closes the panel")

    # The search pill, a query, the back button to Live, the Home tab.
    before = len(read_lines(LOG))
    click(270, 69)
    check(plays_after(before), "pointer: the Live tab opens Live")
    screenshot("pointer_live_tab")
    before = len(read_lines(LOG))
    click(960, 69)
    type_text("o")  # the box keeps the last query ("harb") and searches again with the letter
    check(wait_for_line("search query=harbo results=", after=before, timeout=5) >= 0,
          "pointer: the search pill opens the search")
    screenshot("pointer_search")
    before = len(read_lines(LOG))
    click(99, 99)
    check(plays_after(before), "pointer: the back button of the search returns to Live")
    click(110, 69)
    time.sleep(0.5)
    shot = screenshot("pointer_home_again")
    x0, y0 = tile_center(0, SCREEN[0], SCREEN[1])
    x2, y2 = tile_center(2, SCREEN[0], SCREEN[1])
    check(brightness(pixel(shot, x0, y0)) > brightness(pixel(shot, x2, y2)) + 10,
          "pointer: the Home tab returns to Home, the Live tile last clicked still focused")
    check(not any("error" in l.lower() for l in read_lines(LOG)[-60:]), "pointer: the log shows no error")
    key("Up", "Up")  # the walks that follow start on tile 0


def check_live_preview(proc, renderer):
    """Enter on the Live tile: the default channel plays in the preview rectangle."""
    before = len(read_lines(LOG))
    key("Return")
    played = wait_for_line("play live id=", after=before, timeout=10)
    check(played >= 0, "%s: the Live tile starts the default channel" % renderer)
    deadline = time.time() + 15
    inside = outside = None
    while time.time() < deadline:
        shot = screenshot("live_preview_" + renderer)
        width, height = shot[0], shot[1]
        x, y = width * 960 // 1920, height * 108 // 1080
        w, h = width - x, height * 648 // 1080 - y
        inside = pixel(shot, x + w // 2, y + h // 2)
        outside = pixel(shot, width // 4, height * 3 // 4)
        if all(abs(a - b) <= 40 for a, b in zip(inside, SOLID)):
            break
        time.sleep(0.5)
    check(inside is not None and all(abs(a - b) <= 40 for a, b in zip(inside, SOLID)),
          "%s: the stream's colour fills the video rectangle %s" % (renderer, inside))
    check(outside is not None and brightness(outside) < 40 and outside[0] < 60,
          "%s: the interface surrounds it %s" % (renderer, outside))
    corner = pixel(shot, min(width - 1, x + w + 2), min(height - 1, y + h + 4))
    check(abs(corner[0] - SOLID[0]) > 60, "%s: the video stays inside its rectangle %s" % (renderer, corner))
    key("Escape")



def settings_json():
    with open(os.path.join(FOLDER, "settings.json"), errors="replace") as f:
        return json.load(f)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
    time.sleep(0.25)


def requested(fragment):
    return sum(1 for line in read_lines(REQUESTS) if fragment in line)


def check_settings_account_and_extras():
    """From Home (tile 0 focused): the Settings grid, a picker, the PIN prompt,
    hiding a category, the Account screen's QR code, the speed test with
    clearing the cache, and the Sports list."""
    key("Down", "Down", "Down", "Down", "Down", "Return")  # tile 5: Settings
    screenshot("settings_grid")
    key("Right", "Right", "Right", "Return")  # cell 3: the language picker
    screenshot("picker_language")
    key("Down", "Return")  # Romanian
    time.sleep(0.5)
    screenshot("settings_grid_ro")
    check(settings_json()["Lang"] == "ro", "the language picker stores Romanian")
    key("Return", "Up", "Return")  # back to English
    time.sleep(0.3)
    check(settings_json()["Lang"] == "en", "and back to English")

    # Parental control on (the PIN prompt keeps the default PIN), then a wrong and a right PIN.
    key("Left", "Left", "Return", "Down", "Return")
    screenshot("pin_prompt_new")
    key("Return")
    time.sleep(0.3)
    check(settings_json()["ParentalOn"] is True, "parental control is switched on")
    key("Return")
    type_text("0000")
    screenshot("pin_prompt")
    key("Return")
    screenshot("pin_refused")
    check(settings_json()["ParentalOn"] is True, "a wrong PIN changes nothing")
    key("Return")
    type_text("8391")
    key("Return", "Up", "Return", "Return")  # right PIN, choose OFF, keep the PIN
    time.sleep(0.3)
    check(settings_json()["ParentalOn"] is False, "the right PIN lets the lock be switched off")

    # Hide the first provider category of Live (cell 5).
    key("Down", "Return")
    screenshot("picker_hide_live")
    key("Return", "Escape")
    time.sleep(0.3)
    hidden = settings_json()["HideLive"]
    check(len(hidden) == 1, "hiding a live category saves it (%s)" % hidden)
    key("Return", "Return", "Escape")  # and show it again
    time.sleep(0.3)
    check(settings_json()["HideLive"] == [], "toggling it again restores the list")

    # The Account screen (cell 2) with its QR code.
    key("Up", "Right", "Return")
    time.sleep(1.0)
    screenshot("account")
    if shutil.which("zbarimg"):
        decoded = subprocess.run(["zbarimg", "-q", "--raw", os.path.join(OUT, "account.png")],
                                 capture_output=True, text=True).stdout.strip()
        check("/vs4.3/playlists.html?mac=" in decoded and "&key=" in decoded,
              "the Account QR code decodes to the playlists page (%s)" % decoded)
    # Add a playlist by typing its URL: a text that is no URL is refused at
    # once; the demo playlist's URL reloads the catalog from it.
    key("Up", "Up", "Return")  # the "add playlist" entry above the list
    type_text("not a url")
    key("Return")
    screenshot("account_refused")
    streams = stream_requests()
    key("Return")
    type_text(PLAYLIST)
    screenshot("prompt_playlist_url")
    key("Return")
    deadline = time.time() + 15
    while time.time() < deadline and stream_requests() == streams:
        time.sleep(0.3)
    check(stream_requests() > streams, "a typed playlist URL reloads the catalog (%s)" % PLAYLIST)
    key("Escape")  # back to Settings

    # The speed test (cell 20): Down x4 from cell 2 reaches 18, then 21; Right is 20.
    key("Down", "Down", "Down", "Down", "Down", "Right", "Return")
    screenshot("speed_test_open")
    key("Return")  # start
    deadline = time.time() + 30
    while time.time() < deadline and requested("/__up") == 0:
        time.sleep(0.5)
    time.sleep(1.0)
    screenshot("speed_test_report")
    check(requested("/__down") >= 1 and requested("/__up") >= 1, "the speed test downloads and uploads")
    key("Right", "Return")  # clear the cache
    time.sleep(0.5)
    screenshot("speed_test_cleared")
    catalog = os.path.join(FOLDER, "catalog")
    left = [f for f in os.listdir(catalog)] if os.path.isdir(catalog) else []
    check(left == [], "Clear cache empties the catalog folder (%s)" % left)
    check(not os.path.exists(os.path.join(FOLDER, "backdrop.jpg")), "Clear cache removes the backdrop")
    key("Escape", "Escape")  # the overlay, then Settings back to Home

    # Sports (Home tile 3) lists the stand-in's fixtures.
    before = requested("eventsday.php")
    key("Up", "Up", "Return")
    deadline = time.time() + 15
    while time.time() < deadline and requested("eventsday.php") == before:
        time.sleep(0.3)
    time.sleep(1.0)
    screenshot("sports")
    check(requested("eventsday.php") > before, "Sports fetches the day's fixtures")
    key("Escape", "Up", "Up", "Up")  # Home, tile 0


def open_settings_from_home():
    key("Down", "Down", "Down", "Down", "Down", "Return")  # tile 5; Settings starts on cell 0


def back_home_to_live():
    key("Escape", "Up", "Up", "Up", "Up", "Up", "Return")  # Settings -> Home (tile 5) -> tile 0: Live, "All"


def check_hidden_and_locked_on_live():
    """From Home (tile 0): a hidden category is gone from Live's column; a
    locked channel asks for the PIN in the Lock category, refuses a wrong one
    and plays after the right one. Leaves everything as it found it."""
    open_settings_from_home()
    key("Down", "Right", "Return", "Return", "Escape")  # cell 5: hide the first provider category (News)
    time.sleep(0.3)
    check(len(settings_json()["HideLive"]) == 1, "a live category is hidden")
    back_home_to_live()
    before = len(read_lines(LOG))
    # Live keeps its column focus across visits: the walk above left it on the channels.
    key("Left", "Down", "Down", "Down")  # Favorite, Lock, then Sports: News is gone
    check(wait_for_line("play live id=104", after=before, timeout=10) >= 0,
          "the hidden category is gone from Live: the third step down reaches Sports")
    key("Escape")
    open_settings_from_home()
    key("Down", "Right", "Return", "Return", "Escape")  # show it again
    time.sleep(0.3)
    check(settings_json()["HideLive"] == [], "the category is shown again")

    # Lock the channel selected in "All", switch parental control on.
    back_home_to_live()
    key("Right", "l")
    time.sleep(0.3)
    locked = settings_json()["LockCh"]
    check(len(locked) == 1, "L locks the selected channel (%s)" % locked)
    key("Escape")
    open_settings_from_home()
    key("Right", "Return", "Down", "Return", "Return")  # cell 1: parental control ON, keep the PIN
    time.sleep(0.3)
    check(settings_json()["ParentalOn"] is True, "parental control is on")

    # The Lock category: playing its channel asks for the PIN.
    back_home_to_live()
    key("Left", "Down", "Down", "Right")  # the channel column was left focused
    before = len(read_lines(LOG))
    key("Return")
    type_text("x9x9x")
    screenshot("live_pin_prompt")
    key("Return")
    time.sleep(0.5)
    lines = read_lines(LOG)[before:]
    check(not any(l.startswith("play live id=%s " % locked[0]) for l in lines),
          "a wrong PIN does not play the locked channel")
    check(not any("x9x9x" in l for l in read_lines(LOG)), "what is typed at the PIN prompt is never written to the log")
    key("Return")
    type_text("8391")
    key("Return")
    check(wait_for_line("play live id=%s " % locked[0], after=before, timeout=10) >= 0,
          "the right PIN plays the locked channel")

    # Enter filled the window: back to the list, then unlock it (which asks
    # for the PIN while parental control is on) and switch parental control
    # off again (which asks as well).
    key("Escape")
    key("l")
    type_text("8391")
    key("Return")
    time.sleep(0.3)
    check(settings_json()["LockCh"] == [], "L with the PIN unlocks it again")
    key("Escape", "Escape")  # Live -> Home, tile 0
    open_settings_from_home()
    key("Right", "Return")
    type_text("8391")
    key("Return", "Up", "Return", "Return")
    time.sleep(0.3)
    check(settings_json()["ParentalOn"] is False, "parental control is off again")
    key("Escape", "Up", "Up", "Up", "Up", "Up")  # Home, tile 0


def read_json(path, timeout=10.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            with open(path) as f:
                return json.load(f)
        except (OSError, ValueError):
            time.sleep(0.1)
    return None


def video_colour(name, expected, timeout=15.0):
    """The centre of the screen once it shows `expected` (or the last seen)."""
    deadline = time.time() + timeout
    seen = None
    while time.time() < deadline:
        shot = screenshot(name)
        seen = pixel(shot, shot[0] // 2, shot[1] // 2)
        if all(abs(a - b) <= 50 for a, b in zip(seen, expected)):
            screenshot(name)  # the PNG is taken just before the pixels read: once more for people
            break
        time.sleep(0.5)
    return seen


# VLC installed in one of its usual places comes before PATH, so the
# stand-in "vlc" would not be the one started.
INSTALLED_VLC = [p for p in ("/usr/bin/vlc", "/usr/local/bin/vlc", "/snap/bin/vlc") if os.access(p, os.X_OK)]


def external_player_args():
    """E, then the arguments the stand-in player recorded ([] when it did
    not run); None when an installed VLC would be started instead."""
    if INSTALLED_VLC:
        print("skip E: the installed %s comes before the stand-in" % INSTALLED_VLC[0])
        return None
    key("e")
    return read_json(VLC_ARGS) or []


def check_playback_extras():
    """From Home (tile 0): the external player chosen in Settings; a movie's
    audio track switched with A and handed on with E; a past programme of a
    channel replayed where the archive answers only the query form, in the
    panel's time; E during catch-up hands on the live URL; the trailer
    button plays the trailer that yt-dlp resolves."""
    open_settings_from_home()
    key("Down", "Down", "Down", "Right", "Return", "Down", "Down", "Return")  # cell 13: VLC
    time.sleep(0.3)
    key("Escape", "Up", "Up", "Up", "Up", "Up")  # Home, tile 0

    # A movie: A opens the audio tracks, the second is chosen; E hands it on.
    key("Down", "Return", "Right")
    before = len(read_lines(LOG))
    key("Return")
    played = wait_for_line("play vod id=", after=before, timeout=10)
    check(played >= 0, "extras: a movie plays")
    movie = read_lines(LOG)[played].split("id=")[1].split()[0] if played >= 0 else "?"
    time.sleep(1.5)
    key("a")
    time.sleep(0.5)
    screenshot("audio_picker")
    key("Down", "Return")
    check(wait_for_line("track aid=2", after=before, timeout=10) >= 0,
          "extras: A and the second entry switch the player to audio track 2")
    args = external_player_args()
    check(args is None or (len(args) == 1 and "/movie/demo/demo/%s." % movie in args[0]),
          "extras: E starts the external player with the movie's URL as its one argument (%s)" % (args,))
    if os.path.exists(VLC_ARGS):
        os.remove(VLC_ARGS)
    key("Escape", "Escape", "Up")  # Movies, Home, tile 0

    # Catch-up of yesterday's first programme of channel number 1 (101, archived).
    before = len(read_lines(LOG))
    key("Return", "1")
    check(wait_for_line("play live id=101", after=before, timeout=10) >= 0, "extras: channel 1 plays")
    time.sleep(2)  # the number entry ends
    key("c")
    check(wait_for_line("panel clock offset=10800", after=before, timeout=10) >= 0,
          "extras: the panel's clock reads three hours ahead of UTC")
    wait_for_line("epg rows=", after=before, timeout=10)
    key("Left")
    time.sleep(0.3)
    screenshot("catchup_guide")
    before = len(read_lines(LOG))
    key("Return")
    started = wait_for_line("catchup play id=101", after=before, timeout=10)
    check(started >= 0 and "panel=10800" in read_lines(LOG)[started], "extras: catch-up starts with the panel's clock")
    tried = wait_for_line("catch try 2/", after=before, timeout=15)
    check(tried >= 0 and "timeshift.php?" in read_lines(LOG)[tried],
          "extras: the path form fails and the query form is tried next")
    working = wait_for_line("catchup playing timeshift.php?", after=before, timeout=15)
    check(working >= 0, "extras: the query form in the panel's time plays")
    lines = read_lines(LOG)[before:]
    check(not any(l.startswith("catchup unavailable") for l in lines), "extras: catch-up is not given up")
    seen = video_colour("catchup_playing", SOLID)
    check(seen is not None and all(abs(a - b) <= 50 for a, b in zip(seen, SOLID)),
          "extras: the programme's picture fills the window %s" % (seen,))
    asked = [l for l in read_lines(REQUESTS) if "/streaming/timeshift.php" in l]
    check(len(asked) >= 1, "extras: the archive was asked in the query form")
    args = external_player_args()
    check(args is None or (len(args) == 1 and args[0].endswith("/live/demo/demo/101.ts")),
          "extras: E during catch-up hands on the channel's live URL (%s)" % (args,))
    key("Escape", "Escape", "Escape")  # the catch-up list it was chosen on, Live, Home (tile 0)

    # The trailer button: yt-dlp runs on a job and the resolved stream plays.
    time.sleep(0.5)
    shot = screenshot("home_before_trailer")
    width, height = shot[0], shot[1]
    before = len(read_lines(LOG))
    # The action buttons' sizes follow the text's scale (the window's height
    # over 1080, or its width over 1920 when that is smaller).
    scale = min(height / 1080, width / 1920)
    x = int(max(width - 552 * scale, 450 * width / 1920) + 84 * scale)
    subprocess.run(["xdotool", "mousemove", str(x), str(int(height - 38 * scale)), "click", "1"], check=True)
    played = wait_for_line("trailer play resolved=1", after=before, timeout=25)
    check(played >= 0 and read_lines(LOG)[played].endswith("/movie/demo/demo/208.mkv"),
          "extras: the trailer plays the stream yt-dlp printed")
    args = read_json(YTDLP_ARGS) or []
    check(len(args) >= 2 and args[-2] == "--" and "/watch?v=" in args[-1] and "-g" in args,
          "extras: yt-dlp gets -g and the watch page after \"--\" (%s)" % (args,))
    seen = video_colour("trailer_playing", (0x14, 0x28, 0xdc))
    check(seen is not None and seen[2] > seen[0] + 60, "extras: the trailer fills the window %s" % (seen,))
    key("Escape")  # Home


if __name__ == "__main__":
    main()

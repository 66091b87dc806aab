#!/usr/bin/env python3
"""End-to-end test of the Player screen under Xvfb on the demo provider.

Live: Enter fills the window with the preview's own stream (no second
request for it), the strips show, Right zaps, "1" "2" reach channel 12, Esc
leaves the channel playing as the preview; a refused stream ends on the Live
screen with a notice. A movie left after ~20 s starts again near 20 s. An
episode that ends leads into the next one. R reaches "Aspect Auto" after five
presses. The preview fills its rectangle again after the window is resized
and after F11 twice; the window carries the program's icon. Run by CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 player_e2e.py \
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder.
"""
import json
import os
import shutil
import subprocess
import sys
import time

from e2e_support import check, finish, press, pixel, read_lines, running, RuntimeLog
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT = sys.argv[1:5]
DATA = os.path.join(OUT, "data")
FOLDER = os.path.join(DATA, "Vistra43")
LOG = os.path.join(FOLDER, "runtime.log")
RUNTIME = RuntimeLog(LOG)
mark = RUNTIME.mark
wait_for_line = RUNTIME.index_after
REQUESTS = os.path.join(OUT, "requests.log")


def key(*names, pause=0.3):
    press(*names, pause=pause)


def shot(name):
    return screenshot_into(OUT, name)


def stream_requests(stream_id):
    return sum(1 for line in read_lines(REQUESTS) if "/live/demo/demo/%s." % stream_id in line)


def settings_json():
    with open(os.path.join(FOLDER, "settings.json"), errors="replace") as f:
        return json.load(f)


def live(width, height):
    before = mark()
    key("Return")  # Home tile 0: Live, "All", channel 1 in the preview
    check(wait_for_line("play live id=101", before) >= 0, "Live plays channel 1 in the preview")
    time.sleep(2.5)
    check(stream_requests(101) == 1, "the preview asked for channel 1 once (%d)" % stream_requests(101))
    before = mark()
    key("Right", "Return")  # the channel column, Enter: the Player
    time.sleep(1.5)
    lines = read_lines(LOG)[before:]
    check(not any("play live" in l for l in lines), "Enter fills the window without loading again")
    check(stream_requests(101) == 1, "preview -> player reuses the stream: still one request (%d)" % stream_requests(101))
    key("Return")  # Enter shows the strips
    s = shot("player_live")
    # The live strip's first button (#28282E) lies near the bottom of the strip.
    band = pixel(s, width // 4, height - 12 - 30)
    check(all(abs(a - b) <= 12 for a, b in zip(band, (0x28, 0x28, 0x2E))), "the live strip is drawn at its place %s" % (band,))
    key("v")
    shot("player_live_expanded")
    key("v")
    before = mark()
    key("Right")
    check(wait_for_line("play live id=102", before) >= 0, "Right zaps to channel 2 on the Player")
    key("1", "2", pause=0.2)
    check(wait_for_line("play live id=112", before) >= 0, '"1" "2" reach channel 12')
    time.sleep(2.5)
    requests_112 = stream_requests(112)
    before = mark()
    key("Escape")
    time.sleep(2.5)
    lines = read_lines(LOG)[before:]
    check(not any("play live" in l for l in lines), "Esc keeps channel 12 playing as the preview")
    check(stream_requests(112) == requests_112 == 1,
          "player -> preview reuses the stream (%d request(s))" % stream_requests(112))
    s = shot("live_after_player")
    x, y = width * 960 // 1920, height * 108 // 1080
    check(max(pixel(s, x + (width - x) // 2, y + (height * 648 // 1080 - y) // 2)) > 30, "the preview still shows video")
    key("Escape")  # Home


def window_geometry(wid):
    """(x, y, width, height) of the window on the screen."""
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], capture_output=True, text=True).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def check_preview_fills(wid, name):
    """The preview's 16:9 picture fills its rectangle for the window's
    present size: sampled across the middle band of the letterboxed picture
    (the title box at its top and the ticker at its bottom left out)."""
    time.sleep(1.5)
    gx, gy, width, height = window_geometry(wid)
    s = shot(name)
    x, y = width * 960 // 1920, height * 108 // 1080
    w, h = width - x, height * 648 // 1080 - y
    pw, ph = min(w, h * 16 // 9), min(h, w * 9 // 16)
    px, py = x + (w - pw) // 2, y + (h - ph) // 2
    points = [(px + pw * fx // 100, py + ph * fy // 100) for fx in (4, 25, 50, 75, 96) for fy in (38, 50, 62)]
    lit = sum(1 for (ax, ay) in points if max(pixel(s, gx + ax, gy + ay)) > 30)
    check(lit >= len(points) - 2, "%s: the preview fills (%d, %d, %d, %d) of a %dx%d window (%d/%d points)"
          % (name, x, y, w, h, width, height, lit, len(points)))


def resized(wid):
    """Live with the preview playing: a smaller window, then F11 out of full
    screen and back; each time the video is laid out for the new size."""
    key("Return")  # Home tile 0: Live
    # Channel 1's colour bars are bright from edge to edge.
    before = mark()
    key("1")
    check(wait_for_line("play live id=101", before) >= 0, "channel 1 plays in the preview")
    subprocess.run(["xdotool", "windowsize", wid, "960", "540"], check=True)
    check_preview_fills(wid, "live_resized")
    key("F11")
    check_preview_fills(wid, "live_windowed")
    key("F11")
    check_preview_fills(wid, "live_full_screen_again")
    key("Escape")  # Home


def movie(width, height):
    key("Down", "Return")  # Home tile 1: Movies
    time.sleep(1)
    before = mark()
    key("Return")  # the first movie: 201 (90 s)
    check(wait_for_line("play vod id=201", before) >= 0 and wait_for_line("resume=0.0", before) >= 0,
          "Enter plays the movie from the start")
    time.sleep(2)
    key("Return")
    shot("player_vod")
    key("r", "r", "r", "r", pause=0.2)
    before = mark()
    key("r")
    check(wait_for_line("aspect -1 Aspect Auto", before, timeout=3) >= 0, "R reaches Aspect Auto after five presses")
    shot("player_aspect_auto")
    time.sleep(17)
    key("Escape")
    time.sleep(0.5)
    resume = settings_json().get("ResumeMs", {}).get("201", 0)
    check(15000 <= resume <= 26000, "leaving after ~20 s stores the position (%d ms)" % resume)
    before = mark()
    key("Return")
    at = wait_for_line("play vod id=201", before)
    line = read_lines(LOG)[at] if at >= 0 else ""
    value = float(line.rsplit("resume=", 1)[1]) if "resume=" in line else 0
    check(15 <= value <= 26, "starting it again resumes near 20 s (%s)" % line)
    time.sleep(3)
    key("Escape", "Escape")  # Movies, Home


def episodes():
    key("Down", "Return")  # Home (tile 1 still focused), tile 2: Series
    time.sleep(1)
    key("Return")  # The Lighthouse: its episodes
    time.sleep(2)
    before = mark()
    key("Return")  # episode 1 (45 s)
    check(wait_for_line("play vod id=401", before) >= 0 and wait_for_line("4011.", before) >= 0, "episode 1 plays")
    time.sleep(3)
    key("Right", "Right", "Right", "Right", pause=0.6)  # 40 s in
    check(wait_for_line("4012.", before, timeout=25) >= 0, "the end of episode 1 leads into episode 2")
    key("Escape", "Escape")


def refused(width, height):
    """Channel 5's stream is refused (404): the preview retries it with a
    growing pause, and on the Player it ends in a notice and the Live screen."""
    key("Up", "Up", "Return")  # Home (tile 2 focused), tile 0: Live
    time.sleep(1)
    key("5")  # channel 5 by its number
    start = time.time()
    check(wait_for_line("play live id=105", 0) >= 0, "channel 5 is asked for")
    time.sleep(14)
    asked = stream_requests(105)
    print("channel 5 asked for %d time(s) in %.0f s" % (asked, time.time() - start), flush=True)
    check(2 <= asked <= 5, "a refused stream is retried, but not every 1.8 s (%d requests in 14 s)" % asked)
    before = mark()
    key("Return")
    check(wait_for_line("stream ended on the player", before, timeout=10) >= 0, "the Player gives way for a refused stream")
    time.sleep(0.5)
    s = shot("refused_back_on_live")
    # The Live screen is drawn again (its channel column), not a black window.
    column = pixel(s, width * 700 // 1920, height * 700 // 1080)
    check(max(column) > 0, "the Live screen shows again %s" % (column,))
    key("Escape")


def media_without_channel_5(folder):
    """The demo media with channel 5's live stream missing."""
    os.makedirs(os.path.join(folder, "live"))
    for name in os.listdir(MEDIA):
        if name != "live":
            os.symlink(os.path.join(os.path.abspath(MEDIA), name), os.path.join(folder, name))
    for name in os.listdir(os.path.join(MEDIA, "live")):
        if name != "105":
            os.symlink(os.path.join(os.path.abspath(MEDIA), "live", name), os.path.join(folder, "live", name))


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    env = dict(os.environ, XDG_DATA_HOME=DATA, VISTRA_STANDIN_REQUEST_LOG=REQUESTS)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    media = os.path.join(OUT, "media")
    media_without_channel_5(media)
    with running(VISTRA, STANDIN, media, env) as wid:
        check(wait_for_line("boot done", timeout=60) >= 0, "boot done")
        time.sleep(1)
        s = shot("home")
        width, height = s[0], s[1]
        # The icon's first two numbers are its width and height.
        icon = subprocess.run(["xprop", "-id", wid, "-notype", "-f", "_NET_WM_ICON", "32c", " $0 $1", "_NET_WM_ICON"],
                              capture_output=True, text=True).stdout
        check(icon.split()[1:3] == ["256", "256"], "the window carries the program's 256 px icon (%s)" % icon.strip())
        live(width, height)
        resized(wid)
        movie(width, height)
        episodes()
        refused(width, height)
    finish()


if __name__ == "__main__":
    main()

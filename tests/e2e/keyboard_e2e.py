#!/usr/bin/env python3
"""End-to-end walk with keys only, as a remote drives the program, under
Xvfb on the demo provider.

The Player: V opens the live strip's row of buttons; the arrows move a gold
ring over it (no zap), Enter presses the button under the ring ("previous
channel" plays the channel before), Esc closes the row and leaves the Player
only when pressed again. Settings: the arrows go to the tile drawn in their
direction (read off the focus ring in the screenshot, on the grid the
painter lays out) down to the two bottom buttons; Enter opens the speed test
and the "PIP Size / Pos" pickers, where Esc on the size cancels both. Run by
CTest as
  xvfb-run -a -s "-screen 0 1280x720x24" python3 keyboard_e2e.py \
      <vistra> <vistra_standin> <demo media folder> <output folder>
Screenshots stay in the output folder (keys_*.png).
"""
import json
import os
import shutil
import sys
import time

from e2e_support import check, finish, near, pixel, press, running, walk_paths
from e2e_support import screenshot as screenshot_into

VISTRA, STANDIN, MEDIA, OUT, DATA, FOLDER, RUNTIME = walk_paths(sys.argv)
SETTINGS = os.path.join(FOLDER, "settings.json")
mark = RUNTIME.mark
wait_for_line = RUNTIME.index_after
RING = (230, 196, 80)  # the strip's gold, on the focused button of the open row


def key(*names, pause=0.35):
    press(*names, pause=pause)


def ring_pixels(shot):
    """Gold pixels in the band of the live strip's lowest row."""
    width, height = shot[0], shot[1]
    count = 0
    for y in range(int(height * 0.80), height, 2):
        for x in range(0, width, 2):
            count += near(pixel(shot, x, y), RING, 8)
    return count


# The Settings grid as the painter lays it out (settings_screen.cpp): four
# columns, five rows and the row of the two buttons below.
SETTINGS_TILES = {"Subtitles": (0, 4), "Device Type": (1, 4), "Update Now": (2, 4), "Live TV": (3, 4),
                  "Time Format": (3, 3), "PIP": (2, 5), "Speed test": (3, 5), "Add Playlist": (0, 0)}


def tile_edge(width, height, column, row):
    column_width = max(120.0, (width - 48) / 4)
    top = 150 * height / 1080
    bottom = max(top + 200, min(820 * height / 1080, height - 16 - 90 * height / 1080))
    pitch = (bottom - top) / 5
    tile_height = max(48.0, pitch - 8)
    left = 12 + column * (column_width + 8)
    y = top + row * pitch + tile_height / 2
    return int(left) + 1, int(y)


def focused_tile(name):
    """The tile whose left edge shows the thick focus ring."""
    time.sleep(0.5)
    shot = screenshot_into(OUT, name)
    width, height = shot[0], shot[1]
    brightness = {}
    for tile, (column, row) in SETTINGS_TILES.items():
        brightness[tile] = sum(pixel(shot, *tile_edge(width, height, column, row)))
    return max(brightness, key=brightness.get)


def settings_value(name):
    try:
        with open(SETTINGS) as f:
            return json.load(f).get(name)
    except (OSError, ValueError):
        return None


def strip_row():
    before = mark()
    key("Return")  # Home tile 0: Live, channel 1 in the preview
    check(wait_for_line("play live id=101", before) >= 0, "Live plays channel 1 in the preview")
    time.sleep(1)
    key("Right", "Return")  # the channel column, Enter: the Player
    time.sleep(1)
    before = mark()
    key("Down")
    check(wait_for_line("play live id=102", before) >= 0, "Down zaps while the row is closed")
    time.sleep(1)

    key("v")
    before = mark()
    key(*["Right"] * 9)  # the row's tenth button: the previous channel
    time.sleep(0.6)
    shot = screenshot_into(OUT, "keys_row_focus")
    check(ring_pixels(shot) > 20, "the focused button of the open row wears the gold ring")
    check(wait_for_line("play live id=", before, timeout=1) < 0, "the arrows move over the row and do not zap")
    key("Return")
    check(wait_for_line("play live id=101", before) >= 0, "Enter presses the focused button (previous channel)")
    time.sleep(1)

    key("Escape")
    time.sleep(0.5)
    shot = screenshot_into(OUT, "keys_row_closed")
    check(ring_pixels(shot) == 0, "Esc closes the row")
    key("v")
    time.sleep(0.6)
    shot = screenshot_into(OUT, "keys_row_again")
    check(ring_pixels(shot) > 20, "the Player stayed: V opens its row again")
    key("Escape", "Escape", "Escape")  # the row, the Player, Live
    time.sleep(1)


def settings_grid():
    key(*["Down"] * 5, pause=0.15)
    key("Return")  # Home tile 5: Settings, cell 0
    check(focused_tile("keys_settings") == "Add Playlist", "Settings opens on Add Playlist")
    key("Down", "Down", "Down", "Down")
    check(focused_tile("keys_settings_subtitles") == "Subtitles",
          "Down from Live Stream Format lands on the tile under it (Subtitles)")
    key("Down")
    check(focused_tile("keys_settings_pip") == "PIP", "Down reaches the PIP button")
    key("Right")
    check(focused_tile("keys_settings_speed") == "Speed test", "Right reaches the speed test")
    key("Up")
    check(focused_tile("keys_settings_live_tv") == "Live TV", "Up from the speed test is the tile above it")
    key("Right")
    check(focused_tile("keys_settings_row_end") == "Live TV", "Right at the end of a row stays")
    key("Down", "Return")
    time.sleep(0.8)
    screenshot_into(OUT, "keys_speed_test")
    key("Escape", "Left")
    check(focused_tile("keys_settings_pip_again") == "PIP", "Left from the speed test is PIP")

    pip_size, pip_pos = settings_value("PipSize"), settings_value("PipPos")
    key("Return", "Escape")  # the size picker, cancelled: no position picker follows
    key("Down", "Return")  # Down on the grid (nothing below PIP); the size picker again
    screenshot_into(OUT, "keys_pip_picker")
    key("Down", "Return")  # a size other than the stored one
    key("Return")  # the position as it was
    time.sleep(0.8)
    check(settings_value("PipPos") == pip_pos, "Esc on the size picker changed no position (%s)" % pip_pos)
    check(settings_value("PipSize") not in (None, pip_size), "Enter on PIP opened its pickers and stored the size")


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(DATA)
    env = dict(os.environ, XDG_DATA_HOME=DATA)
    with running(VISTRA, STANDIN, MEDIA, env) as wid:
        check(wid is not None, "the window maps")
        check(wait_for_line("boot done", timeout=60) >= 0, "boot done")
        time.sleep(1)
        strip_row()
        settings_grid()
    finish()


if __name__ == "__main__":
    main()

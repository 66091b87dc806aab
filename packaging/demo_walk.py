#!/usr/bin/env python3
"""The installed demo as a user meets it: vistra-demo makes its media,
starts the demo provider on the port asked for and the player, which reaches
Home; Enter on the Live tile plays the first channel, Enter again fills the
window; the Exit tile ends the player and with it the provider. The user's
own data folder is never made. Screenshots of Home, Live and the Player
(those the AppStream data names) go to the output folder.

  demo_walk.py <X display> <the user's home as seen from here> <port> <output folder> <command...>

The command starts vistra-demo as that user (in a chroot or not); the X
server at the display must accept it, and xdotool and ImageMagick's import
run here against the same display.
"""
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import check, failures, log_line_after, press, read_lines, screenshot  # noqa: E402

DISPLAY, HOME, PORT, OUT = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
COMMAND = sys.argv[5:]
LOG = os.path.join(HOME, ".local/share/vistra-demo/Vistra43/runtime.log")
# The first start makes the media (about two minutes on two busy cores).
WINDOW_TIMEOUT_S = 900


def provider_answers():
    try:
        with socket.create_connection(("127.0.0.1", PORT), timeout=2) as connection:
            connection.sendall(b"GET /health HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n")
            return b"ok" in connection.recv(4096)
    except OSError:
        return False


def wait_for_window(demo):
    """The player's window id, or None when the demo ended or took too long."""
    deadline = time.time() + WINDOW_TIMEOUT_S
    while time.time() < deadline and demo.poll() is None:
        found = subprocess.run(["xdotool", "search", "--name", "Vistra 4.3"], capture_output=True, text=True)
        if found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.5)
    return None


def walk(demo):
    wid = wait_for_window(demo)
    check(wid is not None, "vistra-demo made its media and opened the player's window")
    if wid is None:
        return
    subprocess.run(["xdotool", "windowfocus", wid], capture_output=True)
    check(log_line_after(LOG, "boot done", timeout=60) >= 0, "the player booted on the demo provider (Home)")
    check(provider_answers(), "the demo provider answers on 127.0.0.1:%d" % PORT)
    time.sleep(2)  # the backdrop arrives and Home settles
    screenshot(OUT, "home")
    # Installed, the player finds its icon from its own folder (/usr/bin) in
    # the hicolor theme; the icon's first two numbers are its size. The
    # window gets it after it maps, so it is read once Home shows.
    icon = subprocess.run(["xprop", "-id", wid, "-notype", "-f", "_NET_WM_ICON", "32c", " $0 $1", "_NET_WM_ICON"],
                          capture_output=True, text=True).stdout
    check(icon.split()[1:3] == ["256", "256"], "the window carries the installed 256 px icon (%s)" % icon.strip())

    before = len(read_lines(LOG))
    press("Return")  # Home tile 0: Live, channel 1 in the preview
    played = log_line_after(LOG, "play live id=101", before)
    check(played >= 0, "Enter on Live plays the first channel (play live id=101)")
    check(log_line_after(LOG, "mpv codec=h264", max(played, 0), timeout=20) >= 0, "its video is decoded")
    time.sleep(2)
    screenshot(OUT, "live")
    press("Right", "Return")  # the channel column; Enter fills the window
    time.sleep(2)
    press("Return")  # Enter shows the strips
    time.sleep(0.5)
    screenshot(OUT, "player")

    # Back to Home, then the Exit tile (the last of eight) and Yes.
    press("Escape", "Escape")
    press(*["Down"] * 7)
    press("Return", "Left", "Return")
    try:
        code = demo.wait(timeout=30)
    except subprocess.TimeoutExpired:
        code = None
    check(code == 0, "Exit ends vistra-demo with code 0 (%s)" % code)
    check(not provider_answers(), "the demo provider stopped with the player")


def main():
    os.environ["DISPLAY"] = DISPLAY
    os.makedirs(OUT, exist_ok=True)
    output_path = os.path.join(OUT, "demo-output.txt")
    with open(output_path, "w") as output:
        demo = subprocess.Popen(COMMAND, stdout=output, stderr=subprocess.STDOUT)
        try:
            walk(demo)
        finally:
            if demo.poll() is None:
                demo.terminate()
                demo.wait(timeout=30)
    check(os.path.isfile(os.path.join(HOME, ".cache/vistra-demo/media/complete")),
          "the media were made into ~/.cache/vistra-demo/media")
    check(not os.path.exists(os.path.join(HOME, ".local/share/Vistra43")),
          "the user's own data folder (~/.local/share/Vistra43) was never made")
    if failures:
        print("the demo's output (%s):" % output_path)
        print("".join(open(output_path, errors="replace").readlines()[-30:]))
        sys.exit(1)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Timing script for channel changes on the Player screen (not a test: it
only measures and prints).

For each renderer (OpenGL, and software with VISTRA_FORCE_SW_RENDER=1): the
real program on the demo provider, Live -> Enter -> the Player, then Right
pressed ZAPS times, a few seconds apart. Vistra logs "zap first frame ...
ms=<n>" from the key press (the channel step) to the first picture of the
next channel drawn by the compositor; the script prints the median and all
values. Then, in the same run, a bare libmpv (loaded with ctypes, with the
program's own options for a live load, no window: "vo" = "null") loads the
same channel URLs one after the other and times each from "loadfile" to its
first frame shown (the engine's playback-restart event): the stream's own
start-up. The program's part of a zap is the difference of the medians.
Usage (from the project root, after scripts/make-demo-media.sh build/demo-media):
  xvfb-run -a -s "-screen 0 1280x720x24" python3 bench/zap_timing.py build/vistra \
      build/tests/vistra_standin build/demo-media [zaps]
"""
import ctypes
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import start_standin  # noqa: E402  (the stand-in's start, shared with the end-to-end tests)

VISTRA, STANDIN, MEDIA = sys.argv[1:4]
ZAPS = int(sys.argv[4]) if len(sys.argv) > 4 else 20
GAP = 2.5  # seconds between zaps: each channel settles before the next


def lines(log):
    if not os.path.exists(log):
        return []
    with open(log, errors="replace") as f:
        return f.read().splitlines()


def wait_for(log, fragment, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if any(fragment in l for l in lines(log)):
            return True
        time.sleep(0.1)
    return False


def key(name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)


# The options of the program's live loads (player/media_engine.cpp, and the
# zap latency of player/player.cpp).
BASE_OPTIONS = [("keep-open", "yes"), ("user-agent", "Vistra43/4.3"), ("tls-verify", "no"),
                ("demuxer-readahead-secs", "4"), ("cache", "yes"), ("network-timeout", "8"),
                ("demuxer-max-bytes", "32MiB"), ("demuxer-termination-timeout", "0"), ("ytdl", "no"),
                ("vd-lavc-dr", "no"), ("hwdec", "no"),
                ("audio-fallback-to-null", "yes"), ("video-latency-hacks", "yes"), ("vo", "null"), ("ao", "null")]
PLAYBACK_RESTART = 21


class MpvEvent(ctypes.Structure):
    _fields_ = [("event_id", ctypes.c_int), ("error", ctypes.c_int), ("reply_userdata", ctypes.c_uint64),
                ("data", ctypes.c_void_p)]


def bare_startups(urls):
    """Milliseconds from "loadfile" to the first frame for each URL, in a
    bare libmpv player, the URLs one after the other as the zaps went."""
    mpv = ctypes.CDLL("libmpv.so.2")
    mpv.mpv_create.restype = ctypes.c_void_p
    mpv.mpv_wait_event.restype = ctypes.POINTER(MpvEvent)
    mpv.mpv_wait_event.argtypes = [ctypes.c_void_p, ctypes.c_double]
    mpv.mpv_set_option_string.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p]
    mpv.mpv_initialize.argtypes = [ctypes.c_void_p]
    mpv.mpv_command.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p)]
    mpv.mpv_terminate_destroy.argtypes = [ctypes.c_void_p]
    handle = mpv.mpv_create()
    for name, value in BASE_OPTIONS:
        mpv.mpv_set_option_string(handle, name.encode(), value.encode())
    mpv.mpv_initialize(handle)
    times = []
    try:
        for url in urls:
            args = (ctypes.c_char_p * 4)(b"loadfile", url.encode(), b"replace", None)
            start = time.monotonic()
            mpv.mpv_command(handle, args)
            while time.monotonic() - start < 20:
                event = mpv.mpv_wait_event(handle, 1.0).contents
                if event.event_id == PLAYBACK_RESTART:
                    times.append(round((time.monotonic() - start) * 1000))
                    break
            time.sleep(GAP)
    finally:
        mpv.mpv_terminate_destroy(handle)
    return times


def summary(values):
    return "%.0f" % statistics.median(values) if values else "?"


def measure(renderer, env_extra):
    data = tempfile.mkdtemp(prefix="vistra-zap-")
    log = os.path.join(data, "Vistra43", "runtime.log")
    env = dict(os.environ, XDG_DATA_HOME=data)
    env.pop("VISTRA_FORCE_SW_RENDER", None)
    env.update(env_extra)
    standin, _ = start_standin(STANDIN, MEDIA, env)
    proc = subprocess.Popen([VISTRA], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(log, "boot done")
        time.sleep(1)
        key("Return")  # Live
        wait_for(log, "play live id=")
        time.sleep(2)
        key("Right")
        key("Return")  # the Player
        time.sleep(2)
        for _ in range(ZAPS):
            key("Right")
            time.sleep(GAP)
        times = [int(l.rsplit("ms=", 1)[1]) for l in lines(log) if l.startswith("zap first frame")]
        urls = [l.rsplit(" url=", 1)[1] for l in lines(log) if l.startswith("play live id=")][1:]
    finally:
        proc.terminate()
        proc.wait(timeout=10)
        standin.terminate()
        standin.wait()
    # A fresh stand-in (on a port of its own) serves the same paths.
    standin, _ = start_standin(STANDIN, MEDIA, env)
    try:
        base = env["VISTRA_PANEL_URL"]
        bare = bare_startups([base + url[url.index("/", len("http://")):] for url in urls])
    finally:
        standin.terminate()
        standin.wait()
    print("%-9s zaps measured %2d/%d  median %s ms  all: %s" % (renderer, len(times), ZAPS, summary(times),
                                                                 ", ".join(str(t) for t in times)), flush=True)
    print("%-9s bare libmpv, same URLs   median %s ms  all: %s" % ("", summary(bare),
                                                                ", ".join(str(t) for t in bare)), flush=True)
    if times and bare:
        print("%-9s the program's part: median %.0f ms (zap %.0f - stream %.0f)" % (
            "", statistics.median(times) - statistics.median(bare), statistics.median(times),
            statistics.median(bare)), flush=True)


def main():
    measure("opengl", {})
    measure("software", {"VISTRA_FORCE_SW_RENDER": "1"})


if __name__ == "__main__":
    main()

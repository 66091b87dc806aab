#!/usr/bin/env python3
"""Recording CPU benchmark (not a test: it only measures and prints).

On the demo provider, in one run: the recorder (vistra_record_probe: an
engine that only receives the stream and writes it) on the first live
channel for SECONDS, then a bare mpv decoding the same stream without
showing it (--vo=null --ao=null) for as long, for scale. CPU is read from
/proc/<pid>/stat (100 % = one core). The written file is checked with
ffprobe (its streams and duration).
Usage (from the project root, after scripts/make-demo-media.sh build/demo-media):
  python3 bench/recording_cpu.py build/tests/vistra_standin build/demo-media build/vistra_record_probe [seconds]
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import cpu_seconds, start_standin  # noqa: E402

STANDIN, MEDIA, PROBE = sys.argv[1:4]
SECONDS = float(sys.argv[4]) if len(sys.argv) > 4 else 20.0


def measured(command, stop_after=None):
    """CPU in % of one core over the process's whole run (ended after
    `stop_after` seconds when given), and its output."""
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    started, used = time.time(), 0.0
    while proc.poll() is None:
        if stop_after is not None and time.time() - started >= stop_after:
            proc.terminate()
        try:
            used = cpu_seconds(proc.pid)
        except (OSError, ValueError, IndexError):
            pass
        time.sleep(0.2)
    out = proc.stdout.read()
    return 100.0 * used / max(time.time() - started, 0.001), out


def main():
    env = dict(os.environ)
    standin, playlist = start_standin(STANDIN, MEDIA, env)
    base = env["VISTRA_PANEL_URL"]
    url = base + "/live/demo/demo/101.ts"
    out = os.path.join(tempfile.mkdtemp(prefix="vistra-rec-"), "Ch - News - 2026-12-09 0705.ts")
    try:
        recorder, printed = measured([PROBE, url, out, str(SECONDS)])
        bare, _ = measured(["mpv", "--no-config", "--no-terminal", "--vo=null", "--ao=null", url], SECONDS)
    finally:
        standin.terminate()
        standin.wait()
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_type:format=duration",
                            "-of", "csv=p=0", out], capture_output=True, text=True).stdout.split()
    print("stream %s, %.0f s each, CPU in %% of one core" % (url, SECONDS))
    print("recorder (receive and write)   %6.1f %%   %s" % (recorder, printed.strip()))
    print("bare mpv decoding, no output   %6.1f %%" % bare)
    print("recorder / decoding            %6.2f" % (recorder / bare if bare else float("nan")))
    print("file %s: %s" % (os.path.basename(out), " ".join(probe)))


if __name__ == "__main__":
    main()

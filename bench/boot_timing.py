#!/usr/bin/env python3
"""Timing script for starting the program with large catalogs (not a test:
it only measures and prints, and never fails on time).

For each catalog size the stand-in server generates a live list of that
many channels (with 300 movies and 60 series, the quirks of real servers
included) and plays the demo panel and provider. The program then boots
COLD (an empty data folder) and WARM (the data folder the first cold boot
left: settings and the catalog cache) `--runs` times each, under Xvfb; the
boots go round the sizes in turn, a cold and a warm boot of each. The
runtime log has no time stamps, so the script follows it while the program
runs and stamps each line as it appears, in seconds since exec; the first
frame is the program's own figure ("startup first frame ms=<n>", counted
from exec). Peak memory is VmHWM from /proc/<pid>/status, read until the
program is told to quit, `--settle` seconds after "boot done" (SIGTERM,
which the window takes as a close); steady memory is VmRSS at that
moment. The table gives the median of the runs and, with more than one,
their range.

Usage (from the project root, after cmake --build build):
  python3 bench/boot_timing.py [--sizes 171000,1000000] [--runs 3] [--settle 8]
      [--program build/vistra] [--standin build/tests/vistra_standin]
Without a DISPLAY it runs itself again under xvfb-run (1920x1080).
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import SERVICES  # noqa: E402  (the service addresses the end-to-end tests point at the stand-in)

POLL = 0.005  # seconds between looks at the log and at /proc
LIMIT = 300   # seconds a boot may take before the script gives up on it

# What each boot reads from the log: key -> fragment that starts or marks the line.
MARKS = {
    "cache": "catalog cache live=",
    "miss": "catalog cache miss",
    "live_ok": "live load=ok",
    "live_fail": "live load=fail",
    "frame": "startup first frame ms=",
    "done": "boot done",
}


def parse_arguments():
    parser = argparse.ArgumentParser(description="Boot timing with large generated catalogs")
    parser.add_argument("--sizes", default="171000,1000000", help="live channel counts, comma-separated")
    parser.add_argument("--runs", type=int, default=3, help="cold and warm boots per size")
    parser.add_argument("--settle", type=float, default=8.0, help="seconds the program runs on after \"boot done\"")
    parser.add_argument("--program", default="build/vistra")
    parser.add_argument("--standin", default="build/tests/vistra_standin")
    arguments = parser.parse_args()
    arguments.sizes = [int(s) for s in arguments.sizes.split(",") if s.strip()]
    return arguments


def ensure_display():
    if os.environ.get("DISPLAY"):
        return
    os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1920x1080x24", sys.executable] + sys.argv)


class Standin:
    """The stand-in server with a generated catalog of `live` channels."""

    def __init__(self, program, live, env):
        started = time.monotonic()
        self.proc = subprocess.Popen([program, "0", "--generated", "--live", str(live)], env=env,
                                     stdout=subprocess.PIPE, text=True)
        self.base = self.proc.stdout.readline().strip()
        self.proc.stdout.readline()  # the playlist URL: the demo panel hands it out
        self.generated_s = time.monotonic() - started
        if not self.base:
            raise RuntimeError("the stand-in server did not start")

    def live_answer(self):
        """(bytes, seconds) of the live list as a plain HTTP client gets it."""
        url = self.base + "/player_api.php?username=demo&password=demo&action=get_live_streams"
        started = time.monotonic()
        with urllib.request.urlopen(url, timeout=120) as answer:
            size = len(answer.read())
        return size, time.monotonic() - started

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


def memory_kib(pid, field="VmHWM"):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def boot(program, env, data, settle):
    """One start of the program on the data folder `data`: seconds since exec
    at which each mark's line appeared, the first frame's own figure, the
    peak memory and the memory held when it is told to quit, in MiB."""
    log = os.path.join(data, "Vistra43", "runtime.log")
    for stale in (log, log + ".1"):
        if os.path.exists(stale):
            os.remove(stale)
    env = dict(env, XDG_DATA_HOME=data)
    seen, offset, partial, peak, steady = {}, 0, "", None, None
    started = time.monotonic()
    proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    quit_at = started + LIMIT
    while proc.poll() is None:
        now = time.monotonic()
        if os.path.exists(log):
            with open(log, errors="replace") as f:
                f.seek(offset)
                chunk = f.read()
                offset = f.tell()
            lines = (partial + chunk).split("\n")
            partial = lines.pop()
            for line in lines:
                seen.setdefault("first", now - started)
                for key, fragment in MARKS.items():
                    if fragment in line and key not in seen:
                        seen[key] = now - started
                        if key == "frame":
                            seen["frame_own"] = int(line.rsplit("ms=", 1)[1]) / 1000.0
                        if key == "done":
                            quit_at = now + settle
        peak = memory_kib(proc.pid) or peak
        if now >= quit_at:
            steady = memory_kib(proc.pid, "VmRSS")
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
            break
        time.sleep(POLL)
    seen["peak_mib"] = peak / 1024.0 if peak else None
    seen["steady_mib"] = steady / 1024.0 if steady else None
    seen["exit"] = proc.returncode
    return seen


def describe(kind, run, seen):
    def t(key):
        return "%.2f" % seen[key] if key in seen else "-"
    print("  %-4s %d: first line %s  cache %s  live ok %s  first frame %s (own)  boot done %s  peak %s MiB%s"
          % (kind, run, t("first"), t("cache"), t("live_ok"), t("frame_own"), t("done"),
             "%.0f" % seen["peak_mib"] if seen.get("peak_mib") else "-",
             "  LIVE LOAD FAILED" if "live_fail" in seen else ""), flush=True)


def cell(runs, key, unit="s", digits=2):
    values = [r[key] for r in runs if r.get(key) is not None]
    if not values:
        return "-"
    text = "%.*f" % (digits, statistics.median(values))
    if len(values) > 1:
        text += " (%.*f–%.*f)" % (digits, min(values), digits, max(values))
    return text + " " + unit


class Size:
    """One catalog size: its stand-in, the environment that points the
    program at it, the data folder its first cold boot leaves for the warm
    boots, and the boots so far."""

    def __init__(self, arguments, live):
        self.live = live
        self.env = dict(os.environ)
        self.env.pop("VISTRA_FORCE_SW_RENDER", None)
        self.standin = Standin(arguments.standin, live, self.env)
        for name in SERVICES:
            self.env["VISTRA_%s_URL" % name] = self.standin.base
        self.env["VISTRA_TRACE_URL"] = self.standin.base + "/cdn-cgi/trace"
        self.size, fetch_s = self.standin.live_answer()
        print("%d channels: stand-in ready in %.1f s, live answer %.0f MiB in %.2f s over HTTP"
              % (live, self.standin.generated_s, self.size / 1048576.0, fetch_s), flush=True)
        self.kept = tempfile.mkdtemp(prefix="vistra-boot-")
        self.cold, self.warm = [], []

    def boot_cold(self, arguments, run):
        # Only the first cold boot's folder is kept, for the warm boots.
        folder = self.kept if run == 0 else tempfile.mkdtemp(prefix="vistra-boot-")
        self.cold.append(boot(arguments.program, self.env, folder, arguments.settle))
        describe("%d cold" % self.live, run + 1, self.cold[-1])
        if folder != self.kept:
            shutil.rmtree(folder, ignore_errors=True)

    def boot_warm(self, arguments, run):
        self.warm.append(boot(arguments.program, self.env, self.kept, arguments.settle))
        describe("%d warm" % self.live, run + 1, self.warm[-1])
        if "miss" in self.warm[-1]:
            print("  (warm %d found no cache: not a warm start)" % (run + 1), flush=True)

    def stop(self):
        self.standin.stop()
        shutil.rmtree(self.kept, ignore_errors=True)

    def result(self):
        return {"size": self.size, "cold": self.cold, "warm": self.warm}


ROWS = [
    ("first log line after exec, cold / warm", lambda r: cell(r["cold"], "first") + " / " + cell(r["warm"], "first")),
    ("warm start: cache read (\"catalog cache live=\")", lambda r: cell(r["warm"], "cache")),
    ("warm start: first frame on screen (own figure)", lambda r: cell(r["warm"], "frame_own")),
    ("cold start: first frame on screen (own figure)", lambda r: cell(r["cold"], "frame_own")),
    ("cold start: \"live load=ok\"", lambda r: cell(r["cold"], "live_ok")),
    ("cold start: lists delivered (\"boot done\")", lambda r: cell(r["cold"], "done")),
    ("peak memory (VmHWM), cold / warm",
     lambda r: cell(r["cold"], "peak_mib", "", 0) + "/ " + cell(r["warm"], "peak_mib", "MiB", 0)),
    ("steady memory (VmRSS at the end), cold / warm",
     lambda r: cell(r["cold"], "steady_mib", "", 0) + "/ " + cell(r["warm"], "steady_mib", "MiB", 0)),
]


def print_table(results, runs):
    heads = ["%s channels (%.0f MiB)" % ("{:,}".format(live), r["size"] / 1048576.0) for live, r in results]
    print()
    print("Boot timing, %d cold and %d warm boot(s) per size; seconds since exec, median (range)" % (runs, runs))
    print()
    print("| What | " + " | ".join(heads) + " |")
    print("|---|" + "---|" * len(heads))
    for label, value in ROWS:
        print("| %s | %s |" % (label, " | ".join(value(r) for _, r in results)))


def main():
    arguments = parse_arguments()
    ensure_display()
    sizes = []
    try:
        for live in arguments.sizes:
            sizes.append(Size(arguments, live))
        # The boots go round the sizes in turn, so that whatever else the
        # machine does during the run falls on every size alike.
        for run in range(arguments.runs):
            for size in sizes:
                size.boot_cold(arguments, run)
                size.boot_warm(arguments, run)
    finally:
        for size in sizes:
            size.stop()
    print_table([(size.live, size.result()) for size in sizes], arguments.runs)


if __name__ == "__main__":
    main()

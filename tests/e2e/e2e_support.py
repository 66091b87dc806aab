"""What the end-to-end scripts share: check lines, log files, screenshots
with pixel reads, and a process's CPU time. Each script runs under Xvfb and
imports this module from its own folder."""
import os
import subprocess
import time

failures = []

SERVICES = ("PANEL", "TMDB_API", "TMDB_IMAGE", "WATCH", "SPORTS", "SPEEDTEST")


def start_standin(standin, media, env):
    """The stand-in server on a free port of 127.0.0.1, with every service
    address in `env` pointed at it. Returns the process and the demo
    playlist URL it prints."""
    proc = subprocess.Popen([standin, "0", "--media", media], env=env, stdout=subprocess.PIPE, text=True)
    base = proc.stdout.readline().strip()
    playlist = (proc.stdout.readline().strip().split() or [""])[-1]
    for name in SERVICES:
        env["VISTRA_%s_URL" % name] = base
    env["VISTRA_TRACE_URL"] = base + "/cdn-cgi/trace"
    return proc, playlist


def start_program(program, env):
    """The program and its window id, focused, once the window maps (None
    after 20 s)."""
    proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 20
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "Vistra 4.3"], capture_output=True, text=True)
        if found.stdout.strip():
            wid = found.stdout.split()[0]
            subprocess.run(["xdotool", "windowfocus", wid], capture_output=True)
            return proc, wid
        time.sleep(0.1)
    return proc, None


def check(condition, what):
    """Prints one ok/FAIL line; a failure is remembered for the exit code."""
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def read_lines(path):
    """The lines of a text file without their line ends; none while it is missing."""
    if not os.path.exists(path):
        return []
    with open(path, errors="replace") as f:
        return [line.rstrip("\n") for line in f]


def screenshot(folder, name):
    """Saves the screen as <folder>/<name>.png for people and returns
    (width, height, rgb bytes) read from a PPM of the same screen."""
    subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")], check=True)
    ppm = subprocess.run(["import", "-window", "root", "ppm:-"], check=True, capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maxval
        while ppm[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    width, height, maxval = int(fields[1]), int(fields[2]), int(fields[3])
    data = ppm[pos + 1:]
    if maxval > 255:  # 16-bit samples, most significant byte first
        data = data[0::2]
    return width, height, data


def pixel(shot, x, y):
    width, _, data = shot
    i = (y * width + x) * 3
    return tuple(data[i:i + 3])


def near(actual, expected, tolerance):
    return actual is not None and all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def cpu_seconds(pid):
    """User plus system CPU time of a process, in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

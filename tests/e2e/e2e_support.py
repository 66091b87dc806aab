"""What the end-to-end scripts share: check lines, log files, screenshots
with pixel reads, and a process's CPU time. Each script runs under Xvfb and
imports this module from its own folder."""
import contextlib
import os
import subprocess
import sys
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
    after 45 s: a loaded machine can take that long)."""
    proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 45
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "Vistra 4.3"], capture_output=True, text=True)
        if found.stdout.strip():
            wid = found.stdout.split()[0]
            subprocess.run(["xdotool", "windowfocus", wid], capture_output=True)
            return proc, wid
        time.sleep(0.1)
    return proc, None


def stop(proc):
    """Ends a process: politely, then for good after 10 s."""
    proc.terminate()
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


@contextlib.contextmanager
def running(program, standin, media, env):
    """The stand-in on `media` and the program with its window, both stopped
    whatever the walk inside does. Yields the window id (None when it did
    not map)."""
    server, _ = start_standin(standin, media, env)
    proc, wid = start_program(program, env)
    try:
        yield wid
    finally:
        stop(proc)
        stop(server)


def finish():
    """Ends a walk: the count of failed checks and exit status 1, or the
    all-clear."""
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)
    print("all checks passed")


SOLID = (230, 20, 20)  # the colour every live channel shows in these tests


def make_solid_media(folder):
    """Live loops of one solid colour for every demo channel (ids 101-112)."""
    loop = os.path.join(folder, "solid")
    os.makedirs(loop)
    colour = "0x%02x%02x%02x" % SOLID
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=c=%s:size=640x360:rate=25" % colour,
                    "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "4",
                    "-c:v", "libx264", "-preset", "ultrafast", "-g", "50", "-pix_fmt", "yuv420p",
                    "-force_key_frames", "expr:gte(t,n_forced*2)", "-c:a", "aac",
                    "-f", "hls", "-hls_time", "2", "-hls_list_size", "0", "-hls_segment_type", "mpegts",
                    "-hls_segment_filename", os.path.join(loop, "seg_%03d.ts"), os.path.join(loop, "loop.m3u8")],
                   check=True)
    os.makedirs(os.path.join(folder, "live"))
    for channel in range(101, 113):
        os.symlink(loop, os.path.join(folder, "live", str(channel)))
    # Every movie: a blue picture with English and Romanian audio and
    # English subtitles, like the demo's.
    movies = os.path.join(folder, "movies")
    os.makedirs(movies)
    subs = os.path.join(folder, "subs.srt")
    with open(subs, "w") as f:
        f.write("1\n00:00:00,500 --> 00:00:19,000\nHello\n")
    clip = os.path.join(movies, "clip.mkv")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "color=c=0x1428dc:size=320x240:rate=25",
                    "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
                    "-f", "lavfi", "-i", "sine=frequency=660:sample_rate=48000", "-i", subs, "-t", "20",
                    "-map", "0:v", "-map", "1:a", "-map", "2:a", "-map", "3:s",
                    "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-c:s", "srt",
                    "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=ron",
                    "-metadata:s:s:0", "language=eng", clip], check=True)
    for movie, ext in (("201", "mkv"), ("202", "mp4"), ("203", "mkv"), ("204", "mkv"), ("205", "mp4"),
                       ("206", "mkv"), ("207", "mkv"), ("208", "mkv")):
        os.symlink(clip, os.path.join(movies, "%s.%s" % (movie, ext)))


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


def log_line_after(log, fragment, after=0, timeout=20.0):
    """Index of the first line of `log` at or after `after` containing
    `fragment`, waiting for it; -1 on time-out."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        lines = read_lines(log)
        for i in range(after, len(lines)):
            if fragment in lines[i]:
                return i
        time.sleep(0.1)
    return -1


class RuntimeLog:
    """The program's log, read while it grows: `mark()` is where it ends now,
    the finders wait up to `timeout` s for a line after a mark."""

    def __init__(self, path):
        self.path = path

    def mark(self):
        return len(read_lines(self.path))

    def index_after(self, fragment, after=0, timeout=20.0):
        return log_line_after(self.path, fragment, after, timeout)

    def line_after(self, fragment, after=0, timeout=20.0):
        """The line itself; empty on time-out."""
        index = log_line_after(self.path, fragment, after, timeout)
        return read_lines(self.path)[index] if index >= 0 else ""


def press(*names, pause=0.3):
    """Presses keys one after the other, `pause` seconds apart."""
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(pause)


def screenshot(folder, name):
    """Reads the screen once, at once (strips hide a few seconds after the
    last key, and a large screen takes a while to encode), keeps it as
    <folder>/<name>.png for people and returns (width, height, rgb bytes)
    of that same screen."""
    ppm = subprocess.run(["import", "-window", "root", "ppm:-"], check=True, capture_output=True).stdout
    subprocess.run(["convert", "ppm:-", os.path.join(folder, name + ".png")], input=ppm, check=True)
    return parse_ppm(ppm)


def walk_paths(argv):
    """What CTest hands a demo walk (<vistra> <vistra_standin> <demo media>
    <output folder>), the data folder the program is given inside the output
    folder, the program's own folder in it and its log: (program, standin,
    media, out, data, folder, RuntimeLog)."""
    program, standin, media, out = argv[1:5]
    data = os.path.join(out, "data")
    folder = os.path.join(data, "Vistra43")
    return program, standin, media, out, data, folder, RuntimeLog(os.path.join(folder, "runtime.log"))


def parse_ppm(ppm):
    """(width, height, rgb bytes) of a binary PPM."""
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

#!/usr/bin/env python3
"""The Windows installer as a user meets it, under Wine and Xvfb:

  install_walk.py <setup.exe> <packed folder> <Linux vistra> <Linux vistra_standin> <output folder>

- a silent install (/S) into a fresh Wine prefix: every packed file in the
  program folder, the Start-menu entries, the uninstaller registered with
  its version;
- the stand-in server as a Linux process on 127.0.0.1; the Linux program
  boots against it first, with a data folder of its own, and ends by the
  Exit tile; then Vistra starts as its Start-menu entry starts it, boots,
  shows Home (a screenshot) and ends the same way. settings.json and the
  catalog cache it leaves in %LOCALAPPDATA%\\Vistra43 must be the Linux
  program's bytes;
- the demo launcher: the Windows stand-in serves the installed media and
  Vistra boots on it with the demo's own data folder; Exit ends both;
- a silent removal: the program folder, the entries and the registration
  go, the data folder stays.
Prints one ok/FAIL line per check; exits 1 when any failed.
"""
import filecmp
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from e2e_support import check, failures, log_line_after, read_lines, start_standin, stop  # noqa: E402

SETUP, PACKED, LINUX_VISTRA, LINUX_STANDIN, OUT = [os.path.abspath(a) for a in sys.argv[1:6]]
MEDIA = os.path.join(PACKED, "demo-media")
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistra43"
# A fresh prefix, its first Windows programs and a first boot of the
# program under Wine take their time on two busy cores.
BOOT_TIMEOUT_S = 180
# Without the program in the package (a build that made only the demo's
# server), the walk still installs, serves and removes, and says so.
HAS_PROGRAM = os.path.isfile(os.path.join(PACKED, "vistra.exe"))


def wine_env(prefix):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    # No menus written to the Linux desktop, no Gecko or Mono prompts.
    env["WINEDLLOVERRIDES"] = "winemenubuilder.exe,mscoree,mshtml=d"
    return env


def wine(env, *args, timeout=300):
    return subprocess.run(["wine", *args], env=env, capture_output=True, text=True, errors="replace",
                          timeout=timeout)


def wait_wine(env, timeout=120):
    """Waits until every Windows process of the prefix has ended."""
    try:
        subprocess.run(["wineserver", "-w"], env=env, timeout=timeout)
        return True
    except subprocess.TimeoutExpired:
        return False


def unix_path(env, windows_path):
    return subprocess.run(["winepath", "-u", windows_path], env=env, capture_output=True, text=True,
                          errors="replace").stdout.strip()


def windows_variable(env, name):
    return wine(env, "cmd", "/c", "echo", "%" + name + "%").stdout.strip()


def link_target(path):
    """The program a shell link (.lnk) starts: its LinkInfo's local base path
    and common suffix (Unicode when the link has them, else ANSI); empty when
    the link has no LinkInfo."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 0x4C or data[:4] != b"\x4c\x00\x00\x00":
        return ""
    flags = struct.unpack_from("<I", data, 0x14)[0]
    pos = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    if flags & 0x2:  # HasLinkInfo
        info = data[pos:]
        header = struct.unpack_from("<I", info, 4)[0]
        if header >= 0x24:
            base = struct.unpack_from("<I", info, 0x1C)[0]
            suffix = struct.unpack_from("<I", info, 0x20)[0]
            read = lambda at: info[at:info.index(b"\0\0", at) + 1].decode("utf-16-le", "replace")  # noqa: E731
            return (read(base) + read(suffix)).rstrip("\0")
        base, suffix = struct.unpack_from("<I", info, 0x10)[0], struct.unpack_from("<I", info, 0x18)[0]
        read = lambda at: info[at:info.index(b"\0", at)].decode("mbcs" if os.name == "nt" else "latin-1")  # noqa: E731
        return read(base) + read(suffix)
    return ""


def find_window(timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "^Vistra 4.3"], capture_output=True, text=True)
        if found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.5)
    return None


def keys(wid, *names, pause=0.4):
    for name in names:
        subprocess.run(["xdotool", "key", "--window", wid, name], capture_output=True)
        time.sleep(pause)


def exit_by_tile(wid):
    """Home's Exit tile (the last of eight) and Yes, as a user quits."""
    subprocess.run(["xdotool", "windowfocus", wid], capture_output=True)
    keys(wid, "Escape", "Escape", *["Down"] * 7, "Return", "Left", "Return")


def window_gone(wid, timeout=30):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if subprocess.run(["xdotool", "getwindowname", wid], capture_output=True).returncode != 0:
            return True
        time.sleep(0.5)
    return False


def capture(wid, name):
    path = os.path.join(OUT, name + ".png")
    subprocess.run(["import", "-window", wid, path], capture_output=True)
    return os.path.isfile(path)


def video_windows():
    """The X windows of the program's video child windows: Wine gives a
    child window its own drawable once the engine draws into it, and a
    capture of the root shows it black."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    found = []
    for match in re.finditer(r"(0x[0-9a-f]+) \(has no name\): \(\)\s+(\d+)x(\d+)", tree):
        if int(match.group(2)) >= 160 and int(match.group(3)) >= 90:
            found.append(match.group(1))
    return found


def picture_in_video(name):
    """Captures each video window; true when one shows a picture (not
    black: the demo's channels are coloured test patterns)."""
    for index, window in enumerate(video_windows()):
        path = os.path.join(OUT, "%s-%d.png" % (name, index))
        subprocess.run(["import", "-window", window, path], capture_output=True)
        mean = subprocess.run(["convert", path, "-format", "%[fx:mean]", "info:"], capture_output=True, text=True)
        try:
            if float(mean.stdout or 0) > 0.05:
                return True
        except ValueError:
            pass
    return False


def watch_channel(wid, log):
    """Live with its preview playing, the full window with its strips
    (which hide), the programme grid, back to Home."""
    start = len(read_lines(log))
    keys(wid, "Return", pause=4)
    check(capture(wid, "live"), "a screenshot of Live")
    codec = log_line_after(log, "mpv codec=", after=start, timeout=60)
    check(codec >= 0, "the preview plays: the engine's codec line in runtime.log")
    check(picture_in_video("preview"), "the preview's picture in its video window (%s)" % OUT)
    # The pointer off the strips (resting on one keeps them up).
    subprocess.run(["xdotool", "mousemove", "--window", wid, "900", "200"], capture_output=True)
    keys(wid, "Right", "Return", pause=3)
    check(capture(wid, "player"), "a screenshot of the full window with its strips")
    time.sleep(6)
    check(capture(wid, "player-strips-hidden"), "a screenshot once the strips hid")
    check(picture_in_video("player-video"), "the full window's picture in its video window")
    keys(wid, "Escape", pause=3)
    keys(wid, "p", pause=6)
    check(capture(wid, "grid"), "a screenshot of the programme grid")
    keys(wid, "Escape", pause=3)


def data_files(folder):
    """The files the program keeps in its data folder, but its log (which
    holds times and the system's own lines)."""
    found = set()
    for root, _, files in os.walk(folder):
        for name in files:
            relative = os.path.relpath(os.path.join(root, name), folder)
            if relative != "runtime.log":
                found.add(relative)
    return found


def boot(log, what):
    done = log_line_after(log, "boot done", timeout=BOOT_TIMEOUT_S)
    check(done >= 0, "%s reaches 'boot done' (%s)" % (what, log))
    return done >= 0


def linux_reference(env):
    """The Linux program's data folder after one boot and Exit."""
    data = os.path.join(OUT, "linux-data")
    proc = subprocess.Popen([LINUX_VISTRA], env=dict(env, XDG_DATA_HOME=data), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        wid = find_window(60)
        if wid and boot(os.path.join(data, "Vistra43", "runtime.log"), "the Linux program"):
            time.sleep(3)  # the lists and the backdrop arrive beside the boot
            exit_by_tile(wid)
            proc.wait(timeout=30)
    except subprocess.TimeoutExpired:
        pass
    finally:
        if proc.poll() is None:
            stop(proc)
    return os.path.join(data, "Vistra43")


def install(env, local):
    result = wine(env, SETUP, "/S", timeout=600)
    wait_wine(env)
    check(result.returncode == 0, "the installer ran silently (/S, exit %d)" % result.returncode)
    folder = os.path.join(local, "Programs", "Vistra 4.3")
    packed = sorted(os.path.relpath(os.path.join(r, n), PACKED) for r, _, ns in os.walk(PACKED) for n in ns)
    differing = [p for p in packed if not os.path.isfile(os.path.join(folder, p))
                 or not filecmp.cmp(os.path.join(PACKED, p), os.path.join(folder, p), shallow=False)]
    check(not differing, "the %d packed files are installed in %s as packed%s"
          % (len(packed), folder, (": not " + ", ".join(differing[:5])) if differing else ""))
    check(os.path.isfile(os.path.join(folder, "Uninstall.exe")), "the uninstaller is installed")
    registered = wine(env, "reg", "query", UNINSTALL_KEY).stdout
    check("DisplayVersion" in registered and "4.3" in registered and "Uninstall.exe" in registered,
          "the uninstaller is registered under %s with version 4.3" % UNINSTALL_KEY)
    return folder


def walk_program(env, programs, local, linux_folder):
    link = os.path.join(programs, "Vistra.lnk")
    check(os.path.isfile(link), "the Start-menu entry exists (%s)" % link)
    target = link_target(link) if os.path.isfile(link) else ""
    check(target.lower().endswith("\\vistra 4.3\\vistra.exe"), "it starts vistra.exe in the program folder (%s)" % target)
    if not HAS_PROGRAM:
        return
    folder = os.path.join(local, "Vistra43")
    log = os.path.join(folder, "runtime.log")
    # The shell starts what the entry names, as a click on it does.
    starter = subprocess.Popen(["wine", "start", "/unix", link], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    wid = find_window(BOOT_TIMEOUT_S if HAS_PROGRAM else 5)
    check(wid is not None, "the program's window appears")
    booted = wid is not None and boot(log, "Vistra for Windows")
    if wid and booted:
        time.sleep(3)
        check(capture(wid, "home"), "a screenshot of Home (%s)" % os.path.join(OUT, "home.png"))
        exit_by_tile(wid)
        check(window_gone(wid), "the Exit tile ends the program")
    finish(starter)
    wait_wine(env, timeout=60)
    compare_with_linux(folder, linux_folder)
    if not booted:
        return
    # Started again, as a user comes back: a channel plays this time (which
    # changes what the program keeps, so the files were compared above).
    lines = len(read_lines(log))
    starter = subprocess.Popen(["wine", "start", "/unix", link], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    wid = find_window(BOOT_TIMEOUT_S)
    check(wid is not None and log_line_after(log, "boot done", after=lines, timeout=BOOT_TIMEOUT_S) >= 0,
          "started again, it boots from its cache")
    if wid:
        time.sleep(3)
        watch_channel(wid, log)
        exit_by_tile(wid)
        check(window_gone(wid), "the Exit tile ends it again")
    finish(starter)
    wait_wine(env, timeout=60)


def compare_with_linux(folder, linux_folder):
    ours, theirs = data_files(folder), data_files(linux_folder)
    check(theirs and ours == theirs, "it writes the files the Linux program writes (%s; Linux: %s)"
          % (" ".join(sorted(ours)), " ".join(sorted(theirs))))
    for name in sorted(ours & theirs):
        mine, linux = comparable(os.path.join(folder, name), name), comparable(os.path.join(linux_folder, name), name)
        check(mine is not None and mine == linux, "%s has the Linux program's bytes%s"
              % (name, " (but the time it was fetched)" if name in FETCH_TIME_LAST_LINE else ""))


# The whole guide's source notes when it was fetched on its last line: the
# one part of the data folder that depends on the moment.
FETCH_TIME_LAST_LINE = {os.path.join("guide", "source.txt")}


def comparable(path, name):
    """A data file's bytes as the two programs must agree on them; None when
    a fetch time is not a number of seconds."""
    with open(path, "rb") as f:
        data = f.read()
    if name not in FETCH_TIME_LAST_LINE:
        return data
    lines = data.split(b"\n")
    if len(lines) < 2 or lines[-1] != b"" or not lines[-2].isdigit():
        return None
    return b"\n".join(lines[:-2])


def finish(proc, timeout=30):
    """Waits for a process; kills it when it hangs (Wine's error boxes)."""
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def walk_demo(env, local, programs):
    demo_link = os.path.join(programs, "Vistra Demo.lnk")
    check(os.path.isfile(demo_link), "the demo's Start-menu entry exists")
    log = os.path.join(local, "vistra-demo", "Vistra43", "runtime.log")
    launcher = link_target(demo_link) if os.path.isfile(demo_link) else ""
    check(launcher.lower().endswith("\\vistra 4.3\\vistra-demo.cmd"), "it starts the demo launcher (%s)" % launcher)
    # cmd runs the launcher as the entry does. Its output goes to a file, not
    # a pipe: the server it starts inherits the handle and holds it open.
    output_path = os.path.join(OUT, "demo-output.txt")
    with open(output_path, "w") as output_file:
        demo = subprocess.Popen(["wine", "cmd", "/c", launcher], env=env, stdout=output_file,
                                stderr=subprocess.STDOUT)
    wid = find_window(BOOT_TIMEOUT_S if HAS_PROGRAM else 5)
    check(wid is not None, "the demo launcher opens the program's window")
    if wid and boot(log, "the demo on the Windows stand-in"):
        time.sleep(3)
        capture(wid, "demo-home")
        exit_by_tile(wid)
        window_gone(wid)
    finish(demo, timeout=60)
    with open(output_path, errors="replace") as f:
        output = f.read()
    check("demo provider at http://127.0.0.1:" in output, "the launcher started the Windows stand-in (%s)"
          % output.strip().replace("\r", "").replace("\n", " | "))
    check(demo.returncode == 0, "the launcher ends with the program (exit %s)" % demo.returncode)
    port = re.search(r"demo provider at http://127\.0\.0\.1:(\d+)", output)
    check(port is not None and not answers(int(port.group(1))), "the stand-in stopped with the program")


def answers(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=2) as connection:
            connection.sendall(b"GET /health HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n")
            return b"ok" in connection.recv(4096)
    except OSError:
        return False


def uninstall(env, local, programs, installed):
    wine(env, os.path.join(installed, "Uninstall.exe"), "/S")
    # The uninstaller runs a copy of itself from the temporary folder and
    # returns at once; the copy ends when the removal is done.
    wait_wine(env)
    check(not os.path.exists(installed), "the removal deletes the program folder")
    check(not os.path.exists(os.path.join(programs, "Vistra.lnk"))
          and not os.path.exists(os.path.join(programs, "Vistra Demo.lnk")), "and both Start-menu entries")
    check(wine(env, "reg", "query", UNINSTALL_KEY).returncode != 0, "and its registration")
    check(os.path.isfile(os.path.join(local, "Vistra43", "settings.json")), "the data folder stays")


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    prefix = tempfile.mkdtemp(prefix="vistra-wine-")
    env = wine_env(prefix)
    server = None
    try:
        subprocess.run(["wineboot", "--init"], env=env, capture_output=True, timeout=600)
        wait_wine(env, timeout=600)
        local = unix_path(env, windows_variable(env, "LOCALAPPDATA"))
        programs = os.path.join(unix_path(env, windows_variable(env, "APPDATA")), "Microsoft", "Windows",
                                "Start Menu", "Programs")
        check(os.path.isdir(local), "a fresh Wine prefix (%s, %%LOCALAPPDATA%% %s)" % (prefix, local))
        installed = install(env, local)
        server, playlist = start_standin(LINUX_STANDIN, MEDIA, env)
        check(playlist.startswith("http://127.0.0.1:"), "the Linux stand-in serves %s" % playlist)
        check(HAS_PROGRAM, "vistra.exe is in the package")
        linux_folder = linux_reference(env)
        walk_program(env, programs, local, linux_folder)
        stop(server)
        server = None
        walk_demo(env, local, programs)
        uninstall(env, local, programs, installed)
    finally:
        if server:
            stop(server)
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
        shutil.rmtree(prefix, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)
    print("all checks passed")


if __name__ == "__main__":
    main()

"""The Debian package built from BUILD_DIR, and the program unpacked from it, started as a desktop
starts it by a user who does not own its folder, in a folder of no account, and driven through
AT-SPI: with `x11`, the package's contents and the checkers' verdicts, then the program as `nobody`
on an X display of its own (keys by xdotool); with `wayland`, natively under weston, as root,
started under another name."""

import glob
import importlib.util
import os
import shlex
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time

TOOLS = {"x11": ["xvfb-run", "xauth", "xdotool", "lintian", "desktop-file-validate", "appstreamcli"],
         "wayland": ["weston"]}
APP_ID, PROGRAM = "org.kurvimo.kurvimo", "usr/lib/kurvimo"
FILES = f"""usr/bin/kurvimo {PROGRAM}/kurvimo {PROGRAM}/kurvimo-help {PROGRAM}/cls.bmp {PROGRAM}/krv.hlp
    usr/share/applications/{APP_ID}.desktop usr/share/metainfo/{APP_ID}.metainfo.xml
    usr/share/man/man1/kurvimo.1.gz usr/share/doc/kurvimo/copyright usr/share/doc/kurvimo/changelog.gz
    """.split() + [f"usr/share/icons/hicolor/{n}/apps/{APP_ID}.{'svg' if n == 'scalable' else 'png'}"
                   for n in "16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256 scalable".split()]
DEPENDS = ["fonts-liberation", "fonts-ipafont-gothic", "libqt6widgets6"]


def wait(what, probe, proc, deadline=15.0):  # until probe() gives (something true, reading)
    end = time.monotonic() + deadline
    while proc.poll() is None:
        try:
            found, reading = probe()
        except RuntimeError as error:  # a window that comes or goes cannot be read
            found, reading = None, error
        if found:
            return found
        if time.monotonic() > end:
            raise AssertionError(f"{what}: after {deadline:g} s it reads {reading!r}")
        time.sleep(0.05)
    raise AssertionError(f"{what}: the program ended with status {proc.returncode}")


def find(root, role, name=None, description=None, within=None):  # a window fills in as it shows
    for _ in range(100):
        if found := pyatspi.findDescendant(root, lambda node: node.getRoleName() == role and name in (
                None, node.name) and description in (None, node.description) and within in (
                None, node.parent.getRoleName())):
            return found
        time.sleep(0.05)
    raise AssertionError(f"no {role} '{name or description}' in '{root.name}'")


def press(acc, wait_for_it=True):  # a menu entry that opens a modal window answers only once it closes
    for _ in range(100):  # a button is pressed some time after it is asked to be
        if acc.getState().contains(pyatspi.STATE_ENABLED):
            break
        time.sleep(0.05)

    def act():
        try:
            acc.queryAction().doAction(0)
        except Exception:  # no answer, as with Exit
            pass
    (act if wait_for_it else threading.Thread(target=act, daemon=True).start)()


def check(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:  # lintian --fail-on error and the validators say so by their status
        raise AssertionError(f"{' '.join(command)}:\n{done.stdout}{done.stderr}")
    return done.stdout


def package(build_dir, work, platform):  # builds, checks and unpacks the package into work/root
    check("cpack", "-G", "DEB", "--config", f"{build_dir}/CPackConfig.cmake", "-B", work)
    deb, root = glob.glob(f"{work}/kurvimo_*.deb")[0], f"{work}/root"
    check("dpkg-deb", "-x", deb, root)
    if platform == "x11":
        listed = {line.split()[-1].lstrip("./") for line in check("dpkg-deb", "-c", deb).splitlines()}
        depends = check("dpkg-deb", "-f", deb, "Depends")
        if missing := [f for f in FILES if f not in listed] + [d for d in DEPENDS if d not in depends]:
            raise AssertionError(f"the package lacks {missing}; Depends: {depends}")
        check("lintian", "--fail-on", "error", deb)
        check("desktop-file-validate", f"{root}/usr/share/applications/{APP_ID}.desktop")
        check("appstreamcli", "validate", "--no-net", f"{root}/usr/share/metainfo/{APP_ID}.metainfo.xml")
    os.chmod(work, 0o755)
    os.mkdir(f"{work}/home")
    shutil.copy(__file__, work)
    if os.getuid() != 0:  # no other user to be: the program folder is made not ours instead
        os.chmod(f"{root}/{PROGRAM}", 0o555)
    elif platform == "x11":
        shutil.chown(f"{work}/home", "nobody")
        return ["runuser", "-u", "nobody", "--"]
    return []


def scenario(work, log, platform):
    root, home = f"{work}/root", f"{work}/home"
    program_folder = os.listdir(f"{root}/{PROGRAM}")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM=platform.replace(
        "x11", "xcb"), QT_FONT_DPI="96", QT_SCALE_FACTOR="1", LC_ALL="C.UTF-8")
    if platform == "x11":  # from its menu entry
        exec_line = next(line[5:] for line in open(f"{root}/usr/share/applications/{APP_ID}.desktop")
                         if line.startswith("Exec="))
        command = {"args": [root + arg for arg in shlex.split(exec_line)]}
    else:  # by a name not its own, which must not move its data folder
        command = {"args": ["another-name"], "executable": f"{root}/{PROGRAM}/kurvimo"}
    proc = subprocess.Popen(**command, cwd=home, env=env, stdout=log, stderr=log)
    started.append(proc)
    app = wait("the program on the accessibility bus", lambda: (next(
        (a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == proc.pid
         and a.childCount), None), "nothing"), proc)
    main = wait("the main window", lambda: (next((w for w in app if w and w.name == "Kurvimo" and (
        w.getState().contains(pyatspi.STATE_SHOWING))), None), [w.name for w in app if w]), proc)
    menu = {name: find(main, "menu item", name, within="popup menu") for name in ["Save As...", "Exit",
                                                                              "Help"]}

    def viewers():
        kids = open(f"/proc/{proc.pid}/task/{proc.pid}/children").read().split()
        return [int(k) for k in kids if open(f"/proc/{k}/comm").read() == "kurvimo-help\n"]

    # Start reads cls.bmp from the program folder; then the real timer's ticks count.
    press(find(main, "push button", "Start"))
    wait("the figure count to reach 3", lambda: (
        int(find(main, "label", description="Figure count").name or 0) >= 3, "less"), proc)
    press(find(main, "push button", "Stop"))
    # A Reserve Start keeps the picture in the user's data folder: the program's is not theirs.
    press(find(main, "radio button", "Reserve"))
    press(find(main, "push button", "Start"))
    kept = f"{home}/.local/share/kurvimo/sgz.bmp"
    wait("sgz.bmp in the user's data folder", lambda: (os.path.exists(kept), "none"), proc)
    press(find(main, "push button", "Stop"))
    # Save As writes a bitmap of the canvas, 517 x 485 pixels, whole.
    press(menu["Save As..."], wait_for_it=False)
    dialog = wait("the Save As window", lambda: (next((w for w in app if w and w.name == (
        "Save As...")), None), [w.name for w in app if w]), proc)
    find(dialog, "text", "File name").queryEditableText().setTextContents("drawn")
    press(find(dialog, "push button", "Save"))
    saved = wait("drawn.bmp", lambda: (os.path.exists(f"{home}/drawn.bmp") and open(
        f"{home}/drawn.bmp", "rb").read(), "none"), proc)
    if saved[:2] != b"BM" or struct.unpack_from("<I", saved, 2)[0] != len(saved) or (
            struct.unpack_from("<ii", saved, 18) != (517, 485)):
        raise AssertionError(f"drawn.bmp is no whole bitmap of the canvas: {saved[:30]!r}")
    # One help viewer: asked again, it comes to the front; gone, however suddenly, it is replaced.
    press(menu["Help"])
    first = wait("a help viewer", lambda: (viewers(), "none"), proc)
    press(menu["Help"])
    if platform == "x11":
        help_window = wait("its window", lambda: (xdotool("search", "--onlyvisible", "--pid", first[
            0], "--name", "^Kurvimo Help$"), "none"), proc)
        xdotool("windowfocus", "--sync", xdotool("search", "--pid", proc.pid, "--name", "^Kurvimo$")[0],
                "key", "F1")
        wait("it to come to the front", lambda: (xdotool("getwindowfocus") == help_window, "not"), proc)
    os.kill(first[0], signal.SIGKILL)
    press(menu["Help"])
    second = wait("a new help viewer", lambda: (viewers() not in ([], first) and viewers(), viewers()),
                  proc)
    if viewers() != second:
        raise AssertionError(f"more than one viewer: {viewers()}")
    # File > Exit ends the program at once, with status 0, even with its viewer stopped.
    os.kill(second[0], signal.SIGSTOP)
    press(menu["Exit"], wait_for_it=False)
    if (status := proc.wait(timeout=3.0)) != 0:  # else TimeoutExpired: it did not end in time
        raise AssertionError(f"File > Exit: status {status}")
    if os.listdir(f"{root}/{PROGRAM}") != program_folder:
        raise AssertionError(f"the program folder changed: {os.listdir(f'{root}/{PROGRAM}')}")


def xdotool(*args):  # a search that finds nothing is no failure
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0 and args[0] != "search":
        raise AssertionError(f"xdotool {args}: {done.stderr.strip()}")
    return done.stdout.split()


def desktop(platform, work, user):  # runs this script again inside a session of its own
    env = ["env", "-u", "XDG_DATA_HOME", f"HOME={work}/home", "KURVIMO_E2E_DESKTOP=" + platform]
    again = ["dbus-run-session", "--", sys.executable, f"{work}/{os.path.basename(__file__)}", work]
    if platform == "x11":
        return subprocess.run([*user, *env, "xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -nolisten "
                               "tcp -noreset", *again]).returncode
    runtime = tempfile.mkdtemp(dir=work)  # weston wants it private
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman",
                               "--socket=kurvimo-e2e", "--idle-time=0"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, env=dict(os.environ, XDG_RUNTIME_DIR=runtime))
    try:
        while not os.path.exists(f"{runtime}/kurvimo-e2e"):
            time.sleep(0.05)
        return subprocess.run([*user, *env, f"XDG_RUNTIME_DIR={runtime}",
                               "WAYLAND_DISPLAY=kurvimo-e2e", *again]).returncode
    finally:
        weston.kill()


def main():
    platform = os.environ.get("KURVIMO_E2E_DESKTOP")
    if not platform:  # first, the package; then a display and a bus
        platform = sys.argv[2]
        missing = [t for t in TOOLS[platform] + ["cpack", "dpkg-deb", "dbus-run-session",
                   "/usr/libexec/at-spi-bus-launcher"] if not shutil.which(t)]
        missing += [] if importlib.util.find_spec("pyatspi") else ["pyatspi"]
        if platform == "wayland" and not glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland*"):
            missing.append("qt6-wayland")
        if missing:
            print(f"skipped: {', '.join(missing)} missing")
            return 77  # the test's SKIP_RETURN_CODE
        with tempfile.TemporaryDirectory(prefix="kurvimo-e2e-") as work:
            user = package(sys.argv[1], work, platform)  # a failure ends the test with its traceback
            return desktop(platform, work, user)
    global pyatspi
    import pyatspi  # it finds the buses when first imported; the bus then starts AT-SPI itself
    with tempfile.TemporaryFile() as log:
        try:
            scenario(sys.argv[1], log, platform)
        except (AssertionError, subprocess.TimeoutExpired) as failure:
            log.seek(0)
            print(f"FAILED: {failure}\n--- output ---\n{log.read()[-3000:].decode(errors='replace')}")
            return 1
        finally:
            for proc in started:
                proc.kill(), proc.wait()
    return 0


started = []
if __name__ == "__main__":
    sys.exit(main())

"""The Debian package built from BUILD_DIR: its contents and the checkers' verdicts; then the program
unpacked from it, started from its menu entry by a user who cannot write its folder, on an X display
of its own, driven with xdotool and read through AT-SPI: what only a real window shows."""

import glob
import importlib.util
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

TOOLS = ["xvfb-run", "xauth", "dbus-run-session", "xdotool", "/usr/libexec/at-spi-bus-launcher",
         "cpack", "dpkg-deb", "lintian", "desktop-file-validate", "appstreamcli"]
APP_ID, PROGRAM = "org.kurvimo.kurvimo", "usr/lib/kurvimo"
FILES = f"""usr/bin/kurvimo {PROGRAM}/kurvimo {PROGRAM}/kurvimo-help {PROGRAM}/cls.bmp {PROGRAM}/krv.hlp
    usr/share/applications/{APP_ID}.desktop usr/share/metainfo/{APP_ID}.metainfo.xml
    usr/share/man/man1/kurvimo.1.gz usr/share/doc/kurvimo/copyright usr/share/doc/kurvimo/changelog.gz
    """.split() + [f"usr/share/icons/hicolor/{n}/apps/{APP_ID}.{'svg' if n == 'scalable' else 'png'}"
                   for n in "16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256 scalable".split()]
DEPENDS = ["fonts-liberation", "fonts-ipafont-gothic", "libqt6widgets6"]


def xdotool(*args):  # a search that finds nothing is no failure
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0 and args[0] != "search":
        raise AssertionError(f"xdotool {args}: {done.stderr.strip()}")
    return done.stdout.split()


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


def find(root, role, name=None, description=None):
    if found := pyatspi.findDescendant(root, lambda node: node.getRoleName() == role and name in (
            None, node.name) and description in (None, node.description)):
        return found
    raise AssertionError(f"no {role} '{name or description}' in '{root.name}'")


def click(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    # No --sync: it waits for the pointer to move, forever when it is already there.
    xdotool("mousemove", e.x + e.width // 2, e.y + e.height // 2, "click", 1)


def check(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:  # lintian --fail-on error and the validators say so by their status
        raise AssertionError(f"{' '.join(command)}:\n{done.stdout}{done.stderr}")
    return done.stdout


def package(build_dir, work):  # builds, checks and unpacks the package into work/root
    check("cpack", "-G", "DEB", "--config", f"{build_dir}/CPackConfig.cmake", "-B", work)
    deb, root = glob.glob(f"{work}/kurvimo_*.deb")[0], f"{work}/root"
    listed = {line.split()[-1].lstrip("./") for line in check("dpkg-deb", "-c", deb).splitlines()}
    depends = check("dpkg-deb", "-f", deb, "Depends")
    if missing := [f for f in FILES if f not in listed] + [d for d in DEPENDS if d not in depends]:
        raise AssertionError(f"the package lacks {missing}; Depends: {depends}")
    check("lintian", "--fail-on", "error", deb)
    check("dpkg-deb", "-x", deb, root)
    check("desktop-file-validate", f"{root}/usr/share/applications/{APP_ID}.desktop")
    check("appstreamcli", "validate", "--no-net", f"{root}/usr/share/metainfo/{APP_ID}.metainfo.xml")
    os.chmod(work, 0o755)
    os.mkdir(f"{work}/home")
    shutil.copy(__file__, work)
    if os.getuid() != 0:  # no other user to be: the program folder is made not ours instead
        os.chmod(f"{root}/{PROGRAM}", 0o555)
        return []
    shutil.chown(f"{work}/home", "nobody")
    return ["runuser", "-u", "nobody", "--"]


def scenario(work, log):
    root, home = f"{work}/root", f"{work}/home"
    program_folder = os.listdir(f"{root}/{PROGRAM}")
    # Started as a desktop starts it, in a folder of no account.
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               QT_FONT_DPI="96", QT_SCALE_FACTOR="1", LC_ALL="C.UTF-8")
    entry = f"{root}/usr/share/applications/{APP_ID}.desktop"
    exec_line = next(line[5:] for line in open(entry) if line.startswith("Exec="))
    proc = subprocess.Popen([root + arg for arg in shlex.split(exec_line)], cwd=home, env=env,
                            stdout=log, stderr=log)
    started.append(proc)
    app = wait("the program on the accessibility bus", lambda: (next(
        (a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == proc.pid
         and a.childCount), None), "nothing"), proc)

    def shown(title, pid=None):  # the X windows of that title, of the program or of `pid`
        return xdotool("search", "--onlyvisible", "--pid", pid or proc.pid, "--name", f"^{title}$")

    def keys(title, *keys):
        # With no window manager, a window has the keyboard only when it is given it.
        xdotool("windowfocus", "--sync", shown(title)[-1], "key", "--delay", 40, *keys)

    def viewers():
        kids = open(f"/proc/{proc.pid}/task/{proc.pid}/children").read().split()
        return [int(k) for k in kids if open(f"/proc/{k}/comm").read() == "kurvimo-help\n"]

    main = wait("the main window", lambda: (next((w for w in app if w and w.name == "Kurvimo" and (
        w.getState().contains(pyatspi.STATE_SHOWING))), None), [w.name for w in app if w]), proc)
    # Start reads cls.bmp from the program folder; then the real timer's ticks count.
    click(find(main, "push button", "Start"))
    wait("the figure count to reach 3", lambda: (
        int(find(main, "label", description="Figure count").name or 0) >= 3, "less"), proc)
    click(find(main, "push button", "Stop"))
    # A Reserve Start keeps the picture in the user's data folder: the program's is not theirs.
    click(find(main, "radio button", "Reserve"))
    click(find(main, "push button", "Start"))
    kept = f"{home}/.local/share/kurvimo/sgz.bmp"
    wait("sgz.bmp in the user's data folder", lambda: (os.path.exists(kept), "none"), proc)
    click(find(main, "push button", "Stop"))
    # One help viewer: asked again, it comes to the front; once closed, Help starts another.
    keys("Kurvimo", "alt+h", "h")
    first = wait("a help viewer", lambda: (viewers(), "none"), proc)
    help_window = wait("its window", lambda: (shown("Kurvimo Help", first[0]), "none"), proc)
    keys("Kurvimo", "F1")
    wait("it to come to the front, alone", lambda: (
        xdotool("getwindowfocus") == help_window and viewers() == first, viewers()), proc)
    os.kill(first[0], 15)
    wait("the viewer to close", lambda: (not viewers(), viewers()), proc)
    keys("Kurvimo", "alt+h", "h")
    wait("a new help viewer", lambda: (viewers() not in ([], first), viewers()), proc)
    # File > Exit ends the program at once, with status 0: no sanitizer report either.
    keys("Kurvimo", "alt+f")
    wait("the File menu", lambda: (pyatspi.findDescendant(main, lambda m: m.getRoleName() == (
        "popup menu") and m.getState().contains(pyatspi.STATE_SHOWING)), "closed"), proc)
    xdotool("key", "x")
    if (status := proc.wait(timeout=1.0)) != 0:  # else TimeoutExpired: it did not end at once
        raise AssertionError(f"File > Exit: status {status}")
    if os.listdir(f"{root}/{PROGRAM}") != program_folder:
        raise AssertionError(f"the program folder changed: {os.listdir(f'{root}/{PROGRAM}')}")


def main():
    if "KURVIMO_E2E_DESKTOP" not in os.environ:  # first, the package; then a display and a bus
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing := missing + ([] if importlib.util.find_spec("pyatspi") else ["pyatspi"]):
            print(f"skipped: {', '.join(missing)} missing")
            return 77  # the test's SKIP_RETURN_CODE
        with tempfile.TemporaryDirectory(prefix="kurvimo-e2e-") as work:
            user = package(sys.argv[1], work)  # a failure ends the test with its traceback
            env = ["env", "-u", "XDG_DATA_HOME", f"HOME={work}/home", "KURVIMO_E2E_DESKTOP=1"]
            return subprocess.run([*user, *env, "xvfb-run", "-a", "-s", "-screen 0 1024x768x24 "
                                   "-nolisten tcp -noreset", "dbus-run-session", "--", sys.executable,
                                   f"{work}/{os.path.basename(__file__)}", work]).returncode
    global pyatspi
    import pyatspi  # it finds the buses when first imported; the bus then starts AT-SPI itself
    with tempfile.TemporaryFile() as log:
        try:
            scenario(sys.argv[1], log)
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

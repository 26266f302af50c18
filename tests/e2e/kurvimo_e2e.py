"""The program installed from BUILD_DIR, started from its menu entry on an X display of its own,
driven with xdotool and read through AT-SPI: what only a real window shows."""

import importlib.util
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

QUESTION = " ファイルは既に存在します。上書きしますか？"
TOOLS = ["xvfb-run", "xauth", "dbus-run-session", "xdotool", "/usr/libexec/at-spi-bus-launcher"]


def xdotool(*args):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0:
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


def find(root, role, name=None, description=None, every=False):  # the first one, or every one
    found, todo = [], [root]
    while todo:
        node = todo.pop(0)
        if node.getRoleName() == role and name in (None, node.name) and description in (
                None, node.description):
            found.append(node)
        todo += [kid for kid in node if kid]
    if not found and not every:
        raise AssertionError(f"no {role} '{name or description}' in '{root.name}'")
    return found if every else found[0]


def click(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    # No --sync: it waits for the pointer to move, forever when it is already there.
    xdotool("mousemove", e.x + e.width // 2, e.y + e.height // 2, "click", 1)


def scenario(build_dir, work, log):
    prefix, home = os.path.join(work, "prefix"), os.path.join(work, "home")
    os.mkdir(home)
    subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix], check=True, stdout=log)
    entry = os.path.join(prefix, "share", "applications", "kurvimo.desktop")
    check = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    if check.returncode != 0 or check.stdout.strip():
        raise AssertionError(f"desktop-file-validate: {check.stdout}{check.stderr}")
    # Started as a desktop starts it, in a folder of no account.
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               QT_FONT_DPI="96", QT_SCALE_FACTOR="1", LC_ALL="C.UTF-8")
    exec_line = next(line[5:] for line in open(entry) if line.startswith("Exec="))
    proc = subprocess.Popen(shlex.split(exec_line), cwd=home, env=env, stdout=log, stderr=log)
    started.append(proc)
    app = wait("the program on the accessibility bus", lambda: (next(
        (a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == proc.pid
         and a.childCount), None), "nothing"), proc)

    def window(title, role):
        return wait(f"{role} '{title}'", lambda: (next((w for w in app if w and w.name == title and (
            w.getRoleName() == role and w.getState().contains(pyatspi.STATE_SHOWING))), None),
            [w.name for w in app if w]), proc)

    def keys(title, *keys):
        # With no window manager, a window has the keyboard only when it is given it.
        found = xdotool("search", "--onlyvisible", "--pid", proc.pid, "--name", f"^{title}$")
        xdotool("windowfocus", "--sync", found[-1], "key", "--delay", 40, *keys)

    def save_as(name):
        keys("Kurvimo", "alt+f", "a")
        dialog = window("Save As...", "dialog")
        click(find(dialog, "text", "File name"))
        keys("Save As...", "ctrl+a", *name)
        click(find(dialog, "push button", "Save"))

    main = window("Kurvimo", "frame")
    e = find(main, "filler").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if (e.width, e.height) != (711, 517):
        raise AssertionError(f"client area: expected 711 x 517, read {e.width} x {e.height}")
    # Start reads cls.bmp from the program folder; then the real timer's ticks count.
    click(find(main, "push button", "Start"))
    wait("label 'Figure count' to reach 3", lambda: (
        (text := find(main, "label", description="Figure count").name).isdigit() and int(text) >= 3,
        text), proc)
    click(find(main, "push button", "Stop"))
    target = os.path.join(home, "figure.bmp")
    save_as("figure")
    wait("figure.bmp", lambda: (os.path.exists(target), os.listdir(home)), proc)
    drawn = open(target, "rb").read()
    click(find(main, "push button", "Clear"))
    save_as("figure")  # asks before it replaces the picture, Yes the default
    box = window("Kurvimo", "alert")
    said = " ".join(label.name for label in find(box, "label", every=True))
    yes, _ = find(box, "push button", "Yes"), find(box, "push button", "No")
    if target + QUESTION not in said or not yes.getState().contains(pyatspi.STATE_IS_DEFAULT):
        raise AssertionError(f"the question: expected {target + QUESTION!r}, Yes the default; read {said!r}")
    click(yes)
    wait("figure.bmp to show the cleared canvas",
         lambda: (open(target, "rb").read() not in (drawn, b""), "unchanged"), proc)
    # File > Exit ends the program at once, with status 0: no sanitizer report either.
    keys("Kurvimo", "alt+f")
    wait("the File menu", lambda: (any(m.getState().contains(pyatspi.STATE_SHOWING)
                                       for m in find(main, "popup menu", every=True)), "closed"), proc)
    xdotool("key", "x")
    try:
        if (status := proc.wait(timeout=1.0)) != 0:
            raise AssertionError(f"File > Exit: status {status}")
    except subprocess.TimeoutExpired:
        raise AssertionError("File > Exit: still running 1 s after the key")


def main():
    if "KURVIMO_E2E_DESKTOP" not in os.environ:  # first, an X display and a session bus of its own
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing := missing + ([] if importlib.util.find_spec("pyatspi") else ["pyatspi"]):
            print(f"skipped: {', '.join(missing)} missing")
            return 77  # the test's SKIP_RETURN_CODE
        os.environ["KURVIMO_E2E_DESKTOP"] = "1"
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -nolisten tcp -noreset",
                               "dbus-run-session", "--", sys.executable, *sys.argv])
    global pyatspi
    import pyatspi  # it finds the buses when first imported; the bus then starts AT-SPI itself
    with tempfile.TemporaryDirectory(prefix="kurvimo-e2e-") as work, tempfile.TemporaryFile() as log:
        try:
            scenario(sys.argv[1], work, log)
        except AssertionError as failure:
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

"""What only a real window shows: the program installed from BUILD_DIR and started from its menu
entry, on an X display of its own, driven with xdotool and read through AT-SPI."""

import importlib.util
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

TITLE = "Kurvimo"
QUESTION = " ファイルは既に存在します。上書きしますか？"
TOOLS = ["xvfb-run", "xauth", "dbus-run-session", "xdotool", "/usr/libexec/at-spi-bus-launcher"]


class StepFailed(AssertionError):
    pass


def xdotool(*args):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0:
        raise StepFailed(f"xdotool {args}: {done.stderr.strip()}")
    return done.stdout.split()


def find(root, role, name=None, description=None, every=False):
    """The first accessible of `role` under `root` with that name or description, or `every` one."""
    found, todo = [], [root]
    while todo:
        node = todo.pop(0)
        if node.getRoleName() == role and name in (None, node.name) and description in (
                None, node.description):
            found.append(node)
        todo += [kid for kid in node if kid]
    if not found and not every:
        raise StepFailed(f"no {role} '{name or description}' in '{root.name}'")
    return found if every else found[0]


def click(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    # No --sync: it waits for the pointer to move, forever when it is already there.
    xdotool("mousemove", e.x + e.width // 2, e.y + e.height // 2, "click", 1)


class Program:
    started = []

    def __init__(self, argv, cwd, log):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   QT_FONT_DPI="96", QT_SCALE_FACTOR="1", LC_ALL="C.UTF-8")
        self.proc = subprocess.Popen(argv, cwd=cwd, env=env, stdout=log, stderr=log)
        Program.started.append(self.proc)
        self.app = self.wait("the program on the accessibility bus", lambda: next(
            ((a, a) for a in pyatspi.Registry.getDesktop(0)
             if a and a.get_process_id() == self.proc.pid and a.childCount), (None, None)))
        self.main = self.window(TITLE, "frame")

    def wait(self, what, probe, deadline=15.0):
        """Polls `probe` until it gives (something true, reading); fails naming what it read."""
        end = time.monotonic() + deadline
        while self.proc.poll() is None:
            try:
                ok, reading = probe()
            except RuntimeError as error:  # a window that comes or goes cannot be read
                ok, reading = None, error
            if ok:
                return reading
            if time.monotonic() > end:
                raise StepFailed(f"{what}: after {deadline:g} s it reads {reading!r}")
            time.sleep(0.05)
        raise StepFailed(f"{what}: the program ended with status {self.proc.returncode}")

    def window(self, title, role):
        showing = pyatspi.STATE_SHOWING
        return self.wait(f"{role} '{title}' (windows)", lambda: next(
            ((w, w) for w in self.app if w and (w.name, w.getRoleName()) == (title, role) and
             w.getState().contains(showing)), (None, [w.name for w in self.app if w])))

    def press(self, caption, root=None):
        click(find(root or self.main, "push button", caption))

    def keys(self, title, *keys):
        # With no window manager, a window has the keyboard only when it is given it.
        found = xdotool("search", "--onlyvisible", "--pid", self.proc.pid, "--name", f"^{title}$")
        xdotool("windowfocus", "--sync", found[-1], "key", "--delay", 40, *keys)

    def run(self, ticks):
        """Start, then the real timer's ticks: the counter counts up to `ticks`, never down."""
        self.press("Start")
        seen = []

        def counted():
            text = find(self.main, "label", description="Figure count").name
            seen.extend([int(text)] if text.isdigit() and [int(text)] != seen[-1:] else [])
            if seen != sorted(seen):
                raise StepFailed(f"label 'Figure count' went down: {seen}")
            return seen[-1:] >= [ticks], text
        self.wait(f"label 'Figure count' to reach {ticks}", counted, deadline=ticks / 2 + 10)
        self.press("Stop")

    def save_as(self, name, question=None):
        """File > Save As..., the name typed, Save; then Yes, the default, to the question."""
        self.keys(TITLE, "alt+f", "a")
        dialog = self.window("Save As...", "dialog")
        click(find(dialog, "text", "File name"))
        self.keys("Save As...", "ctrl+a", *name)
        self.press("Save", dialog)
        if question:
            box = self.window(TITLE, "alert")
            said = " ".join(label.name for label in find(box, "label", every=True))
            yes, _ = find(box, "push button", "Yes"), find(box, "push button", "No")
            if question not in said or not yes.getState().contains(pyatspi.STATE_IS_DEFAULT):
                raise StepFailed(f"question: expected {question!r}, Yes the default; read {said!r}")
            click(yes)

    def exit(self):
        """File > Exit ends the program at once, with status 0: no sanitizer report either."""
        self.keys(TITLE, "alt+f")
        self.wait("the File menu", lambda: (any(m.getState().contains(pyatspi.STATE_SHOWING)
                                                for m in find(self.main, "popup menu", every=True)), "closed"))
        xdotool("key", "x")
        try:
            status = self.proc.wait(timeout=1.0)
        except subprocess.TimeoutExpired:
            status = "still running 1 s after the key"
        if status != 0:
            raise StepFailed(f"File > Exit: status {status}")


def scenario(build_dir, work, log):
    prefix, home = os.path.join(work, "prefix"), os.path.join(work, "home")
    os.mkdir(home)
    subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix], check=True, stdout=log)
    entry = os.path.join(prefix, "share", "applications", "kurvimo.desktop")
    check = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    if check.returncode != 0 or check.stdout.strip():
        raise StepFailed(f"desktop-file-validate: {check.stdout}{check.stderr}")
    exec_line = next(line[5:] for line in open(entry) if line.startswith("Exec="))
    k = Program(shlex.split(exec_line), home, log)  # in a folder of no account, as desktops do
    e = find(k.main, "filler").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if (e.width, e.height) != (711, 517):
        raise StepFailed(f"client area: expected 711 x 517, read {e.width} x {e.height}")
    k.run(3)  # Start reads cls.bmp from the program folder
    target = os.path.join(home, "figure.bmp")
    k.save_as("figure")
    k.wait("figure.bmp", lambda: (os.path.exists(target), os.listdir(home)))
    drawn = open(target, "rb").read()
    k.press("Clear")
    k.save_as("figure", question=target + QUESTION)
    k.wait("figure.bmp to show the cleared canvas",
           lambda: (open(target, "rb").read() not in (drawn, b""), "unchanged"))
    k.exit()


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
            print("passed")
            return 0
        except StepFailed as failure:
            log.seek(0)
            print(f"FAILED: {failure}\n--- output ---\n{log.read()[-3000:].decode(errors='replace')}")
            return 1
        finally:
            for proc in Program.started:
                proc.kill()
                proc.wait()


if __name__ == "__main__":
    sys.exit(main())

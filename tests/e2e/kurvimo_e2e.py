"""What only a real window shows: the built or installed program on an X display of its own,
driven from outside as a user would, with xdotool, and read through AT-SPI.
One scenario: kurvimo_e2e.py window|installed --program-dir DIR [--build-dir DIR]."""

import argparse
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
TOOLS = ("xvfb-run", "xauth", "dbus-run-session", "xdotool", "/usr/libexec/at-spi-bus-launcher")


class StepFailed(AssertionError):
    pass


class Kurvimo:
    """The running program: its windows through AT-SPI, a user's mouse and keys through xdotool."""
    started = []

    def __init__(self, argv, cwd):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   QT_FONT_DPI="96", QT_SCALE_FACTOR="1", LC_ALL="C.UTF-8")
        self.log = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(argv, cwd=cwd, env=env, stdout=self.log, stderr=self.log)
        Kurvimo.started.append(self)
        self.app = self.wait("the program on the accessibility bus", lambda: next(
            ((True, a) for a in pyatspi.Registry.getDesktop(0)
             if a and a.get_process_id() == self.proc.pid and a.childCount), (False, None)))
        self.main = self.window(TITLE)

    def wait(self, what, probe, deadline=15.0):
        """Polls `probe` until it returns (True, reading); fails naming `what` and what it read."""
        end = time.monotonic() + deadline
        while True:
            if self.proc.poll() is not None:
                raise StepFailed(f"{what}: the program ended with status {self.proc.returncode}")
            try:
                ok, reading = probe()
            except RuntimeError as error:  # a window that comes or goes cannot be read
                ok, reading = False, error
            if ok:
                return reading
            if time.monotonic() > end:
                raise StepFailed(f"{what}: after {deadline:g} s it reads {reading!r}")
            time.sleep(0.05)

    def window(self, title):
        def shown():
            names = [w.name for w in self.app if w and w.getState().contains(pyatspi.STATE_SHOWING)]
            return title in names, names
        self.wait(f"window '{title}' (windows shown)", shown)
        return next(w for w in self.app if w and w.name == title)

    def find_all(self, root, role, name=None, description=None):
        found, todo = [], [root]
        while todo:
            node = todo.pop(0)
            if node.getRoleName() == role and name in (None, node.name) and description in (
                    None, node.description):
                found.append(node)
            todo += [kid for kid in node if kid]
        return found

    def find(self, root, role, name=None, description=None):
        if not (found := self.find_all(root, role, name, description)):
            raise StepFailed(f"no {role} '{name or description}' in '{root.name}'")
        return found[0]

    def extents(self, acc):
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def press(self, caption, root=None):
        x, y, width, height = self.extents(self.find(root or self.main, "push button", caption))
        # No --sync: it waits for the pointer to move, forever when it is already there.
        xdotool("mousemove", x + width // 2, y + height // 2, "click", 1)

    def keys(self, title, *keys):
        # With no window manager, a window has the keyboard only when it is given it.
        found = xdotool("search", "--onlyvisible", "--pid", self.proc.pid, "--name", f"^{title}$")
        xdotool("windowfocus", "--sync", found[-1], "key", "--delay", 40, *keys)

    def run(self, ticks):
        """Start, then the real timer's ticks: the counter counts up to `ticks`, never down."""
        self.press("Start")
        seen = []

        def counted():
            text = self.find(self.main, "label", description="Figure count").name
            if text.isdigit() and (not seen or int(text) != seen[-1]):
                seen.append(int(text))
            if seen != sorted(seen):
                raise StepFailed(f"label 'Figure count' went down: {seen}")
            return seen[-1:] >= [ticks], text
        self.wait(f"label 'Figure count' to reach {ticks}", counted, deadline=ticks / 2 + 10)
        self.press("Stop")

    def save_as(self, name):
        self.keys(TITLE, "alt+f", "a")
        dialog = self.window("Save As...")
        x, y, width, height = self.extents(self.find(dialog, "text", "File name"))
        xdotool("mousemove", x + width // 2, y + height // 2, "click", 1)
        self.keys("Save As...", "ctrl+a", *name)
        self.press("Save", dialog)

    def answer(self, text, caption):
        def box():
            boxes = [w for w in self.app if w and w.name == TITLE and w.getRoleName() != "frame"]
            return bool(boxes), boxes and boxes[0]
        shown = self.wait("the message box", box)
        said = " ".join(label.name for label in self.find_all(shown, "label"))
        if text not in said:
            raise StepFailed(f"message box: expected {text!r}, read {said!r}")
        self.press(caption, shown)

    def exit(self):
        """File > Exit ends the program at once, with status 0: no sanitizer report either."""
        self.keys(TITLE, "alt+f")
        self.wait("the File menu", lambda: (any(m.getState().contains(pyatspi.STATE_SHOWING)
                                                for m in self.find_all(self.main, "popup menu")), 0))
        xdotool("key", "x")
        try:
            status = self.proc.wait(timeout=1.0)
        except subprocess.TimeoutExpired:
            raise StepFailed("File > Exit: the program still runs 1 s after the key")
        if status != 0:
            raise StepFailed(f"File > Exit: status {status}")


def xdotool(*args):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0:
        raise StepFailed(f"xdotool {' '.join(map(str, args))}: {done.stderr.strip()}")
    return done.stdout.split()


def window(args, home):
    k = Kurvimo([os.path.join(args.program_dir, "kurvimo")], home)
    client = k.extents(k.find(k.main, "filler"))[2:]
    if client != (711, 517):
        raise StepFailed(f"client area: expected (711, 517), read {client}")
    k.run(3)
    target = os.path.join(home, "figure.bmp")
    k.save_as("figure")
    k.wait("figure.bmp", lambda: (os.path.exists(target), os.listdir(home)))
    drawn = open(target, "rb").read()
    k.press("Clear")
    k.save_as("figure")
    k.answer(target + QUESTION, "Yes")
    k.wait("figure.bmp to show the cleared canvas",
           lambda: (open(target, "rb").read() not in (drawn, b""), "unchanged"))
    k.exit()


def installed(args, home):
    """Installed to a prefix, it starts from its menu entry, in a folder of no account."""
    prefix = os.path.join(home, "..", "prefix")
    subprocess.run(["cmake", "--install", args.build_dir, "--prefix", prefix], check=True,
                   stdout=subprocess.DEVNULL)
    entry = os.path.join(prefix, "share", "applications", "kurvimo.desktop")
    check = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    if check.returncode != 0 or check.stdout.strip():
        raise StepFailed(f"desktop-file-validate: {check.stdout}{check.stderr}")
    k = Kurvimo(shlex.split(next(line[5:] for line in open(entry) if line.startswith("Exec="))),
                home)
    program_dir = os.path.dirname(os.readlink(f"/proc/{k.proc.pid}/exe"))  # the launcher execs it
    if sorted(os.listdir(program_dir)) != ["cls.bmp", "krv.hlp", "kurvimo", "kurvimo-help"]:
        raise StepFailed(f"{program_dir} holds {sorted(os.listdir(program_dir))}")
    k.run(1)  # Start reads cls.bmp from the program folder
    k.exit()
    if os.listdir(home):
        raise StepFailed(f"the current folder gained {os.listdir(home)}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=["window", "installed"])
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--build-dir")
    args = parser.parse_args()
    if "KURVIMO_E2E_DESKTOP" not in os.environ:  # first, a private X display and session bus
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing := missing + ([] if importlib.util.find_spec("pyatspi") else ["pyatspi"]):
            print(f"skipped: {', '.join(missing)} missing")
            return 77  # the tests' SKIP_RETURN_CODE
        os.environ["KURVIMO_E2E_DESKTOP"] = "1"
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -nolisten tcp -noreset",
                               "dbus-run-session", "--", sys.executable, *sys.argv])
    global pyatspi
    import pyatspi  # it finds the buses when first imported; the bus then starts AT-SPI itself
    with tempfile.TemporaryDirectory(prefix="kurvimo-e2e-") as work:
        os.mkdir(home := os.path.join(work, "home"))
        try:
            globals()[args.scenario](args, home)
            print(f"{args.scenario}: passed")
            return 0
        except StepFailed as failure:
            print(f"{args.scenario}: FAILED: {failure}")
            for k in Kurvimo.started:
                k.log.seek(0)
                print(f"--- the program's output ---\n{k.log.read()[-3000:].decode(errors='replace')}")
            return 1
        finally:
            for k in Kurvimo.started:
                k.proc.kill()
                k.proc.wait()


if __name__ == "__main__":
    sys.exit(main())

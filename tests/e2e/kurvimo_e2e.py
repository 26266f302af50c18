"""End-to-end scenarios: the built (or installed) program in a real X window, driven only from
outside. Run one with: kurvimo_e2e.py SCENARIO --program-dir DIR [--build-dir DIR]."""

import argparse
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

from desktop import App, Session, StepFailed, read_bmp

TITLE = "Kurvimo"
SAVE_AS = r"Save As\.\.\."
CLIENT_SIZE = (711, 517)
CANVAS_SIZE = (517, 485)
WHITE = (255, 255, 255)
RED = (0x80, 0x00, 0x00)  # the classic 16-colour palette's "red"
RED_INDEX = 4
PROGRAM_FILES = ("kurvimo", "kurvimo-help", "cls.bmp", "krv.hlp")
SCENARIO_SECONDS = 120
EXIT_SECONDS = 1.0
TICK_SECONDS = 0.5


class Kurvimo(App):
    """The main window's controls, by what a user sees on them."""

    def __init__(self, session, argv, cwd):
        super().__init__(session, argv, cwd, "kurvimo")
        self.main = self.window(TITLE)

    def button(self, caption, root=None):
        return self.find(root or self.main, "push button", caption)

    def value(self, description):
        """A value label shows its value as its name; its description says what it is."""
        return self.find(self.main, "label", description=description).name

    def expect_enabled(self, role, name, want):
        acc = self.find(self.main, role, name)
        self.expect(f"{role} '{name}' enabled", self.enabled(acc), want)

    def count_reaches(self, n):
        """Waits until the figure counter shows n or more; the counter must only rise."""
        seen = []

        def probe():
            text = self.value("Figure count")
            if text and (not text.isdigit() or (seen and int(text) < seen[-1])):
                raise StepFailed(f"label 'Figure count' read {text!r} after {seen}")
            if text and (not seen or int(text) != seen[-1]):
                seen.append(int(text))
            return bool(seen) and seen[-1] >= n, text
        self.wait(f"label 'Figure count' to reach {n}", probe, deadline=n * TICK_SECONDS + 10)
        return seen

    def press(self, caption, becomes):
        self.click(self.button(caption))
        self.wait(f"button '{caption}' to read '{becomes}' (buttons)",
                  lambda: (bool(self.find_all(self.main, "push button", becomes)),
                           [b.name for b in self.find_all(self.main, "push button")]))

    def start(self):
        self.press("Start", "Stop")

    def stop(self):
        self.press("Stop", "Start")

    def run_ticks(self, n):
        self.start()
        self.count_reaches(n)
        self.stop()

    def choose_reserve(self):
        option = self.find(self.main, "radio button", "Reserve")
        self.click(option)
        self.wait("radio button 'Reserve' to be checked", lambda: (self.checked(option), False))

    def set_colour(self, index, name):
        x, y, width, height = self.extents(self.find(self.main, "scroll bar", "Color"))
        right_arrow = (x + width - height // 2, y + height // 2)
        for _ in range(index):
            self.click_at(*right_arrow)
        self.wait(f"label 'Color name' to read {name!r}",
                  lambda: ((t := self.value("Color name")) == name, t))

    def menu(self, menu_key, entry_key):
        self.open_menu(menu_key)
        self.session.xdotool("key", entry_key)

    def open_menu(self, menu_key):
        self.keys(TITLE, f"alt+{menu_key}")
        self.wait(f"menu opened by Alt+{menu_key.upper()}",
                  lambda: (any(p.getState().contains(self.session.atspi.STATE_SHOWING)
                               for p in self.find_all(self.main, "popup menu")), "closed"))

    # The save-as window

    def go_to(self, dialog, path):
        for name in ["/"] + os.path.realpath(path).strip("/").split("/"):
            self.open_folder(dialog, name)

    def open_folder(self, dialog, name):
        folders = self.find(dialog, "list", "Folders")
        item = self.find(folders, "list item", name)
        self.reveal(folders, item)
        self.click(item, times=2)
        self.wait(f"list 'Folders' to open {name!r}",
                  lambda: ((s := self.selected(folders)) == name, s))

    def selected(self, listing):
        states = self.session.atspi.STATE_SELECTED
        return next((i.name for i in self.find_all(listing, "list item")
                     if i.getState().contains(states)), None)

    def fill_name(self, dialog, name):
        field = self.find(dialog, "text", "File name")
        self.click(field)
        self.keys(SAVE_AS, "ctrl+a")
        self.type(SAVE_AS, name)
        self.wait("text 'File name'", lambda: ((t := self.text(field)) == name, t))

    def message(self, containing):
        box = self.wait("a message box (open windows)", self._message_box)
        text = " ".join(lbl.name for lbl in self.find_all(box, "label"))
        if containing not in text:
            raise StepFailed(f"message box: expected it to name {containing!r}, read {text!r}")
        return box

    def _message_box(self):
        boxes = [w for w in self.windows() if w.getRoleName() in ("alert", "dialog")
                 and w.name == TITLE]
        return bool(boxes), boxes[-1] if boxes else [w.name for w in self.windows()]

    def answer(self, box, caption):
        self.click(self.button(caption, box))
        self.wait("the message box to close", lambda: (not self._message_box()[0], "open"))


class Trial:
    def __init__(self, args):
        self.args = args
        self.workdir = tempfile.mkdtemp(prefix="kurvimo-e2e-")
        self.home = self.folder("home")
        self.session = None
        self.mounted = None
        self.running = []

    def folder(self, *parts):
        path = os.path.join(self.workdir, *parts)
        os.makedirs(path, exist_ok=True)
        return path

    def launch(self, program_dir=None, cwd=None, argv=None):
        if self.session is None:
            self.session = Session(self.workdir)
        program = os.path.join(program_dir or self.args.program_dir, "kurvimo")
        k = Kurvimo(self.session, argv or [program], cwd or self.home)
        self.running.append(k)
        return k

    def finish(self):
        """Each program still open ends by File > Exit, cleanly: a sanitizer report fails it."""
        for k in self.running:
            if k.proc.poll() is None:
                k.menu("f", "x")
                k.wait("the program to end after File > Exit", lambda: (k.proc.poll() == 0,
                                                                       k.proc.poll()))

    def program_copy(self, without=()):
        """A program folder of our own, so that files written beside the program land here."""
        copy = self.folder("program")
        for name in PROGRAM_FILES:
            if name not in without:
                shutil.copy2(os.path.join(self.args.program_dir, name), copy)
        return copy

    def unwritable_folder(self, name):
        """A folder that even root cannot write to, and how it was made so."""
        path = self.folder(name)
        if os.geteuid() != 0:
            os.chmod(path, 0o555)
            how = "mode 0555"
        elif subprocess.run(["mount", "-t", "tmpfs", "-o", "ro,size=64k", "tmpfs", path],
                            capture_output=True).returncode == 0:
            self.mounted, how = path, "a read-only tmpfs"
        else:
            path, how = "/proc", "the process file system"  # where no tmpfs can be mounted
        try:
            open(os.path.join(path, "probe"), "w").close()
        except OSError:
            return path, how
        raise StepFailed(f"{path} ({how}) can be written, so it cannot stand for a locked folder")

    def close(self):
        if self.session:
            self.session.close()
        if self.mounted:
            subprocess.run(["umount", self.mounted])
        for root, dirs, _ in os.walk(self.workdir):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(self.workdir, ignore_errors=True)

    def logs(self):
        for name in sorted(os.listdir(self.workdir)):
            if name.endswith(".log") and os.path.getsize(os.path.join(self.workdir, name)):
                with open(os.path.join(self.workdir, name), errors="replace") as f:
                    print(f"--- {name} ---\n{f.read()[-3000:]}")


def figure_pixels(path, colour=None):
    """The non-white pixels of a saved picture, checked for size and, if given, colour."""
    width, height, rows = read_bmp(path)
    if (width, height) != CANVAS_SIZE:
        raise StepFailed(f"{path}: expected {CANVAS_SIZE}, read {(width, height)}")
    pixels = {(x, y): p for y, row in enumerate(rows) for x, p in enumerate(row) if p != WHITE}
    others = {p for p in pixels.values() if p != colour}
    if colour and others:
        raise StepFailed(f"{path}: expected only {colour} on white, read also {sorted(others)[:5]}")
    return set(pixels)


def save_as(k, name, folder=None, pick=None):
    k.menu("f", "a")
    dialog = k.window("Save As...")
    if folder:
        k.open_folder(dialog, folder)
    if pick:
        files = k.find(dialog, "list", "Files")
        item = k.find(files, "list item", pick)
        k.reveal(files, item)
        k.click(item)
        k.wait("text 'File name' after picking a file",
               lambda: ((t := k.text(k.find(dialog, "text", "File name"))) == name, t))
    else:
        k.fill_name(dialog, name)
    k.click(k.button("Save", dialog))
    return dialog


def wait_file(k, path, what, test=os.path.exists):
    k.wait(what, lambda: (test(path), sorted(os.listdir(os.path.dirname(path)))))


# Scenarios


def startup(t):
    k = t.launch()
    k.expect("window title", k.main.name, TITLE)
    k.expect("client area", k.extents(k.find(k.main, "filler"))[2:], CLIENT_SIZE)
    for description, want in (("Magnification value", "5"), ("X-axis value", "250"),
                              ("Y-axis value", "50"), ("Complex of figure value", "9"),
                              ("Change speed of figure value", "0"), ("Color name", "black"),
                              ("Figure count", ""), ("Figure offset in history", "")):
        k.expect(f"label '{description}'", k.value(description), want)
    for role, name, want in (("push button", "Start", True), ("push button", "<", False),
                             ("push button", ">", False), ("push button", "Clear", False),
                             ("push button", "Display", False), ("radio button", "New", True),
                             ("radio button", "Reserve", False), ("menu item", "Save", False),
                             ("menu item", "Save As...", True), ("menu item", "Exit", True),
                             ("menu item", "Version", True)):
        k.expect_enabled(role, name, want)
    for item in k.find_all(k.main, "menu item", "Help"):
        k.expect("menu item 'Help' enabled", k.enabled(item), True)
    sliders = k.find_all(k.main, "scroll bar")
    k.expect("enabled sliders", sum(k.enabled(s) for s in sliders), 6)


def run(t):
    k = t.launch()
    k.start()
    seen = k.count_reaches(6)  # three seconds of ticks
    k.stop()
    for role, name, want in (("push button", "Clear", True), ("push button", "<", True),
                             ("push button", ">", True), ("radio button", "Reserve", True),
                             ("push button", "Display", False)):
        k.expect_enabled(role, name, want)
    held = k.value("Figure count")
    # Nothing to wait for here: the counter must stay put over several tick periods.
    end = time.monotonic() + 3 * TICK_SECONDS
    while time.monotonic() < end:
        k.expect("label 'Figure count' after Stop", k.value("Figure count"), held)
        time.sleep(TICK_SECONDS / 10)
    print(f"counter read {seen}, then held at {held}")


def save_as_scenario(t):
    pictures = t.folder("home", "pictures")
    target = os.path.join(pictures, "figure.bmp")
    k = t.launch()
    k.set_colour(RED_INDEX, "red")
    k.run_ticks(2)
    save_as(k, "figure", folder="pictures")
    k.window_gone("Save As...")
    first = open(target, "rb").read()
    drawn = figure_pixels(target, RED)
    if not drawn:
        raise StepFailed(f"{target}: no figure pixels, only white")
    k.expect_enabled("menu item", "Save", True)

    k.click(k.button("Clear"))
    save_as(k, "figure", folder="pictures", pick="figure.bmp")
    box = k.message(target)
    k.answer(box, "Yes")
    k.window_gone("Save As...")
    k.expect(f"{target} after Yes", figure_pixels(target), set())

    k.click(k.button("Display"))
    k.menu("f", "s")
    wait_file(k, target, "File > Save to rewrite the figure",
              lambda p: open(p, "rb").read() == first)
    print(f"saved {len(drawn)} red pixels, replaced them with white, saved them again")


def reserve(t):
    program = t.program_copy()
    kept = os.path.join(program, "sgz.bmp")
    after = os.path.join(t.home, "after.bmp")
    k = t.launch(program_dir=program)
    k.run_ticks(2)
    k.choose_reserve()
    k.start()
    wait_file(k, kept, "sgz.bmp beside the executable")
    k.count_reaches(2)
    k.stop()
    save_as(k, "after")
    wait_file(k, after, "after.bmp")
    k.window_gone("Save As...")
    earlier, now = figure_pixels(kept), figure_pixels(after)
    if not earlier:
        raise StepFailed(f"{kept}: holds no figure")
    if not earlier < now:
        raise StepFailed(f"canvas after a Reserve run: {len(earlier - now)} of the earlier "
                         f"figure's {len(earlier)} pixels are gone, {len(now - earlier)} added")
    print(f"sgz.bmp kept {len(earlier)} pixels; the canvas then held {len(now)}")


def missing_background(t):
    program = t.program_copy(without=("cls.bmp",))
    k = t.launch(program_dir=program)
    k.click(k.button("Start"))
    k.answer(k.message("cls.bmp"), "OK")
    k.check_alive()
    k.expect("button after a failed Start", [b.name for b in k.find_all(k.main, "push button")
                                              if b.name in ("Start", "Stop")], ["Start"])
    k.expect("label 'Figure count' after a failed Start", k.value("Figure count"), "")
    shutil.copy2(os.path.join(t.args.program_dir, "cls.bmp"), program)
    k.run_ticks(2)


def unwritable_folder(t):
    locked, how = t.unwritable_folder("locked")
    k = t.launch()
    k.menu("f", "a")
    dialog = k.window("Save As...")
    k.go_to(dialog, locked)
    k.click(k.button("Save", dialog))
    k.answer(k.message(os.path.join(locked, "File1.bmp")), "OK")
    k.check_alive()
    dialog = k.window("Save As...")
    k.go_to(dialog, t.home)
    k.click(k.button("Save", dialog))
    wait_file(k, os.path.join(t.home, "File1.bmp"), "File1.bmp saved after the failure")
    k.window_gone("Save As...")
    k.expect_enabled("menu item", "Save", True)
    print(f"locked folder: {how}")


def help_and_version(t):
    k = t.launch()
    k.menu("h", "h")

    def viewer():
        for app in t.session.applications():
            if app.name == "kurvimo-help" and app.childCount:
                return True, app
        return False, [a.name for a in t.session.applications()]
    help_app = k.wait("the help viewer (applications)", viewer)
    page = help_app.getChildAtIndex(0)
    k.expect("help viewer title", page.name, "Kurvimo Help")
    if "Kurvimo draws" not in k.text(page):
        raise StepFailed(f"help viewer: expected the help page, read {k.text(page)[:200]!r}")

    k.menu("h", "v")
    about = k.window("About")
    k.find(about, "label", "Version 1.0")
    k.keys("About", "Escape")
    k.window_gone("About")
    k.check_alive()


def exit_while_running(t):
    k = t.launch()
    k.start()
    k.count_reaches(1)
    k.open_menu("f")
    began = time.monotonic()
    t.session.xdotool("key", "x")
    try:
        code = k.proc.wait(timeout=EXIT_SECONDS)
    except subprocess.TimeoutExpired:
        raise StepFailed(f"File > Exit: the process still runs after {EXIT_SECONDS} s")
    k.expect("exit status", code, 0)
    print(f"ended {time.monotonic() - began:.3f} s after the key")


def installed(t):
    prefix = t.folder("prefix")
    subprocess.run(["cmake", "--install", t.args.build_dir, "--prefix", prefix], check=True,
                   stdout=subprocess.DEVNULL)
    program_dir = os.path.join(prefix, "lib", "kurvimo")
    entry = os.path.join(prefix, "share", "applications", "kurvimo.desktop")
    for path in [os.path.join(program_dir, f) for f in PROGRAM_FILES] + [
            entry, os.path.join(prefix, "bin", "kurvimo"),
            os.path.join(prefix, "share", "icons", "hicolor", "32x32", "apps", "kurvimo.png")]:
        if not os.path.isfile(path):
            raise StepFailed(f"install: {path} is missing")
    check = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    if check.returncode != 0 or check.stdout.strip():
        raise StepFailed(f"desktop-file-validate {entry}: {check.stdout.strip()}")
    fields = dict(line.split("=", 1) for line in open(entry) if "=" in line)

    # Started the way a desktop starts it, from a folder that has nothing to do with it.
    elsewhere = t.folder("elsewhere")
    k = t.launch(argv=shlex.split(fields["Exec"]), cwd=elsewhere)
    k.run_ticks(2)
    k.choose_reserve()
    k.start()
    wait_file(k, os.path.join(program_dir, "sgz.bmp"), "sgz.bmp in the installed program folder")
    k.stop()
    k.expect("files in the current folder", os.listdir(elsewhere), [])


SCENARIOS = {
    "startup": startup, "run": run, "save_as": save_as_scenario, "reserve": reserve,
    "missing_background": missing_background, "unwritable_folder": unwritable_folder,
    "help_and_version": help_and_version, "exit": exit_while_running, "installed": installed,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--build-dir")
    args = parser.parse_args()

    def overdue(*_):
        raise StepFailed(f"the scenario did not finish within {SCENARIO_SECONDS} s")
    signal.signal(signal.SIGALRM, overdue)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped by SIGTERM"))
    signal.alarm(SCENARIO_SECONDS)
    t = Trial(args)
    try:
        SCENARIOS[args.scenario](t)
        t.finish()
        print(f"{args.scenario}: passed")
        return 0
    except Exception as failure:
        if not isinstance(failure, StepFailed):
            traceback.print_exc()
        print(f"{args.scenario}: FAILED: {failure}")
        t.logs()
        return 1
    finally:
        signal.alarm(0)
        t.close()


if __name__ == "__main__":
    sys.exit(main())

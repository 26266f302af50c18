"""A private X display with a D-Bus session and the accessibility bus, for driving the real
program from outside: xdotool clicks and types, AT-SPI reads what the windows show.

Every process started here, and every process those leave behind, is a descendant of this one
(it is made a child subreaper), and all of them are killed by process id when the session ends,
whatever the outcome.
"""

import ctypes
import os
import select
import signal
import struct
import subprocess
import time

PR_SET_PDEATHSIG = 1
PR_SET_CHILD_SUBREAPER = 36
POLL_SECONDS = 0.05
DEFAULT_DEADLINE = 15.0
SCREEN = "1024x768x24"
WHEEL_UP, WHEEL_DOWN = 4, 5
ATSPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

_libc = ctypes.CDLL(None, use_errno=True)


class StepFailed(AssertionError):
    pass


def _die_with_parent():
    # Should this process be killed outright, its direct children go with it.
    _libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


def _read_line(fd, what, deadline=DEFAULT_DEADLINE):
    end = time.monotonic() + deadline
    data = b""
    while not data.endswith(b"\n"):
        left = end - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise StepFailed(f"{what} did not start within {deadline} s")
        chunk = os.read(fd, 4096)
        if not chunk:
            raise StepFailed(f"{what} ended before it reported how to reach it")
        data += chunk
    return data.decode().strip()


def _children_of(pid):
    kids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The command name may hold spaces and brackets; the parent id follows the last ")".
        if int(stat.rsplit(")", 1)[1].split()[1]) == pid:
            kids.append(int(entry))
    return kids


def descendants():
    found, todo = [], [os.getpid()]
    while todo:
        for kid in _children_of(todo.pop()):
            found.append(kid)
            todo.append(kid)
    return found


def _reap_all():
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def kill_descendants(grace=3.0):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in descendants():
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        end = time.monotonic() + grace
        while descendants() and time.monotonic() < end:
            _reap_all()
            time.sleep(POLL_SECONDS)
        _reap_all()
        if not descendants():
            return


def wait_for(what, probe, deadline=DEFAULT_DEADLINE, alive=None):
    """Polls `probe` until it returns (True, reading); fails naming `what` and the last reading."""
    end = time.monotonic() + deadline
    while True:
        ok, reading = probe()
        if ok:
            return reading
        if alive is not None:
            alive()
        if time.monotonic() > end:
            raise StepFailed(f"{what}: after {deadline:g} s it reads {reading!r}")
        time.sleep(POLL_SECONDS)


def read_bmp(path):
    """(width, height, rows of (r, g, b)), top row first, of an uncompressed true-colour bitmap,
    the kind the program writes."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise StepFailed(f"{path}: not a Windows bitmap (starts {data[:2]!r})")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bpp, compression = struct.unpack_from("<iiHHI", data, 18)
    if compression != 0 or bpp not in (24, 32):
        raise StepFailed(f"{path}: {bpp} bits a pixel, compression {compression}: not expected")
    step, stride = bpp // 8, (width * bpp + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        row = data[offset + y * stride:offset + (y + 1) * stride]
        rows.append([(row[x * step + 2], row[x * step + 1], row[x * step]) for x in range(width)])
    if height > 0:
        rows.reverse()
    return width, abs(height), rows


class Session:
    """Xvfb, a D-Bus session bus and the accessibility bus, each a child of this process."""

    def __init__(self, workdir):
        _libc.prctl(PR_SET_CHILD_SUBREAPER, 1)
        self.workdir = workdir
        self.env = dict(os.environ)
        for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(name, None)
        display = self._reporting(["Xvfb", "-displayfd", "{fd}", "-screen", "0", SCREEN,
                                   "-nolisten", "tcp", "-noreset"], "Xvfb")
        self.env["DISPLAY"] = ":" + display
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._reporting(
            ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"], "dbus-daemon")
        runtime_dir = os.path.join(workdir, "runtime")
        os.makedirs(runtime_dir, mode=0o700)
        self.env.update(XDG_RUNTIME_DIR=runtime_dir, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        QT_QPA_PLATFORM="xcb", QT_FONT_DPI="96", QT_SCALE_FACTOR="1",
                        LC_ALL="C.UTF-8")
        self.spawn([ATSPI_BUS_LAUNCHER, "--launch-immediately"], "at-spi-bus-launcher")
        self._wait_for_name("org.a11y.Bus")
        # pyatspi finds its buses through the environment when it is first imported.
        os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})
        import pyatspi
        self.atspi = pyatspi

    def spawn(self, argv, name, cwd=None):
        log = open(os.path.join(self.workdir, name + ".log"), "ab")
        return subprocess.Popen(argv, cwd=cwd, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=log, stderr=log, preexec_fn=_die_with_parent)

    def _reporting(self, argv, name):
        """Starts a server that writes how to reach it on a descriptor; returns that line."""
        read_end, write_end = os.pipe()
        argv = [a.replace("{fd}", str(write_end)) for a in argv]
        log = open(os.path.join(self.workdir, name + ".log"), "ab")
        subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                         pass_fds=[write_end], preexec_fn=_die_with_parent)
        os.close(write_end)
        try:
            return _read_line(read_end, name)
        finally:
            os.close(read_end)

    def _wait_for_name(self, bus_name):
        def owned():
            r = subprocess.run(["dbus-send", "--session", "--print-reply",
                                "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                "org.freedesktop.DBus.NameHasOwner", f"string:{bus_name}"],
                               env=self.env, capture_output=True, text=True)
            return "boolean true" in r.stdout, r.stdout.strip() or r.stderr.strip()
        wait_for(f"the session bus name {bus_name}", owned)

    def xdotool(self, *args):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                           text=True)
        if r.returncode != 0:
            raise StepFailed(f"xdotool {' '.join(map(str, args))}: {r.stderr.strip()}")
        return r.stdout.strip()

    def applications(self):
        desktop = self.atspi.Registry.getDesktop(0)
        return [a for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)) if a]

    def close(self):
        kill_descendants()


def describe(acc):
    return f"{acc.getRoleName()} '{acc.name or acc.description}'"


class App:
    """One running program, seen through AT-SPI and driven through xdotool."""

    def __init__(self, session, argv, cwd, name):
        self.session = session
        self.name = name
        self.proc = session.spawn(argv, name, cwd=cwd)
        self.acc = self.wait(f"{name} on the accessibility bus", self._registered)

    def _registered(self):
        for app in self.session.applications():
            if app.get_process_id() == self.proc.pid and app.childCount > 0:
                return True, app
        return False, None

    def check_alive(self):
        code = self.proc.poll()
        if code is not None:
            raise StepFailed(f"{self.name} ended with status {code}")

    def wait(self, what, probe, deadline=DEFAULT_DEADLINE):
        def guarded():
            try:
                return probe()
            except StepFailed:
                raise
            except Exception as error:  # AT-SPI cannot read an application that has gone
                self.check_alive()
                return False, f"unreadable: {error}"
        return wait_for(what, guarded, deadline, alive=self.check_alive)

    # Finding things

    def windows(self):
        found = []
        for i in range(self.acc.childCount):
            w = self.acc.getChildAtIndex(i)
            if w is not None and w.getState().contains(self.session.atspi.STATE_SHOWING):
                found.append(w)
        return found

    def window(self, title, deadline=DEFAULT_DEADLINE):
        def shown():
            showing = self.windows()
            match = [w for w in showing if w.name == title]
            return bool(match), match[-1] if match else [w.name for w in showing]
        return self.wait(f"window '{title}' (open windows)", shown, deadline)

    def window_gone(self, title, deadline=DEFAULT_DEADLINE):
        self.wait(f"window '{title}' to close (open windows)",
                  lambda: (title not in (t := [w.name for w in self.windows()]), t), deadline)

    def find_all(self, root, role, name=None, description=None):
        found, todo = [], [root]
        while todo:
            node = todo.pop(0)
            if node is None:
                continue
            if (node.getRoleName() == role and (name is None or node.name == name)
                    and (description is None or node.description == description)):
                found.append(node)
            todo.extend(node.getChildAtIndex(i) for i in range(node.childCount))
        return found

    def find(self, root, role, name=None, description=None):
        found = self.find_all(root, role, name, description)
        if not found:
            raise StepFailed(f"no {role} '{name or description}' in {describe(root)}")
        return found[-1]

    # Reading

    def enabled(self, acc):
        return acc.getState().contains(self.session.atspi.STATE_ENABLED)

    def checked(self, acc):
        return acc.getState().contains(self.session.atspi.STATE_CHECKED)

    def text(self, acc):
        t = acc.queryText()
        return t.getText(0, t.characterCount)

    def expect(self, what, read, want):
        if read != want:
            raise StepFailed(f"{what}: expected {want!r}, read {read!r}")

    # Acting, as a user would

    def centre(self, acc):
        e = acc.queryComponent().getExtents(self.session.atspi.DESKTOP_COORDS)
        return e.x + e.width // 2, e.y + e.height // 2

    def click_at(self, x, y, times=1, button=1):
        # No --sync: it waits for the pointer to move, forever when it is already there.
        self.session.xdotool("mousemove", x, y, "click", "--repeat", times,
                             "--delay", 60, button)

    def click(self, acc, times=1):
        if not self.enabled(acc):
            raise StepFailed(f"{describe(acc)} cannot be clicked: it is disabled")
        self.click_at(*self.centre(acc), times)

    def extents(self, acc):
        e = acc.queryComponent().getExtents(self.session.atspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def reveal(self, listing, item):
        """Scrolls a list with the mouse wheel until the item is wholly in view."""
        def in_view():
            _, top, _, height = self.extents(listing)
            _, y, _, h = self.extents(item)
            if y < top:
                self.click_at(*self.centre(listing)[:2], button=WHEEL_UP)
            elif y + h > top + height:
                self.click_at(*self.centre(listing)[:2], button=WHEEL_DOWN)
            return top <= y and y + h <= top + height, (y, top)
        self.wait(f"{describe(item)} to scroll into view of {describe(listing)} (y, list top)",
                  in_view)

    def xid(self, title):
        found = self.session.xdotool("search", "--onlyvisible", "--pid", self.proc.pid,
                                     "--name", f"^{title}$").split()
        if not found:
            raise StepFailed(f"no visible X window '{title}' of {self.name}")
        return found[-1]

    def keys(self, title, *keys):
        # With no window manager, nothing gives a window the keyboard unless asked to.
        self.session.xdotool("windowfocus", "--sync", self.xid(title))
        self.session.xdotool("key", "--delay", 40, *keys)

    def type(self, title, text):
        self.session.xdotool("windowfocus", "--sync", self.xid(title))
        self.session.xdotool("type", "--delay", 20, text)

"""The Debian package built from BUILD_DIR, and the program unpacked from it, driven through AT-SPI
as a desktop user would, in a D-Bus session of its own: with `x11`, after the package's checks, on
an X display of its own as `nobody`, started from its menu entry (keys by xdotool); with `wayland`,
natively under weston, as root, started under another name. Either way the user does not own the
program folder and starts in a folder of no account."""

import glob, importlib.util, os, shlex, shutil, signal, struct, subprocess, sys, tempfile, threading, time

APP_ID, PROGRAM = "org.kurvimo.kurvimo", "usr/lib/kurvimo"
FILES = f"""usr/bin/kurvimo {PROGRAM}/kurvimo {PROGRAM}/kurvimo-help {PROGRAM}/cls.bmp {PROGRAM}/krv.hlp
    usr/share/applications/{APP_ID}.desktop usr/share/metainfo/{APP_ID}.metainfo.xml
    usr/share/man/man1/kurvimo.1.gz usr/share/doc/kurvimo/copyright usr/share/doc/kurvimo/changelog.gz
    """.split() + [f"usr/share/icons/hicolor/{n}/apps/{APP_ID}.{'svg' if n == 'scalable' else 'png'}"
                   for n in "16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256 scalable".split()]
DEPENDS = ["fonts-liberation", "fonts-ipafont-gothic", "libqt6widgets6"]
TOOLS = {"x11": ["xvfb-run", "xauth", "xdotool", "lintian", "desktop-file-validate", "appstreamcli"],
         "wayland": ["weston"]}


def wait(what, probe, proc, deadline=15.0):  # until probe() gives (something true, reading)
    end = time.monotonic() + deadline
    while proc is None or proc.poll() is None:
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
    return wait(f"{role} '{name or description}' in '{root.name}'", lambda: (pyatspi.findDescendant(
        root, lambda n: n.getRoleName() == role and name in (None, n.name) and description in (
            None, n.description) and within in (None, n.parent.getRoleName())), "nothing"), None, 5)


def press(acc, answered=True):  # a menu entry that opens a modal window answers once it closes
    wait(f"{acc.name} to respond", lambda: (acc.getState().contains(pyatspi.STATE_ENABLED), ""), None)
    if answered:
        return acc.queryAction().doAction(0)

    def unanswered():
        try:
            acc.queryAction().doAction(0)
        except Exception:  # no answer, as when the program ends
            pass
    threading.Thread(target=unanswered, daemon=True).start()


def run(*command):  # lintian --fail-on error and the validators say so by their status
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(command)}:\n{done.stdout}{done.stderr}")
    return done.stdout.split()


def package(build_dir, work, platform):  # builds, checks and unpacks the package into work/root
    run("cpack", "-G", "DEB", "--config", f"{build_dir}/CPackConfig.cmake", "-B", work)
    deb, root = glob.glob(f"{work}/kurvimo_*.deb")[0], f"{work}/root"
    run("dpkg-deb", "-x", deb, root)
    if platform == "x11":
        listed = [name.lstrip("./") for name in run("dpkg-deb", "-c", deb)]
        depends = " ".join(run("dpkg-deb", "-f", deb, "Depends"))
        if missing := [f for f in FILES if f not in listed] + [d for d in DEPENDS if d not in depends]:
            raise AssertionError(f"the package lacks {missing}; Depends: {depends}")
        run("lintian", "--fail-on", "error", deb)
        entry = open(f"{root}/usr/share/applications/{APP_ID}.desktop").read()
        if any(f"\n{key}=" not in entry for key in ["Name", "Name[ja]", "Comment", "Comment[ja]"]):
            raise AssertionError(f"the menu entry lacks a name or comment in English or Japanese:\n{entry}")
        run("desktop-file-validate", f"{root}/usr/share/applications/{APP_ID}.desktop")
        run("appstreamcli", "validate", "--no-net", f"{root}/usr/share/metainfo/{APP_ID}.metainfo.xml")
        if "KURVIMO_SANITIZE:BOOL=ON" not in open(f"{build_dir}/CMakeCache.txt").read():
            reproduce(build_dir, work, deb)
    os.chmod(work, 0o755)
    os.mkdir(f"{work}/home")
    shutil.copy(__file__, work)
    if os.getuid() != 0:  # no other user to be: the program folder is made not ours instead
        os.chmod(f"{root}/{PROGRAM}", 0o555)
        return []
    if platform == "wayland":
        return []
    shutil.chown(f"{work}/home", "nobody")
    return ["runuser", "-u", "nobody", "--"]


def reproduce(build_dir, work, deb):  # the same sources built in another folder: the same bytes
    cache = dict(line.strip().split("=", 1) for line in open(f"{build_dir}/CMakeCache.txt")
                 if "=" in line and not line.startswith(("#", "//")))
    again = f"{work}/built-again"
    run("cmake", "-S", cache["CMAKE_HOME_DIRECTORY:INTERNAL"], "-B", again, "-DBUILD_TESTING=OFF",
        f"-DCMAKE_BUILD_TYPE={cache['CMAKE_BUILD_TYPE:STRING']}", "-DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON")
    run("cmake", "--build", again, "--parallel", str(os.cpu_count()))
    run("cpack", "-G", "DEB", "--config", f"{again}/CPackConfig.cmake", "-B", again)
    if open(deb, "rb").read() != open(glob.glob(f"{again}/kurvimo_*.deb")[0], "rb").read():
        raise AssertionError(f"built again in {again}, the package has other bytes")


def scenario(work, log, platform):
    root, home = f"{work}/root", f"{work}/home"
    program_folder = os.listdir(f"{root}/{PROGRAM}")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_FONT_DPI="96", LC_ALL="C.UTF-8",
               QT_QPA_PLATFORM={"x11": "xcb", "wayland": "wayland"}[platform])
    if platform == "x11":  # from its menu entry
        exec_line = next(line[5:] for line in open(f"{root}/usr/share/applications/{APP_ID}.desktop")
                         if line.startswith("Exec="))
        command = {"args": [root + arg for arg in shlex.split(exec_line)]}
    else:  # under a name not its own, which must not move its data folder
        command = {"args": ["another-name"], "executable": f"{root}/{PROGRAM}/kurvimo"}
    proc = subprocess.Popen(**command, cwd=home, env=env, stdout=log, stderr=log)
    started.append(proc)
    app = wait("the program on the accessibility bus", lambda: (next(
        (a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == proc.pid
         and a.childCount), None), "nothing"), proc)
    window = lambda name: wait(f"the window {name}", lambda: (next(  # noqa: E731
        (w for w in app if w and w.name == name), None), [w.name for w in app if w]), proc)
    main = window("Kurvimo")
    menu = {name: find(main, "menu item", name, within="popup menu") for name in [
        "Save As...", "Exit", "Help"]}
    viewers = lambda: [int(k) for k in open(f"/proc/{proc.pid}/task/{proc.pid}/children").read(  # noqa
        ).split() if open(f"/proc/{k}/comm").read() == "kurvimo-help\n"]
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
    # Save As writes a whole bitmap of the canvas, 517 x 485 pixels, where the user is.
    press(menu["Save As..."], answered=False)
    dialog = window("Save As...")
    find(dialog, "text", "File name").queryEditableText().setTextContents("drawn")
    press(find(dialog, "push button", "Save"))
    saved = wait("drawn.bmp", lambda: (os.path.exists(f"{home}/drawn.bmp") and open(
        f"{home}/drawn.bmp", "rb").read(), "none"), proc)
    if saved[:2] != b"BM" or struct.unpack_from("<I12xii", saved, 2) != (len(saved), 517, 485):
        raise AssertionError(f"drawn.bmp is no whole bitmap of the canvas: {saved[:26]!r}")
    # One help viewer: asked again, it comes to the front; gone, however suddenly, it is replaced.
    press(menu["Help"])
    first = wait("a help viewer", lambda: (viewers(), "none"), proc)
    press(menu["Help"])
    if platform == "x11":  # and by F1, with the keyboard
        shown = wait("its window", lambda: (xdotool("search", "--onlyvisible", "--pid", first[0],
                                                    "--name", "^Kurvimo Help$"), "none"), proc)
        xdotool("windowfocus", "--sync", xdotool("search", "--pid", proc.pid, "--name", "^Kurvimo$")[
            0], "key", "F1")
        wait("it to come to the front", lambda: (xdotool("getwindowfocus") == shown, "not"), proc)
    os.kill(first[0], signal.SIGKILL)
    press(menu["Help"])
    second = wait("a new viewer", lambda: (viewers() not in ([], first) and viewers(), viewers()), proc)
    # File > Exit ends the program at once, with status 0, even with its viewer stopped.
    os.kill(second[0], signal.SIGSTOP)
    press(menu["Exit"], answered=False)
    if (status := proc.wait(timeout=3.0)) != 0:  # else TimeoutExpired: it did not end in time
        raise AssertionError(f"File > Exit: status {status}")
    if os.listdir(f"{root}/{PROGRAM}") != program_folder:
        raise AssertionError(f"the program folder changed: {os.listdir(f'{root}/{PROGRAM}')}")


def xdotool(*args):  # a search that finds nothing is no failure
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0 and args[0] != "search":
        raise AssertionError(f"xdotool {args}: {done.stderr.strip()}")
    return done.stdout.split()


def desktop(platform, work, user):  # runs this script again within a display and a bus
    again = [*user, "env", "-u", "XDG_DATA_HOME", f"HOME={work}/home", f"KURVIMO_E2E={platform}"]
    inside = ["dbus-run-session", "--", sys.executable, f"{work}/{os.path.basename(__file__)}", work]
    if platform == "x11":
        return subprocess.run([*again, "xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -nolisten tcp "
                               "-noreset", *inside]).returncode
    runtime = tempfile.mkdtemp(dir=work)  # weston wants it private
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman",
                               "--socket=kurvimo-e2e", "--idle-time=0"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, env=dict(os.environ, XDG_RUNTIME_DIR=runtime))
    try:
        wait("weston", lambda: (os.path.exists(f"{runtime}/kurvimo-e2e"), "no socket"), weston)
        return subprocess.run([*again, f"XDG_RUNTIME_DIR={runtime}", "WAYLAND_DISPLAY=kurvimo-e2e",
                               *inside]).returncode
    finally:
        weston.kill()


def main():
    if not (platform := os.environ.get("KURVIMO_E2E")):  # first, the package; then a desktop
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
            return desktop(platform, work, package(sys.argv[1], work, platform))
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

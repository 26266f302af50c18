"""The Debian package built from BUILD_DIR, unpacked and driven through AT-SPI in a D-Bus session
of its own: with `x11`, after the package's checks, on an X display as `nobody`, from its menu entry;
with `wayland`, under weston as root, by another name. Either way the program folder is not theirs."""

import glob, os, shlex, shutil, signal, subprocess, sys, tempfile, threading, time

APP_ID, PROGRAM = "org.kurvimo.kurvimo", "usr/lib/kurvimo"
ENTRY, SHOWN = f"usr/share/applications/{APP_ID}.desktop", f"usr/share/metainfo/{APP_ID}.metainfo.xml"
FILES = [f"{PROGRAM}/krv.hlp", "usr/share/man/man1/kurvimo.1.gz"] + [  # the rest is used or validated
    f"usr/share/icons/hicolor/{n}/apps/{APP_ID}.{'svg' if n == 'scalable' else 'png'}"
    for n in "16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256 scalable".split()]
DEPENDS = ["fonts-liberation", "fonts-ipafont-gothic", "libqt6widgets6", "qt6-translations-l10n"]


def wait(what, probe, proc=None, deadline=15.0):  # until probe() gives (something true, reading)
    end = time.monotonic() + deadline
    while proc is None or proc.poll() is None:
        try:
            found, reading = probe()
        except (RuntimeError, OSError) as error:  # a window or process that comes or goes
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
            None, n.description) and within in (None, n.parent.getRoleName())), "nothing"))


def press(acc, returns=True):  # at once, also when it opens a modal window; Exit ends unanswered
    wait(f"{acc.name} to respond", lambda: (acc.getState().contains(pyatspi.STATE_ENABLED), ""))
    pressing = threading.Thread(target=acc.queryAction().doAction, args=(0,), daemon=True)
    pressing.start()
    pressing.join(timeout=3.0 if returns else 0)
    if returns and pressing.is_alive():
        raise AssertionError(f"pressing {acc.name} did not return while what it opened was open")


def run(command, *args, failing=False):  # a tool, which says a failure by its status
    done = subprocess.run([command, *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0 and not failing:
        raise AssertionError(f"{command} {args}:\n{done.stdout}{done.stderr}")
    return done.stdout.split()


def package(build_dir, work, platform):  # builds, checks and unpacks the package into work/root
    run("cpack", "-G", "DEB", "--config", f"{build_dir}/CPackConfig.cmake", "-B", work)
    deb, root = glob.glob(f"{work}/kurvimo_*.deb")[0], f"{work}/root"
    run("dpkg-deb", "-x", deb, root)
    if platform == "x11":
        depends = {word.strip(",") for word in run("dpkg-deb", "-f", deb, "Depends")}
        entry = open(f"{root}/{ENTRY}").read()
        if missing := [f for f in FILES if not os.path.isfile(f"{root}/{f}")] + [
                d for d in DEPENDS if d not in depends] + [
                k for k in ["Name", "Name[ja]", "Comment", "Comment[ja]"] if f"\n{k}=" not in entry]:
            raise AssertionError(f"the package, its Depends or its menu entry lack {missing}")
        run("lintian", "--fail-on", "error", deb)
        run("desktop-file-validate", f"{root}/{ENTRY}")
        run("appstreamcli", "validate", "--no-net", f"{root}/{SHOWN}")
        reproduce(build_dir, work, deb)
    os.chmod(work, 0o755)
    os.mkdir(f"{work}/home")
    shutil.copy(__file__, work)
    if os.getuid() == 0 and platform == "x11":
        shutil.chown(f"{work}/home", "nobody")
        return ["runuser", "-u", "nobody", "--"]
    return []


def reproduce(build_dir, work, deb):  # built again elsewhere, configured alike: the same bytes
    cache = dict(line.rstrip("\n").split("=", 1) for line in open(f"{build_dir}/CMakeCache.txt")
                 if "=" in line and not line.startswith(("#", "//")))
    if cache.get("KURVIMO_SANITIZE:BOOL") == "ON":
        return  # the sanitizers' runtime paths differ from one build folder to the next
    kept = ("KURVIMO_", "CMAKE_BUILD_TYPE:", "CMAKE_CXX_COMPILER:", "CMAKE_CXX_FLAGS", "CMAKE_EXE_LINKER")
    again = f"{work}/built-again"
    run("cmake", "-S", f"{os.path.dirname(__file__)}/../..", "-B", again, "-G",
        cache["CMAKE_GENERATOR:INTERNAL"], *[f"-D{k}={v}" for k, v in cache.items() if k.startswith(kept)],
        "-DBUILD_TESTING=OFF", "-DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON")
    run("cmake", "--build", again, "--parallel", os.cpu_count())
    run("cpack", "-G", "DEB", "--config", f"{again}/CPackConfig.cmake", "-B", again)
    if open(deb, "rb").read() != open(glob.glob(f"{again}/kurvimo_*.deb")[0], "rb").read():
        raise AssertionError(f"built again in {again}, the package has other bytes")


def scenario(work, log, platform):
    root, home = f"{work}/root", f"{work}/home"
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_FONT_DPI="96", LC_ALL="C.UTF-8",
               QT_QPA_PLATFORM={"x11": "xcb", "wayland": "wayland"}[platform])
    if platform == "x11":  # from its menu entry
        exec_line = next(line[5:] for line in open(f"{root}/{ENTRY}") if line.startswith("Exec="))
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
    # Save As writes where the user is a whole bitmap of the canvas: 517 x 485 pixels of 24 bits.
    press(menu["Save As..."])
    dialog = window("Save As...")
    find(dialog, "text", "File name").queryEditableText().setTextContents("drawn")
    press(find(dialog, "push button", "Save"))
    saved = f"{home}/drawn.bmp"  # written whole or not at all: a header and 485 rows of 1552 bytes
    size = lambda: os.path.exists(saved) and os.path.getsize(saved)  # noqa: E731
    wait("drawn.bmp", lambda: (size() == 54 + 1552 * 485, size()), proc)
    # One help viewer: asked again, it comes to the front; gone, however suddenly, it is replaced.
    press(menu["Help"])
    first = wait("a help viewer", lambda: (viewers(), "none"), proc)
    press(menu["Help"])
    if platform == "x11":  # and by F1
        shown = wait("its window", lambda: (run("xdotool", "search", "--onlyvisible", "--pid", first[
            0], "--name", "^Kurvimo Help$", failing=True), "none"), proc)
        run("xdotool", "windowfocus", "--sync", run("xdotool", "search", "--pid", proc.pid, "--name",
                                                    "^Kurvimo$")[0], "key", "F1")
        wait("it to come to the front", lambda: (run("xdotool", "getwindowfocus") == shown, ""), proc)
    os.kill(first[0], signal.SIGKILL)
    press(menu["Help"])
    second = wait("a new viewer", lambda: (viewers() not in ([], first) and viewers(), viewers()), proc)
    os.kill(second[0], signal.SIGSTOP)  # File > Exit ends the program at once all the same
    press(menu["Exit"], returns=False)
    if (status := proc.wait(timeout=3.0)) != 0:  # else TimeoutExpired: it did not end in time
        raise AssertionError(f"File > Exit: status {status}")


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
        platform = sys.argv[2]  # the X11 tools come with the build's; Wayland's may be missing
        if platform == "wayland" and not (shutil.which("weston") and glob.glob(
                "/usr/lib/*/qt6/plugins/platforms/libqwayland*")):
            print("skipped: weston or qt6-wayland missing")
            return 77  # the test's SKIP_RETURN_CODE
        with tempfile.TemporaryDirectory(prefix="kurvimo-e2e-") as work:
            return desktop(platform, work, package(sys.argv[1], work, platform))
    global pyatspi
    threading.excepthook = lambda failed: None  # a press the program ended without answering
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

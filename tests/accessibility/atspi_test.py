#!/usr/bin/python3
"""Drives the real Stanzabox through AT-SPI, as a screen reader would.

Started by run-atspi-test beside this file, which prepares the demo library
and a copy of the program, and bounds the whole run in time. This script
starts its own X display, D-Bus session and accessibility bus, starts the
program on them, finds its controls by their accessible names, presses some
of them and checks what each press did, then closes the program with Ctrl+Q.

Controls are looked up only by accessible name and role, never by position in
the tree of objects, so that moving a widget around does not break the test
but dropping or renaming an accessible name does.
"""

import argparse
import os
import re
import select
import signal
import subprocess
import sys
import time

# --- bookkeeping -------------------------------------------------------------


class Failure(Exception):
    pass


class TimeUp(BaseException):
    """Not an Exception, so that no "ignore what went wrong" around an AT-SPI
    call can swallow it."""


current_step = "starting"
passed = 0


def step(text):
    global current_step
    current_step = text
    print(f"-- {text}", flush=True)


def check(condition, failure, success):
    """Every assertion goes through here, so the summary counts them all."""
    global passed
    if not condition:
        raise Failure(failure)
    passed += 1
    print(f"   ok: {success}", flush=True)


def confirmed(success):
    """Counts a check whose assertion was the wait just before it."""
    check(True, "", success)


def on_alarm(signum, frame):
    # Once is enough: a second signal must not cut short the cleanup.
    signal.signal(signal.SIGALRM, signal.SIG_IGN)
    signal.signal(signal.SIGTERM, signal.SIG_IGN)
    what = "ran out of time" if signum == signal.SIGALRM else "was stopped from outside"
    raise TimeUp(f"the test {what} while: {current_step} (is the program hung?)")


# --- processes ---------------------------------------------------------------


class Processes:
    """Everything the test starts, so that all of it is stopped at the end."""

    def __init__(self, logdir):
        self.logdir = logdir
        self.started = []  # (name, Popen), in start order

    def start(self, name, argv, env, pass_fds=(), cwd=None):
        log = open(os.path.join(self.logdir, f"{name}.log"), "wb")
        try:
            proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT, pass_fds=pass_fds, cwd=cwd)
        except OSError as error:
            raise Failure(f"cannot start {name} ({argv[0]}): {error}")
        finally:
            log.close()
        self.started.append((name, proc))
        return proc

    def names(self):
        return [name for name, _ in self.started]

    def log_tail(self, name, lines=int(os.environ.get("STANZABOX_LOG_LINES", "30"))):
        try:
            with open(os.path.join(self.logdir, f"{name}.log"), errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""

    def stop_all(self):
        # The program first, so that it does not see its buses vanish under
        # it, then the rest; whatever ignores SIGTERM gets SIGKILL.
        program = [p for n, p in self.started if n == "stanzabox"]
        rest = [p for n, p in reversed(self.started) if n != "stanzabox"]
        for group in (program, rest):
            alive = [p for p in group if p.poll() is None]
            for proc in alive:
                proc.terminate()
            deadline = time.monotonic() + 2
            for proc in alive:
                try:
                    proc.wait(timeout=max(0.1, deadline - time.monotonic()))
                except subprocess.TimeoutExpired:
                    proc.kill()
                    try:
                        proc.wait(timeout=2)
                    except subprocess.TimeoutExpired:
                        print(f"warning: pid {proc.pid} would not die", file=sys.stderr)


def read_line_from(fd, proc, what, timeout):
    """Reads the one line a server writes to tell where it listens."""
    deadline = time.monotonic() + timeout
    data = b""
    while b"\n" not in data:
        left = deadline - time.monotonic()
        if left <= 0:
            raise Failure(f"{what} did not say where it listens within {timeout} s")
        ready, _, _ = select.select([fd], [], [], min(left, 0.2))
        if ready:
            chunk = os.read(fd, 4096)
            if not chunk:
                break
            data += chunk
        elif proc.poll() is not None:
            break
    os.close(fd)
    line = data.split(b"\n", 1)[0].decode().strip()
    if not line:
        raise Failure(f"{what} exited (status {proc.poll()}) before saying where it listens")
    return line


# --- AT-SPI helpers ----------------------------------------------------------

pyatspi = None  # imported once the buses are up: libatspi reads the environment then

INTERACTIVE_ROLES = set()
BUTTON_ROLES = set()
TEXT_ROLES = set()
TREE_ROLES = set()
LIST_ROLES = set()
WINDOW_ROLES = set()


def load_pyatspi():
    global pyatspi
    import pyatspi as module
    pyatspi = module
    # A hung program must not hang the test: every call to it gives up after
    # 3 s (a healthy one answers in milliseconds), even right after it started.
    pyatspi.setTimeout(3000, 1000)
    BUTTON_ROLES.update({pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX})
    TEXT_ROLES.update({pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY})
    TREE_ROLES.update({pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE})
    LIST_ROLES.update({pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX})
    # What a screen reader announces as a window when it comes up.
    WINDOW_ROLES.update({pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW})
    # What a screen reader user lands on and must hear a name for.
    INTERACTIVE_ROLES.update(BUTTON_ROLES | TEXT_ROLES | TREE_ROLES | LIST_ROLES | {
        pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SLIDER,
        pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PASSWORD_TEXT})


def safe(fn, default=None):
    # Objects can go away between two calls (a row removed, a window
    # hidden); that is not an error of the test.
    try:
        return fn()
    except Exception:
        return default


def name_of(acc):
    return safe(lambda: acc.name, "") or ""


def role_of(acc):
    return safe(lambda: acc.getRole())


def role_name(acc):
    return safe(lambda: acc.getRoleName(), "?")


def has_state(acc, state):
    return bool(safe(lambda: acc.getState().contains(state), False))


def enabled(acc):
    return has_state(acc, pyatspi.STATE_ENABLED)


def showing(acc):
    return has_state(acc, pyatspi.STATE_SHOWING)


def children(acc):
    count = safe(lambda: acc.childCount, 0) or 0
    result = []
    for i in range(count):
        child = safe(lambda: acc.getChildAtIndex(i))
        if child is not None:
            result.append(child)
    return result


def walk(root, max_depth=30):
    queue = [(root, 0)]
    while queue:
        node, depth = queue.pop(0)
        yield node
        if depth < max_depth:
            queue.extend((child, depth + 1) for child in children(node))


def find(root, name, roles=None):
    for node in walk(root):
        if name_of(node) == name and (roles is None or role_of(node) in roles):
            return node
    return None


def find_all(root, name, roles=None):
    return [n for n in walk(root) if name_of(n) == name and (roles is None or role_of(n) in roles)]


def text_of(acc):
    return safe(lambda: acc.queryText().getText(0, -1), "") or ""


def role_label(role):
    return safe(lambda: pyatspi.Atspi.role_get_name(role), str(role))


def describe(acc):
    return f"{role_name(acc)} \"{name_of(acc)}\""


def state_words(acc):
    return ("enabled" if enabled(acc) else "disabled") + (", showing" if showing(acc) else ", hidden")


def press(acc, action="Press"):
    try:
        actions = acc.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
    except Exception as error:
        raise Failure(f"{describe(acc)} has no actions to press ({error})")
    if action not in names:
        raise Failure(f"{describe(acc)} offers no \"{action}\" action (it offers {names})")
    if not actions.doAction(names.index(action)):
        raise Failure(f"{describe(acc)} refused its \"{action}\" action")


# Every new name the program announced, in order: what a screen reader hears
# of a label or button whose text changed without being looked at again.
announced = []


def listen_for_new_names():
    def heard(event):
        announced.append(event.any_data if isinstance(event.any_data, str) else name_of(event.source))
    pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name")


def deliver_events():
    # Nothing runs a main loop here; the events wait in it until asked for.
    from gi.repository import GLib
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def labels(root):
    return [name_of(n) for n in walk(root) if role_of(n) == pyatspi.ROLE_LABEL and name_of(n)]


class Session:
    def __init__(self, program):
        self.program = program
        self.app = None

    def alive(self):
        status = self.program.poll()
        if status is not None:
            raise Failure(f"the program exited unexpectedly (status {status}) while: {current_step}")

    def wait_for(self, what, fn, timeout=15):
        """Polls fn until it returns something true; fails naming what was
        awaited (what may be a function, to describe what was seen by then)."""
        deadline = time.monotonic() + timeout
        while True:
            self.alive()
            deliver_events()
            result = safe(fn)
            if result:
                return result
            if time.monotonic() > deadline:
                raise Failure(f"gave up after {timeout} s waiting for {what() if callable(what) else what}")
            time.sleep(0.1)

    def window(self, title):
        """The program's top-level window of that title, if it is showing."""
        for window in children(self.app):
            # Asked strictly: a program that does not answer shows no window,
            # but that must not pass for "the window is not there".
            try:
                if window.name == title and window.getState().contains(pyatspi.STATE_SHOWING):
                    return window
            except Exception as error:
                raise Failure(f"the program does not answer over AT-SPI ({error}) while: {current_step}")
        return None

    def require(self, root, name, roles, where):
        found = find(root, name, roles)
        check(found is not None,
              f"no control with accessible name \"{name}\" in {where} "
              f"(looked for roles: {', '.join(sorted(role_label(r) for r in roles))})",
              f"found {describe(found) if found else name} in {where} ({state_words(found) if found else ''})")
        return found

    def click(self, acc, covered_by=()):
        """A left click in the middle height of acc, at a spot no other window hides."""
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if box.width <= 0 or box.height <= 0:
            raise Failure(f"{describe(acc)} has no area on screen to click")
        covers = [w.queryComponent().getExtents(pyatspi.DESKTOP_COORDS) for w in covered_by if w is not None]
        y = box.y + box.height // 2
        for fraction in (0.3, 0.5, 0.7, 0.15, 0.9):
            x = box.x + int(box.width * fraction)
            if not any(c.x <= x < c.x + c.width and c.y <= y < c.y + c.height for c in covers):
                pyatspi.Registry.generateMouseEvent(x, y, "b1c")
                return
        raise Failure(f"{describe(acc)} is hidden behind another window of the program")


# --- the test ----------------------------------------------------------------

TOOLBAR = ["Edit", "Delete", "+ Redown", "Lists", "Browser", "Visit Site",
           "Search Kar", "Join Lyrics", "Help", "Music"]
ENABLED_AT_START = {"Lists", "Join Lyrics", "Help", "Music"}
ENABLED_WITH_A_SONG = ["Edit", "Delete", "+ Redown", "Search Kar"]
ENABLED_WITH_A_SOURCE = ["Browser", "Visit Site"]
LISTS_BUTTONS = ["Redownload List", "Deleted Items", "Delete Item", "Clear",
                 "Create Full Text List", "Create Selected TextList"]
MAIN_TITLE = "Wordhive Stanzabox"
ARTIST, SONG = "Kestrel Road", "Live"  # a demo song that has timestamps
# Where make-demo-library puts the downloader's lyrics cache in the prefix.
DEMO_CACHE = ("drive_c", "Program Files", "Wordhive", "lyrics")
EDIT_MARK = "Sung again through AT-SPI"

# Controls known to have no accessible name yet, as (role, name of the
# nearest named ancestor). Each is printed when seen; take the entry out once
# the program names the control.
KNOWN_UNNAMED = set()


def start_everything(args, procs):
    work = args.work
    for sub in ("config", "data", "cache", "home", "runtime"):
        os.makedirs(os.path.join(work, sub), mode=0o700, exist_ok=True)

    env = dict(os.environ)
    # Nothing of a desktop the test may have been started from may leak in:
    # the program and the test talk only to the display and buses made here.
    for var in ("WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS", "SESSION_MANAGER", "XAUTHORITY",
                "DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "QT_QPA_PLATFORMTHEME"):
        env.pop(var, None)
    env.update(HOME=os.path.join(work, "home"),
               XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_DATA_HOME=os.path.join(work, "data"),
               XDG_CACHE_HOME=os.path.join(work, "cache"),
               XDG_RUNTIME_DIR=os.path.join(work, "runtime"))

    step("starting a virtual X display")
    read_end, write_end = os.pipe()
    xvfb = procs.start("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                                "-nolisten", "tcp", "-noreset"], env, pass_fds=(write_end,))
    os.close(write_end)
    env["DISPLAY"] = ":" + read_line_from(read_end, xvfb, "Xvfb", 20)
    print(f"   display {env['DISPLAY']}", flush=True)

    step("starting a D-Bus session bus")
    read_end, write_end = os.pipe()
    dbus = procs.start("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                f"--print-address={write_end}"], env, pass_fds=(write_end,))
    os.close(write_end)
    env["DBUS_SESSION_BUS_ADDRESS"] = read_line_from(read_end, dbus, "dbus-daemon", 20)

    step("starting the accessibility bus")
    launcher = procs.start("at-spi-bus-launcher",
                           ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env)
    wait_for_accessibility_bus(env["DBUS_SESSION_BUS_ADDRESS"], launcher)

    # libatspi in this process finds the accessibility bus through these.
    os.environ.clear()
    os.environ.update(env)
    load_pyatspi()
    # Before the program starts, so that it knows from the first what is listened to.
    listen_for_new_names()

    step("starting Stanzabox on the demo library")
    program_env = dict(env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                       QT_ACCESSIBILITY="1", WINEPREFIX=args.prefix)
    music = make_music(work)
    program = procs.start("stanzabox", [args.program, "--music", music], program_env, cwd=work)
    return env, program


def wait_for_accessibility_bus(address, launcher, timeout=20):
    from gi.repository import Gio, GLib
    flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
             | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
    connection = Gio.DBusConnection.new_for_address_sync(address, flags, None, None)
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        if launcher.poll() is not None:
            raise Failure(f"at-spi-bus-launcher exited with status {launcher.poll()}")
        try:
            # No auto start: the launcher started above is the one to wait for.
            reply = connection.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                         None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NO_AUTO_START,
                                         1000, None)
            if reply.unpack()[0]:
                connection.close_sync(None)
                return
        except GLib.Error as error:
            last = error.message
        time.sleep(0.1)
    raise Failure(f"the accessibility bus did not come up within {timeout} s ({last})")


def find_application(session):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if safe(lambda: app.get_process_id()) == session.program.pid:
            return app
    return None


def library_counts(prefix):
    """Lyrics and timestamp files as the library scan counts them: in the letter
    folders A to Z (a lower-case folder only where the upper-case one is
    missing), not hidden, a .txt file of any case, with timestamps when a .kas
    file of the same name lies beside it."""
    cache = os.path.join(prefix, *DEMO_CACHE)
    lyrics = timestamps = 0
    for letter in "ABCDEFGHIJKLMNOPQRSTUVWXYZ":
        folder = next((os.path.join(cache, name) for name in (letter, letter.lower())
                       if os.path.isdir(os.path.join(cache, name))), None)
        if folder is None:
            continue
        names = [n for n in os.listdir(folder) if not n.startswith(".") and os.path.isfile(os.path.join(folder, n))]
        stamps = {n[:-3] for n in names if n.endswith(".kas")}
        for name in names:
            if len(name) > 4 and name.lower().endswith(".txt"):
                lyrics += 1
                timestamps += name[:-3] in stamps
    return lyrics, timestamps


def check_window_role(window, title):
    check(role_of(window) in WINDOW_ROLES,
          f"the window \"{title}\" has the role \"{role_name(window)}\"; a screen reader announces "
          f"only a frame or a window as one",
          f"the window \"{title}\" is a {role_name(window)}")


def test_main_window(session, prefix):
    step("finding the main window and its controls")
    session.app = session.wait_for("the program to appear on the accessibility bus",
                                   lambda: find_application(session), timeout=30)
    main = session.wait_for(f"a showing window titled \"{MAIN_TITLE}\"",
                            lambda: session.window(MAIN_TITLE), timeout=20)
    confirmed(f"window \"{MAIN_TITLE}\" is showing")
    check_window_role(main, MAIN_TITLE)

    step("reading the library counts")
    lyrics, timestamps = library_counts(prefix)
    counts = f"{lyrics} lyrics, {timestamps} timestamps"
    session.wait_for(lambda: f"a label that reads \"{counts}\" (the labels read {labels(main)})",
                     lambda: find(main, counts, {pyatspi.ROLE_LABEL}), timeout=10)
    confirmed(f"the counts label reads \"{counts}\", as counted in the library")

    tree = session.require(main, "Library", TREE_ROLES, "the main window")
    search = session.require(main, "Search", TEXT_ROLES, "the main window")
    check(safe(lambda: search.queryEditableText()) is not None,
          "the search box \"Search\" cannot be typed into through AT-SPI (no editable text interface)",
          "the search box can be typed into (editable text)")
    session.require(main, "Lyrics", TEXT_ROLES, "the main window")
    buttons = {name: session.require(main, name, BUTTON_ROLES, "the main window toolbar") for name in TOOLBAR}

    # Until a song is chosen there is nothing for the song commands to act on.
    for name, button in buttons.items():
        want = name in ENABLED_AT_START
        check(enabled(button) == want,
              f"toolbar button \"{name}\" is {'disabled' if want else 'enabled'} at start, "
              f"expected it {'enabled' if want else 'disabled'}",
              f"toolbar button \"{name}\" is {'enabled' if want else 'disabled'} at start")
    return main, tree, search, buttons


def test_library_follows_the_disk(session, main, prefix):
    """Another process writes a song into the cache, then takes it away: the
    counts a screen reader hears follow without F5."""
    step("a song written into the cache by another process")
    lyrics, timestamps = library_counts(prefix)
    cache = os.path.join(prefix, *DEMO_CACHE)
    folder = next(os.path.join(cache, name) for name in ("K", "k") if os.path.isdir(os.path.join(cache, name)))
    path = os.path.join(folder, "Kestrel Quay - Written Elsewhere.txt")
    for change, want in (("written", lyrics + 1), ("removed", lyrics)):
        command = ["/bin/sh", "-c", 'printf "la la\\r\\n" > "$0"', path] if change == "written" else ["rm", path]
        subprocess.run(command, check=True)
        counts = f"{want} lyrics, {timestamps} timestamps"
        # How soon is the benchmark's to measure; here, that it comes without F5.
        session.wait_for(lambda: f"the counts label to read \"{counts}\" (the labels read {labels(main)})",
                         lambda: find(main, counts, {pyatspi.ROLE_LABEL}), timeout=5)
        confirmed(f"a file {change} by another process: the counts read \"{counts}\" without F5")


def test_lists_window(session, buttons):
    step("pressing \"Lists\"")
    check(session.window("Lists") is None, "the Lists window is showing before \"Lists\" was pressed",
          "no Lists window before the press")
    press(buttons["Lists"])
    lists = session.wait_for("the Lists window to show after pressing \"Lists\"", lambda: session.window("Lists"))
    confirmed("pressing \"Lists\" showed the Lists window")
    check_window_role(lists, "Lists")

    step("finding the Lists window's controls")
    found = {name: session.require(lists, name, {pyatspi.ROLE_PUSH_BUTTON}, "the Lists window")
             for name in LISTS_BUTTONS}
    redownload_list = session.require(lists, "Marked for Redownload", LIST_ROLES, "the Lists window")
    deleted_list = session.require(lists, "Deleted Items", LIST_ROLES, "the Lists window")
    session.require(lists, "Text list", TEXT_ROLES, "the Lists window")

    # It opens on the redownload list, so the button for that list is off.
    check(not enabled(found["Redownload List"]) and enabled(found["Deleted Items"]),
          f"at first \"Redownload List\" should be disabled and \"Deleted Items\" enabled; they are "
          f"{state_words(found['Redownload List'])} and {state_words(found['Deleted Items'])}",
          "\"Redownload List\" disabled, \"Deleted Items\" enabled at first")
    check(showing(redownload_list) and not showing(deleted_list),
          "at first the list \"Marked for Redownload\" should show and \"Deleted Items\" should not",
          "the list \"Marked for Redownload\" shows at first")

    step("pressing \"Deleted Items\" in the Lists window")
    press(found["Deleted Items"])
    session.wait_for("\"Redownload List\" to become enabled after pressing \"Deleted Items\"",
                     lambda: enabled(found["Redownload List"]))
    confirmed("pressing \"Deleted Items\" enabled \"Redownload List\"")
    session.wait_for("the list \"Deleted Items\" to show after pressing \"Deleted Items\"",
                     lambda: showing(deleted_list))
    check(not showing(redownload_list),
          "after pressing \"Deleted Items\" the list \"Marked for Redownload\" still shows",
          "pressing \"Deleted Items\" swapped the lists: \"Deleted Items\" shows, \"Marked for Redownload\" hides")
    check(not enabled(found["Deleted Items"]),
          "after pressing it, \"Deleted Items\" is still enabled",
          "\"Deleted Items\" is disabled while its list shows")
    return lists


def cell_names(tree):
    return [name_of(c) for c in children(tree) if role_of(c) == pyatspi.ROLE_TABLE_CELL]


def cell(tree, name):
    for c in children(tree):
        if role_of(c) == pyatspi.ROLE_TABLE_CELL and name_of(c) == name:
            return c
    return None


def test_song_and_karaoke(session, main, tree, search, buttons, lists):
    step(f"typing \"{SONG}\" into the search box")
    before = cell_names(tree)
    check(ARTIST in before, f"artist \"{ARTIST}\" is not a cell of the tree \"Library\" (cells: {before})",
          f"artist \"{ARTIST}\" is in the tree among {len(before)} artists")
    editable = search.queryEditableText()
    check(editable.insertText(0, SONG, len(SONG)),
          "the search box refused the inserted text", f"inserted \"{SONG}\" into the search box")
    narrowed = session.wait_for(f"the tree to narrow down after searching for \"{SONG}\"",
                                lambda: (lambda now: now if ARTIST in now and len(now) < len(before) else None)(
                                    cell_names(tree)))
    check(text_of(search) == SONG, f"the search box holds \"{text_of(search)}\", expected \"{SONG}\"",
          f"the search box holds \"{SONG}\"")
    confirmed(f"the search narrowed the tree from {len(before)} to {len(narrowed)} rows: {narrowed}")
    results = re.compile(r"^\{(\d+) artists?\} \{(\d+) songs?\}$")
    line = session.wait_for("a label that reads the search results",
                            lambda: next((n for n in labels(main) if results.match(n)), None), timeout=10)
    artists, songs = map(int, results.match(line).groups())
    check(artists == len(narrowed) and songs >= artists,
          f"the results line reads \"{line}\" while the tree shows {len(narrowed)} artists",
          f"the results line reads \"{line}\", as many artists as the tree shows")

    step(f"opening artist \"{ARTIST}\" in the tree")
    artist = cell(tree, ARTIST)
    if not has_state(artist, pyatspi.STATE_EXPANDED):
        session.click(artist, covered_by=[lists])
    session.wait_for(f"song \"{SONG}\" to show under artist \"{ARTIST}\"",
                     lambda: cell(tree, SONG) is not None and showing(cell(tree, SONG)))
    check(has_state(cell(tree, ARTIST), pyatspi.STATE_EXPANDED),
          f"artist \"{ARTIST}\" is not expanded although its songs show",
          f"artist \"{ARTIST}\" is expanded and shows song \"{SONG}\"")

    step(f"choosing song \"{SONG}\"")
    karaoke = find(main, "Karaoke Editor")
    check(karaoke is None or not showing(karaoke),
          "the \"Karaoke Editor\" shows before any song with timestamps was chosen",
          "no karaoke editor before a song is chosen")
    session.click(cell(tree, SONG), covered_by=[lists])
    session.wait_for(f"song \"{SONG}\" to become the selected tree cell",
                     lambda: has_state(cell(tree, SONG), pyatspi.STATE_SELECTED))
    confirmed(f"song \"{SONG}\" is the selected cell")
    chosen = f"{ARTIST} - {SONG}"
    session.wait_for(f"the heading to read \"{chosen}\"", lambda: find(main, chosen, {pyatspi.ROLE_LABEL}))
    confirmed(f"the heading reads \"{chosen}\"")
    wanted = [f"Artist: {ARTIST}", f"Song: {SONG}", "Karaoke: Timestamps found"]
    session.wait_for(f"the song information to read {wanted}", lambda: all(w in labels(main) for w in wanted))
    titled = re.compile(r"^(Artist|Song|Karaoke|Website|Downloaded from|Filter): \S")
    info = [n for n in labels(main) if titled.match(n)]
    check(len(info) == 6, f"the song information should read six values with their titles; it reads {info}",
          "the song information reads: " + " | ".join(info))
    session.wait_for(lambda: f"the program to announce the new values (it announced {announced})",
                     lambda: all(w in announced for w in [chosen] + wanted), timeout=5)
    confirmed(f"the new heading and values were announced as name changes: {[chosen] + wanted}")
    session.wait_for("\"Edit\" to become enabled once a song is shown", lambda: enabled(buttons["Edit"]))
    for name in ENABLED_WITH_A_SONG:
        check(enabled(buttons[name]), f"toolbar button \"{name}\" is still disabled with a song shown",
              f"toolbar button \"{name}\" is enabled with a song shown")
    lyrics_text = text_of(find(main, "Lyrics", TEXT_ROLES))
    check(lyrics_text.strip() != "", f"the \"Lyrics\" box is empty with song \"{SONG}\" shown",
          f"the \"Lyrics\" box shows the song ({len(lyrics_text)} characters)")
    if "Downloaded from" in lyrics_text:
        for name in ENABLED_WITH_A_SOURCE:
            check(enabled(buttons[name]), f"toolbar button \"{name}\" is disabled for a song with a source line",
                  f"toolbar button \"{name}\" is enabled for a song with a source line")

    step("finding the karaoke editor")
    karaoke = session.wait_for(f"the \"Karaoke Editor\" to show for song \"{SONG}\", which has timestamps",
                               lambda: (lambda k: k if k is not None and showing(k) else None)(
                                   find(main, "Karaoke Editor")))
    confirmed(f"the karaoke editor shows ({describe(karaoke)})")
    editor = {name: session.require(karaoke, name, {pyatspi.ROLE_PUSH_BUTTON}, "the karaoke editor")
              for name in ("Add", "Del", "Save")}
    rows_before = len(find_all(karaoke, "Timestamp"))
    check(rows_before > 0, f"the karaoke editor of \"{SONG}\" has no control named \"Timestamp\"",
          f"the karaoke editor has {rows_before} \"Timestamp\" rows")

    step("pressing \"Add\" in the karaoke editor")
    press(editor["Add"])
    session.wait_for(f"a \"Timestamp\" row to be added (there were {rows_before})",
                     lambda: len(find_all(karaoke, "Timestamp")) > rows_before)
    rows_after = len(find_all(karaoke, "Timestamp"))
    check(rows_after == rows_before + 1,
          f"pressing \"Add\" changed the \"Timestamp\" rows from {rows_before} to {rows_after}, expected one more",
          f"pressing \"Add\" added one \"Timestamp\" row ({rows_before} -> {rows_after})")


def alert(session):
    for window in children(session.app):
        if role_of(window) in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and showing(window):
            return window
    return None


def checked(acc):
    return has_state(acc, pyatspi.STATE_CHECKED)


def test_toggles(session, main, buttons, lists, prefix):
    step("toggling \"Edit\" on")
    lyrics = session.require(main, "Lyrics", TEXT_ROLES, "the main window")
    check(not has_state(lyrics, pyatspi.STATE_EDITABLE) and not checked(buttons["Edit"]),
          "the lyrics are editable before \"Edit\" was toggled", "the lyrics are read-only, \"Edit\" is off")
    press(buttons["Edit"], "Toggle")
    session.wait_for("the lyrics to become editable after toggling \"Edit\"",
                     lambda: has_state(lyrics, pyatspi.STATE_EDITABLE) and checked(buttons["Edit"]))
    confirmed("toggling \"Edit\" made the lyrics editable and checked the button")
    text = lyrics.queryText()
    end = text.characterCount
    check(lyrics.queryEditableText().insertText(end, "\n" + EDIT_MARK, len(EDIT_MARK) + 1),
          "the lyrics box refused text typed into it", f"typed the line \"{EDIT_MARK}\" into the lyrics")

    step("toggling \"Edit\" off")
    press(buttons["Edit"], "Toggle")
    session.wait_for("the lyrics to become read-only after toggling \"Edit\" off",
                     lambda: not has_state(lyrics, pyatspi.STATE_EDITABLE) and not checked(buttons["Edit"]))
    cache = os.path.join(prefix, *DEMO_CACHE)
    saved = [os.path.join(folder, name) for folder, _, names in os.walk(cache) for name in names
             if name.endswith(".txt") and EDIT_MARK.encode() in open(os.path.join(folder, name), "rb").read()]
    check(len(saved) == 1 and os.path.basename(saved[0]).startswith(ARTIST),
          f"after toggling \"Edit\" off the typed line should be saved in one lyrics file of {ARTIST}; "
          f"it is in {saved}",
          f"toggling \"Edit\" off saved the lyrics to \"{os.path.basename(saved[0]) if saved else ''}\"")

    step("toggling \"+ Redown\"")
    entry = f"{ARTIST} - {SONG}"
    redownload = session.require(lists, "Marked for Redownload", LIST_ROLES, "the Lists window")
    press(session.require(lists, "Redownload List", {pyatspi.ROLE_PUSH_BUTTON}, "the Lists window"))
    session.wait_for("the list \"Marked for Redownload\" to show", lambda: showing(redownload))
    check(find(redownload, entry) is None, f"\"{entry}\" is marked for redownload before \"+ Redown\"",
          f"\"{entry}\" is not in the list \"Marked for Redownload\"")
    press(buttons["+ Redown"], "Toggle")
    session.wait_for(f"\"{entry}\" to enter the list \"Marked for Redownload\"",
                     lambda: find(redownload, entry) is not None)
    check(checked(buttons["+ Redown"]) and len(find_all(redownload, entry)) == 1,
          f"after toggling \"+ Redown\" the button should be checked and the entry listed once; "
          f"checked: {checked(buttons['+ Redown'])}, entries: {len(find_all(redownload, entry))}",
          f"toggling \"+ Redown\" put \"{entry}\" into the list \"Marked for Redownload\" once")
    press(buttons["+ Redown"], "Toggle")
    session.wait_for(f"\"{entry}\" to leave the list after toggling \"+ Redown\" off",
                     lambda: find(redownload, entry) is None and not checked(buttons["+ Redown"]))
    confirmed(f"toggling \"+ Redown\" off took \"{entry}\" out of the list")

    step("toggling \"Join Lyrics\" on")
    join = buttons["Join Lyrics"]
    press(join, "Toggle")
    box = session.wait_for("the joining instructions to show", lambda: alert(session))
    message = [n for n in labels(box) if "Joining..." in n]
    check(bool(message), f"the message box {describe(box)} does not explain joining (it reads {labels(box)})",
          f"a message box {describe(box)} shows: {message[0].splitlines()[-1] if message else ''}")
    press(session.require(box, "OK", {pyatspi.ROLE_PUSH_BUTTON}, "the message box"))
    session.wait_for("the message box to go after pressing \"OK\"", lambda: alert(session) is None)
    confirmed("pressing \"OK\" dismissed the message box")
    session.wait_for("the join button to read \"Joining...\"", lambda: name_of(join) == "Joining...")
    session.wait_for(lambda: f"the program to announce the join button's new name (it announced {announced})",
                     lambda: "Joining..." in announced, timeout=5)
    confirmed("the join button's new name was announced")
    check(checked(join), "the join button reads \"Joining...\" but is not checked",
          "the join button reads \"Joining...\" and is checked")

    step("toggling \"Joining...\" off with nothing ticked")
    press(join, "Toggle")
    session.wait_for("the join button to read \"Join lyrics\"", lambda: name_of(join) == "Join lyrics")
    time.sleep(0.5)
    check(alert(session) is None and not checked(join),
          "leaving join mode with nothing ticked showed a message or left the button checked",
          "the join button reads \"Join lyrics\" again; nothing ticked, nothing written, no message")


def test_find_in_lyrics(session, main, tree, lists):
    step("opening \"Find in lyrics\" with Ctrl+Shift+F")
    # The karaoke row added is not saved: a click in the tree asks first, then gives the window the keyboard.
    session.click(cell(tree, ARTIST), covered_by=[lists])
    box = session.wait_for("the question about the unsaved timestamps", lambda: alert(session))
    press(session.require(box, "Discard", {pyatspi.ROLE_PUSH_BUTTON}, "the question"))
    session.wait_for("the question to go after pressing \"Discard\"", lambda: alert(session) is None)
    confirmed("the click asked about the unsaved timestamps; \"Discard\" let it go on")
    session.click(cell(tree, ARTIST), covered_by=[lists])
    subprocess.run(["xdotool", "key", "--clearmodifiers", "ctrl+shift+f"], check=False)
    field = session.wait_for("the field \"Find in lyrics\" to show",
                             lambda: (lambda f: f if f is not None and showing(f) else None)(
                                 find(main, "Find in lyrics", TEXT_ROLES)))
    confirmed(f"found {describe(field)}")
    words = "avenue night bus"
    check(field.queryEditableText().insertText(0, words, len(words)),
          "the field \"Find in lyrics\" refused the inserted text", f"typed \"{words}\" into it")
    matches = session.require(main, "Lyrics matches", {pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE},
                              "the main window")
    wanted = f"{ARTIST} - Night Bus - {SONG}"
    first = session.wait_for(f"\"{wanted}\" among the lyrics matches",
                             lambda: next((c for c in children(matches) if name_of(c).startswith(wanted)), None))
    confirmed(f"the lyrics matches read \"{name_of(first)}\"")
    step("choosing the song found")
    session.click(first, covered_by=[lists])
    chosen = f"{ARTIST} - {SONG}"
    session.wait_for(f"the heading to read \"{chosen}\"", lambda: find(main, chosen, {pyatspi.ROLE_LABEL}))
    session.wait_for(f"song \"{SONG}\" to become the selected tree cell",
                     lambda: has_state(cell(tree, SONG), pyatspi.STATE_SELECTED))
    confirmed(f"choosing it opened \"{chosen}\" and selected it in the tree")


def make_music(work):
    """A music folder: a track of a demo song, named for it, and one of a song the cache lacks."""
    music = os.path.join(work, "music")
    os.makedirs(music, exist_ok=True)
    wav = os.path.join(work, "tone.wav")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "1", wav, "synth", "0.3", "sine", "440"], check=True)
    for name in (f"{ARTIST} - Night Bus - {SONG}", "Unknown Band - Lost Song"):
        subprocess.run(["lame", "--quiet", wav, os.path.join(music, name + ".mp3")], check=True)
    return music


def test_music_window(session, main, tree, lists):
    step("opening the Music window with Ctrl+M")
    session.click(cell(tree, ARTIST), covered_by=[lists])
    subprocess.run(["xdotool", "key", "--clearmodifiers", "ctrl+m"], check=False)
    music = session.wait_for("the window \"Music\" to show", lambda: session.window("Music"))
    check_window_role(music, "Music")
    summary = session.require(music, "Music summary", {pyatspi.ROLE_LABEL}, "the Music window")
    wanted = "2 music files: 1 with lyrics in the cache, 1 without; 0 hold lyrics in the file."
    session.wait_for(f"the summary to read \"{wanted}\"", lambda: safe(lambda: summary.description) == wanted)
    confirmed(f"the summary reads \"{wanted}\"")
    without = session.require(music, "Music without lyrics", LIST_ROLES | {pyatspi.ROLE_TABLE}, "the Music window")
    session.wait_for("\"Unknown Band - Lost Song\" among the music without lyrics",
                     lambda: any(name_of(c) == "Unknown Band - Lost Song" for c in children(without)))
    confirmed("the music without lyrics lists \"Unknown Band - Lost Song\"")
    step("pressing \"Mark for download\" with nothing selected")
    press(session.require(music, "Mark for download", BUTTON_ROLES, "the Music window"))
    told = "1 song marked for download: they are on the redownload list."
    session.wait_for(f"the window to say \"{told}\"", lambda: find(music, told, {pyatspi.ROLE_LABEL}))
    confirmed(f"the window says \"{told}\"")
    return music


def test_every_control_named(session):
    step("looking for controls without an accessible name")
    unnamed, known = [], []
    for window in children(session.app):
        if not showing(window):
            continue
        # Walk by hand to know each control's nearest named ancestor.
        queue = [(window, name_of(window))]
        while queue:
            node, context = queue.pop(0)
            name = name_of(node)
            if showing(node) and role_of(node) in INTERACTIVE_ROLES and not name.strip():
                entry = f"{role_name(node)} in \"{context}\""
                (known if (role_name(node), context) in KNOWN_UNNAMED else unnamed).append(entry)
            queue.extend((child, name or context) for child in children(node))
    for entry in sorted(set(known)):
        print(f"   known gap: {known.count(entry)} x unnamed {entry}", flush=True)
    check(not unnamed, "controls without an accessible name: " + "; ".join(unnamed),
          "every other showing control has an accessible name")


def test_quit(session, env):
    step("closing the program with Ctrl+Q")
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{MAIN_TITLE}$"], env=env,
                         capture_output=True, text=True, timeout=10).stdout.split()
    check(bool(ids), f"xdotool finds no visible X window titled \"{MAIN_TITLE}\"",
          f"X window of \"{MAIN_TITLE}\": {ids[0] if ids else ''}")
    # No window manager here to activate windows: give the main window the
    # keyboard directly, since the Lists window was the last one shown.
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], env=env, timeout=10, check=False)
    subprocess.run(["xdotool", "key", "--clearmodifiers", "ctrl+q"], env=env, timeout=10, check=True)
    try:
        status = session.program.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("Ctrl+Q did not close the program within 15 s")
    check(status == 0, f"the program exited with status {status} after Ctrl+Q, expected 0",
          "Ctrl+Q closed the program, exit status 0")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="the Stanzabox binary to run (a copy of its own)")
    parser.add_argument("--prefix", required=True, help="the demo Wine prefix")
    parser.add_argument("--work", required=True, help="a scratch folder for settings, logs and sockets")
    parser.add_argument("--limit", type=int, default=80, help="seconds before the test gives up")
    args = parser.parse_args()

    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, on_alarm)
    signal.alarm(args.limit)
    procs = Processes(args.work)
    failed = None
    try:
        env, program = start_everything(args, procs)
        session = Session(program)
        main_window, tree, search, buttons = test_main_window(session, args.prefix)
        lists = test_lists_window(session, buttons)
        test_song_and_karaoke(session, main_window, tree, search, buttons, lists)
        test_toggles(session, main_window, buttons, lists, args.prefix)
        test_find_in_lyrics(session, main_window, tree, lists)
        test_music_window(session, main_window, tree, lists)
        test_library_follows_the_disk(session, main_window, args.prefix)
        test_every_control_named(session)
        test_quit(session, env)
    except (Failure, TimeUp) as failure:
        failed = str(failure)
    except Exception as error:  # a broken test is reported like a failed one
        failed = f"{type(error).__name__}: {error} (while: {current_step})"
    finally:
        # Cleaning up must not be cut short: it is what leaves no process behind.
        signal.alarm(0)
        signal.signal(signal.SIGALRM, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        procs.stop_all()

    if failed:
        print(f"\nFAIL: {failed}", file=sys.stderr, flush=True)
        # Until the program runs, what went wrong is in the logs of the
        # display or the buses; after that, in the program's own.
        names = procs.names()
        for name in (["stanzabox"] if "stanzabox" in names else names):
            tail = procs.log_tail(name)
            if tail.strip():
                print(f"--- last lines {name} printed ---\n" + tail.rstrip(), file=sys.stderr)
        print(f"{passed} passed, 1 failed")
        return 1
    print(f"\nPASS: Stanzabox can be found, read and driven through AT-SPI\n{passed} passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

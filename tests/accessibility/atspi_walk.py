#!/usr/bin/python3
"""Walks the real window's accessibility tree the way a screen reader does.

Starts a private session bus and accessibility bus (at-spi-bus-launcher),
runs Lumora on them with Qt's AT-SPI bridge on, and checks, in English and
in Chinese: roles, names and checked states of the window's controls, the
ringing card's texts and alert, the settings panel's place in the tree, and
that a running countdown sends each accessible name only when it changes.

Usage: atspi_walk.py LUMORA_EXECUTABLE SOURCE_DIR
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

EXE, SOURCE = sys.argv[1], sys.argv[2]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL: " + what, flush=True)


def texts(language_file):
    table = {}
    for m in ET.parse(os.path.join(SOURCE, "resources", "i18n", language_file)).getroot().iter("message"):
        t = m.find("translation")
        table[m.get("id")] = (t.text if t is not None and t.text else m.find("source").text) or ""
    return table


tmp = tempfile.mkdtemp(prefix="lumora-a11y-")
children = []


def spawn(args, env, **kw):
    p = subprocess.Popen(args, env=env, **kw)
    children.append(p)
    return p


def stop_all():
    for p in reversed(children):
        if p.poll() is None:
            p.send_signal(signal.SIGTERM)
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
    shutil.rmtree(tmp, ignore_errors=True)


bus = spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"], os.environ.copy(),
            stdout=subprocess.PIPE, text=True)
address = bus.stdout.readline().strip()
os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
os.environ["XDG_RUNTIME_DIR"] = os.path.join(tmp, "run")
os.makedirs(os.environ["XDG_RUNTIME_DIR"], mode=0o700)
os.environ.pop("AT_SPI_BUS_ADDRESS", None)
os.environ.pop("NO_AT_BRIDGE", None)
launcher = spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], os.environ.copy())
for _ in range(100):
    r = subprocess.run(["dbus-send", "--session", "--dest=org.freedesktop.DBus", "--print-reply",
                        "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
                       capture_output=True, text=True)
    if "true" in r.stdout:
        break
    time.sleep(0.1)

import gi  # noqa: E402  (after the bus is chosen: the library reads it once)

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

Atspi.init()


def pump(seconds):
    end = time.monotonic() + seconds
    ctx = GLib.MainContext.default()
    while time.monotonic() < end:
        while ctx.pending():
            ctx.iteration(False)
        time.sleep(0.02)


def wait_for(predicate, seconds=20.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = predicate()
        except GLib.Error:
            found = None
        if found:
            return found
        pump(0.1)
    return None


def walk(node, out):
    out.append(node)
    for i in range(node.get_child_count()):
        c = node.get_child_at_index(i)
        if c is not None:
            walk(c, out)
    return out


def role(node):
    return node.get_role()


def states(node):
    return node.get_state_set()


def showing(node):
    return states(node).contains(Atspi.StateType.SHOWING)


def press(node):
    action = node.get_action_iface()
    for i in range(action.get_n_actions()):
        if action.get_action_name(i) == "Press":
            action.do_action(i)
            return
    raise AssertionError("no Press action on " + node.get_name())


def find(nodes, r, name=None):
    return [n for n in nodes if role(n) == r and (name is None or n.get_name() == name)]


def run(language, table):
    print("-- " + language, flush=True)
    home = os.path.join(tmp, language)
    os.makedirs(os.path.join(home, "lumora"))
    with open(os.path.join(home, "lumora", "lumora.conf"), "w") as f:
        f.write("[General]\nappLanguage=%s\nnotificationType=desktop\n" % language)
    env = dict(os.environ, XDG_CONFIG_HOME=home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
               QT_QPA_PLATFORM="xcb")
    app_proc = spawn([EXE], env)

    def application():
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            a = desktop.get_child_at_index(i)
            if a is not None and a.get_process_id() == app_proc.pid:
                frames = [c for c in (a.get_child_at_index(j) for j in range(a.get_child_count())) if c]
                if any(role(f) == Atspi.Role.FRAME and showing(f) for f in frames):
                    return a
        return None

    app = wait_for(application, 60)
    check(app is not None, language + ": the application is on the accessibility bus with a frame")
    if app is None:
        return
    frame = [f for f in (app.get_child_at_index(j) for j in range(app.get_child_count()))
             if f and role(f) == Atspi.Role.FRAME][0]
    check(frame.get_name() == "Lumora", language + ": the main window is a frame named Lumora: " + frame.get_name())
    nodes = walk(frame, [])

    # Choices are radio buttons with the checked state.
    radios = find(nodes, Atspi.Role.RADIO_BUTTON)
    checked = [n.get_name() for n in radios if states(n).contains(Atspi.StateType.CHECKED)]
    modes = [table["mode.preset"], table["mode.custom"], table["mode.targetTime"]]
    check([n.get_name() for n in radios][:3] == modes, language + ": mode segments: %s" % [n.get_name() for n in radios][:3])
    check(len(radios) == 13, language + ": three segments and ten cards are radio buttons (%d)" % len(radios))
    check(checked == [table["mode.preset"], "10 " + table["unit.minute"].strip()],
          language + ": the preset mode and the 10-minute card are checked: %s" % checked)

    # Every showing, focusable control has a name.
    for n in nodes:
        st = states(n)
        if st.contains(Atspi.StateType.SHOWING) and st.contains(Atspi.StateType.FOCUSABLE):
            check(n.get_name() != "", language + ": a focusable %s (%s) has a name"
                  % (n.get_role_name(), n.get_accessible_id() or n.get_attributes()))

    # The ring is a progress bar with a value.
    rings = find(nodes, Atspi.Role.PROGRESS_BAR)
    check(len(rings) == 1, language + ": one progress bar")
    if rings:
        value = rings[0].get_value_iface()
        check(value is not None and value.get_maximum_value() == 100 and value.get_current_value() == 0,
              language + ": the ring's value runs from 0 to 100")
        check(rings[0].get_name().startswith("10:00"), language + ": the ring says the time: " + rings[0].get_name())

    gear = find(nodes, Atspi.Role.PUSH_BUTTON, table["status.settings"].replace("…", "").replace("...", "").strip())
    check(len(gear) == 1, language + ": the gear is a named push button")

    # The settings panel: a dialog of the application, named by its title,
    # with the focus inside it.
    focused = []
    listener = Atspi.EventListener.new(lambda e: focused.append(e.source) if e.detail1 else None)
    listener.register("object:state-changed:focused")
    if gear:
        press(gear[0])

    def panel():
        for j in range(app.get_child_count()):
            c = app.get_child_at_index(j)
            if c is not None and role(c) == Atspi.Role.DIALOG and showing(c):
                return c
        return None

    dialog = wait_for(panel, 10)
    check(dialog is not None, language + ": the open settings panel is a dialog of the application")
    if dialog is not None:
        check(dialog.get_name() == table["settings.title"], language + ": the panel is named " + dialog.get_name())
        check(dialog.get_parent() is not None and dialog.get_parent().get_role() == Atspi.Role.APPLICATION,
              language + ": the panel's parent is the application")
        pump(0.5)
        check(any(f.get_name() == table["menu.close"] for f in focused),
              language + ": the panel's close control takes the focus and is named")
        inside = walk(dialog, [])
        rows = find(inside, Atspi.Role.RADIO_BUTTON)
        check([n.get_name() for n in rows] == [table[k] for k in ("notify.desktop", "notify.system", "notify.both",
                                                                   "theme.light", "theme.dark", "theme.system")],
              language + ": notification and theme rows are radio buttons")
        check([n.get_name() for n in rows if states(n).contains(Atspi.StateType.CHECKED)]
              == [table["notify.desktop"], table["theme.system"]], language + ": the chosen rows are checked")
        switches = find(inside, Atspi.Role.CHECK_BOX)
        check([(n.get_name(), states(n).contains(Atspi.StateType.CHECKED)) for n in switches]
              == [(table["settings.launch"], False), (table["settings.bringFront"], True),
                  (table["settings.showRestart"], True)], language + ": the switches are check boxes with their state")
        closes = find(inside, Atspi.Role.PUSH_BUTTON, table["menu.close"])
        check(len(closes) == 1, language + ": the close control is a named push button")
        if closes:
            press(closes[0])
        check(wait_for(lambda: panel() is None, 10), language + ": the panel leaves the tree when it closes")
    listener.deregister("object:state-changed:focused")

    # Until a time: the length capsule is a named text.
    press(find(nodes, Atspi.Role.RADIO_BUTTON, table["mode.targetTime"])[0])
    pump(0.5)
    lengths = [n for n in walk(frame, []) if showing(n) and role(n) in (Atspi.Role.LABEL, Atspi.Role.STATIC)
               and n.get_name().endswith(table["unit.second"])]
    check(len(lengths) == 1, language + ": the length capsule is a named text: %s" % [n.get_name() for n in lengths])

    # A running countdown: each name is sent only when it changes.
    custom = find(nodes, Atspi.Role.RADIO_BUTTON, table["mode.custom"])
    press(custom[0])
    pump(0.5)
    nodes = walk(frame, [])
    increase = table["a11y.increase"].replace("%1", table["unit.sec"].strip())
    plus = find(nodes, Atspi.Role.PUSH_BUTTON, increase)
    check(len(plus) == 1, language + ": the seconds' plus button is named " + increase)
    for _ in range(6):
        press(plus[0])
        pump(0.1)
    names = []
    last = {}
    repeats = []

    def on_name(e):
        name = e.source.get_name()
        key = hash(e.source)
        if last.get(key) == name:
            repeats.append(e.source.get_role_name() + " " + name)
        last[key] = name
        names.append(name)

    name_listener = Atspi.EventListener.new(on_name)
    name_listener.register("object:property-change:accessible-name")
    alerts = []
    alert_listener = Atspi.EventListener.new(
        lambda e: alerts.append(e.source.get_name()) if e.detail1 and role(e.source) == Atspi.Role.ALERT else None)
    alert_listener.register("object:state-changed:showing")
    starts = find(nodes, Atspi.Role.PUSH_BUTTON, table["start.begin"])
    check(len(starts) == 1, language + ": the start button is found")
    if starts:
        press(starts[0])
    pump(3.0)
    name_listener.deregister("object:property-change:accessible-name")
    print("%s: %d name changes in 3 s" % (language, len(names)), flush=True)
    check(not repeats, language + ": names re-sent unchanged: %s" % repeats[:5])
    check(len(names) <= 12, language + ": at most a few names change each second (%d in 3 s)" % len(names))

    # Expiry: the card is an alert in the current language, and the
    # restart button has the focus.
    alert = wait_for(lambda: alerts, 10)
    check(alert and alert[0] == table["ring.title"], language + ": the expiry is announced as an alert: %s" % alerts)
    nodes = walk(frame, [])
    cards = [n for n in find(nodes, Atspi.Role.ALERT) if showing(n)]
    check(len(cards) == 1 and cards[0].get_name() == table["ring.title"]
          and cards[0].get_description() == table["ring.subtitle"], language + ": the card's title and subtitle")
    restart = find(nodes, Atspi.Role.PUSH_BUTTON, table["ring.restart"])
    check(bool(restart) and wait_for(lambda: states(restart[0]).contains(Atspi.StateType.FOCUSED), 5),
          language + ": the restart button has the focus")
    alert_listener.deregister("object:state-changed:showing")
    # The controls under the card cannot be pressed, by keyboard or otherwise.
    press(find(nodes, Atspi.Role.PUSH_BUTTON, table["control.reset"])[0])
    pump(1.0)
    check(cards and showing(cards[0]), language + ": the covered reset button does nothing while it rings")
    stop = find(nodes, Atspi.Role.PUSH_BUTTON, table["ring.stop"])
    if stop:
        press(stop[0])
    pump(0.5)

    app_proc.send_signal(signal.SIGTERM)
    try:
        code = app_proc.wait(30)
    except subprocess.TimeoutExpired:
        app_proc.kill()
        code = app_proc.wait()
    check(code == 0, language + ": Lumora exits cleanly (%d)" % code)


try:
    run("english", texts("lumora_en.ts"))
    run("chinese", texts("lumora_zh_Hans.ts"))
finally:
    stop_all()

print("%d passed, %d failed" % (0 if failures else 1, 1 if failures else 0))
sys.exit(1 if failures else 0)

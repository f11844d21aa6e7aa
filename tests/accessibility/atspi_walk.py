#!/usr/bin/python3
# Walks the real window's accessibility tree the way a screen reader does.
#
# Run by arrangement.sh on an X server and session bus of its own, it starts
# an accessibility bus (at-spi-bus-launcher), runs Lumora on it with Qt's
# AT-SPI bridge on, and checks, in English and in Chinese: roles, names and
# checked states of the window's controls, the settings panel's place in the
# tree, that a running countdown sends each accessible name only when it
# changes, and the ringing card's alert, focus and the controls it covers.
#
# Usage: atspi_walk.py LUMORA_EXECUTABLE SOURCE_DIR
import os, pathlib, shutil, subprocess, sys, tempfile, time  # noqa: E401
import xml.etree.ElementTree as ET

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

EXE, SOURCE = sys.argv[1], sys.argv[2]
S, Role = Atspi.StateType, Atspi.Role
children, tmp = [], tempfile.mkdtemp(prefix="lumora-a11y-")


def texts(language_file):
    root = ET.parse(os.path.join(SOURCE, "resources", "i18n", language_file)).getroot()
    return {m.get("id"): m.findtext("translation") or m.findtext("source") or "" for m in root.iter("message")}


def pump(seconds):
    end_at = time.monotonic() + seconds
    while time.monotonic() < end_at:
        GLib.MainContext.default().iteration(False) or time.sleep(0.02)


def wait_for(predicate, seconds):
    for _ in range(seconds * 10):
        if found := predicate():
            return found
        pump(0.1)


def kids(node):
    return [c for c in (node.get_child_at_index(i) for i in range(node.get_child_count())) if c is not None]


def walk(node):
    return [node] + [n for c in kids(node) for n in walk(c)]


def has(node, state):
    return node.get_state_set().contains(state)


def press(node):
    action = node.get_action_iface()
    action.do_action([action.get_action_name(i) for i in range(action.get_n_actions())].index("Press"))


def find(nodes, role, name=None, showing=False):
    return [n for n in nodes if n.get_role() == role and (name is None or n.get_name() == name)
            and (not showing or has(n, S.SHOWING))]


def shown(node, role):
    return (find(kids(node), role, showing=True) or [None])[0]


def listen(event, callback):
    listener = Atspi.EventListener.new(callback)
    listener.register(event)
    return lambda: listener.deregister(event)


def run(language, table):
    home = os.path.join(tmp, language)
    os.makedirs(os.path.join(home, "lumora"))
    pathlib.Path(home, "lumora", "lumora.conf").write_text(
        "[General]\nappLanguage=%s\nnotificationType=desktop\n" % language)
    app_proc = subprocess.Popen([EXE], env=dict(os.environ, XDG_CONFIG_HOME=home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                                QT_ACCESSIBILITY="1"))
    children.append(app_proc)

    def named(nodes, role, key):
        return find(nodes, role, table[key])[0]

    def application():
        for a in kids(Atspi.get_desktop(0)):
            try:  # others on the bus may be gone by the time they are asked
                if a.get_process_id() == app_proc.pid and shown(a, Role.FRAME):
                    return a
            except GLib.Error:
                pass

    app = wait_for(application, 60)
    frame = shown(app, Role.FRAME)
    assert frame.get_name() == "Lumora", frame.get_name()
    nodes = walk(frame)
    # Choices are radio buttons with the checked state: three segments, ten cards.
    buttons = find(nodes, Role.RADIO_BUTTON)
    seen = ([n.get_name() for n in buttons[:3]], len(buttons), [n.get_name() for n in buttons if has(n, S.CHECKED)])
    assert seen == ([table["mode.preset"], table["mode.custom"], table["mode.targetTime"]], 13,
                    [table["mode.preset"], "10 " + table["unit.minute"].strip()]), seen
    # The ring is a progress bar that says the time, its value 0 to 100.
    ring = find(nodes, Role.PROGRESS_BAR)[0].get_value_iface()
    seen = (ring.get_name()[:5], ring.get_current_value(), ring.get_maximum_value())
    assert seen == ("10:00", 0, 100), seen

    # The settings panel, opened by the named gear: a dialog of the
    # application, named by its title; it leaves the tree when it closes.
    press(find(nodes, Role.PUSH_BUTTON, table["status.settings"].replace("…", "").replace("...", "").strip())[0])
    dialog = wait_for(lambda: shown(app, Role.DIALOG), 10)
    assert dialog.get_name() == table["settings.title"], dialog.get_name()
    # Choices are radio buttons, switches check boxes, with their states.
    inside = walk(dialog)
    seen = [(n.get_name(), has(n, S.CHECKED)) for n in find(inside, Role.RADIO_BUTTON) + find(inside, Role.CHECK_BOX)]
    assert seen == [(table[k], k in ("notify.desktop", "theme.system", "settings.bringFront", "settings.showRestart"))
                    for k in ("notify.desktop", "notify.system", "notify.both", "theme.light", "theme.dark",
                              "theme.system", "settings.launch", "settings.bringFront", "settings.showRestart")], seen
    press(named(inside, Role.PUSH_BUTTON, "menu.close"))
    assert wait_for(lambda: shown(app, Role.DIALOG) is None, 10), "the panel stays in the tree"

    # Until a time: the length capsule is a named text, once.
    press(named(nodes, Role.RADIO_BUTTON, "mode.targetTime"))
    pump(0.5)
    seen = [n.get_name() for n in walk(frame) if has(n, S.SHOWING) and n.get_role() in (Role.LABEL, Role.STATIC)
            and n.get_name().endswith(table["unit.second"])]
    assert len(seen) == 1, seen

    # A running countdown of six seconds: each name is sent only when it changes.
    press(named(nodes, Role.RADIO_BUTTON, "mode.custom"))
    pump(0.5)
    nodes = walk(frame)
    for _ in range(6):
        press(find(nodes, Role.PUSH_BUTTON, table["a11y.increase"].replace("%1", table["unit.sec"].strip()))[0])
        pump(0.1)
    names, last, repeats, alerts = [], {}, [], []

    def on_name(e):
        name, key = e.source.get_name(), hash(e.source)
        if last.get(key) == name:
            repeats.append(e.source.get_role_name() + " " + name)
        last[key] = name
        names.append(name)

    stop_names = listen("object:property-change:accessible-name", on_name)
    stop_alerts = listen("object:state-changed:showing", lambda e: alerts.append(e.source.get_name())
                         if e.detail1 and e.source.get_role() == Role.ALERT else None)
    press(named(nodes, Role.PUSH_BUTTON, "start.begin"))
    pump(3.0)
    stop_names()
    assert not repeats and len(names) <= 12, "%d names in 3 s, re-sent: %s" % (len(names), repeats[:5])

    # Expiry: the card is an alert in the current language, and the restart
    # button has the focus; the controls under it cannot be pressed.
    assert wait_for(lambda: alerts, 10) == [table["ring.title"]], alerts
    stop_alerts()
    nodes = walk(frame)
    card = find(nodes, Role.ALERT, showing=True)[0]
    assert (card.get_name(), card.get_description()) == (table["ring.title"], table["ring.subtitle"])
    restart = named(nodes, Role.PUSH_BUTTON, "ring.restart")
    assert wait_for(lambda: has(restart, S.FOCUSED), 5), "the restart button has no focus"
    press(named(nodes, Role.PUSH_BUTTON, "control.reset"))
    pump(1.0)
    assert has(card, S.SHOWING), "the covered reset button ended the alarm"
    press(named(nodes, Role.PUSH_BUTTON, "ring.stop"))
    pump(0.5)
    app_proc.terminate()
    assert app_proc.wait(60) == 0, "exit status %d" % app_proc.returncode

try:
    children.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"]))
    subprocess.run(["gdbus", "wait", "--session", "--timeout", "20", "org.a11y.Bus"], check=True)
    Atspi.init()
    run("english", texts("lumora_en.ts"))
    run("chinese", texts("lumora_zh_Hans.ts"))
finally:
    for p in children:
        p.terminate()
        p.wait(30)
    shutil.rmtree(tmp, ignore_errors=True)

"""Reads and drives ZelmEditor over AT-SPI as a screen reader would (run by
AccessibilityBusTest.sh inside a private session bus). Exits non-zero on the first failure."""
import os
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PROGRAM = sys.argv[1]
events = []


def fail(message):
    print("FAIL:", message, flush=True)
    sys.exit(1)


def pump(seconds, until=lambda: False):
    """Runs the event loop up to `seconds`, stopping early once `until()` holds."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        try:
            if until():
                return True
        except Exception:  # an object that went away while we looked
            pass
        time.sleep(0.05)
    return False


def wait_for(what, seconds, find):
    found = []
    pump(seconds, lambda: found.append(find()) or found[-1] is not None)
    if not found or found[-1] is None:
        fail("not found within %ss: %s" % (seconds, what))
    return found[-1]


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "40", *names], check=True)
    pump(0.3)


def focus_window(name):
    """Gives the named top-level window the keyboard, as a window manager would (there is none)."""
    subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name,
                    "windowfocus"], check=False)
    pump(0.3)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)
    pump(0.3)


def descendants(acc, depth=0):
    if acc is None or depth > 30:
        return
    yield acc
    for i in range(acc.childCount):
        yield from descendants(acc.getChildAtIndex(i), depth + 1)


def find(root, predicate):
    for acc in descendants(root):
        if acc is not None and predicate(acc):
            return acc
    return None


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name in ("TextverwerkerZelm", "ZelmEditor"):
            return app
    return None


def focused_line(app):
    return find(app, lambda a: a.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)
                and a.getState().contains(pyatspi.STATE_FOCUSED))


def window_named(app, name):
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.name == name and showing(w):
            return w
    return None


def names_in(root):
    return {a.name for a in descendants(root) if a is not None and a.name}


def expect_names(root, wanted, where):
    missing = set(wanted) - names_in(root)
    if missing:
        fail("%s lacks the names %s" % (where, sorted(missing)))


def record(event):
    source = event.source
    role = source.getRole() if source else None
    data = event.any_data if isinstance(event.any_data, (str, int)) else ""
    events.append((event.type, role, source.name if source else "", data))


def main():
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1")
    program = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, start_new_session=True)
    try:
        run(program)
    finally:
        if program.poll() is None:
            os.killpg(program.pid, signal.SIGTERM)
            try:
                program.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(program.pid, signal.SIGKILL)
                program.wait()


def run(program):
    app = wait_for("the application on the bus", 15, application)
    # A first start reports the recovery folder it made: a message box, read and closed.
    notice = wait_for("the first start's message", 10,
                      lambda: find(app, lambda a: a.getRole() == pyatspi.ROLE_ALERT))
    if notice.name != "Melding" or "Herstel" not in " ".join(names_in(notice)):
        fail("the message box says %r / %s" % (notice.name, names_in(notice)))
    keys("Return")
    focus_window("ZelmEditor")
    line = wait_for("the focused line", 10, lambda: focused_line(app))
    if line.name != "Regel 1":
        fail("the line is named %r" % line.name)
    print("line:", line.name, "|", line.getRoleName(), "|", repr(line.description), flush=True)
    if not line.description:
        fail("the line has no spoken description")

    for kind in ("object:text-changed:insert", "object:text-changed:delete",
                 "object:text-caret-moved", "object:state-changed:showing"):
        pyatspi.Registry.registerEventListener(record, kind)
    pump(0.5)
    typed("ab")
    keys("Left")
    text = line.queryText()
    content = text.getText(0, -1)
    print("text:", repr(content), "caret:", text.caretOffset, flush=True)
    if "ab" not in content:
        fail("the line's text %r lacks what was typed" % content)
    if not pump(3, lambda: any(t.startswith("object:text-changed:insert") and "b" in str(d)
                               for t, _, _, d in events)):
        fail("no text-changed event for the typed text: %s" % events)
    if not pump(3, lambda: any(t.startswith("object:text-caret-moved") for t, *_ in events)):
        fail("no caret-moved event: %s" % events)
    if text.caretOffset != content.index("ab") + 1:
        fail("the caret stands at %d in %r after Left" % (text.caretOffset, content))
    keys("ctrl+alt+s")
    # Qt 6.4 has no announcement: the line's notification shows with the words to speak.
    if not pump(3, lambda: any(t.startswith("object:state-changed:showing")
                               and r == pyatspi.ROLE_NOTIFICATION and n == line.description
                               for t, r, n, _ in events)):
        fail("Ctrl+Alt+S spoke not the line's description %r: %s" % (line.description, events))
    print("events:", events[:8], flush=True)

    # The settings dialog, its tree on the page "Kleur".
    keys("alt+i")
    dialog = wait_for("the settings dialog", 5,
                      lambda: find(app, lambda a: a.getRole() == pyatspi.ROLE_DIALOG
                                   and showing(a)))
    tree = wait_for("the settings tree", 3, lambda: find(dialog, lambda a: a.name == "Onderwerpen"))
    tree.queryComponent().grabFocus()
    pump(0.3)
    keys("Down")
    pump(1, lambda: "Kleur" in names_in(dialog) and "Voorbeeld" in names_in(dialog))
    expect_names(dialog, ["OK", "Annuleren", "Onderwerpen", "Opties bewaren", "Standaardopties",
                          "Voorbeeld", "Kleur"], "the settings dialog")
    print("settings:", sorted(names_in(dialog))[:20], flush=True)
    keys("Escape")
    pump(3, lambda: not showing(dialog))
    focus_window("ZelmEditor")

    # The function list of the line.
    wait_for("the line's focus back", 5, lambda: focused_line(app))
    keys("ctrl+l")
    focus_window("Functie&Bewerkingen")
    grid = wait_for("the function list's grid", 5,
                    lambda: find(app, lambda a: a.getRole() == pyatspi.ROLE_TABLE
                                 and a.name == "Functielijst" and showing(a)))
    table = grid.queryTable()
    heading = table.getColumnDescription(0)
    first = table.getAccessibleAt(0, 0)
    print("grid:", table.nRows, "x", table.nColumns, "|", heading, "|", first.name, flush=True)
    if (table.nRows, table.nColumns) != (15, 6) or heading != "Goniometrische functies":
        fail("the grid is %dx%d with heading %r" % (table.nRows, table.nColumns, heading))
    if not first.name or first.name == "leeg":
        fail("the grid's first cell says %r" % first.name)
    keys("Escape")
    focus_window("ZelmEditor")

    # The help window and its first page's text alternative.
    wait_for("the line's focus back", 5, lambda: focused_line(app))
    keys("F1")
    focus_window("Help")
    help_window = wait_for("the help window", 5, lambda: window_named(app, "Help"))
    topics = wait_for("the help tree", 3, lambda: find(help_window,
                                                       lambda a: a.name == "Onderwerpen"))
    topics.queryComponent().grabFocus()
    pump(0.3)
    keys("Down")
    picture = wait_for("a shown help picture", 5,
                       lambda: find(help_window, lambda a: a.getRole() == pyatspi.ROLE_IMAGE
                                    and showing(a)))
    print("help:", picture.name, "|", picture.description[:60], flush=True)
    if not picture.name.startswith("Afbeelding") or "ZelmEditor" not in picture.description:
        fail("the help picture says %r / %r" % (picture.name, picture.description))
    if program.poll() is not None:
        fail("the program ended: %s" % program.stderr.read().decode(errors="replace"))
    print("OK", flush=True)


if __name__ == "__main__":
    signal.alarm(40)
    main()

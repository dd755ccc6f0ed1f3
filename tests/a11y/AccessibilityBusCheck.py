"""Reads and drives ZelmEditor over AT-SPI as a screen reader would (run by
AccessibilityBusTest.sh inside a private session bus). Exits non-zero on the first failure."""
import os
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

events = []
program = None  # the program under test


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


def wait_for(what, find, seconds=5):
    found = [None]
    if not pump(seconds, lambda: found.__setitem__(0, find()) or found[0] is not None
                or program.poll() is not None) or found[0] is None:
        fail("not found within %ss: %s (program: %s)" % (seconds, what, program.poll()))
    return found[0]


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=False)
    pump(0.3)


def focus_window(name):
    """Gives the named window the keyboard, as a window manager would (there is none)."""
    xdotool("search", "--onlyvisible", "--name", "^%s$" % name, "windowfocus")


def descendants(acc, depth=0):
    if acc is not None and depth < 30:
        yield acc
        for i in range(acc.childCount):
            yield from descendants(acc.getChildAtIndex(i), depth + 1)


def find(root, predicate):
    return next((a for a in descendants(root) if predicate(a)), None)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def has_role(role, name=None):
    return lambda a: a.getRole() == role and showing(a) and name in (None, a.name)


def names_in(root):
    return {a.name for a in descendants(root) if a.name}


def record(event):
    source = event.source
    data = event.any_data if isinstance(event.any_data, (str, int)) else ""
    events.append((event.type, source.getRole(), source.name, data))


def happened(kind, test=lambda role, name, data: True):
    return pump(3, lambda: any(t.startswith(kind) and test(r, n, d) for t, r, n, d in events))


def retype(text, keys):  # selected as a screen reader selects, then typed anew
    for _ in range(3):
        if text.characterCount > 0:
            text.addSelection(0, text.characterCount)
            xdotool("key", "--delay", "30", "Delete", "End", *["BackSpace"] * text.characterCount)
    xdotool("key", "--delay", "30", *keys.split())


def check_structures(line):
    """Arrowing hears every region's first character; a text line's fraction is read and
    announced as one; √x+y and √(x+y) and the like sound different."""
    text = line.queryText()
    retype(text, "x equal alt+Up minus b plus ctrl+Up b shift+Up 2 Right minus 4 a c Down 2 a End"
           " plus a shift+Down n Right plus ctrl+0 y End plus ctrl+Up Left 3 Right 8 End Home")
    heard, offset = "", text.caretOffset
    for _ in range(80):
        if offset >= text.characterCount:
            break
        xdotool("key", "Right")
        pump(0.5, lambda: text.caretOffset != offset)
        heard += text.getText(offset, offset + 1) if text.caretOffset > offset else ""
        offset = text.caretOffset if text.caretOffset > offset else offset
    if heard != "x=(-b+√(b^2-4ac)/2a)+a_n+(y)+∛(8)":
        fail("arrowing through %r heard %r" % (text.getText(0, -1), heard))
    retype(text, "alt+Up a Down b")
    if line.description != "breuk, a, gedeeld door b, einde breuk" or not happened(
            "object:state-changed:showing", lambda r, n, d: n == "in de teller"):
        fail("the text line with a fraction says %r: %s" % (line.description, events[-5:]))
    said = set()
    for keys in ("ctrl+Up x Right plus y", "ctrl+Up x plus y", "x shift+Up n Right plus 1",
                 "x shift+Up n plus 1", "a shift+Down n Right plus 1", "a shift+Down n plus 1",
                 "ctrl+Up Left 3 Right 8 Right equal 2", "ctrl+Up Left 3 Right 8 equal 2",
                 "e shift+Up x Right shift+Up 2", "e shift+Up x shift+Up 2"):
        retype(text, keys)
        said.add(line.description)
    if len(said) != 10:
        fail("formulas that differ sound alike: %s" % said)


def check_help_window(app):
    """F1: one window with the first page shown, a focusable graphic whose name and
    description a screen reader reads on focus."""
    xdotool("key", "F1")
    help_window = wait_for("the help window", lambda: next(
        (w for w in app if w is not None and w.name == "Help" and showing(w)), None))
    if help_window.getRole() != pyatspi.ROLE_FRAME:
        fail("the help window is a %s" % help_window.getRoleName())
    # The page shown, focused as Tab focuses it in the widget test (keys sent without a window
    # manager do not reliably reach a second window): a graphic read by name and description.
    wait_for("the first page", lambda: find(help_window, has_role(pyatspi.ROLE_IMAGE))) \
        .queryComponent().grabFocus()
    picture = wait_for("the focused help picture", lambda: find(
        help_window, lambda a: a.getRole() == pyatspi.ROLE_IMAGE
        and a.getState().contains(pyatspi.STATE_FOCUSED)))
    if picture.name != "Afbeelding: Inleiding" or "ZelmEditor" not in picture.description:
        fail("the focused first page says %r / %r" % (picture.name, picture.description))
    return picture


def check_menus(app, bar, focused_line):
    """Every menu says its own name, a command in the bar is a button, a heading is no stop."""
    seen = {(i.name, i.getRole(), i.childCount and i.getChildAtIndex(0).name)
            for i in (bar.getChildAtIndex(n) for n in range(bar.childCount))}
    if not {("Opslaan", pyatspi.ROLE_PUSH_BUTTON, 0), ("Kopiëren", pyatspi.ROLE_MENU_ITEM,
            "Kopiëren"), ("Herstel", pyatspi.ROLE_MENU_ITEM, "Herstel")} <= seen:
        fail("the bar holds %s" % seen)
    focused = lambda root: find(root, lambda a: a.getState().contains(pyatspi.STATE_FOCUSED))
    for key, name, first in (("alt+k", "Kopiëren", "JPG"), ("Menu", "Regelmenu", "PlainText")):
        xdotool("key", key)
        # The menu itself has the focus as it opens, so that it is heard by its name, and it
        # stands in its parent (a menu its parent does not list is taken for one that has gone).
        menu = wait_for(name, lambda: find(app, has_role(pyatspi.ROLE_POPUP_MENU, name)))
        place = menu.parent
        if not menu.getState().contains(pyatspi.STATE_FOCUSED) or place is None \
                or place.getRole() == pyatspi.ROLE_APPLICATION \
                or place.getChildAtIndex(menu.getIndexInParent()) != menu:
            fail("the menu %s opens with focus %s in %s" % (name, focused(app), place))
        xdotool("key", "Down")
        stop = wait_for(name + "'s first stop", lambda: focused(menu))
        if stop.name != first or stop.parent != menu:
            fail("the menu %s stands on %r in %r" % (name, stop.name, stop.parent.name))
        xdotool("key", "Escape")
        xdotool("key", "Escape")
        wait_for("the line's focus back", focused_line)


def run():
    def application():
        desktop = pyatspi.Registry.getDesktop(0)
        apps = (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
        return next((a for a in apps if a is not None and "Zelm" in a.name), None)
    app = wait_for("the application on the bus", application, 15)
    # A first start reports the recovery folder it made: a message box, read and closed.
    notice = wait_for("the first start's message", lambda: find(app, has_role(pyatspi.ROLE_ALERT)))
    if notice.name != "Melding" or not any("Herstel" in n for n in names_in(notice)):
        fail("the message box says %r / %s" % (notice.name, names_in(notice)))
    xdotool("key", "Return")
    focus_window("ZelmEditor")
    focused_line = lambda: find(app, lambda a: a.getRole() == pyatspi.ROLE_TEXT
                                and a.getState().contains(pyatspi.STATE_FOCUSED))
    line = wait_for("the focused line", focused_line)
    if line.name != "Regel 1" or not line.description:
        fail("the line is named %r and says %r" % (line.name, line.description))

    for kind in ("object:text-changed", "object:text-caret-moved", "object:state-changed:showing"):
        pyatspi.Registry.registerEventListener(record, kind)
    pump(0.5)
    xdotool("type", "--delay", "40", "ab")
    xdotool("key", "Left")
    text = line.queryText()
    content = text.getText(0, -1)
    if "ab" not in content or text.caretOffset != content.index("ab") + 1:
        fail("the line holds %r with the caret at %d" % (content, text.caretOffset))
    if not happened("object:text-changed:insert", lambda r, n, d: d == "b") \
            or not happened("object:text-caret-moved"):
        fail("no text-changed or caret-moved event: %s" % events)
    check_structures(line)
    xdotool("key", "ctrl+alt+s")
    # Qt 6.4 has no announcement: the line's notification shows with the words to speak.
    if not happened("object:state-changed:showing", lambda r, n, d:
                    r == pyatspi.ROLE_NOTIFICATION and n == line.description):
        fail("Ctrl+Alt+S spoke not the line's description %r: %s" % (line.description, events))

    bar = find(app, has_role(pyatspi.ROLE_MENU_BAR, "Hoofdmenu"))  # every row of it
    if bar is None or not {"Kopiëren", "Herstel", "Instellingen"} <= names_in(bar):
        fail("the main menu holds %s" % (bar and names_in(bar)))
    check_menus(app, bar, focused_line)
    xdotool("key", "alt+i")  # the settings dialog, on its page "Kleur"
    dialog = wait_for("the settings dialog", lambda: find(app, has_role(pyatspi.ROLE_DIALOG)))
    tree = wait_for("the settings tree", lambda: find(dialog, lambda a: a.name == "Onderwerpen"))
    tree.queryComponent().grabFocus()
    xdotool("key", "Down")
    pump(1, lambda: {"Kleur", "Voorbeeld"} <= names_in(dialog))
    missing = {"OK", "Annuleren", "Onderwerpen", "Opties bewaren", "Standaardopties", "Voorbeeld",
               "Kleur"} - names_in(dialog)
    if missing:
        fail("the settings dialog lacks the names %s" % sorted(missing))
    xdotool("key", "Escape")
    focus_window("ZelmEditor")

    wait_for("the line's focus back", focused_line)
    xdotool("key", "ctrl+l")  # the line's function list
    focus_window("Functie&Bewerkingen")
    grid = wait_for("the grid", lambda: find(app, has_role(pyatspi.ROLE_TABLE, "Functielijst")))
    table = grid.queryTable()
    seen = (table.nRows, table.nColumns, table.getColumnDescription(0),
            table.getAccessibleAt(0, 0).name)  # the first cell speaks a name: "arcsinus"
    if seen[:3] != (15, 6, "Goniometrische functies") or seen[3] in ("", "leeg"):
        fail("the grid is %s" % (seen,))
    if "Exponent" not in table.getAccessibleAt(1, 4).name:  # words, not spelled
        fail("the grid's power entry says %r" % table.getAccessibleAt(1, 4).name)
    xdotool("key", "Escape")
    focus_window("ZelmEditor")

    wait_for("the line's focus back", focused_line)
    picture = check_help_window(app)
    if program.poll() is not None:
        fail("the program ended")
    print("OK: %s says %r; %s" % (line.name, line.description, picture.name), flush=True)


def main():
    global program
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    program = subprocess.Popen([sys.argv[1]], env=env, stdout=subprocess.DEVNULL,
                               start_new_session=True)
    try:
        run()
    finally:
        if program.poll() is None:
            os.killpg(program.pid, signal.SIGKILL)
            program.wait()


if __name__ == "__main__":
    signal.alarm(80)
    main()

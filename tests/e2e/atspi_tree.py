"""What a screen reader finds in the program's window over AT-SPI: every
control that shows has a name and a role, in German; hidden parts are not
there; the grid is a table of its 14 cells with the fixed ones as headers.
Run with Debian's python3 (pyatspi) on the session's accessibility bus."""
import sys
import time

import pyatspi

CAPTION = "Vergrößerungen und Farbanimationen an der Mandelbrotmenge"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def find_frame(timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for window in app:
                if window is not None and window.name == CAPTION:
                    return window
        time.sleep(0.2)
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


frame = find_frame(30)
if frame is None:
    print("FAIL: no window captioned '%s' on the accessibility bus" % CAPTION)
    sys.exit(1)
check(frame.getRoleName() == "frame", "the window is a %s" % frame.getRoleName())
# The defaults are set when the window is first shown: wait until the grid
# holds its cells' texts.
nodes = []
for _ in range(100):
    nodes = list(walk(frame))
    if any(n.getRoleName() == "table column header" and n.name == "Faktor" for n in nodes):
        break
    time.sleep(0.2)


def by_role(role):
    return [n for n in nodes if n.getRoleName() == role]


def extents(node):
    try:
        e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    except NotImplementedError:
        return 0, 0
    return e.width, e.height


# Nothing hidden, nothing of no size (the overview's stored picture is hidden).
for n in nodes[1:]:
    check(n.getRoleName() != "panel" or n.name, "an unnamed panel")
    w, h = extents(n)
    check(w > 0 and h > 0, "%s '%s' is exposed at %dx%d" % (n.getRoleName(), n.name, w, h))

buttons = sorted(n.name for n in by_role("push button"))
check(buttons == ["Farbanimation", "Vergrößerungen zeichnen"], "push buttons: %s" % buttons)
texts = sorted((n.name, n.description) for n in by_role("text"))
check(texts == [("x1", "Realteil des Zielpunkts"), ("y1", "Imaginärteil des Zielpunkts")],
      "edit fields: %s" % texts)
radios = [n.name for n in by_role("radio button")]
check(radios == ["Vertigo", "Spezial", "Neon", "RGB"], "radio buttons: %s" % radios)

images = {n.name: n.description for n in by_role("image")}
check(sorted(images) == ["Bild %d" % i for i in range(1, 7)] + ["Übersicht"],
      "pictures: %s" % sorted(images))
for i in range(1, 7):
    check(images.get("Bild %d" % i, "").startswith("Faktor 1%s:" % ("0" * i)),
          "Bild %d: description '%s'" % (i, images.get("Bild %d" % i)))
check("x1 = -1,41, y1 = 0" in images.get("Übersicht", ""),
      "the overview's description lacks the target: '%s'" % images.get("Übersicht"))

tables = by_role("table")
check(len(tables) == 1 and tables[0].name == "Faktoren",
      "tables: %s" % [t.name for t in tables])
if tables:
    table = tables[0]
    cells = [(c.getRoleName(), c.name) for c in table]
    expected = [("table column header", ""), ("table column header", "Faktor")]
    for n in range(1, 7):
        expected += [("table row header", "Bild %d" % n), ("table cell", "1" + "0" * n)]
    check(cells == expected, "the table's children: %s" % cells)
    t = table.queryTable()
    # The six factors' rows, each with its row header; the fixed row heads them.
    check((t.nRows, t.nColumns) == (6, 2), "table of %dx%d" % (t.nRows, t.nColumns))
    cell = t.getAccessibleAt(2, 1)
    check(cell is not None and cell.name == "1000", "cell (2, 1): %s" % (cell and cell.name))
    for c in table:
        if c.getRoleName() != "table cell":
            try:
                actions = c.queryAction().nActions
            except NotImplementedError:
                actions = 0
            check(actions == 0, "header '%s' has %d actions" % (c.name, actions))

# Every control a user can reach or look at has a name.
for n in nodes:
    if n.getRoleName() in ("push button", "text", "table", "radio button", "image", "table cell",
                           "table row header"):
        check(n.name != "", "a %s without a name" % n.getRoleName())

if failures:
    for f in failures:
        print("FAIL:", f)
    sys.exit(1)
print("PASS: %d accessible objects checked" % len(nodes))

#!/usr/bin/python3
"""Drives the window the way a screen reader does, over AT-SPI: Home ->
Applications -> pick Tool -> Next -> switch one entry off by its accessible
name -> Remove -> read the result page; then checks the files.

Run under a virtual display and a private session bus:
  dbus-run-session -- xvfb-run -a python3 review_by_atspi.py VIMBREL DEMOHOME
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

KEPT = "Remove Tool Data in Application Support"


APP = None


def dump(node, depth=0, limit=400):
    """Prints the accessibility tree under `node`, for a failure's report."""
    if node is None or limit <= 0:
        return limit
    print("%s%s %r [%s]" % ("  " * depth, node.getRoleName(), node.name,
                             ",".join(pyatspi.stateToString(s) for s in node.getState().getStates()
                                      if s in (pyatspi.STATE_SHOWING, pyatspi.STATE_CHECKED,
                                               pyatspi.STATE_ENABLED))), file=sys.stderr)
    limit -= 1
    for index in range(min(node.childCount, 60)):
        limit = dump(node.getChildAtIndex(index), depth + 1, limit)
    return limit


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    if APP is not None:
        try:
            dump(APP)
        except Exception as error:  # the tree may be gone
            print("(no tree: %s)" % error, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find, seconds=40):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # the tree changes under us while pages swap
            found = None
        if found:
            return found
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name.lower() == name:
            return app
    return None


def find(root, role, name=None, showing=True):
    def matches(node):
        if node is None or node.getRole() != role:
            return False
        if name is not None and node.name != name:
            return False
        return not showing or node.getState().contains(pyatspi.STATE_SHOWING)

    return pyatspi.findDescendant(root, matches)


def try_action(node, names):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return False
    for index in range(action.nActions):
        if action.getName(index).lower() in names:
            action.doAction(index)
            return True
    return False


def do_action(node, names):
    if not try_action(node, names):
        fail("%s offers none of the actions %s" % (node.name, names))


def select(item):
    """Selects a list row, through its own action or its list's Selection."""
    if not try_action(item, ["toggle", "select"]):
        item.parent.querySelection().selectChild(item.getIndexInParent())


def main():
    vimbrel, demohome = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="vimbrel-atspi-")
    root, config = os.path.join(work, "root"), os.path.join(work, "config")
    login = "atspi"
    subprocess.run([demohome, "--out", root, "--login", login, "--config", config], check=True)
    home = os.path.join(root, "Users", login)
    support = os.path.join(home, "Library", "Application Support")
    kept = os.path.join(support, "Tool Data")
    gone = [os.path.join(root, "Applications", "Tool.app"), os.path.join(support, "Tool")]
    for path in [kept] + gone:
        if not os.path.exists(path):
            fail("the demo home lacks " + path)

    env = dict(os.environ)
    env.update({
        "XDG_CONFIG_HOME": config,
        "XDG_DATA_HOME": os.path.join(work, "data"),
        "QT_QPA_PLATFORM": "xcb",
        "QT_ACCESSIBILITY": "1",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        # The analytics framework talks to nobody.
        "RAVELL_ANALYTICS_URL": "https://127.0.0.1:9",
        "RAVELL_API_URL": "https://127.0.0.1:9",
        "RAVELL_API3_URL": "https://127.0.0.1:9",
    })
    program = subprocess.Popen([vimbrel], env=env)
    try:
        global APP
        app = wait_for("the window on the accessibility bus", lambda: application("vimbrel"))
        APP = app
        button = wait_for("Applications", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "Applications"))
        do_action(button, ["press", "click"])

        tool = wait_for("the row Tool", lambda: find(app, pyatspi.ROLE_LIST_ITEM, "Tool", showing=False))
        select(tool)
        next_button = wait_for("an enabled Next", lambda: (
            lambda b: b if b and b.getState().contains(pyatspi.STATE_ENABLED) else None)(
                find(app, pyatspi.ROLE_PUSH_BUTTON, "Next")))
        do_action(next_button, ["press", "click"])

        switch = wait_for(KEPT, lambda: find(app, pyatspi.ROLE_CHECK_BOX, KEPT, showing=False),
                          seconds=60)
        if not switch.getState().contains(pyatspi.STATE_CHECKED):
            fail(KEPT + " did not start switched on")
        do_action(switch, ["toggle"])
        wait_for(KEPT + " switched off",
                 lambda: not switch.getState().contains(pyatspi.STATE_CHECKED))

        remove = wait_for("Remove", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "Remove"))
        do_action(remove, ["press", "click"])
        headline = wait_for("the result page", lambda: find(app, pyatspi.ROLE_LABEL,
                                                            "Tool was removed"), seconds=60)
        print("result page:", headline.name)
    finally:
        program.terminate()
        try:
            program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            program.kill()

    if not os.path.exists(kept):
        fail("the entry switched off was removed: " + kept)
    for path in gone:
        if os.path.lexists(path):
            fail("still there: " + path)
    # The demo home's look-alikes belong to others.
    for other in [os.path.join(support, "Tool 2", "Tool 2.db"),
                  os.path.join(home, "Desktop", "Tool.txt")]:
        if not os.path.exists(other):
            fail("removed what was not Tool's: " + other)
    subprocess.run(["rm", "-rf", work])
    print("PASS")


if __name__ == "__main__":
    main()

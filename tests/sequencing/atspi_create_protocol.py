# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The program as a screen reader meets it: over the real accessibility bus
# (AT-SPI on a private D-Bus session, the window on a virtual X display), the
# protocol selection is opened from the menu, "Create new protocol" is pressed
# by its action, the save dialog must be on the bus within a second, and it is
# answered through the bus. The protocol file on disk and the main window's
# caption on the bus show that the answer arrived; "Exit" ends the program.
#
# Usage: atspi_create_protocol.py PROGRAM   (run by atspi_bus.sh)
# Exit status 0 passed, 1 failed, 77 skipped (no accessibility bus here).

import os
import subprocess
import sys
import tempfile
import time

SKIP = 77
DIALOG_DEADLINE_S = 1.0
ACTION_REPLY_LIMIT_S = 1.0


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


try:
    import pyatspi
except ImportError as e:
    fail("python3-pyatspi is not installed (scripts/setup.sh installs it): %s" % e)


def children(acc):
    try:
        acc.clear_cache()
    except Exception:
        pass
    out = []
    try:
        n = acc.childCount
    except Exception:
        return out
    for i in range(n):
        try:
            c = acc.getChildAtIndex(i)
        except Exception:
            c = None
        if c is not None:
            out.append(c)
    return out


def role(acc):
    try:
        return acc.getRole()
    except Exception:
        return None


def name(acc):
    try:
        return acc.name or ""
    except Exception:
        return ""


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def find(root, pred, max_depth=12):
    """Breadth first: the first descendant of root for which pred holds."""
    level = [root]
    for _ in range(max_depth):
        nxt = []
        for acc in level:
            for c in children(acc):
                if pred(c):
                    return c
                nxt.append(c)
        if not nxt:
            break
        level = nxt
    return None


def wait_for(what, get, timeout):
    deadline = time.monotonic() + timeout
    while True:
        v = get()
        if v:
            return v
        if time.monotonic() > deadline:
            fail("%s not seen on the bus within %.1f s" % (what, timeout))
        time.sleep(0.02)


def press(acc, what):
    """Runs the accessible's Press action; returns how long the call took."""
    try:
        action = acc.queryAction()
    except Exception:
        fail("%s has no action interface" % what)
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "press", "click"):
        if wanted in names:
            started = time.monotonic()
            try:
                action.doAction(names.index(wanted))
            except Exception as e:
                fail("the %s action of %s got no reply after %.1f s: %s"
                     % (wanted, what, time.monotonic() - started, e))
            return time.monotonic() - started
    fail("%s offers no Press action (it offers %s)" % (what, names))


def windows(app):
    return [w for w in children(app) if showing(w)]


def main():
    if len(sys.argv) != 2:
        fail("usage: atspi_create_protocol.py PROGRAM")
    program = sys.argv[1]

    try:
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.childCount
    except Exception as e:
        print("SKIP: the accessibility bus does not start here: %s" % e)
        sys.exit(SKIP)

    work = tempfile.mkdtemp(prefix="kv-atspi-")
    config = os.path.join(work, "config")
    os.makedirs(os.path.join(config, "kv-ruzevuv"))
    # A workshop machine that already passed the decimal-comma check.
    with open(os.path.join(config, "kv-ruzevuv", "Kv_Instal_ini.ini"), "w") as f:
        f.write('[Regional]\nDecimalSeparator=","\n')
    os.makedirs(os.path.join(work, "ports"))
    env = dict(os.environ)
    env.update({
        "QT_QPA_PLATFORM": "xcb",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "XDG_CONFIG_HOME": config,
        "HOME": work,
        "KV_PORT_DIR": os.path.join(work, "ports"),
    })
    proc = subprocess.Popen([program], env=env, cwd=work)
    try:
        app = wait_for("the program",
                       lambda: next((a for a in children(desktop)
                                     if a.get_process_id() == proc.pid), None), 10)
        main_frame = wait_for(
            "the main window",
            lambda: next((w for w in windows(app) if name(w).startswith("Kv Ruzevuv")), None), 5)

        item = find(main_frame, lambda a: role(a) == pyatspi.ROLE_MENU_ITEM
                    and name(a) == "Attach new protocol")
        if item is None:
            fail('menu item "Attach new protocol" not on the bus')
        press(item, '"Attach new protocol"')
        selection = wait_for(
            "the protocol selection",
            lambda: next((w for w in windows(app) if name(w) == "Protocol selection"), None), 3)
        create = find(selection, lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON
                      and name(a) == "Create new protocol")
        if create is None:
            fail('button "Create new protocol" not on the bus')

        took = press(create, '"Create new protocol"')
        if took > ACTION_REPLY_LIMIT_S:
            fail('the Press action of "Create new protocol" answered after %.1f s' % took)
        started = time.monotonic()
        dialog = wait_for(
            "the save dialog",
            lambda: next((w for w in windows(app)
                          if role(w) in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_FILE_CHOOSER)),
                         None), DIALOG_DEADLINE_S)
        print("action answered in %.3f s, save dialog on the bus %.3f s later"
              % (took, time.monotonic() - started))

        path = os.path.join(work, "bus.kvi")
        field = find(dialog, lambda a: role(a) == pyatspi.ROLE_TEXT
                     and name(a).startswith("File name"))
        if field is None:
            fail("the save dialog has no file-name field on the bus")
        field.queryEditableText().setTextContents(path)
        save = find(dialog, lambda a: role(a) == pyatspi.ROLE_PUSH_BUTTON and name(a) == "Save")
        if save is None:
            fail('the save dialog has no "Save" button on the bus')
        press(save, '"Save"')

        wait_for("the protocol file on disk", lambda: os.path.exists(path), 5)
        wait_for("the protocol in the main window's caption",
                 lambda: "[bus.kvi]" in name(main_frame), 5)
        if any(role(w) in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_FILE_CHOOSER)
               for w in windows(app)):
            fail("the save dialog is still open after Save")

        exit_item = find(main_frame, lambda a: role(a) == pyatspi.ROLE_MENU_ITEM
                         and name(a) == "Exit")
        if exit_item is None:
            fail('menu item "Exit" not on the bus')
        press(exit_item, '"Exit"')
        try:
            rc = proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fail("the program did not end after Exit")
        if rc != 0:
            fail("the program ended with status %d" % rc)
        print("PASS")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


if __name__ == "__main__":
    main()

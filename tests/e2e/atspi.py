"""The accessibility tree of running programs, through AT-SPI."""

import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def application(pid, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except gi.repository.GLib.Error:
                continue
        time.sleep(0.2)
    raise AssertionError("no accessible application for pid %d" % pid)


def walk(node, depth=0, limit=40):
    if node is None or depth > limit:
        return
    yield node
    try:
        count = node.get_child_count()
    except gi.repository.GLib.Error:
        return
    for i in range(count):
        try:
            child = node.get_child_at_index(i)
        except gi.repository.GLib.Error:
            continue
        yield from walk(child, depth + 1, limit)


def role(node):
    try:
        return node.get_role_name()
    except gi.repository.GLib.Error:
        return ""


def name(node):
    try:
        return node.get_name() or ""
    except gi.repository.GLib.Error:
        return ""


def find_all(root, role_name=None, name_text=None):
    return [n for n in walk(root)
            if (role_name is None or role(n) == role_name)
            and (name_text is None or name(n) == name_text)]


def wait_find(root_fn, role_name=None, name_text=None, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = find_all(root_fn(), role_name, name_text)
        if found:
            return found[0]
        time.sleep(0.2)
    raise AssertionError("no %s named %r" % (role_name, name_text))


def texts(root):
    """Every label text and the names of every push button below root."""
    out = []
    for n in walk(root):
        r = role(n)
        if r == "label":
            out.append(name(n))
        elif r == "push button":
            out.append("[%s]" % name(n))
    return out


def press(node):
    """Activates a button the way a screen reader's user would."""
    Atspi.Action.do_action(node, 0)


def text_of(node):
    try:
        iface = node.get_text_iface()
        if iface is not None:
            return Atspi.Text.get_text(node, 0, -1) or ""
    except gi.repository.GLib.Error:
        pass
    return ""


def page_text(pid, expect=None, timeout=20):
    """All text of the web document shown by the program: names and text
    contents of its nodes. With `expect`, waits until that text shows."""
    deadline = time.monotonic() + timeout
    while True:
        app = application(pid, timeout)
        docs = find_all(app, "document web")
        text = " ".join(filter(None, (name(n) + " " + text_of(n)
                                      for d in docs for n in walk(d))))
        if docs and (expect is None or expect in text):
            return text
        if time.monotonic() > deadline:
            return text
        time.sleep(0.3)

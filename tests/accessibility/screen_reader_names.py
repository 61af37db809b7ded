#!/usr/bin/python3
"""Reads the window's controls as a screen reader does, through AT-SPI.

Starts the program on a virtual display (Xvfb) with accessibility on, walks
its accessibility tree with pyatspi and checks the name of every control.
Run it on a private session bus:
    dbus-run-session -- screen_reader_names.py PROGRAM [LOCALE]
LOCALE (given as LANG; default: the C locale) picks the window's language;
the expected names are read from that locale's table below.
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

# Role and name of every control a user can reach, by locale.
EXPECTED = {
    "C": [
        ("tree", "M4A files"),
        ("push button", "Add M4A File(s)"),
        ("push button", "Add All M4A File(s) In Folder"),
        ("push button", "Clear List"),
        ("push button", "Load Sample/Example Files"),
        ("panel", "Bit Rate Of Output File"),
        ("radio button", "Use same bit rate as input file (most efficient)"),
        ("radio button", "Use this constant bit rate for all files:"),
        # Qt names a drop-down box by its entry and labels it by its frame.
        ("combo box", "Bit Rate Of Output File"),
        ("panel", "Save Option"),
        ("radio button", "Save results to this folder:"),
        ("panel", "Output folder"),
        ("text", "Output folder"),
        ("push button", "Choose the output folder"),
        ("radio button", "Save results in folder of original file"),
        ("push button", "Start Converting"),
        ("progress bar", "Progress"),
    ],
    "de_DE.UTF-8": [
        ("tree", "M4A-Dateien"),
        ("push button", "M4A-Datei(en) hinzufügen"),
        ("push button", "Alle M4A im Ordner hinzufügen"),
        ("push button", "Liste leeren"),
        ("push button", "Beispieldateien laden"),
        ("radio button", "Gleiche Bitrate wie Eingabe (am effizientesten)"),
        ("combo box", "Bitrate der Ausgabedatei"),
        ("radio button", "In diesem Ordner speichern:"),
        ("text", "Ausgabeordner"),
        ("push button", "Ausgabeordner wählen"),
        ("push button", "Konvertierung starten"),
        ("progress bar", "Fortschritt"),
    ],
}

# The sample button, the start of the question it asks and the question's
# buttons (Qt's own texts), by locale.
QUESTION = {
    "C": ("Load Sample/Example Files", "Would you like this software to open the folder",
          ["Yes", "No"]),
    "de_DE.UTF-8": ("Beispieldateien laden", "Möchten Sie, dass dieses Programm den Ordner",
                    ["Ja", "Nein"]),
}

# Roles of the controls that must never be nameless.
NAMED_ROLES = {"tree", "table", "list", "push button", "radio button", "check box",
               "combo box", "text", "progress bar", "panel"}


def start_display(work):
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as answer:
        number = answer.readline().strip()
    if not number:
        sys.exit("Xvfb did not start")
    return xvfb, ":" + number


def program_environment(work, display, locale):
    home = os.path.join(work, "home")
    runtime = os.path.join(work, "runtime")
    os.makedirs(os.path.join(home, "Desktop"))
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ)
    for name in ("LANGUAGE", "LC_MESSAGES", "LC_ALL", "LANG"):
        env.pop(name, None)
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_RUNTIME_DIR=runtime, TEMP=work, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    if locale:
        env["LANG"] = locale
    else:
        env["LC_ALL"] = "C.UTF-8"
    return env


def find_window(pid, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.get_process_id() != pid:
                continue
            for window in app:
                if window is not None and window.getRoleName() == "frame" and window.childCount:
                    return window
        time.sleep(0.2)
    sys.exit("the window did not appear on the accessibility bus")


def read_name(node):
    """The name a screen reader speaks: a drop-down box's label (its own
    name is its chosen entry), any other control's own name."""
    if node.getRoleName() == "combo box":
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                return relation.getTarget(0).name
        return ""
    return node.name


def role(node):
    """The node's role name; the AT-SPI of Debian 13 and later calls a push
    button "button"."""
    name = node.getRoleName()
    return "push button" if name == "button" else name


def controls(node):
    """Role and spoken name of every node under node, in tree order."""
    found = []
    for child in node:
        if child is None:
            continue
        found.append((role(child), read_name(child)))
        # The list's rows, header and the rate box's pop-up are the
        # controls' own parts, named by their texts.
        if child.getRoleName() not in ("tree", "table", "combo box"):
            found.extend(controls(child))
    return found


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def ask_question(window, pid, button_name, seconds=30):
    """Presses the button as a screen reader does and reads the question
    box it opens: its texts and its buttons' names. Answers it with its last
    button."""
    button = next(node for node in descendants(window)
                  if role(node) == "push button" and node.name == button_name)
    button.queryAction().doAction(0)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.get_process_id() != pid:
                continue
            for box in app:
                if box is None or role(box) not in ("dialog", "alert"):
                    continue
                nodes = list(descendants(box))
                texts = [n.name for n in nodes if role(n) == "label"]
                buttons = [n for n in nodes if role(n) == "push button"]
                if buttons:
                    names = [b.name for b in buttons]
                    buttons[-1].queryAction().doAction(0)
                    return texts, names
        time.sleep(0.2)
    sys.exit(f"pressing {button_name!r} opened no question box")


def main():
    program = sys.argv[1]
    locale = sys.argv[2] if len(sys.argv) > 2 else ""
    expected = EXPECTED[locale or "C"]
    with tempfile.TemporaryDirectory() as work:
        xvfb, display = start_display(work)
        os.environ["DISPLAY"] = display
        plumark = subprocess.Popen([program],
                                   env=program_environment(work, display, locale))
        try:
            window = find_window(plumark.pid)
            found = controls(window)
            button, question, answers = QUESTION[locale or "C"]
            texts, buttons = ask_question(window, plumark.pid, button)
        finally:
            plumark.kill()
            plumark.wait()
            xvfb.kill()
            xvfb.wait()

    failures = []
    for kind, name in expected:
        if (kind, name) not in found:
            failures.append(f"no {kind} named {name!r}")
    for kind, name in found:
        if kind in NAMED_ROLES and not name:
            failures.append(f"a {kind} has no name")
    if not any(text.startswith(question) for text in texts):
        failures.append(f"the question box reads {texts}, not {question!r}...")
    if buttons != answers:
        failures.append(f"the question box offers {buttons}, not {answers}")
    if failures:
        print("read from the window:", *found, sep="\n  ")
        sys.exit("\n".join(failures))
    print(f"{len(found)} controls read, every one named as expected; the question box "
          f"offers {buttons}")


main()

#!/usr/bin/python3
"""Reads the window's controls as a screen reader does, through AT-SPI.

Starts the program on a virtual display (Xvfb) with accessibility on, walks
its accessibility tree with pyatspi and checks the name of every control.
Run it on a private session bus:
    dbus-run-session -- screen_reader_names.py PROGRAM [LANGUAGE]
LANGUAGE (default: none, the C locale) picks the window's language; the
expected names are then read from that language's table below.
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

# Role and name of every control a user can reach, by language.
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


def program_environment(work, display, language):
    home = os.path.join(work, "home")
    runtime = os.path.join(work, "runtime")
    os.makedirs(os.path.join(home, "Desktop"))
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ)
    for name in ("LANGUAGE", "LC_MESSAGES", "LC_ALL", "LANG"):
        env.pop(name, None)
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_RUNTIME_DIR=runtime, TEMP=work, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL="C.UTF-8")
    if language:
        env["LANGUAGE"] = language
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


def controls(node):
    """Role and spoken name of every node under node, in tree order."""
    found = []
    for child in node:
        if child is None:
            continue
        found.append((child.getRoleName(), read_name(child)))
        # The list's rows, header and the rate box's pop-up are the
        # controls' own parts, named by their texts.
        if child.getRoleName() not in ("tree", "table", "combo box"):
            found.extend(controls(child))
    return found


def main():
    program = sys.argv[1]
    language = sys.argv[2] if len(sys.argv) > 2 else ""
    expected = EXPECTED[language or "C"]
    with tempfile.TemporaryDirectory() as work:
        xvfb, display = start_display(work)
        os.environ["DISPLAY"] = display
        plumark = subprocess.Popen([program],
                                   env=program_environment(work, display, language))
        try:
            found = controls(find_window(plumark.pid))
        finally:
            plumark.kill()
            plumark.wait()
            xvfb.kill()
            xvfb.wait()

    failures = []
    for role, name in expected:
        if (role, name) not in found:
            failures.append(f"no {role} named {name!r}")
    for role, name in found:
        if role in NAMED_ROLES and not name:
            failures.append(f"a {role} has no name")
    if failures:
        print("read from the window:", *found, sep="\n  ")
        sys.exit("\n".join(failures))
    print(f"{len(found)} controls read, every one named as expected")


main()

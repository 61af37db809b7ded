#!/usr/bin/python3
"""Checks the shipped translations against the sources.

    check_translations.py LUPDATE SOURCE_DIR

Fails when a text of the window has no translation in a shipped language,
when a translation is left unfinished, obsolete or empty, when it loses a
placeholder (%1), a file pattern or a trailing blank of its source, or when
the .ts files are not current with the sources (lupdate, run into a copy,
would add or retire a text).
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

# The folders whose texts the window shows, and the input gate, whose
# refusals it shows too; the batch mode's own folder is left out: its console
# output stays English.
SOURCE_FOLDERS = ["engine", "filelist", "shell", "samples", "transcode/InputGate.cpp"]
LANGUAGES = ["de", "es", "fr"]


def messages(ts_file):
    """(context, source, translation element) of every message."""
    root = ET.parse(ts_file).getroot()
    for context in root.iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            yield name, message.findtext("source"), message.find("translation")


def faults(ts_file):
    found = []
    for context, source, translation in messages(ts_file):
        where = f"{ts_file.name}: {context}: {source!r}"
        kind = translation.get("type")
        text = translation.text or ""
        if kind in ("unfinished", "obsolete", "vanished"):
            found.append(f"{where} is {kind}")
            continue
        if not text.strip():
            found.append(f"{where} has no translation")
            continue
        if sorted(re.findall(r"%\d", source)) != sorted(re.findall(r"%\d", text)):
            found.append(f"{where}: the placeholders differ in {text!r}")
        for pattern in re.findall(r"\(\*\.[a-z0-9]+\)", source):
            if pattern not in text:
                found.append(f"{where}: {text!r} loses {pattern}")
        if source.endswith(" ") != text.endswith(" "):
            found.append(f"{where}: {text!r} differs in its trailing blank")
    return found


def texts(ts_file):
    return {(context, source) for context, source, _ in messages(ts_file)}


def main():
    lupdate, source_dir = sys.argv[1], Path(sys.argv[2])
    shipped = sorted((source_dir / "translations").glob("plumark_*.ts"))
    failures = []
    if [f.stem.split("_", 1)[1] for f in shipped] != LANGUAGES:
        failures.append(f"shipped translations {[f.name for f in shipped]}, "
                        f"expected one for each of {LANGUAGES}")
    for ts_file in shipped:
        failures.extend(faults(ts_file))

    with tempfile.TemporaryDirectory() as work:
        copies = [Path(shutil.copy(f, work)) for f in shipped]
        subprocess.run([lupdate, "-silent", "-I", ".", "-locations", "none", *SOURCE_FOLDERS,
                        "-ts", *map(str, copies)], cwd=source_dir, check=True)
        for original, current in zip(shipped, copies):
            added = texts(current) - texts(original)
            for context, source in sorted(added):
                failures.append(f"{original.name}: {context}: {source!r} is new in the sources")
            for context, source, translation in messages(current):
                if translation.get("type") in ("vanished", "obsolete"):
                    failures.append(f"{original.name}: {context}: {source!r} is no longer "
                                    "in the sources")

    if failures:
        sys.exit("\n".join(failures))
    print(f"{len(shipped)} translations complete and current")


main()

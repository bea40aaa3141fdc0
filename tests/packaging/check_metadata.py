#!/usr/bin/env python3
"""Checks the desktop entry and the AppStream metadata as they stand in packaging/.

usage: check_metadata.py PACKAGING_DIR

  - the desktop entry passes desktop-file-validate without a hint, the metadata appstreamcli
    validate --no-net;
  - each text a user reads comes in English and in Chinese: the desktop entry's Name,
    GenericName, Comment and Keywords with their [zh_CN] forms; the metadata's name, summary,
    every screenshot caption and every paragraph and list item of a description followed by
    its zh-CN form, and keywords in both.
Exits 0 when all hold, 1 with the failures listed otherwise. check_install.py runs the same
checks on the installed files.
"""
import configparser
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

APP_ID = "cn.zelvan.Zelvan"
LANG = "{http://www.w3.org/XML/1998/namespace}lang"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def validates(args, quiet=False):
    """`args` validates a file; with `quiet`, without even a hint on stdout."""
    result = subprocess.run(args, capture_output=True, text=True)
    check(result.returncode == 0 and not (quiet and result.stdout.strip()),
          " ".join(args) + ":\n" + result.stdout + result.stderr)


def check_desktop_entry(path):
    validates(["desktop-file-validate", path], quiet=True)
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(path, encoding="utf-8")
    keys = entry["Desktop Entry"]
    for key in ("Name", "GenericName", "Comment", "Keywords"):
        check(keys.get(key), "the desktop entry has no " + key)
        check(keys.get(key + "[zh_CN]"), "the desktop entry has no " + key + "[zh_CN]")


def check_pairs(parent, tag, where):
    """Every English `tag` under `parent` is followed at once by its zh-CN form."""
    children = [child for child in parent if child.tag == tag]
    english = [child for child in children if LANG not in child.attrib]
    check(english, where + " has no " + tag)
    for i, child in enumerate(children):
        if LANG in child.attrib:
            check(child.attrib[LANG] == "zh-CN", where + ": " + tag + " in " + child.attrib[LANG])
            continue
        following = children[i + 1] if i + 1 < len(children) else None
        check(following is not None and following.attrib.get(LANG) == "zh-CN" and
              (following.text or "").strip(),
              where + ": no zh-CN " + tag + " after '" + " ".join((child.text or "").split()) + "'")


def check_description(description, where):
    check_pairs(description, "p", where)
    for i, item in enumerate(description.iter("ul")):
        check_pairs(item, "li", where + ", list " + str(i + 1))


def check_metainfo(path):
    validates(["appstreamcli", "validate", "--no-net", path])
    component = ET.parse(path).getroot()
    check_pairs(component, "name", "the metadata")
    check_pairs(component, "summary", "the metadata")
    check_description(component.find("description"), "the description")
    for i, shot in enumerate(component.iter("screenshot")):
        check_pairs(shot, "caption", "screenshot " + str(i + 1))
    for release in component.iter("release"):
        description = release.find("description")
        if description is not None:
            check_description(description, "release " + release.get("version", "?"))
    languages = {k.attrib.get(LANG) for k in component.iter("keyword")}
    check(None in languages and "zh-CN" in languages, "keywords not in both languages")


def main():
    folder = sys.argv[1]
    check_desktop_entry(os.path.join(folder, APP_ID + ".desktop"))
    check_metainfo(os.path.join(folder, APP_ID + ".metainfo.xml"))
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

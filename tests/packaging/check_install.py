#!/usr/bin/env python3
"""Checks an installation of Zelvan as a user would meet it.

usage: check_install.py --build BUILD_DIR   install the build into a scratch folder (DESTDIR)
       check_install.py --deb PACKAGE       unpack the package into a scratch folder (dpkg-deb -x)

Then, on the files under <scratch>/usr:
  - they are exactly the files of installed_files.txt;
  - the desktop entry and the metadata validate and speak both languages (check_metadata.py);
  - the PNG icons have the sizes their folders name;
  - the installed zelvan-cli, with no data folder named and no user timetable, answers from the
    installed timetable (info, and a route between two stations), in English and in Chinese
    from the installed catalogs;
  - an update from a loopback server (tests/update/http_server.py) installs into the user's
    data folder, which answers from then on, and leaves the installed timetable unchanged;
  - every screenshot the metadata names is one the application's screenshot tour writes.
Exits 0 when all hold, 1 with the failures listed otherwise.
"""
import argparse
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

from check_metadata import APP_ID, check, check_desktop_entry, check_metainfo, failures

HERE = os.path.dirname(os.path.abspath(__file__))


def run(args, env=None, **kwargs):
    return subprocess.run(args, env=env, capture_output=True, text=True, timeout=300, **kwargs)


def expected_files():
    with open(os.path.join(HERE, "installed_files.txt"), encoding="utf-8") as f:
        return sorted(line.strip() for line in f if line.strip() and not line.startswith("#"))


def installed_files(prefix):
    found = []
    for folder, _, files in os.walk(prefix):
        for name in files:
            found.append(os.path.relpath(os.path.join(folder, name), prefix))
    return sorted(found)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def clean_env(scratch):
    """The environment of a user with no timetable of their own and no display."""
    env = {k: v for k, v in os.environ.items() if k != "ZELVAN_DATA"}
    env["XDG_DATA_HOME"] = os.path.join(scratch, "home", ".local", "share")
    env["QT_QPA_PLATFORM"] = "offscreen"
    return env


def check_cli(prefix, scratch):
    cli = os.path.join(prefix, "bin", "zelvan-cli")
    timetable = os.path.join(prefix, "share", "zelvan", "timetable")
    env = clean_env(scratch)
    info = run([cli, "--json", "info"], env)
    if not check(info.returncode == 0, "zelvan-cli info failed: " + info.stderr):
        return
    document = json.loads(info.stdout)
    check(document["loaded"], "the installed timetable does not load: " + info.stdout)
    check(document["dataSource"] == "installed", "not the installed timetable: " + info.stdout)
    check(os.path.realpath(document["dataFolder"]) == os.path.realpath(timetable),
          "info names " + document["dataFolder"] + ", not " + timetable)
    check(document["updateFolder"] == os.path.join(env["XDG_DATA_HOME"], "zelvan"),
          "an update would not go to the user's folder: " + info.stdout)
    route = run([cli, "--data", timetable, "--json", "route", "北京", "上海"], env)
    check(route.returncode == 0 and json.loads(route.stdout or "{}").get("rows"),
          "no trains from 北京 to 上海: " + route.stdout + route.stderr)
    # The installed catalogs are found from the program's folder: English and Chinese tables.
    for lang, heading in (("en_US.UTF-8", "Train"), ("zh_CN.UTF-8", "车次名称")):
        speaking = dict(env, LANG=lang, LANGUAGE="", LC_ALL="", LC_MESSAGES="")
        table = run([cli, "--data", timetable, "route", "北京", "上海"], speaking)
        check(table.returncode == 0 and table.stdout.startswith(heading + " "),
              "LANG=" + lang + " zelvan-cli route 北京 上海 is not headed " + heading + ": " +
              table.stdout[:200] + table.stderr)


def file_hashes(folder):
    hashes = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            hashes[name] = hashlib.sha256(f.read()).hexdigest()
    return hashes


def check_update(prefix, scratch):
    """A newer timetable from a loopback server goes to the user's folder, not the installed."""
    cli = os.path.join(prefix, "bin", "zelvan-cli")
    installed = os.path.join(prefix, "share", "zelvan", "timetable")
    env = clean_env(scratch)
    newer = os.path.join(scratch, "newer")
    site = os.path.join(scratch, "site")
    shutil.copytree(installed, newer)
    os.makedirs(site)
    with open(os.path.join(newer, "ver.txt"), "w", encoding="ascii") as f:
        f.write("2099.01.01\n")
    before = file_hashes(installed)
    server = subprocess.Popen([sys.executable, os.path.join(HERE, "..", "update", "http_server.py"),
                               site], stdout=subprocess.PIPE, text=True)
    try:
        url = "http://127.0.0.1:" + server.stdout.readline().strip()
        package = os.path.join(site, "wm.db")
        packed = run([cli, "pack", newer, package, "--url", url + "/wm.db"], env)
        if not check(packed.returncode == 0, "zelvan-cli pack failed: " + packed.stderr):
            return
        os.rename(package + ".ver", os.path.join(site, "wm.ver"))
        update = run([cli, "--json", "update", "--server", url, "--yes"], env)
        outcome = json.loads(update.stdout or "{}").get("outcome")
        check(outcome == "updated", "the update did not install: " + update.stdout + update.stderr)
    finally:
        server.kill()
        server.wait()
    info = json.loads(run([cli, "--json", "info"], env).stdout or "{}")
    check(info.get("dataSource") == "user" and info.get("databaseVersion") == "2099.01.01\n",
          "the user's folder does not answer after the update: " + json.dumps(info))
    check(file_hashes(installed) == before, "the update changed the installed timetable")


def check_screenshots(prefix, scratch):
    """The metadata's screenshots must be images the screenshot tour makes."""
    app = os.path.join(prefix, "bin", "zelvan")
    metainfo = os.path.join(prefix, "share", "metainfo", APP_ID + ".metainfo.xml")
    shots = os.path.join(scratch, "screenshots")
    tour = run([app, "--screenshots", shots], clean_env(scratch))
    if not check(tour.returncode == 0, "the screenshot tour failed: " + tour.stderr):
        return
    made = set(os.listdir(shots))
    with open(metainfo, encoding="utf-8") as f:
        text = f.read()
    named = [part.split("</image>")[0].rsplit("/", 1)[-1] for part in text.split("<image>")[1:]]
    check(named, "the metadata names no screenshots")
    for name in named:
        check(name in made, "the metadata names " + name + ", which the tour does not make")


def main():
    parser = argparse.ArgumentParser()
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--build")
    source.add_argument("--deb")
    options = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="zelvan-install-") as scratch:
        root = os.path.join(scratch, "root")
        if options.build:
            step = run(["cmake", "--install", options.build, "--prefix", "/usr"],
                       dict(os.environ, DESTDIR=root))
        else:
            step = run(["dpkg-deb", "-x", options.deb, root])
        if step.returncode != 0:
            print(step.stdout + step.stderr, file=sys.stderr)
            return 1
        prefix = os.path.join(root, "usr")

        found, expected = installed_files(prefix), expected_files()
        for name in sorted(set(found) - set(expected)):
            failures.append("installed but not listed: " + name)
        for name in sorted(set(expected) - set(found)):
            failures.append("listed but not installed: " + name)
        if set(expected) - set(found):
            return report()

        check_desktop_entry(os.path.join(prefix, "share", "applications", APP_ID + ".desktop"))
        check_metainfo(os.path.join(prefix, "share", "metainfo", APP_ID + ".metainfo.xml"))
        for size in (48, 64, 128, 256):
            png = os.path.join(prefix, "share", "icons", "hicolor", "%dx%d" % (size, size), "apps",
                               APP_ID + ".png")
            check(png_size(png) == (size, size), "%s is %s" % (png, png_size(png)))

        check_cli(prefix, scratch)
        check_screenshots(prefix, scratch)  # before the update: the tour shows the installed one
        check_update(prefix, scratch)
    return report()


def report():
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    if not failures:
        print("installation checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

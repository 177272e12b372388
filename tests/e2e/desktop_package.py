#!/usr/bin/python3
"""The Debian package as a user gets it: unpacked with dpkg-deb -x into a throw-away root (the host
is not changed), its trevandel command run under Xvfb with a throw-away home; the version every
program prints; lintian."""

import argparse
import glob
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

import harness

PROGRAMS = ["trevandel", "trevandel-handheld", "trevandel-check", "trevandel-shot", "trevandel-preview"]
COMMANDS = ["trevandel", "trevandel-check", "trevandel-shot", "trevandel-preview"]
# Background pixels of the concept skin's main page that no button covers.
CORNERS = [(2, 2), (2, 236), (317, 236)]


class Package:
    path = None
    version = None
    build = None  # the release build the package was made from


def tree(root):
    """Every path below root with its kind, mode and content (or link target)."""
    entries = {}
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            path = os.path.join(folder, name)
            info = os.lstat(path)
            if os.path.islink(path):
                what = "-> " + os.readlink(path)
            elif os.path.isdir(path):
                what = "folder"
            else:
                with open(path, "rb") as f:
                    what = hashlib.sha1(f.read()).hexdigest()
            entries[os.path.relpath(path, root)] = (info.st_mode, what)
    return entries


class WithHome:
    """The test's Xvfb, with HOME a folder of the test's own and no XDG_DATA_HOME."""

    def __init__(self, xvfb, home):
        self.xvfb, self.home = xvfb, home

    def env(self):
        env = self.xvfb.env()
        env["HOME"] = self.home
        env.pop("XDG_DATA_HOME", None)
        return env

    def wait_for_window(self, timeout=30):
        return self.xvfb.wait_for_window(timeout)


class Place:
    """Where harness.Launcher starts the command: the working directory."""

    def __init__(self, path):
        self.path = path
        self.launcher = None


class DesktopPackage(harness.LauncherTestCase):

    def setUp(self):
        super().setUp()
        self.root = tempfile.mkdtemp(prefix="trevandel-deb-root-")
        self.home = tempfile.mkdtemp(prefix="trevandel-deb-home-")
        for folder in (self.root, self.home):
            self.addCleanup(shutil.rmtree, folder, True)
        subprocess.run(["dpkg-deb", "-x", Package.path, self.root], check=True)
        self.command = os.path.join(self.root, "usr", "bin", "trevandel")

    def test_the_command_keeps_the_configuration_in_the_users_folder(self):
        installed = tree(self.root)
        launcher = harness.Launcher(WithHome(self.xvfb, self.home), Place(self.home), argv=[self.command])
        self._launchers.append(launcher)
        launcher.wait_ready()
        folder = os.path.join(self.home, ".local", "share", "trevandel") + "/"
        self.assertEqual(launcher.lines()[0], "Basedir is " + folder)
        main = harness.png_pixels(os.path.join(self.root, "usr/share/trevandel/skins/concept/main.png"))
        self.wait_for_pixels({(x, y): ((r & 0xF8) << 8) | ((g & 0xF8) << 3) | (b & 0xF8) >> 3
                              for x, y in CORNERS for r, g, b in [main[y][x]]}, what="concept main page")
        # Settings, then the faster key repeat: a config action, which saves and restarts.
        for key in ("right", "right", "b", "down", "b"):
            self.press(key)
        self.assertLinesInOrder(launcher, ["Action is config--KEYBOARD_RATE--150--50",
                                           "Start: %strevandel" % folder, "Basedir is " + folder,
                                           "CFG: KEYBOARD_RATE=150,50"])
        self.press("escape")
        self.assertExits(launcher, 0)

        with open(os.path.join(folder, "Trevandel.cfg")) as f:
            self.assertIn("\nKEYBOARD_RATE=150,50\n", f.read())
        after = tree(self.root)
        self.assertEqual(sorted(p for p in set(installed) | set(after) if installed.get(p) != after.get(p)), [],
                         "the run changed these installed files")
        # The installed programs, font sheet, skins and demo folder are linked in, not copied.
        for name, target in [(p, "usr/libexec/trevandel/" + p) for p in COMMANDS] + [
                (harness.FONT_NAME, "usr/share/trevandel/" + harness.FONT_NAME),
                ("demo", "usr/share/trevandel/demo")] + [
                ("skins/" + s, "usr/share/trevandel/skins/" + s) for s in harness.shipped_skins()]:
            self.assertEqual(os.readlink(os.path.join(folder, name)), os.path.join(self.root, target))

    def test_make_install_lays_out_what_the_package_holds(self):
        staged = tempfile.mkdtemp(prefix="trevandel-install-")
        self.addCleanup(shutil.rmtree, staged, True)
        subprocess.run(["cmake", "--install", Package.build, "--prefix", "/usr"],
                       env=dict(os.environ, DESTDIR=staged), check=True, stdout=subprocess.DEVNULL)

        def layout(root):
            # Names, modes, kinds and link targets: the package's programs are stripped, the
            # installed ones not.
            return {path: (mode, what if what.startswith("-> ") or what == "folder" else "file")
                    for path, (mode, what) in tree(root).items()}
        self.assertEqual(layout(staged), layout(self.root))

    def test_every_program_prints_the_version_without_a_window_or_a_folder(self):
        built = os.path.dirname(harness.Options.launcher)
        runs = [(name, os.path.join(built, name)) for name in PROGRAMS]
        runs += [(name, os.path.join(self.root, "usr", "bin", name)) for name in COMMANDS]
        env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "XDG_DATA_HOME")}
        env.update(HOME=self.home, TREVANDEL_FRAMEBUFFER="/nonexistent/fb",
                   LSAN_OPTIONS="suppressions=" + harness.LSAN_SUPPRESSIONS)
        for name, program in runs:
            with self.subTest(program=program):
                result = subprocess.run([program, "--version"], env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, universal_newlines=True, timeout=60)
                self.assertEqual((result.returncode, result.stdout, result.stderr),
                                 (0, "%s (Trevandel) %s\n" % (name, Package.version), ""))
        self.assertEqual(os.listdir(self.home), [])

    def test_the_release_texts_name_the_version(self):
        source = os.path.dirname(harness.Options.data)
        with open(os.path.join(source, "CHANGELOG.md")) as f:
            self.assertEqual(re.findall(r"^## \[([^]]+)\]", f.read(), re.M)[0], Package.version)
        with open(os.path.join(source, "packaging", "desktop", "changelog")) as f:
            self.assertTrue(f.readline().startswith("trevandel (%s) " % Package.version))
        with open(os.path.join(source, "README.md")) as f:
            readme = f.read()
        for name in ("trevandel_%s_" % Package.version, "trevandel-handheld-%s.zip" % Package.version):
            self.assertIn(name, readme)

    def test_lintian_finds_nothing(self):
        result = subprocess.run(["lintian", "--pedantic", "--display-info", "--display-experimental",
                                 Package.path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                universal_newlines=True, timeout=300)
        tags = [line for line in result.stdout.splitlines() if re.match(r"^[EWIPX]: ", line)]
        self.assertEqual(tags, [], result.stdout)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--package-dir", required=True, help="where make deb wrote the package")
    parser.add_argument("--release", required=True, help="the project's version")
    args, rest = parser.parse_known_args()
    Package.version = args.release
    found = glob.glob(os.path.join(args.package_dir, "trevandel_%s_*.deb" % args.release))
    if len(found) != 1:
        sys.stderr.write("want one trevandel_%s_*.deb in %s (make deb), found %s\n"
                         % (args.release, args.package_dir, found or "none"))
        sys.exit(1)
    Package.path, Package.build = found[0], args.package_dir
    sys.argv = [sys.argv[0]] + rest
    harness.main()


if __name__ == "__main__":
    main()

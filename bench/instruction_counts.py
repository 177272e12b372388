#!/usr/bin/env python3
"""Instructions of each measured operation and of its limit, counted by callgrind in one run of
trevandel-count each (only what runs inside trevandel_counted is collected); writes them as JSON.

Counts do not move with the machine's load: the same binary, inputs and environment give the
same totals, so the ratios between them decide the targets that times could only suggest."""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

# Folder sizes: files, folders.
FOLDERS = {"10k": (10000, 500), "300k": (300000, 15000)}
SKIN_SCALES = (1, 10)


def count(program, args, work, env=None):
    """Instructions collected inside trevandel_counted for one run of program with args."""
    out = os.path.join(work, "callgrind.out")
    command = ["valgrind", "--tool=callgrind", "--toggle-collect=trevandel_counted",
               "--callgrind-out-file=" + out, program] + args
    run = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if run.returncode != 0:
        raise RuntimeError("%s failed:\n%s" % (" ".join(args), run.stderr[-2000:]))
    with open(out) as f:
        for line in f:
            match = re.match(r"(?:summary|totals):\s+(\d+)", line)
            if match:
                return int(match.group(1))
    raise RuntimeError("no totals in the callgrind output of %s" % " ".join(args))


def measure(program):
    work = tempfile.mkdtemp(prefix="trevandel-count-")
    env = dict(os.environ, SDL_VIDEODRIVER="dummy")
    try:
        counts = {}
        counts["startup"] = count(program, ["startup"], work, env)
        counts["startup_fresh"] = count(program, ["startup-fresh"], work, env)
        counts["decode"] = count(program, ["decode"], work, env)
        framebuffer = os.path.join(work, "fb")
        with open(framebuffer, "wb") as f:
            f.truncate(320 * 240 * 2)
        counts["handheld_startup"] = count(program, ["handheld-startup", framebuffer], work, env)
        for name, (files, folders) in FOLDERS.items():
            folder = os.path.join(work, "folder" + name) + "/"
            os.mkdir(folder)
            subprocess.run([program, "make-folder", folder, str(files), str(folders)], check=True)
            counts["enter_" + name] = count(program, ["enter", folder], work, env)
            counts["naive_" + name] = count(program, ["naive", folder], work, env)
            shutil.rmtree(folder)
        for scale in SKIN_SCALES:
            skin = os.path.join(work, "skin%d.skin" % scale)
            subprocess.run([program, "make-skin", skin, str(scale)], check=True)
            counts["skin_%d" % scale] = count(program, ["skin", skin], work, env)
            counts["split_%d" % scale] = count(program, ["split", skin], work, env)
        return counts
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the Release build's trevandel-count")
    parser.add_argument("--out", required=True, help="JSON file to write")
    args = parser.parse_args()
    try:
        counts = measure(os.path.abspath(args.program))
    except (RuntimeError, OSError, subprocess.CalledProcessError) as error:
        print("instruction counts failed: %s" % error, file=sys.stderr)
        counts = {}
    with open(args.out, "w") as f:
        json.dump(counts, f, indent=2)
    for key, value in counts.items():
        print("%s: %d" % (key, value))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Runs one test program inside a private Xvfb server: in_xvfb.py PROGRAM [ARGS...]."""

import os
import subprocess
import sys

import harness


def main():
    if len(sys.argv) < 2:
        sys.stderr.write("usage: in_xvfb.py PROGRAM [ARGS...]\n")
        return 2
    xvfb = harness.Xvfb()
    try:
        env = xvfb.env()
        env.pop("SDL_VIDEODRIVER", None)
        lsan = env.get("LSAN_OPTIONS", "")
        env["LSAN_OPTIONS"] = (lsan + ":" if lsan else "") + "suppressions=" + harness.LSAN_SUPPRESSIONS
        return subprocess.run(sys.argv[1:], env=env, timeout=100).returncode
    finally:
        xvfb.stop()


if __name__ == "__main__":
    sys.exit(main())

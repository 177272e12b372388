#!/usr/bin/env python3
"""Draws every image of the bundled skins ("concept" and "paper") into data/skins/<skin>/.

Standard library only. Shapes are described by signed distance functions and rendered with
analytic coverage, so every edge is anti-aliased and icon surroundings carry real alpha; the
drawing primitives live in tools/skinart/, each skin's art in a module of its own there.

Usage: tools/makeskin.py [output root]   (default: data/skins beside this tool's parent)
"""

import os
import sys

from skinart.concept import make_concept
from skinart.paper import make_paper


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "data", "skins")
    make_concept(root)
    make_paper(root)


if __name__ == "__main__":
    main()

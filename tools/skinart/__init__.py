"""Drawing code for the images of the bundled skins; tools/makeskin.py runs it."""

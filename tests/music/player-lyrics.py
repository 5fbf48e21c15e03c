#!/usr/bin/python3
"""Prints the lyrics of a music file as a player reads them, with mutagen:
the first ID3 USLT frame, the Xiph LYRICS field, or MP4's lyrics atom."""
import sys

import mutagen
from mutagen.id3 import ID3
from mutagen.mp4 import MP4

path = sys.argv[1]
if path.endswith(".mp3"):
    tag = ID3(path)
    frames = tag.getall("USLT")
    out = f"v2.{tag.version[1]} {frames[0].lang.encode() if frames else b''} {len(frames)} " \
          f"{int(frames[0].encoding) if frames else -1}\n{frames[0].text if frames else ''}"
elif path.endswith(".m4a"):
    out = MP4(path).tags.get("\xa9lyr", [""])[0]
else:
    out = mutagen.File(path).get("LYRICS", [""])[0]
sys.stdout.write(out)

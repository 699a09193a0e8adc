#!/usr/bin/env python3
"""Makes the window's Chinese faces for Linux from the system's Noto CJK SC faces.

Each face keeps only the characters the program can show: every character of its sources (the
plant table, captions, notices, tool tips, what screen readers are told), Latin text, and the
Chinese weekday names the banner prints. Outlines, hinting, metrics and layout rules stay as they
are, so a cut face draws exactly what the whole one draws; it is opened in a fraction of the
time. The faces get names of their own, so that they never stand in for the system's faces
elsewhere; the copyright and licence records (SIL Open Font License) stay in them.

    bookfaces.py OUTDIR SOURCE...

Writes OUTDIR/QuilloraSerif-Regular.otf, QuilloraSerif-Bold.otf and QuilloraSans-Regular.otf,
and leaves a face untouched when it would come out the same, so that the program is not
rebuilt for a change of its sources that adds no character.
"""

import hashlib
import os
import subprocess
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

# (system family, style, own family, file)
FACES = [
    ("Noto Serif CJK SC", "Regular", "Quillora Serif", "QuilloraSerif-Regular.otf"),
    ("Noto Serif CJK SC", "Bold", "Quillora Serif", "QuilloraSerif-Bold.otf"),
    ("Noto Sans CJK SC", "Regular", "Quillora Sans", "QuilloraSans-Regular.otf"),
]

# Printable ASCII and Latin-1 and Latin Extended-A: Latin text, and enough of it that font
# configuration counts the faces as Latin ones, as it does the whole faces.
LATIN = [chr(c) for c in range(0x20, 0x7F)] + [chr(c) for c in range(0xA0, 0x180)]
WEEKDAYS = "星期一二三四五六日天"


def characters(sources):
    text = set(LATIN) | set(WEEKDAYS)
    for path in sources:
        with open(path, encoding="utf-8") as source:
            text |= {c for c in source.read() if c.isprintable()}
    return "".join(sorted(text))


def face_file(family, style):
    """The system's file and face index of family in style."""
    found = subprocess.run(
        ["fc-list", "-f", "%{file}\t%{index}\n", f"{family}:style={style}"],
        check=True, capture_output=True, text=True).stdout.split("\n")
    for line in sorted(filter(None, found)):
        path, index = line.split("\t")
        return path, int(index)
    sys.exit(f"bookfaces.py: no {family} {style} face on this system (fonts-noto-cjk)")


def rename(font, family):
    name = font["name"]
    style = name.getDebugName(2)
    postscript = family.replace(" ", "") + "-" + style
    full = family if style == "Regular" else f"{family} {style}"
    for record in list(name.names):
        value = {1: family, 16: family, 4: full, 3: postscript, 6: postscript}.get(record.nameID)
        if value is not None:
            name.setName(value, record.nameID, record.platformID, record.platEncID,
                         record.langID)
    cff = font["CFF "].cff
    cff.fontNames = [postscript]
    top = cff.topDictIndex[0]
    for key, value in (("FamilyName", family), ("FullName", full)):
        if hasattr(top, key):
            setattr(top, key, value)


def cut(path, index, own_family, text):
    font = TTFont(path, fontNumber=index)
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.notdef_outline = True
    options.prune_unicode_ranges = False
    options.desubroutinize = True  # the same outlines, read without subroutine calls
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)
    rename(font, own_family)
    return font


def main():
    outdir, sources = sys.argv[1], sys.argv[2:]
    os.makedirs(outdir, exist_ok=True)
    text = characters(sources)
    originals = [face_file(family, style) for family, style, _, _ in FACES]
    # What the faces were made from: this script, the system's files as they are, and the
    # characters.
    with open(__file__, "rb") as script:
        made_from = hashlib.sha256(script.read()).hexdigest() + "\n"
    made_from += "".join(f"{path} {index} {os.stat(path).st_mtime_ns}\n"
                         for path, index in originals) + text
    stamp = os.path.join(outdir, "made-from.txt")
    outputs = [os.path.join(outdir, face[3]) for face in FACES]
    if all(map(os.path.exists, outputs + [stamp])):
        with open(stamp, encoding="utf-8") as previous:
            if previous.read() == made_from:
                return
    for (path, index), (_, _, own_family, _), output in zip(originals, FACES, outputs):
        cut(path, index, own_family, text).save(output + ".new")
        os.replace(output + ".new", output)
    with open(stamp, "w", encoding="utf-8") as record:
        record.write(made_from)


if __name__ == "__main__":
    main()

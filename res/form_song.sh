#!/bin/sh
# Makes the form's compiled-in Song-style face, res/form-song-regular.otf and
# res/form-song-bold.otf: the glyphs of Noto Serif CJK SC (Regular and Bold)
# for the printable ASCII characters and those listed in res/form-song.txt, with their outlines, hints,
# metrics and layout features unchanged, under the family name "Orvandel Song".
# The form then draws the same pixels as with the installed face, but the
# program no longer maps and reads the two 26 MB font collections to start.
# Needs fonts-noto-cjk and python3-fonttools. The same input gives the same files.
#
# Run it again whenever a text of the form gains a character that is not in
# res/form-song.txt (app_test says which): add the character, run this script.
set -eu
cd "$(dirname "$0")"
for style in Regular Bold; do
    match=$(fc-match -f '%{file}:%{index}' "Noto Serif CJK SC:style=$style:lang=zh-cn")
    case $match in
    *NotoSerifCJK*) ;;
    *) echo "Noto Serif CJK SC $style is missing (fonts-noto-cjk)" >&2; exit 1 ;;
    esac
    lower=$(echo "$style" | tr 'A-Z' 'a-z')
    SOURCE_DATE_EPOCH=0 python3 - "${match%:*}" "${match##*:}" "form-song-$lower.otf" <<'EOF'
import sys
from fontTools import subset
from fontTools.ttLib import TTFont

source, index, target = sys.argv[1], int(sys.argv[2]), sys.argv[3]
# Printable ASCII (figures, dates, "Orvandel"), then the listed characters;
# line breaks in the list do not count.
text = "".join(map(chr, range(0x20, 0x7F)))
text += open("form-song.txt", encoding="utf-8").read().replace("\n", "")
options = subset.Options()
options.font_number = index
options.layout_features = ["*"]  # every feature, so text is shaped as before
options.name_IDs = ["*"]         # keeps the copyright and licence entries
options.name_languages = ["*"]
options.notdef_outline = True
font = TTFont(source, fontNumber=index, recalcTimestamp=False)
subsetter = subset.Subsetter(options)
subsetter.populate(text=text)
subsetter.subset(font)
# A face of its own name: the open font licence asks a changed font not to
# pass for the original, and the installed face keeps its name for the
# characters this one lacks.
for record in font["name"].names:
    name = record.toUnicode()
    renamed = name.replace("Noto Serif CJK SC", "Orvandel Song").replace(
        "NotoSerifCJKsc", "OrvandelSong")
    if renamed != name:
        record.string = renamed
font.save(target)
EOF
    echo "res/form-song-$lower.otf: $(wc -c <"form-song-$lower.otf") bytes from $match"
done

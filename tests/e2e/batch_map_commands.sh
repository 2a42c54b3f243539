#!/usr/bin/env bash
# The map commands of `glebora --batch` against files made and checked by
# other software: ImageMagick writes the heightmap we import and reads the
# pictures we export, pngcheck validates every PNG of a saved map, and
# assimp reads the OBJ mesh back.
set -euo pipefail
BUILD="$1"
GLEBORA="$BUILD/glebora"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

fail() { echo "FAIL: $*" >&2; exit 1; }
pixel16() { convert "$1" -format "%[fx:round(p{$2,$3}.r*65535)]" info:; }
# ImageMagick 6 reads bottom-up grey TGA files upside down; Pillow does not.
pixel8() { /usr/bin/python3 -c "from PIL import Image; print(Image.open('$1').getpixel(($2, $3)))"; }

"$GLEBORA" --batch new maps/none.map --size 65 2>err.txt && fail "saving into a missing folder succeeded"
grep -q "could not\|Could not" err.txt || fail "no error text for an unwritable map: $(cat err.txt)"

mkdir maps
"$GLEBORA" --batch new maps/island.map --size 65 --divisions 1 --colormap 256 --details 8 --rgb-lightmap
for f in island.map island.png island_c0.png island_c3.png island_d3.png island_dd3.png island_l3.png; do
  [ -f "maps/$f" ] || fail "new map did not write $f"
done
for png in maps/*.png; do pngcheck -q "$png" >/dev/null || fail "pngcheck rejects $png"; done
ls maps | grep -q saving && fail "temporary files left behind"

"$GLEBORA" --batch info maps/island.map > info.txt
grep -q "MapName: island.map" info.txt || fail "info: $(cat info.txt)"
grep -q "Terrain Size: 65x65" info.txt || fail "info size: $(cat info.txt)"
grep -q "Texture Splits: 1" info.txt || fail "info splits: $(cat info.txt)"
grep -q "Colormap Size: 256x256" info.txt || fail "info colormap: $(cat info.txt)"

# A 16-bit gradient from ImageMagick, white at the top row.
convert -size 65x65 gradient:white-black -depth 16 gradient.png
"$GLEBORA" --batch import-heightmap maps/island.map gradient.png
"$GLEBORA" --batch export-heightmap maps/island.map out.png
[ "$(pixel16 out.png 0 0)" = 65535 ] || fail "top row exported as $(pixel16 out.png 0 0)"
[ "$(pixel16 out.png 10 64)" = 0 ] || fail "bottom row exported as $(pixel16 out.png 10 64)"
[ "$(pixel16 out.png 5 32)" = "$(pixel16 gradient.png 5 32)" ] || fail "middle row changed on the way"
pngcheck -q out.png >/dev/null || fail "pngcheck rejects the exported heightmap"

"$GLEBORA" --batch export-heightmap maps/island.map out.tga
[ "$(pixel8 out.tga 0 0)" = 255 ] || fail "8-bit export of the top row is $(pixel8 out.tga 0 0)"

"$GLEBORA" --batch export-heightmap maps/island.map out.obj
assimp info out.obj > obj.txt 2>&1 || fail "assimp cannot read the OBJ: $(cat obj.txt)"
grep -Eq "Vertices: +4225" obj.txt || fail "OBJ vertex count: $(grep -i vertices obj.txt)"
grep -Eq "Faces: +8192" obj.txt || fail "OBJ face count: $(grep -i faces obj.txt)"

"$GLEBORA" --batch export-heightmap maps/island.map out.bmp 2>/dev/null && fail "BMP export claimed success"
[ -e out.bmp ] && fail "BMP export wrote a file"
"$GLEBORA" --batch export-heightmap maps/island.map noextension 2>/dev/null && fail "export without extension claimed success"
"$GLEBORA" --batch info maps/missing.map 2>/dev/null && fail "info on a missing map succeeded"
"$GLEBORA" --batch frobnicate 2>/dev/null && fail "an unknown command succeeded"

# A map whose heightmap is not 2^k+1 fails with the file named.
convert -size 64x64 xc:gray -depth 16 maps/island.png
"$GLEBORA" --batch info maps/island.map 2>err.txt && fail "a 64x64 heightmap loaded"
grep -q "island.png" err.txt || fail "the error does not name the heightmap: $(cat err.txt)"
echo "batch map commands: all checks passed"

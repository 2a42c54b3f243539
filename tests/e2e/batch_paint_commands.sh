#!/usr/bin/env bash
# The paint commands of `glebora --batch`: detail weights keep their sum,
# shared tile borders stay equal, textured colour painting reads a picture
# made by ImageMagick, runs repeat exactly, and refused commands leave the
# map files untouched. Pictures are read back with Pillow and pngcheck.
set -euo pipefail
BUILD="$1"
GLEBORA="$BUILD/glebora"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

fail() { echo "FAIL: $*" >&2; exit 1; }
pixel() { /usr/bin/python3 -c "from PIL import Image; print(Image.open('$1').getpixel(($2, $3)))"; }

# 65 samples in 2 x 2 tiles of 64 pixels: two pixels per cell.
"$GLEBORA" --batch new m.map --size 65 --divisions 1 --detailmap 128 --colormap 128 --details 8

"$GLEBORA" --batch paint-detail m.map 6 20 20 --radius 4 --softness 0
[ "$(pixel m_dd0.png 40 40)" = "(0, 255, 0, 0)" ] || fail "slot 6 at the centre: $(pixel m_dd0.png 40 40)"
[ "$(pixel m_d0.png 40 40)" = "(0, 0, 0, 0)" ] || fail "slot 1 not cleared: $(pixel m_d0.png 40 40)"

# A noisy, soft stroke over the border of tiles 0 and 1.
"$GLEBORA" --batch paint-detail m.map 2 32 20 --radius 6 --noise 1 --amount 0.7
/usr/bin/python3 - <<'PY' || fail "detail masks after the border stroke"
from PIL import Image
d = [Image.open("m_d%d.png" % i) for i in range(4)]
dd = [Image.open("m_dd%d.png" % i) for i in range(4)]
for tiles in (d, dd):
    for v in range(64):
        assert tiles[0].getpixel((63, v)) == tiles[1].getpixel((0, v)), ("border", v)
painted = 0
for i in range(4):
    for v in range(64):
        for u in range(64):
            a, b = d[i].getpixel((u, v)), dd[i].getpixel((u, v))
            assert sum(a) + sum(b) == 255, (i, u, v, a, b)
            painted += a[1] > 0
assert painted > 20, painted
PY

# The noise table is filled as the editor fills it: the same strokes on a
# new map of the same kind give the same pictures.
"$GLEBORA" --batch new n.map --size 65 --divisions 1 --detailmap 128 --colormap 128 --details 8
"$GLEBORA" --batch paint-detail n.map 6 20 20 --radius 4 --softness 0
"$GLEBORA" --batch paint-detail n.map 2 32 20 --radius 6 --noise 1 --amount 0.7
cmp -s n_d1.png m_d1.png || fail "the same stroke on the same map painted differently"

convert -size 2x2 xc:'rgb(100,150,200)' tex.png
"$GLEBORA" --batch paint-color m.map FFFFFFFF 50 50 --radius 3 --softness 0 --texture tex.png
[ "$(pixel m_c3.png 36 36)" = "(100, 150, 200)" ] || fail "textured colour: $(pixel m_c3.png 36 36)"
"$GLEBORA" --batch paint-color m.map FF0000FF 10 50 --radius 3 --softness 0
[ "$(pixel m_c2.png 20 36)" = "(0, 0, 255)" ] || fail "plain colour: $(pixel m_c2.png 20 36)"
for png in m*.png; do pngcheck -q "$png" >/dev/null || fail "pngcheck rejects $png"; done

md5sum m* > before.txt
"$GLEBORA" --batch paint-detail m.map 9 10 10 2>/dev/null && fail "slot 9 accepted"
"$GLEBORA" --batch paint-detail m.map 1 70 10 2>/dev/null && fail "a point off the map accepted"
"$GLEBORA" --batch paint-color m.map 12345 10 10 2>/dev/null && fail "a short colour accepted"
"$GLEBORA" --batch paint-color m.map FF00FF00 10 10 --texture missing.png 2>/dev/null && fail "a missing texture accepted"
"$GLEBORA" --batch paint-detail m.map 1 10 10 --slopes 2 2>/dev/null && fail "bad slope buttons accepted"
md5sum m* | cmp -s - before.txt || fail "a refused command changed the map files"
ls | grep -q saving && fail "temporary files left behind"
exit 0

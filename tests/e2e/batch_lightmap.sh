#!/usr/bin/env bash
# `glebora --batch lightmap`: relights a saved map from its heights and its
# own light, with or without shadows, and saves the sharp lightmap.
set -euo pipefail
BUILD="$1"
GLEBORA="$BUILD/glebora"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
fail() { echo "FAIL: $*" >&2; exit 1; }
# Pixel of a picture as Pillow reads it: a number, or a tuple for RGB.
pixel() { /usr/bin/python3 -c "from PIL import Image; print(Image.open('$1').getpixel(($2, $3)))"; }
mode() { /usr/bin/python3 -c "from PIL import Image; print(Image.open('$1').mode)"; }

# 65 samples, one 128-texel tile: texel t lies at t * 65 / 128.
"$GLEBORA" --batch new m.map --size 65 --lightmap 128
flat="$(pixel m_l.png 64 64)"
[ "$flat" = 167 ] || fail "a new map's flat light is $flat, not 167"

# A hill in the middle. The default light comes from +z (up 26.6 degrees),
# so its +z slope faces the light and its shadow falls toward -z.
"$GLEBORA" --batch brush m.map raise 32 32 --radius 12 --amount 40
"$GLEBORA" --batch lightmap m.map --no-shadows
cp m_l.png plain.png
lit="$(pixel plain.png 63 75)"      # x 32, z 38
away="$(pixel plain.png 63 51)"     # x 32, z 26
behind="$(pixel plain.png 63 27)"   # x 32, z 14: level ground behind the hill
corner="$(pixel plain.png 5 120)"
[ "$lit" -gt "$flat" ] || fail "the slope facing the light is $lit, not brighter than $flat"
[ "$away" -lt "$flat" ] || fail "the slope facing away is $away, not darker than $flat"
[ "$(( behind - flat ))" -ge -1 ] && [ "$(( behind - flat ))" -le 0 ] || fail "level ground is $behind, not $flat"
[ "$(( corner - flat ))" -ge -1 ] && [ "$(( corner - flat ))" -le 0 ] || fail "the far corner is $corner"

"$GLEBORA" --batch lightmap m.map
shaded="$(pixel m_l.png 63 27)"
[ "$shaded" -lt "$behind" ] || fail "no shadow behind the hill ($shaded vs $behind)"
[ "$(pixel m_l.png 63 75)" = "$lit" ] || fail "shadows changed the lit slope"
[ "$(pixel m_l.png 5 120)" = "$corner" ] || fail "shadows changed the open corner"

# The saved lightmap is the computed one, not a blurred read-back: saving
# it again through another run changes nothing.
cp m_l.png first.png
"$GLEBORA" --batch lightmap m.map
cmp -s first.png m_l.png || fail "a second run changed the saved lightmap"
grep -q "^lightMapBlur" m.map || fail "the map lost its lightmap keys"

# With shadows switched off in the map, --no-shadows makes no difference.
sed -i 's/^enableShadows .*/enableShadows 0/' m.map
grep -q "^enableShadows 0" m.map || fail "could not switch shadows off: $(grep -i shadows m.map)"
"$GLEBORA" --batch lightmap m.map
cmp -s plain.png m_l.png || fail "disabled shadows still shaded the map"

# Colour lightmaps stay RGB; four tiles for two divisions.
"$GLEBORA" --batch new c.map --size 65 --divisions 1 --lightmap 128 --rgb-lightmap
"$GLEBORA" --batch brush c.map raise 32 32 --radius 12 --amount 40
"$GLEBORA" --batch lightmap c.map
for i in 0 1 2 3; do
  [ "$(mode c_l$i.png)" = RGB ] || fail "c_l$i.png is $(mode c_l$i.png)"
  pngcheck -q "c_l$i.png" >/dev/null || fail "pngcheck rejects c_l$i.png"
done

# Mistakes fail with a message and leave the map alone.
cp m_l.png before.png
"$GLEBORA" --batch lightmap 2>err.txt && fail "lightmap without a map succeeded"
grep -q "lightmap needs one map" err.txt || fail "no usage text: $(cat err.txt)"
"$GLEBORA" --batch lightmap m.map --shadows 2 2>err.txt && fail "an unknown option was accepted"
grep -q "does not know the option --shadows" err.txt || fail "unclear message: $(cat err.txt)"
"$GLEBORA" --batch lightmap missing.map 2>err.txt && fail "a missing map succeeded"
grep -q "missing.map" err.txt || fail "the error does not name the map: $(cat err.txt)"
cmp -s before.png m_l.png || fail "a failed run changed the lightmap"
echo "batch lightmap: all checks passed"

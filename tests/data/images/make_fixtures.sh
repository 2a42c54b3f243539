#!/usr/bin/env bash
# Makes the image fixtures of this folder with ImageMagick 6 (/usr/bin/convert)
# and Python Pillow. Run once; the results are committed and the tests do not
# run this script. See README.md for what each file covers.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
PY=/usr/bin/python3

# Source pictures (Pillow). The tests recompute these formulas.
#   pattern 7x5 RGB: (30x+5, 40y+10, (9xy+60) mod 256), 35 distinct colours
#   few 7x5 RGB: colour index (x + 2y) mod 12 in the table FEW below
#   bw 9x3: white where (x + y) is even, else black
#   grey 6x4: 17 * ((x + 3y) mod 16)       (exact at 4 bits)
#   grey16 5x3: 4369*x + 1111*y + 7        (16-bit)
#   rgba 4x3: (60x, 80y, 200, 50 + 60x)
#   quad 8x8: four 4x4 quadrants red, green, blue, white (for DXT blocks);
#     quad_alpha the same with alpha 255, 255, 255, 136
$PY - <<'PY'
from PIL import Image
FEW = [(0,0,0),(255,0,0),(0,255,0),(0,0,255),(255,255,0),(0,255,255),(255,0,255),(255,255,255),
       (128,0,0),(0,128,0),(0,0,128),(128,128,128)]
p = Image.new("RGB", (7, 5))
f = Image.new("RGB", (7, 5))
for y in range(5):
    for x in range(7):
        p.putpixel((x, y), (30*x+5, 40*y+10, (9*x*y+60) % 256))
        f.putpixel((x, y), FEW[(x + 2*y) % 12])
p.save("src_pattern.png"); f.save("src_few.png")
bw = Image.new("RGB", (9, 3))
for y in range(3):
    for x in range(9):
        bw.putpixel((x, y), (255,255,255) if (x+y) % 2 == 0 else (0,0,0))
bw.save("src_bw.png")
g = Image.new("L", (6, 4))
for y in range(4):
    for x in range(6):
        g.putpixel((x, y), 17 * ((x + 3*y) % 16))
g.save("src_grey.png")
g16 = Image.new("I;16", (5, 3))
for y in range(3):
    for x in range(5):
        g16.putpixel((x, y), 4369*x + 1111*y + 7)
g16.save("png_grey16_pillow.png")
a = Image.new("RGBA", (4, 3))
for y in range(3):
    for x in range(4):
        a.putpixel((x, y), (60*x, 80*y, 200, 50 + 60*x))
a.save("src_rgba.png")
q = Image.new("RGB", (8, 8))
for y in range(8):
    for x in range(8):
        q.putpixel((x, y), [(255,0,0),(0,255,0),(0,0,255),(255,255,255)][(x >= 4) + 2*(y >= 4)])
q.save("src_quad.png")
qa = q.convert("RGBA")
for y in range(4, 8):
    for x in range(4, 8):
        qa.putpixel((x, y), (255, 255, 255, 136))
qa.save("src_quad_alpha.png")

# Pillow writers.
p.save("bmp_v3_24_pillow.bmp")                       # 40-byte header, 24 bits
a.save("bmp_v3_32_pillow.bmp")                       # 40-byte header, 32 bits BI_RGB
f.convert("P", palette=Image.ADAPTIVE, colors=12).save("png_palette_pillow.png")
la = Image.new("LA", (4, 2))
for x in range(4):
    for y in range(2):
        la.putpixel((x, y), (40*x + 10, 100 + 50*y))
la.save("png_grey_alpha_pillow.png")
g.save("png_grey_trns_pillow.png", transparency=17*5)
p.save("png_rgb_trns_pillow.png", transparency=(35, 50, 69))    # pixel (1, 1)
pal = f.convert("P", palette=Image.ADAPTIVE, colors=12)
pal.save("png_palette_trns_pillow.png", transparency=pal.getpixel((0, 0)))
p.save("tga_rle_topleft_id_pillow.tga", compression="tga_rle", orientation=1, id_section=b"glebora")
g.save("tga_grey_topleft_pillow.tga", orientation=1)
PY

# ImageMagick writers.
$IM src_pattern.png BMP2:bmp_core12_24_im.bmp                     # 12-byte OS/2 core header
$IM src_pattern.png bmp_v5_24_im.bmp                              # 124-byte header
$IM src_pattern.png -define bmp:subtype=RGB565 bmp_v5_565_im.bmp  # BI_BITFIELDS 16
$IM src_pattern.png -define bmp:subtype=RGB555 bmp_v5_555_im.bmp
$IM src_rgba.png bmp_v5_32_bitfields_im.bmp                       # BI_BITFIELDS 32 with alpha
$IM src_pattern.png -type palette -compress none BMP3:bmp_v3_8_im.bmp
$IM src_pattern.png -type palette -compress RLE BMP3:bmp_v3_rle8_im.bmp
$IM src_few.png -type palette -compress none BMP3:bmp_v3_4_im.bmp
$IM src_bw.png -type bilevel -compress none BMP3:bmp_v3_1_im.bmp
$IM src_bw.png -type bilevel -compress none BMP2:bmp_core12_1_im.bmp

# ImageMagick 6 writes TGA rows in memory order whatever origin it declares,
# so bottom-left files are flipped first to make them what they claim.
$IM src_pattern.png -flip -orient BottomLeft -compress RLE tga_rle_im.tga      # type 10
$IM src_grey.png -type grayscale -orient TopLeft -compress RLE tga_grey_rle_im.tga  # type 11
$IM src_rgba.png -flip -orient BottomLeft tga_rgba_im.tga                      # 32 bits, alpha

$IM src_grey.png -depth 4 -type grayscale png_grey4_im.png
$IM src_bw.png -type bilevel -depth 1 png_grey1_im.png
$IM src_few.png -type palette -depth 4 png_palette4_im.png       # palette samples cut to 4 bits
$IM src_pattern.png PNG48:png_rgb16_im.png
$IM src_rgba.png PNG32:png_rgba_im.png
$IM src_rgba.png png_palette4_trns_im.png                          # IM picks 4-bit palette + tRNS
$IM src_pattern.png -interlace PNG PNG24:png_interlaced_im.png
$IM png_grey16_pillow.png -interlace PNG png_grey16_interlaced_im.png

# ImageMagick 6 writes DXT1 and DXT5 (it has no DXT3 writer); 8x8 with 3 mip levels.
$IM src_quad.png -define dds:compression=dxt1 -define dds:mipmaps=3 dds_dxt1_im.dds
$IM src_quad_alpha.png -define dds:compression=dxt5 -define dds:mipmaps=3 dds_dxt5_im.dds

# Variants ImageMagick and Pillow cannot write, derived from their files:
# the 108-byte header (the 124-byte one without its colour-profile tail),
# the 40-byte header with its masks following it, and a top-down file.
$PY - <<'PY'
import struct
def rewrite_header(src, dst, new_size, extra=b""):
    b = open(src, "rb").read()
    off = struct.unpack_from("<I", b, 10)[0]
    old_size = struct.unpack_from("<I", b, 14)[0]
    header = bytearray(b[14:14 + old_size])[:new_size]
    struct.pack_into("<I", header, 0, new_size)
    rest = b[14 + old_size:]
    new_off = off - old_size + new_size + len(extra)
    out = bytearray(b[:14]) + header + extra + rest
    struct.pack_into("<I", out, 10, new_off)
    struct.pack_into("<I", out, 2, len(out))
    open(dst, "wb").write(out)
rewrite_header("bmp_v5_24_im.bmp", "bmp_v4_24_derived.bmp", 108)
b = open("bmp_v5_565_im.bmp", "rb").read()
rewrite_header("bmp_v5_565_im.bmp", "bmp_v3_565_masks_derived.bmp", 40, b[14 + 40:14 + 52])

b = bytearray(open("bmp_v3_24_pillow.bmp", "rb").read())
off = struct.unpack_from("<I", b, 10)[0]
w, h = struct.unpack_from("<ii", b, 18)
stride = (w * 3 + 3) // 4 * 4
rows = [b[off + r*stride: off + (r+1)*stride] for r in range(h)]
struct.pack_into("<i", b, 22, -h)
b[off:] = b"".join(reversed(rows))
open("bmp_v3_24_topdown_derived.bmp", "wb").write(b)

# DXT3 from the DXT5 file: same colour blocks, the interpolated alpha
# blocks decoded and stored as explicit 4-bit alpha.
def dxt5_alpha(block):
    a0, a1 = block[0], block[1]
    if a0 > a1:
        table = [a0, a1] + [((7 - i) * a0 + i * a1) // 7 for i in range(1, 7)]
    else:
        table = [a0, a1] + [((5 - i) * a0 + i * a1) // 5 for i in range(1, 5)] + [0, 255]
    bits = int.from_bytes(block[2:8], "little")
    return [table[(bits >> (3 * i)) & 7] for i in range(16)]
b = bytearray(open("dds_dxt5_im.dds", "rb").read())
b[84:88] = b"DXT3"
for at in range(128, len(b) - 15, 16):
    alphas = dxt5_alpha(b[at:at + 8])
    nibbles = [(a + 8) // 17 for a in alphas]
    b[at:at + 8] = bytes(nibbles[2*i] | nibbles[2*i + 1] << 4 for i in range(8))
open("dds_dxt3_derived.dds", "wb").write(b)
PY
rm -f src_*.png

#!/usr/bin/env bash
# Regenerates every picture that brenvaltor.rc embeds: the three button faces, the busy
# hourglass, the hover overlay bitmap and the program icon. The results are committed, so
# the build never runs this; run it only after changing the artwork here. Output is
# byte-for-byte the same on every run (no timestamps or other metadata in the files).
#
# Needs ImageMagick 6 (`convert`), python3 (standard library only) and the Liberation
# fonts (Debian: apt-get install imagemagick fonts-liberation).
set -euo pipefail

cd "$(dirname "$0")"

FONT=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf

command -v convert >/dev/null || { echo "ImageMagick's convert is missing (apt-get install imagemagick)" >&2; exit 1; }
[[ -f $FONT ]] || { echo "font $FONT is missing (apt-get install fonts-liberation)" >&2; exit 1; }

# One thread, no metadata: the same input gives the same bytes.
export MAGICK_THREAD_LIMIT=1
PNG_OPTS=(-strip -define 'png:exclude-chunks=date,time')

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- query-button.png (200 x 24): periwinkle face, caption in dark navy ---------------
convert -size 200x24 xc:'rgb(153,172,255)' +antialias \
  -fill 'rgb(226,231,255)' -draw 'rectangle 0,0 199,0' \
  -fill 'rgb(196,207,255)' -draw 'rectangle 0,1 199,1' \
  -fill 'rgb(196,207,255)' -draw 'rectangle 0,1 0,22' \
  -fill 'rgb(110,125,214)' -draw 'rectangle 199,1 199,22' \
  -fill 'rgb(110,125,214)' -draw 'rectangle 1,22 198,22' \
  -fill 'rgb(40,50,128)'   -draw 'rectangle 0,23 199,23' \
  -antialias -font "$FONT" -pointsize 13 -fill 'rgb(0,0,102)' \
  -gravity center -annotate +0+0 'Получить информацию' \
  "${PNG_OPTS[@]}" PNG32:query-button.png

# --- copy-button.png (120 x 24): turquoise face, caption at x 14..90, tick mark ------------
# The program frames the 14 x 14 square at (96, 5) at run time; the tick stays inside it.
convert -size 120x24 xc:'rgb(25,213,223)' +antialias \
  -fill 'rgb(170,244,248)' -draw 'rectangle 0,0 119,0' \
  -fill 'rgb(110,232,238)' -draw 'rectangle 0,1 119,1' \
  -fill 'rgb(110,232,238)' -draw 'rectangle 0,1 0,22' \
  -fill 'rgb(10,160,170)'  -draw 'rectangle 119,1 119,22' \
  -fill 'rgb(10,160,170)'  -draw 'rectangle 1,22 118,22' \
  -fill 'rgb(0,100,112)'   -draw 'rectangle 0,23 119,23' \
  -antialias -font "$FONT" -pointsize 13 -fill 'rgb(0,0,170)' \
  -gravity west -annotate +14+0 'Копировать' -gravity northwest \
  -fill none -stroke 'rgb(0,0,170)' -strokewidth 2.2 -draw 'stroke-linejoin round stroke-linecap round polyline 99,11.5 102.2,15 107,8' \
  "${PNG_OPTS[@]}" PNG32:copy-button.png

# --- send-button.png (40 x 43): a light-grey Enter key with a return arrow ------------------
# Drawn at 4x and averaged down for smooth edges.
convert -size 160x172 xc:none \
  -fill 'rgb(140,140,146)' -stroke 'rgb(96,96,104)' -strokewidth 4 \
  -draw 'roundrectangle 4,6 155,166 22,22' \
  -stroke none -fill 'rgb(176,176,182)' -draw 'roundrectangle 10,10 149,156 18,18' \
  \( -size 160x172 gradient:'rgb(250,250,252)-rgb(214,214,220)' \
     \( -size 160x172 xc:black -fill white -draw 'roundrectangle 16,12 143,140 16,16' \) \
     -alpha off -compose CopyOpacity -composite \) \
  -compose Over -composite \
  -fill none -stroke 'rgb(255,255,255)' -strokewidth 3 -draw 'stroke-linecap round line 30,15 129,15' \
  -stroke 'rgb(62,62,70)' -strokewidth 13 -draw 'stroke-linejoin round stroke-linecap round polyline 110,38 110,98 62,98' \
  -stroke none -fill 'rgb(62,62,70)' -draw 'polygon 36,98 68,73 68,123' \
  -filter Box -resize 40x43 "${PNG_OPTS[@]}" PNG32:send-button.png

# --- busy.png (256 x 256): an hourglass in a wooden frame ----------------------------------
# Coordinates below are for 256 x 256; the canvas is 4x and averaged down at the end.
GLASS='path "M 80,46 L 176,46 C 176,100 134,110 134,128 C 134,146 176,156 176,210 L 80,210 C 80,156 122,146 122,128 C 122,110 80,100 80,46 Z"'
convert -size 1024x1024 xc:none \
  -fill 'rgba(205,232,255,0.55)' -stroke none -draw "scale 4,4 $GLASS" \
  \( -size 1024x1024 xc:none -fill 'rgb(232,186,92)' -stroke none \
     -draw 'scale 4,4 polygon 70,84 100,86 128,96 156,86 186,84 186,132 70,132' \
     -draw 'scale 4,4 path "M 70,212 L 70,200 C 96,186 112,164 128,162 C 144,164 160,186 186,200 L 186,212 Z"' \
     -draw 'scale 4,4 rectangle 126.8,124 129.2,164' \
     -fill 'rgb(250,214,140)' -draw 'scale 4,4 polygon 100,88 128,97 119,101' \
     \( -size 1024x1024 xc:none -fill white -draw "scale 4,4 $GLASS" \) \
     -compose DstIn -composite \) \
  -compose Over -composite \
  -fill none -stroke 'rgb(110,150,190)' -strokewidth 2 -draw "scale 4,4 $GLASS" \
  -stroke none -fill 'rgba(255,255,255,0.8)' \
  -draw 'scale 4,4 path "M 90,56 C 89,84 100,98 114,106 C 101,95 94,84 95,58 Z"' \
  -draw 'scale 4,4 path "M 90,199 C 89,180 96,168 110,157 C 99,170 94,182 95,197 Z"' \
  -stroke 'rgb(84,46,18)' -strokewidth 2 -fill 'rgb(138,82,36)' \
  -draw 'scale 4,4 roundrectangle 52,40 68,216 4,4' \
  -draw 'scale 4,4 roundrectangle 188,40 204,216 4,4' \
  -draw 'scale 4,4 ellipse 60,128 11,16 0,360' \
  -draw 'scale 4,4 ellipse 196,128 11,16 0,360' \
  -draw 'scale 4,4 ellipse 60,66 10,5 0,360 ellipse 60,190 10,5 0,360' \
  -draw 'scale 4,4 ellipse 196,66 10,5 0,360 ellipse 196,190 10,5 0,360' \
  -stroke none -fill 'rgba(226,170,110,0.7)' \
  -draw 'scale 4,4 rectangle 55.5,72 58,122 rectangle 55.5,134 58,184 rectangle 191.5,72 194,122 rectangle 191.5,134 194,184' \
  -draw 'scale 4,4 ellipse 56,124 3,6 0,360 ellipse 192,124 3,6 0,360' \
  -stroke 'rgb(84,46,18)' -strokewidth 2.5 -fill 'rgb(160,98,44)' \
  -draw 'scale 4,4 roundrectangle 34,18 222,46 7,7' \
  -draw 'scale 4,4 roundrectangle 34,210 222,238 7,7' \
  -stroke none -fill 'rgb(196,134,72)' \
  -draw 'scale 4,4 roundrectangle 40,22 216,28 3,3' \
  -draw 'scale 4,4 roundrectangle 40,214 216,220 3,3' \
  -fill none -stroke 'rgb(120,70,28)' -strokewidth 1.5 \
  -draw 'scale 4,4 path "M 48,36 C 90,31 120,40 160,35 S 200,32 210,37"' \
  -draw 'scale 4,4 path "M 60,42 C 100,39 130,44 190,40"' \
  -draw 'scale 4,4 path "M 46,228 C 80,232 120,224 170,229 S 200,232 212,228"' \
  -draw 'scale 4,4 path "M 66,234 C 110,231 150,236 196,233"' \
  -filter Box -resize 256x256 "${PNG_OPTS[@]}" PNG32:busy.png

# --- brenvaltor.ico (64, 32 and 16 px, 32-bit): a modem stick with signal bars -------------
# The picture is drawn once on a 64-unit grid at 4x, then averaged down to each size.
convert -size 256x256 xc:none \
  -stroke 'rgb(12,40,110)' -strokewidth 1.25 \
  -fill 'rgb(70,150,245)' -draw 'scale 4,4 roundrectangle 32,20 37,26 1,1' \
  -fill 'rgb(70,150,245)' -draw 'scale 4,4 roundrectangle 40,15 45,26 1,1' \
  -fill 'rgb(70,150,245)' -draw 'scale 4,4 roundrectangle 48,10 53,26 1,1' \
  -fill 'rgb(70,150,245)' -draw 'scale 4,4 roundrectangle 56,4 61,26 1,1' \
  -fill 'rgb(206,212,224)' -stroke 'rgb(84,92,110)' -draw 'scale 4,4 roundrectangle 2,36 16,54 1.5,1.5' \
  -stroke none -fill 'rgb(84,92,110)' -draw 'scale 4,4 rectangle 6,40 9,43 rectangle 6,47 9,50' \
  \( -size 256x256 gradient:'rgb(60,130,235)-rgb(16,56,160)' \
     \( -size 256x256 xc:black -fill white -draw 'scale 4,4 roundrectangle 14,30 61,60 7,7' \) \
     -alpha off -compose CopyOpacity -composite \) \
  -compose Over -composite \
  -fill none -stroke 'rgb(12,40,110)' -strokewidth 1.25 -draw 'scale 4,4 roundrectangle 14,30 61,60 7,7' \
  -stroke none -fill 'rgb(150,200,255)' -draw 'scale 4,4 roundrectangle 21,37 47,53 3,3' \
  -fill 'rgb(130,240,255)' -draw 'scale 4,4 circle 54,45 54,48' \
  "${PNG_OPTS[@]}" PNG32:"$work/icon.png"
for size in 64 32 16; do
  convert "$work/icon.png" -filter Box -resize ${size}x${size} -depth 8 RGBA:"$work/icon-$size.rgba"
done

# --- hover-overlay.bmp and the .ico container, written byte by byte -------------------------
python3 - "$work" <<'PY'
import struct
import sys

work = sys.argv[1]

# hover-overlay.bmp: 300 x 76, 24 bpp, bottom-up, plain BITMAPINFOHEADER. A vertical blue
# gradient through these rows, linear in between; every column of a row is the same.
WIDTH, HEIGHT = 300, 76
ANCHORS = [(0, (107, 187, 237)), (3, (67, 160, 231)), (38, (59, 139, 230)),
           (60, (51, 125, 228)), (75, (67, 133, 228))]


def row_colour(y):
    for (y0, c0), (y1, c1) in zip(ANCHORS, ANCHORS[1:]):
        if y0 <= y <= y1:
            return tuple(int(a + (b - a) * (y - y0) / (y1 - y0) + 0.5) for a, b in zip(c0, c1))
    raise ValueError(y)


stride = (WIDTH * 3 + 3) & ~3
pixels = bytearray()
for y in reversed(range(HEIGHT)):  # bottom row first
    r, g, b = row_colour(y)
    row = bytes((b, g, r)) * WIDTH
    pixels += row + bytes(stride - len(row))
info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
with open("hover-overlay.bmp", "wb") as f:
    f.write(header + info + pixels)

# brenvaltor.ico: each size as a 32-bit BGRA DIB with its AND mask (set where fully clear).
images = []
for size in (64, 32, 16):
    with open(f"{work}/icon-{size}.rgba", "rb") as f:
        rgba = f.read()
    assert len(rgba) == size * size * 4
    xor, mask = bytearray(), bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        line = rgba[y * size * 4:(y + 1) * size * 4]
        bits = 0
        row_mask = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = line[x * 4:x * 4 + 4]
            xor += bytes((b, g, r, a))
            if a == 0:
                row_mask[x // 8] |= 0x80 >> (x % 8)
        mask += row_mask
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    images.append((size, info + xor + mask))

out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in images:
    out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open("brenvaltor.ico", "wb") as f:
    f.write(out + b"".join(data for _, data in images))
PY

echo "artwork regenerated in $(pwd)"

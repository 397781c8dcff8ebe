#!/usr/bin/python3
# Quorel — SPDX-License-Identifier: MIT
# The reader fixtures in tests/data/{bmp,gif,jpeg,png}, made by other encoders (Pillow, ImageMagick's
# convert, libjpeg-turbo's cjpeg), each beside the pixels Pillow decodes from it, as <name>.rgb: b"QRGB",
# width and height (u32 LE), RGB triples top row first; files our readers must refuse get none.
# Run: scripts/install-deps.sh fixtures && tests/data/make_fixtures.py
import io, os, struct, subprocess, tempfile
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))

def path(folder, name):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    return os.path.join(HERE, folder, name)

def dump(file_path, image=None):
    image = Image.open(file_path) if image is None else image  # alpha over white as the PNG reader does it
    if image.mode in ("RGBA", "LA", "PA") or "transparency" in image.info and image.mode != "P":
        rgba = image.convert("RGBA")
        out = bytes((c * a + 255 * (255 - a) + 127) // 255 for *px, a in rgba.getdata() for c in px)
        image = Image.frombytes("RGB", rgba.size, out)
    rgb = image.convert("RGB")
    header = b"QRGB" + struct.pack("<II", *rgb.size)
    open(os.path.splitext(file_path)[0] + ".rgb", "wb").write(header + rgb.tobytes())

def save(image, folder, name, **options):
    image.save(path(folder, name), **options), dump(path(folder, name))

def picture(width, height):  # distinct colours in every pixel and a few hard edges
    image = Image.new("RGB", (width, height))
    image.putdata([((x * 37 + y * 11) % 256, (y * 53 + 7) % 256, (x * 19 + y * 29 + 100) % 256)
                   for y in range(height) for x in range(width)])
    image.putpixel((0, 0), (255, 0, 0))
    image.putpixel((width - 1, height - 1), (0, 0, 255))
    return image

def convert(source_image, *args):
    with tempfile.TemporaryDirectory() as tmp:
        source_image.save(os.path.join(tmp, "src.png"))
        subprocess.run(["convert", os.path.join(tmp, "src.png"), *args], check=True)

def write_bmp(name, info, masks, rows):
    data = info + masks + rows
    open(path("bmp", name + ".bmp"), "wb").write(
        b"BM" + struct.pack("<IHHI", 14 + len(data), 0, 0, 14 + len(info) + len(masks)) + data)

def make_bmp():
    base, pal12 = picture(7, 5), picture(7, 5).quantize(12)
    w, h = base.size
    save(base.convert("1"), "bmp", "pal1.bmp")
    save(base.quantize(200), "bmp", "pal8.bmp")
    save(base, "bmp", "rgb24.bmp")
    # ImageMagick: 4-bit, the 12-byte core header, 32-bit BI_RGB, RLE and v5 headers.
    convert(pal12, "-type", "Palette", "BMP3:" + path("bmp", "pal4.bmp"))
    convert(pal12, "-type", "Palette", "BMP2:" + path("bmp", "core12-pal4.bmp"))
    convert(base, "-type", "TrueColor", "BMP2:" + path("bmp", "core12-rgb24.bmp"))
    rgba = base.convert("RGBA")
    rgba.putpixel((1, 1), (10, 20, 30, 128))  # a pixel with alpha keeps ImageMagick at 32 bits
    convert(rgba, "-define", "bmp3:alpha=true", "BMP3:" + path("bmp", "rgb32.bmp"))
    convert(pal12, "-type", "Palette", "-compress", "RLE", "BMP3:" + path("bmp", "rle8.bmp"))
    convert(base.convert("RGBA"), "-type", "TrueColorAlpha", "BMP:" + path("bmp", "v5-rgb32.bmp"))
    # Layouts no encoder at hand writes with a 40-byte header, packed here.
    rows = [[base.getpixel((x, y)) for x in range(w)] for y in reversed(range(h))]
    rgb555 = lambda r, g, b: ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)
    rgb565 = lambda r, g, b: ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
    for name, bits, masks, pixel in (
            ("rgb16-555", 16, b"", rgb555), ("rgb16-bf565", 16, (0xF800, 0x07E0, 0x001F), rgb565),
            ("rgb16-bf555", 16, (0x7C00, 0x03E0, 0x001F), rgb555),
            ("rgb32-bf", 32, (0xFF0000, 0x00FF00, 0x0000FF), lambda r, g, b: b | g << 8 | r << 16)):
        packed = b"".join(b"".join(struct.pack("<H" if bits == 16 else "<I", pixel(*p)) for p in row)
                          .ljust((bits * w // 8 + 3) & ~3, b"\0") for row in rows)
        masks = struct.pack("<III", *masks) if masks else b""
        info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 3 if masks else 0, len(packed),
                           2835, 2835, 0, 0)
        write_bmp(name, info, masks, packed)
    # Top-down: Pillow's own files with their rows reversed and the height negated.
    for name in ("rgb24", "pal8"):
        data = bytearray(open(path("bmp", name + ".bmp"), "rb").read())
        off, bits = struct.unpack_from("<I", data, 10)[0], struct.unpack_from("<H", data, 28)[0]
        stride = ((bits * w + 31) // 32) * 4
        stored = [bytes(data[off + i * stride: off + (i + 1) * stride]) for i in range(h)]
        data[off:off + stride * h] = b"".join(reversed(stored))
        struct.pack_into("<i", data, 22, -h)
        open(path("bmp", "topdown-" + name + ".bmp"), "wb").write(data)
    # A version-4 header (108 bytes): Pillow's 24-bit file with the header widened.
    data = open(path("bmp", "rgb24.bmp"), "rb").read()
    write_bmp("v4-rgb24", struct.pack("<I", 108) + data[18:54] + bytes(68), b"", data[54:])
    for name in ("pal4", "core12-pal4", "core12-rgb24", "rgb32", "rgb16-555", "rgb16-bf565", "rgb16-bf555",
                 "rgb32-bf", "topdown-rgb24", "topdown-pal8", "v4-rgb24", "v5-rgb32"):
        dump(path("bmp", name + ".bmp"))

def make_gif():
    base = picture(7, 5).quantize(16)
    save(base, "gif", "plain.gif", interlace=False)
    save(picture(16, 19).quantize(64), "gif", "interlaced.gif", interlace=True)
    # Graphic control (transparent index) and comment extensions before the image.
    save(base, "gif", "extensions.gif", interlace=False, transparency=3, comment=b"Quorel")
    frames = [picture(7, 5).quantize(8), picture(5, 7).rotate(90, expand=True).quantize(8)]
    save(frames[0], "gif", "animated.gif", save_all=True, append_images=frames[1:], duration=100, loop=0,
         interlace=False)
    # A local colour table: ImageMagick's file with its global table moved behind the image descriptor.
    convert(base, "-interlace", "none", "GIF:" + path("gif", "local-table.gif"))
    data = open(path("gif", "local-table.gif"), "rb").read()
    flags = data[10]
    assert flags & 0x80
    table, rest = data[13:13 + 3 * (2 << (flags & 7))], data[13 + 3 * (2 << (flags & 7)):]
    at = rest.index(b",")
    descriptor = bytearray(rest[at:at + 10])
    descriptor[9] |= 0x80 | (flags & 7)
    screen = data[:10] + bytes([flags & 0x70]) + data[11:13]
    image = rest[:at] + bytes(descriptor) + table + rest[at + 10:]
    open(path("gif", "local-table.gif"), "wb").write(screen + image)
    dump(path("gif", "local-table.gif"))
    # Cut in the middle of the image data: its reference is the whole file's.
    data = open(path("gif", "interlaced.gif"), "rb").read()
    open(path("gif", "truncated.gif"), "wb").write(data[:len(data) * 2 // 3])

def make_jpeg():
    base = picture(16, 9)
    save(base.convert("L"), "jpeg", "grey.jpg", quality=90)
    save(base, "jpeg", "colour.jpg", quality=90)
    save(base, "jpeg", "progressive.jpg", quality=90, progressive=True)
    base.convert("CMYK").save(path("jpeg", "cmyk.jpg"), quality=90)
    with tempfile.TemporaryDirectory() as tmp:
        base.save(os.path.join(tmp, "src.ppm"))
        for name, options in (("restart", ["-restart", "1B"]), ("rgb", ["-rgb"]),
                              ("arithmetic", ["-arithmetic"])):
            subprocess.run(["cjpeg", "-quality", "90", *options, "-outfile", path("jpeg", name + ".jpg"),
                            os.path.join(tmp, "src.ppm")], check=True)
    dump(path("jpeg", "restart.jpg")), dump(path("jpeg", "rgb.jpg"))
    # Cut halfway through the scan: the reference is the whole file's (the rows before the cut match).
    whole = io.BytesIO()
    picture(16, 48).save(whole, "JPEG", quality=90)
    data = whole.getvalue()
    scan = data.index(b"\xff\xda")
    open(path("jpeg", "truncated.jpg"), "wb").write(data[:scan + (len(data) - scan) // 2])
    dump(path("jpeg", "truncated.jpg"), Image.open(io.BytesIO(data)))

def make_png():
    base = picture(7, 5)
    save(base, "png", "rgb8.png")
    save(base.convert("L"), "png", "grey8.png")
    save(base.quantize(16), "png", "palette-trns.png", transparency=2)
    rgba = base.convert("RGBA")
    rgba.putalpha(Image.linear_gradient("L").resize(base.size))
    save(rgba, "png", "rgba8.png")
    save(picture(16, 9), "png", "interlaced.png", interlace=True)
    Image.frombytes("I;16", (7, 5), bytes(range(70))).save(path("png", "grey16.png"))
    # 16-bit grey: Pillow keeps 16 bits; the reference is the rounded 8-bit value.
    grey8 = bytes((v * 255 + 32767) // 65535 for v in struct.unpack("<35H", bytes(range(70))))
    dump(path("png", "grey16.png"), Image.frombytes("L", (7, 5), grey8))

if __name__ == "__main__":
    make_bmp(), make_gif(), make_jpeg(), make_png()

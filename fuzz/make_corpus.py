#!/usr/bin/env python3
# Writes the fuzz targets' seed inputs into fuzz/corpus/<target>/: a few small valid
# inputs of every kind each target reads (profile texts, every bitmap flavour, density
# texts, framed work folders, packages). Run it again after changing it; the files are
# committed. The packages are made by the project's own klvconv from work folders:
#   fuzz/make_corpus.py [build/dev/bin/klvconv]
# Without klvconv the package seeds are left as they are.
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("cp932")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def row_bytes(bits, width):
    return (bits * width + 31) // 32 * 4


def bmp(width, height, bits, pixels=None, compression=0, palette=None, header_size=40,
        masks=None, image_size=None, top_down=False, used_colors=0):
    """A BMP file image. `pixels` is the raw pixel data (rows padded), generated when
    absent. `palette` is a list of (r, g, b)."""
    if pixels is None:
        stride = row_bytes(bits, width)
        pixels = bytes((i * 37 + 11) & 0xFF for i in range(stride * height))
    if palette is None and bits <= 8:
        count = used_colors or (1 << bits)
        palette = [((i * 53) & 0xFF, (i * 97) & 0xFF, (i * 191) & 0xFF) for i in range(count)]
    table = b""
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        for r, g, b in palette or []:
            table += bytes((b, g, r))
    else:
        h = -height if top_down else height
        size_field = len(pixels) if image_size is None else image_size
        info = struct.pack("<IiiHHIIiiII", header_size, width, h, 1, bits, compression,
                           size_field, 2835, 2835, used_colors, 0)
        extra = b""
        if header_size >= 52 and masks:
            extra += struct.pack("<III", *masks[:3])
            if header_size >= 56:
                extra += struct.pack("<I", masks[3] if len(masks) > 3 else 0)
        info += extra
        info += bytes(header_size - len(info))
        if header_size == 40 and masks:
            table += struct.pack("<III", *masks[:3])
        for r, g, b in palette or []:
            table += bytes((b, g, r, 0))
    offset = 14 + len(info) + len(table)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + table + pixels


def rle8(width, height):
    out = b""
    for y in range(height):
        out += bytes((width, y * 3 + 1))      # a run of one index
        out += b"\x00\x00"                     # end of line
    return out + b"\x00\x01"                   # end of bitmap


def rle4(width, height):
    out = b""
    for y in range(height):
        out += bytes((2, 0x12))                # an encoded run of two pixels
        out += bytes((0, 4, 0x34, 0x56))       # an absolute run of four pixels
        out += b"\x00\x00"
    return out + b"\x00\x01"


def bitmaps():
    yield "1bpp_9x3.bmp", bmp(9, 3, 1)
    yield "4bpp_5x3.bmp", bmp(5, 3, 4)
    yield "8bpp_4x4_used3.bmp", bmp(4, 4, 8, pixels=bytes([0, 1, 2, 1] * 4), used_colors=3)
    yield "8bpp_rle_6x2.bmp", bmp(6, 2, 8, pixels=rle8(6, 2), compression=1)
    yield "4bpp_rle_6x2.bmp", bmp(6, 2, 4, pixels=rle4(6, 2), compression=2)
    yield "16bpp_555_3x2.bmp", bmp(3, 2, 16)
    yield "16bpp_565_3x2.bmp", bmp(3, 2, 16, compression=3, masks=(0xF800, 0x07E0, 0x001F))
    yield "24bpp_3x2.bmp", bmp(3, 2, 24)
    yield "24bpp_topdown_2x2.bmp", bmp(2, 2, 24, top_down=True)
    yield "24bpp_1x1_size0.bmp", bmp(1, 1, 24, image_size=0)
    yield "32bpp_2x2.bmp", bmp(2, 2, 32)
    yield "32bpp_fields_2x2.bmp", bmp(2, 2, 32, compression=3,
                                      masks=(0xFF0000, 0xFF00, 0xFF))
    yield "core12_24bpp_2x2.bmp", bmp(2, 2, 24, header_size=12)
    yield "core12_8bpp_2x2.bmp", bmp(2, 2, 8, header_size=12, palette=[(1, 2, 3)] * 256)
    yield "v4_108_565_2x2.bmp", bmp(2, 2, 16, compression=3, header_size=108,
                                    masks=(0xF800, 0x07E0, 0x001F, 0))
    yield "v5_124_32bpp_2x1.bmp", bmp(2, 1, 32, header_size=124)
    yield "header_only.bmp", b"BM" + bytes(12)


PUZZLE_INI = ("[PuzzleData]\r\nxMax=2\r\nyMax=1\r\nbackColor=FF00FF\r\nPuzzleName=Cat\r\n"
              "PassWord=1234567\r\nPuzzleSetName=Animals\r\nLongPuzzleName=A cat\r\n"
              "Difficulty=5\r\nFileVersion=2\r\n")


def profiles():
    yield "puzzle.ini", PUZZLE_INI
    yield "morvel.ini", ("[ToolsData]\r\nPuzzleName=ﾊﾟｽﾞﾙ名\r\nPuzzleSetName=ﾊﾟｽﾞﾙｾｯﾄ名\r\n"
                         "LongPuzzleName=コメント\r\nSrcDrive=\r\nSrcDir=/home/pics\r\n"
                         "DestDrive=/\r\nDestDir=/tmp\r\nSlider1=70\r\nSlider2=85\r\n")
    yield "quirks.ini", ("; a comment\n  [ puzzledata ]  \n xmax = \"3\" \nYMAX=-2\n"
                         "fileversion=2\rFileVersion=9\n[PuzzleData]\nbackColor=FF\n"
                         "PuzzleName=" + "n" * 20 + "\n[Other]\nxMax=7")
    yield "dbcs_cut.ini", "[PuzzleData]\nPuzzleName=あいうえおかきくけこ\nPassWord=ﾊﾟｽﾜｰﾄﾞ12345\n"


def densities():
    for i, text in enumerate(["30", "15", " 1 2.5", "-7", "abc", "150", "1e3", "0.5x", "\t\n9"]):
        yield "density%d.txt" % i, text


def frame(files, ini):
    """A work folder for file_conv_fuzzer: the Puzzle.ini text, then for every file a
    line "#FILE name" and its bytes."""
    out = ini.encode("cp932")
    for name, data in files:
        out += b"\n#FILE " + name.encode() + b"\n" + data
    return out


def work_folders():
    # FileConv takes pictures of any size, so small ones keep the runs fast.
    tile = bmp(64, 64, 8, pixels=bytes(64 * 64))
    tile24 = bmp(2, 2, 24)
    base = bmp(3, 2, 24)
    ini = PUZZLE_INI
    yield "two_tiles", frame([("base.bmp", base), ("res0000.bmp", tile),
                               ("res0001.bmp", tile24)], ini)
    yield "missing_tile", frame([("base.bmp", base), ("res0000.bmp", tile24)], ini)
    yield "no_ini_base_only", frame([("base.bmp", bmp(1, 1, 24))], "")
    yield "rle_base", frame([("base.bmp", bmp(6, 2, 8, pixels=rle8(6, 2) + b"\x00",
                                              compression=1))],
                            "[PuzzleData]\nxMax=0\nPuzzleName=rle\n")
    yield "topdown_tile", frame([("base.bmp", base), ("res0000.bmp", tile24),
                                  ("res0001.bmp", bmp(2, 2, 24, top_down=True))], ini)


def package_folders():
    """Work folders whose packages seed package_reader_fuzzer: tiles of several depths,
    an odd-sized run-length base (a pad byte), no tiles at all, Japanese texts."""
    ini = PUZZLE_INI
    yield "two_tiles", [("base.bmp", bmp(3, 2, 24)),
                        ("res0000.bmp", bmp(4, 4, 8, pixels=bytes([0, 1, 2, 1] * 4),
                                            used_colors=3)),
                        ("res0001.bmp", bmp(9, 3, 1))], ini
    yield "base_only", [("base.bmp", bmp(1, 1, 24))], ""
    yield "rle_base", [("base.bmp", bmp(6, 2, 8, pixels=rle8(6, 2) + b"\x00",
                                        compression=1))], "[PuzzleData]\nxMax=0\nPuzzleName=rle\n"
    japanese = ("[PuzzleData]\r\nxMax=2\r\nyMax=2\r\nbackColor=FFFF\r\nPuzzleName=ﾈｺ\r\n"
                "PassWord=77\r\nPrevPassWord=1\r\nPuzzleSetName=動物\r\n"
                "LongPuzzleName=三毛猫です\r\nDifficulty=-3\r\nFileVersion=2\r\n")
    yield "japanese_2x2", [("base.bmp", bmp(3, 3, 4)), ("res0000.bmp", bmp(2, 2, 24)),
                           ("res0001.bmp", bmp(2, 1, 32)), ("res0100.bmp", bmp(1, 2, 16)),
                           ("res0101.bmp", bmp(5, 3, 4))], japanese


def packages(klvconv):
    work = tempfile.mkdtemp(prefix="klv_corpus_")
    try:
        for name, files, ini in package_folders():
            folder = os.path.join(work, name)
            os.mkdir(folder)
            for file_name, data in files:
                with open(os.path.join(folder, file_name), "wb") as f:
                    f.write(data)
            if ini:
                with open(os.path.join(folder, "Puzzle.ini"), "wb") as f:
                    f.write(ini.encode("cp932"))
            subprocess.run([klvconv, folder], check=True)
            made = [n for n in os.listdir(folder) if n.endswith(".klv")]
            with open(os.path.join(folder, made[0]), "rb") as f:
                yield name + ".klv", f.read()
    finally:
        shutil.rmtree(work)


def main():
    if len(sys.argv) > 1:
        for name, data in packages(sys.argv[1]):
            write("package_reader_fuzzer", name, data)
    for name, data in profiles():
        write("profile_fuzzer", name, data)
    for name, data in bitmaps():
        write("bitmap_codec_fuzzer", name, data)
    for name, data in densities():
        write("box_number_fuzzer", name, data)
    for name, data in work_folders():
        write("file_conv_fuzzer", name, data)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Generates the documents of the opening benchmarks.

  make_docs.py text MEGABYTES OUT   Windows-1251 prose, Russian and Latin
                                    lines of varying length, CR LF
  make_docs.py rtf MEGABYTES OUT    RTF as a word processor writes it: runs of
                                    bold, italic, underline, colour and size,
                                    a few font changes, justified, centred,
                                    right-aligned and indented paragraphs,
                                    bullets; Cyrillic as \\'hh escapes
  make_docs.py tables MEGABYTES OUT [plain]
                                    tables of 50 rows of 4 cells, bordered,
                                    between paragraphs (about 2,000 in
                                    20 MB); with "plain", the same text with
                                    each row a paragraph of tab-separated
                                    cells instead
  make_docs.py pictures MEGABYTES OUT [plain]
                                    a PNG picture of about 100 KB (noise,
                                    which does not compress, each its own)
                                    in every paragraph; with "plain", the
                                    same text without the pictures

The same arguments give the same bytes.
"""
import random
import sys

RUSSIAN = (
    "Съешь же ещё этих мягких французских булок, да выпей чаю. "
    "В чащах юга жил бы цитрус? Да, но фальшивый экземпляр! "
    "Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства. "
    "Эх, жирафы честно в цель шагают, да щук объять за память ёлкой. "
    "Любя, съешь щипцы, — вздохнёт мэр, — кайф жгуч. "
    "Документ сохранён в папке «Мои документы», строка номер сорок два. "
    "Редактор открыл файл за одну секунду, и курсор мигает в начале текста. "
    "Осенью в городе идут дожди, а по вечерам на набережной зажигаются фонари. "
).split()
LATIN = (
    "The quick brown fox jumps over the lazy dog. "
    "Pack my box with five dozen liquor jugs! "
    "Sphinx of black quartz, judge my vow; the editor reads RTF and plain text. "
    "Version 2.0 of the program was released in 2003, file report_2024.txt, page 17. "
    "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor. "
).split()


def words(rng):
    """Endless prose: a Russian or Latin sentence at a time."""
    while True:
        pool = RUSSIAN if rng.random() < 0.7 else LATIN
        start = rng.randrange(len(pool))
        for w in pool[start:start + rng.randint(4, 14)]:
            yield w


def text(size, rng):
    out = bytearray()
    stream = words(rng)
    while len(out) < size:
        kind = rng.random()
        # Mostly ordinary lines, some empty, some short, some long paragraphs.
        length = 0 if kind < 0.05 else rng.randint(5, 40) if kind < 0.25 else \
            rng.randint(40, 100) if kind < 0.9 else rng.randint(100, 900)
        line = []
        n = 0
        while n < length:
            w = next(stream)
            line.append(w)
            n += len(w) + 1
        out += " ".join(line).encode("cp1251") + b"\r\n"
    return bytes(out[:size])


def escape(s):
    out = []
    for b in s.encode("cp1251"):
        if b >= 0x80:
            out.append("\\'%02x" % b)
        elif chr(b) in "\\{}":
            out.append("\\" + chr(b))
        else:
            out.append(chr(b))
    return "".join(out)


def rtf(size, rng):
    head = ("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
            "{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}{\\f1\\fswiss\\fcharset204 Arial;}"
            "{\\f2\\fnil\\fcharset2 Symbol;}{\\f3\\fmodern\\fcharset204 Courier New;}}\r\n"
            "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue192;\\red0\\green128\\blue0;}\r\n"
            "\\viewkind4\\uc1")
    parts = [head]
    total = len(head)
    stream = words(rng)
    runs = [("\\b ", "\\b0 "), ("\\i ", "\\i0 "), ("\\ul ", "\\ulnone "), ("\\cf1 ", "\\cf0 "),
            ("\\cf2 ", "\\cf0 "), ("\\fs32 ", "\\fs24 "), ("\\fs18 ", "\\fs24 "), ("\\f1 ", "\\f0 "),
            ("\\f3 ", "\\f0 "), ("\\b\\i ", "\\b0\\i0 ")]
    while total < size:
        kind = rng.random()
        if kind < 0.12:
            pard = "\\pard{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'b7}}" \
                   "\\fi-200\\li200"
            n = rng.randint(5, 25)
        elif kind < 0.2:
            pard = "\\pard\\qc"
            n = rng.randint(3, 12)
        elif kind < 0.24:
            pard = "\\pard\\qr"
            n = rng.randint(3, 10)
        elif kind < 0.7:
            pard = "\\pard\\qj\\fi400"
            n = rng.randint(30, 200)
        else:
            pard = "\\pard\\li600"
            n = rng.randint(10, 80)
        para = [pard, "\\f0\\fs24 "]
        i = 0
        while i < n:
            plain = rng.randint(2, 10)
            para.append(escape(" ".join(next(stream) for _ in range(plain))) + " ")
            i += plain
            on, off = runs[rng.randrange(len(runs))]
            styled = rng.randint(1, 5)
            para.append(on + escape(" ".join(next(stream) for _ in range(styled))) + off + " ")
            i += styled
        para.append("\\par\r\n")
        chunk = "".join(para)
        parts.append(chunk)
        total += len(chunk)
    parts.append("}\r\n")
    return "".join(parts).encode("ascii")


HEAD = ("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
        "{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}}\r\n\\viewkind4\\uc1\\f0\\fs24 ")


def sentence(stream, n):
    return escape(" ".join(next(stream) for _ in range(n)))


def tables(size, rng, plain):
    parts, total, stream = [HEAD], len(HEAD), words(rng)
    row = "\\trowd\\trgaph108\\trbrdrt\\brdrs\\trbrdrb\\brdrs" + "".join("\\cellx%d" % (2400 * (i + 1)) for i in range(4))
    while total < size:
        chunk = ["\\pard\\qj " + sentence(stream, rng.randint(20, 60)) + "\\par\r\n"]
        for _ in range(50):
            cells = [sentence(stream, rng.randint(1, 3)) for _ in range(4)]
            if plain:
                chunk.append("\\pard " + "\\tab ".join(cells) + "\\par\r\n")
            else:
                chunk.append(row + "\\pard\\intbl " + "\\cell ".join(cells) + "\\cell\\row\r\n")
        chunk = "".join(chunk)
        parts.append(chunk)
        total += len(chunk)
    parts.append("\\pard\\par}\r\n")
    return "".join(parts).encode("ascii")


def png(rng, side):
    import struct
    import zlib

    def block(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\0" + bytes(rng.getrandbits(8) for _ in range(side * 3)) for _ in range(side))
    return (b"\x89PNG\r\n\x1a\n" + block(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + block(b"IDAT", zlib.compress(rows, 1)) + block(b"IEND", b""))


def pictures(size, rng, plain):
    parts, total, stream = [HEAD], len(HEAD), words(rng)
    while total < size:
        chunk = "\\pard\\qj " + sentence(stream, rng.randint(30, 120)) + " "
        if not plain:
            chunk += "{\\pict\\pngblip\\picw180\\pich180\\picwgoal2700\\pichgoal2700 %s}" % png(rng, 180).hex()
        chunk += " " + sentence(stream, rng.randint(5, 20)) + "\\par\r\n"
        parts.append(chunk)
        total += len(chunk) if not plain else len(chunk) + 2 * 97300
    parts.append("}\r\n")
    return "".join(parts).encode("ascii")


def main():
    kinds = {"text": text, "rtf": rtf, "tables": tables, "pictures": pictures}
    if len(sys.argv) not in (4, 5) or sys.argv[1] not in kinds or (len(sys.argv) == 5 and sys.argv[4] != "plain"):
        sys.exit(__doc__)
    size = int(float(sys.argv[2]) * 1024 * 1024)
    rng = random.Random(12)
    if sys.argv[1] in ("tables", "pictures"):
        data = kinds[sys.argv[1]](size, rng, len(sys.argv) == 5)
    else:
        data = kinds[sys.argv[1]](size, rng)
    with open(sys.argv[3], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()

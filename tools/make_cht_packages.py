#!/usr/bin/env python3
"""Generate the traditional-Chinese language packages of the demo client.

Every package of MultiLanguage/CHS is written to MultiLanguage/CHT with each
character converted from simplified to traditional form the way the
module's own converter does it: the character in code page 936, looked up in
the GB group of the client's table file "Language", the table's Big5 code
read back in code page 950. A character the table has no code for, or that
code page 936 cannot write, stays as it is. The runtime tests check that the
committed CHT packages are what the converter makes of the CHS ones.

    python3 tools/make_cht_packages.py [client folder]

The default client folder is standins/data/client.
"""

import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_CLIENT = os.path.join(REPO, "standins", "data", "client")


def gb_index(lead, trail):
    """Position of a GBK byte pair in the table's GB group, or -1."""
    if 0xA1 <= lead <= 0xA9 and 0xA1 <= trail <= 0xFE:
        return (lead - 0xA1) * 94 + (trail - 0xA1)
    if 0xB0 <= lead <= 0xF7 and 0xA1 <= trail <= 0xFE:
        return 1410 + (lead - 0xB0) * 94 + (trail - 0xA1)
    if 0x81 <= lead <= 0xA0 and 0x40 <= trail <= 0xFE:
        return 8178 + (lead - 0x81) * 191 + (trail - 0x40)
    if 0xAA <= lead <= 0xFE and 0x40 <= trail <= 0xA0:
        return 14290 + (lead - 0xAA) * 97 + (trail - 0x40)
    if 0xA8 <= lead <= 0xA9 and 0x40 <= trail <= 0xA0:
        return 22535 + (lead - 0xA8) * 97 + (trail - 0x40)
    return -1


def read_gb_group(path):
    """The Big5 codes of the GB group, by GB index."""
    big5_count = 0
    kept = []
    with open(path, "rb") as f:
        for raw in f.read().split(b"\n"):
            line = raw.rstrip(b"\r")
            if not line.strip() or line.startswith(b"["):
                continue
            kept.append(line)
            if line.startswith(b"BIG5"):
                big5_count += 1
    codes = []
    for line in kept[big5_count:]:
        if not line.startswith(b"GB"):
            continue
        value = line.split(b"=")[1]
        codes.append(int(value[1:5], 16))
    return codes


def to_traditional(text, codes):
    out = []
    for ch in text:
        if ord(ch) < 0x80:
            out.append(ch)
            continue
        try:
            gb = ch.encode("cp936")
        except UnicodeEncodeError:
            out.append(ch)
            continue
        converted = ch
        if len(gb) == 2:
            index = gb_index(gb[0], gb[1])
            code = codes[index] if 0 <= index < len(codes) else 0
            if (code >> 8) > 0x20 or (code & 0xFF) > 0x20:
                try:
                    converted = bytes([code >> 8, code & 0xFF]).decode("cp950")
                except UnicodeDecodeError:
                    converted = ch
        out.append(converted)
    return "".join(out)


def main():
    client = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_CLIENT
    codes = read_gb_group(os.path.join(client, "Language"))
    source = os.path.join(client, "MultiLanguage", "CHS")
    target = os.path.join(client, "MultiLanguage", "CHT")
    os.makedirs(target, exist_ok=True)
    for name in sorted(os.listdir(source)):
        if not name.endswith(".Lng"):
            continue
        with open(os.path.join(source, name), "rb") as f:
            text = f.read().decode("utf-8")
        with open(os.path.join(target, name), "wb") as f:
            f.write(to_traditional(text, codes).encode("utf-8"))
        print(name)


if __name__ == "__main__":
    main()

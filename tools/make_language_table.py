#!/usr/bin/env python3
"""Generate the GB/Big5 table file "Language" of the client folder.

The file holds two groups of lines. The Big5 group gives, for every Big5
character index, the GB code of the same character in simplified form; the
GB group gives, for every GB character index, the Big5 code of the character
in traditional form. A line is KEY=$HHHH: the key starts with "BIG5" or "GB"
(the rest of it only names the byte pair, for the reader of the file), the
value is "$" and four upper-case hex digits; 0000 means "no table code" and
lets the runtime fall back to the plain code-page conversion.

Sources: the simplified/traditional character pairs of Debian's OpenCC data
(STCharacters and TSCharacters, dumped with opencc_dict) and glibc iconv for
code pages 936 and 950. Run it only to regenerate the committed file:

    python3 tools/make_language_table.py [output]

The default output is standins/data/client/Language.
"""

import ctypes
import ctypes.util
import os
import subprocess
import sys
import tempfile

OPENCC_DIR = "/usr/share/opencc"
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_OUT = os.path.join(REPO, "standins", "data", "client", "Language")

# Common simplified characters whose dictionary candidates all fall outside
# Big5 (为 -> 為, 众 -> 眾, 着 -> 著, 启 -> 啟, ...): their traditional codes.
GB_MISSED = {
    (0xB2, 0xA7): 0xB2DA,  # 钵 -> 缽
    (0xBC, 0xEF): 0xC650,  # 硷 -> 鹼
    (0xC6, 0xF4): 0xB1D2,  # 启 -> 啟
    (0xC8, 0xFE): 0xB0D1,  # 叁 -> 參
    (0xCE, 0xAA): 0xACB0,  # 为 -> 為
    (0xCE, 0xB1): 0xB0B0,  # 伪 -> 偽
    (0xD6, 0xDA): 0xB2B3,  # 众 -> 眾
    (0xD7, 0xC5): 0xB5DB,  # 着 -> 著
}

GB_TABLE_SIZE = 22729
BIG5_TABLE_SIZE = (0xFE - 0xA1 + 1) * 157


class Iconv:
    """One glibc iconv converter; convert() returns None on any failure."""

    _libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
    _libc.iconv_open.restype = ctypes.c_void_p
    _libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    _libc.iconv.restype = ctypes.c_size_t
    _libc.iconv.argtypes = [ctypes.c_void_p,
                            ctypes.POINTER(ctypes.c_char_p),
                            ctypes.POINTER(ctypes.c_size_t),
                            ctypes.POINTER(ctypes.c_char_p),
                            ctypes.POINTER(ctypes.c_size_t)]

    def __init__(self, to_code, from_code):
        self.cd = self._libc.iconv_open(to_code.encode(), from_code.encode())
        if self.cd in (None, ctypes.c_void_p(-1).value):
            raise RuntimeError("iconv cannot convert %s to %s" % (from_code, to_code))

    def convert(self, data):
        self._libc.iconv(self.cd, None, None, None, None)
        src = ctypes.create_string_buffer(data, len(data))
        out = ctypes.create_string_buffer(64)
        in_ptr = ctypes.c_char_p(ctypes.addressof(src))
        in_left = ctypes.c_size_t(len(data))
        out_ptr = ctypes.c_char_p(ctypes.addressof(out))
        out_left = ctypes.c_size_t(len(out))
        rc = self._libc.iconv(self.cd, ctypes.byref(in_ptr), ctypes.byref(in_left),
                              ctypes.byref(out_ptr), ctypes.byref(out_left))
        if rc == ctypes.c_size_t(-1).value or in_left.value != 0:
            return None
        # Flush a pending shift state; a stateless code page writes nothing.
        rc = self._libc.iconv(self.cd, None, None, ctypes.byref(out_ptr), ctypes.byref(out_left))
        if rc == ctypes.c_size_t(-1).value:
            return None
        return out.raw[:len(out) - out_left.value]


def read_opencc_pairs(name):
    """Character pairs of an OpenCC dictionary: char -> list of candidates."""
    src = os.path.join(OPENCC_DIR, name + ".ocd2")
    with tempfile.TemporaryDirectory() as tmp:
        dump = os.path.join(tmp, name + ".txt")
        subprocess.run(["opencc_dict", "-i", src, "-o", dump, "-f", "ocd2", "-t", "text"],
                       check=True)
        pairs = {}
        with open(dump, encoding="utf-8") as f:
            for line in f:
                key, _, values = line.rstrip("\n").partition("\t")
                if len(key) == 1 and values:
                    pairs[key] = values.split(" ")
        return pairs


def gb_index(lead, trail):
    """GB character index of a byte pair, as the runtime computes it."""
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


def big5_index(lead, trail):
    if 0x40 <= trail <= 0x7E:
        return (lead - 0xA1) * 157 + (trail - 0x40)
    if 0xA1 <= trail <= 0xFE:
        return (lead - 0xA1) * 157 + 63 + (trail - 0xA1)
    return -1


def gb_slots():
    """Byte pair named by every GB index; the gap 846..1409 gets the rows
    0xAA..0xAF it would have held."""
    slots = [None] * GB_TABLE_SIZE
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            i = gb_index(lead, trail)
            if i >= 0 and slots[i] is None:
                slots[i] = (lead, trail)
    for i in range(846, 1410):
        slots[i] = (0xAA + (i - 846) // 94, 0xA1 + (i - 846) % 94)
    assert all(s is not None for s in slots)
    return slots


def big5_slots():
    slots = [None] * BIG5_TABLE_SIZE
    for lead in range(0xA1, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF)):
            slots[big5_index(lead, trail)] = (lead, trail)
    assert all(s is not None for s in slots)
    return slots


def target_code(pair, decoder, encoder, variants):
    """Code of the character of pair in the other code page, 0 when none.

    The character's variants (simplified or traditional forms, preferred
    first) are tried before the character itself; only a double-byte code
    counts, single bytes are left to the runtime's fallback."""
    if pair[1] == 0x7F:
        return 0
    text = decoder.convert(bytes(pair))
    if text is None:
        return 0
    ch = text.decode("utf-8")
    if len(ch) != 1:
        return 0
    for candidate in variants.get(ch, []) + [ch]:
        out = encoder.convert(candidate.encode("utf-8"))
        if out is not None and len(out) == 2:
            return out[0] * 256 + out[1]
    return 0


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    to_traditional = read_opencc_pairs("STCharacters")
    to_simplified = read_opencc_pairs("TSCharacters")
    from_gb = Iconv("UTF-8", "CP936")
    from_big5 = Iconv("UTF-8", "CP950")
    to_gb = Iconv("CP936", "UTF-8")
    to_big5 = Iconv("CP950", "UTF-8")

    lines = ["[BIG5]"]
    mapped = 0
    for lead, trail in big5_slots():
        code = target_code((lead, trail), from_big5, to_gb, to_simplified)
        mapped += code != 0
        lines.append("BIG5%02X%02X=$%04X" % (lead, trail, code))
    big5_mapped = mapped

    lines.append("[GB]")
    mapped = 0
    for lead, trail in gb_slots():
        code = target_code((lead, trail), from_gb, to_big5, to_traditional)
        if code == 0:
            code = GB_MISSED.get((lead, trail), 0)
        mapped += code != 0
        lines.append("GB%02X%02X=$%04X" % (lead, trail, code))

    with open(out_path, "w", encoding="ascii", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    print("%s: %d Big5 entries (%d mapped), %d GB entries (%d mapped)"
          % (out_path, BIG5_TABLE_SIZE, big5_mapped, GB_TABLE_SIZE, mapped))


if __name__ == "__main__":
    main()

# Writes the seed inputs of fuzz/corpus/ in each target's layout (fields split by 0xFF, text coded
# as FuzzInput::fuzzText reads it). Run: python3 fuzz/make_seeds.py fuzz/corpus
import os, struct, sys
root = sys.argv[1]
signs = "\u3000【】「」（）！／♪・、､･ー－ｰヴﾞﾟッｯ\0\t\r\n\u00A0\u212A\u017F\u00E9\u2460\uFFFD\u301C\uFF5E\u2225\u00A5\u203E\uFEFF\u2212\u0130"
def enc(s):
    out = bytearray()
    for ch in s:
        c = ord(ch)
        if c < 0x80: out.append(c)
        elif ch in signs: out += bytes([0x86, signs.index(ch)])
        elif 0x3041 <= c < 0x3041 + 86: out += bytes([0x81, c - 0x3041])
        elif 0x30A1 <= c < 0x30A1 + 96: out += bytes([0x82, c - 0x30A1])
        elif 0xFF61 <= c < 0xFF61 + 63: out += bytes([0x83, c - 0xFF61])
        elif 0xFF01 <= c < 0xFF01 + 94: out += bytes([0x84, c - 0xFF01])
        elif 0x1F600 <= c < 0x1F600 + 255: out += bytes([0x87, c - 0x1F600])
        elif c > 0xFFFF: raise ValueError(ch)
        elif 0x8B <= c <= 0xFE: out.append(c)
        else: out += bytes([0x80, c >> 8, c & 0xFF])
    return bytes(out)
def fields(*fs): return b"\xff".join(fs)
def write(target, name, data):
    d = os.path.join(root, target); os.makedirs(d, exist_ok=True)
    open(os.path.join(d, name), "wb").write(data)

# command line: stale count, text, stale tokens
for i, (stale, text) in enumerate([(0, "1"), (3, "2 0 12345"), (2, " 1  2 "), (0, "1 "),
        (1, "a b c d e f g h i j k l m"), (0, "3 　全角 tab\there"), (5, "  "), (0, "")]):
    write("fuzz_commandline", f"seed-{i}", bytes([stale]) + fields(enc(text), *[b"old"] * stale))

# settings: buffer, section, key, mode, default int, then section, key, default, value, file
ini = "[zanmo]\r\ndbmode=1\r\ndbpath=C:\\shop\\data\r\n"
cases = [
    (200, 0, 0, 0, 7, "", "", "def", "", ini.encode()),
    (14, 0, 1, 0, 0, "", "", "dflt  ", "", ini.encode("cp932")),
    (200, 0, 0, 1, 3, "", "", "", " \"  2 \" ", b"; a comment\n[other]\nk=v\n"),
    (9, 3, 3, 5, -1, "", "", "x", "'quoted'", enc("[zanmo]\nk=値です\n")),
    (104, 4, 4, 0, 5, "Ａ", "キー", "既定", "", "[Ａ]\nキー = 値\n".encode("cp932")),
    (200, 0, 0, 0, 0, "", "", "", "", b"\xef\xbb\xbf[ZANMO]\r\nDBMODE = -12abc\r\n[zanmo]\r\ndbmode=5\r\n"),
    (3, 5, 5, 0, 0, "", "", "", "", b"[]\n=\n[\nnovalue\n"),
    (200, 0, 0, 0, 9, "", "", "", "", b"[zanmo]\ndbmode=99999999999\n"),
]
for i, (buf, sec, key, mode, dint, tsec, tkey, dflt, val, file) in enumerate(cases):
    head = bytes([buf, sec, key, mode]) + struct.pack("<i", dint)
    write("fuzz_settings", f"seed-{i}", head + fields(enc(tsec), enc(tkey), enc(dflt), enc(val), file))

# bytes: n (int16), text, text to remove
for i, (n, text, rm) in enumerate([(80, "あ" * 45, "あ"), (50, "ﾃ" + "品" * 30, "品"), (2, "A😀B", "😀"),
        (1, "あい", "い"), (7, "ABC 123", " "), (5, "1,234,567", ","), (3, "aabb", "ab"), (-3, "ｼｮｳﾋﾝ", ""),
        (9, "\ud800あ\u00ad\u200b\ufeffA", "\ud800")]):
    write("fuzz_bytes", f"seed-{i}", struct.pack("<h", n) + fields(enc(text), enc(rm)))

# text normalize: flags, stale count, text, stale words
for i, (flags, text) in enumerate([(3, "-1,234.5円"), (0, "abc12def"), (1, ".5"), (2, "--3"), (3, "9" * 400),
        (3, "【新商品】りんごジュース（100%）ABCﾘﾝｺﾞ"), (0, "ｺｶｺｰﾗ 500ml・ペット"), (0, "(a(b)c) 「」【】] [x"),
        (0, "ーカタカナ－abcあいう！ＡＢＣ"), (3, "-")]):
    write("fuzz_textnormalize", f"seed-{i}", bytes([flags, 1]) + fields(enc(text), b"stale"))

# format: kind, pattern choice, eight bytes, text, pattern
def dbl(x): return struct.pack("<d", x)
def i64(x): return struct.pack("<q", x)
seeds = [(0, 0, dbl(1234567.0), "", ""), (0, 1, dbl(-1234.565), "", ""), (2, 8, i64(2**63 - 1), "", ""),
         (0, 9, dbl(45296.0), "", ""), (4, 2, i64(0), " 1,234 ", ""), (4, 7, i64(0), "105", ""),
         (3, 6, struct.pack("<i", 20240105) + b"\0" * 4, "", ""), (4, 8, i64(0), "2024/2/9", ""),
         (6, 9, i64(2460315), "", ""), (7, 8, i64(123456789), "", ""), (4, 7, i64(0), "x😀y", ""),
         (11, 10, dbl(3.0), "", ""), (0, 11, dbl(1.5), "", "#,##0.0#"), (4, 11, i64(0), "abc", "@@/@@"),
         (0, 3, dbl(-1.7976931348623157e308), "", ""), (0, 0, struct.pack("<Q", 0x7FF8000000000000), "", "")]
for i, (kind, choice, b8, text, pat) in enumerate(seeds):
    write("fuzz_format", f"seed-{i}", bytes([kind, choice]) + b8 + fields(enc(text), enc(pat)))

# sql: choice, value, statement
for i, (choice, value, sql) in enumerate([(0, "O'Reilly", ""), (1, "it''s", "DELETE * FROM goods WHERE name = 'delete * from'"),
        (0, "100%_引き", ""), (1, "", "select \"a\"\"b\" from t; delete  *from x"), (0, "-12.5", ""), (0, " .5 ", ""),
        (1, "'; DROP TABLE t; --", "update t set a='''' where b=\"'\""), (0, "\\'\\", ""),
        (0, "\ufeff%%B\u3000", ""), (0, "a\0b", "")]):
    write("fuzz_sqldialect", f"seed-{i}", bytes([choice]) + fields(enc(value), enc(sql)))

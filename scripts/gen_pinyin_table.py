#!/usr/bin/env python3
"""Generate index/pinyin_table.cpp from Unihan_Readings.txt.

Usage: gen_pinyin_table.py [UNIHAN_READINGS_BZ2] [OUTPUT_CPP]

Each CJK Unified Ideograph from U+4E00 to U+9FC3 gets one toneless reading
(lower case, u-umlaut written as "v"), or nothing. Readings are picked as
follows:
  1. kHanyuPinlu: the reading with the highest frequency count (first on ties),
     since it reflects actual modern usage.
  2. kMandarin's first reading, if no dictionary field (kXHC1983, kTGHZ2013,
     kHanyuPinyin) lists a reading for the character, or if any of them
     confirms it.
  3. Otherwise the first reading of kXHC1983, kTGHZ2013, kHanyuPinyin, in that
     order.
Readings that are not among the standard syllables fall back to a later
reading of the same field, then to a close standard syllable.

The output is deterministic: the pool holds "" followed by the syllables in
alphabetical order.
"""

import bz2
import re
import sys
import unicodedata

DEFAULT_INPUT = "/usr/share/unicode/Unihan_Readings.txt.bz2"

# Licence of the Unicode data, as Debian ships it with unicode-data.
LICENSE = """\
EXHIBIT 1
UNICODE, INC. LICENSE AGREEMENT - DATA FILES AND SOFTWARE

Unicode Data Files include all data files under the directories
http://www.unicode.org/Public/ and http://www.unicode.org/reports/.
Unicode Software includes any source code published in the Unicode Standard or
under the directories http://www.unicode.org/Public/ and
http://www.unicode.org/reports/.

NOTICE TO USER: Carefully read the following legal agreement. BY DOWNLOADING,
INSTALLING, COPYING OR OTHERWISE USING UNICODE INC.'S DATA FILES ("DATA FILES"),
AND/OR SOFTWARE ("SOFTWARE"), YOU UNEQUIVOCALLY ACCEPT, AND AGREE TO BE BOUND BY,
ALL OF THE TERMS AND CONDITIONS OF THIS AGREEMENT. IF YOU DO NOT AGREE,
DO NOT DOWNLOAD, INSTALL, COPY, DISTRIBUTE OR USE THE DATA FILES OR SOFTWARE.

COPYRIGHT AND PERMISSION NOTICE

Copyright (C) 1991-2005 Unicode, Inc. All rights reserved.
Distributed under the Terms of Use in http://www.unicode.org/copyright.html.

Permission is hereby granted, free of charge, to any person obtaining a copy
of the Unicode data files and any associated documentation (the "Data Files")
or Unicode software and any associated documentation (the "Software") to deal
in the Data Files or Software without restriction, including without limitation
the rights to use, copy, modify, merge, publish, distribute, and/or sell copies
of the Data Files or Software, and to permit persons to whom the Data Files
or Software are furnished to do so, provided that (a) the above copyright notice(s)
and this permission notice appear with all copies of the Data Files or Software,
(b) both the above copyright notice(s) and this permission notice appear
in associated documentation, and (c) there is clear notice in each modified
Data File or in the Software as well as in the documentation associated with
the Data File(s) or Software that the data or software has been modified.

THE DATA FILES AND SOFTWARE ARE PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND,
EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT OF THIRD PARTY RIGHTS.
IN NO EVENT SHALL THE COPYRIGHT HOLDER OR HOLDERS INCLUDED IN THIS NOTICE BE LIABLE
FOR ANY CLAIM, OR ANY SPECIAL INDIRECT OR CONSEQUENTIAL DAMAGES, OR ANY DAMAGES
WHATSOEVER RESULTING FROM LOSS OF USE, DATA OR PROFITS, WHETHER IN AN ACTION OF
CONTRACT, NEGLIGENCE OR OTHER TORTIOUS ACTION, ARISING OUT OF OR IN CONNECTION
WITH THE USE OR PERFORMANCE OF THE DATA FILES OR SOFTWARE.

Except as contained in this notice, the name of a copyright holder shall not be used
in advertising or otherwise to promote the sale, use or other dealings in these
Data Files or Software without prior written authorization of the copyright holder.

Unicode and the Unicode logo are trademarks of Unicode, Inc., and may be registered
in some jurisdictions. All other trademarks and registered trademarks mentioned
herein are the property of their respective owners.
"""

FIRST = 0x4E00
LAST = 0x9FC3

SYLLABLES = """
a ai an ang ao ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu
ca cai can cang cao ce cen ceng cha chai chan chang chao che chen cheng chi
chong chou chu chua chuai chuan chuang chui chun chuo ci cong cou cu cuan cui
cun cuo da dai dan dang dao de den deng di dia dian diao die ding diu dong dou
du duan dui dun duo e ei en eng er fa fan fang fei fen feng fiao fo fou fu ga
gai gan gang gao ge gei gen geng gong gou gu gua guai guan guang gui gun guo ha
hai han hang hao he hei hen heng hm hong hou hu hua huai huan huang hui hun huo
ji jia jian jiang jiao jie jin jing jiong jiu ju juan jue jun ka kai kan kang
kao ke ken keng kong kou ku kua kuai kuan kuang kui kun kuo la lai lan lang lao
le lei leng li lia lian liang liao lie lin ling liu long lou lu luan lun luo lv
lve m ma mai man mang mao me mei men meng mi mian miao mie min ming miu mo mou
mu n na nai nan nang nao ne nei nen neng ni nian niang niao nie nin ning niu
nong nou nu nuan nun nuo nv nve o ou pa pai pan pang pao pei pen peng pi pian
piao pie pin ping po pou pu qi qia qian qiang qiao qie qin qing qiong qiu qu
quan que qun r ran rang rao re ren reng ri rong rou ru rua ruan rui run ruo sa
sai san sang sao se sen seng sha shai shan shang shao she shen sheng shi shou
shu shua shuai shuan shuang shui shun shuo si song sou su suan sui sun suo ta
tai tan tang tao te teng ti tian tiao tie ting tong tou tu tuan tui tun tuo wa
wai wan wang wei wen weng wo wu xi xia xian xiang xiao xie xin xing xiong xiu xu
xuan xue xun ya yan yang yao ye yi yin ying yo yong you yu yuan yue yun za zai
zan zang zao ze zei zen zeng zha zhai zhan zhang zhao zhe zhen zheng zhi zhong
zhou zhu zhua zhuai zhuan zhuang zhui zhun zhuo zi zong zou zu zuan zui zun zuo
""".split()
SYLLABLE_SET = frozenset(SYLLABLES)

# Nonstandard readings found in the data, mapped to the nearest syllable a user
# would type.
FALLBACK = {
    "ng": "n",
    "hng": "heng",
    "shei": "shui",
    "zhei": "zhe",
    "dei": "de",
    "kei": "ke",
    "tei": "te",
    "lo": "luo",
    "len": "lin",
}

# Readings forced regardless of the data.
OVERRIDES = {
    # U+4E06 is a Korean gugyeol annotation mark, not used in Chinese text.
    # Unihan gives it a kMandarin reading (han) that no dictionary field
    # attests, so the rules above would keep it; a name containing the mark
    # should not gain a syllable from it.
    0x4E06: "",
}

DICTIONARY_FIELDS = ("kXHC1983", "kTGHZ2013", "kHanyuPinyin")
USED_FIELDS = frozenset(("kHanyuPinlu", "kMandarin") + DICTIONARY_FIELDS)

U_UMLAUT = {
    "\u00fc": "v", "\u00dc": "v",   # u-umlaut
    "\u01d6": "v", "\u01d8": "v", "\u01da": "v", "\u01dc": "v",  # with tones
    "\u01d5": "v", "\u01d7": "v", "\u01d9": "v", "\u01db": "v",
}


def normalise(reading):
    """Toneless, lower-case ASCII form; u-umlaut becomes v."""
    # Compose first so a u followed by a combining diaeresis is caught too.
    text = unicodedata.normalize("NFC", reading)
    text = text.replace("u:", "v").replace("U:", "v")
    # Map u-umlaut before decomposing: NFD would split it into u + U+0308,
    # and dropping the marks would leave a plain u.
    text = "".join(U_UMLAUT.get(ch, ch) for ch in text)
    text = unicodedata.normalize("NFD", text)
    text = "".join(ch for ch in text if not 0x300 <= ord(ch) <= 0x36F)
    return text.lower()


def parse_pinlu(value):
    """Readings by descending frequency count; ties keep their order."""
    counted = []
    for item in value.split():
        m = re.fullmatch(r"(.+)\((\d+)\)", item)
        if m:
            counted.append((-int(m.group(2)), len(counted), m.group(1)))
    return [reading for _, _, reading in sorted(counted)]


def parse_located(value):
    """Readings of "loc:reading,reading loc:reading" fields, in order."""
    readings = []
    for item in value.split():
        _, _, rest = item.partition(":")
        readings.extend(r for r in rest.split(",") if r)
    return readings


def pick_syllable(readings):
    """First standard syllable among the readings, else a mapped fallback."""
    normalised = [normalise(r) for r in readings]
    for n in normalised:
        if n in SYLLABLE_SET:
            return n
    for n in normalised:
        if FALLBACK.get(n) in SYLLABLE_SET:
            return FALLBACK[n]
    return None


def ascii_notice(line):
    line = line.replace("\u00a9", "(C)").replace("\u00ae", "(R)")
    return line.encode("ascii", "replace").decode("ascii")


def read_fields(path):
    fields = {}
    version = None
    notice = None
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                m = re.match(r"#\s*Unicode version:\s*(\S+)", line)
                if m:
                    version = m.group(1)
                elif notice is None and "\u00a9" in line:
                    notice = ascii_notice(line.lstrip("#").strip())
                continue
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 3 or parts[1] not in USED_FIELDS:
                continue
            cp = int(parts[0][2:], 16)
            if FIRST <= cp <= LAST:
                fields.setdefault(cp, {})[parts[1]] = parts[2]
    if version is None:
        sys.exit("error: no 'Unicode version' line in %s" % path)
    return version, notice, fields


def choose(entry):
    if "kHanyuPinlu" in entry:
        s = pick_syllable(parse_pinlu(entry["kHanyuPinlu"]))
        if s:
            return s
    dictionary = [parse_located(entry[f]) for f in DICTIONARY_FIELDS if f in entry]
    if "kMandarin" in entry:
        s = pick_syllable(entry["kMandarin"].split())
        if s:
            confirmed = not dictionary or any(
                pick_syllable([r]) == s for readings in dictionary for r in readings)
            if confirmed:
                return s
    for readings in dictionary:
        s = pick_syllable(readings)
        if s:
            return s
    return ""


def build_table(fields):
    table = []
    for cp in range(FIRST, LAST + 1):
        if cp in OVERRIDES:
            table.append(OVERRIDES[cp])
        else:
            table.append(choose(fields.get(cp, {})))
    return table


def render(version, notice, table):
    pool = [""] + SYLLABLES
    index = {s: i for i, s in enumerate(pool)}
    out = []
    w = out.append
    w("// Generated by scripts/gen_pinyin_table.py from Unihan_Readings.txt")
    w("// (Unicode %s). Do not edit; regenerate instead." % version)
    w("//")
    w("// The reading data is derived from the Unicode Character Database,")
    if notice:
        w("// %s, and is used under the following terms:" % notice)
    else:
        w("// used under the following terms:")
    w("//")
    for l in LICENSE.splitlines():
        w(("// " + l).rstrip())
    w("")
    w('#include "index/pinyin_table.h"')
    w("")
    w("namespace tolvanir {")
    w("")
    w("// clang-format off")
    w("const wchar_t* const pinyin_pool[] = {")
    line = "   "
    for s in pool:
        item = ' L"%s",' % s
        if len(line) + len(item) > 80:
            w(line)
            line = "   "
        line += item
    w(line)
    w("};")
    w("")
    w("const std::size_t pinyin_pool_size = sizeof(pinyin_pool) / sizeof(pinyin_pool[0]);")
    w("")
    w("const std::uint16_t pinyin_table[pinyin_entry_count] = {")
    for start in range(0, len(table), 16):
        row = ",".join(str(index[s]) for s in table[start:start + 16])
        w("    %s,  // U+%04X" % (row, FIRST + start))
    w("};")
    w("// clang-format on")
    w("")
    w("}  // namespace tolvanir")
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) > 3:
        sys.exit(__doc__.split("\n\n")[1])
    path = argv[1] if len(argv) > 1 else DEFAULT_INPUT
    version, notice, fields = read_fields(path)
    table = build_table(fields)
    text = render(version, notice, table)
    if len(argv) > 2:
        with open(argv[2], "w", encoding="ascii", newline="\n") as f:
            f.write(text)
    else:
        sys.stdout.write(text)

    used = set(table) - {""}
    lengths = {}
    for s in table:
        lengths[len(s)] = lengths.get(len(s), 0) + 1
    print("pinyin: %d entries, %d empty, %d/%d syllables used, lengths %s"
          % (len(table), lengths.get(0, 0), len(used), len(SYLLABLES),
             " ".join("%d:%d" % kv for kv in sorted(lengths.items()))),
          file=sys.stderr)
    unused = sorted(SYLLABLE_SET - used)
    if unused:
        print("pinyin: unused syllables: %s" % " ".join(unused), file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv)

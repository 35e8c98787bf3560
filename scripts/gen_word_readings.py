#!/usr/bin/env python3
"""Generate index/word_readings_table.cpp from the pinyin-pro npm package.

Usage: gen_word_readings.py PACKAGE_DIR [OUTPUT_CPP]

PACKAGE_DIR is the unpacked package (scripts/fetch-pinyin-pro prints it).
The data says how reading_text reads a name where the one-reading character
table of index/pinyin_table.cpp would not.

Words come from dist/esm/data/dict2.mjs to dict5.mjs (two to five characters,
each with its reading). Words with a character outside U+4E00..U+9FC3, or
whose syllables do not pair up with their characters, are left out. Readings
are made toneless, lower case, u-umlaut as v; syllables outside the table's
vocabulary go through gen_pinyin_table.FALLBACK (dei -> de, shei -> shui), and
a word still holding one (a truncated "zh") is left out. The package's
surname list is not used: its single-character surname readings do not hold
in program names.

A character's reading outside the words is the package's own per-character
default, the first reading dist/esm/data/dict1.mjs lists for it (chang for
U+957F, tiao for U+8C03, di for U+5730), kept only for characters that occur
in some word and where it differs from our table. Counting readings across
the words would pick the opposite: the word lists hold mainly the words that
depart from that default, so U+4F20 would read zhuan and U+89C9 jiao.

Words that read as their characters do on their own, also where they end a
run, are not kept, except where segmentation needs them: reading_text
segments by forward maximum matching, and a dropped word must not let a kept
word match across it.
Keeping every word that overlaps a kept word (until nothing changes) makes
matching against the kept words give the same readings as matching against
all of them.

EXTRA_WORDS adds a few words the package lacks that program names use.

FINAL_READINGS gives a character the reading it takes when it ends a run of
two or more characters outside every word: a title ending in U+4F20 is a
saga or a biography and reads zhuan (shui hu zhuan), whatever title it is.
CHUAN_WORDS are the words that end in the other U+4F20, chuan (to pass on,
to send), in names; they read as their characters do, so the package does
not list them, and they are kept for the rule to leave them alone.

The output is deterministic: characters in code point order, each one's words
longest first, then in code point order.
"""

import json
import os
import re
import sys

# Importing the sibling generator must not leave bytecode in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_pinyin_table  # noqa: E402  (shares the syllables and their spelling)

FIRST = gen_pinyin_table.FIRST
LAST = gen_pinyin_table.LAST
WORD_FILES = ("dict2.mjs", "dict3.mjs", "dict4.mjs", "dict5.mjs")
TABLE_CPP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "index",
                         "pinyin_table.cpp")

# Words of program names the package does not list, with their readings.
EXTRA_WORDS = {
    "\u91cd\u88c5": "chong zhuang",  # reinstall, in the names of system reinstall tools
    "\u7387\u571f": "shuai tu",  # the strategy game named after a classical line
    "\u5947\u4fa0\u4f20": "qi xia zhuan",  # "legend of the knights", in game titles
    "\u91cd\u7f6e": "chong zhi",  # reset
    "\u91cd\u505a": "chong zuo",  # redo
    "\u91cd\u547d\u540d": "chong ming ming",  # rename, as in batch-rename tools
    "\u91cd\u8fde": "chong lian",  # reconnect
    "\u91cd\u5b9a\u5411": "chong ding xiang",  # redirect
    "\u91cd\u5199": "chong xie",  # rewrite
    "\u91cd\u6784": "chong gou",  # refactor
    "\u91cd\u6620\u5c04": "chong ying she",  # remap, as in key-remapping tools
    "\u91cd\u653e": "chong fang",  # replay
    "\u547d\u4ee4\u884c": "ming ling hang",  # command line
    "\u884c\u6570": "hang shu",  # line count
    "\u4ea4\u884c": "jiao hang",  # bank short names
    "\u62db\u884c": "zhao hang",
    "\u8fd8\u6b3e": "huan kuan",  # repayment, in bank and card apps
    "\u5dee\u65c5": "chai lv",  # business travel
}

# Characters that read otherwise at the end of a run of two or more, outside
# every word: U+4F20 ending a title names a saga or a biography.
FINAL_READINGS = {"\u4f20": "zhuan"}

# Words ending in U+4F20 read chuan (to pass on, to send, to spread) that end
# names: upload and transfer tools, and the common words of passing on.
# Left out are those whose first character often ends a name or a calling of
# its own, where a title reads zhuan: the biographies of a painter or a
# writer (jia), of a master (shi), of one's father (qin), of Yue Fei (fei),
# and the "gale" saga (feng).
CHUAN_WORDS = {
    "\u4e0a\u4f20": "shang chuan",  # upload
    "\u56de\u4f20": "hui chuan",  # send back
    "\u4e92\u4f20": "hu chuan",  # phone-to-phone transfer
    "\u5feb\u4f20": "kuai chuan",  # quick transfer
    "\u95ea\u4f20": "shan chuan",
    "\u79d2\u4f20": "miao chuan",  # instant upload of a known file
    "\u76f4\u4f20": "zhi chuan",  # direct upload
    "\u7eed\u4f20": "xu chuan",  # resumed transfer, as in download managers
    "\u91cd\u4f20": "chong chuan",  # retransmission
    "\u900f\u4f20": "tou chuan",  # transparent transmission, in serial tools
    "\u56fe\u4f20": "tu chuan",  # video link of drones
    "\u5ba3\u4f20": "xuan chuan",  # publicity
    "\u6d41\u4f20": "liu chuan",  # to spread
    "\u76f8\u4f20": "xiang chuan",  # handed down, from generation to generation
    "\u5931\u4f20": "shi chuan",  # lost to later ages
    "\u9057\u4f20": "yi chuan",  # heredity
    "\u7956\u4f20": "zu chuan",  # handed down from ancestors
    "\u8c23\u4f20": "yao chuan",  # rumour
    "\u8bef\u4f20": "wu chuan",
    "\u8bb9\u4f20": "e chuan",
    "\u79d8\u4f20": "mi chuan",  # secretly handed down
    "\u5bc6\u4f20": "mi chuan",
    "\u771f\u4f20": "zhen chuan",  # a master's true teaching
    "\u5ae1\u4f20": "di chuan",
    "\u5355\u4f20": "dan chuan",
    "\u53e3\u4f20": "kou chuan",  # by word of mouth
    "\u8a00\u4f20": "yan chuan",  # put into words
    "\u865a\u4f20": "xu chuan",  # a name not falsely spread: well deserved
}

# One entry of a word dictionary: `    word: 'reading',` (either quote).
WORD_LINE = re.compile(r"""^\s*(\S+?)\s*:\s*(['"])([^'"]*)\2\s*,?\s*$""")
# One entry of the character dictionary: `reading: ['c', ...]`, the key bare
# or quoted, the list over one or more lines.
CHAR_ENTRY = re.compile(r"""(?:'([^']*)'|([^\s:'\[\],]+))\s*:\s*\[([^\]]*)\]""")


def fail(message):
    sys.exit("error: " + message)


def in_range(text):
    return all(FIRST <= ord(ch) <= LAST for ch in text)


def syllable(reading):
    """The reading as one of the table's syllables, or None."""
    s = gen_pinyin_table.normalise(reading)
    if s not in gen_pinyin_table.SYLLABLE_SET:
        s = gen_pinyin_table.FALLBACK.get(s)
    return s if s in gen_pinyin_table.SYLLABLE_SET else None


def read_table(path):
    """Our pool (in its order) and the reading of every character."""
    with open(path, encoding="ascii") as f:
        text = re.sub(r"//[^\n]*", "", f.read())
    pool_body = re.search(r"pinyin_pool\[\] = \{(.*?)\};", text, re.S)
    table_body = re.search(r"pinyin_table\[pinyin_entry_count\] = \{(.*?)\};", text, re.S)
    if not pool_body or not table_body:
        fail("no pinyin_pool or pinyin_table in %s" % path)
    pool = re.findall(r'L"([a-z]*)"', pool_body.group(1))
    indices = [int(n) for n in re.findall(r"\d+", table_body.group(1))]
    if len(indices) != LAST - FIRST + 1 or pool[0] != "" or max(indices) >= len(pool):
        fail("unexpected table layout in %s" % path)
    return pool, {chr(FIRST + i): pool[n] for i, n in enumerate(indices)}


def object_body(path, name):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    m = re.search(r"^const %s = \{\n(.*?)^\};" % name, text, re.S | re.M)
    if not m:
        fail("no `const %s = {` in %s" % (name, path))
    return m.group(1)


def read_words(data_dir, dropped):
    words = {}
    for name in WORD_FILES:
        path = os.path.join(data_dir, name)
        const = "DICT" + re.sub(r"\D", "", name)
        for line in object_body(path, const).splitlines():
            if not line.strip() or line.strip().startswith("//"):
                continue
            m = WORD_LINE.match(line)
            if not m:
                fail("unrecognised line in %s: %r" % (path, line))
            word, reading = m.group(1), m.group(3).split()
            if len(word) < 2 or not in_range(word):
                dropped["outside the range"] += 1
                continue
            if len(reading) != len(word):
                dropped["syllables not matching characters"] += 1
                continue
            syllables = tuple(syllable(r) for r in reading)
            if None in syllables:
                dropped["reading outside the syllables"] += 1
                continue
            words[word] = syllables  # a repeated key replaces the earlier one, as in JS
    for extra, name in ((EXTRA_WORDS, "EXTRA_WORDS"), (CHUAN_WORDS, "CHUAN_WORDS")):
        for word, reading in extra.items():
            if word in words:
                fail("%s is among the package's words now; drop it from %s"
                     % (word.encode("unicode_escape").decode("ascii"), name))
            words[word] = tuple(syllable(r) for r in reading.split())
    return words


def read_char_defaults(data_dir):
    """The first reading the package lists for each character."""
    path = os.path.join(data_dir, "dict1.mjs")
    defaults = {}
    for m in CHAR_ENTRY.finditer(object_body(path, "map")):
        first = (m.group(1) if m.group(1) is not None else m.group(2)).split()[0]
        for ch in re.findall(r"'([^']*)'", m.group(3)):
            if ch in defaults:
                fail("character U+%04X listed twice in %s" % (ord(ch), path))
            defaults[ch] = first
    if len(defaults) < 20000:
        fail("only %d characters read from %s" % (len(defaults), path))
    return defaults


def overlaps(word, other):
    """Whether `other` could match starting inside `word` at the same text."""
    for k in range(len(word)):
        m = min(len(other), len(word) - k)
        if other[:m] == word[k:k + m] and (k > 0 or len(other) < len(word)):
            return True
    return False


def select_words(words, reading_of, finals):
    """Words that read differently, plus those segmentation needs."""
    def apart(w):
        # How reading_text reads the word's characters where it is not kept;
        # at the end of a run the last one may take its final reading.
        return tuple(reading_of(c) for c in w)

    def at_end(w):
        return apart(w)[:-1] + (finals.get(w[-1], reading_of(w[-1])),)

    kept = {w for w, s in words.items() if s != apart(w) or s != at_end(w)}
    by_first = {}
    for w in kept:
        by_first.setdefault(w[0], []).append(w)
    changed = True
    while changed:
        changed = False
        for w in sorted(set(words) - kept):
            if any(overlaps(w, v) for ch in set(w) for v in by_first.get(ch, ())):
                kept.add(w)
                by_first.setdefault(w[0], []).append(w)
                changed = True
    return {w: words[w] for w in kept}


def build(table, words, char_defaults):
    overrides = {}
    for ch in sorted({c for w in words for c in w}):
        s = syllable(char_defaults[ch]) if ch in char_defaults else None
        if s is not None and s != table[ch]:
            overrides[ch] = s

    def reading_of(ch):
        return overrides.get(ch, table[ch])

    finals = {ch: syllable(s) for ch, s in FINAL_READINGS.items()}
    kept = select_words(words, reading_of, finals)
    heads = sorted(set(overrides) | {w[0] for w in kept})
    groups = {ch: sorted((w for w in kept if w[0] == ch), key=lambda w: (-len(w), w))
              for ch in heads}
    return overrides, kept, heads, groups, reading_of, finals


def render(package, license_text, pool, heads, groups, kept, reading_of, finals):
    index = {s: i for i, s in enumerate(pool)}
    out = []
    w = out.append
    w("// Generated by scripts/gen_word_readings.py from the npm package %s %s"
      % (package["name"], package["version"]))
    w("// (dist/esm/data/dict1.mjs to dict5.mjs) and the generator's EXTRA_WORDS,")
    w("// FINAL_READINGS and CHUAN_WORDS.")
    w("// Do not edit; regenerate instead.")
    w("//")
    w("// The readings are derived from %s, which is used under the" % package["name"])
    w("// following terms (its LICENSE file):")
    w("//")
    for line in license_text.strip("\n").splitlines():
        w(("// " + line).rstrip())
    w("")
    w('#include "index/word_readings_table.h"')
    w("")
    w("namespace tolvanir {")
    w("")
    w("// clang-format off")
    w("const reading_char reading_chars[] = {")
    offset = 0
    for ch in heads:
        s = reading_of(ch)
        w("    {0x%04X, %d, %d},  // %s" % (ord(ch), index[s], offset, s or "-"))
        offset += sum(2 * len(word) for word in groups[ch])
    w("    {0xFFFF, 0, %d},  // end" % offset)
    w("};")
    w("")
    w("const std::size_t reading_char_count = %d;" % len(heads))
    w("")
    w("const final_reading final_readings[] = {")
    for ch in sorted(finals):
        w("    {0x%04X, %d},  // %s" % (ord(ch), index[finals[ch]], finals[ch]))
    w("};")
    w("")
    w("const std::size_t final_reading_count = %d;" % len(finals))
    w("")
    w("const std::uint16_t reading_words[] = {")
    for ch in heads:
        for word in groups[ch]:
            units = [str(len(word))] + ["0x%04X" % ord(c) for c in word[1:]]
            units += [str(index[s]) for s in kept[word]]
            w("    %s,  // U+%04X %s" % (", ".join(units), ord(ch), " ".join(kept[word])))
    w("};")
    w("// clang-format on")
    w("")
    w("}  // namespace tolvanir")
    if offset >= 1 << 16:
        fail("%d word units do not fit the 16-bit offsets" % offset)
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__.split("\n\n")[1])
    package_dir = argv[1]
    with open(os.path.join(package_dir, "package.json"), encoding="utf-8") as f:
        package = json.load(f)
    if package.get("name") != "pinyin-pro":
        fail("%s is not the pinyin-pro package" % package_dir)
    license_path = os.path.join(package_dir, "LICENSE")
    if not os.path.isfile(license_path):
        fail("no LICENSE file in %s" % package_dir)
    with open(license_path, encoding="utf-8") as f:
        license_text = f.read()

    pool, table = read_table(TABLE_CPP)
    data_dir = os.path.join(package_dir, "dist", "esm", "data")
    dropped = {"outside the range": 0, "syllables not matching characters": 0,
               "reading outside the syllables": 0}
    words = read_words(data_dir, dropped)
    overrides, kept, heads, groups, reading_of, finals = build(table, words,
                                                               read_char_defaults(data_dir))
    text = render(package, license_text, pool, heads, groups, kept, reading_of, finals)
    if len(argv) > 2:
        with open(argv[2], "w", encoding="ascii", newline="\n") as f:
            f.write(text)
    else:
        sys.stdout.write(text)

    print("word readings: %d words read, %d kept, %d character readings, %d head characters; "
          "dropped: %s" % (len(words), len(kept), len(overrides), len(heads),
                           ", ".join("%d %s" % (n, why) for why, n in dropped.items())),
          file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv)

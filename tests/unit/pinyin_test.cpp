#include "index/pinyin.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "index/pinyin_table.h"

namespace tolvanir {
namespace {

// Every syllable the table may produce; u-umlaut is written "v".
const char* const kSyllables[] = {
    "a",     "ai",    "an",    "ang",   "ao",     "ba",    "bai",    "ban",   "bang",  "bao",
    "bei",   "ben",   "beng",  "bi",    "bian",   "biao",  "bie",    "bin",   "bing",  "bo",
    "bu",    "ca",    "cai",   "can",   "cang",   "cao",   "ce",     "cen",   "ceng",  "cha",
    "chai",  "chan",  "chang", "chao",  "che",    "chen",  "cheng",  "chi",   "chong", "chou",
    "chu",   "chua",  "chuai", "chuan", "chuang", "chui",  "chun",   "chuo",  "ci",    "cong",
    "cou",   "cu",    "cuan",  "cui",   "cun",    "cuo",   "da",     "dai",   "dan",   "dang",
    "dao",   "de",    "den",   "deng",  "di",     "dia",   "dian",   "diao",  "die",   "ding",
    "diu",   "dong",  "dou",   "du",    "duan",   "dui",   "dun",    "duo",   "e",     "ei",
    "en",    "eng",   "er",    "fa",    "fan",    "fang",  "fei",    "fen",   "feng",  "fiao",
    "fo",    "fou",   "fu",    "ga",    "gai",    "gan",   "gang",   "gao",   "ge",    "gei",
    "gen",   "geng",  "gong",  "gou",   "gu",     "gua",   "guai",   "guan",  "guang", "gui",
    "gun",   "guo",   "ha",    "hai",   "han",    "hang",  "hao",    "he",    "hei",   "hen",
    "heng",  "hm",    "hong",  "hou",   "hu",     "hua",   "huai",   "huan",  "huang", "hui",
    "hun",   "huo",   "ji",    "jia",   "jian",   "jiang", "jiao",   "jie",   "jin",   "jing",
    "jiong", "jiu",   "ju",    "juan",  "jue",    "jun",   "ka",     "kai",   "kan",   "kang",
    "kao",   "ke",    "ken",   "keng",  "kong",   "kou",   "ku",     "kua",   "kuai",  "kuan",
    "kuang", "kui",   "kun",   "kuo",   "la",     "lai",   "lan",    "lang",  "lao",   "le",
    "lei",   "leng",  "li",    "lia",   "lian",   "liang", "liao",   "lie",   "lin",   "ling",
    "liu",   "long",  "lou",   "lu",    "luan",   "lun",   "luo",    "lv",    "lve",   "m",
    "ma",    "mai",   "man",   "mang",  "mao",    "me",    "mei",    "men",   "meng",  "mi",
    "mian",  "miao",  "mie",   "min",   "ming",   "miu",   "mo",     "mou",   "mu",    "n",
    "na",    "nai",   "nan",   "nang",  "nao",    "ne",    "nei",    "nen",   "neng",  "ni",
    "nian",  "niang", "niao",  "nie",   "nin",    "ning",  "niu",    "nong",  "nou",   "nu",
    "nuan",  "nun",   "nuo",   "nv",    "nve",    "o",     "ou",     "pa",    "pai",   "pan",
    "pang",  "pao",   "pei",   "pen",   "peng",   "pi",    "pian",   "piao",  "pie",   "pin",
    "ping",  "po",    "pou",   "pu",    "qi",     "qia",   "qian",   "qiang", "qiao",  "qie",
    "qin",   "qing",  "qiong", "qiu",   "qu",     "quan",  "que",    "qun",   "r",     "ran",
    "rang",  "rao",   "re",    "ren",   "reng",   "ri",    "rong",   "rou",   "ru",    "rua",
    "ruan",  "rui",   "run",   "ruo",   "sa",     "sai",   "san",    "sang",  "sao",   "se",
    "sen",   "seng",  "sha",   "shai",  "shan",   "shang", "shao",   "she",   "shen",  "sheng",
    "shi",   "shou",  "shu",   "shua",  "shuai",  "shuan", "shuang", "shui",  "shun",  "shuo",
    "si",    "song",  "sou",   "su",    "suan",   "sui",   "sun",    "suo",   "ta",    "tai",
    "tan",   "tang",  "tao",   "te",    "teng",   "ti",    "tian",   "tiao",  "tie",   "ting",
    "tong",  "tou",   "tu",    "tuan",  "tui",    "tun",   "tuo",    "wa",    "wai",   "wan",
    "wang",  "wei",   "wen",   "weng",  "wo",     "wu",    "xi",     "xia",   "xian",  "xiang",
    "xiao",  "xie",   "xin",   "xing",  "xiong",  "xiu",   "xu",     "xuan",  "xue",   "xun",
    "ya",    "yan",   "yang",  "yao",   "ye",     "yi",    "yin",    "ying",  "yo",    "yong",
    "you",   "yu",    "yuan",  "yue",   "yun",    "za",    "zai",    "zan",   "zang",  "zao",
    "ze",    "zei",   "zen",   "zeng",  "zha",    "zhai",  "zhan",   "zhang", "zhao",  "zhe",
    "zhen",  "zheng", "zhi",   "zhong", "zhou",   "zhu",   "zhua",   "zhuai", "zhuan", "zhuang",
    "zhui",  "zhun",  "zhuo",  "zi",    "zong",   "zou",   "zu",     "zuan",  "zui",   "zun",
    "zuo",
};

std::wstring widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

std::wstring entry(std::uint32_t cp) { return pinyin_pool[pinyin_table[cp - pinyin_first]]; }

std::wstring one(std::uint32_t cp) { return std::wstring(1, static_cast<wchar_t>(cp)); }

TEST(Pinyin, ConvertsNames) {
    struct Case {
        const char* what;
        std::wstring input;
        std::wstring expected;
    };
    const Case cases[] = {
        {"empty", L"", L""},
        {"latin only", L"Notepad++ 8.6 (x64)", L""},
        {"notepad", L"\u8BB0\u4E8B\u672C", L"jishiben"},     // 记事本
        {"calculator", L"\u8BA1\u7B97\u5668", L"jisuanqi"},  // 计算器
        {"u-umlaut as v", L"\u7EFF\u8272", L"lvse"},         // 绿色
        {"mixed text", L"3D\u97F3\u4E50", L"yinle"},         // 3D音乐
        {"latin kept out", L"QQ\u97F3\u4E50 v2", L"yinle"},  // QQ音乐
        {"last in range", one(0x9FC3), L"shan"},             // 鿃
        {"first in range", one(0x4E00), L"yi"},              // 一
        {"above range", one(0x9FC4), L""},
        {"below range", one(0x4DFF), L""},              // last hexagram
        {"extension A", one(0x3400), L""},              // 㐀
        {"compatibility ideograph", one(0xF900), L""},  // 豈
        {"fullwidth latin", L"\uFF21\uFF22", L""},      // ＡＢ
        // U+4E06 has no reading and must not leave a gap or separator.
        {"empty entry between", L"\u4E00\u4E06\u4E2D", L"yizhong"},  // 一丆中
        {"no reading in data", L"\u4E2D\u9FB0\u6587", L"zhongwen"},  // 中龰文
    };
    for (const Case& c : cases) {
        EXPECT_EQ(to_pinyin(c.input), c.expected) << c.what;
    }
}

TEST(Pinyin, DropsSupplementaryCharacters) {
    // U+20000 is an ideograph outside the table; it is one code unit on
    // Linux and a surrogate pair on Windows, and neither may produce text.
    EXPECT_EQ(to_pinyin(L"\U00020000"), L"");
    EXPECT_EQ(to_pinyin(L"\u4E2D\U00020000\u6587"), L"zhongwen");  // 中𠀀文
    // U+24E2D has the low 16 bits of U+4E2D; a wide code unit must not be
    // truncated on the way to the table.
    EXPECT_EQ(to_pinyin(L"\U00024E2D"), L"");  // 𤸭
    // Explicit surrogate halves, as Windows file names carry them, including
    // unpaired ones.
    const std::wstring halves = {static_cast<wchar_t>(0xD840), static_cast<wchar_t>(0xDC00),
                                 static_cast<wchar_t>(0xDBFF), static_cast<wchar_t>(0xDFFF),
                                 static_cast<wchar_t>(0xD800)};
    EXPECT_EQ(to_pinyin(halves), L"");
    EXPECT_EQ(to_pinyin(L"\u4E2D" + halves + L"\u6587"), L"zhongwen");
}

// Rows that show the reading choice: frequency over dictionary order, the
// short interjection readings, u-umlaut, and the empty tail of the range.
TEST(Pinyin, KnownReadings) {
    struct Row {
        std::uint32_t cp;
        const wchar_t* reading;
    };
    std::vector<Row> rows = {
        {0x4E00, L"yi"},     // 一
        {0x4E06, L""},       // 丆
        {0x4E2D, L"zhong"},  // 中
        {0x4E50, L"le"},     // 乐
        {0x513F, L"r"},      // 儿
        {0x5463, L"m"},      // 呣
        {0x55EF, L"n"},      // 嗯
        {0x5973, L"nv"},     // 女
        {0x6587, L"wen"},    // 文
        {0x7EFF, L"lv"},     // 绿
        {0x8650, L"nve"},    // 虐
        {0x884C, L"xing"},   // 行
        {0x8985, L"fiao"},   // 覅
        {0x91CD, L"zhong"},  // 重
        {0x957F, L"zhang"},  // 长
        {0x9FA5, L"yu"},     // 龥
        {0x9FC3, L"shan"},   // 鿃
    };
    for (std::uint32_t cp = 0x9FA6; cp <= 0x9FC2; ++cp) {
        rows.push_back({cp, L""});
    }
    for (const Row& row : rows) {
        EXPECT_EQ(entry(row.cp), row.reading) << std::hex << "U+" << row.cp;
        EXPECT_EQ(to_pinyin(one(row.cp)), row.reading) << std::hex << "U+" << row.cp;
    }
}

TEST(PinyinTable, PoolHoldsExactlyTheSyllables) {
    ASSERT_EQ(pinyin_pool_size, 412u);
    EXPECT_EQ(std::wstring(pinyin_pool[0]), L"");

    std::set<std::wstring> expected;
    for (const char* s : kSyllables) {
        expected.insert(widen(s));
    }
    ASSERT_EQ(expected.size(), 411u);

    std::set<std::wstring> pool;
    std::set<std::wstring> non_empty;
    for (std::size_t i = 0; i < pinyin_pool_size; ++i) {
        pool.insert(pinyin_pool[i]);
        if (pinyin_pool[i][0] != L'\0') {
            non_empty.insert(pinyin_pool[i]);
        }
    }
    EXPECT_EQ(pool.size(), pinyin_pool_size) << "pool strings must be distinct";
    EXPECT_EQ(non_empty, expected);
}

TEST(PinyinTable, EntriesAreWellFormed) {
    std::vector<bool> used(pinyin_pool_size, false);
    for (std::size_t i = 0; i < pinyin_entry_count; ++i) {
        const std::uint16_t index = pinyin_table[i];
        ASSERT_LT(index, pinyin_pool_size) << "entry " << i;
        used[index] = true;
        const std::wstring reading = pinyin_pool[index];
        EXPECT_LE(reading.size(), 6u) << "entry " << i;
        for (wchar_t ch : reading) {
            EXPECT_TRUE(ch >= L'a' && ch <= L'z') << "entry " << i;
        }
    }
    for (std::size_t i = 1; i < pinyin_pool_size; ++i) {
        EXPECT_TRUE(used[i]) << "unused syllable " << narrow(pinyin_pool[i]);
    }
}

}  // namespace
}  // namespace tolvanir

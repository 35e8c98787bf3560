#include "config/json_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "config/json_file.h"
#include "platform/utf8.h"

namespace tolvanir {

std::size_t text_source::read(char* buffer, std::size_t size) {
    const std::size_t count = size < text_.size() ? size : text_.size();
    std::memcpy(buffer, text_.data(), count);
    text_.remove_prefix(count);
    return count;
}

namespace {

constexpr std::size_t chunk_size = 256 * 1024;
// Bytes a scan may read past the ones it handles: a whole escape (a pair of
// \uXXXX is twelve bytes) or character, and the sixteen of one vector.
constexpr std::size_t lookahead = 16;

struct parse_failure {};

int hex_digit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Four hexadecimal digits, or -1.
std::int32_t hex_quad(const char* p) {
    std::int32_t value = 0;
    for (int k = 0; k < 4; ++k) {
        const int digit = hex_digit(static_cast<unsigned char>(p[k]));
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

bool is_high(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char* put_utf8(char* out, std::uint32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// Which of the sixteen bytes at p a string cannot copy as they are (a bit
// each): quotes, backslashes, control characters and the bytes of
// multi-byte characters. In `slashes`, the backslashes followed by a slash
// within the sixteen: the writer escapes every separator of a path so.
[[gnu::always_inline]] inline unsigned special_bytes(const char* p, unsigned& slashes) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i backslash = _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'));
    // Signed, bytes from 0x80 on are below 0x20 too.
    const __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), backslash),
                     _mm_cmplt_epi8(v, _mm_set1_epi8(0x20)));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
    if (mask != 0) {
        const auto slash =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('/'))));
        slashes = static_cast<unsigned>(_mm_movemask_epi8(backslash)) & (slash >> 1);
    }
    return mask;
#else
    unsigned mask = 0;
    slashes = 0;
    for (unsigned k = 0; k < 16; ++k) {
        const auto b = static_cast<unsigned char>(p[k]);
        if (b < 0x20 || b >= 0x80 || b == '"' || b == '\\') mask |= 1u << k;
        if (b == '\\' && k < 15 && p[k + 1] == '/') slashes |= 1u << k;
    }
    return mask;
#endif
}

// How many of the sixteen bytes at p are white space before anything else.
[[gnu::always_inline]] inline unsigned leading_space(const char* p) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i space = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                     _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))));
    const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(space)) & 0xFFFFu;
    return other == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(other));
#else
    for (unsigned k = 0; k < 16; ++k) {
        if (p[k] != ' ' && p[k] != '\n' && p[k] != '\r' && p[k] != '\t') return k;
    }
    return 16;
#endif
}

// The text of the string being read: room is made once for a whole buffer
// of input, which a string never outgrows (no escape is shorter than what it
// stands for), so the bytes are written without a test each.
class text_buffer {
  public:
    // Room for `more` bytes after the text; where they go.
    char* room(std::size_t more) {
        if (size_ + more > capacity_) {
            const std::size_t capacity = std::max(2 * capacity_, size_ + more);
            std::unique_ptr<char[]> grown(new char[capacity]);
            if (size_ != 0) std::memcpy(grown.get(), data_.get(), size_);
            data_ = std::move(grown);
            capacity_ = capacity;
        }
        return data_.get() + size_;
    }
    char* begin() { return data_.get(); }
    void clear() { size_ = 0; }
    void set_end(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }
    void push_back(char c) { *room(1) = c, ++size_; }
    [[nodiscard]] std::string_view view() const { return std::string_view(data_.get(), size_); }

  private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0, capacity_ = 0;
};

class reader {
  public:
    reader(byte_source& input, json_events& events)
        : input_(input), events_(events), buffer_(new char[chunk_size + lookahead]) {
        std::memset(buffer_.get(), 0, lookahead);
    }

    void document() {
        if (peek() == 0xEF) {  // a byte-order mark, and nothing else, may start with it
            take();
            if (take() != 0xBB || take() != 0xBF) fail();
        }
        value();
        skip_space();
        if (peek() != end_of_input) fail();
    }

  private:
    static constexpr int end_of_input = -1;

    [[noreturn]] static void fail() { throw parse_failure(); }

    // Keeps the unread bytes, moved to the front, and reads more after them
    // until `lookahead` bytes are there or the input ends; false when no
    // byte is left. The bytes after the last one are zero, so a scan that
    // looks ahead past the end stops there as at a control character.
    bool fill() {
        if (!at_end_) {
            const std::size_t kept = end_ - cur_;
            std::memmove(buffer_.get(), buffer_.get() + cur_, kept);
            cur_ = 0;
            end_ = kept;
            while (end_ < lookahead) {
                const std::size_t got = input_.read(buffer_.get() + end_, chunk_size - end_);
                if (got == 0) {
                    at_end_ = true;
                    break;
                }
                end_ += got;
            }
            std::memset(buffer_.get() + end_, 0, lookahead);
        }
        return cur_ != end_;
    }
    int peek() {
        if (cur_ == end_ && !fill()) return end_of_input;
        return static_cast<unsigned char>(buffer_[cur_]);
    }
    int take() {
        const int c = peek();
        if (c != end_of_input) ++cur_;
        return c;
    }
    void expect(char c) {
        if (take() != static_cast<unsigned char>(c)) fail();
    }

    // White space and comments, within the buffer without a test for its
    // end at every byte: pretty printed files are a third indentation, and
    // a line's indentation is mostly one vector.
    void skip_space() {
        if (end_ - cur_ >= 16) {
            const unsigned blank = leading_space(buffer_.get() + cur_);
            if (blank < 16 && buffer_[cur_ + blank] != '/') {
                cur_ += blank;
                return;
            }
        }
        skip_space_and_comments();
    }
    void skip_space_and_comments() {
        for (;;) {
            while (cur_ < end_) {
                // The zeros after the input end any run.
                const char* const p = buffer_.get() + cur_;
                if (end_ - cur_ >= 16 || at_end_) {
                    const unsigned blank = leading_space(p);
                    cur_ += blank;
                    if (blank == 16) continue;
                    if (cur_ >= end_) break;
                }
                const char c = buffer_[cur_];
                if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                    ++cur_;
                } else if (c == '/') {
                    ++cur_;
                    comment();
                } else {
                    return;
                }
            }
            if (!fill()) return;
        }
    }
    // A comment's bytes are not read as text: what it holds, valid UTF-8 or
    // not, is blanked before the file is decoded.
    void comment() {
        const int kind = take();
        if (kind == '/') {
            for (int c = peek(); c != end_of_input && c != '\n'; c = peek()) ++cur_;
        } else if (kind == '*') {
            for (;;) {
                const int c = take();
                if (c == end_of_input) fail();
                if (c == '*' && peek() == '/') {
                    ++cur_;
                    return;
                }
            }
        } else {
            fail();
        }
    }

    void value() {
        skip_space();
        const int c = peek();
        if (c == '{') {
            object();
        } else if (c == '[') {
            array();
        } else if (c == '"') {
            string();
            events_.value(text_.view());
        } else if (c == 't') {
            literal("true");
        } else if (c == 'f') {
            literal("false");
        } else if (c == 'n') {
            literal("null");
        } else {
            number();
        }
    }

    void literal(const char* word) {
        for (const char* w = word; *w != '\0'; ++w) expect(*w);
        events_.value(word);
    }

    void number() {
        number_.clear();
        const auto digits = [&] {
            while (peek() >= '0' && peek() <= '9') number_.push_back(static_cast<char>(take()));
        };
        if (peek() == '-') number_.push_back(static_cast<char>(take()));
        const int first = peek();
        if (first == '0') {
            number_.push_back(static_cast<char>(take()));
        } else if (first >= '1' && first <= '9') {
            digits();
        } else {
            fail();
        }
        if (peek() == '.') {
            number_.push_back(static_cast<char>(take()));
            if (peek() < '0' || peek() > '9') fail();
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            number_.push_back(static_cast<char>(take()));
            if (peek() == '+' || peek() == '-') number_.push_back(static_cast<char>(take()));
            if (peek() < '0' || peek() > '9') fail();
            digits();
        }
        events_.value(number_);
    }

    void nest() {
        if (++depth_ > max_json_depth) fail();
    }

    void array() {
        ++cur_;
        nest();
        events_.begin_array();
        skip_space();
        if (peek() == ']') {
            ++cur_;
        } else {
            for (;;) {
                value();
                skip_space();
                const int c = take();
                if (c == ']') break;
                if (c != ',') fail();
            }
        }
        --depth_;
        events_.end_array();
    }

    void object() {
        ++cur_;
        nest();
        events_.begin_object();
        skip_space();
        if (peek() == '}') {
            ++cur_;
        } else {
            for (;;) {
                skip_space();
                if (peek() != '"') fail();
                string();
                events_.key(text_.view());
                skip_space();
                expect(':');
                value();
                skip_space();
                const int c = take();
                if (c == '}') break;
                if (c != ',') fail();
            }
        }
        --depth_;
        events_.end_object();
    }

    // A string into text_, as UTF-8. Bytes are handled while `lookahead` of
    // them are in the buffer, or once the input has ended, when the zeros
    // after it stop every scan and make a cut escape or character fail.
    void string() {
        ++cur_;  // the opening quote
        text_.clear();
        for (;;) {
            if (!at_end_ && end_ - cur_ < lookahead) fill();
            const char* p = buffer_.get() + cur_;
            const char* const end = buffer_.get() + end_;
            const char* const stop = at_end_ ? end + 1 : end - lookahead + 1;
            char* out = text_.room(static_cast<std::size_t>(end - p) + lookahead);
            while (p < stop) {
                unsigned slashes = 0;
                const unsigned special = special_bytes(p, slashes);
                if (special == 0) {
                    std::memcpy(out, p, 16);
                    out += 16;
                    p += 16;
                    continue;
                }
                // Up to the first other special byte, the escaped slashes'
                // backslashes are left out and the bytes between copied
                // sixteen at a time, of which only those before the next
                // backslash count.
                const unsigned other = special & ~slashes;
                const unsigned plain =
                    other == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(other));
                const char* from = p;
                for (unsigned left = slashes & ((1u << plain) - 1); left != 0; left &= left - 1) {
                    const char* const backslash = p + __builtin_ctz(left);
                    std::memcpy(out, from, 16);
                    out += backslash - from;
                    from = backslash + 1;
                }
                std::memcpy(out, from, 16);
                out += p + plain - from;
                p += plain;
                if (plain == 16 || p >= stop) continue;
                const auto c = static_cast<unsigned char>(*p);
                if (c == '"') {
                    text_.set_end(out);
                    cur_ = static_cast<std::size_t>(p + 1 - buffer_.get());
                    return;
                }
                if (c == '\\') {
                    p = escape(p, out);
                } else if (c >= 0x80) {
                    p = utf8_character(p, out);
                } else {
                    fail();  // a raw control character, or the end of the input
                }
            }
            text_.set_end(out);
            cur_ = static_cast<std::size_t>(p - buffer_.get());
        }
    }

    // One character of UTF-8 at p, checked as strictly as the file decoder
    // does; past it.
    static const char* utf8_character(const char* p, char*& out) {
        utf8_lead sequence = {};
        if (!read_utf8_lead(static_cast<unsigned char>(*p), sequence)) fail();
        const int extra = sequence.extra;
        std::uint32_t cp = sequence.bits;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(p[k]);
            if ((c & 0xC0) != 0x80) fail();
            cp = (cp << 6) | static_cast<std::uint32_t>(c & 0x3F);
        }
        if (!is_strict_utf8(cp, sequence.least)) fail();
        std::memcpy(out, p, static_cast<std::size_t>(extra + 1));
        out += extra + 1;
        return p + extra + 1;
    }

    // The escape at p (its backslash); past it. A half of a surrogate pair
    // without its partner is read as U+FFFD: older builds wrote such halves,
    // and one must not cost the whole file. A high half followed by another
    // escape leaves that escape to be read on its own.
    static const char* escape(const char* p, char*& out) {
        switch (p[1]) {
            case '"':
            case '\\':
            case '/':
                *out++ = p[1];
                return p + 2;
            case 'b':
                *out++ = '\b';
                return p + 2;
            case 'f':
                *out++ = '\f';
                return p + 2;
            case 'n':
                *out++ = '\n';
                return p + 2;
            case 'r':
                *out++ = '\r';
                return p + 2;
            case 't':
                *out++ = '\t';
                return p + 2;
            case 'u':
                break;
            default:
                fail();
        }
        const std::int32_t unit = hex_quad(p + 2);
        if (unit < 0) fail();
        const auto first = static_cast<std::uint32_t>(unit);
        if (is_high(first) && p[6] == '\\' && p[7] == 'u') {
            const std::int32_t next = hex_quad(p + 8);
            if (next < 0) fail();
            if (is_low(static_cast<std::uint32_t>(next))) {
                out = put_utf8(out, 0x10000 + ((first - 0xD800) << 10) +
                                        (static_cast<std::uint32_t>(next) - 0xDC00));
                return p + 12;
            }
        }
        out = put_utf8(out, is_high(first) || is_low(first) ? 0xFFFD : first);
        return p + 6;
    }

    byte_source& input_;
    json_events& events_;
    // One piece of the input, then `lookahead` zeros.
    std::unique_ptr<char[]> buffer_;
    std::size_t cur_ = 0, end_ = 0;
    bool at_end_ = false;
    int depth_ = 0;
    text_buffer text_;
    std::string number_;
};

}  // namespace

bool read_json(byte_source& input, json_events& events) {
    try {
        reader(input, events).document();
        return true;
    } catch (const parse_failure&) {
        return false;
    }
}

}  // namespace tolvanir

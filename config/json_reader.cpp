#include "config/json_reader.h"

#include <cstdint>
#include <cstring>
#include <memory>

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

struct parse_failure {};

class reader {
  public:
    reader(byte_source& input, json_events& events)
        : input_(input), events_(events), buffer_(new char[chunk_size]) {}

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

    bool refill() {
        if (at_end_) return false;
        cur_ = 0;
        end_ = input_.read(buffer_.get(), chunk_size);
        if (end_ == 0) at_end_ = true;
        return end_ != 0;
    }
    int peek() {
        if (cur_ == end_ && !refill()) return end_of_input;
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

    // White space and comments.
    // Within the buffer without a test for its end at every byte: pretty
    // printed files are a third indentation.
    void skip_space() {
        for (;;) {
            while (cur_ < end_) {
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
            if (!refill()) return;
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

    // One character of UTF-8 into text_, checked as strictly as the file
    // decoder does.
    void utf8_character() {
        const int lead = take();
        if (lead < 0x80) {
            text_.push_back(static_cast<char>(lead));
            return;
        }
        utf8_lead sequence = {};
        if (!read_utf8_lead(static_cast<unsigned char>(lead), sequence)) fail();
        const int extra = sequence.extra;
        std::uint32_t cp = sequence.bits;
        char bytes[4] = {static_cast<char>(lead)};
        for (int k = 1; k <= extra; ++k) {
            const int c = take();
            if (c == end_of_input || (c & 0xC0) != 0x80) fail();
            cp = (cp << 6) | static_cast<std::uint32_t>(c & 0x3F);
            bytes[k] = static_cast<char>(c);
        }
        if (!is_strict_utf8(cp, sequence.least)) fail();
        text_.append(bytes, static_cast<std::size_t>(extra + 1));
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
            events_.value(text_);
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
        text_.clear();
        const auto digits = [&] {
            while (peek() >= '0' && peek() <= '9') text_.push_back(static_cast<char>(take()));
        };
        if (peek() == '-') text_.push_back(static_cast<char>(take()));
        const int first = peek();
        if (first == '0') {
            text_.push_back(static_cast<char>(take()));
        } else if (first >= '1' && first <= '9') {
            digits();
        } else {
            fail();
        }
        if (peek() == '.') {
            text_.push_back(static_cast<char>(take()));
            if (peek() < '0' || peek() > '9') fail();
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            text_.push_back(static_cast<char>(take()));
            if (peek() == '+' || peek() == '-') text_.push_back(static_cast<char>(take()));
            if (peek() < '0' || peek() > '9') fail();
            digits();
        }
        events_.value(text_);
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
                events_.key(text_);
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

    // A string into text_, as UTF-8.
    void string() {
        ++cur_;  // the opening quote
        text_.clear();
        for (;;) {
            // A run of plain ASCII within the buffer goes in one copy.
            std::size_t run = cur_;
            while (run < end_) {
                const auto b = static_cast<unsigned char>(buffer_[run]);
                if (b < 0x20 || b >= 0x80 || b == '"' || b == '\\') break;
                ++run;
            }
            text_.append(buffer_.get() + cur_, run - cur_);
            cur_ = run;
            const int c = peek();
            if (c == end_of_input || (c < 0x20)) fail();  // unterminated, or a raw control
            if (c == '"') {
                ++cur_;
                return;
            }
            if (c == '\\') {
                ++cur_;
                escape();
            } else if (c >= 0x80) {
                utf8_character();
            }
        }
    }

    void escape() {
        const int c = take();
        switch (c) {
            case '"':
            case '\\':
            case '/':
                text_.push_back(static_cast<char>(c));
                return;
            case 'b':
                text_.push_back('\b');
                return;
            case 'f':
                text_.push_back('\f');
                return;
            case 'n':
                text_.push_back('\n');
                return;
            case 'r':
                text_.push_back('\r');
                return;
            case 't':
                text_.push_back('\t');
                return;
            case 'u':
                code_point_reference();
                return;
            default:
                fail();
        }
    }

    std::uint32_t hex_quad() {
        std::uint32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            const int c = take();
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (digit < 0) fail();
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return value;
    }

    static bool is_high(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
    static bool is_low(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

    // A half of a pair without its partner is read as U+FFFD: older builds
    // wrote such halves, and one must not cost the whole file.
    void code_point_reference() {
        std::uint32_t unit = hex_quad();
        for (;;) {
            if (!is_high(unit) || peek() != '\\') {
                put(is_high(unit) || is_low(unit) ? 0xFFFD : unit);
                return;
            }
            ++cur_;  // the next escape's backslash
            if (peek() != 'u') {
                put(0xFFFD);
                escape();
                return;
            }
            ++cur_;
            const std::uint32_t next = hex_quad();
            if (is_low(next)) {
                put(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                return;
            }
            put(0xFFFD);
            unit = next;  // read on its own; it may start a pair itself
        }
    }

    void put(std::uint32_t cp) { append_utf8(text_, cp); }

    byte_source& input_;
    json_events& events_;
    std::unique_ptr<char[]> buffer_;  // not filled ahead: most documents are small
    std::size_t cur_ = 0, end_ = 0;
    bool at_end_ = false;
    int depth_ = 0;
    std::string text_;
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

// A reader of JSON from UTF-8 bytes that arrive in pieces, for files too
// large to hold whole (an index of 100,000 items is tens of megabytes).
//
// It takes and refuses exactly what read_json_file does: Boost.PropertyTree's
// grammar (a UTF-8 byte-order mark skipped, no other white space than space,
// tab and line ends, no raw control characters in strings), comments between
// tokens, at most max_json_depth levels of nesting, only valid UTF-8, and an
// escaped half of a surrogate pair read as U+FFFD. Texts are reported as
// UTF-8; numbers, true, false and null as the text they are written with.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvanir {

// Where the bytes come from.
class byte_source {
  public:
    virtual ~byte_source() = default;
    // Up to `size` next bytes into `buffer`; 0 at the end.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

class text_source : public byte_source {
  public:
    explicit text_source(std::string_view text) : text_(text) {}
    std::size_t read(char* buffer, std::size_t size) override;

  private:
    std::string_view text_;
};

// What the reader reports, in document order. A member's key comes just
// before its value.
class json_events {
  public:
    virtual ~json_events() = default;
    virtual void begin_object() = 0;
    virtual void end_object() = 0;
    virtual void begin_array() = 0;
    virtual void end_array() = 0;
    virtual void key(std::string_view text) = 0;
    virtual void value(std::string_view text) = 0;
};

// False for input that read_json_file would refuse; events reported before
// the fault are not taken back.
[[nodiscard]] bool read_json(byte_source& input, json_events& events);

}  // namespace tolvanir

// What a JSON reader reports, written down as one text, and a source that
// hands out its bytes in pieces of the sizes given in turn: the reader must
// report the same whatever pieces the bytes come in.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config/json_reader.h"

namespace tolvanir::testing {

class json_event_log : public json_events {
  public:
    void begin_object() override { log += '{'; }
    void end_object() override { log += '}'; }
    void begin_array() override { log += '['; }
    void end_array() override { log += ']'; }
    void key(std::string_view text) override { (log += 'k').append(text) += '\0'; }
    void value(std::string_view text) override { (log += 'v').append(text) += '\0'; }

    std::string log;
};

class piece_source : public byte_source {
  public:
    piece_source(std::string_view text, std::vector<std::size_t> sizes)
        : text_(text), sizes_(std::move(sizes)) {}
    std::size_t read(char* buffer, std::size_t size) override {
        std::size_t count = sizes_.empty() ? size : sizes_[next_++ % sizes_.size()];
        count = std::min({count == 0 ? 1 : count, size, text_.size()});
        std::memcpy(buffer, text_.data(), count);
        text_.remove_prefix(count);
        return count;
    }

  private:
    std::string_view text_;
    std::vector<std::size_t> sizes_;
    std::size_t next_ = 0;
};

// Whether the text parses, and what was reported until then.
inline std::pair<bool, std::string> read_events(std::string_view text,
                                                std::vector<std::size_t> sizes = {}) {
    piece_source input(text, std::move(sizes));
    json_event_log events;
    const bool parsed = read_json(input, events);
    return {parsed, events.log};
}

}  // namespace tolvanir::testing

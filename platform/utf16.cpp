#include "platform/utf16.h"

namespace tolvanir {

namespace {

// Natively wchar_t holds whole code points, and a value beyond 16 bits is
// never half of anything.
unsigned long unit_at(const std::wstring& text, std::size_t at) {
    return static_cast<unsigned long>(text[at]);
}

}  // namespace

bool is_lone_surrogate(const std::wstring& text, std::size_t at) {
    const unsigned long unit = unit_at(text, at);
    if (is_high_surrogate(unit)) {
        return at + 1 >= text.size() || !is_low_surrogate(unit_at(text, at + 1));
    }
    if (is_low_surrogate(unit)) return at == 0 || !is_high_surrogate(unit_at(text, at - 1));
    return false;
}

bool replace_lone_surrogates(std::wstring& text) {
    bool replaced = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned long unit = unit_at(text, at);
        if (is_high_surrogate(unit) && at + 1 < text.size() &&
            is_low_surrogate(unit_at(text, at + 1))) {
            ++at;  // a whole pair
        } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
            text[at] = replacement_character;
            replaced = true;
        }
    }
    return replaced;
}

std::wstring cut_at_pair_boundary(const std::wstring& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t length = limit;
    if (length > 0 && is_high_surrogate(unit_at(text, length - 1)) &&
        is_low_surrogate(unit_at(text, length))) {
        --length;
    }
    return text.substr(0, length);
}

void drop_cut_half(std::wstring& text) {
    if (!text.empty() && is_high_surrogate(unit_at(text, text.size() - 1))) text.pop_back();
}

}  // namespace tolvanir

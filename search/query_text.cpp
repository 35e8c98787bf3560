#include "search/query_text.h"

#include "platform/lower_case.h"

namespace tolvanir {

std::wstring normalize_query(const std::wstring& typed) {
    bool beyond_latin1 = false;
    for (const wchar_t c : typed) beyond_latin1 = beyond_latin1 || c >= 0x100;
    // One call for the whole text, so the platform sees surrogate pairs whole.
    const std::wstring lowered = beyond_latin1 ? platform_lower_case(typed) : std::wstring();

    std::wstring query;
    query.reserve(typed.size());
    for (std::size_t k = 0; k < typed.size(); ++k) {
        wchar_t c = typed[k];
        if (c == L' ') continue;
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        } else if (c >= 0x100 && lowered.size() == typed.size()) {
            c = lowered[k];
        }
        query.push_back(c);
    }
    return query;
}

}  // namespace tolvanir

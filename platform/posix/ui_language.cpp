#include "platform/ui_language.h"

#include <cstdlib>

#include "platform/posix/locale_name.h"

namespace tolvanir {

std::wstring ui_language_name() {
    // POSIX precedence for messages: the first of these that is set and not empty.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return locale_name_from_posix(value);
    }
    return locale_name_from_posix("");
}

}  // namespace tolvanir

#include "platform/builtin_language.h"

#include "builtin_language_data.h"

namespace tolvanir {

std::optional<std::string> builtin_language_bytes() {
    return std::string(reinterpret_cast<const char*>(builtin_language_data), builtin_language_size);
}

}  // namespace tolvanir

#include "config/kept_file.h"

#include <boost/filesystem/operations.hpp>

#include "platform/file_link.h"

namespace tolvanir {

namespace {

// Far beyond what a user collects; past it, something else is wrong.
constexpr int max_kept_number = 9999;

}  // namespace

boost::filesystem::path kept_file_name(const boost::filesystem::path& file, int number) {
    boost::filesystem::path name = file.parent_path() / file.stem();
    name += ".unread-" + std::to_string(number);
    name += file.extension();
    return name;
}

std::optional<kept_file> keep_under_free_name(const boost::filesystem::path& file) {
    for (int number = 1; number <= max_kept_number; ++number) {
        const boost::filesystem::path name = kept_file_name(file, number);
        switch (link_without_replacing(file, name)) {
            case link_result::linked:
                return kept_file{name, true};
            case link_result::moved:
                return kept_file{name, false};
            case link_result::name_taken:
                continue;
            case link_result::failed:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

void give_name_back(const boost::filesystem::path& file, const kept_file& kept) {
    boost::system::error_code ignored;
    if (kept.linked) {
        boost::filesystem::remove(kept.name, ignored);
        return;
    }
    // Should something have taken the name meanwhile, the file stays kept.
    if (link_without_replacing(kept.name, file) == link_result::linked) {
        boost::filesystem::remove(kept.name, ignored);
    }
}

}  // namespace tolvanir

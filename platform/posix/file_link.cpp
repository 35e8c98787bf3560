#include "platform/file_link.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <unistd.h>

#include <cerrno>

namespace tolvanir {

link_result link_without_replacing(const boost::filesystem::path& file,
                                   const boost::filesystem::path& name) {
    if (::link(file.c_str(), name.c_str()) == 0) return link_result::linked;
    if (errno == EEXIST) return link_result::name_taken;
    if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
        return link_result::moved;
    }
    return errno == EEXIST ? link_result::name_taken : link_result::failed;
}

bool names_can_change(const boost::filesystem::path&) { return true; }

}  // namespace tolvanir

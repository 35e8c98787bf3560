// A second name for a file, never replacing a file that already has it; and
// whether a file's names can change at all.
//
// A hard link where the file system has them: it needs no access to the
// file's contents, so it works while another program holds the file open
// without sharing it, and the file keeps its own name too. Elsewhere the file
// is moved to the new name.
// Windows: CreateHardLinkW, else MoveFileExW without MOVEFILE_REPLACE_EXISTING.
// POSIX: link, else renameat2 with RENAME_NOREPLACE.
//
// A file that another program holds open without letting it be deleted can be
// neither moved nor replaced, and no name of it removed (Windows: an open
// for DELETE is refused). POSIX names always can change.
#pragma once

#include <boost/filesystem/path.hpp>

namespace tolvanir {

enum class link_result {
    linked,      // both names now lead to the file
    moved,       // the file has only the new name
    name_taken,  // something already has the new name; nothing changed
    failed,      // neither was possible; nothing changed
};

[[nodiscard]] link_result link_without_replacing(const boost::filesystem::path& file,
                                                 const boost::filesystem::path& name);

[[nodiscard]] bool names_can_change(const boost::filesystem::path& file);

}  // namespace tolvanir

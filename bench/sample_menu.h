// A Start Menu as users have one, on disk: distinct real files in folders
// of a vendor and a product, with names as mixed as real menus hold
// (product names, versions, uninstallers and help, Chinese names and
// Chinese with Latin, kana, accents, digits and punctuation). The files
// are empty: the index only asks whether they exist.
#pragma once

#include <boost/filesystem/path.hpp>
#include <cstddef>
#include <string>
#include <vector>

#include "index/program_item.h"

namespace tolvanir::bench {

struct sample_menu {
    boost::filesystem::path root;
    // The items a scan builds from the files, in the order it finds them.
    std::vector<program_item> items;
    std::size_t folders = 0;  // holding files
};

// `count` files, `per_folder` in each folder, below `root`. A tree that an
// earlier call made with the same numbers is taken as it is.
[[nodiscard]] sample_menu make_sample_menu(const boost::filesystem::path& root, std::size_t count,
                                           std::size_t per_folder = 50);

// Index.json text for the items in the order given, formatted as the
// program writes it: the file a hand-made or an older index leaves, when
// the order is not the program's own.
[[nodiscard]] std::string index_text_in_order(const std::vector<program_item>& items);

// A menu of `count` files kept in the system's temporary directory under a
// name of its own, made by the first benchmark that needs it and taken as
// it is by later runs: making 100,000 files takes a while.
[[nodiscard]] const sample_menu& kept_menu(std::size_t count, const std::string& name = "menu");

}  // namespace tolvanir::bench

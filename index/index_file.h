// The program index on disk: Data/Index.json, loaded when the window is
// created and written when it is destroyed.
#pragma once

#include <boost/filesystem/path.hpp>
#include <functional>
#include <istream>
#include <vector>

#include "config/json_file.h"
#include "index/tolvanir_list.h"

namespace tolvanir {

// Whether a stored item's file still exists as a regular file.
using file_test = std::function<bool(const std::wstring& path)>;
bool is_regular_file(const std::wstring& path);

// Inserts every stored item whose file still exists, in stored order. An item
// whose use count does not parse is taken with a count of 0.
void load_index_tree(const wptree& tree, tolvanir_list& index,
                     const file_test& exists = is_regular_file);
// The same straight from the file's text, without building a tree: the
// reader reports each value and the items are assembled as they come. False
// (and nothing inserted) for text that does not parse.
[[nodiscard]] bool load_index_text(const std::string& utf8, tolvanir_list& index,
                                   const file_test& exists = is_regular_file);

// The same from a stream read in pieces, with the default file test; false
// for text that does not parse (nothing is moved aside: for tools that look).
[[nodiscard]] bool load_index_stream(std::istream& in, tolvanir_list& index);

// Sorts and deduplicates the index, then builds the tree that is written.
wptree index_tree(tolvanir_list& index);
// Sorts and deduplicates the index, then gives the bytes the tree above
// formats to, written straight from the items.
[[nodiscard]] std::string index_text(tolvanir_list& index);

// Says what it found; a file that does not parse is moved aside.
file_read load_index(tolvanir_list& index, const boost::filesystem::path& file);
// A failed write is reported quietly and the run goes on; returns whether
// the file was written. `found` is what the load found: a file that could
// not be read then is kept under a name of its own before it is replaced
// (config/json_file.h, replace_data_file).
bool save_index(tolvanir_list& index, const boost::filesystem::path& file,
                file_read found = file_read::read);

// The elements of an index file, read but not inserted: for a file read
// late, whose items are merged into the index (tolvanir_list::merge_stored).
using stored_items = packed_items;
// Reads the file in pieces, trying to open it `attempts` times; one that
// does not parse is moved aside, as load_index does.
file_read read_stored_items(const boost::filesystem::path& file, stored_items& stored,
                            int attempts);

// Data/Index.json beside the executable, its directory made when missing.
boost::filesystem::path index_file_path();

// The same, on Data/Index.json beside the executable.
file_read load_index(tolvanir_list& index);
bool save_index(tolvanir_list& index, file_read found = file_read::read);

}  // namespace tolvanir

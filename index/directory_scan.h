// Scanning: the shortcuts and executables below a scan directory become
// program items, named from Desktop.ini, the file name or the version
// resource.
#pragma once

#include <boost/thread/thread.hpp>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "index/scanner_directory.h"
#include "index/tolvanir_list.h"
#include "platform/stop_event.h"

namespace tolvanir {

// The Start Menu folders, the taskbar's pinned items and the desktop.
const std::vector<scanner_directory>& default_scan_directories();

// A directory's Desktop.ini names: file name (exactly as written) to name.
using localized_names = std::map<std::wstring, std::wstring>;

// Empties `names` and fills it from the directory's Desktop.ini when that
// file carries the System attribute.
void load_localized_names(const std::wstring& directory, localized_names& names);

// Builds and inserts the item for one .lnk or .exe file not yet in the
// index; reads the shortcut and version resource with no lock held.
void add_file(tolvanir_list& index, const std::wstring& path, const localized_names& names);

// Walks the directory to `depth` levels; false when it is not a usable
// directory. Returns early, keeping what it inserted, once `stop` is set.
bool scan_tree(tolvanir_list& index, const std::wstring& directory, int depth,
               const stop_event& stop);

// The directory a record names: environment variables expanded, a relative
// path taken below the program directory.
[[nodiscard]] std::wstring resolve_scan_directory(const std::wstring& configured,
                                                  const std::wstring& program_dir);

// Starts a thread running `body`; throws boost::thread_resource_error when
// the system has none to give.
using thread_starter = std::function<boost::thread(std::function<void()> body)>;
boost::thread start_thread(std::function<void()> body);

// The body of a scanner thread: starts the directory's watcher, waits until
// it watches, scans, then waits for the watcher to end with `stop`. Without
// a watcher thread the directory is still scanned, only not followed.
void scanner_main(tolvanir_list& index, const scanner_directory& directory, const stop_event& stop,
                  const std::wstring& program_dir, const thread_starter& start = start_thread);

}  // namespace tolvanir

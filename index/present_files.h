// Which stored paths still name regular files, as a status query that
// follows links tells. Checking a hundred thousand paths one by one costs
// seconds on Windows; a directory that holds several of them is listed once
// instead, and only what the listing cannot tell is asked for one by one.
//
// The paths are grouped by directory and the directories listed on a thread
// of their own while the paths still come in (the index file is being
// read), so that the two take two cores; listing takes the longer, so the
// reading thread lists too once every path is in.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace tolvanir {

class present_files {
  public:
    present_files();
    ~present_files();
    present_files(const present_files&) = delete;
    present_files& operator=(const present_files&) = delete;

    // A path in generalized UTF-8, as the index keeps it; its bytes must
    // stay where they are until answers().
    void add(std::string_view path);
    // Room for `count` paths, before the first is added.
    void reserve(std::size_t count);
    // For every path added, in order, whether it names a regular file.
    [[nodiscard]] std::vector<bool> answers();
    // Gives the check up: once it returns, no path added is read any more, so
    // their bytes may go. answers() must not follow.
    void stop();

  private:
    struct state;
    std::unique_ptr<state> state_;
};

// The same for paths at hand.
[[nodiscard]] std::vector<bool> regular_files(const std::vector<std::string_view>& paths);

}  // namespace tolvanir

// A data file as the program meets it when another program holds it at
// start, and what must hold when such a file is never read in a whole run.
#pragma once

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <memory>
#include <string>

#include "config/kept_file.h"
#include "support/file_attributes.h"
#include "support/temp_dir.h"

namespace tolvanir::testing {

// The file as the program meets it when another program holds it: held open
// without sharing where this process can be refused that, else too large to
// read. Its own bytes come back when the result goes.
inline std::shared_ptr<void> make_unreadable(const boost::filesystem::path& file) {
    if (auto held = hold_unreadable(file.wstring())) return held;
    return grow_unreadable(file.wstring());
}

// Held for the whole run, exit included. Where the holder lets the name be
// taken, the user's file is kept under its own name and a new one takes its
// place; where it does not, the file stays as it is. Either way nothing is
// lost, and a later run held the same way keeps its file under the next name.
template <typename Save>
void expect_kept_over_two_runs(const boost::filesystem::path& file, Save save_held_run) {
    const std::string user = read_bytes(file);
    std::string before = user;
    int next = 1;
    for (int run = 1; run <= 2; ++run) {
        auto held = make_unreadable(file);
        const bool written = save_held_run();
        held.reset();
        if (written) {
            EXPECT_EQ(read_bytes(kept_file_name(file, next++)), before) << run;
        } else {
            EXPECT_EQ(read_bytes(file), before) << run;
        }
        EXPECT_FALSE(boost::filesystem::exists(kept_file_name(file, next))) << run;
        if (next > 1) {
            EXPECT_EQ(read_bytes(kept_file_name(file, 1)), user) << run;
        }
        before = read_bytes(file);
    }
}

}  // namespace tolvanir::testing

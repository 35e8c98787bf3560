// JSON text from a test as a tree; a text that does not parse fails the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/json_file.h"

namespace tolvanir::testing {

inline wptree parsed(const std::string& text) {
    wptree tree;
    EXPECT_TRUE(parse_json_text(text, tree)) << text;
    return tree;
}

}  // namespace tolvanir::testing

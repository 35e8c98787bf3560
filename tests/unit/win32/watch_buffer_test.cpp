#include "platform/win32/watch_buffer.h"

#include <gtest/gtest.h>

namespace tolvanir {
namespace {

// A share refuses the large buffer once; the watch asks again with 64 KiB
// instead of giving up for good, and stops asking when that fails too.
TEST(WatchBuffer, ANetworkShareGetsTheBufferItTakes) {
    const struct {
        DWORD size, error, next;
    } rows[] = {
        {watch_buffer_size, ERROR_INVALID_PARAMETER, network_watch_buffer_size},
        {network_watch_buffer_size, ERROR_INVALID_PARAMETER, 0},
        {watch_buffer_size, ERROR_ACCESS_DENIED, 0},
        {watch_buffer_size, ERROR_NOTIFY_ENUM_DIR, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(smaller_watch_buffer(row.size, row.error), row.next)
            << row.size << " " << row.error;
    }
}

}  // namespace
}  // namespace tolvanir

// A process in which no complete engine library is ever found: the object
// says so, and every operation fails cleanly instead of calling nowhere.

#include "isam/IsamFile.h"

#include <gtest/gtest.h>

using qel::TIsamFile;

namespace {

TEST(IsamFileWithoutEngine, NothingLoadsAndOperationsFailWith21) {
    EXPECT_FALSE(TIsamFile("/nonexistent-qel-engine-folder").EngineLoaded());
    // The library is there but lacks IsmFetchField.
    TIsamFile file(FAKE_PARTIAL_ENGINE_DIR);
    ASSERT_FALSE(file.EngineLoaded());
    EXPECT_FALSE(file.OpenDataset("/tmp/QelDBase", 3));
    EXPECT_EQ(file.LastError(), 21);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.CreateDataset("/tmp/QelDBase", 10, "X$*21"));
    EXPECT_EQ(file.LastError(), 21);
    EXPECT_EQ(file.RecordCount(), -1);
    EXPECT_EQ(file.KeyLength(), -1);
    EXPECT_EQ(file.NextKey(), "");
    // The closed state is still reported as such.
    EXPECT_FALSE(file.GoTop(0));
    EXPECT_EQ(file.LastError(), 4);
}

} // namespace

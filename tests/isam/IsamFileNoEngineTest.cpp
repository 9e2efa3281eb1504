// A process in which no complete engine library is ever found: the object
// says so, and every operation fails cleanly instead of calling nowhere.

#include "isam/IsamFile.h"

#include <gtest/gtest.h>

using qel::TIsamFile;

namespace {

TEST(IsamFileWithoutEngine, MissingFolderOrEntryPointLeavesEngineUnloaded) {
    const TIsamFile missing("/nonexistent-qel-engine-folder");
    EXPECT_FALSE(missing.EngineLoaded());
    // The library is there but lacks IsmFetchField.
    EXPECT_FALSE(TIsamFile(FAKE_PARTIAL_ENGINE_DIR).EngineLoaded());
}

TEST(IsamFileWithoutEngine, OperationsFailWith21) {
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

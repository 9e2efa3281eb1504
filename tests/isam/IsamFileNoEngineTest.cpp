// No complete engine library is ever found in this process: every operation fails cleanly.

#include "isam/IsamFile.h"

#include <gtest/gtest.h>

TEST(IsamFileWithoutEngine, NothingLoadsAndOperationsFailWith21) {
    EXPECT_FALSE(qel::TIsamFile("/nonexistent-qel-engine-folder").EngineLoaded());
    qel::TIsamFile file(FAKE_PARTIAL_ENGINE_DIR); // the library lacks IsmFetchField
    ASSERT_FALSE(file.EngineLoaded());
    EXPECT_FALSE(file.OpenDataset("/tmp/QelDBase", 3) || file.IsOpen());
    EXPECT_EQ(file.LastError(), 21);
    EXPECT_FALSE(file.CreateDataset("/tmp/QelDBase", 10, "X$*21"));
    EXPECT_EQ(file.LastError(), 21);
    EXPECT_EQ(file.RecordCount() + file.KeyLength(), -2);
    EXPECT_EQ(file.NextKey(), "");
    EXPECT_FALSE(file.GoTop(0));
    EXPECT_EQ(file.LastError(), 4) << "the closed state is still reported as such";
}

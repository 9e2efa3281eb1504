// No complete engine library is ever found in this process: every operation fails cleanly.

#include "isam/IsamFile.h"

#include <gtest/gtest.h>

TEST(IsamFileWithoutEngine, NothingLoadsAndOperationsFailWith21) {
    EXPECT_FALSE(qel::TIsamFile("/nonexistent-qel-engine-folder").EngineLoaded());
    qel::TIsamFile file(FAKE_PARTIAL_ENGINE_DIR); // the library lacks IsmFetchField
    ASSERT_FALSE(file.EngineLoaded());
    EXPECT_TRUE(!file.OpenDataset("/tmp/QelDBase", 3) && !file.IsOpen() && file.LastError() == 21);
    EXPECT_TRUE(!file.CreateDataset("/tmp/QelDBase", 10, "X$*21") && file.LastError() == 21);
    EXPECT_EQ(file.RecordCount() + file.KeyLength(), -2);
    EXPECT_TRUE(file.NextKey().empty() && !file.GoTop(0) && file.LastError() == 4) << "the closed state stays 4";
}

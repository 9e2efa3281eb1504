#include "settings/Autostart.h"
#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "records/UiPorts.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>
#include <vector>

namespace qel {
namespace {

struct TShownBox {
    TBoxKind Kind;
    std::string Text;
    TBoxButtons Buttons;
    bool operator==(const TShownBox&) const = default;
};

class TBoxRecorder : public IMessageBoxes {
public:
    TBoxAnswer Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) override {
        Shown.push_back({kind, text, buttons});
        return TBoxAnswer::Ok;
    }
    std::vector<TShownBox> Shown;
};

class Autostart : public ::testing::Test {
protected:
    TScratchFolder Scratch;
    TFakePlatform Platform{Scratch.Path()};
    TIniFile Settings{Platform, keys::ProfileFileName};
    TBoxRecorder Boxes;
    std::string Entry = Platform.AutostartFolder() + "Qel.desktop";
    std::string Program = Scratch.Path() + "qel";
};

TEST_F(Autostart, EntryStartsTheStoredProgramAndIsConfirmed) {
    test::Spit(Program, "#!/bin/sh\n", 0755);
    Settings.WriteString(keys::Locations, keys::FileLocation, Program);
    EXPECT_TRUE(CreateAutostartShortcut(Settings, Platform, Boxes));
    EXPECT_EQ(test::Slurp(Entry),
              "[Desktop Entry]\nType=Application\nName=Qel\nExec=" + Program + "\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(Boxes.Shown, (std::vector<TShownBox>{{TBoxKind::Information,
                                                    "Qel will now start automatically on startup", TBoxButtons::Ok}}));
}

TEST_F(Autostart, MissingProgramIsAnErrorWithoutConfirmation) {
    Settings.WriteString(keys::Locations, keys::FileLocation, Program);
    EXPECT_FALSE(CreateAutostartShortcut(Settings, Platform, Boxes));
    EXPECT_EQ(Boxes.Shown, (std::vector<TShownBox>{{TBoxKind::Error,
                                                    "Cannot create the autostart entry: " + Program + " does not exist",
                                                    TBoxButtons::Ok}}));
    EXPECT_FALSE(Platform.FileExists(Entry));
}

TEST_F(Autostart, UnsetProgramLocationNamesNotEntered) {
    EXPECT_FALSE(CreateAutostartShortcut(Settings, Platform, Boxes));
    ASSERT_EQ(Boxes.Shown.size(), 1u);
    EXPECT_EQ(Boxes.Shown[0].Kind, TBoxKind::Error);
    EXPECT_EQ(Boxes.Shown[0].Text, "Cannot create the autostart entry: Not_Entered does not exist");
}

TEST_F(Autostart, RefusedWriteIsReportedWithoutConfirmation) {
    test::Spit(Program, "#!/bin/sh\n", 0755);
    Settings.WriteString(keys::Locations, keys::FileLocation, Program);
    Platform.FailWrites = true;
    EXPECT_FALSE(CreateAutostartShortcut(Settings, Platform, Boxes));
    EXPECT_EQ(Boxes.Shown,
              (std::vector<TShownBox>{{TBoxKind::Error,
                                       "Cannot create the autostart entry: " + Entry + ": No space left on device",
                                       TBoxButtons::Ok}}));
}

} // namespace
} // namespace qel

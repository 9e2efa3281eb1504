#include "settings/FormState.h"
#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

class FormState : public ::testing::Test {
protected:
    void Given(const std::string& text) {
        ::mkdir(Platform.ConfigFolder().c_str(), 0755);
        test::Spit(Ini.FileName(), text);
    }

    TScratchFolder Scratch;
    TFakePlatform Platform{Scratch.Path()};
    TIniFile Ini{Platform, keys::ProfileFileName};
    TFormStateStore Store{Ini};
};

TEST_F(FormState, PlacementIsWrittenAsFourKeysAndReadBack) {
    const TWindowPlacement placement{0, 3, 10, 20, 810, 620, -16777201};
    Store.WritePlacement(keys::FrmMain, placement);
    EXPECT_EQ(test::Slurp(Ini.FileName()),
              "[TfrmMain]\nFlags=0\nShowCmd=3\nNormalPos=10,20,810,620\nColor=-16777201\n");
    EXPECT_EQ(Store.ReadPlacement(keys::FrmMain), placement);
    EXPECT_EQ(Store.ReadPlacement(keys::FrmSelectStatus), std::nullopt);
}

// A garbled or incomplete placement is not restored; one written by hand
// with blanks, hex and other letter case is.
TEST_F(FormState, PlacementIsReadOnlyWhenWhole) {
    const std::pair<const char*, const char*> garbled[] = {
        {"1", "10,20,abc,40"}, {"1", "10,20,30"},         {"1", "10,20,30,40,50"},  {"1", "10,20,30,40,"},
        {"1", "500,20,30,40"}, {"normal", "10,20,30,40"}, {nullptr, "10,20,30,40"}, {"1", nullptr}};
    for (const auto& [show, position] : garbled) {
        Given(std::string("[TfrmMain]\nFlags=0\n") + (show ? "ShowCmd=" + std::string(show) + "\n" : "") +
              (position ? "NormalPos=" + std::string(position) + "\n" : "") + "Color=0\n");
        EXPECT_EQ(Store.ReadPlacement(keys::FrmMain), std::nullopt)
            << (show ? show : "-") << (position ? position : "-");
    }
    Given("[tfrmmain]\nflags=0x2\nSHOWCMD= 1\nNormalPos= 10, 20 ,30 ,40\nColor=0\n");
    EXPECT_EQ(Store.ReadPlacement(keys::FrmMain), (TWindowPlacement{2, 1, 10, 20, 30, 40, 0}));
}

TEST_F(FormState, PropertiesKeepTheirOwnKeysAndDefaults) {
    EXPECT_TRUE(Store.ReadBool(keys::FrmSettings, keys::ConfirmStatusExitChecked, true));
    EXPECT_FALSE(Store.ReadBool(keys::FrmSettings, keys::PlayWavFileChecked, false));
    EXPECT_EQ(Store.ReadText(keys::FrmSettings, keys::WavFileSelectedText, ""), "");
    EXPECT_EQ(Store.ReadInt(keys::FrmMain, keys::SplitterMainPosition, 150), 150);

    Store.WriteBool(keys::FrmSettings, keys::PlayWavFileChecked, true);
    Store.WriteText(keys::FrmSettings, keys::WavFileSelectedText, "/home/ann/sounds/new mail.wav");
    Store.WriteBool(keys::FrmSettings, keys::ConfirmStatusExitChecked, false);
    Store.WriteInt(keys::FrmMain, keys::SplitterMainPosition, 212);

    EXPECT_TRUE(Store.ReadBool(keys::FrmSettings, keys::PlayWavFileChecked, false));
    EXPECT_EQ(Store.ReadText(keys::FrmSettings, keys::WavFileSelectedText, ""), "/home/ann/sounds/new mail.wav");
    EXPECT_FALSE(Store.ReadBool(keys::FrmSettings, keys::ConfirmStatusExitChecked, true));
    EXPECT_EQ(Store.ReadInt(keys::FrmMain, keys::SplitterMainPosition, 150), 212);
    EXPECT_EQ(test::Slurp(Ini.FileName()), "[TfrmSettings]\n"
                                           "chkPlayWavFile.Checked=1\n"
                                           "edtWavFileSelected.Text=/home/ann/sounds/new mail.wav\n"
                                           "chkConfirmStatusExit.Checked=0\n"
                                           "[TfrmMain]\n"
                                           "SplitterMain.Position=212\n");
}

TEST_F(FormState, StoreAndASecondSettingsObjectShareOneFile) {
    TIniFile settings(Platform, "Qel.ini");
    settings.WriteString(keys::Locations, keys::DBaseLocation, "/srv/qel/");
    Store.WriteBool(keys::FrmSettings, keys::DisplayExtChecked, false);
    settings.WriteBool(keys::Qel, keys::FirstTimeRun, false);
    EXPECT_EQ(settings.ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered), "/srv/qel/");
    EXPECT_FALSE(Store.ReadBool(keys::FrmSettings, keys::DisplayExtChecked, true));
    EXPECT_FALSE(settings.ReadBool(keys::Qel, keys::FirstTimeRun, true));
}

} // namespace
} // namespace qel

#include "platform/FakePlatform.h"
#include "settings/FormState.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/FileProbes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <tuple>

namespace qel::test {
namespace {

using ::testing::StrEq;
using ::testing::ThrowsMessage;

class Profile : public ::testing::Test {
protected:
    void Given(const std::string& text) {
        ::mkdir(Platform.ConfigFolder().c_str(), 0755);
        Spit(Path, text);
    }

    TScratchFolder Scratch;
    TFakePlatform Platform{Scratch.Path()};
    TIniFile Ini{Platform, keys::ProfileFileName};
    TFormStateStore Store{Ini};
    std::string Path = Platform.ConfigFolder() + "Qel.ini";
};

// Defaults without a file; names without regard to case; the first match wins; integers decimal or hex.
TEST_F(Profile, ReadsFindTheFirstMatchAndFallBackToTheDefault) {
    EXPECT_EQ(Ini.FileName(), Path);
    EXPECT_EQ(TIniFile(Platform, "/etc/qel/other.ini").FileName(), "/etc/qel/other.ini");
    EXPECT_EQ(Ini.ReadInteger("Options", "Interval", 42), 42);
    EXPECT_TRUE(Ini.ReadBool("Qel", "First_Time_Run", true));
    EXPECT_FALSE(Ini.ValueExists("Qel", "First_Time_Run"));
    EXPECT_FALSE(Platform.FileExists(Path));
    Given("[Locations]\nQel_DBaseLocation=/srv/old/\n"
          "[Options]\nStay_On_Top =   yes  \nQuoted=\" padded \"\nEmpty=\n"
          "[Qel]\nFirst_Time_Run=0\nfirst_time_run=1\n[QEL]\nFirst_Time_Run=1\nOnly_Later=x\n"
          "[N]\nDec=42\nNeg=-7\nPlus=+5\nPadded=  12  \nHex=0x1F\nHexUpper=0XfF\nAllBits=0xFFFFFFFF\n"
          "Trailing=12abc\nWord=yes\nEmpty=\nHuge=99999999999\nHexHuge=0x100000000\nBareHex=0x\nPlusMinus=+-3\n"
          "Two=2\nHexZero=0x0\n");
    const std::pair<const char*, const char*> strings[] = {{"LOCATIONS", "qel_dbaselocation"},
                                                           {"Options", "Qel_DBaseLocation"},
                                                           {"Locations", "Missing"},
                                                           {"Options", "Stay_On_Top"},
                                                           {"Options", "Quoted"},
                                                           {"Options", "Empty"},
                                                           {"Qel", "First_Time_Run"},
                                                           {"Qel", "Only_Later"}};
    std::string read;
    for (const auto& [section, key] : strings)
        read += Ini.ReadString(section, key, "-") + "|";
    EXPECT_EQ(read, "/srv/old/|-|-|yes| padded ||0|-|");
    std::string numbers;
    for (const char* key : {"Dec", "Neg", "Plus", "Padded", "Hex", "HexUpper", "AllBits", "Trailing", "Word", "Empty",
                            "Huge", "HexHuge", "BareHex", "PlusMinus"})
        numbers += std::to_string(Ini.ReadInteger("N", key, -99)) + " ";
    EXPECT_EQ(numbers, "42 -7 5 12 31 255 -1 -99 -99 -99 -99 -99 -99 -99 ");
    EXPECT_TRUE(Ini.ReadBool("N", "Two", false));
    EXPECT_FALSE(Ini.ReadBool("N", "HexZero", true));
    EXPECT_FALSE(Ini.ReadBool("N", "Word", false));
    EXPECT_TRUE(Ini.SectionExists("locations"));
    EXPECT_TRUE(Ini.ValueExists("locations", "QEL_DBASELOCATION"));
}

// Writes change their own line or append, and keep every other line as it was.
TEST_F(Profile, WritesKeepEveryOtherLineAsItWas) {
    // Before (nullptr: no file), the writes (section, key, value; no key: erase the section), after.
    const std::tuple<const char*, std::vector<std::array<const char*, 3>>, const char*> cases[] = {
        {nullptr,
         {{"Locations", "Qel_DBaseLocation", "/srv/qel/"}, {"Qel", "First_Time_Run", "0"}},
         "[Locations]\nQel_DBaseLocation=/srv/qel/\n[Qel]\nFirst_Time_Run=0\n"},
        {"[Locations]\nQel_DBaseLocation=/srv/old/\n",
         {{"locations", "QEL_DBASELOCATION", "/srv/a=b;c/"}},
         "[Locations]\nQel_DBaseLocation=/srv/a=b;c/\n"},
        {"; Qel\n\n[Locations]\nQel_DBaseLocation=/srv/qel/\n  Custom_Key = as typed  \n; note\n\n"
         "[Options]\nStay_On_Top=Yes\nUnknown_Option=3\n",
         {{"Locations", "Qel_File_Location", "/usr/bin/qel"}, {"Options", "Unknown_Option", "4"}},
         "; Qel\n\n[Locations]\nQel_DBaseLocation=/srv/qel/\n  Custom_Key = as typed  \nQel_File_Location=/usr/bin/"
         "qel\n; note\n\n[Options]\nStay_On_Top=Yes\nUnknown_Option=4\n"},
        {"[Options]\nStay_On_Top=No",
         {{"Qel", "First_Time_Run", "1"}},
         "[Options]\nStay_On_Top=No\n[Qel]\nFirst_Time_Run=1\n"},
        {"[A]\nx=1\n\n[TfrmMain]\nFlags=0\nShowCmd=1\n[B]\ny=2\n",
         {{"tfrmmain", nullptr, nullptr}},
         "[A]\nx=1\n\n[B]\ny=2\n"},
        {"[Options]\r\nStay_On_Top=No\r\n",
         {{"Options", "Stay_On_Top", "Yes"}, {"Options", "Other", "1"}, {"Qel", "First_Time_Run", "0"}},
         "[Options]\r\nStay_On_Top=Yes\r\nOther=1\r\n[Qel]\r\nFirst_Time_Run=0\r\n"}};
    for (const auto& [before, writes, after] : cases) {
        std::filesystem::remove(Path);
        if (before)
            Given(before);
        Platform.WrittenFiles.clear();
        for (const auto& [section, key, value] : writes)
            key ? Ini.WriteString(section, key, value) : Ini.EraseSection(section);
        EXPECT_EQ(FileBytes(Path), after);
        EXPECT_FALSE(Platform.WrittenFiles.empty()) << "every write goes through the platform: " << after;
    }
    EXPECT_EQ(Ini.ReadString("Options", "Stay_On_Top", ""), "Yes") << "read from the CR LF file";
}

class TUnreadable : public TPlatformWrapper {
public:
    using TPlatformWrapper::TPlatformWrapper;
    bool ReadFile(const std::string&, std::string*) override { return false; }
};

// A refused write (unreadable file, line break, bad name, failed write) raises and keeps the file.
TEST_F(Profile, RefusedWritesRaiseTheErrorAndKeepTheOldFile) {
    const std::string before = "[Locations]\nQel_DBaseLocation=/srv/qel/\n";
    Given(before);
    TUnreadable unreadable(Platform);
    TIniFile unreadableIni(unreadable, keys::ProfileFileName);
    EXPECT_EQ(unreadableIni.ReadString("Locations", "Qel_DBaseLocation", "Not_Entered"), "Not_Entered");
    EXPECT_THROW(unreadableIni.WriteString("Qel", "First_Time_Run", "0"), EIniFileError);
    EXPECT_THROW(unreadableIni.EraseSection("Locations"), EIniFileError);
    using TTexts = std::initializer_list<std::string>;
    for (const std::string& key :
         TTexts{"Key\nStay_On_Top", std::string("A\0B", 3), "", "  ", "a=b", ";comment", "[Section"})
        EXPECT_THROW(Ini.WriteString("Locations", key, "1"), EIniFileError) << key;
    for (const std::string& section : TTexts{"Options]\n[Qel", "", "a]b"})
        EXPECT_THROW(Ini.WriteString(section, "Key", "1"), EIniFileError) << section;
    for (const std::string& value : TTexts{"/x/\n[Options]\nA=Yes", "/x/\r"})
        EXPECT_THROW(Ini.WriteString("Locations", "Qel_DBaseLocation", value), EIniFileError) << value;
    Spit(Scratch.Path() + "plain", "x");
    TIniFile belowFile(Platform, Scratch.Path() + "plain/Qel.ini");
    EXPECT_THAT([&] { belowFile.WriteBool("Qel", "First_Time_Run", false); },
                ThrowsMessage<EIniFileError>(StrEq("Unable to write to " + Scratch.Path() + "plain/Qel.ini")));
    Platform.FailWrites = true;
    EXPECT_THAT([&] { Ini.WriteString("Locations", "Qel_DBaseLocation", "/srv/other/"); },
                ThrowsMessage<EIniFileError>(StrEq("Unable to write to " + Path)));
    EXPECT_TRUE(Platform.WrittenFiles.empty());
    EXPECT_EQ(FileBytes(Path), before);
}

// A placement is restored only when whole; one written by hand with blanks, hex and other case is.
TEST_F(Profile, WindowPlacementIsRestoredOnlyWhenWhole) {
    const TWindowPlacement placement{0, 3, 10, 20, 810, 620, -16777201};
    Store.WritePlacement(keys::FrmMain, placement);
    EXPECT_EQ(FileBytes(Path), "[TfrmMain]\nFlags=0\nShowCmd=3\nNormalPos=10,20,810,620\nColor=-16777201\n");
    EXPECT_EQ(Store.ReadPlacement(keys::FrmMain), placement);
    EXPECT_EQ(Store.ReadPlacement(keys::FrmSelectStatus), std::nullopt);
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

} // namespace
} // namespace qel::test

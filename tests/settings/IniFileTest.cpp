#include "settings/IniFile.h"
#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>

namespace qel {
namespace {

using test::Slurp;
using test::Spit;

class Profile : public ::testing::Test {
protected:
    void Given(const std::string& text) {
        ::mkdir(Platform.ConfigFolder().c_str(), 0755);
        Spit(Path, text);
    }
    std::string Text() const { return Slurp(Path); }

    TScratchFolder Scratch;
    TFakePlatform Platform{Scratch.Path()};
    TIniFile Ini{Platform, keys::ProfileFileName};
    std::string Path = Platform.ConfigFolder() + "Qel.ini";
};

TEST_F(Profile, MissingFileGivesEveryDefaultAndIsNotCreatedByReading) {
    EXPECT_EQ(Ini.FileName(), Path);
    EXPECT_EQ(TIniFile(Platform, "/etc/qel/other.ini").FileName(), "/etc/qel/other.ini");
    EXPECT_EQ(Ini.ReadString("Locations", "Qel_DBaseLocation", "Not_Entered"), "Not_Entered");
    EXPECT_EQ(Ini.ReadInteger("Options", "Interval", 42), 42);
    EXPECT_TRUE(Ini.ReadBool("Qel", "First_Time_Run", true));
    EXPECT_FALSE(Ini.SectionExists("Qel"));
    EXPECT_FALSE(Ini.ValueExists("Qel", "First_Time_Run"));
    EXPECT_FALSE(Platform.FileExists(Path));
}

// Reads of one file: names without regard to case, the first of two equal
// sections and keys, values trimmed, integers decimal or hex.
TEST_F(Profile, ReadsFindTheFirstMatchAndFallBackToTheDefault) {
    Given("[Locations]\nQel_DBaseLocation=/srv/old/\n"
          "[Options]\nStay_On_Top =   yes  \nQuoted=\" padded \"\nEmpty=\n"
          "[Qel]\nFirst_Time_Run=0\nfirst_time_run=1\n[QEL]\nFirst_Time_Run=1\nOnly_Later=x\n"
          "[N]\nDec=42\nNeg=-7\nPlus=+5\nPadded=  12  \nHex=0x1F\nHexUpper=0XfF\nAllBits=0xFFFFFFFF\n"
          "Trailing=12abc\nWord=yes\nEmpty=\nHuge=99999999999\nHexHuge=0x100000000\nBareHex=0x\nPlusMinus=+-3\n"
          "Two=2\nHexZero=0x0\n");
    const std::pair<const char*, std::string> strings[] = {{"LOCATIONS/qel_dbaselocation", "/srv/old/"},
                                                           {"Options/Qel_DBaseLocation", "(default)"},
                                                           {"Locations/Missing", "(default)"},
                                                           {"Options/Stay_On_Top", "yes"},
                                                           {"Options/Quoted", " padded "},
                                                           {"Options/Empty", ""},
                                                           {"Qel/First_Time_Run", "0"},
                                                           {"Qel/Only_Later", "(default)"}};
    for (const auto& [name, value] : strings) {
        const std::string path = name;
        const size_t slash = path.find('/');
        EXPECT_EQ(Ini.ReadString(path.substr(0, slash), path.substr(slash + 1), "(default)"), value) << name;
    }
    const std::pair<const char*, int> integers[] = {
        {"Dec", 42},       {"Neg", -7},      {"Plus", 5},       {"Padded", 12},    {"Hex", 31},
        {"HexUpper", 255}, {"AllBits", -1},  {"Trailing", -99}, {"Word", -99},     {"Empty", -99},
        {"Huge", -99},     {"HexHuge", -99}, {"BareHex", -99},  {"PlusMinus", -99}};
    for (const auto& [key, value] : integers)
        EXPECT_EQ(Ini.ReadInteger("N", key, -99), value) << key;
    EXPECT_TRUE(Ini.ReadBool("N", "Two", false));
    EXPECT_FALSE(Ini.ReadBool("N", "HexZero", true));
    EXPECT_TRUE(Ini.ReadBool("N", "Word", true));
    EXPECT_FALSE(Ini.ReadBool("N", "Word", false));
    EXPECT_TRUE(Ini.SectionExists("locations"));
    EXPECT_TRUE(Ini.ValueExists("locations", "QEL_DBASELOCATION"));
}

// Writes change their own line, add it at the end of the section or a new
// section at the end, and keep every other line as it was.
TEST_F(Profile, WritesKeepEveryOtherLineAsItWas) {
    struct TCase {
        const char* Before;                             // nullptr: no file
        std::vector<std::array<const char*, 3>> Writes; // section, key, value; no key: erase the section
        const char* After;
    };
    const TCase cases[] = {
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
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.After);
        std::filesystem::remove(Path);
        if (c.Before)
            Given(c.Before);
        Platform.WrittenFiles.clear();
        for (const auto& [section, key, value] : c.Writes)
            key ? Ini.WriteString(section, key, value) : Ini.EraseSection(section);
        EXPECT_EQ(Text(), c.After);
        EXPECT_FALSE(Platform.WrittenFiles.empty()) << "every write goes through the platform";
    }
    EXPECT_EQ(Ini.ReadString("Options", "Stay_On_Top", ""), "Yes") << "read from the CR LF file";
    Ini.WriteBool("Qel", "On", true);
    Ini.WriteBool("Qel", "Off", false);
    EXPECT_EQ(Ini.ReadString("Qel", "On", "") + Ini.ReadString("Qel", "Off", ""), "10");
}

// A file that exists but cannot be read is not replaced by one holding only the new key.
class TUnreadable : public TPlatformWrapper {
public:
    using TPlatformWrapper::TPlatformWrapper;
    bool ReadFile(const std::string&, std::string*) override { return false; }
};

// A write that fails, or that could not be read back as written, raises the
// error and leaves the file as it was.
TEST_F(Profile, RefusedWritesRaiseTheErrorAndKeepTheOldFile) {
    const std::string before = "[Locations]\nQel_DBaseLocation=/srv/qel/\n";
    Given(before);
    TUnreadable unreadable(Platform);
    TIniFile unreadableIni(unreadable, keys::ProfileFileName);
    EXPECT_EQ(unreadableIni.ReadString("Locations", "Qel_DBaseLocation", "Not_Entered"), "Not_Entered");
    Spit(Scratch.Path() + "plain", "x");
    TIniFile belowFile(Platform, Scratch.Path() + "plain/Qel.ini");
    const std::pair<const char*, std::function<void()>> writes[] = {
        {"unreadable", [&] { unreadableIni.WriteString("Qel", "First_Time_Run", "0"); }},
        {"unreadable erase", [&] { unreadableIni.EraseSection("Locations"); }},
        {"value line break", [&] { Ini.WriteString("Locations", "Qel_DBaseLocation", "/x/\n[Options]\nA=Yes"); }},
        {"value CR", [&] { Ini.WriteString("Locations", "Qel_DBaseLocation", "/x/\r"); }},
        {"key line break", [&] { Ini.WriteString("Locations", "Key\nStay_On_Top", "Yes"); }},
        {"section line break", [&] { Ini.WriteString("Options]\n[Qel", "Key", "1"); }},
        {"NUL", [&] { Ini.WriteString("Locations", std::string("A\0B", 3), "1"); }},
        {"empty key", [&] { Ini.WriteString("Locations", "", "1"); }},
        {"blank key", [&] { Ini.WriteString("Locations", "  ", "1"); }},
        {"key with =", [&] { Ini.WriteString("Locations", "a=b", "1"); }},
        {"comment key", [&] { Ini.WriteString("Locations", ";comment", "1"); }},
        {"section key", [&] { Ini.WriteString("Locations", "[Section", "1"); }},
        {"empty section", [&] { Ini.WriteString("", "Key", "1"); }},
        {"section with ]", [&] { Ini.WriteString("a]b", "Key", "1"); }}};
    for (const auto& [name, write] : writes)
        EXPECT_THROW(write(), EIniFileError) << name;
    EXPECT_TRUE(Platform.WrittenFiles.empty());
    const auto error = [](const std::function<void()>& write) -> std::string {
        try {
            write();
        } catch (const EIniFileError& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(error([&] { belowFile.WriteBool("Qel", "First_Time_Run", false); }),
              "Unable to write to " + Scratch.Path() + "plain/Qel.ini");
    Platform.FailWrites = true;
    EXPECT_EQ(error([&] { Ini.WriteString("Locations", "Qel_DBaseLocation", "/srv/other/"); }),
              "Unable to write to " + Path);
    EXPECT_EQ(Text(), before);
}

} // namespace
} // namespace qel

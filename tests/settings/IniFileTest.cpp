#include "settings/IniFile.h"
#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

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

TEST_F(Profile, BareNameLiesInTheConfigurationFolderAndAPathIsKept) {
    EXPECT_EQ(Ini.FileName(), Path);
    EXPECT_EQ(TIniFile(Platform, "/etc/qel/other.ini").FileName(), "/etc/qel/other.ini");
}

TEST_F(Profile, MissingFileGivesEveryDefaultAndIsNotCreatedByReading) {
    EXPECT_EQ(Ini.ReadString("Locations", "Qel_DBaseLocation", "Not_Entered"), "Not_Entered");
    EXPECT_EQ(Ini.ReadInteger("Options", "Interval", 42), 42);
    EXPECT_TRUE(Ini.ReadBool("Qel", "First_Time_Run", true));
    EXPECT_FALSE(Ini.SectionExists("Qel"));
    EXPECT_FALSE(Ini.ValueExists("Qel", "First_Time_Run"));
    EXPECT_FALSE(Platform.FileExists(Path));
}

TEST_F(Profile, MissingSectionOrKeyGivesTheDefault) {
    Given("[Locations]\nQel_File_Location=/usr/bin/qel\n");
    EXPECT_EQ(Ini.ReadString("Options", "Qel_File_Location", "none"), "none");
    EXPECT_EQ(Ini.ReadString("Locations", "Qel_DBaseLocation", "Unknown"), "Unknown");
}

TEST_F(Profile, FirstWriteCreatesFolderFileSectionAndKey) {
    Ini.WriteString("Locations", "Qel_DBaseLocation", "/srv/qel/");
    Ini.WriteBool("Qel", "First_Time_Run", false);
    EXPECT_EQ(Text(), "[Locations]\nQel_DBaseLocation=/srv/qel/\n[Qel]\nFirst_Time_Run=0\n");
    EXPECT_EQ(Platform.WrittenFiles, (std::vector<std::string>{Path, Path})) << "every write goes through the platform";
}

TEST_F(Profile, NamesAreComparedWithoutRegardToCase) {
    Given("[Locations]\nQel_DBaseLocation=/srv/old/\n");
    EXPECT_EQ(Ini.ReadString("LOCATIONS", "qel_dbaselocation", ""), "/srv/old/");
    EXPECT_TRUE(Ini.SectionExists("locations"));
    EXPECT_TRUE(Ini.ValueExists("locations", "QEL_DBASELOCATION"));
    Ini.WriteString("locations", "QEL_DBASELOCATION", "/srv/new/");
    EXPECT_EQ(Text(), "[Locations]\nQel_DBaseLocation=/srv/new/\n");
}

TEST_F(Profile, WriteKeepsEveryOtherLineAsItWas) {
    const std::string before = "; Qel settings for this machine\n"
                               "\n"
                               "[Locations]\n"
                               "Qel_DBaseLocation=/srv/qel/\n"
                               "  Custom_Key = kept as typed  \n"
                               "; a note about the options\n"
                               "\n"
                               "[Options]\n"
                               "Stay_On_Top=Yes\n"
                               "Unknown_Option=3\n";
    Given(before);
    Ini.WriteString("Locations", "Qel_File_Location", "/usr/bin/qel");
    Ini.WriteString("Options", "Unknown_Option", "4");
    EXPECT_EQ(Text(), "; Qel settings for this machine\n"
                      "\n"
                      "[Locations]\n"
                      "Qel_DBaseLocation=/srv/qel/\n"
                      "  Custom_Key = kept as typed  \n"
                      "Qel_File_Location=/usr/bin/qel\n"
                      "; a note about the options\n"
                      "\n"
                      "[Options]\n"
                      "Stay_On_Top=Yes\n"
                      "Unknown_Option=4\n");
}

TEST_F(Profile, NewSectionFollowsAFileWithoutFinalLineBreak) {
    Given("[Options]\nStay_On_Top=No");
    Ini.WriteBool("Qel", "First_Time_Run", true);
    EXPECT_EQ(Text(), "[Options]\nStay_On_Top=No\n[Qel]\nFirst_Time_Run=1\n");
}

TEST_F(Profile, LinesWrittenIntoACrLfFileEndInCrLf) {
    Given("[Options]\r\nStay_On_Top=No\r\n");
    Ini.WriteString("Options", "Stay_On_Top", "Yes");
    Ini.WriteString("Options", "Other", "1");
    Ini.WriteString("Qel", "First_Time_Run", "0");
    EXPECT_EQ(Text(), "[Options]\r\nStay_On_Top=Yes\r\nOther=1\r\n[Qel]\r\nFirst_Time_Run=0\r\n");
    EXPECT_EQ(Ini.ReadString("Options", "Stay_On_Top", ""), "Yes");
}

TEST_F(Profile, ValuesComeBackTrimmedWithTheirCaseUntouched) {
    Given("[Options]\nStay_On_Top =   yes  \nQuoted=\" padded \"\nEmpty=\n");
    EXPECT_EQ(Ini.ReadString("Options", "Stay_On_Top", "No"), "yes");
    EXPECT_EQ(Ini.ReadString("Options", "Quoted", ""), " padded ");
    EXPECT_EQ(Ini.ReadString("Options", "Empty", "default"), "");
}

TEST_F(Profile, FirstOfTwoEqualSectionsAndKeysIsRead) {
    Given("[Qel]\nFirst_Time_Run=0\nfirst_time_run=1\n[QEL]\nFirst_Time_Run=1\nOnly_Later=x\n");
    EXPECT_FALSE(Ini.ReadBool("Qel", "First_Time_Run", true));
    EXPECT_EQ(Ini.ReadString("Qel", "Only_Later", "missing"), "missing");
}

TEST_F(Profile, IntegersAreDecimalOrHexAndAnythingElseIsTheDefault) {
    Given("[N]\nDec=42\nNeg=-7\nPlus=+5\nPadded=  12  \nHex=0x1F\nHexUpper=0XfF\nAllBits=0xFFFFFFFF\n"
          "Trailing=12abc\nWord=yes\nEmpty=\nHuge=99999999999\nHexHuge=0x100000000\nBareHex=0x\nPlusMinus=+-3\n");
    EXPECT_EQ(Ini.ReadInteger("N", "Dec", 0), 42);
    EXPECT_EQ(Ini.ReadInteger("N", "Neg", 0), -7);
    EXPECT_EQ(Ini.ReadInteger("N", "Plus", 0), 5);
    EXPECT_EQ(Ini.ReadInteger("N", "Padded", 0), 12);
    EXPECT_EQ(Ini.ReadInteger("N", "Hex", 0), 31);
    EXPECT_EQ(Ini.ReadInteger("N", "HexUpper", 0), 255);
    EXPECT_EQ(Ini.ReadInteger("N", "AllBits", 0), -1);
    for (const char* garbled : {"Trailing", "Word", "Empty", "Huge", "HexHuge", "BareHex", "PlusMinus"})
        EXPECT_EQ(Ini.ReadInteger("N", garbled, -99), -99) << garbled;
}

TEST_F(Profile, BooleansAreWrittenAsOneAndZeroAndReadAsIntegers) {
    Ini.WriteBool("B", "On", true);
    Ini.WriteBool("B", "Off", false);
    EXPECT_EQ(Text(), "[B]\nOn=1\nOff=0\n");
    Given("[B]\nTwo=2\nHexZero=0x0\nWord=Yes\n");
    EXPECT_TRUE(Ini.ReadBool("B", "Two", false));
    EXPECT_FALSE(Ini.ReadBool("B", "HexZero", true));
    EXPECT_TRUE(Ini.ReadBool("B", "Word", true));
    EXPECT_FALSE(Ini.ReadBool("B", "Word", false));
}

TEST_F(Profile, EraseSectionRemovesItsLinesOnly) {
    Given("[A]\nx=1\n\n[TfrmMain]\nFlags=0\nShowCmd=1\n[B]\ny=2\n");
    Ini.EraseSection("tfrmmain");
    EXPECT_EQ(Text(), "[A]\nx=1\n\n[B]\ny=2\n");
    EXPECT_FALSE(Ini.SectionExists("TfrmMain"));
}

TEST_F(Profile, RefusedWriteRaisesTheErrorAndKeepsTheOldFile) {
    Given("[Locations]\nQel_DBaseLocation=/srv/qel/\n");
    Platform.FailWrites = true;
    try {
        Ini.WriteString("Locations", "Qel_DBaseLocation", "/srv/other/");
        FAIL() << "no error raised";
    } catch (const EIniFileError& error) {
        EXPECT_STREQ(error.what(), ("Unable to write to " + Path).c_str());
    }
    EXPECT_EQ(Text(), "[Locations]\nQel_DBaseLocation=/srv/qel/\n");
}

TEST_F(Profile, WriteBelowAPlainFileRaisesTheError) {
    Spit(Scratch.Path() + "plain", "x");
    TIniFile ini(Platform, Scratch.Path() + "plain/Qel.ini");
    EXPECT_THROW(ini.WriteBool("Qel", "First_Time_Run", false), EIniFileError);
    try {
        ini.WriteBool("Qel", "First_Time_Run", false);
    } catch (const EIniFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + Scratch.Path() + "plain/Qel.ini");
    }
}

// A file that exists but cannot be read must not be replaced by one holding
// only the new key.
class TUnreadable : public TPlatformWrapper {
public:
    using TPlatformWrapper::TPlatformWrapper;
    bool ReadFile(const std::string&, std::string*) override { return false; }
};

TEST_F(Profile, UnreadableFileIsNotOverwritten) {
    Given("[Locations]\nQel_DBaseLocation=/srv/qel/\n");
    TUnreadable unreadable(Platform);
    TIniFile ini(unreadable, keys::ProfileFileName);
    EXPECT_EQ(ini.ReadString("Locations", "Qel_DBaseLocation", "Not_Entered"), "Not_Entered");
    EXPECT_THROW(ini.WriteString("Qel", "First_Time_Run", "0"), EIniFileError);
    EXPECT_THROW(ini.EraseSection("Locations"), EIniFileError);
    EXPECT_EQ(Text(), "[Locations]\nQel_DBaseLocation=/srv/qel/\n");
}

TEST_F(Profile, LineBreaksCannotInjectASectionAndWriteNothing) {
    Given("[Locations]\nQel_DBaseLocation=/srv/qel/\n");
    EXPECT_THROW(Ini.WriteString("Locations", "Qel_DBaseLocation", "/x/\n[Options]\nStay_On_Top=Yes"), EIniFileError);
    EXPECT_THROW(Ini.WriteString("Locations", "Qel_DBaseLocation", "/x/\r"), EIniFileError);
    EXPECT_THROW(Ini.WriteString("Locations", "Key\nStay_On_Top", "Yes"), EIniFileError);
    EXPECT_THROW(Ini.WriteString("Options]\n[Qel", "Key", "1"), EIniFileError);
    EXPECT_THROW(Ini.WriteString("Locations", std::string("A\0B", 3), "1"), EIniFileError);
    EXPECT_EQ(Text(), "[Locations]\nQel_DBaseLocation=/srv/qel/\n");
    EXPECT_TRUE(Platform.WrittenFiles.empty());
}

TEST_F(Profile, NamesThatCouldNotBeReadBackAreRefused) {
    Given("[Locations]\n");
    for (const char* key : {"", "  ", "a=b", ";comment", "[Section"})
        EXPECT_THROW(Ini.WriteString("Locations", key, "1"), EIniFileError) << key;
    for (const char* section : {"", "a]b"})
        EXPECT_THROW(Ini.WriteString(section, "Key", "1"), EIniFileError) << section;
    EXPECT_EQ(Text(), "[Locations]\n");
}

TEST_F(Profile, ValueWithEqualsSignsAndSemicolonsRoundTrips) {
    Ini.WriteString("Locations", "Qel_DBaseLocation", "/srv/a=b;c/");
    EXPECT_EQ(Ini.ReadString("Locations", "Qel_DBaseLocation", ""), "/srv/a=b;c/");
}

} // namespace
} // namespace qel

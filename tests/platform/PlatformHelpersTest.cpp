#include "platform/PlatformHelpers.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(HostName, DomainPartIsCutAndNameUpperCased) {
    EXPECT_EQ(NormaliseHostName("ws12.office.example.com"), "WS12");
    EXPECT_EQ(NormaliseHostName("Reception-2"), "RECEPTION-2");
    EXPECT_EQ(NormaliseHostName("PC7."), "PC7");
    EXPECT_EQ(NormaliseHostName(""), "");
    // Longer than the register's field: cut, so a stored name is found again.
    EXPECT_EQ(NormaliseHostName("accounts-workstation-0042.lan"), "ACCOUNTS-WORKSTATION");
}

TEST(ConfigFolder, UnsetEmptyOrRelativeXdgConfigHomeFallsBackToHome) {
    EXPECT_EQ(ConfigFolderFor(nullptr, "/home/ann"), "/home/ann/.config/");
    EXPECT_EQ(ConfigFolderFor("", "/home/ann/"), "/home/ann/.config/");
    EXPECT_EQ(ConfigFolderFor("relative/cfg", "/home/ann"), "/home/ann/.config/");
    EXPECT_EQ(ConfigFolderFor("relative", "also-relative"), "");
    EXPECT_EQ(ConfigFolderFor(nullptr, nullptr), "");
}

TEST(InstanceLockName, UnsafeCharactersReplacedAndUserIdAdded) {
    EXPECT_EQ(InstanceLockFileName("TVK - Qel", 1000), "TVK_-_Qel-1000.lock");
    EXPECT_EQ(InstanceLockFileName("a/../b\\c", 0), "a_.._b_c-0.lock");
    EXPECT_NE(InstanceLockFileName("TVK - Qel", 1000), InstanceLockFileName("TVK - Qel", 1001));
    EXPECT_EQ(InstanceLockFileName("..", 5), "_..-5.lock");
}

TEST(ExecQuoting, PlainPathsStayAsTheyAre) {
    EXPECT_EQ(QuoteExecArgument("/usr/bin/qel"), "/usr/bin/qel");
    EXPECT_EQ(QuoteExecArgument("/opt/qel-2.10/qel_bin"), "/opt/qel-2.10/qel_bin");
}

TEST(ExecQuoting, ReservedCharactersQuoteTheWholeArgument) {
    EXPECT_EQ(QuoteExecArgument("/opt/my apps/qel"), "\"/opt/my apps/qel\"");
    EXPECT_EQ(QuoteExecArgument("/opt/it's/qel"), "\"/opt/it's/qel\"");
    EXPECT_EQ(QuoteExecArgument("/a\"b/$c`d\\e"), "\"/a\\\"b/\\$c\\`d\\\\e\"");
    EXPECT_EQ(QuoteExecArgument(""), "\"\"");
}

TEST(ExecQuoting, PercentIsDoubledSoItIsNoFieldCode) {
    EXPECT_EQ(QuoteExecArgument("/opt/100%/qel"), "/opt/100%%/qel");
    EXPECT_EQ(QuoteExecArgument("/opt/100% sure/qel"), "\"/opt/100%% sure/qel\"");
}

TEST(AutostartEntry, BackslashInAQuotedArgumentBecomesFourBackslashes) {
    const std::string text = AutostartEntryText("Qel", "/opt/a b\\c");
    EXPECT_NE(text.find("\nExec=\"/opt/a b\\\\\\\\c\"\n"), std::string::npos) << text;
}

TEST(AutostartEntry, LineBreaksCannotStartANewKey) {
    const std::string text = AutostartEntryText("Q\nel", "/opt/x\nHidden=true");
    EXPECT_EQ(text.find("\nHidden=true"), std::string::npos) << text;
    EXPECT_NE(text.find("Name=Q\\nel\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec=\"/opt/x\\nHidden=true\"\n"), std::string::npos) << text;
}

TEST(HelpUrl, PathAndTopicAreEncoded) {
    EXPECT_EQ(FileUrl("/usr/share/doc/qel/qel-help.html", "Adding_Statuses"),
              "file:///usr/share/doc/qel/qel-help.html#Adding_Statuses");
    EXPECT_EQ(FileUrl("/home/ann/my apps/qel-help.html", ""), "file:///home/ann/my%20apps/qel-help.html");
    EXPECT_EQ(FileUrl("/a#b?c%/x.html", "x y/z"), "file:///a%23b%3Fc%25/x.html#x%20y%2Fz");
}

} // namespace
} // namespace qel

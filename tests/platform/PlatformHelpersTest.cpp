#include "platform/PlatformHelpers.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(PlatformHelpers, NamesAreMadeSafeForTheirUse) {
    const std::pair<std::string, std::string> cases[] = {
        // Domain part cut, upper-cased, longer than the register's field cut.
        {NormaliseHostName("ws12.office.example.com"), "WS12"},
        {NormaliseHostName("Reception-2"), "RECEPTION-2"},
        {NormaliseHostName("PC7."), "PC7"},
        {NormaliseHostName(""), ""},
        {NormaliseHostName("accounts-workstation-0042.lan"), "ACCOUNTS-WORKSTATION"},
        // Unset, empty or relative XDG_CONFIG_HOME falls back to the home folder.
        {ConfigFolderFor(nullptr, "/home/ann"), "/home/ann/.config/"},
        {ConfigFolderFor("", "/home/ann/"), "/home/ann/.config/"},
        {ConfigFolderFor("relative/cfg", "/home/ann"), "/home/ann/.config/"},
        {ConfigFolderFor("relative", "also-relative"), ""},
        {ConfigFolderFor(nullptr, nullptr), ""},
        {InstanceLockFileName("TVK - Qel", 1000), "TVK_-_Qel-1000.lock"},
        {InstanceLockFileName("TVK - Qel", 1001), "TVK_-_Qel-1001.lock"},
        {InstanceLockFileName("a/../b\\c", 0), "a_.._b_c-0.lock"},
        {InstanceLockFileName("..", 5), "_..-5.lock"},
        // Reserved characters quote the whole argument; percent is doubled.
        {QuoteExecArgument("/usr/bin/qel"), "/usr/bin/qel"},
        {QuoteExecArgument("/opt/qel-2.10/qel_bin"), "/opt/qel-2.10/qel_bin"},
        {QuoteExecArgument("/opt/my apps/qel"), "\"/opt/my apps/qel\""},
        {QuoteExecArgument("/opt/it's/qel"), "\"/opt/it's/qel\""},
        {QuoteExecArgument("/a\"b/$c`d\\e"), "\"/a\\\"b/\\$c\\`d\\\\e\""},
        {QuoteExecArgument(""), "\"\""},
        {QuoteExecArgument("/opt/100%/qel"), "/opt/100%%/qel"},
        {QuoteExecArgument("/opt/100% sure/qel"), "\"/opt/100%% sure/qel\""},
        {FileUrl("/usr/share/doc/qel/qel-help.html", "Adding_Statuses"),
         "file:///usr/share/doc/qel/qel-help.html#Adding_Statuses"},
        {FileUrl("/home/ann/my apps/qel-help.html", ""), "file:///home/ann/my%20apps/qel-help.html"},
        {FileUrl("/a#b?c%/x.html", "x y/z"), "file:///a%23b%3Fc%25/x.html#x%20y%2Fz"}};
    for (const auto& [made, expected] : cases)
        EXPECT_EQ(made, expected);
}

// A backslash in a quoted argument becomes four; line breaks cannot start a new key.
TEST(PlatformHelpers, AutostartEntryKeepsEachValueOnItsLine) {
    std::string text = AutostartEntryText("Qel", "/opt/a b\\c");
    EXPECT_NE(text.find("\nExec=\"/opt/a b\\\\\\\\c\"\n"), std::string::npos) << text;
    text = AutostartEntryText("Q\nel", "/opt/x\nHidden=true");
    EXPECT_EQ(text.find("\nHidden=true"), std::string::npos) << text;
    EXPECT_NE(text.find("Name=Q\\nel\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec=\"/opt/x\\nHidden=true\"\n"), std::string::npos) << text;
}

} // namespace
} // namespace qel

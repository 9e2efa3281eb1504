// qelctl's text output, command line, listen address and web page.

#include "cli/CliText.h"
#include "cli/QelCtl.h"
#include "cli/Serve.h"
#include "cli/WebBoard.h"
#include "platform/FakePlatform.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace qel::cli {
namespace {

// Quotes, backslashes and controls escaped; valid UTF-8 kept; each byte that is not UTF-8 one replacement.
TEST(JsonString, EscapesControlsAndReplacesBytesThatAreNotUtf8) {
    const std::string utf8 = "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80 \xE4\xB8\xAD\xF4\x8F\xBF\xBF\xED\x9F\xBF";
    EXPECT_EQ(JsonString(""), R"("")");
    EXPECT_EQ(JsonString("say \"hi\" C:\\ a\nb\tc\rd\be\ff/" + std::string("\x01\x1f\0", 3) + utf8 + "\x7f"),
              R"("say \"hi\" C:\\ a\nb\tc\rd\be\ff/\u0001\u001f\u0000)" + utf8 + "\x7f\"");
    // A valid pair after a bad byte, stray continuation, lone lead, overlong, surrogate, above U+10FFFF, a cut end
    // (the byte after the end would complete it).
    const std::string bad = "\xFF\xC3\xBC|a\x80z|a\xC3z|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|ab\xE2\x82\x82";
    EXPECT_EQ(JsonString(std::string_view(bad).substr(0, bad.size() - 1)),
              "\"\\ufffd\xC3\xBC|a\\ufffdz|a\\ufffdz|\\ufffd\\ufffd|\\ufffd\\ufffd\\ufffd|"
              "\\ufffd\\ufffd\\ufffd\\ufffd|ab\\ufffd\\ufffd\"");
}

// Rows and columns stay whole, a backslash-t is not a tab; on a terminal every control but lines and tabs shows.
TEST(TsvField, EscapesSeparatorsControlsAndBackslashes) {
    EXPECT_EQ(TsvField("a\tb line1\nline2\r\n" + std::string("\x01\x1f\x7f\0", 4) +
                       "\\t C:\\ \"M\xC3\xBCller\" 'x' \x80\xFF \xC2\x9B"),
              "a\\tb line1\\nline2\\r\\n\\x01\\x1f\\x7f\\x00\\\\t C:\\\\ \"M\xC3\xBCller\" 'x' \x80\xFF \\xc2\\x9b");
    EXPECT_EQ(TsvLine({"a\tb", "", "c\nd"}), "a\\tb\t\tc\\nd\n");
    EXPECT_EQ(TerminalText("line\ttwo\n\x1b[31m\r\a\x7f \xC2\x9B[2J M\xC3\xBCller"),
              "line\ttwo\n\\x1b[31m\\x0d\\x07\\x7f \\xc2\\x9b[2J M\xC3\xBCller");
}

TEST(CommandLine, HelpVersionOptionsAndUsageErrors) {
    TScratchFolder root;
    TFakePlatform platform(root.Path());
    const std::string usageEnd = ". Try 'qelctl --help'.\n";
    // Arguments after the global --profile, the exit code, the start of standard output and of standard error.
    const std::tuple<std::vector<std::string>, int, std::string, std::string> cases[] = {
        {{"-h"}, ExitOk, "usage: qelctl [--profile FILE]", ""},
        {{"help", "set-user"}, ExitOk, "usage: qelctl [GLOBAL OPTIONS] set-user COMPUTER [--name T]", ""},
        {{"board", "--json", "-h"}, ExitOk, "usage: qelctl [GLOBAL OPTIONS] board [--department NAME]", ""},
        {{"--", "comment", "--", "--help"}, ExitFailure, "", "qelctl: no database folder is set"},
        {{"board", "--department=IT", "--wide"}, ExitUsage, "", "qelctl: board: unknown option --wide" + usageEnd},
        {{"board", "--json=yes"}, ExitUsage, "", "qelctl: board: option --json takes no value" + usageEnd},
        {{"set-user", "PC2"}, ExitUsage, "", "qelctl: set-user: give at least one of --name"},
        {{"help", "frobnicate"}, ExitUsage, "", "qelctl: no command \"frobnicate\"" + usageEnd},
        {{"--colour", "red", "board"}, ExitUsage, "", "qelctl: unknown option --colour" + usageEnd},
    };
    for (const auto& [arguments, code, output, error] : cases) {
        std::vector<std::string> args{"--profile=" + root.Path() + "Qel.ini"};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::ostringstream out, err;
        TCliEnvironment environment{platform, out, err, {}, nullptr};
        EXPECT_EQ(RunQelCtl(args, environment), code) << arguments[0];
        EXPECT_TRUE(out.str().starts_with(output) && err.str().starts_with(error)) << out.str() << err.str();
        EXPECT_TRUE(code != ExitUsage || err.str().find('\n') + 1 == err.str().size()) << err.str();
    }
}

TEST(ParseListenAddress, TakesAddressColonPortOnly) {
    std::string host, parsed;
    int port = -1;
    for (const char* text : {"127.0.0.1:8080", "0.0.0.0:0", "board.local:65535", "[::1]:80", "8080", ":8080",
                             "host:", "host:65536", "host:-1", "host:80x", "::1:80", "[::1]80", "[]:80"})
        parsed += ParseListenAddress(text, &host, &port) ? host + " " + std::to_string(port) + "|" : "-|";
    EXPECT_EQ(parsed, "127.0.0.1 8080|0.0.0.0 0|board.local 65535|::1 80|-|-|-|-|-|-|-|-|-|");
}

// Every text of a record, the department and the clock reach the page escaped; so does a failed read's error.
TEST(BoardPage, EscapesEveryTextAndSaysWhenTheReadFailed) {
    const std::string hostile = "<b>&\"'";
    TBoardSnapshot snapshot;
    TUserRow row;
    for (std::string* field :
         {&row.User.UserName, &row.User.Status, &row.User.Extension, &row.User.Department, &row.User.Comments})
        *field = hostile;
    snapshot.Rows = std::vector{row};
    // Five cells, plus the link text, or the title twice and the data attribute.
    const std::pair<TPageOptions, std::ptrdiff_t> cases[] = {{{std::nullopt, false, true, "10:00"}, 6},
                                                             {{hostile, false, true, "10:00"}, 9},
                                                             {{std::nullopt, true, true, hostile}, 6}};
    for (const auto& [options, escaped] : cases) {
        const std::string page = BoardPage(snapshot, options);
        EXPECT_EQ(page.find(hostile), std::string::npos) << page;
        const std::regex escapedText("&lt;b&gt;&amp;&quot;&#39;");
        EXPECT_EQ(std::distance(std::sregex_iterator(page.begin(), page.end(), escapedText), std::sregex_iterator()),
                  escaped)
            << page;
    }
    snapshot.Rows.reset();
    snapshot.Error = "File is not isam format <x>";
    const std::string page = BoardPage(snapshot, {});
    EXPECT_NE(page.find("The board cannot be read: File is not isam format &lt;x&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<tr><td>"), std::string::npos);
    EXPECT_EQ(BoardEvent(snapshot, std::nullopt),
              R"({"changed":"","error":"File is not isam format <x>","users":null})");
}

} // namespace
} // namespace qel::cli

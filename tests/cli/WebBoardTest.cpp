#include "cli/Serve.h"
#include "cli/WebBoard.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::cli {
namespace {

TEST(ParseListenAddress, TakesAddressColonPortOnly) {
    const struct {
        std::string Text;
        bool Valid;
        std::string Host;
        int Port;
    } cases[] = {{"127.0.0.1:8080", true, "127.0.0.1", 8080}, {"0.0.0.0:0", true, "0.0.0.0", 0},
                 {"board.local:65535", true, "board.local", 65535}, {"[::1]:80", true, "::1", 80},
                 {"8080", false, "", 0}, {":8080", false, "", 0}, {"host:", false, "", 0},
                 {"host:65536", false, "", 0}, {"host:-1", false, "", 0}, {"host:80x", false, "", 0},
                 {"::1:80", false, "", 0}, {"[::1]80", false, "", 0}, {"[]:80", false, "", 0}};
    for (const auto& c : cases) {
        std::string host;
        int port = -1;
        EXPECT_EQ(ParseListenAddress(c.Text, &host, &port), c.Valid) << c.Text;
        if (c.Valid) {
            EXPECT_EQ(std::pair(host, port), std::pair(c.Host, c.Port)) << c.Text;
        }
    }
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Every text of a record, and the department chosen, reach the page only escaped.
TEST(BoardPage, EscapesEveryTextFromTheSharedFolder) {
    const std::string hostile = "<b>&\"'";
    const std::string escaped = "&lt;b&gt;&amp;&quot;&#39;";
    TBoardSnapshot snapshot;
    TUserRow row;
    for (std::string* field : {&row.User.UserName, &row.User.Status, &row.User.Extension, &row.User.Department,
                               &row.User.Comments})
        *field = hostile;
    snapshot.Rows = std::vector{row};
    const struct {
        TPageOptions Options;
        size_t Escaped; // five cells, plus the link text, or the title twice and the data attribute
    } cases[] = {{{std::nullopt, false, true, "10:00"}, 6},
                 {{hostile, false, true, "10:00"}, 9},
                 {{std::nullopt, true, true, hostile}, 6}};
    for (const auto& c : cases) {
        const std::string page = BoardPage(snapshot, c.Options);
        EXPECT_EQ(page.find(hostile), std::string::npos) << page;
        EXPECT_EQ(Count(page, escaped), c.Escaped) << page;
    }
}

// A failed read is said as such on the page and in the event, with no rows.
TEST(BoardPage, FailedReadShowsTheErrorAndNoRows) {
    TBoardSnapshot snapshot;
    snapshot.Error = "File is not isam format <x>";
    const std::string page = BoardPage(snapshot, {});
    EXPECT_NE(page.find("The board cannot be read: File is not isam format &lt;x&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<tr><td>"), std::string::npos);
    EXPECT_EQ(BoardEvent(snapshot, std::nullopt),
              R"({"changed":"","error":"File is not isam format <x>","users":null})");
}

} // namespace
} // namespace qel::cli

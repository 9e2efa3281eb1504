// Edit boxes never take more than their fields store: a byte limit on UTF-8
// text, cut at a character boundary, keeping the text behind the cursor.

#include "dialogs/TextLimits.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

std::string Times(int count, const std::string& text) {
    return count == 0 ? "" : text + Times(count - 1, text);
}

TEST(TextLimits, TextIsCutToItsFieldAtACharacterBoundary) {
    const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
    struct TCase {
        std::string Before; // the text before the cursor, after the edit
        std::string After;  // the text behind the cursor
        TTextLimit Limit;
        std::string Fitted;
        bool KeepAfter;
    };
    const TCase cases[] = {
        {"abc", "def", {10, 0}, "abc", true},
        {Times(5, e), "", {10, 0}, Times(5, e), true},
        {Times(4, e) + "a" + e, "", {10, 0}, Times(4, e) + "a", true}, // typed into a full box
        {Times(3, e), e + e + "a", {10, 0}, e + e, true},              // typed in the middle
        {"abcde" + Times(3, e), "", {10, 0}, "abcde" + e + e, true},   // pasted
        {Times(4, euro), "", {10, 0}, Times(3, euro), true},
        {Times(3, smile), "", {10, 0}, Times(2, smile), true},
        {"ab", std::string(12, 'z'), {10, 0}, "ab" + std::string(8, 'z'), false}, // behind the cursor too
        {"x" + Times(11, e), "", limits::UserName, "x" + Times(9, e), true},
        {std::string(35, 'c'), "", limits::Comments, std::string(30, 'c'), true}, // thirty characters...
        {Times(25, e), "", limits::Comments, Times(20, e), true},                 // ...within forty bytes
        {Times(200, e), "", limits::MessageText, Times(127, e), true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Before + "|" + c.After);
        bool keepAfter = !c.KeepAfter;
        EXPECT_EQ(FitEdit(c.Before, c.After, c.Limit, &keepAfter), c.Fitted);
        EXPECT_EQ(keepAfter, c.KeepAfter);
        if (c.After.empty()) {
            EXPECT_EQ(FitText(c.Before, c.Limit), c.Fitted);
        }
    }
    EXPECT_EQ(Utf8Length(euro + smile + "a"), 3u);
}

} // namespace
} // namespace qel

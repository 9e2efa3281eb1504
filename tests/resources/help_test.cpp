// The help file that every Help button opens at a topic.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Every topic the windows open is anchored exactly once, links inside the
// file lead to an anchor, and the file is self-contained markup without scripts.
TEST(HelpFile, AnchorsEveryTopicAndIsSelfContained) {
    std::ifstream in(QEL_HELP_FILE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string help = text.str();
    ASSERT_FALSE(help.empty()) << QEL_HELP_FILE;
    for (const char* topic :
         {"Contents", "Installation", "Settings", "Adding_Statuses", "Adding_Departments", "Editing_Deleting_Users"})
        EXPECT_EQ(Count(help, std::string("id=\"") + topic + "\""), 1u) << topic;
    std::set<std::string> ids;
    const std::regex id(R"re(\bid="([^"]+)")re");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), id); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << "duplicate id " << (*it)[1];
    const std::regex link(R"re(href="#([^"]+)")re");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), link); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.count((*it)[1])) << "link to missing #" << (*it)[1];

    std::transform(help.begin(), help.end(), help.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* banned : {"<script", "javascript:", "src=", "<link", "<iframe", "<object", "url(", "@import"})
        EXPECT_EQ(Count(help, banned), 0u) << "contains " << banned;
    EXPECT_FALSE(std::regex_search(help, std::regex(R"re(<[^>]*\son[a-z]+\s*=)re")))
        << "an element has an event handler";
}

} // namespace

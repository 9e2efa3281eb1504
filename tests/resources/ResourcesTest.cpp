// The images of the board, the tool bars and the tray, and the help file every Help button opens.

#include "tests/support/FileProbes.h"

#include <QtGui>
#include <QtSvg>

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

// A plain 16-unit drawing (nothing linked, no warning), unlike every other, covering a fifth of the square, not all.
TEST(Icons, EachImageIsAPlainDrawingShowingASymbol) {
    QStringList paths{":/icons/mail-0.svg", ":/icons/mail-1.svg", ":/icons/qel.svg"};
    for (int i = 0; i < 23; ++i)
        paths << QString(":/icons/small-%1.svg").arg(i, 2, 10, QLatin1Char('0'));
    qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { ADD_FAILURE() << text.toStdString(); });
    QList<QImage> drawn;
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray source = file.readAll();
        for (const char* banned : {"<image", "<text", "<style", "<filter", "<mask", "href", "url(", "data:"})
            EXPECT_FALSE(source.contains(banned)) << "uses " << banned;
        EXPECT_EQ(QSvgRenderer(source).viewBox(), QRect(0, 0, 16, 16));
        const QImage image(path);
        int visible = 0;
        for (int i = 0; i < 256; ++i)
            visible += qAlpha(image.pixel(i % 16, i / 16)) > 128;
        EXPECT_TRUE(visible >= 256 / 5 && visible < 256) << visible;
        EXPECT_FALSE(drawn.contains(image)) << "drawn exactly as another image";
        drawn << image;
    }
}

// Every topic the windows open is anchored once, every link inside the file leads to an anchor; nothing is loaded.
TEST(HelpFile, AnchorsEveryTopicOnceAndEveryLink) {
    std::string help = qel::test::FileBytes(QEL_HELP_FILE);
    ASSERT_FALSE(help.empty()) << QEL_HELP_FILE;
    std::multiset<std::string> ids;
    const std::regex id(R"re(\bid="([^"]+)")re"), link(R"re(href="#([^"]+)")re");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), id); it != std::sregex_iterator(); ++it)
        ids.insert((*it)[1]);
    EXPECT_EQ(ids.size(), std::set<std::string>(ids.begin(), ids.end()).size()) << "an id twice";
    for (const char* topic :
         {"Contents", "Installation", "Settings", "Adding_Statuses", "Adding_Departments", "Editing_Deleting_Users"})
        EXPECT_EQ(ids.count(topic), 1u) << topic;
    for (auto it = std::sregex_iterator(help.begin(), help.end(), link); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.count((*it)[1])) << "link to missing #" << (*it)[1];
    const std::regex loads(R"re(<script|<link|<iframe|<object|src=|url\(|@import|javascript:|<[^>]*\son[a-z]+\s*=)re",
                           std::regex::icase);
    EXPECT_FALSE(std::regex_search(help, loads)) << "loads a script or another file";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

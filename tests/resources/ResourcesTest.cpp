// The images of the board, the tool bars and the tray as the program loads them,
// and the help file that every Help button opens at a topic.

#include <QtGui>
#include <QtSvg>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

QString Image(const char* name, int index = -1) {
    return index < 0 ? QString(":/icons/%1.svg").arg(name)
                     : QString(":/icons/%1-%2.svg").arg(name).arg(index, 2, 10, QLatin1Char('0'));
}

QImage Render(const QString& path, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(path).render(&painter);
    return image;
}

// Pixels of `a` that a person would see (no `b`), or see as different from `b`.
int Pixels(const QImage& a, const QImage* b = nullptr) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b ? b->pixel(x, y) : 0;
            const int change = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                         std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            count += b ? change > 40 : qAlpha(p) > 128;
        }
    return count;
}

QStringList svgWarnings;

// The resources hold exactly the program's images, each a plain 16-pixel
// drawing that Qt draws in full, showing a symbol (a fifth of the square at
// least, not all of it) small and large. Every status image (8 and 12 to 22
// belong to commands) looks different from every other, and the two new-mail
// frames alternate visibly.
TEST(Icons, ExactlyTheProgramsImagesEachAPlainDistinctDrawingShowingASymbol) {
    QStringList expected{Image("mail-0"), Image("mail-1"), Image("qel")}, found;
    for (int i = 0; i < 23; ++i)
        expected << Image("small", i);
    for (QDirIterator it(":/icons"); it.hasNext();)
        found << it.next();
    expected.sort();
    found.sort();
    EXPECT_EQ(found.join(' ').toStdString(), expected.join(' ').toStdString());
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (context.category && QByteArray(context.category).startsWith("qt.svg"))
            svgWarnings << message;
    });
    for (const QString& path : expected) {
        SCOPED_TRACE(path.toStdString());
        svgWarnings.clear();
        QSvgRenderer renderer(path);
        ASSERT_TRUE(renderer.isValid());
        EXPECT_TRUE(svgWarnings.isEmpty()) << svgWarnings.join('\n').toStdString();
        EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 16, 16));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray source = file.readAll();
        for (const char* banned : {"<image", "<text", "<style", "<filter", "<mask", "href", "url(", "data:"})
            EXPECT_FALSE(source.contains(banned)) << "uses " << banned;
        for (const int size : {16, 48}) {
            const int visible = Pixels(Render(path, size));
            EXPECT_TRUE(visible >= size * size / 5 && visible < size * size) << visible << " at " << size;
        }
    }
    qInstallMessageHandler(nullptr);
    const std::vector<int> statuses = {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11};
    for (size_t i = 0; i < statuses.size(); ++i)
        for (size_t j = i + 1; j < statuses.size(); ++j) {
            const QImage a = Render(Image("small", statuses[i]), 16), b = Render(Image("small", statuses[j]), 16);
            EXPECT_GE(Pixels(a, &b), 24) << statuses[i] << " and " << statuses[j];
        }
    const QImage second = Render(Image("mail-1"), 16);
    EXPECT_GE(Pixels(Render(Image("mail-0"), 16), &second), 40);
}

// Every topic the windows open is anchored once, links inside the file lead to
// an anchor, and the file is self-contained markup without scripts.
TEST(HelpFile, AnchorsEveryTopicAndIsSelfContained) {
    std::ifstream in(QEL_HELP_FILE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string help = text.str();
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
    std::transform(help.begin(), help.end(), help.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* banned : {"<script", "javascript:", "src=", "<link", "<iframe", "<object", "url(", "@import"})
        EXPECT_EQ(help.find(banned), std::string::npos) << "contains " << banned;
    EXPECT_FALSE(std::regex_search(help, std::regex(R"re(<[^>]*\son[a-z]+\s*=)re"))) << "an event handler";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

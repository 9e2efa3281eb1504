// The images of the board, the tool bars and the tray, as the program loads
// them from the resource system.

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

QString SmallImage(int index) {
    return QStringLiteral(":/icons/small-%1.svg").arg(index, 2, 10, QLatin1Char('0'));
}

QStringList AllImages() {
    QStringList paths{QStringLiteral(":/icons/mail-0.svg"), QStringLiteral(":/icons/mail-1.svg"),
                      QStringLiteral(":/icons/qel.svg")};
    for (int i = 0; i < 23; ++i)
        paths << SmallImage(i);
    paths.sort();
    return paths;
}

QImage Render(const QString& path, int size) {
    QSvgRenderer renderer(path);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Pixels of `a` that a person would see (no `b`), or see as different from `b`.
int Pixels(const QImage& a, const QImage* b = nullptr) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b ? b->pixel(x, y) : 0;
            count += b ? std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 ||
                             std::abs(qBlue(p) - qBlue(q)) > 40 || std::abs(qAlpha(p) - qAlpha(q)) > 40
                       : qAlpha(p) > 128;
        }
    return count;
}

// Qt's SVG handler reports what it cannot draw through the "qt.svg" category.
QStringList svgWarnings;

class GuiEnvironment : public testing::Environment {
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app.reset(); }
    int argc = 1;
    char name[16] = "resources_test";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
};
[[maybe_unused]] testing::Environment* const guiEnvironment = testing::AddGlobalTestEnvironment(new GuiEnvironment);

TEST(Icons, ResourcesHoldExactlyTheImagesOfTheProgram) {
    QStringList found;
    for (QDirIterator it(QStringLiteral(":/icons")); it.hasNext();)
        found << it.next();
    found.sort();
    EXPECT_EQ(found.join(QLatin1Char(' ')).toStdString(), AllImages().join(QLatin1Char(' ')).toStdString());
}

// Each image is a plain 16-pixel drawing that Qt draws in full, showing a
// symbol (a fifth of the square at least, not all of it) small and large.
TEST(Icons, EachImageIsAPlainDrawingShowingASymbolAtEverySize) {
    for (const QString& path : AllImages()) {
        SCOPED_TRACE(path.toStdString());
        svgWarnings.clear();
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& message) {
                if (context.category && QByteArray(context.category).startsWith("qt.svg"))
                    svgWarnings << message;
            });
        QSvgRenderer renderer(path);
        qInstallMessageHandler(previous);
        ASSERT_TRUE(renderer.isValid());
        EXPECT_TRUE(svgWarnings.isEmpty()) << svgWarnings.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 16, 16));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray source = file.readAll();
        for (const char* banned : {"<image", "<text", "<style", "<filter", "<mask", "href", "url(", "data:"})
            EXPECT_FALSE(source.contains(banned)) << "uses " << banned;
        for (const int size : {16, 48}) {
            const int visible = Pixels(Render(path, size));
            EXPECT_GE(visible, size * size / 5) << "at " << size;
            EXPECT_LT(visible, size * size) << "at " << size;
        }
    }
}

// Every status image (8 and 12 to 22 belong to commands) looks different
// from every other, and the two new-mail frames alternate visibly.
TEST(Icons, StatusesAndMailFramesLookDifferent) {
    const std::vector<int> statuses = {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11};
    for (size_t i = 0; i < statuses.size(); ++i)
        for (size_t j = i + 1; j < statuses.size(); ++j) {
            const QImage a = Render(SmallImage(statuses[i]), 16), b = Render(SmallImage(statuses[j]), 16);
            EXPECT_GE(Pixels(a, &b), 24) << statuses[i] << " and " << statuses[j];
        }
    const QImage first = Render(QStringLiteral(":/icons/mail-0.svg"), 16);
    const QImage second = Render(QStringLiteral(":/icons/mail-1.svg"), 16);
    EXPECT_GE(Pixels(first, &second), 40);
}

} // namespace

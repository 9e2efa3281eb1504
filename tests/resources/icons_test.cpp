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

constexpr int kSmallImageCount = 23;

// The images a status shows on the board and in the tray; 8 and 12 to 22
// belong to commands.
const std::vector<int> kStatusImages = {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11};

QString SmallImage(int index) {
    return QStringLiteral(":/icons/small-%1.svg").arg(index, 2, 10, QLatin1Char('0'));
}

QStringList AllImages() {
    QStringList paths;
    for (int i = 0; i < kSmallImageCount; ++i)
        paths << SmallImage(i);
    paths << QStringLiteral(":/icons/mail-0.svg") << QStringLiteral(":/icons/mail-1.svg")
          << QStringLiteral(":/icons/qel.svg");
    return paths;
}

QImage Render(const QString& path, int size) {
    QSvgRenderer renderer(path);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

int VisiblePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                ++count;
    return count;
}

// Pixels that a person would see as different: a clear step in any channel.
int DifferentPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 ||
                std::abs(qBlue(p) - qBlue(q)) > 40 || std::abs(qAlpha(p) - qAlpha(q)) > 40)
                ++count;
        }
    }
    return count;
}

// Qt's SVG handler reports what it cannot draw through the "qt.svg" category.
QStringList svgWarnings;

void CollectSvgWarnings(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (context.category && QByteArray(context.category).startsWith("qt.svg"))
        svgWarnings << message;
}

class GuiEnvironment : public testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "resources_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] testing::Environment* const guiEnvironment = testing::AddGlobalTestEnvironment(new GuiEnvironment);

TEST(Icons, ResourcesHoldExactlyTheImagesOfTheProgram) {
    QStringList found;
    QDirIterator it(QStringLiteral(":/icons"));
    while (it.hasNext())
        found << it.next();
    found.sort();
    QStringList expected = AllImages();
    expected.sort();
    EXPECT_EQ(found.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
}

TEST(Icons, EachImageIsAPlainSixteenPixelDrawingThatQtDrawsInFull) {
    for (const QString& path : AllImages()) {
        SCOPED_TRACE(path.toStdString());
        svgWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(CollectSvgWarnings);
        QSvgRenderer renderer(path);
        const bool valid = renderer.isValid();
        qInstallMessageHandler(previous);
        ASSERT_TRUE(valid);
        EXPECT_TRUE(svgWarnings.isEmpty()) << svgWarnings.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 16, 16));

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray source = file.readAll();
        for (const char* banned : {"<image", "<text", "<style", "<filter", "<mask", "href", "url(", "data:"})
            EXPECT_FALSE(source.contains(banned)) << "uses " << banned;
    }
}

TEST(Icons, EachImageShowsASymbolAtSmallAndLargeSizes) {
    for (const QString& path : AllImages()) {
        SCOPED_TRACE(path.toStdString());
        for (const int size : {16, 48}) {
            const QImage image = Render(path, size);
            const int visible = VisiblePixels(image);
            // At least a fifth of the square is drawn, and the symbol is not a
            // filled square in one colour.
            EXPECT_GE(visible, size * size / 5) << "at " << size;
            EXPECT_LT(visible, size * size) << "at " << size;
        }
    }
}

TEST(Icons, EveryStatusLooksDifferentFromEveryOtherStatus) {
    std::vector<QImage> images;
    for (const int index : kStatusImages)
        images.push_back(Render(SmallImage(index), 16));
    for (size_t i = 0; i < images.size(); ++i) {
        for (size_t j = i + 1; j < images.size(); ++j) {
            SCOPED_TRACE(QStringLiteral("images %1 and %2").arg(kStatusImages[i]).arg(kStatusImages[j]).toStdString());
            EXPECT_GE(DifferentPixels(images[i], images[j]), 24);
        }
    }
}

TEST(Icons, TheTwoNewMailFramesAlternateVisibly) {
    const QImage first = Render(QStringLiteral(":/icons/mail-0.svg"), 16);
    const QImage second = Render(QStringLiteral(":/icons/mail-1.svg"), 16);
    EXPECT_GE(DifferentPixels(first, second), 40);
}

} // namespace

// Images read from bytes: each known format goes to its own reader, anything else to Qt's guess.
#include "image_format.h"
#include "window_host.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <string>

namespace {

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

TEST(ImageBytes, EachFormatIsKnownByItsFirstBytesAndReadBack) {
    ASSERT_TRUE(duilib::EnsureUi());
    QImage image(7, 5, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30));
    image.setPixelColor(3, 2, QColor(250, 0, 0));
    for (const char* format : {"PNG", "BMP", "ICO", "JPEG"}) {
        const QByteArray bytes = Encoded(image, format);
        EXPECT_STREQ(duilib::ImageFormatOf(bytes.constData(), bytes.size()), format);
        const QImage read = duilib::ReadImage(bytes.constData(), bytes.size());
        ASSERT_FALSE(read.isNull()) << format;
        EXPECT_EQ(read.size(), image.size()) << format;
        if (std::string(format) != "JPEG") {
            EXPECT_EQ(read.pixelColor(3, 2).red(), 250) << format;
        }
    }

    EXPECT_STREQ(duilib::ImageFormatOf("GIF89a", 6), "GIF"); // Qt writes none to read back

    // Too short for any signature, cut short after one, or nothing at all.
    EXPECT_EQ(duilib::ImageFormatOf("\x89PN", 3), nullptr);
    EXPECT_EQ(duilib::ImageFormatOf(nullptr, 8), nullptr);
    const QByteArray png = Encoded(image, "PNG");
    EXPECT_TRUE(duilib::ReadImage(png.constData(), 20).isNull());
    EXPECT_TRUE(duilib::ReadImage("not an image at all", 19).isNull());
    EXPECT_TRUE(duilib::ReadImage(nullptr, 0).isNull());
}

} // namespace

#include "image_format.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <climits>
#include <cstring>

namespace duilib {

const char* ImageFormatOf(const void* bytes, std::size_t size) {
    struct Signature {
        const char* magic;
        std::size_t length;
        const char* format;
    };
    static constexpr Signature kSignatures[] = {
        {"\x89PNG\r\n\x1a\n", 8, "PNG"},
        {"\xff\xd8\xff", 3, "JPEG"},
        {"GIF8", 4, "GIF"},
        {"BM", 2, "BMP"},
        {"\0\0\1\0", 4, "ICO"},
    };
    if (!bytes) {
        return nullptr;
    }
    for (const Signature& signature : kSignatures) {
        if (size >= signature.length &&
            std::memcmp(bytes, signature.magic, signature.length) == 0) {
            return signature.format;
        }
    }
    return nullptr;
}

QImage ReadImage(const void* bytes, std::size_t size) {
    if (!bytes || size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const QByteArray data =
        QByteArray::fromRawData(static_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const char* format = ImageFormatOf(bytes, size);
    if (!format) {
        return QImage::fromData(data);
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace duilib

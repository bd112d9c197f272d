#pragma once

#include "imaging/Picture.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kelpora {

class SqlQuery;

// How a picture becomes the bytes of its column.
enum class WriteRule {
    KeepOrEncode, // a JPEG keeps its bytes; a bitmap is encoded
    Reencode, // always decoded and encoded anew
};

// How the bytes of a column become a picture.
enum class ReadRule {
    JpegOnly, // photos
    BitmapFirst, // maps and tide charts, which older records hold as BMP files
};

// Capturing, storing and reading back pictures: the one place that decides what a
// picture column may contain, so every window stores and reads the same way.
class PictureStore {
public:
    PictureStore() = delete;

    // The ceiling for Qt's image readers (QImageReader::setAllocationLimit, in MB), which
    // the application sets once: what the largest picture we accept takes as 32-bit
    // pixels, and no more.
    static constexpr int ReaderAllocationLimitMb = int((Picture::MaxPixels * 4 + (1 << 20) - 1) >> 20);

    // The photo file dialog's filters, in order.
    static QStringList photoFileFilters();

    // By the file name's extension, in any letter case: jpg/jpeg give a JPEG picture of
    // the file's exact bytes (its header checked now), bmp a bitmap picture. Anything
    // else, an unreadable file or a bad header throws PictureError.
    static Picture loadFromFile(const QString& path);

    // A complete BMP file. Its declared size is checked against the limits and against
    // what its data can fill before Qt allocates anything.
    static Picture fromBmpBytes(const QByteArray& bytes);

    // The clipboard's bitmap format only / the first format that is a picture. nullopt
    // when there is none; PictureError when the clipboard picture cannot be kept.
    static std::optional<Picture> pasteBitmap();
    static std::optional<Picture> pastePicture();

    // The bytes to store. Throws PictureError for no picture: it must be bound as NULL,
    // never as an empty BLOB (bindPicture does that).
    static QByteArray keepOrEncode(const Picture& picture);
    static QByteArray reencode(const Picture& picture);
    static QByteArray toBytes(const Picture& picture, WriteRule rule);

    // No picture binds NULL, which clears the column.
    static void bindPicture(SqlQuery& query, const QString& paramName, const Picture& picture, WriteRule rule);

    // No picture when the column is NULL (or holds no bytes at all).
    static Picture readPicture(const SqlQuery& query, const QString& column, ReadRule rule);
    static Picture fromBytes(const QByteArray& bytes, ReadRule rule);
};

} // namespace kelpora

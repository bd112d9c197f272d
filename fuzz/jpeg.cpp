// A JPEG as the windows show one: the header read when the picture is made, a thumbnail
// decoded at a reduced scale, and (for sizes a fuzzer's run can afford) the full decode.
#include "pictures/PictureDecoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const kelpora::Picture picture = kelpora::Picture::fromJpeg(bytes);
        kelpora::PictureDecoder::render(picture, QSize(64, 48));
        if (qint64(picture.size().width()) * picture.size().height() <= (1 << 22))
            picture.pixels();
    } catch (const kelpora::PictureError&) {
    }
    return 0;
}

// The BMP checks and Qt's reader behind them, then a thumbnail as the windows draw it.
#include "pictures/PictureDecoder.h"
#include "pictures/PictureStore.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const kelpora::Picture picture = kelpora::PictureStore::fromBmpBytes(bytes);
        kelpora::PictureDecoder::render(picture, QSize(64, 48));
    } catch (const kelpora::PictureError&) {
    }
    return 0;
}

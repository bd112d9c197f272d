#include "pictures/JpegCodec.h"

#include "pictures/Picture.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace kelpora {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return. We jump
// back to the setjmp in one of the small "step" functions below. Those functions hold
// no objects with destructors and keep all their state in structures owned by the
// caller, so the jump skips nothing and reads no indeterminate locals; the caller's
// guards then release libjpeg's memory on the C++ side.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpOut(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// These warnings mean the picture cannot be shown as it was stored; libjpeg would fill
// the rest with grey and carry on, and the user would never learn the file is broken.
bool isDamage(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

void onMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && isDamage(cinfo->err->msg_code))
        jumpOut(cinfo);
    // Everything else (trace output, harmless warnings) is dropped: nothing goes to stderr.
}

void onOutput(j_common_ptr)
{ }

void installErrorManager(ErrorManager& manager)
{
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = jumpOut;
    manager.pub.emit_message = onMessage;
    manager.pub.output_message = onOutput;
    manager.message[0] = '\0';
}

QString messageOf(const ErrorManager& manager)
{
    return QString::fromLocal8Bit(manager.message);
}

// ---- decoding ----

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager error{};

    Decoder()
    {
        cinfo.err = &error.pub;
        installErrorManager(error);
    }
    ~Decoder() { jpeg_destroy_decompress(&cinfo); } // a no-op before create
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

bool stepReadHeader(Decoder* d, const unsigned char* data, unsigned long size)
{
    if (setjmp(d->error.jump))
        return false;
    jpeg_create_decompress(&d->cinfo);
    jpeg_mem_src(&d->cinfo, data, size);
    jpeg_read_header(&d->cinfo, TRUE);
    return true;
}

bool stepStart(Decoder* d, unsigned int scaleNum)
{
    if (setjmp(d->error.jump))
        return false;
    d->cinfo.out_color_space = JCS_RGB;
    d->cinfo.scale_num = scaleNum;
    d->cinfo.scale_denom = 8;
    if (scaleNum < 8) {
        // A reduced decode is only ever scaled down further for the screen, where the
        // faster transform and plain chroma upsampling make no visible difference.
        d->cinfo.dct_method = JDCT_IFAST;
        d->cinfo.do_fancy_upsampling = FALSE;
    }
    jpeg_start_decompress(&d->cinfo);
    return true;
}

bool stepReadRows(Decoder* d, unsigned char* bits, qsizetype stride)
{
    if (setjmp(d->error.jump))
        return false;
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        JSAMPROW row = bits + stride * qsizetype(d->cinfo.output_scanline);
        jpeg_read_scanlines(&d->cinfo, &row, 1);
    }
    // Reads on to the end marker, so a file cut off after its last scanline fails too.
    jpeg_finish_decompress(&d->cinfo);
    return true;
}

void openHeader(Decoder& d, const QByteArray& jpeg)
{
    if (jpeg.isEmpty())
        throw PictureError(QStringLiteral("JPEG データが空です。"));
    if (!stepReadHeader(
            &d, reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size())))
        throw PictureError(messageOf(d.error));
    Picture::ensureManageableSize(d.cinfo.image_width, d.cinfo.image_height);
}

// Same rounding as libjpeg's own output size computation.
qint64 scaledSide(qint64 side, unsigned int num)
{
    return (side * num + 7) / 8;
}

QImage decodeAt(const QByteArray& jpeg, const QSize& cover)
{
    Decoder d;
    openHeader(d, jpeg);

    unsigned int num = 8;
    if (cover.isValid()) {
        for (unsigned int n = 1; n < 8; ++n) {
            if (scaledSide(d.cinfo.image_width, n) >= cover.width()
                && scaledSide(d.cinfo.image_height, n) >= cover.height()) {
                num = n;
                break;
            }
        }
    }

    if (!stepStart(&d, num))
        throw PictureError(messageOf(d.error));
    if (d.cinfo.output_components != 3)
        throw PictureError(QStringLiteral("この JPEG の色形式には対応していません。"));

    QImage image(int(d.cinfo.output_width), int(d.cinfo.output_height), QImage::Format_RGB888);
    if (image.isNull())
        throw PictureError(QStringLiteral("画像を展開するためのメモリが足りません。"));
    if (!stepReadRows(&d, image.bits(), image.bytesPerLine()))
        throw PictureError(messageOf(d.error));
    return image;
}

// ---- encoding ----

// Our own memory destination rather than jpeg_mem_dest: when libjpeg fails after
// jpeg_mem_dest has grown its buffer, the caller is left with a pointer to freed memory
// and the live buffer leaks. Here the buffer is ours and is freed on every path.
struct MemoryDestination {
    jpeg_destination_mgr pub;
    unsigned char* buffer;
    size_t capacity;
    size_t used;
};

constexpr size_t InitialOutput = 64 * 1024;

void destInit(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    dest->buffer = static_cast<unsigned char*>(std::malloc(InitialOutput));
    if (!dest->buffer)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    dest->capacity = InitialOutput;
    dest->used = 0;
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->capacity;
}

boolean destGrow(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    // libjpeg calls this only when the whole buffer is full.
    const size_t grown = dest->capacity * 2;
    auto* bigger = static_cast<unsigned char*>(std::realloc(dest->buffer, grown));
    if (!bigger)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 2);
    dest->buffer = bigger;
    dest->pub.next_output_byte = bigger + dest->capacity;
    dest->pub.free_in_buffer = grown - dest->capacity;
    dest->capacity = grown;
    return TRUE;
}

void destTerm(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    dest->used = dest->capacity - dest->pub.free_in_buffer;
}

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager error{};
    MemoryDestination dest{};

    Encoder()
    {
        cinfo.err = &error.pub;
        installErrorManager(error);
        dest.pub.init_destination = destInit;
        dest.pub.empty_output_buffer = destGrow;
        dest.pub.term_destination = destTerm;
    }
    ~Encoder()
    {
        jpeg_destroy_compress(&cinfo);
        std::free(dest.buffer);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
};

bool stepEncode(Encoder* e, const QImage* rgb)
{
    if (setjmp(e->error.jump))
        return false;
    jpeg_create_compress(&e->cinfo);
    e->cinfo.dest = &e->dest.pub;
    e->cinfo.image_width = JDIMENSION(rgb->width());
    e->cinfo.image_height = JDIMENSION(rgb->height());
    e->cinfo.input_components = 3;
    e->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e->cinfo);
    jpeg_set_quality(&e->cinfo, 90, TRUE);
    jpeg_start_compress(&e->cinfo, TRUE);
    while (e->cinfo.next_scanline < e->cinfo.image_height) {
        // libjpeg's prototype is not const-correct; it only reads the row.
        JSAMPROW row = const_cast<JSAMPROW>(rgb->constScanLine(int(e->cinfo.next_scanline)));
        jpeg_write_scanlines(&e->cinfo, &row, 1);
    }
    jpeg_finish_compress(&e->cinfo);
    return true;
}

} // namespace

QByteArray JpegCodec::encode(const QImage& image)
{
    if (image.isNull())
        throw PictureError(QStringLiteral("符号化する画像がありません。"));
    const QImage rgb = image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        throw PictureError(QStringLiteral("画像を符号化するためのメモリが足りません。"));

    Encoder e;
    if (!stepEncode(&e, &rgb))
        throw PictureError(messageOf(e.error));
    return QByteArray(reinterpret_cast<const char*>(e.dest.buffer), qsizetype(e.dest.used));
}

QSize JpegCodec::readSize(const QByteArray& jpeg)
{
    Decoder d;
    openHeader(d, jpeg);
    return QSize(int(d.cinfo.image_width), int(d.cinfo.image_height));
}

QImage JpegCodec::decode(const QByteArray& jpeg)
{
    return decodeAt(jpeg, QSize());
}

QImage JpegCodec::decodeCovering(const QByteArray& jpeg, const QSize& cover)
{
    return decodeAt(jpeg, cover);
}

} // namespace kelpora

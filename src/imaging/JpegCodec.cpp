#include "imaging/JpegCodec.h"

#include "imaging/Picture.h"

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
    bool readingScans; // past the header: libjpeg is decoding entropy-coded data
    bool ranOut; // the data ended and libjpeg made up an end marker; judged once all rows are out
};

[[noreturn]] void jumpOut(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// libjpeg only warns about these, fills what it could not decode with grey and carries
// on, so the user would never learn the picture is broken. Each one means scan data was
// lost or misread. Warnings that say nothing about the pixels stay harmless; above all
// "Invalid SOS parameters for sequential JPEG": real baseline files carry those bytes
// zeroed, and the sequential decoder never reads them.
bool isDamage(int code, bool readingScans)
{
    switch (code) {
    case JWRN_JPEG_EOF: // only reaches here while reading the header: it is cut short
    case JWRN_HIT_MARKER: // a scan needed bits beyond its end
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC: // a restart marker lost
    case JWRN_BOGUS_PROGRESSION: // progressive scans that do not build on one another
        return true;
    case JWRN_EXTRANEOUS_DATA:
        // Between the header's segments this is junk libjpeg skips safely. Once scans are
        // read it means a scan (or a restart interval) held bytes its decoding never used.
        return readingScans;
    default:
        return false;
    }
}

void onMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace output; nothing goes to stderr
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF && manager->readingScans) {
        // A file that lacks only its end marker ends here too, and often before the last
        // rows are out, because the decoder reads ahead. Kept for wholeDespiteEnd().
        (*cinfo->err->format_message)(cinfo, manager->message);
        manager->ranOut = true;
        return;
    }
    if (isDamage(cinfo->err->msg_code, manager->readingScans))
        jumpOut(cinfo);
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
    manager.readingScans = false;
    manager.ranOut = false;
}

QString messageOf(const ErrorManager& manager)
{
    return QString::fromLocal8Bit(manager.message);
}

// ---- decoding ----

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager error{};
    bool multipleScans = false;

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
    // Without backing store libjpeg fails, rather than allocates, when a picture's
    // coefficient buffers would pass this.
    d->cinfo.mem->max_memory_to_use = long(JpegCodec::MemoryCeiling);
    jpeg_mem_src(&d->cinfo, data, size);
    jpeg_read_header(&d->cinfo, TRUE);
    d->multipleScans = jpeg_has_multiple_scans(&d->cinfo);
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
    d->error.readingScans = true;
    // A picture in several scans is read whole here, into its coefficient buffers.
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
    // No jpeg_finish_decompress: every pixel is out, and whatever follows the last scan
    // (the end marker, or junk) cannot change them.
    return true;
}

// The data ended where the end marker should be, or earlier: did the rows lose anything?
bool wholeDespiteEnd(const Decoder& d)
{
    const jpeg_decompress_struct& cinfo = d.cinfo;
    // Arithmetic decoding runs on with zeros past the end without a word.
    if (cinfo.arith_code)
        return false;
    // Complete when every coefficient has been refined down to its last bit.
    if (cinfo.progressive_mode) {
        for (int c = 0; c < cinfo.num_components; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (cinfo.coef_bits[c][k] != 0)
                    return false;
        return true;
    }
    // One Huffman-coded scan: had it needed a bit beyond the end, libjpeg would have said
    // "premature end of data segment" (damage). Sequential files in several scans cannot
    // tell a missing end marker from a missing scan.
    return !d.multipleScans;
}

// What libjpeg must hold for a picture whose scans all come before its first row: every
// DCT coefficient of the whole picture, 2 bytes each, in blocks rounded up to whole
// MCUs as libjpeg's coefficient controller does.
qint64 wholePictureCoefficientBytes(const jpeg_decompress_struct& cinfo)
{
    qint64 bytes = 0;
    for (int c = 0; cinfo.comp_info && c < cinfo.num_components; ++c) {
        const jpeg_component_info& component = cinfo.comp_info[c];
        const qint64 h = component.h_samp_factor;
        const qint64 v = component.v_samp_factor;
        const qint64 wide = (qint64(component.width_in_blocks) + h - 1) / h * h;
        const qint64 high = (qint64(component.height_in_blocks) + v - 1) / v * v;
        bytes += wide * high * DCTSIZE2 * qint64(sizeof(JCOEF));
    }
    return bytes;
}

PictureError needsTooMuchMemory(qint64 bytes)
{
    constexpr qint64 MiB = 1 << 20;
    return PictureError(QStringLiteral("この JPEG は展開に約 %1 MB のメモリが必要なため扱えません（上限 %2 MB）。"
                                       "プログレッシブ形式の大きな写真は、ベースライン形式で保存し直してください。")
                            .arg((bytes + MiB - 1) / MiB)
                            .arg(JpegCodec::MemoryCeiling / MiB));
}

PictureError failureOf(const Decoder& d)
{
    if (d.error.pub.msg_code == JERR_NO_BACKING_STORE)
        return needsTooMuchMemory(wholePictureCoefficientBytes(d.cinfo));
    if (d.error.pub.msg_code == JERR_OUT_OF_MEMORY)
        return PictureError(QStringLiteral("画像を展開するためのメモリが足りません。"));
    return PictureError(messageOf(d.error));
}

void openHeader(Decoder& d, const QByteArray& jpeg)
{
    if (jpeg.isEmpty())
        throw PictureError(QStringLiteral("JPEG データが空です。"));
    if (!stepReadHeader(
            &d, reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size())))
        throw failureOf(d);
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
        throw failureOf(d);
    if (d.cinfo.output_components != 3)
        throw PictureError(QStringLiteral("この JPEG の色形式には対応していません。"));

    QImage image(int(d.cinfo.output_width), int(d.cinfo.output_height), QImage::Format_RGB888);
    if (image.isNull())
        throw PictureError(QStringLiteral("画像を展開するためのメモリが足りません。"));
    if (!stepReadRows(&d, image.bits(), image.bytesPerLine()))
        throw failureOf(d);
    if (d.error.ranOut && !wholeDespiteEnd(d))
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

constexpr size_t kInitialOutput = 64 * 1024;

void destInit(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    dest->buffer = static_cast<unsigned char*>(std::malloc(kInitialOutput));
    if (!dest->buffer)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    dest->capacity = kInitialOutput;
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
    // Refused now rather than on every later display. The reserve covers libjpeg's
    // working buffers beside the coefficients (about 1 MB at our widest pictures), so
    // whatever passes here also passes the decoder's own ceiling.
    if (d.multipleScans) {
        const qint64 coefficients = wholePictureCoefficientBytes(d.cinfo);
        if (coefficients + WorkingReserve > MemoryCeiling)
            throw needsTooMuchMemory(coefficients);
    }
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

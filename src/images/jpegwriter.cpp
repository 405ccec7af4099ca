#include "jpegwriter.h"

#include "cdibsection.h"
#include "filesicuro.h"
#include "imageerror.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {

struct ErroreJpeg {
    jpeg_error_mgr mgr;
    std::jmp_buf salto;
    char testo[JMSG_LENGTH_MAX];
};

void esciConErrore(j_common_ptr c)
{
    auto *e = reinterpret_cast<ErroreJpeg *>(c->err);
    (*c->err->format_message)(c, e->testo);
    std::longjmp(e->salto, 1);
}

void nessunMessaggio(j_common_ptr, int) {}

[[noreturn]] void errore(const QString &testo)
{
    throw ImageError(ImageErr::Jpeg, JpegWriter::source(), testo);
}

// The compressor and its output buffer, held outside the function that the
// library may jump out of (see caricaimmagine.cpp).
struct Compressore {
    jpeg_compress_struct c{};
    ErroreJpeg err{};
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    volatile bool creato = false;
    ~Compressore()
    {
        if (creato)
            jpeg_destroy_compress(&c);
        std::free(out);
    }
};

[[gnu::noinline]] void comprimi(Compressore &k, const cDIBSection &bitmap, int quality)
{
    jpeg_compress_struct &c = k.c;
    jpeg_create_compress(&c);
    k.creato = true;
    jpeg_mem_dest(&c, &k.out, &k.outSize);
    c.image_width = JDIMENSION(bitmap.Width());
    c.image_height = JDIMENSION(bitmap.Height());
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    // From quality 90 up the colour keeps full resolution, as libvips and
    // ImageMagick do: small pictures with sharp coloured edges (logos,
    // thumbnails) lose visibly with colour sampled over 2 × 2 pixels.
    if (quality >= 90)
        for (int i = 0; i < c.num_components; ++i)
            c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    // Huffman tables of the library's own: tables made for each picture
    // (optimize_coding) save about 4 % of a photograph's bytes and take three
    // times as long to write (measured on 1000 × 666 photographs).
    c.optimize_coding = FALSE;
    jpeg_start_compress(&c, TRUE);
    // Memory holds the bottom row first: hand the rows over top row first.
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bitmap.scanLineFromTop(int(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
}

}  // namespace

QByteArray encodeJpeg(const cDIBSection &bitmap, int quality)
{
    if (bitmap.isEmpty() || bitmap.Width() <= 0 || bitmap.Height() <= 0)
        errore(QStringLiteral("Failed to save to JPG: the bitmap is empty"));
    if (bitmap.Width() > JPEG_MAX_DIMENSION || bitmap.Height() > JPEG_MAX_DIMENSION)
        errore(QStringLiteral("Failed to save to JPG: %1 × %2 pixels is larger than a JPEG file can hold")
                   .arg(bitmap.Width())
                   .arg(bitmap.Height()));
    Compressore k;
    k.c.err = jpeg_std_error(&k.err.mgr);
    k.err.mgr.error_exit = esciConErrore;
    k.err.mgr.emit_message = nessunMessaggio;
    if (setjmp(k.err.salto)) {
        const int code = k.err.mgr.msg_code;
        if (!k.creato)
            errore(QStringLiteral("Failed to initialise the IJL library: %1").arg(code));
        errore(QStringLiteral("Failed to save to JPG %1 (%2)").arg(code).arg(QString::fromLocal8Bit(k.err.testo)));
    }
    comprimi(k, bitmap, quality);
    return QByteArray(reinterpret_cast<const char *>(k.out), qsizetype(k.outSize));
}

bool SaveDIBToJPEG(const cDIBSection &bitmap, const QString &file, int quality)
{
    const QByteArray bytes = encodeJpeg(bitmap, quality);
    const EsitoScrittura esito = sostituisciFile(file, bytes);
    if (!esito.ok)
        errore(QStringLiteral("Failed to save to JPG %1 (%2)").arg(esito.codice).arg(esito.testo));
    return true;
}

#include "caricaimmagine.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
#include <new>

bool PixelBGR::riserva(int w, int h)
{
    data.reset();
    width = height = 0;
    if (w <= 0 || h <= 0)
        return false;
    data.reset(new (std::nothrow) uint8_t[size_t(w) * size_t(h) * 3]);
    if (!data)
        return false;
    width = w;
    height = h;
    return true;
}

namespace {

QString nome(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString messaggioTroppoGrande(const QString &path, qint64 w, qint64 h)
{
    return QStringLiteral("L'immagine '%1' è troppo grande (%2 × %3 pixel): si accettano al massimo %4 pixel "
                          "per lato e 120 milioni di pixel in tutto.")
        .arg(nome(path))
        .arg(w)
        .arg(h)
        .arg(CaricaImmagine::LatoMassimo);
}

QString messaggioDanneggiato(const QString &path, const QString &dettaglio)
{
    QString m = QStringLiteral("Il file '%1' è incompleto o danneggiato e non si può usare come immagine.").arg(nome(path));
    if (!dettaglio.isEmpty())
        m += QStringLiteral(" (") + dettaglio + u')';
    return m;
}

QString messaggioMemoria(const QString &path, qint64 w, qint64 h)
{
    return QStringLiteral("Memoria insufficiente per leggere l'immagine '%1' (%2 × %3 pixel).")
        .arg(nome(path))
        .arg(w)
        .arg(h);
}

bool dentroLimiti(qint64 w, qint64 h)
{
    return w > 0 && h > 0 && w <= CaricaImmagine::LatoMassimo && h <= CaricaImmagine::LatoMassimo
           && w * h <= CaricaImmagine::PixelMassimi;
}

void imposta(QString *errore, const QString &testo)
{
    if (errore)
        *errore = testo;
}

// The file's bytes: mapped when possible.
class Contenuto {
public:
    bool apri(const QString &path, QString *errore)
    {
        m_file.setFileName(path);
        if (!QFileInfo(path).isFile() || !m_file.open(QIODevice::ReadOnly)) {
            imposta(errore, QStringLiteral("Il file '%1' non esiste o non si può leggere.").arg(nome(path)));
            return false;
        }
        m_size = m_file.size();
        if (m_size == 0) {
            imposta(errore, QStringLiteral("Il file '%1' è vuoto: non contiene un'immagine.").arg(nome(path)));
            return false;
        }
        m_data = m_file.map(0, m_size);
        if (!m_data) {
            m_copy = m_file.readAll();
            m_data = reinterpret_cast<uchar *>(m_copy.data());
            m_size = m_copy.size();
        }
        return m_data != nullptr && m_size > 0;
    }
    const uchar *data() const { return m_data; }
    qint64 size() const { return m_size; }

private:
    QFile m_file;
    QByteArray m_copy;
    uchar *m_data = nullptr;
    qint64 m_size = 0;
};

QByteArray formatoDa(const uchar *p, qint64 n)
{
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return "jpeg";
    if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0)
        return "png";
    if (n >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0))
        return "gif";
    if (n >= 2 && p[0] == 'B' && p[1] == 'M')
        return "bmp";
    return {};
}

QString messaggioNonImmagine(const QString &path)
{
    return QStringLiteral("Il file '%1' non è un'immagine BMP, JPEG, GIF o PNG.").arg(nome(path));
}

// --- JPEG through libjpeg-turbo ----------------------------------------

struct ErroreLettura {
    jpeg_error_mgr mgr;
    std::jmp_buf salto;
    char testo[JMSG_LENGTH_MAX];
    bool troncato;
};

void esciLettura(j_common_ptr c)
{
    auto *e = reinterpret_cast<ErroreLettura *>(c->err);
    (*c->err->format_message)(c, e->testo);
    std::longjmp(e->salto, 1);
}

// Warnings: a file that ends too early or whose data stops in the middle is
// refused; harmless oddities (extra bytes between markers) are let through.
void avvisoLettura(j_common_ptr c, int livello)
{
    if (livello >= 0)
        return;
    const int code = c->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC) {
        auto *e = reinterpret_cast<ErroreLettura *>(c->err);
        e->troncato = true;
        (*c->err->format_message)(c, e->testo);
        std::longjmp(e->salto, 1);
    }
}

// Holds the decompressor and every buffer of one decoding, so that a jump
// out of the library (its way of failing) loses nothing: the jump lands in
// a function that holds only this object, and the bodies that allocate are
// never inlined into it.
struct Decompressore {
    jpeg_decompress_struct c{};
    ErroreLettura err{};
    std::unique_ptr<uint8_t[]> riga;
    QString errore;  // a failure found outside the library
    Decompressore()
    {
        c.err = jpeg_std_error(&err.mgr);
        err.mgr.error_exit = esciLettura;
        err.mgr.emit_message = avvisoLettura;
        jpeg_create_decompress(&c);
    }
    ~Decompressore() { jpeg_destroy_decompress(&c); }
};

[[gnu::noinline]] void leggiIntestazione(Decompressore &d, const Contenuto &file)
{
    jpeg_mem_src(&d.c, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d.c, TRUE);
}

bool infoJpeg(const QString &path, const Contenuto &file, InfoImmagine &info, QString *errore)
{
    Decompressore d;
    if (setjmp(d.err.salto)) {
        imposta(errore, messaggioDanneggiato(path, QString::fromLocal8Bit(d.err.testo)));
        return false;
    }
    leggiIntestazione(d, file);
    info.width = int(d.c.image_width);
    info.height = int(d.c.image_height);
    info.formato = "jpeg";
    return true;
}

// Adobe's CMYK JPEG files store the inks inverted.
void daCmyk(const uint8_t *in, uint8_t *out, int n, bool invertito)
{
    for (int i = 0; i < n; ++i, in += 4, out += 3) {
        int cc = in[0], m = in[1], y = in[2], k = in[3];
        if (!invertito) {
            cc = 255 - cc;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = uint8_t(y * k / 255);
        out[1] = uint8_t(m * k / 255);
        out[2] = uint8_t(cc * k / 255);
    }
}

[[gnu::noinline]] bool corpoJpeg(Decompressore &d, const QString &path, const Contenuto &file, PixelBGR &out,
                                 QSize minimo, QSize ritaglio, const CaricaImmagine::RigheDecodificate &avanzamento)
{
    jpeg_decompress_struct &c = d.c;
    leggiIntestazione(d, file);
    if (!dentroLimiti(c.image_width, c.image_height)) {
        d.errore = messaggioTroppoGrande(path, c.image_width, c.image_height);
        return false;
    }
    if (minimo.isValid()) {
        for (unsigned m = 1; m <= 8; ++m) {
            c.scale_num = m;
            c.scale_denom = 8;
            jpeg_calc_output_dimensions(&c);
            if (c.output_width >= unsigned(minimo.width()) && c.output_height >= unsigned(minimo.height()))
                break;
        }
    }
    const bool cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
    c.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&c);

    int keepW = int(c.output_width), keepH = int(c.output_height);
    if (ritaglio.isValid()) {
        keepW = std::min(keepW, std::max(1, ritaglio.width()));
        keepH = std::min(keepH, std::max(1, ritaglio.height()));
        if (unsigned(keepW) < c.output_width) {
            JDIMENSION xoff = 0, w = JDIMENSION(keepW);
            jpeg_crop_scanline(&c, &xoff, &w);  // widens to a whole block
        }
    }
    if (!out.riserva(keepW, keepH)) {
        d.errore = messaggioMemoria(path, c.image_width, c.image_height);
        return false;  // the decompressor is destroyed without finishing
    }
    const int componenti = cmyk ? 4 : 3;
    const bool diretto = !cmyk && int(c.output_width) == keepW;
    if (!diretto) {
        d.riga.reset(new (std::nothrow) uint8_t[size_t(c.output_width) * componenti]);
        if (!d.riga) {
            d.errore = messaggioMemoria(path, c.image_width, c.image_height);
            return false;
        }
    }
    // Rows straight into place, several at a time, each batch told to
    // `avanzamento`; else one at a time through the row buffer.
    constexpr int Blocco = 16;
    int avvisate = 0;
    while (int(c.output_scanline) < keepH) {
        const int y = int(c.output_scanline);
        if (diretto) {
            JSAMPROW righe[Blocco];
            const int n = std::min(Blocco, keepH - y);
            for (int i = 0; i < n; ++i)
                righe[i] = out.row(y + i);
            jpeg_read_scanlines(&c, righe, JDIMENSION(n));
        } else {
            JSAMPROW r = d.riga.get();
            if (jpeg_read_scanlines(&c, &r, 1) != 1)
                continue;
            if (cmyk)
                daCmyk(d.riga.get(), out.row(y), keepW, c.saw_Adobe_marker);
            else
                std::copy_n(d.riga.get(), size_t(keepW) * 3, out.row(y));
        }
        if (avanzamento && int(c.output_scanline) - avvisate >= Blocco) {
            avvisate = int(c.output_scanline);
            avanzamento(out, avvisate);
        }
    }
    // The rest of the picture is still decoded (only the kept columns, when
    // cropped), so that a file that ends too early is refused.
    if (c.output_scanline < c.output_height) {
        if (!d.riga) {
            d.riga.reset(new (std::nothrow) uint8_t[size_t(c.output_width) * componenti]);
            if (!d.riga) {
                d.errore = messaggioMemoria(path, c.image_width, c.image_height);
                return false;
            }
        }
        JSAMPROW r = d.riga.get();
        while (c.output_scanline < c.output_height)
            jpeg_read_scanlines(&c, &r, 1);
    }
    jpeg_finish_decompress(&c);
    return true;
}

bool decodificaJpeg(const QString &path, const Contenuto &file, PixelBGR &out, QString *errore, QSize minimo,
                    QSize ritaglio, const CaricaImmagine::RigheDecodificate &avanzamento)
{
    Decompressore d;
    if (setjmp(d.err.salto)) {
        imposta(errore, messaggioDanneggiato(path, QString::fromLocal8Bit(d.err.testo)));
        return false;
    }
    if (corpoJpeg(d, path, file, out, minimo, ritaglio, avanzamento))
        return true;
    imposta(errore, d.errore);
    return false;
}

// --- BMP, GIF and PNG through Qt -----------------------------------------

// A GIF file must hold the whole data of its first image (Qt's reader shows
// what it got of a cut file). A missing trailer after it is forgiven, as
// browsers do.
bool gifCompleto(const uchar *p, qint64 n)
{
    if (n < 13)
        return false;
    qint64 i = 13 + ((p[10] & 0x80) ? 3 * (2 << (p[10] & 7)) : 0);
    auto saltaBlocchi = [&]() {
        while (i < n && p[i] != 0)
            i += qint64(p[i]) + 1;
        if (i >= n)
            return false;
        ++i;  // the terminator
        return true;
    };
    while (i < n) {
        if (p[i] == 0x21) {  // extension: label, then sub-blocks
            i += 2;
            if (!saltaBlocchi())
                return false;
        } else if (p[i] == 0x2C) {  // image: descriptor, local table, code size, data
            if (i + 10 > n)
                return false;
            const uchar flags = p[i + 9];
            i += 10 + ((flags & 0x80) ? 3 * (2 << (flags & 7)) : 0) + 1;
            return i <= n && saltaBlocchi();
        } else {
            return false;  // the trailer or garbage before any image
        }
    }
    return false;
}

quint32 be32(const uchar *p) { return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]; }
quint32 le32(const uchar *p) { return quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0]; }
quint16 le16(const uchar *p) { return quint16(p[1] << 8 | p[0]); }

// The size the header gives, read here so that a giant picture is refused
// before any reader sees it. False when the header is too short to tell.
bool dimensioniTestata(const QByteArray &fmt, const uchar *p, qint64 n, qint64 &w, qint64 &h)
{
    if (fmt == "png" && n >= 24) {
        w = be32(p + 16);
        h = be32(p + 20);
        return true;
    }
    if (fmt == "gif" && n >= 10) {
        w = le16(p + 6);
        h = le16(p + 8);
        return true;
    }
    if (fmt == "bmp" && n >= 26) {
        if (le32(p + 14) == 12) {  // the old OS/2 header: 16-bit sizes
            w = le16(p + 18);
            h = le16(p + 20);
        } else {
            w = qint32(le32(p + 18));
            h = qint64(qAbs(qint64(qint32(le32(p + 22)))));  // negative: rows top-down
        }
        return true;
    }
    return false;
}

// An uncompressed BMP must hold all its rows; Qt's reader would make up
// the missing ones.
bool bmpCompleto(const uchar *p, qint64 n)
{
    if (n < 34 || le32(p + 14) < 40)
        return true;  // old header or too short to tell: the reader decides
    const qint64 w = qint32(le32(p + 18)), h = qAbs(qint64(qint32(le32(p + 22))));
    const int bpp = le16(p + 28);
    const quint32 compressione = le32(p + 30);
    if (compressione != 0 && compressione != 3)  // RLE and others: the reader decides
        return true;
    const qint64 riga = (w * bpp + 31) / 32 * 4;
    return qint64(le32(p + 10)) + riga * h <= n;
}

// The size the file's header declares is checked before anything is decoded,
// so a huge picture costs nothing.
bool testataNeiLimiti(const QString &path, const QByteArray &fmt, const Contenuto &file, QString *errore)
{
    qint64 hw = 0, hh = 0;
    if (dimensioniTestata(fmt, file.data(), file.size(), hw, hh) && !dentroLimiti(hw, hh)) {
        imposta(errore, messaggioTroppoGrande(path, hw, hh));
        return false;
    }
    return true;
}

// The size of the picture Qt's reader will decode. The reader tells a
// top-down BMP's height as negative. A GIF is decoded at the size of its
// logical screen, but the reader tells the size of the first image when the
// screen is far larger: the header's size is the one.
QSize dimensioniQt(QImageReader &r, const QByteArray &fmt, const Contenuto &file)
{
    QSize s = r.size();
    if (fmt == "bmp" && s.width() > 0 && s.height() < 0)
        s.setHeight(-s.height());
    qint64 hw = 0, hh = 0;
    if (s.isValid() && fmt == "gif" && dimensioniTestata(fmt, file.data(), file.size(), hw, hh))
        s = QSize(int(hw), int(hh));
    return s;
}

bool infoQt(const QString &path, const QByteArray &fmt, const Contenuto &file, InfoImmagine &info, QString *errore)
{
    if (!testataNeiLimiti(path, fmt, file, errore))
        return false;
    QImageReader r(path, fmt);
    const QSize s = dimensioniQt(r, fmt, file);
    if (!s.isValid()) {
        imposta(errore, messaggioDanneggiato(path, r.errorString()));
        return false;
    }
    info.width = s.width();
    info.height = s.height();
    info.formato = fmt;
    return true;
}

bool decodificaQt(const QString &path, const QByteArray &fmt, const Contenuto &file, PixelBGR &out, QString *errore,
                  QSize ritaglio)
{
    if (!testataNeiLimiti(path, fmt, file, errore))
        return false;
    if ((fmt == "bmp" && !bmpCompleto(file.data(), file.size()))
        || (fmt == "gif" && !gifCompleto(file.data(), file.size()))) {
        imposta(errore, messaggioDanneggiato(path, QStringLiteral("mancano dei dati")));
        return false;
    }
    QImageReader r(path, fmt);
    const QSize s = dimensioniQt(r, fmt, file);
    if (!s.isValid()) {
        imposta(errore, messaggioDanneggiato(path, r.errorString()));
        return false;
    }
    if (!dentroLimiti(s.width(), s.height())) {
        imposta(errore, messaggioTroppoGrande(path, s.width(), s.height()));
        return false;
    }
    r.setAllocationLimit(1024);  // MiB; the pixel limit keeps well below
    QImage img = r.read();
    if (img.isNull()) {
        imposta(errore, messaggioDanneggiato(path, r.errorString()));
        return false;
    }
    if (ritaglio.isValid() && (ritaglio.width() < img.width() || ritaglio.height() < img.height()))
        img = img.copy(0, 0, std::min(img.width(), ritaglio.width()), std::min(img.height(), ritaglio.height()));
    const bool alpha = img.hasAlphaChannel();
    img = img.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (img.isNull() || !out.riserva(img.width(), img.height())) {
        imposta(errore, messaggioMemoria(path, s.width(), s.height()));
        return false;
    }
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        uint8_t *o = out.row(y);
        for (int x = 0; x < img.width(); ++x, o += 3) {
            const QRgb p = in[x];
            int b = qBlue(p), g = qGreen(p), rr = qRed(p);
            if (alpha) {
                // On white, as on a page.
                const int a = qAlpha(p), bianco = 255 * (255 - a);
                b = (b * a + bianco + 127) / 255;
                g = (g * a + bianco + 127) / 255;
                rr = (rr * a + bianco + 127) / 255;
            }
            o[0] = uint8_t(b);
            o[1] = uint8_t(g);
            o[2] = uint8_t(rr);
        }
    }
    return true;
}

}  // namespace

QByteArray CaricaImmagine::formato(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = f.read(8);
    return formatoDa(reinterpret_cast<const uchar *>(head.constData()), head.size());
}

// Reads a file whole and recognises its format from its first bytes.
static bool apriImmagine(const QString &path, Contenuto &file, QByteArray &fmt, QString *errore)
{
    if (!file.apri(path, errore))
        return false;
    fmt = formatoDa(file.data(), file.size());
    if (fmt.isEmpty()) {
        imposta(errore, messaggioNonImmagine(path));
        return false;
    }
    return true;
}

bool CaricaImmagine::informazioni(const QString &path, InfoImmagine &info, QString *errore)
{
    Contenuto file;
    QByteArray fmt;
    if (!apriImmagine(path, file, fmt, errore))
        return false;
    const bool ok = fmt == "jpeg" ? infoJpeg(path, file, info, errore) : infoQt(path, fmt, file, info, errore);
    if (ok && !dentroLimiti(info.width, info.height)) {
        imposta(errore, messaggioTroppoGrande(path, info.width, info.height));
        return false;
    }
    return ok;
}

bool CaricaImmagine::decodifica(const QString &path, PixelBGR &out, QString *errore, QSize minimo, QSize ritaglio,
                                const RigheDecodificate &avanzamento)
{
    out = PixelBGR{};
    Contenuto file;
    QByteArray fmt;
    if (!apriImmagine(path, file, fmt, errore))
        return false;
    const bool fatto = fmt == "jpeg" ? decodificaJpeg(path, file, out, errore, minimo, ritaglio, avanzamento)
                                     : decodificaQt(path, fmt, file, out, errore, ritaglio);
    if (avanzamento)
        avanzamento(out, fatto ? out.height : -1);
    if (!fatto)
        out = PixelBGR{};
    return fatto;
}

// Loading pictures and the shrinking engine: the fitting rule of the chooser,
// the formats, bad input, and the Lanczos reduction.
#include "caricaimmagine.h"
#include "cdibsection.h"
#include "fileprova.h"
#include "ridimensiona.h"
#include "riduzione.h"
#include "verifica.h"

#include <QImageWriter>
#include <QRandomGenerator>
#include <QPainter>
#include <QtEndian>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <thread>

class TestRiduzione : public QObject {
    Q_OBJECT
private slots:
    void regolaDiAdattamento_data();
    void regolaDiAdattamento();
    void formati_data();
    void formati();
    void jpegRidottoInDecodifica();
    void ritaglioInAltoASinistra();
    void inputNonValido_data();
    void inputNonValido();
    void motoreRiduce_data();
    void motoreRiduce();
    void motoreNonScriveSeFallisce();
    void lanczosBandeParallele();
    void lanczosComeRiferimento_data();
    void lanczosComeRiferimento();
    void righeMentreSiDecodifica();
    void scalaDiDecodifica_data();
    void scalaDiDecodifica();
    void jpegGrandeTroncato();
    void gifConSchermoGrande_data();
    void gifConSchermoGrande();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestRiduzione::regolaDiAdattamento_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<bool>("reduced");
    // The fitting rule's own examples.
    QTest::newRow("400x300") << QSize(400, 300) << QSize(180, 180) << QSize(180, 135) << true;
    QTest::newRow("300x600: width, then height") << QSize(300, 600) << QSize(180, 180) << QSize(90, 180) << true;
    QTest::newRow("100x80 fits") << QSize(100, 80) << QSize(180, 180) << QSize(100, 80) << false;
    // Strictly larger only.
    QTest::newRow("exactly 180 wide") << QSize(180, 100) << QSize(180, 180) << QSize(180, 100) << false;
    QTest::newRow("exactly 180 high") << QSize(100, 180) << QSize(180, 180) << QSize(100, 180) << false;
    QTest::newRow("181 wide") << QSize(181, 100) << QSize(180, 180) << QSize(180, 99) << true;
    QTest::newRow("other box") << QSize(1000, 1000) << QSize(270, 5) << QSize(5, 5) << true;
    // Never zero pixels.
    QTest::newRow("thin") << QSize(10000, 1) << QSize(180, 180) << QSize(180, 1) << true;
    QTest::newRow("tall") << QSize(1, 10000) << QSize(180, 180) << QSize(1, 180) << true;
    QTest::newRow("small box") << QSize(6000, 40) << QSize(5, 5) << QSize(5, 1) << true;
    QTest::newRow("6000x4000 in 1000") << QSize(6000, 4000) << QSize(1000, 1000) << QSize(1000, 666) << true;
}

void TestRiduzione::regolaDiAdattamento()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(QSize, expected);
    QFETCH(bool, reduced);
    const Riduzione::Misura m = Riduzione::adatta(picture.width(), picture.height(), box.width(), box.height());
    QCOMPARE(QSize(m.larghezza, m.altezza), expected);
    QCOMPARE(m.ridotta, reduced);
}

namespace {

// The same bitmap with its rows stored top-down (a negative height).
QByteArray dallAlto(const QByteArray &bmp)
{
    const auto *p = reinterpret_cast<const uchar *>(bmp.constData());
    const qint32 inizio = qFromLittleEndian<qint32>(p + 10), w = qFromLittleEndian<qint32>(p + 18),
                 h = qFromLittleEndian<qint32>(p + 22);
    const int riga = (w * qFromLittleEndian<quint16>(p + 28) + 31) / 32 * 4;
    QByteArray out = bmp;
    for (int y = 0; y < h; ++y)
        out.replace(inizio + y * riga, riga, bmp.mid(inizio + (h - 1 - y) * riga, riga));
    qToLittleEndian<qint32>(-h, out.data() + 22);
    return out;
}

// A source whose three colours vary each its own way, with detail down to
// single pixels: a channel mixed up or a tap misplaced shows.
PixelBGR sorgente(int w, int h, quint32 seme = 7)
{
    PixelBGR src;
    src.riserva(w, h);
    QRandomGenerator caso(seme);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t *p = src.row(y) + 3 * x;
            p[0] = uint8_t(255 * x / std::max(1, w - 1));
            p[1] = uint8_t((x * 7 + y * 13) % 256);
            p[2] = uint8_t(caso.bounded(256));
        }
    return src;
}

// The Lanczos reduction in double precision, one pixel: the filter's
// definition (three lobes widened by the reduction, pixel centres aligned).
double riferimento(const PixelBGR &src, int dW, int dH, int x, int y, int c)
{
    auto pesi = [](int n, int d, int i, int &da, int &a) {
        const double scala = double(n) / d, allarga = std::max(1.0, scala), centro = (i + 0.5) * scala;
        da = std::max(0, int(std::floor(centro - 3 * allarga + 0.5)));
        a = std::min(n, int(std::floor(centro + 3 * allarga + 0.5)));
        std::vector<double> w;
        for (int k = da; k < a; ++k) {
            const double t = std::fabs((k + 0.5 - centro) / allarga);
            w.push_back(t < 1e-12 ? 1.0 : t >= 3 ? 0.0 : 3 * std::sin(M_PI * t) * std::sin(M_PI * t / 3) / (M_PI * M_PI * t * t));
        }
        return w;
    };
    int x0, x1, y0, y1;
    const std::vector<double> wx = pesi(src.width, dW, x, x0, x1), wy = pesi(src.height, dH, y, y0, y1);
    double somma = 0, sx = 0, sy = 0;
    for (double v : wx)
        sx += v;
    for (double v : wy)
        sy += v;
    for (int j = y0; j < y1; ++j)
        for (int i = x0; i < x1; ++i)
            somma += wy[size_t(j - y0)] * wx[size_t(i - x0)] * src.row(j)[3 * i + c];
    return std::clamp(somma / (sx * sy), 0.0, 255.0);
}

bool stessiPixel(const cDIBSection &a, const cDIBSection &b)
{
    for (int y = 0; y < a.Height(); ++y)
        VERIFICA(std::equal(a.scanLineFromTop(y), a.scanLineFromTop(y) + 3 * a.Width(), b.scanLineFromTop(y)));
    return true;
}

} // namespace

void TestRiduzione::formati_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("format");
    const QImage q = FileProva::quarti(64, 48);
    QTest::newRow("jpeg") << FileProva::scrivi(path("a.jpg"), q, "jpg") << QByteArray("jpeg");
    QTest::newRow("jpeg named .jpeg, upper case") << FileProva::scrivi(path("b.JPEG"), q, "jpg") << QByteArray("jpeg");
    QTest::newRow("png") << FileProva::scrivi(path("c.png"), q, "png") << QByteArray("png");
    QTest::newRow("bmp") << FileProva::scrivi(path("d.bmp"), q, "bmp") << QByteArray("bmp");
    QTest::newRow("bmp top-down") << FileProva::scriviByte(path("d2.bmp"), dallAlto(leggi(path("d.bmp"))))
                                  << QByteArray("bmp");
    QTest::newRow("gif") << FileProva::scrivi(path("e.gif"), q, "gif") << QByteArray("gif");
    QTest::newRow("cmyk jpeg") << FileProva::scriviJpegCmyk(path("f.jpg"), q) << QByteArray("jpeg");
    QImageWriter progressive(path("g.jpg"), "jpeg");
    progressive.setProgressiveScanWrite(true);
    QVERIFY(progressive.write(q));
    QTest::newRow("progressive jpeg") << path("g.jpg") << QByteArray("jpeg");
    QVERIFY(q.convertToFormat(QImage::Format_Grayscale8).save(path("h.jpg"), "jpeg"));
    QTest::newRow("grey jpeg") << path("h.jpg") << QByteArray("jpeg");
    // The content decides, not the name.
    QTest::newRow("png named .jpg") << FileProva::scrivi(path("i.jpg"), q, "png") << QByteArray("png");
}

void TestRiduzione::formati()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, format);
    InfoImmagine info;
    QString error;
    QVERIFY2(CaricaImmagine::informazioni(file, info, &error), qPrintable(error));
    QCOMPARE(info.formato, format);
    QCOMPARE(QSize(info.width, info.height), QSize(64, 48));
    PixelBGR px;
    QVERIFY2(CaricaImmagine::decodifica(file, px, &error), qPrintable(error));
    QCOMPARE(QSize(px.width, px.height), QSize(64, 48));
    // Blue-green-red bytes, top row first: red top-left, yellow bottom-right.
    auto colour = [&](int x, int y) {
        const uint8_t *p = px.row(y) + 3 * x;
        return QColor(p[2], p[1], p[0]);
    };
    const bool grey = QFileInfo(file).baseName() == QStringLiteral("h");
    const QColor tl = colour(5, 5), br = colour(58, 42);
    if (grey) {
        QVERIFY(qAbs(tl.red() - tl.blue()) < 4);
        QVERIFY(br.red() > tl.red());  // yellow is lighter than red
    } else {
        QVERIFY2(tl.red() > 200 && tl.green() < 60 && tl.blue() < 60, qPrintable(tl.name()));
        QVERIFY2(br.red() > 200 && br.green() > 200 && br.blue() < 60, qPrintable(br.name()));
    }
}

void TestRiduzione::jpegRidottoInDecodifica()
{
    const QString file = FileProva::scrivi(path("big.jpg"), FileProva::quarti(1600, 1200), "jpg");
    PixelBGR px;
    QString error;
    // The smallest scale (n/8) still at least as large as asked.
    QVERIFY(CaricaImmagine::decodifica(file, px, &error, QSize(200, 150)));
    QCOMPARE(QSize(px.width, px.height), QSize(200, 150));
    QVERIFY(CaricaImmagine::decodifica(file, px, &error, QSize(201, 150)));
    QCOMPARE(QSize(px.width, px.height), QSize(400, 300));
    QVERIFY(CaricaImmagine::decodifica(file, px, &error, QSize(1600, 1200)));
    QCOMPARE(QSize(px.width, px.height), QSize(1600, 1200));
    // Other formats come at their own size.
    const QString png = FileProva::scrivi(path("big.png"), FileProva::quarti(400, 300), "png");
    QVERIFY(CaricaImmagine::decodifica(png, px, &error, QSize(50, 50)));
    QCOMPARE(QSize(px.width, px.height), QSize(400, 300));
}

void TestRiduzione::ritaglioInAltoASinistra()
{
    const QImage q = FileProva::quarti(1000, 800);
    for (const char *fmt : {"jpg", "png"}) {
        const QString file = FileProva::scrivi(path(QStringLiteral("crop.") + QLatin1String(fmt)), q, fmt);
        PixelBGR px;
        QString error;
        QVERIFY(CaricaImmagine::decodifica(file, px, &error, {}, QSize(281, 281)));
        QCOMPARE(QSize(px.width, px.height), QSize(281, 281));
        QVERIFY(px.row(280)[2] > 200 && px.row(280)[0] < 60);  // still the red quarter
        QVERIFY(CaricaImmagine::decodifica(file, px, &error, {}, QSize(2000, 2000)));
        QCOMPARE(QSize(px.width, px.height), QSize(1000, 800));
    }
}

void TestRiduzione::inputNonValido_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    const QImage q = FileProva::quarti(300, 200);
    const QByteArray jpg = leggi(FileProva::scrivi(path("ok.jpg"), q, "jpg"));
    const QByteArray png = leggi(FileProva::scrivi(path("ok.png"), q, "png"));
    const QByteArray bmp = leggi(FileProva::scrivi(path("ok.bmp"), q, "bmp"));
    const QByteArray gif = leggi(FileProva::scrivi(path("ok.gif"), q, "gif"));
    const QString incomplete = QStringLiteral("è incompleto o danneggiato");
    const QString tooLarge = QStringLiteral("è troppo grande (20000 × 20000 pixel)");
    QTest::newRow("text named .jpg") << FileProva::scriviByte(path("testo.jpg"), "Questa non è una foto.\n")
                                     << QStringLiteral("non è un'immagine BMP, JPEG, GIF o PNG");
    QTest::newRow("zero bytes") << FileProva::scriviByte(path("vuoto.jpg"), {}) << QStringLiteral("è vuoto");
    QTest::newRow("missing") << path("manca.jpg") << QStringLiteral("non esiste o non si può leggere");
    QTest::newRow("a folder") << m_dir.path() << QStringLiteral("non esiste o non si può leggere");
    QTest::newRow("truncated jpeg") << FileProva::scriviByte(path("tronco.jpg"), jpg.left(jpg.size() * 6 / 10))
                                    << incomplete;
    QTest::newRow("jpeg without its end") << FileProva::scriviByte(path("senzafine.jpg"), jpg.left(jpg.size() - 2))
                                          << incomplete;
    QTest::newRow("jpeg header only") << FileProva::scriviByte(path("testata.jpg"), jpg.left(4)) << incomplete;
    QTest::newRow("truncated png") << FileProva::scriviByte(path("tronco.png"), png.left(png.size() / 2)) << incomplete;
    QTest::newRow("truncated gif") << FileProva::scriviByte(path("tronco.gif"), gif.left(gif.size() / 2)) << incomplete;
    QTest::newRow("truncated bmp") << FileProva::scriviByte(path("tronco.bmp"), bmp.left(bmp.size() / 2)) << incomplete;
    QTest::newRow("20000 jpeg") << FileProva::scriviByte(path("gigante.jpg"), FileProva::conDimensioni(jpg, 20000, 20000))
                                << tooLarge;
    QTest::newRow("20000 png") << FileProva::scriviByte(path("gigante.png"), FileProva::conDimensioni(png, 20000, 20000))
                               << tooLarge;
    QTest::newRow("20000 bmp") << FileProva::scriviByte(path("gigante.bmp"), FileProva::conDimensioni(bmp, 20000, 20000))
                               << tooLarge;
    QTest::newRow("20000 gif") << FileProva::scriviByte(path("gigante.gif"), FileProva::conDimensioni(gif, 20000, 20000))
                               << tooLarge;
}

void TestRiduzione::inputNonValido()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    PixelBGR px;
    QString error;
    InfoImmagine info;
    const bool headerOk = CaricaImmagine::informazioni(file, info, &error);
    if (!headerOk)
        QVERIFY2(error.contains(message), qPrintable(error));
    error.clear();
    QVERIFY(!CaricaImmagine::decodifica(file, px, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(px.isNull());
    error.clear();
    QVERIFY(!CaricaImmagine::decodifica(file, px, &error, QSize(20, 20), QSize(10, 10)));
    QVERIFY2(error.contains(message), qPrintable(error));
    // The engine writes nothing.
    const QString out = path(QStringLiteral("out.jpg"));
    QVERIFY(!Riduzione::riduciInJpeg(file, 180, 180, out, 90, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(!QFile::exists(out));
}

void TestRiduzione::motoreRiduce_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("expected");
    const QImage q = FileProva::quarti(400, 300);
    QTest::newRow("jpeg 400x300") << FileProva::scrivi(path("m.jpg"), q, "jpg") << QSize(180, 180) << QSize(180, 135);
    QTest::newRow("png 400x300") << FileProva::scrivi(path("m.png"), q, "png") << QSize(180, 180) << QSize(180, 135);
    QTest::newRow("gif 400x300") << FileProva::scrivi(path("m.gif"), q, "gif") << QSize(180, 180) << QSize(180, 135);
    QTest::newRow("bmp 400x300") << FileProva::scrivi(path("m.bmp"), q, "bmp") << QSize(100, 100) << QSize(100, 75);
    QTest::newRow("jpeg 3000x2000") << FileProva::scrivi(path("n.jpg"), FileProva::quarti(3000, 2000), "jpg")
                                    << QSize(1000, 1000) << QSize(1000, 666);
    QTest::newRow("thin png") << FileProva::scrivi(path("thin.png"), FileProva::quarti(5000, 2), "png")
                              << QSize(180, 180) << QSize(180, 1);
}

void TestRiduzione::motoreRiduce()
{
    QFETCH(QString, file);
    QFETCH(QSize, box);
    QFETCH(QSize, expected);
    const QString out = path(QStringLiteral("ridotta.jpg"));
    QString error;
    QSize made;
    QVERIFY2(Riduzione::riduciInJpeg(file, box.width(), box.height(), out, 90, &error, &made), qPrintable(error));
    QCOMPARE(made, expected);
    const QImage back(out);
    QCOMPARE(back.size(), expected);
    if (expected.height() < 10)
        return;
    // The same picture as a careful reduction, quarter by quarter.
    const QImage reference = FileProva::quarti(expected.width(), expected.height());
    QVERIFY2(FileProva::differenza(back, reference) < 4.0, qPrintable(QString::number(FileProva::differenza(back, reference))));
    const QPoint inside[] = {{5, 5}, {expected.width() - 5, 5}, {5, expected.height() - 5},
                             {expected.width() - 5, expected.height() - 5}};
    for (const QPoint &p : inside) {
        const QColor a = back.pixelColor(p), b = reference.pixelColor(p);
        QVERIFY2(qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 && qAbs(a.blue() - b.blue()) < 12,
                 qPrintable(a.name() + u' ' + b.name()));
    }
}

void TestRiduzione::motoreNonScriveSeFallisce()
{
    const QString file = FileProva::scrivi(path("x.png"), FileProva::quarti(400, 300), "png");
    QString error;
    QVERIFY(!Riduzione::riduciInJpeg(file, 180, 180, path("manca/out.jpg"), 90, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Failed to save to JPG")), qPrintable(error));
    QVERIFY(!Riduzione::leggiRidotta(file, QSize(0, 10), &error));
}

void TestRiduzione::lanczosBandeParallele()
{
    // Threads split the rows; the result is the same as on one thread.
    PixelBGR src;
    QVERIFY(src.riserva(1500, 1000));
    for (int y = 0; y < src.height; ++y)
        for (size_t i = 0; i < src.stride(); ++i)
            src.row(y)[i] = uint8_t((y * 7 + i * 13 + (i % 3) * y) & 0xff);
    cDIBSection one, many;
    QVERIFY(one.Create(997, 613));
    QVERIFY(many.Create(997, 613));
    Ridimensiona::lanczos(src, one, 1);
    Ridimensiona::lanczos(src, many, 8);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(many.DIBSectionBitsPtr()), int(many.header().biSizeImage)),
             QByteArray(reinterpret_cast<const char *>(one.DIBSectionBitsPtr()), int(one.header().biSizeImage)));
    // A uniform picture stays uniform.
    for (int y = 0; y < src.height; ++y)
        std::fill_n(src.row(y), src.stride(), uint8_t(77));
    Ridimensiona::lanczos(src, many, 8);
    const QImage img = many.image();
    for (int y = 0; y < img.height(); y += 37)
        for (int x = 0; x < img.width(); x += 41)
            QCOMPARE(img.pixelColor(x, y), QColor(77, 77, 77));
}

void TestRiduzione::lanczosComeRiferimento_data()
{
    QTest::addColumn<QSize>("da");
    QTest::addColumn<QSize>("a");
    QTest::newRow("a third") << QSize(301, 203) << QSize(100, 67);
    QTest::newRow("a little smaller") << QSize(120, 80) << QSize(100, 66);
    QTest::newRow("far smaller") << QSize(750, 500) << QSize(45, 30);
    QTest::newRow("odd taps, one column") << QSize(37, 29) << QSize(1, 5);
    QTest::newRow("one row, two pixels wide") << QSize(2, 9) << QSize(1, 1);
}

void TestRiduzione::lanczosComeRiferimento()
{
    QFETCH(QSize, da);
    QFETCH(QSize, a);
    const PixelBGR src = sorgente(da.width(), da.height());
    cDIBSection dst;
    QVERIFY(dst.Create(a.width(), a.height()));
    Ridimensiona::lanczos(src, dst, 1);
    double peggiore = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int c = 0; c < 3; ++c)
                peggiore = std::max(peggiore, std::fabs(dst.scanLineFromTop(y)[3 * x + c]
                                                        - riferimento(src, a.width(), a.height(), x, y, c)));
    // Fixed point: within a level and a half of the exact value.
    QVERIFY2(peggiore <= 1.5, qPrintable(QString::number(peggiore)));
}

void TestRiduzione::righeMentreSiDecodifica()
{
    // Rows handed over in batches of any size from another thread, as the
    // decoder does, give the same pixels as the whole picture at once; a
    // reduction stopped midway (a damaged file) ends without waiting.
    const PixelBGR src = sorgente(1500, 1000, 11);
    cDIBSection intera;
    QVERIFY(intera.Create(500, 333));
    Ridimensiona::lanczos(src, intera, 1);
    for (int threads : {1, 3, 8}) {
        // A fresh picture each round: a band left out shows.
        cDIBSection aPezzi;
        QVERIFY(aPezzi.Create(500, 333));
        Ridimensiona::Riduttore r(aPezzi, threads);
        std::thread decodificatore([&] {
            QRandomGenerator caso{quint32(threads)};
            for (int righe = 0; righe < src.height;) {
                righe = std::min(src.height, righe + 1 + int(caso.bounded(40)));
                r.righe(src, righe);
            }
        });
        decodificatore.join();
        r.concludi();
        QVERIFY2(stessiPixel(aPezzi, intera), qPrintable(QString::number(threads)));
    }
    cDIBSection aPezzi;
    QVERIFY(aPezzi.Create(500, 333));
    Ridimensiona::Riduttore fermato(aPezzi, 8);
    fermato.righe(src, 100);
    fermato.righe(src, -1);
}

void TestRiduzione::scalaDiDecodifica_data()
{
    QTest::addColumn<QSize>("foto");
    QTest::addColumn<QSize>("voluta");
    QTest::addColumn<int>("ottavi");
    // A JPEG is decoded at 1/8, 1/4, 1/2 or whole, the smallest that leaves
    // twice the wanted size; never at 3/8 or 6/8.
    QTest::newRow("3000x2000 in 180: 1/8") << QSize(3000, 2000) << QSize(180, 120) << 1;
    QTest::newRow("3000x2000 in 1000: whole, not 6/8") << QSize(3000, 2000) << QSize(1000, 666) << 8;
    QTest::newRow("1200x800 in 180: 1/2, not 3/8") << QSize(1200, 800) << QSize(180, 120) << 4;
    QTest::newRow("1200x800 in 1000: whole") << QSize(1200, 800) << QSize(1000, 666) << 8;
    QTest::newRow("1600x1200 in 500: whole, not 5/8") << QSize(1600, 1200) << QSize(500, 375) << 8;
    QTest::newRow("exactly twice at 1/8") << QSize(953, 640) << QSize(60, 40) << 1;
    QTest::newRow("a pixel short at 1/8") << QSize(952, 640) << QSize(60, 40) << 2;
    QTest::newRow("the height decides") << QSize(1600, 100) << QSize(60, 30) << 8;
    QTest::newRow("not reduced") << QSize(400, 300) << QSize(400, 300) << 8;
}

void TestRiduzione::scalaDiDecodifica()
{
    QFETCH(QSize, foto);
    QFETCH(QSize, voluta);
    QFETCH(int, ottavi);
    QCOMPARE(Riduzione::ottaviDecodifica(foto, voluta), ottavi);
    // The size libjpeg gives at that scale.
    const QString file = FileProva::scrivi(path(QStringLiteral("scala.jpg")), FileProva::quarti(foto.width() / 4, foto.height() / 4), "jpg");
    PixelBGR px;
    QString error;
    const QSize piccola(foto.width() / 4, foto.height() / 4);
    QVERIFY(CaricaImmagine::decodifica(file, px, &error, Riduzione::misuraDecodifica(piccola, ottavi)));
    QCOMPARE(QSize(px.width, px.height), Riduzione::misuraDecodifica(piccola, ottavi));
}

void TestRiduzione::jpegGrandeTroncato()
{
    // A large JPEG that ends early, shrunk with the filter's threads at work
    // on the rows already decoded: refused with the message, nothing written.
    const QByteArray jpg = leggi(FileProva::scrivi(path("grande.jpg"), FileProva::quarti(3000, 2000), "jpg"));
    const QString tronco = FileProva::scriviByte(path("grandetronco.jpg"), jpg.left(jpg.size() * 7 / 10));
    QString error;
    QVERIFY(!Riduzione::leggiRidotta(tronco, QSize(1000, 666), &error, 8));
    QVERIFY2(error.contains(QStringLiteral("è incompleto o danneggiato")), qPrintable(error));
    QVERIFY(!Riduzione::riduciInJpeg(tronco, 1000, 1000, path("tronco_out.jpg"), 90, &error));
    QVERIFY(!QFile::exists(path("tronco_out.jpg")));
}

void TestRiduzione::gifConSchermoGrande_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("screen");
    // A GIF is decoded at the size of its logical screen, also when its
    // first image is far smaller: the size told before decoding is the same.
    QByteArray small = leggi(FileProva::scrivi(path("piccola.gif"), FileProva::quarti(10, 10), "gif"));
    qToLittleEndian<quint16>(3000, small.data() + 6);
    qToLittleEndian<quint16>(2500, small.data() + 8);
    QTest::newRow("10x10 image on a 3000x2500 screen") << FileProva::scriviByte(path("schermo.gif"), small)
                                                         << QSize(3000, 2500);
    // Found by the fuzzer: a 50x5 image at (2, 244) on a 4103x10738 screen.
    static const char trovato[] = "GIF89a\x07\x10\xf2\x29\x81\x00\x00\x10\xc8\x00\x3c\xa0\x1e\x78\x6f\x2d\xb4\x50"
                                  "\x2d\x2c\x02\x00\xf4\x00\x32\x00\x05\x00\x3f\x09\x00\x00\xb8\xff\x5d\x1c\xff\x40"
                                  "\x70\x3b";
    QTest::newRow("fuzzer: 50x5 on 4103x10738")
        << FileProva::scriviByte(path("fuzz.gif"), QByteArray(trovato, sizeof trovato - 1)) << QSize(4103, 10738);
}

void TestRiduzione::gifConSchermoGrande()
{
    QFETCH(QString, file);
    QFETCH(QSize, screen);
    InfoImmagine info;
    QString error;
    QVERIFY2(CaricaImmagine::informazioni(file, info, &error), qPrintable(error));
    QCOMPARE(QSize(info.width, info.height), screen);
    PixelBGR px;
    QVERIFY2(CaricaImmagine::decodifica(file, px, &error, {}, QSize(281, 281)), qPrintable(error));
    QCOMPARE(QSize(px.width, px.height), QSize(281, 281));
    // Shrunk with its proportions.
    QSize made;
    QVERIFY2(Riduzione::riduciInJpeg(file, 180, 180, path(QStringLiteral("schermo.jpg")), 90, &error, &made),
             qPrintable(error));
    const Riduzione::Misura m = Riduzione::adatta(screen.width(), screen.height(), 180, 180);
    QCOMPARE(made, QSize(m.larghezza, m.altezza));
}

QTEST_MAIN(TestRiduzione)
#include "test_riduzione.moc"

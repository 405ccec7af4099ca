// The DIB section bitmap and the JPEG writer.
#include "cdibsection.h"
#include "fileprova.h"
#include "filesicuro.h"
#include "imageerror.h"
#include "jpegwriter.h"
#include "scriptedmessages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <utime.h>

class TestBitmap : public QObject {
    Q_OBJECT
private slots:
    void rigaRiempitaA4Byte_data();
    void rigaRiempitaA4Byte();
    void dimensioniNonValide();
    void righeDalBasso();
    void clearUpLasciaLeDimensioni();
    void trasferimenti();
    void resampleStessaMisuraCopia();
    void resample2x2a4x4();
    void resampleUniformeResta();
    void resampleSorgenteTroppoPiccola();
    void randomiseBits();
    void clipboard();

    void jpegOrientato_data();
    void jpegOrientato();
    void jpegQualita();
    void jpegVuotoRifiutato();
    void jpegSostituisceConservandoAttributi();
    void jpegFallitoLasciaIlVecchio();
    void jpegCartellaMancante();
    void jpegNomeLungo();
};

void TestBitmap::rigaRiempitaA4Byte_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("line");
    QTest::newRow("1") << 1 << 4;
    QTest::newRow("2") << 2 << 8;
    QTest::newRow("3") << 3 << 12;
    QTest::newRow("4") << 4 << 12;
    QTest::newRow("5") << 5 << 16;
    QTest::newRow("180") << 180 << 540;
}

void TestBitmap::rigaRiempitaA4Byte()
{
    QFETCH(int, width);
    QFETCH(int, line);
    cDIBSection d;
    QVERIFY(d.Create(width, 7));
    QCOMPARE(d.BytesPerScanLine(), line);
    QCOMPARE(int(d.header().biSizeImage), line * 7);
    QCOMPARE(d.header().biBitCount, 24);
    QCOMPARE(d.header().biHeight, 7);  // positive: bottom-up
    // Padding bytes are never written: a picture copied in leaves them 0.
    d.LoadPictureBlt(FileProva::tinta(width, 7, Qt::white));
    for (int r = 0; r < 7; ++r)
        for (int b = 0; b < line; ++b)
            QCOMPARE(int(d.at(b, r)), b < width * 3 ? 255 : 0);
    // The byte table is bounded.
    QVERIFY_THROWS_EXCEPTION(ImageError, d.at(line, 0));
    QVERIFY_THROWS_EXCEPTION(ImageError, d.at(0, 7));
}

void TestBitmap::dimensioniNonValide()
{
    cDIBSection d;
    QVERIFY(!d.Create(0, 10));
    QVERIFY(!d.Create(10, 0));
    QVERIFY(!d.Create(-1, 10));
    QVERIFY(!d.Create(40000, 40000));  // over 2 GiB of pixels
    QVERIFY(d.isEmpty());
    QVERIFY(!d.CreateFromPicture(QImage()));
}

void TestBitmap::righeDalBasso()
{
    cDIBSection d;
    QVERIFY(d.CreateFromPicture(FileProva::quarti(4, 2)));
    // The first scan line in memory is the bottom row: blue, then yellow.
    const uint8_t *bottom = d.DIBSectionBitsPtr();
    QCOMPARE(QList<int>({bottom[0], bottom[1], bottom[2]}), QList<int>({255, 0, 0}));   // blue: B G R
    QCOMPARE(QList<int>({bottom[9], bottom[10], bottom[11]}), QList<int>({0, 255, 255}));  // yellow
    const uint8_t *top = d.DIBSectionBitsPtr() + d.BytesPerScanLine();
    QCOMPARE(QList<int>({top[0], top[1], top[2]}), QList<int>({0, 0, 255}));  // red
    QCOMPARE(d.image().pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(d.image().pixelColor(3, 1), QColor(255, 255, 0));
}

void TestBitmap::clearUpLasciaLeDimensioni()
{
    cDIBSection d;
    QVERIFY(d.Create(9, 4));
    d.ClearUp();
    d.ClearUp();
    QVERIFY(d.isEmpty());
    QCOMPARE(d.Width(), 9);
    QCOMPARE(d.Height(), 4);
    QCOMPARE(d.BytesPerScanLine(), 28);
}

void TestBitmap::trasferimenti()
{
    const QImage src = FileProva::quarti(8, 8);
    cDIBSection d;
    QVERIFY(d.Create(8, 8));
    d.LoadPictureBlt(src, 0, 0, 0, 0);  // 0: nothing
    QCOMPARE(d.image().pixelColor(0, 0), QColor(0, 0, 0));
    d.LoadPictureBlt(src, 0, 0, -1, -1);  // -1: the whole bitmap
    QCOMPARE(FileProva::differenza(d.image(), src), 0.0);
    d.LoadPictureBlt(src, 4, 4, 2, 2);  // the yellow quarter into the corner
    QCOMPARE(d.image().pixelColor(0, 0), QColor(255, 255, 0));
    QCOMPARE(d.image().pixelColor(2, 0), QColor(255, 0, 0));

    QImage dest = FileProva::tinta(10, 10, Qt::white);
    d.PaintPicture(dest, 1, 1, 0, 0);
    QCOMPARE(dest.pixelColor(1, 1), QColor(Qt::white));
    d.PaintPicture(dest, 1, 1, -1, -1, 0, 0);
    QCOMPARE(dest.pixelColor(1, 1), QColor(255, 255, 0));
    QCOMPARE(dest.pixelColor(8, 8), QColor(255, 255, 0));
    QCOMPARE(dest.pixelColor(9, 9), QColor(Qt::white));
}

void TestBitmap::resampleStessaMisuraCopia()
{
    cDIBSection d;
    QVERIFY(d.Create(5, 3));
    d.RandomiseBits(false);
    auto copy = d.Resample(3, 5);
    QVERIFY(copy);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(copy->DIBSectionBitsPtr()), int(copy->header().biSizeImage)),
             QByteArray(reinterpret_cast<const char *>(d.DIBSectionBitsPtr()), int(d.header().biSizeImage)));
    QVERIFY(!d.Resample(0, 5));
    QVERIFY(!d.Resample(5, -1));
}

void TestBitmap::resample2x2a4x4()
{
    // Source rows in memory order: row 0 = 0 and 100, row 1 = 200 and 40
    // (each pixel grey). xScale = yScale = 1/4.
    cDIBSection d;
    QVERIFY(d.Create(2, 2));
    const int v[2][2] = {{0, 100}, {200, 40}};
    for (int r = 0; r < 2; ++r)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c)
                d.at(3 * x + c, r) = uint8_t(v[r][x]);
    auto out = d.Resample(4, 4);  // height first
    QVERIFY(out);
    QCOMPARE(out->Width(), 4);
    QCOMPARE(out->Height(), 4);
    // Vertical pass rounded first (halves to even), then horizontal.
    auto expected = [&](int xD, int yD) {
        const float fy = 0.25f * float(yD), fx = 0.25f * float(xD);
        const float left = std::nearbyint((1 - fy) * v[0][0] + fy * v[1][0]);
        const float right = std::nearbyint((1 - fy) * v[0][1] + fy * v[1][1]);
        return int(std::nearbyint((1 - fx) * left + fx * right));
    };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(int(out->at(3 * x + c, y)), expected(x, y));
    // Pixel (1, 1) samples at (0.25, 0.25): columns 50 and 85 → 58.75 → 59.
    QCOMPARE(int(out->at(3, 1)), 59);
    // Column 3 and row 3 sample at 0.75: never at 1 alone.
    QCOMPARE(int(out->at(9, 3)), expected(3, 3));
}

void TestBitmap::resampleUniformeResta()
{
    cDIBSection d;
    QVERIFY(d.CreateFromPicture(FileProva::tinta(37, 23, QColor(12, 200, 255))));
    for (auto [h, w] : {std::pair{5, 9}, std::pair{80, 41}, std::pair{1, 1}}) {
        auto out = d.Resample(h, w);
        QVERIFY(out);
        const QImage img = out->image();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                QCOMPARE(img.pixelColor(x, y), QColor(12, 200, 255));
    }
}

void TestBitmap::resampleSorgenteTroppoPiccola()
{
    cDIBSection d;
    QVERIFY(d.Create(1, 5));
    try {
        d.Resample(10, 10);
        QFAIL("no error");
    } catch (const ImageError &e) {
        QCOMPARE(e.number, ImageErr::OutOfRange);
    }
}

void TestBitmap::randomiseBits()
{
    cDIBSection d;
    QVERIFY(d.Create(31, 17));
    d.RandomiseBits(true);
    QSet<int> values;
    for (int r = 0; r < 17; ++r)
        for (int x = 0; x < 31; ++x) {
            QCOMPARE(d.at(3 * x, r), d.at(3 * x + 1, r));
            QCOMPARE(d.at(3 * x, r), d.at(3 * x + 2, r));
            values.insert(d.at(3 * x, r));
        }
    QVERIFY(values.size() > 50);
    d.RandomiseBits(false);
    values.clear();
    for (int r = 0; r < 17; ++r)
        for (int x = 0; x < 31; ++x) {
            QCOMPARE(int(d.at(3 * x, r)), 0);
            values.insert(d.at(3 * x + 1, r));
        }
    QVERIFY(values.size() > 50);
}

void TestBitmap::clipboard()
{
    ScriptedMessages messages;
    cDIBSection d;
    QVERIFY(d.CreateFromPicture(FileProva::quarti(6, 4)));
    QGuiApplication::clipboard()->clear();
    QVERIFY(!d.CopyToClipboard(messages, true));
    QCOMPARE(messages.texts(),
             QStringList(QStringLiteral("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!")));
    QVERIFY(QGuiApplication::clipboard()->image().isNull());

    QVERIFY(d.CopyToClipboard(messages));
    const QImage got = QGuiApplication::clipboard()->image();
    QCOMPARE(FileProva::differenza(got, d.image()), 0.0);
    cDIBSection empty;
    QVERIFY(!empty.CopyToClipboard(messages));
}

void TestBitmap::jpegOrientato_data()
{
    QTest::addColumn<int>("width");
    for (int w : {1, 2, 3, 4, 5, 64, 181})
        QTest::addRow("width %d", w) << w;
}

void TestBitmap::jpegOrientato()
{
    QFETCH(int, width);
    QTemporaryDir dir;
    const int height = 48;
    // Narrow pictures: red top half, blue bottom half (colour is sampled
    // over 2 × 2 pixels, so quarters need some width).
    QImage img = FileProva::quarti(width, height);
    if (width < 16) {
        img = FileProva::tinta(width, height, Qt::blue);
        QPainter(&img).fillRect(0, 0, width, height / 2, Qt::red);
    }
    cDIBSection d;
    QVERIFY(d.CreateFromPicture(img));
    const QString path = dir.filePath(QStringLiteral("out.jpg"));
    QVERIFY(SaveDIBToJPEG(d, path, 90));
    const QImage back(path);
    QCOMPARE(back.size(), QSize(width, height));
    // Top row on top: red above blue (left column).
    const QColor top = back.pixelColor(0, 0), bottom = back.pixelColor(0, height - 1);
    QVERIFY2(top.red() > 200 && top.blue() < 60, qPrintable(top.name()));
    QVERIFY2(bottom.blue() > 200 && bottom.red() < 60, qPrintable(bottom.name()));
    if (width >= 16) {
        const QColor tr = back.pixelColor(width - 1, 0);
        QVERIFY2(tr.green() > 200 && tr.red() < 60, qPrintable(tr.name()));
    }
}

void TestBitmap::jpegQualita()
{
    cDIBSection d;
    QVERIFY(d.Create(120, 80));
    d.RandomiseBits(false);
    const QByteArray low = encodeJpeg(d, 20), high = encodeJpeg(d, 95);
    QVERIFY(low.startsWith("\xFF\xD8"));
    QVERIFY(low.size() < high.size());
}

void TestBitmap::jpegVuotoRifiutato()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vuoto.jpg"));
    for (int caso = 0; caso < 2; ++caso) {
        cDIBSection d;
        if (caso == 1) {  // released: the header still tells a size
            d.Create(10, 10);
            d.ClearUp();
        }
        try {
            SaveDIBToJPEG(d, path, 90);
            QFAIL("no error");
        } catch (const ImageError &e) {
            QCOMPARE(e.number, 26001);
            QCOMPARE(e.source, QStringLiteral("Vetrasto.mIntelJPEGLibrary"));
            QVERIFY(e.description.startsWith(QStringLiteral("Failed to save to JPG")));
        }
        QVERIFY(!QFile::exists(path));
    }
}

static qint64 mtime(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtime;
}

void TestBitmap::jpegSostituisceConservandoAttributi()
{
    QTemporaryDir dir;
    const QString path = FileProva::scriviByte(dir.filePath(QStringLiteral("logo.jpg")), "old contents");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    struct utimbuf old = {946684800, 946684800};  // 2000-01-01
    QVERIFY(::utime(QFile::encodeName(path).constData(), &old) == 0);

    cDIBSection d;
    QVERIFY(d.CreateFromPicture(FileProva::quarti(20, 10)));
    QVERIFY(SaveDIBToJPEG(d, path, 90));
    QCOMPARE(QImage(path).size(), QSize(20, 10));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    // A new modification time, so that the publisher sends it.
    QVERIFY(mtime(path) > 946684800 + 86400);
    QVERIFY(qAbs(mtime(path) - QDateTime::currentSecsSinceEpoch()) < 120);
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("logo.jpg")));
}

void TestBitmap::jpegFallitoLasciaIlVecchio()
{
    QTemporaryDir dir;
    const QString path = FileProva::scriviByte(dir.filePath(QStringLiteral("foto.jpg")), "old contents");
    cDIBSection d;
    QVERIFY(d.CreateFromPicture(FileProva::quarti(20, 10)));
    impostaGuastoScritturaPerTest([] { return false; });
    bool raised = false;
    try {
        SaveDIBToJPEG(d, path, 90);
    } catch (const ImageError &e) {
        raised = e.number == 26001;
    }
    impostaGuastoScritturaPerTest({});
    QVERIFY(raised);
    QCOMPARE(leggi(path), QByteArray("old contents"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("foto.jpg")));

    // A folder in the way is not replaced either.
    QDir(dir.path()).mkdir(QStringLiteral("cartella.jpg"));
    QVERIFY_THROWS_EXCEPTION(ImageError, SaveDIBToJPEG(d, dir.filePath(QStringLiteral("cartella.jpg")), 90));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("cartella.jpg"))).isDir());
}

void TestBitmap::jpegCartellaMancante()
{
    QTemporaryDir dir;
    cDIBSection d;
    QVERIFY(d.Create(4, 4));
    try {
        SaveDIBToJPEG(d, dir.filePath(QStringLiteral("manca/x.jpg")), 90);
        QFAIL("no error");
    } catch (const ImageError &e) {
        QCOMPARE(e.number, 26001);
        QVERIFY2(e.description.startsWith(QStringLiteral("Failed to save to JPG ")), qPrintable(e.description));
    }
}

void TestBitmap::jpegNomeLungo()
{
    // A name of 255 bytes, the longest the file system takes: the temporary
    // file's own name stays short.
    QTemporaryDir dir;
    const QString nome = QString(251, u'f') + QStringLiteral(".jpg");
    const QString path = FileProva::scriviByte(dir.filePath(nome), "old contents");
    cDIBSection d;
    QVERIFY(d.CreateFromPicture(FileProva::quarti(20, 10)));
    QVERIFY(SaveDIBToJPEG(d, path, 90));
    QCOMPARE(QImage(path).size(), QSize(20, 10));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList(nome));
}

QTEST_MAIN(TestBitmap)
#include "test_bitmap.moc"

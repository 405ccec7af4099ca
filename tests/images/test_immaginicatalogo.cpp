// Catalogue pictures: ImpostaImmagine stores the chooser's result in the
// row; preparaImmagine loads a stored picture and centres it in its frame.
#include "fileprova.h"
#include "immaginicatalogo.h"
#include "sceltaimmagine.h"
#include "testshop.h"

#include <QtTest>
#include <map>

namespace {

// The chooser double: answers with a fixed result and records its presets.
class SceltaFissa : public SceltaImmagineModale {
public:
    RisultatoScelta risposta;
    QStringList preset;
    RisultatoScelta scegli(const QString &nomeAttuale) override
    {
        preset << nomeAttuale;
        return risposta;
    }
};

// The chooser's own logic driven headless: pick a disk file with the fit
// box ticked and confirm.
class SceltaSenzaFinestra : public SceltaImmagineModale {
public:
    SceltaSenzaFinestra(QString shop, QString cartella, QString file, Messages &m)
        : m_shop(std::move(shop)), m_cartella(std::move(cartella)), m_file(std::move(file)), m_messages(m)
    {
    }
    RisultatoScelta scegli(const QString &nomeAttuale) override
    {
        SceltaImmagine s(m_shop, m_messages);
        if (!nomeAttuale.isEmpty())
            s.preset(nomeAttuale);
        s.impostaScheda(1);
        s.cambiaCartella(m_cartella);
        s.impostaAdatta(true);
        s.clickFile(m_file);
        const auto tag = s.ok();
        return {tag.value_or(QString()), s.misura()};
    }

private:
    QString m_shop, m_cartella, m_file;
    Messages &m_messages;
};

}  // namespace

class TestImmaginiCatalogo : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void scostamento_data();
    void scostamento();
    void impostaImmagine_data();
    void impostaImmagine();
    void impostaImmagineAnnullata();
    void impostaImmagineSenzaRigaCorrente();
    void impostaImmagineConLaScelta();
    void preparaImmagineArticolo();
    void preparaImmagineSenzaFile_data();
    void preparaImmagineSenzaFile();
    void preparaImmagineSenzaRiga();

private:
    std::unique_ptr<TestProgramFolder> m_program;
    std::unique_ptr<NegozioDiProva> m_t;
    QString m_shop;
    DatiPrincipali &dati() { return m_t->dati(); }
    static constexpr QSize cornice{200, 150};
    DataSource &sorgente(FamigliaImmagine f) { return dati().sorgenteImmagine(f); }
    void scrivi(Recordset &rs, const QString &campo, const QVariant &v)
    {
        rs.edit();
        rs.setValue(campo, v);
        rs.update();
    }
};

void TestImmaginiCatalogo::init()
{
    m_program = std::make_unique<TestProgramFolder>();
    m_shop = m_program->newShop();
    {
        auto db = Database::open(m_shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, 3, 2);
        db->close();
    }
    m_t = std::make_unique<NegozioDiProva>();
    QCOMPARE(m_t->apri(m_shop), int(Negozio::Aperto));
    QVERIFY(dati().dataArticoli.recordset().hasCurrent());
}

void TestImmaginiCatalogo::cleanup()
{
    m_t.reset();
    m_program.reset();
}

void TestImmaginiCatalogo::scostamento_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("offset");
    QTest::newRow("difference 1") << 200 << 199 << 0;
    QTest::newRow("difference 3") << 200 << 197 << 1;
    QTest::newRow("difference 100") << 200 << 100 << 50;
    QTest::newRow("as large") << 200 << 200 << 0;
    QTest::newRow("larger") << 200 << 900 << 0;
}

void TestImmaginiCatalogo::scostamento()
{
    QFETCH(int, frame);
    QFETCH(int, picture);
    QFETCH(int, offset);
    QCOMPARE(::scostamento(frame, picture), offset);
}

void TestImmaginiCatalogo::impostaImmagine_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("n");
    for (int n : {0, 1, 2})
        QTest::addRow("article %d", n) << int(FamigliaImmagine::Articolo) << n;
    for (int n : {0, 1}) {
        QTest::addRow("department %d", n) << int(FamigliaImmagine::Reparto) << n;
        QTest::addRow("logo %d", n) << int(FamigliaImmagine::Negozio) << n;
    }
}

void TestImmaginiCatalogo::impostaImmagine()
{
    QFETCH(int, family);
    QFETCH(int, n);
    Recordset &rs = sorgente(FamigliaImmagine(family)).recordset();
    const QString s = QString::number(n);
    SceltaFissa scelta;
    scelta.risposta = {QStringLiteral("foto_0000.jpg"), QSize(180, 135)};
    QVERIFY(ImpostaImmagine(rs, n, scelta));
    QCOMPARE(rs.text(QStringLiteral("immagine") + s), QStringLiteral("foto_0000.jpg"));
    QCOMPARE(rs.value(QStringLiteral("imgX") + s).toInt(), 180);
    QCOMPARE(rs.value(QStringLiteral("imgY") + s).toInt(), 135);
    // Written through: a fresh look at the row agrees.
    Recordset fresh = rs.clone();
    fresh.requery();
    QVERIFY(fresh.findFirst([&](const Recordset &r) { return r.text(QStringLiteral("immagine") + s) == QStringLiteral("foto_0000.jpg"); }));
    // The next call is preset with the stored name.
    scelta.risposta = {QStringLiteral("foto_0001.jpg"), QSize(90, 180)};
    QVERIFY(ImpostaImmagine(rs, n, scelta));
    QCOMPARE(scelta.preset, QStringList({QString(), QStringLiteral("foto_0000.jpg")}));
    QCOMPARE(rs.text(QStringLiteral("immagine") + s), QStringLiteral("foto_0001.jpg"));
    QCOMPARE(rs.value(QStringLiteral("imgX") + s).toInt(), 90);
}

void TestImmaginiCatalogo::impostaImmagineAnnullata()
{
    Recordset &rs = dati().dataArticoli.recordset();
    scrivi(rs, QStringLiteral("immagine1"), QStringLiteral("vecchia.jpg"));
    scrivi(rs, QStringLiteral("imgX1"), 40);
    FileProva::scriviByte(m_shop + QStringLiteral("/work/vecchia.jpg"), "x");
    SceltaFissa scelta;  // answers ""
    QVERIFY(!ImpostaImmagine(rs, 1, scelta));
    QCOMPARE(scelta.preset, QStringList(QStringLiteral("vecchia.jpg")));
    QCOMPARE(rs.text(QStringLiteral("immagine1")), QStringLiteral("vecchia.jpg"));
    QCOMPARE(rs.value(QStringLiteral("imgX1")).toInt(), 40);
    QVERIFY(QFile::exists(m_shop + QStringLiteral("/work/vecchia.jpg")));
}

void TestImmaginiCatalogo::impostaImmagineSenzaRigaCorrente()
{
    dati().selezionaRadice();  // dataCategorie before its first row
    SceltaFissa scelta;
    scelta.risposta = {QStringLiteral("x.jpg"), QSize(1, 1)};
    QVERIFY(!ImpostaImmagine(dati().dataCategorie.recordset(), 0, scelta));
    QVERIFY(scelta.preset.isEmpty());
}

void TestImmaginiCatalogo::impostaImmagineConLaScelta()
{
    const QString disco = m_program->path() + QStringLiteral("/disco");
    FileProva::scrivi(disco + QStringLiteral("/Foto.png"), FileProva::quarti(400, 300), "png");
    SceltaSenzaFinestra scelta(m_shop, disco, QStringLiteral("Foto.png"), m_t->messages);
    Recordset &rs = dati().dataArticoli.recordset();
    QVERIFY(ImpostaImmagine(rs, 0, scelta));
    // A reduced picture stores the reduced size.
    QCOMPARE(rs.text(QStringLiteral("immagine0")), QStringLiteral("foto_0000.jpg"));
    QCOMPARE(rs.value(QStringLiteral("imgX0")).toInt(), 180);
    QCOMPARE(rs.value(QStringLiteral("imgY0")).toInt(), 135);
    QCOMPARE(QImage(m_shop + QStringLiteral("/work/foto_0000.jpg")).size(), QSize(180, 135));
}

void TestImmaginiCatalogo::preparaImmagineArticolo()
{
    FileProva::scrivi(m_shop + QStringLiteral("/work/a.png"), FileProva::quarti(100, 60), "png");
    FileProva::scrivi(m_shop + QStringLiteral("/work/grande.jpg"), FileProva::quarti(500, 400), "jpg");
    Recordset &rs = dati().dataArticoli.recordset();
    scrivi(rs, QStringLiteral("immagine0"), QStringLiteral("a.png"));
    scrivi(rs, QStringLiteral("immagine1"), QStringLiteral("grande.jpg"));
    const ImmagineInCornice a = preparaImmagine(rs, 0, m_shop, cornice);
    QVERIFY(a.visibile);
    QCOMPARE(a.misura, QSize(100, 60));
    QCOMPARE(a.posizione, QPoint(50, 45));
    QCOMPARE(a.immagine.size(), QSize(100, 60));
    QCOMPARE(a.immagine.pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(a.file, m_shop + QStringLiteral("/work/a.png"));
    // Larger than its frame: at 0, only the part the frame shows is kept.
    const ImmagineInCornice g = preparaImmagine(rs, 1, m_shop, cornice);
    QVERIFY(g.visibile);
    QCOMPARE(g.misura, QSize(500, 400));
    QCOMPARE(g.posizione, QPoint(0, 0));
    QCOMPARE(g.immagine.size(), QSize(200, 150));
    QVERIFY(!preparaImmagine(rs, 2, m_shop, cornice).visibile);
}

void TestImmaginiCatalogo::preparaImmagineSenzaFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("deleted from work") << "sparita.jpg" << QByteArray();
    QTest::newRow("not a picture") << "testo.jpg" << QByteArray("testo");
    QTest::newRow("empty name") << "" << QByteArray();
}

void TestImmaginiCatalogo::preparaImmagineSenzaFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    if (!contents.isEmpty())
        FileProva::scriviByte(m_shop + QStringLiteral("/work/") + name, contents);
    Recordset &rs = dati().dataArticoli.recordset();
    scrivi(rs, QStringLiteral("immagine0"), name);
    QVERIFY(!preparaImmagine(rs, 0, m_shop, cornice).visibile);
    QVERIFY(m_t->messages.shown().empty());
}

void TestImmaginiCatalogo::preparaImmagineSenzaRiga()
{
    FileProva::scrivi(m_shop + QStringLiteral("/work/tasto.gif"), FileProva::quarti(197, 147), "gif");
    Recordset &cat = dati().dataCategorie.recordset();
    scrivi(cat, QStringLiteral("immagine1"), QStringLiteral("tasto.gif"));
    const ImmagineInCornice t = preparaImmagine(cat, 1, m_shop, cornice);
    QVERIFY(t.visibile);
    QCOMPARE(t.posizione, QPoint(1, 1));  // differences of 3
    // The root selected: no department row, nothing to show.
    dati().selezionaRadice();
    QVERIFY(!preparaImmagine(cat, 1, m_shop, cornice).visibile);
}

QTEST_MAIN(TestImmaginiCatalogo)
#include "test_immaginicatalogo.moc"

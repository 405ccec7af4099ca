// The main window's picture frames follow the store: a frame shows the
// picture of its current row again whenever that row changes, centred when
// smaller, and switches its delete command with it.
#include "comandi.h"
#include "corniceimmagine.h"
#include "fileprova.h"
#include "testshop.h"

#include <QLabel>
#include <QtTest>

class TestCornici : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void nomi();
    void seguonoLaRigaCorrente_data();
    void seguonoLaRigaCorrente();
    void laRadiceNascondeLeImmaginiDelReparto();

private:
    void scrivi(Recordset &rs, const QString &campo, const QVariant &v)
    {
        rs.edit();
        rs.setValue(campo, v);
        rs.update();
    }
    std::unique_ptr<TestProgramFolder> m_program;
    std::unique_ptr<NegozioDiProva> m_t;
    std::unique_ptr<RegistroComandi> m_comandi;
    QString m_shop;
};

void TestCornici::init()
{
    m_program = std::make_unique<TestProgramFolder>();
    m_shop = m_program->newShop();
    {
        auto db = Database::open(m_shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, 3, 2);
        db->close();
    }
    m_t = std::make_unique<NegozioDiProva>();
    m_comandi = std::make_unique<RegistroComandi>();
    QCOMPARE(m_t->apri(m_shop), int(Negozio::Aperto));
}

void TestCornici::cleanup()
{
    m_comandi.reset();
    m_t.reset();
    m_program.reset();
}

void TestCornici::nomi()
{
    QCOMPARE(CorniceImmagine::nomeComandoElimina(FamigliaImmagine::Articolo, 2), QStringLiteral("- immagine2"));
    QCOMPARE(CorniceImmagine::nomeComandoElimina(FamigliaImmagine::Reparto, 0), QStringLiteral("- immagine cat0"));
    QCOMPARE(CorniceImmagine::nomeComandoElimina(FamigliaImmagine::Negozio, 1), QStringLiteral("- immagine neg1"));
    const std::tuple<FamigliaImmagine, int, const char *, const char *> nomi[] = {
        {FamigliaImmagine::Articolo, 2, "picImmagineArticolo2", "imgArticolo2"},
        {FamigliaImmagine::Reparto, 0, "picSfondoImmCat0", "imgCategoria0"},
        {FamigliaImmagine::Negozio, 1, "picSfondoImmNeg1", "imgNegozio1"}};
    for (const auto &[f, n, cornice, controllo] : nomi) {
        CorniceImmagine c(f, n, m_t->negozio, *m_comandi);
        QCOMPARE(c.objectName(), QLatin1String(cornice));
        QCOMPARE(c.immagine()->objectName(), QLatin1String(controllo));
    }
    QCOMPARE(CorniceImmagine::didascalia(FamigliaImmagine::Articolo, 2), QStringLiteral("Immagine piccola"));
    QCOMPARE(&m_t->dati().sorgenteImmagine(FamigliaImmagine::Reparto), &m_t->dati().dataCategorie);
}

void TestCornici::seguonoLaRigaCorrente_data()
{
    QTest::addColumn<int>("famiglia");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("comando");
    QTest::newRow("article 0") << int(FamigliaImmagine::Articolo) << 0 << "- immagine0";
    QTest::newRow("article 2") << int(FamigliaImmagine::Articolo) << 2 << "- immagine2";
    QTest::newRow("department button") << int(FamigliaImmagine::Reparto) << 1 << "- immagine cat1";
    QTest::newRow("small logo") << int(FamigliaImmagine::Negozio) << 1 << "- immagine neg1";
}

void TestCornici::seguonoLaRigaCorrente()
{
    QFETCH(int, famiglia);
    QFETCH(int, n);
    QFETCH(QString, comando);
    const auto f = FamigliaImmagine(famiglia);
    CorniceImmagine c(f, n, m_t->negozio, *m_comandi);
    DataSource &s = m_t->dati().sorgenteImmagine(f);
    const QString campo = QStringLiteral("immagine%1").arg(n);

    FileProva::scrivi(m_shop + QStringLiteral("/work/a.png"), FileProva::quarti(100, 60), "png");
    // Written into the current row by other code than a field (as a
    // picture command writes): the frame shows it at once.
    scrivi(s.recordset(), campo, QStringLiteral("a.png"));
    QVERIFY(!c.immagine()->isHidden());
    QCOMPARE(c.immagine()->geometry(), QRect(42, 62, 100, 60));  // centred in 184 × 184
    QVERIFY(m_comandi->abilitato(comando));

    // A file gone from the work folder: hidden, the delete command off.
    scrivi(s.recordset(), campo, QStringLiteral("sparita.png"));
    QVERIFY(c.immagine()->isHidden());
    QVERIFY(!m_comandi->abilitato(comando));
    QVERIFY(m_t->messages.shown().empty());
}

void TestCornici::laRadiceNascondeLeImmaginiDelReparto()
{
    CorniceImmagine c(FamigliaImmagine::Reparto, 0, m_t->negozio, *m_comandi);
    FileProva::scrivi(m_shop + QStringLiteral("/work/r.gif"), FileProva::quarti(50, 50), "gif");
    scrivi(m_t->dati().dataCategorie.recordset(), QStringLiteral("immagine0"), QStringLiteral("r.gif"));
    m_t->dati().dataCategorie.refresh();
    QVERIFY(!c.immagine()->isHidden());
    m_t->dati().selezionaRadice();
    QVERIFY(c.immagine()->isHidden());
    QVERIFY(!m_comandi->abilitato(QStringLiteral("- immagine cat0")));
}

QTEST_MAIN(TestCornici)
#include "test_cornici.moc"

// The picture chooser: the naming rule, the stored settings,
// the modes, copying and shrinking into the work folder, bad input, and the
// dialog forwarding to its logic.
#include "fileprova.h"
#include "finestre.h"
#include "frmimmagine.h"
#include "nomiimmagini.h"
#include "sceltaimmagine.h"
#include "settings.h"
#include "testshop.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

namespace {
const QString App = QStringLiteral("Vetrasto"), Sezione = QStringLiteral("LoadImage");
QString impostazione(const QString &k) { return SettingsStore::get(App, Sezione, k); }
}  // namespace

class TestSceltaImmagine : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void nuovoNome_data();
    void nuovoNome();
    void nuovoNomeNellaCartella();
    void filePicture();

    void impostazioniPredefinite();
    void limitiMemorizzati_data();
    void limitiMemorizzati();
    void cartellaMemorizzata();
    void limiteLasciato_data();
    void limiteLasciato();

    void presetInterna();
    void copiaSenzaAdattare();
    void riduceInJpeg();
    void esattamente180NonRidotta();
    void fileInternoRidottoConNuovoNome();
    void inputNonValido_data();
    void inputNonValido();
    void copiaFallita();
    void avanziDiUnaScritturaInterrotta();

    void dialogo();
    void dialogoModale();

private:
    std::unique_ptr<TestProgramFolder> m_program;
    QTemporaryDir m_fileCattivi;  // the bad files of inputNonValido
    QString m_shop, m_work, m_disco;
    ScriptedMessages m_messages;
    QStringList work() const { return QDir(m_work).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

void TestSceltaImmagine::init()
{
    m_program = std::make_unique<TestProgramFolder>();
    m_shop = m_program->newShop();
    m_work = m_shop + QStringLiteral("/work");
    m_disco = m_program->path() + QStringLiteral("/disco");
    QDir().mkpath(m_disco);
    m_messages.clear();
}

void TestSceltaImmagine::cleanup()
{
    m_program.reset();
}

void TestSceltaImmagine::nuovoNome_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("toJpeg");
    QTest::addColumn<QString>("expected");
    const QStringList v09 = {QStringLiteral("foto_0000.jpg"), QStringLiteral("foto_0009.jpg")};
    // The naming rule's own examples.
    QTest::newRow("first") << QStringList() << "Foto.JPG" << false << "foto_0000.jpg";
    QTest::newRow("after 0009") << v09 << "Foto.JPG" << false << "foto_000a.jpg";
    QTest::newRow("versioned counts on from its base")
        << (QStringList(v09) << QStringLiteral("foto_000a.jpg")) << "foto_000a.jpg" << true << "foto_000b.jpg";
    QTest::newRow("to JPEG") << QStringList() << "Logo.gif" << true << "logo_0000.jpg";
    QTest::newRow("gaps are not filled") << QStringList{"foto_0000.jpg", "foto_0005.jpg"} << "foto.jpg" << false
                                         << "foto_0006.jpg";
    QTest::newRow("upper-case digits do not count") << QStringList{"foto_0003.jpg", "foto_00FF.jpg"} << "foto.jpg"
                                                    << false << "foto_0004.jpg";
    QTest::newRow("other extension") << QStringList{"foto_0007.gif"} << "foto.jpg" << false << "foto_0000.jpg";
    // Collisions, letter case aside.
    QTest::newRow("same name in capitals") << QStringList{"FOTO_0000.JPG"} << "foto.jpg" << false << "foto_0001.jpg";
    QTest::newRow("next one taken in capitals")
        << QStringList{"foto_0009.jpg", "foto_000A.jpg"} << "foto.jpg" << false << "foto_000b.jpg";
    QTest::newRow("past ffff") << QStringList{"foto_ffff.jpg"} << "foto.jpg" << false << "foto_0000.jpg";
    QTest::newRow("past ffff, 0000 taken") << QStringList{"foto_ffff.jpg", "FOTO_0000.jpg", "foto_0001.jpg"}
                                           << "foto.jpg" << false << "foto_0002.jpg";
    // Four-letter and other extensions.
    QTest::newRow(".jpeg") << QStringList{"foto_0000.jpg"} << "Foto.JPEG" << false << "foto_0000.jpeg";
    QTest::newRow(".jpeg versions") << QStringList{"foto_0000.jpeg"} << "foto.jpeg" << false << "foto_0001.jpeg";
    QTest::newRow(".jpeg to JPEG") << QStringList() << "Foto.jpeg" << true << "foto_0000.jpg";
    QTest::newRow(".png") << QStringList() << "Logo.PNG" << false << "logo_0000.png";
    // Characters that would break an address, a page or the upload list.
    QTest::newRow("blanks and #") << QStringList() << "Mio Prodotto #1.JPG" << false << "mio_prodotto__1_0000.jpg";
    QTest::newRow("quotes, % and &") << QStringList() << "50% \"sconto\"&co.png" << false << "50___sconto__co_0000.png";
    QTest::newRow("accents") << QStringList() << "Caffè Però.jpg" << false << "caffe_pero_0000.jpg";
    QTest::newRow("not hidden") << QStringList() << ".nascosta.png" << false << "_nascosta_0000.png";
    QTest::newRow("nothing left") << QStringList() << "€€.gif" << true << "___0000.jpg";
    QTest::newRow("dots inside") << QStringList() << "foto.v2.jpg" << false << "foto.v2_0000.jpg";
}

void TestSceltaImmagine::nuovoNome()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(bool, toJpeg);
    QFETCH(QString, expected);
    QCOMPARE(NomiImmagini::NuovoNomeImmagine(existing, name, toJpeg), expected);
}

void TestSceltaImmagine::nuovoNomeNellaCartella()
{
    for (const char *f : {"foto_0000.jpg", "FOTO_0001.JPG", "foto_0002.JPG"})
        FileProva::scriviByte(m_work + u'/' + QLatin1String(f), "x");
    QCOMPARE(NomiImmagini::NuovoNomeImmagineIn(m_work, QStringLiteral("Foto.jpg"), false),
             QStringLiteral("foto_0003.jpg"));
    // Every name the rule gives is free: 300 in a row.
    for (int i = 0; i < 300; ++i) {
        const QString n = NomiImmagini::NuovoNomeImmagineIn(m_work, QStringLiteral("Foto.jpg"), i % 2);
        QVERIFY(!QFile::exists(m_work + u'/' + n));
        FileProva::scriviByte(m_work + u'/' + (i % 3 == 0 ? n.toUpper() : n), "x");
    }
}

void TestSceltaImmagine::filePicture()
{
    // The lists' pattern "*.bmp;*.jpg;*.gif", whatever the letter case.
    for (const char *f : {"b.JPG", "a.jpeg", "c.Png", "d.gif", "e.bmp", "f.txt", ".g.jpg", "h.tif", "i.Gif", "j.BMP",
                          "k.jpg.png", "l.png.jpg", "m.jpgx", "njpg"})
        FileProva::scriviByte(m_disco + u'/' + QLatin1String(f), "x");
    QDir().mkpath(m_disco + QStringLiteral("/sub.jpg"));
    QCOMPARE(SceltaImmagine::filePicture(m_disco),
             QStringList({"b.JPG", "d.gif", "e.bmp", "i.Gif", "j.BMP", "l.png.jpg"}));
}

void TestSceltaImmagine::impostazioniPredefinite()
{
    SceltaImmagine s(m_shop, m_messages);
    QVERIFY(!s.adatta());
    QCOMPARE(s.testoMax(0), QStringLiteral("180"));
    QCOMPARE(s.testoMax(1), QStringLiteral("180"));
    QCOMPARE(s.scheda(), 1);
    QCOMPARE(s.modo(), int(SceltaImmagine::Nessuno));
    QCOMPARE(s.cartellaLista(), SceltaImmagine::cartellaIniziale());
    QVERIFY(!s.anteprimaVisibile());
    // Opening writes nothing.
    QVERIFY(impostazione(QStringLiteral("Path")).isEmpty());
    QCOMPARE(s.ok(), std::optional<QString>(QString()));  // mode 0: nothing chosen
    QVERIFY(impostazione(QStringLiteral("MaxSize")).isEmpty());
}

void TestSceltaImmagine::limitiMemorizzati_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("4") << "4" << "180";
    QTest::newRow("5") << "5" << "5";
    QTest::newRow("270") << "270" << "270";
    QTest::newRow("271") << "271" << "180";
    QTest::newRow("0") << "0" << "180";
    QTest::newRow("text") << "abc" << "180";
    QTest::newRow("empty") << "" << "180";
}

void TestSceltaImmagine::limitiMemorizzati()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    SettingsStore::set(App, Sezione, QStringLiteral("MaxWidth"), stored);
    SettingsStore::set(App, Sezione, QStringLiteral("MaxHeight"), stored);
    SettingsStore::set(App, Sezione, QStringLiteral("MaxSize"), QStringLiteral("1"));
    SceltaImmagine s(m_shop, m_messages);
    QVERIFY(s.adatta());
    QCOMPARE(s.testoMax(0), shown);
    QCOMPARE(s.testoMax(1), shown);
    QCOMPARE(s.ultimoMax(0), shown);
}

void TestSceltaImmagine::cartellaMemorizzata()
{
    SettingsStore::set(App, Sezione, QStringLiteral("Path"), m_disco);
    QCOMPARE(SceltaImmagine(m_shop, m_messages).cartellaLista(), m_disco);
    SettingsStore::set(App, Sezione, QStringLiteral("Path"), m_disco + QStringLiteral("/sparita"));
    SceltaImmagine s(m_shop, m_messages);
    QCOMPARE(s.cartellaLista(), SceltaImmagine::cartellaIniziale());
}

void TestSceltaImmagine::limiteLasciato_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0") << "0" << false;
    QTest::newRow("4") << "4" << false;
    QTest::newRow("5") << "5" << true;
    QTest::newRow("270") << "270" << true;
    QTest::newRow("271") << "271" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("huge") << "99999999999999999999" << false;
}

void TestSceltaImmagine::limiteLasciato()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    SceltaImmagine s(m_shop, m_messages);
    s.impostaLimite(0, typed);
    QCOMPARE(s.lasciaLimite(0, typed), accepted);
    QCOMPARE(s.testoMax(0), accepted ? typed : QStringLiteral("180"));
    QCOMPARE(s.ultimoMax(0), accepted ? typed : QStringLiteral("180"));
    if (accepted) {
        QVERIFY(m_messages.shown().empty());
    } else {
        QCOMPARE(m_messages.texts(), QStringList(QStringLiteral("Specificare un numero compreso fra 5 e 270")));
        QCOMPARE(m_messages.shown().front().icon, Messages::Icon::Warning);
    }
}

void TestSceltaImmagine::presetInterna()
{
    FileProva::scrivi(m_work + QStringLiteral("/logo_0000.png"), FileProva::quarti(500, 100), "png");
    SettingsStore::set(App, Sezione, QStringLiteral("MaxSize"), QStringLiteral("1"));
    SceltaImmagine s(m_shop, m_messages);
    s.preset(QStringLiteral("logo_0000.png"));
    QCOMPARE(s.scheda(), 2);
    QCOMPARE(s.modo(), int(SceltaImmagine::Interna));
    QCOMPARE(s.etichetta(), QStringLiteral("logo_0000.png"));
    QCOMPARE(s.misura(), QSize(500, 100));  // tab 2: never fitted
    QCOMPARE(s.posizione(), QPoint(0, 90));
    QCOMPARE(s.anteprima().size(), QSize(281, 100));
    const QStringList before = work();
    QCOMPARE(s.ok(), std::optional<QString>(QStringLiteral("logo_0000.png")));
    QCOMPARE(work(), before);
    QCOMPARE(impostazione(QStringLiteral("MaxSize")), QStringLiteral("1"));
    QCOMPARE(impostazione(QStringLiteral("MaxWidth")), QStringLiteral("180"));
}

void TestSceltaImmagine::copiaSenzaAdattare()
{
    const QString src = FileProva::scrivi(m_disco + QStringLiteral("/Foto.JPG"), FileProva::quarti(1000, 800), "jpg");
    SceltaImmagine s(m_shop, m_messages);
    s.cambiaCartella(m_disco);
    s.clickFile(QStringLiteral("Foto.JPG"));
    QCOMPARE(s.modo(), int(SceltaImmagine::Copia));
    QCOMPARE(s.percorsoScelto(), src);
    QCOMPARE(s.etichetta(), src);
    QCOMPARE(s.misura(), QSize(1000, 800));
    QCOMPARE(s.posizione(), QPoint(0, 0));
    QCOMPARE(s.anteprima().size(), QSize(281, 281));  // what the preview box shows
    QCOMPARE(s.ok(), std::optional<QString>(QStringLiteral("foto_0000.jpg")));
    QCOMPARE(leggi(m_work + QStringLiteral("/foto_0000.jpg")), leggi(src));  // unchanged
    QCOMPARE(impostazione(QStringLiteral("Path")), m_disco);
    QCOMPARE(impostazione(QStringLiteral("MaxSize")), QStringLiteral("0"));
    QCOMPARE(impostazione(QStringLiteral("MaxWidth")), QStringLiteral("180"));
    QCOMPARE(impostazione(QStringLiteral("MaxHeight")), QStringLiteral("180"));
    // The same file again: a new name, the first copy stays.
    s.clickFile(QStringLiteral("Foto.JPG"));
    QCOMPARE(s.ok(), std::optional<QString>(QStringLiteral("foto_0001.jpg")));
    QCOMPARE(work(), QStringList({"foto_0000.jpg", "foto_0001.jpg"}));
}

void TestSceltaImmagine::riduceInJpeg()
{
    FileProva::scrivi(m_disco + QStringLiteral("/Logo.png"), FileProva::quarti(400, 300), "png");
    SceltaImmagine s(m_shop, m_messages);
    s.cambiaCartella(m_disco);
    s.impostaAdatta(true);
    s.clickFile(QStringLiteral("Logo.png"));
    QCOMPARE(s.modo(), int(SceltaImmagine::Riduci));
    QCOMPARE(s.misura(), QSize(180, 135));
    QCOMPARE(s.posizione(), QPoint(50, 73));
    QCOMPARE(s.anteprima().size(), QSize(180, 135));
    // Another box, given by the limits.
    s.impostaLimite(1, QStringLiteral("90"));
    QVERIFY(s.lasciaLimite(1, QStringLiteral("90")));
    QCOMPARE(s.misura(), QSize(120, 90));
    QCOMPARE(s.ok(), std::optional<QString>(QStringLiteral("logo_0000.jpg")));
    const QImage written(m_work + QStringLiteral("/logo_0000.jpg"));
    QCOMPARE(written.size(), QSize(120, 90));
    // The file shows what the preview showed.
    QVERIFY(FileProva::differenza(written, s.anteprima()) < 3.0);
    QCOMPARE(impostazione(QStringLiteral("MaxSize")), QStringLiteral("1"));
    QCOMPARE(impostazione(QStringLiteral("MaxHeight")), QStringLiteral("90"));
}

void TestSceltaImmagine::esattamente180NonRidotta()
{
    FileProva::scrivi(m_disco + QStringLiteral("/a.gif"), FileProva::quarti(180, 120), "gif");
    SceltaImmagine s(m_shop, m_messages);
    s.cambiaCartella(m_disco);
    s.impostaAdatta(true);
    s.clickFile(QStringLiteral("a.gif"));
    QCOMPARE(s.modo(), int(SceltaImmagine::Copia));
    QCOMPARE(s.misura(), QSize(180, 120));
    QCOMPARE(s.ok(), std::optional<QString>(QStringLiteral("a_0000.gif")));
}

void TestSceltaImmagine::fileInternoRidottoConNuovoNome()
{
    FileProva::scrivi(m_work + QStringLiteral("/foto_0003.jpg"), FileProva::quarti(600, 600), "jpg");
    SceltaImmagine s(m_shop, m_messages);
    s.impostaScheda(2);
    s.clickSito(QStringLiteral("foto_0003.jpg"));
    QCOMPARE(s.modo(), int(SceltaImmagine::Interna));
    QCOMPARE(s.misura(), QSize(600, 600));
    // Back to tab 1, the fit box ticked: the work file is reduced anew.
    s.impostaScheda(1);
    s.impostaAdatta(true);
    QCOMPARE(s.modo(), int(SceltaImmagine::Riduci));
    QCOMPARE(s.ok(), std::optional<QString>(QStringLiteral("foto_0004.jpg")));
    QCOMPARE(QImage(m_work + QStringLiteral("/foto_0004.jpg")).size(), QSize(180, 180));
    QCOMPARE(QImage(m_work + QStringLiteral("/foto_0003.jpg")).size(), QSize(600, 600));
}

void TestSceltaImmagine::inputNonValido_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("fit");
    QTest::addColumn<QString>("message");
    const QString d = m_fileCattivi.path();
    const QByteArray jpg = leggi(FileProva::scrivi(d + QStringLiteral("/ok.jpg"), FileProva::quarti(400, 300), "jpg"));
    for (bool fit : {false, true}) {
        const QString f = fit ? QStringLiteral(" fit") : QString();
        QTest::addRow("not a picture%s", qPrintable(f))
            << FileProva::scriviByte(d + QStringLiteral("/testo.jpg"), "ciao") << fit << "non è un'immagine";
        QTest::addRow("truncated jpeg%s", qPrintable(f))
            << FileProva::scriviByte(d + QStringLiteral("/tronco.jpg"), jpg.left(jpg.size() / 2)) << fit
            << "incompleto o danneggiato";
        QTest::addRow("zero bytes%s", qPrintable(f))
            << FileProva::scriviByte(d + QStringLiteral("/zero.jpg"), {}) << fit << "è vuoto";
        QTest::addRow("20000 x 20000%s", qPrintable(f))
            << FileProva::scriviByte(d + QStringLiteral("/gigante.jpg"), FileProva::conDimensioni(jpg, 20000, 20000))
            << fit << "troppo grande";
    }
}

void TestSceltaImmagine::inputNonValido()
{
    QFETCH(QString, file);
    QFETCH(bool, fit);
    QFETCH(QString, message);
    SceltaImmagine s(m_shop, m_messages);
    s.cambiaCartella(QFileInfo(file).absolutePath());
    s.impostaAdatta(fit);
    s.clickFile(QFileInfo(file).fileName());
    QCOMPARE(s.modo(), int(SceltaImmagine::Nessuno));
    QVERIFY(!s.anteprimaVisibile());
    QVERIFY2(s.messaggio().contains(message), qPrintable(s.messaggio()));
    const QStringList before = work();
    QCOMPARE(s.ok(), std::optional<QString>(QString()));
    QCOMPARE(work(), before);
    QVERIFY(impostazione(QStringLiteral("Path")).isEmpty());
}

void TestSceltaImmagine::copiaFallita()
{
    FileProva::scrivi(m_disco + QStringLiteral("/a.png"), FileProva::quarti(40, 30), "png");
    SceltaImmagine s(m_shop, m_messages);
    s.cambiaCartella(m_disco);
    s.clickFile(QStringLiteral("a.png"));
    QCOMPARE(s.modo(), int(SceltaImmagine::Copia));
    // The work folder is a file: nothing can be written there.
    QDir(m_work).removeRecursively();
    FileProva::scriviByte(m_work, "not a folder");
    QCOMPARE(s.ok(), std::nullopt);
    QCOMPARE(m_messages.shown().size(), size_t(1));
    QVERIFY(impostazione(QStringLiteral("Path")).isEmpty());
    s.impostaAdatta(true);
    s.impostaLimite(0, QStringLiteral("20"));
    QVERIFY(s.lasciaLimite(0, QStringLiteral("20")));
    QCOMPARE(s.modo(), int(SceltaImmagine::Riduci));
    QCOMPARE(s.ok(), std::nullopt);
    QCOMPARE(m_messages.shown().size(), size_t(2));
}

void TestSceltaImmagine::avanziDiUnaScritturaInterrotta()
{
    // The temporary files of picture writes that were killed go with the
    // next save into the work folder; the merchant's own files stay.
    for (const char *f : {"/.vt0a1b2c3d4e5f.vttmp", "/.vtzzzzzzzzzzzz.vttmp", "/.nascosto.tmp", "/vecchia.jpg"})
        FileProva::scriviByte(m_work + QLatin1String(f), "mezzo");
    FileProva::scrivi(m_disco + QStringLiteral("/a.png"), FileProva::quarti(40, 30), "png");
    SceltaImmagine s(m_shop, m_messages);
    s.cambiaCartella(m_disco);
    s.clickFile(QStringLiteral("a.png"));
    QCOMPARE(s.ok(), std::optional<QString>(QStringLiteral("a_0000.png")));
    QCOMPARE(work(), QStringList({".nascosto.tmp", "a_0000.png", "vecchia.jpg"}));
}

void TestSceltaImmagine::dialogo()
{
    FileProva::scrivi(m_disco + QStringLiteral("/Foto.BMP"), FileProva::quarti(400, 300), "bmp");
    FileProva::scrivi(m_work + QStringLiteral("/logo_0000.jpg"), FileProva::quarti(100, 60), "jpg");
    // Pictures outside the lists' pattern are not offered.
    FileProva::scrivi(m_disco + QStringLiteral("/Altra.png"), FileProva::quarti(40, 30), "png");
    FileProva::scrivi(m_disco + QStringLiteral("/Altra.jpeg"), FileProva::quarti(40, 30), "jpg");
    FileProva::scrivi(m_work + QStringLiteral("/logo_0001.png"), FileProva::quarti(40, 30), "png");
    QVERIFY(QDir(m_disco).mkdir(QStringLiteral("sotto")));
    SettingsStore::set(App, Sezione, QStringLiteral("Path"), m_disco);
    QStringList help;
    frmImmagine dlg(m_shop, m_messages, [&](const QString &t) { help << t; });
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Vetrasto - Scelta immagine"));
    for (const char *name : {"Unita", "Cartella", "picImmagine", "cmdDesktop", "cmdAnnulla"})
        QVERIFY2(figlio(&dlg, QLatin1String(name)), name);
    FIGLIO(QTabBar, tabSelezione, &dlg);
    FIGLIO(QWidget, picSelezione0, &dlg);
    FIGLIO(QWidget, picSelezione1, &dlg);
    FIGLIO(QListWidget, File, &dlg);
    FIGLIO(QListWidget, Sito, &dlg);
    FIGLIO(QLabel, lblPercorso, &dlg);
    FIGLIO(QCheckBox, chkAdatta, &dlg);
    FIGLIO(QLineEdit, txtMax0, &dlg);
    FIGLIO(QLineEdit, txtMax1, &dlg);
    FIGLIO(QWidget, picSalva, &dlg);
    FIGLIO(QLabel, imgImmagine, &dlg);
    FIGLIO(QLabel, lblImmagine, &dlg);
    FIGLIO(QPushButton, cmdOK, &dlg);
    FIGLIO(QPushButton, cmdHelp, &dlg);
    dlg.show();
    QCOMPARE(tabSelezione->currentIndex(), 0);
    QVERIFY(picSelezione0->isVisible() && !picSelezione1->isVisible());
    QVERIFY(!txtMax0->isEnabled());
    QCOMPARE(lblPercorso->text(), m_disco);
    QCOMPARE(File->count(), 1);
    QCOMPARE(File->item(0)->text(), QStringLiteral("Foto.BMP"));
    QCOMPARE(Sito->count(), 1);
    QCOMPARE(Sito->item(0)->text(), QStringLiteral("logo_0000.jpg"));
    int etichette = 0;
    for (const QLabel *l : dlg.findChildren<QLabel *>())
        etichette += l->text() == QStringLiteral("File (.bmp, .jpg, .gif):");
    QCOMPARE(etichette, 2);

    // Enter in the folder list opens the folder and leaves the dialog open.
    FIGLIO(QListWidget, Cartella, &dlg);
    Cartella->setFocus();
    for (const QString &voce : {QStringLiteral("sotto"), QStringLiteral("..")}) {
        const QList<QListWidgetItem *> trovate = Cartella->findItems(voce, Qt::MatchExactly);
        QCOMPARE(trovate.size(), 1);
        Cartella->setCurrentItem(trovate.first());
        QTest::keyClick(Cartella, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(lblPercorso->text(), voce == QLatin1String("sotto") ? m_disco + QStringLiteral("/sotto") : m_disco);
    }
    QCOMPARE(File->count(), 1);

    chkAdatta->setChecked(true);
    QVERIFY(txtMax0->isEnabled() && txtMax1->isEnabled());
    File->setCurrentRow(0);
    QCOMPARE(lblImmagine->text(), m_disco + QStringLiteral("/Foto.BMP"));
    QVERIFY(picSalva->isVisible());
    QCOMPARE(picSalva->geometry(), QRect(50, 73, 180, 135));
    QCOMPARE(imgImmagine->pixmap().size(), QSize(180, 135));

    // A limit out of range: the message, and the old value back.
    txtMax0->setFocus();
    txtMax0->clear();
    QTest::keyClicks(txtMax0, QStringLiteral("3x"));  // the letter is refused
    QCOMPARE(txtMax0->text(), QStringLiteral("3"));
    QTest::keyClick(txtMax0, Qt::Key_Return);
    QCOMPARE(m_messages.texts(), QStringList(QStringLiteral("Specificare un numero compreso fra 5 e 270")));
    QCOMPARE(txtMax0->text(), QStringLiteral("180"));
    QVERIFY(dlg.isVisible());  // Enter in a limit box does not confirm the dialog
    txtMax1->clear();
    QTest::keyClicks(txtMax1, QStringLiteral("90"));
    QTest::keyClick(txtMax1, Qt::Key_Enter);
    QCOMPARE(picSalva->geometry(), QRect(80, 95, 120, 90));

    QTest::keyClick(txtMax1, Qt::Key_F1);  // from a control: it reaches the dialog
    cmdHelp->click();
    QCOMPARE(help, QStringList({"pagine\\immagine.htm", "pagine\\immagine.htm"}));

    // The preset: tab 2 with the work file.
    dlg.preseleziona(QStringLiteral("logo_0000.jpg"));
    QCOMPARE(tabSelezione->currentIndex(), 1);
    QVERIFY(!picSelezione0->isVisible() && picSelezione1->isVisible());
    QCOMPARE(lblImmagine->text(), QStringLiteral("logo_0000.jpg"));
    QCOMPARE(picSalva->geometry(), QRect(90, 110, 100, 60));
    QVERIFY(salvaSchermata(&dlg, QStringLiteral("frmImmagine-interna")));
    cmdOK->click();
    QCOMPARE(dlg.tag(), QStringLiteral("logo_0000.jpg"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestSceltaImmagine::dialogoModale()
{
    FileProva::scrivi(m_disco + QStringLiteral("/Foto.JPG"), FileProva::quarti(400, 300), "jpg");
    SettingsStore::set(App, Sezione, QStringLiteral("Path"), m_disco);
    SettingsStore::set(App, Sezione, QStringLiteral("MaxSize"), QStringLiteral("1"));
    DialogoSceltaImmagine scelta(nullptr, m_shop, m_messages);
    // Picked and confirmed while the dialog runs modally.
    bool scelto = false;
    QObject guardia;
    alProssimoModale(guardia, [&scelto](QWidget *dlg) {
        auto *file = figlio<QListWidget>(dlg, QStringLiteral("File"));
        VERIFICA(file);
        file->setCurrentRow(0);
        VERIFICA(salvaSchermata(dlg, QStringLiteral("frmImmagine")));
        return scelto = clic(figlio<QPushButton>(dlg, QStringLiteral("cmdOK")));
    });
    const RisultatoScelta r = scelta.scegli({});
    QVERIFY(scelto);
    QCOMPARE(r.nome, QStringLiteral("foto_0000.jpg"));
    QCOMPARE(r.misura, QSize(180, 135));
    // Cancelled: nothing.
    bool annullato = false;
    alProssimoModale(guardia, [&annullato](QWidget *dlg) {
        return annullato = clic(figlio<QPushButton>(dlg, QStringLiteral("cmdAnnulla")));
    });
    const RisultatoScelta none = scelta.scegli(QStringLiteral("foto_0000.jpg"));
    QVERIFY(annullato);
    QVERIFY(none.nome.isEmpty());
}

QTEST_MAIN(TestSceltaImmagine)
#include "test_sceltaimmagine.moc"

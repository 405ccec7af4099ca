// The settings views as the merchant sees them and as the build reads them:
// screenshots of the shop panel, the " Sito" and the "Internet" views of the
// demo shop with their layout checked (nothing cut, nothing overlapping);
// the settings snapshot made from the window equals the one made headless
// from the record, on the demo shop and on a record of unusual values; a
// build started from the window carries a pasted title into a sound site; a
// new shop shows no second price, and its build warns while the site's
// address is missing.
#include "finestraprova.h"

#include "comandi.h"
#include "programfolder.h"
#include "vistaarticoli.h"
#include "vistainternet.h"
#include "vistanegozio.h"
#include "vistasito.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString bin() { return qEnvironmentVariable("VETRASTO_BIN"); }

QString demo() { return bin() + QStringLiteral("/demo"); }

// The fields in which two snapshots differ, each with both values.
QStringList differenze(const Impostazioni &a, const Impostazioni &b)
{
    QStringList d;
    const auto confronta = [&d](const char *nome, const auto &x, const auto &y) {
        if (!(x == y))
            d << QStringLiteral("%1: %2 | %3").arg(QLatin1String(nome), QTest::toString(x), QTest::toString(y));
    };
#define CAMPO(c) confronta(#c, a.c, b.c)
#define CAMPI(c, n)                                                                                                    \
    for (size_t i = 0; i < n; ++i)                                                                                     \
    confronta(#c, a.c[i], b.c[i])
    CAMPO(txtTitolo); CAMPO(txtEmail); CAMPI(txtTesti, 7); CAMPO(txtScontoNegozio); CAMPI(lblLogo, 2);
    CAMPO(chkVisSconto); CAMPO(chkVisOfferta); CAMPO(txtFirma); CAMPO(txtMID); CAMPO(txtEmailOrdini);
    CAMPO(txtMinimo); CAMPO(chkPercRep); CAMPO(cboLivelli); CAMPO(chkCodInCart); CAMPI(txtKeywords, 2);
    CAMPO(cboVetrina); CAMPO(chkElencoFoto); CAMPO(chkElencoCodice); CAMPO(chkElencoTitolo); CAMPO(txtRicerca);
    CAMPO(chkRicerca); CAMPO(chkCambio); CAMPO(chkIvaCompresa); CAMPO(txtNotazione); CAMPO(txtCambio);
    CAMPI(chkDecimali, 2); CAMPI(txtValuta, 2); CAMPO(cboSendmail); CAMPO(cboPerl); CAMPI(txtSetting, 2);
    CAMPO(txtURL); CAMPO(txtCartella); CAMPO(txtCGI); CAMPO(txtURLNegozio); CAMPO(txtCGIsearch);
    CAMPO(txtCGIOrdine); CAMPO(chkNT); CAMPO(txtFolderFTP); CAMPO(txtFolderCGI); CAMPO(txtHost);
    CAMPO(txtUsername); CAMPO(txtPassword); CAMPO(minimo.has_value());
    CAMPO(minimo.value_or(Currency{}).raw); CAMPI(imgX, 2); CAMPI(imgY, 2); CAMPO(template_);
#undef CAMPI
#undef CAMPO
    return d;
}

QStringList differenze(const ValoriValuta &a, const ValoriValuta &b)
{
    QStringList d;
    const auto confronta = [&d](const char *nome, const auto &x, const auto &y) {
        if (!(x == y))
            d << QStringLiteral("%1: %2 | %3").arg(QLatin1String(nome), QTest::toString(x), QTest::toString(y));
    };
    confronta("PrefissoValuta1", a.PrefissoValuta1, b.PrefissoValuta1);
    confronta("PrefissoValuta2", a.PrefissoValuta2, b.PrefissoValuta2);
    confronta("TassoCambio", a.TassoCambio, b.TassoCambio);
    confronta("SeparatoreDecimali", a.SeparatoreDecimali, b.SeparatoreDecimali);
    confronta("SeparatoreMigliaia", a.SeparatoreMigliaia, b.SeparatoreMigliaia);
    confronta("FormatoDecimali1", a.FormatoDecimali1, b.FormatoDecimali1);
    confronta("FormatoDecimali2", a.FormatoDecimali2, b.FormatoDecimali2);
    return d;
}

} // namespace

class TestImpostazioniFinestra : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void schermate_data();
    void schermate();
    void stessaFotografia_data();
    void stessaFotografia();
    void titoloIncollatoNellaCostruzione_data();
    void titoloIncollatoNellaCostruzione();
    void titoloRifiutatoNellaCostruzione_data();
    void titoloRifiutatoNellaCostruzione();
    void nuovoNegozioCostruito();
};

void TestImpostazioniFinestra::schermate_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("pannello");
    QTest::newRow("negozio") << "kReparti" << "picNegozio";
    QTest::newRow("sito") << "kSito" << "picSito";
    QTest::newRow("internet") << "kInternet" << "picGenerale";
}

void TestImpostazioniFinestra::schermate()
{
    QFETCH(QString, scheda);
    QFETCH(QString, pannello);
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    f->w->selezionaScheda(scheda);
    QWidget *p = f->w->findChild<QWidget *>(pannello);
    QVERIFY(p && p->isVisible());
    QVERIFY(salvaSchermata(f->w, QStringLiteral("impostazioni-") + QTest::currentDataTag()));
    QVERIFY(verificaImpaginazione(p));
    QVERIFY(f->messages.shown().empty());
}

void TestImpostazioniFinestra::stessaFotografia_data()
{
    QTest::addColumn<bool>("conDemo");
    QTest::addColumn<QVariantMap>("generale");
    QTest::newRow("demo") << true << QVariantMap{};
    // Values the window's rules correct when they are loaded, texts with
    // the characters that need care, lists and options outside their
    // choices, folders typed by hand beside remote ones that would derive
    // others, a second currency switched off.
    const QVariantMap insolito{
        {"titolo", "Bottega | del \\ Caffè «x» <b>"}, {"email", ""}, {"home1", "riga 1\r\nriga 2"},
        {"home2", "solo a capo\nqui"}, {"condizioni", QString(3000, u'c')}, {"recesso", "\tcon tab\rritorno"},
        {"datipers", QVariant()}, {"testo1", "<p>html</p>"}, {"testo2", "€ $ @ \" '"},
        {"sconto", 150}, {"immagine0", "logo.jpg"}, {"imgX0", 120}, {"imgY0", 40}, {"immagine1", "piccolo.gif"},
        {"imgX1", 16}, {"imgY1", 8}, {"vis_sconto", false}, {"vis_offerta", false}, {"firma_email", "a\nb\r\nc"},
        {"merchantid", "MID-42"}, {"email_ordini", "ordini@esempio.it"}, {"minimo", -12.3456},
        {"vis_percrep", true}, {"livelliaperti", "12"}, {"codincart", true}, {"keywords", "k1, k2"},
        {"content", QVariant()}, {"colonnevetrina", "6"}, {"elenco_foto", false}, {"elenco_codice", true},
        {"elenco_titolo", false}, {"operatorericerca", "7"}, {"ricercaparole", true}, {"usa_cambio", false},
        {"ivacompresa", false}, {"notazione", "1"}, {"cambio", -1234.56789}, {"decimali1", false},
        {"decimali2", true}, {"valuta1", "  Lire  "}, {"valuta2", ""}, {"sendmail", "/opt/posta"}, {"perl", ""},
        {"siteonline", "/srv/pagine"}, {"sitescript", ""}, {"URL", "HTTPS://Negozio.Example.com/"},
        {"cartella", "/a mano/"}, {"cartellaCGI", "cgi"}, {"CGIsearch", "vecchio"}, {"CGIordine", ""},
        {"serverNT", true}, {"folderFTP", "www/altro"}, {"folderCGI", "public_html/cgi-bin"},
        {"hostname", "ftp.esempio.it"}, {"username", "utente"}, {"password", "   "}, {"template", "classico"}};
    QTest::newRow("insolito") << false << insolito;
}

void TestImpostazioniFinestra::stessaFotografia()
{
    QFETCH(bool, conDemo);
    QFETCH(QVariantMap, generale);
    const auto f = apriImpostazioni(generale, conDemo ? demo() : QString());
    QVERIFY(f->w);
    const Impostazioni finestra = f->w->impostazioni();
    const ValoriValuta valuta = ValoriValuta::daShopState(f->negozio().state);
    // Headless, from the record as the window left it (it brings the
    // derived addresses up to date when it opens).
    Recordset g(f->negozio().state.dbCatalogo, QStringLiteral("SELECT * FROM generale"));
    ShopState nuovo;
    nuovo.FormatoDecimali1 = nuovo.FormatoDecimali2 = QStringLiteral("0");
    const Impostazioni record = CaricaImpostazioni(g, nuovo);
    const QStringList d = differenze(finestra, record) + differenze(valuta, ValoriValuta::daShopState(nuovo));
    QVERIFY2(d.isEmpty(), qPrintable(d.join(u'\n')));
    QVERIFY(f->messages.shown().empty());
    if (!conDemo) {
        // What the window shows of the unusual values.
        QCOMPARE(finestra.txtScontoNegozio, QStringLiteral("100"));
        QCOMPARE(finestra.txtCambio, QStringLiteral("1234.568"));
        QCOMPARE(finestra.txtCartella, QStringLiteral("/a mano/"));
        QCOMPARE(finestra.txtCGIOrdine, QStringLiteral("vtorder.asp"));
        QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), finestra.txtCGIsearch);
    }
}

void TestImpostazioniFinestra::titoloIncollatoNellaCostruzione_data()
{
    QTest::addColumn<QString>("titolo");
    QTest::newRow("barra verticale") << QStringLiteral("Bottega | Caffè");
    QTest::newRow("barra rovescia") << QStringLiteral("Bottega \\ Caffè");
}

void TestImpostazioniFinestra::titoloIncollatoNellaCostruzione()
{
    // A pasted title is not filtered; the build, started from the window
    // with the real template set, writes it into sound pages and scripts.
    QFETCH(QString, titolo);
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    ProgramFolder::setPath(bin());  // the build reads the real template set
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    auto *campo = figlio<QLineEdit>(f->w->vistaNegozio(), QStringLiteral("txtTitolo"));
    QVERIFY(clic(campo));
    QTest::keyClick(campo, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(titolo);
    QTest::keyClick(campo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(campo->text(), titolo);
    f->messages.answer(Messages::Answer::No);  // "Vuoi vedere il risultato?"
    f->w->comandi().azione(Cmd::Costruisci)->trigger();
    QCOMPARE(f->messages.texts(), QStringList{QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?")});
    const QString pagina = QString::fromUtf8(leggi(f->negozio().state.CartellaPagine + QStringLiteral("/index.htm")));
    QVERIFY2(pagina.contains(QStringLiteral("<title>") + titolo + QStringLiteral("</title>")), qPrintable(pagina.left(600)));
    QVERIFY(!pagina.contains(QStringLiteral("Bottega \" Caffè")));
    // The order script holds the title, as data, and still compiles.
    const QStringList script = QDir(f->negozio().state.CartellaScript).entryList({QStringLiteral("vtorder*.pl")});
    QCOMPARE(script.size(), 1);
    const QString percorso = f->negozio().state.CartellaScript + u'/' + script[0];
    QVERIFY(leggi(percorso).contains("valore('" + titolo.toUtf8().toBase64() + "')"));
    QProcess perl;
    perl.start(QStringLiteral("perl"), {QStringLiteral("-c"), percorso});
    QVERIFY(perl.waitForFinished(30000));
    QVERIFY2(perl.exitCode() == 0, perl.readAllStandardError().constData());
}

void TestImpostazioniFinestra::titoloRifiutatoNellaCostruzione_data()
{
    QTest::addColumn<int>("comando");
    QTest::addColumn<QString>("impossibile");
    QTest::newRow("costruisci") << int(Cmd::Costruisci) << QStringLiteral("Impossibile costruire il negozio:");
    QTest::newRow("aggiorna il sito") << int(Cmd::AggiornaSito) << QStringLiteral("Impossibile aggiornare il sito:");
}

void TestImpostazioniFinestra::titoloRifiutatoNellaCostruzione()
{
    // A title longer than its field takes is refused when the command writes
    // the pending edits: the refusal, then why nothing starts.
    QFETCH(int, comando);
    QFETCH(QString, impossibile);
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    ProgramFolder::setPath(bin());
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    auto *campo = figlio<QLineEdit>(f->w->vistaNegozio(), QStringLiteral("txtTitolo"));
    QVERIFY(clic(campo));
    QTest::keyClick(campo, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(QString(300, u'x'));
    QTest::keyClick(campo, Qt::Key_V, Qt::ControlModifier);
    const QString pagine = f->negozio().state.CartellaPagine;
    const QStringList prima = QDir(pagine).entryList(QDir::Files);
    const QString lista = f->negozio().state.PercorsoNegozio + QStringLiteral("/vtftp.dat");
    const bool conLista = QFile::exists(lista);
    QVERIFY(clic(figlio<QWidget>(f->w, QStringLiteral("imgButton%1").arg(comando - Cmd::Costruisci + 1))));
    const QStringList testi = f->messages.texts();
    QCOMPARE(testi.size(), 2);
    QVERIFY2(testi[0].contains(QStringLiteral("Titolo del negozio: il testo è troppo lungo")), qPrintable(testi[0]));
    QCOMPARE(testi[1], impossibile + QStringLiteral("\r\nil valore del campo 'Titolo del negozio' non è stato "
                                                    "accettato (il motivo è nel messaggio precedente). Correggere il "
                                                    "valore e ripetere l'operazione."));
    QCOMPARE(f->messages.shown()[1].icon, Messages::Icon::Warning);
    QCOMPARE(QDir(pagine).entryList(QDir::Files), prima);
    QCOMPARE(QFile::exists(lista), conLista);
}

void TestImpostazioniFinestra::nuovoNegozioCostruito()
{
    const auto f = apriImpostazioni({});
    QVERIFY(f->w);
    ProgramFolder::setPath(bin());  // the build reads the real template set
    // No second currency until the merchant sets one.
    f->w->selezionaScheda(QStringLiteral("kSito"));
    FIGLIO(QCheckBox, chkCambio, f->w->vistaSito());
    FIGLIO(QLineEdit, txtValuta1, f->w->vistaSito());
    QVERIFY(!chkCambio->isChecked());
    QVERIFY(!txtValuta1->isEnabled());
    // One article with a price, typed in.
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    QVERIFY(clicNodo(f->w, QStringLiteral("Nuovo Reparto")));
    QVERIFY(clicPulsante(f->w, Cmd::AggiungiArticoloDopo));
    auto *prezzo = figlio<QLineEdit>(f->w->vistaArticoli(), QStringLiteral("txtArticoli4"));
    QVERIFY(riscrivi(prezzo, QStringLiteral("21,89")));
    QTest::keyClick(prezzo, Qt::Key_Tab);
    // A new shop has no order address: no order could arrive.
    const QString avvisoOrdini = QStringLiteral(
        "\r\n\r\nATTENZIONE: l'e-mail per la ricezione degli ordini (scheda \"Sito\") non è impostata, quindi "
        "nessun ordine potrà arrivare al negozio: lo script d'ordine li rifiuterà tutti. Impostarla e costruire di "
        "nuovo il negozio prima di aggiornare il sito.\r\n\r\n");
    const auto costruisci = [&] {
        f->messages.clear();
        f->messages.answer(Messages::Answer::No);  // "Vuoi vedere il risultato?"
        return clic(figlio<QWidget>(f->w, QStringLiteral("imgButton1")));
    };
    QVERIFY(costruisci());
    QCOMPARE(f->messages.texts().size(), 1);
    const QString avviso = f->messages.texts()[0];
    QVERIFY2(avviso.startsWith(QStringLiteral("Creazione del negozio terminata.\r\n\r\nATTENZIONE: l'URL del sito"))
                 && avviso.contains(QStringLiteral("gli ordini e le ricerche del negozio non funzioneranno"))
                 && avviso.contains(avvisoOrdini) && avviso.endsWith(QStringLiteral("Vuoi vedere il risultato?")),
             qPrintable(avviso));
    QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::Warning);
    const QString pagina = QString::fromUtf8(leggi(f->negozio().state.CartellaPagine + QStringLiteral("/cat001.htm")));
    // 21,89 and the new department's VAT of 22 %, with no second price.
    QVERIFY2(pagina.contains(QStringLiteral("€ 26,71")), qPrintable(pagina));
    QVERIFY(pagina.contains(QStringLiteral("<p class=\"vt-cambio\"></p>")));
    // With the site's address the build ends as usual.
    f->w->selezionaScheda(QStringLiteral("kInternet"));
    auto *url = figlio<QLineEdit>(f->w->vistaInternet(), QStringLiteral("txtURL"));
    QVERIFY(riscrivi(url, QStringLiteral("www.bottega.it")));
    QTest::keyClick(url, Qt::Key_Tab);
    QVERIFY(costruisci());
    QCOMPARE(f->messages.texts(), QStringList{QStringLiteral("Creazione del negozio terminata.") + avvisoOrdini +
                                              QStringLiteral("Vuoi vedere il risultato?")});
    QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::Warning);
    // With the order address too, the build ends as usual.
    f->w->selezionaScheda(QStringLiteral("kSito"));
    auto *ordini = figlio<QLineEdit>(f->w->vistaSito(), QStringLiteral("txtEmailOrdini"));
    QVERIFY(riscrivi(ordini, QStringLiteral("ordini@bottega.it")));
    QTest::keyClick(ordini, Qt::Key_Tab);
    QVERIFY(costruisci());
    QCOMPARE(f->messages.texts(), QStringList{QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?")});
    QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::Question);
}

QTEST_MAIN(TestImpostazioniFinestra)
#include "test_impostazionifinestra.moc"

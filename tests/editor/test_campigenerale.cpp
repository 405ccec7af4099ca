// The settings fields of the main window on a real shop, driven with real
// key and mouse events: when each field writes the settings record, the
// input rules' edge cases, the addresses derived from the site fields and
// the Windows-server option, the price formats of the shop state after a
// load and after edits, "cartelle FTP" after each change of the account, a
// folder typed by hand surviving the opening, the values the database
// refuses, the lists that take no keys, the buttons and the shop texts.
#include "finestraprova.h"

#include "comandi.h"
#include "programfolder.h"
#include "vistainternet.h"
#include "vistanegozio.h"
#include "vistasito.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

namespace {

// A record whose derived addresses change with every site field.
const QVariantMap base{{"URL", "abc"},        {"cartella", ""},        {"cartellaCGI", "cgi-bin"},
                       {"folderFTP", ""},     {"folderCGI", ""},       {"serverNT", false},
                       {"hostname", ""},      {"username", ""},        {"password", ""},
                       {"usa_cambio", true},  {"cambio", 2},           {"notazione", "0"},
                       {"minimo", 10},        {"operatorericerca", "0"}};

QVariantMap con(QVariantMap m, const QVariantMap &altro)
{
    for (auto it = altro.begin(); it != altro.end(); ++it)
        m.insert(it.key(), it.value());
    return m;
}

QWidget *controllo(FinestraDiProva &f, const QString &nome)
{
    return f.w->findChild<QWidget *>(nome);
}

// Brings the field's view on screen: the shop panel with the tree's root
// selected (and the tab of a shop text), or the " Sito" or "Internet" view.
bool mostra(FinestraDiProva &f, QWidget *campo)
{
    VERIFICA(campo);
    if (f.w->vistaNegozio()->isAncestorOf(campo)) {
        f.w->selezionaScheda(QStringLiteral("kReparti"));
        VERIFICA(clicNodo(f.w, QStringLiteral("Negozio")));
        auto *schede = figlio<QTabWidget>(f.w->vistaNegozio(), QStringLiteral("tabTesti"));
        VERIFICA(schede);
        if (const int i = schede->indexOf(campo); i >= 0)
            schede->setCurrentIndex(i);
    } else {
        f.w->selezionaScheda(f.w->vistaSito()->isAncestorOf(campo) ? QStringLiteral("kSito")
                                                                   : QStringLiteral("kInternet"));
    }
    QCoreApplication::processEvents();
    return true;
}

// Gives the field the focus with a click; a number field then selects its
// whole text.
bool fuoco(QWidget *campo)
{
    VERIFICA(clic(campo));
    QTest::qWait(1);
    return true;
}

QWidget *destinatario(QWidget *campo)
{
    if (auto *lista = qobject_cast<QComboBox *>(campo); lista && lista->lineEdit())
        return lista->lineEdit();
    return campo;
}

// Empties a field with keys: select all (a number field does it when it
// gets the focus, the others with Ctrl+A), then Backspace.
bool svuota(QWidget *campo)
{
    VERIFICA(campo);
    QWidget *d = destinatario(campo);
    if (d->hasFocus()) {
        // Away and back: a number field selects its text as it gets the focus.
        QTest::keyClick(d, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QTest::qWait(1);
    } else {
        VERIFICA(fuoco(campo));
    }
    const auto *linea = qobject_cast<QLineEdit *>(d);
    if (!(linea && linea->hasSelectedText()))
        QTest::keyClick(d, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(d, Qt::Key_Backspace);
    return true;
}

// Pastes with Shift+Insert: the text goes in as it is.
void incolla(QWidget *campo, const QString &testo)
{
    QApplication::clipboard()->setText(testo);
    QTest::keyClick(destinatario(campo), Qt::Key_Insert, Qt::ShiftModifier);
}

void lascia(QWidget *campo)
{
    QTest::keyClick(destinatario(campo), Qt::Key_Tab);
}

// A mouse choice in a list: the list opens and the item is clicked.
bool scegli(QComboBox *lista, int indice)
{
    VERIFICA(lista);
    QTest::mouseClick(lista, Qt::LeftButton);
    QAbstractItemView *v = lista->view();
    VERIFICA(QTest::qWaitFor([v] { return v->isVisible(); }));
    // A list just opened ignores a release as quick as a double click's.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect r = v->visualRect(v->model()->index(indice, 0)).intersected(v->viewport()->rect());
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
    VERIFICA(QTest::qWaitFor([v] { return !v->isVisible(); }));
    return true;
}

QString testo(QWidget *campo)
{
    if (auto *l = qobject_cast<QLineEdit *>(campo))
        return l->text();
    if (auto *t = qobject_cast<QPlainTextEdit *>(campo))
        return t->toPlainText();
    if (auto *c = qobject_cast<QComboBox *>(campo))
        return c->currentText();
    return {};
}

} // namespace

class TestCampiGenerale : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void scritturaDeiCampi_data();
    void scritturaDeiCampi();
    void regole_data();
    void regole();
    void indirizziDigitatiOltre50_data();
    void indirizziDigitatiOltre50();
    void indirizzoLasciatoDaUnComando_data();
    void indirizzoLasciatoDaUnComando();
    void indirizziDerivati_data();
    void indirizziDerivati();
    void cartellaScrittaAManoResta();
    void valutaDopoIlCaricamento_data();
    void valutaDopoIlCaricamento();
    void valutaDopoLeModifiche();
    void cartelleFTP_data();
    void cartelleFTP();
    void valoriRifiutati_data();
    void valoriRifiutati();
    void listeSenzaTasti_data();
    void listeSenzaTasti();
    void pulsanti_data();
    void pulsanti();
    void testiDelNegozio();
    void ordineDelTab_data();
    void ordineDelTab();
};

void TestCampiGenerale::scritturaDeiCampi_data()
{
    // How the field is changed, the value then stored, and the event that
    // writes the record: "cambio" at once, "uscita" when the field is left,
    // "mai" only with the next write of the record.
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("azione");
    QTest::addColumn<QString>("valore");
    QTest::addColumn<QString>("salvato");
    QTest::addColumn<QString>("evento");
    const auto riga = [](const char *nome, const char *colonna, const char *azione, const char *valore,
                         const char *salvato, const char *evento) {
        QTest::newRow(nome) << nome << colonna << azione << valore << salvato << evento;
    };
    riga("txtEmail", "email", "digita", "shop@esempio.it", "shop@esempio.it", "cambio");
    riga("txtTitolo", "titolo", "digita", "Bottega", "Bottega", "mai");
    riga("txtTesti3", "recesso", "digita", "Recesso", "Recesso", "cambio");
    riga("txtScontoNegozio", "sconto", "digita", "15", "15", "mai");
    riga("txtFirma", "firma_email", "digita", "Grazie", "Grazie", "mai");
    riga("txtEmailOrdini", "email_ordini", "digita", "o@esempio.it", "o@esempio.it", "mai");
    riga("txtMinimo", "minimo", "digita", "25", "25", "uscita");
    riga("txtKeywords0", "keywords", "digita", "caffe", "caffe", "mai");
    riga("txtValuta1", "valuta2", "digita", "USD", "USD", "mai");
    riga("txtCambio", "cambio", "digita", "3", "3", "mai");
    riga("cboSendmail", "sendmail", "digita", "/bin/mail", "/bin/mail", "mai");
    // The site fields derive the search and order addresses, whose change
    // writes the record.
    riga("txtURL", "URL", "digita", "bottega.it", "bottega.it", "cambio");
    riga("txtCartella", "cartella", "digita", "negozio", "negozio", "cambio");
    riga("txtCGI", "cartellaCGI", "digita", "script", "script", "cambio");
    riga("txtFolderFTP", "folderFTP", "digita", "www/negozio", "www/negozio", "cambio");
    riga("txtFolderCGI", "folderCGI", "digita", "www/script", "www/script", "cambio");
    riga("chkNT", "serverNT", "clic", "", "true", "cambio");
    riga("txtHost", "hostname", "digita", "ftp.bottega.it", "ftp.bottega.it", "cambio");
    riga("txtUsername", "username", "digita", "mario", "mario", "cambio");
    riga("txtPassword", "password", "digita", "segreta", "segreta", "cambio");
    riga("chkVisSconto", "vis_sconto", "clic", "", "false", "mai");
    riga("chkCambio", "usa_cambio", "clic", "", "false", "mai");
    riga("optRicerca1", "operatorericerca", "clic", "", "1", "mai");
    riga("cboLivelli", "livelliaperti", "scelta", "2", "3", "mai");
    riga("cboVetrina", "colonnevetrina", "scelta", "4", "5", "mai");
    riga("cboNotazione", "notazione", "scelta", "1", "1", "mai");
}

void TestCampiGenerale::scritturaDeiCampi()
{
    QFETCH(QString, nome);
    QFETCH(QString, colonna);
    QFETCH(QString, azione);
    QFETCH(QString, valore);
    QFETCH(QString, salvato);
    QFETCH(QString, evento);
    const auto f = apriImpostazioni(base);
    QVERIFY(f->w);
    QWidget *campo = controllo(*f, nome);
    QVERIFY(campo);
    QVERIFY(mostra(*f, campo));
    QVERIFY(campo->isVisible() && campo->isEnabled());
    const QString prima = f->generale(colonna).toString();
    QVERIFY(prima != salvato);
    if (azione == QLatin1String("digita")) {
        QVERIFY(svuota(campo));
        QTest::keyClicks(destinatario(campo), valore);
    } else if (azione == QLatin1String("clic")) {
        QVERIFY(clic(campo));
    } else {
        QVERIFY(scegli(qobject_cast<QComboBox *>(campo), valore.toInt()));
    }
    QCOMPARE(f->generale(colonna).toString(), evento == QLatin1String("cambio") ? salvato : prima);
    if (azione == QLatin1String("digita"))
        lascia(campo);
    QCOMPARE(f->generale(colonna).toString(), evento == QLatin1String("mai") ? prima : salvato);
    // Any write of the record takes the pending edits with it.
    QVERIFY(f->w->dati().dataGenerale.scriviModifiche());
    QCOMPARE(f->generale(colonna).toString(), salvato);
    QVERIFY(f->messages.shown().empty());
}

void TestCampiGenerale::regole_data()
{
    // Steps: "t:" typed, "p:" pasted, "x" emptied, "tab" leaving, "ctrlv",
    // "ctrlc", "enter" those keys, "torna" leaving and coming back (a number
    // field then selects its text).
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QStringList>("passi");
    QTest::addColumn<QString>("atteso");
    const auto riga = [](const char *titolo, const char *nome, QStringList passi, const QString &atteso) {
        QTest::newRow(titolo) << nome << passi << atteso;
    };
    riga("punto diventa virgola", "txtCambio", {"x", "t:."}, ",");
    riga("un solo separatore", "txtCambio", {"x", "t:1.5.3"}, "1,53");
    riga("virgola ripetuta", "txtCambio", {"x", "t:1,5,3"}, "1,53");
    riga("lettere scartate", "txtCambio", {"x", "t:a1b2-"}, "12");
    riga("cambio negativo incollato", "txtCambio", {"x", "p:-1936,27"}, "1936,27");
    riga("Ctrl+V incolla, Ctrl+C e Invio no", "txtCambio", {"x", "t:12", "ctrlv", "ctrlc", "enter"}, "1299");
    riga("sconto svuotato e lasciato", "txtScontoNegozio", {"x", "tab"}, "0");
    riga("sconto svuotato", "txtScontoNegozio", {"x"}, "");
    riga("sconto oltre 100", "txtScontoNegozio", {"x", "t:150"}, "100");
    riga("sconto 100", "txtScontoNegozio", {"x", "t:100"}, "100");
    riga("sconto negativo incollato", "txtScontoNegozio", {"x", "p:-150"}, "100");
    riga("sconto di lettere", "txtScontoNegozio", {"x", "p:abc"}, "0");
    riga("sconto di lettere lasciato", "txtScontoNegozio", {"x", "p:abc", "tab"}, "0");
    riga("sconto con decimali", "txtScontoNegozio", {"x", "t:12.5"}, "12,5");
    riga("minimo: lettere su 20", "txtMinimo", {"x", "t:20", "torna", "p:abc"}, "20");
    riga("minimo svuotato", "txtMinimo", {"x", "tab"}, "");
    riga("minimo senza zeri", "txtMinimo", {"x", "t:007", "tab"}, "7");
    riga("minimo decimali", "txtMinimo", {"x", "t:10.50", "tab"}, "10,5");
    riga("minimo negativo", "txtMinimo", {"x", "p:-5"}, "5");
    riga("minimo negativo esatto", "txtMinimo", {"x", "p:-1234567,89"}, "1234567,89");
    riga("valuta di 60", "txtValuta0", {"x", QStringLiteral("t:") + QString(60, u'v')}, QString(60, u'v'));
    riga("valuta lasciata", "txtValuta0", {"x", QStringLiteral("t:") + QString(60, u'v'), "tab"}, QString(50, u'v'));
    // The address fields take every character typed; the address and the
    // shop's folder are cut to 50 when left.
    riga("indirizzo oltre 50", "txtURL", {"x", QStringLiteral("t:") + QString(60, u'u')}, QString(60, u'u'));
    riga("indirizzo oltre 50 lasciato", "txtURL", {"x", QStringLiteral("t:") + QString(60, u'u'), "tab"},
         QString(50, u'u'));
    riga("cartella oltre 50", "txtCartella", {"x", QStringLiteral("t:") + QString(60, u'c')}, QString(60, u'c'));
    riga("cartella oltre 50 lasciata", "txtCartella", {"x", QStringLiteral("t:") + QString(60, u'c'), "tab"},
         QString(50, u'c'));
    riga("script oltre 50", "txtCGI", {"x", QStringLiteral("t:") + QString(60, u's')}, QString(60, u's'));
    riga("indirizzo pieno riscritto", "txtURL", {"x", QStringLiteral("t:") + QString(50, u'u'), "torna", "t:abc"}, "abc");
    riga("firma senza a capo", "txtFirma", {"x", "t:a", "enter", "t:b"}, "ab");
    riga("parole senza a capo", "txtKeywords1", {"x", "t:a", "enter", "t:b"}, "ab");
    riga("firma: a capo incollato", "txtFirma", {"x", "p:a\nb"}, "a\nb");
    riga("titolo senza filtro", "txtTitolo", {"x", "t:a|[b]\\"}, "a|[b]\\");
    // The server's paths are one line: line breaks and other control
    // characters never reach them, typed or pasted.
    riga("Perl: a capo incollato", "cboPerl", {"x", "p:/usr/bin/perl\nsystem(1)"}, "/usr/bin/perlsystem(1)");
    riga("Perl: ritorno a capo incollato", "cboPerl", {"x", "p:/usr/bin/perl\r\n"}, "/usr/bin/perl");
    riga("Perl: opzioni", "cboPerl", {"x", "t:/usr/bin/perl -w"}, "/usr/bin/perl -w");
    riga("Sendmail: controllo incollato", "cboSendmail", {"x", QStringLiteral("p:/usr/sbin/sendmail -t\u0007\u007f")},
         "/usr/sbin/sendmail -t");
    riga("Sendmail: a capo incollato", "cboSendmail", {"x", "p:/usr/sbin/sendmail\r\n-t"}, "/usr/sbin/sendmail-t");
}

void TestCampiGenerale::regole()
{
    QFETCH(QString, nome);
    QFETCH(QStringList, passi);
    QFETCH(QString, atteso);
    const auto f = apriImpostazioni(base);
    QVERIFY(f->w);
    QWidget *campo = controllo(*f, nome);
    QVERIFY(campo);
    QVERIFY(mostra(*f, campo));
    QApplication::clipboard()->setText(QStringLiteral("99"));
    for (const QString &p : passi) {
        QWidget *d = destinatario(campo);
        if (p == QLatin1String("x"))
            QVERIFY(svuota(campo));
        else if (p.startsWith(QLatin1String("t:")))
            QTest::keyClicks(d, p.mid(2));
        else if (p.startsWith(QLatin1String("p:")))
            incolla(campo, p.mid(2));
        else if (p == QLatin1String("tab"))
            lascia(campo);
        else if (p == QLatin1String("torna")) {
            lascia(campo);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QTest::qWait(1);
        } else if (p == QLatin1String("ctrlv"))
            QTest::keyClick(d, Qt::Key_V, Qt::ControlModifier);
        else if (p == QLatin1String("ctrlc"))
            QTest::keyClick(d, Qt::Key_C, Qt::ControlModifier);
        else if (p == QLatin1String("enter"))
            QTest::keyClick(d, Qt::Key_Return);
    }
    QCOMPARE(testo(campo), atteso);
    QVERIFY(f->messages.shown().empty());
}

void TestCampiGenerale::indirizziDigitatiOltre50_data()
{
    // The field, the text typed over its own, whether it is then left, what
    // it shows and the record holds, and the message.
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("digitato");
    QTest::addColumn<bool>("lasciato");
    QTest::addColumn<QString>("mostrato");
    QTest::addColumn<QString>("salvato");
    QTest::addColumn<QString>("messaggio");
    // The address the field's text goes into: the scripts' addresses are
    // written at each change, the shop's is not stored.
    QTest::addColumn<QString>("derivato");
    const QString url = "www." + QString(56, u'u');
    const QString cartella = "negozio/" + QString(52, u'c');
    const QString script = "script/" + QString(53, u's');
    QTest::newRow("address, typing") << "txtURL" << "URL" << url << false << url << url.left(50) << ""
                                     << "txtCGIsearch";
    QTest::newRow("address, left") << "txtURL" << "URL" << url << true << url.left(50) << url.left(50) << ""
                                   << "txtCGIsearch";
    QTest::newRow("shop folder, typing") << "txtCartella" << "cartella" << cartella << false << cartella
                                         << cartella.left(50) << "" << "txtURLNegozio";
    // A paste goes in as it is, and is cut as the field is left.
    const QString incollato = "www." + QString(60, u'u') + ".it";
    QTest::newRow("address pasted, left") << "txtURL" << "URL" << "p:" + incollato << true << incollato.left(50)
                                          << incollato.left(50) << "" << "txtCGIsearch";
    QTest::newRow("shop folder, left") << "txtCartella" << "cartella" << cartella << true << cartella.left(50)
                                       << cartella.left(50) << "" << "txtURLNegozio";
    QTest::newRow("scripts folder, typing") << "txtCGI" << "cartellaCGI" << script << false << script
                                            << script.left(50) << "" << "txtCGIsearch";
    // The scripts' folder is not cut: the record refuses what it cannot
    // hold as the field is left, and the field shows what it holds.
    QTest::newRow("scripts folder, left")
        << "txtCGI" << "cartellaCGI" << script << true << script.left(50) << script.left(50)
        << "Il formato di alcuni dati non è valido\r\nCartella degli script: il testo è troppo lungo "
           "(al massimo 50 caratteri); il campo torna al valore salvato."
        << "txtCGIsearch";
}

void TestCampiGenerale::indirizziDigitatiOltre50()
{
    // Typed key by key: nothing is refused nor cut while the merchant
    // types; the derived addresses follow every key.
    QFETCH(QString, nome);
    QFETCH(QString, colonna);
    QFETCH(QString, digitato);
    QFETCH(bool, lasciato);
    QFETCH(QString, mostrato);
    QFETCH(QString, salvato);
    QFETCH(QString, messaggio);
    QFETCH(QString, derivato);
    const auto f = apriImpostazioni(con(base, {{"URL", "www.esempio.it"}}));
    QVERIFY(f->w);
    auto *campo = f->w->findChild<QLineEdit *>(nome);
    auto *indirizzo = f->w->findChild<QLineEdit *>(derivato);
    QVERIFY(indirizzo);
    QVERIFY(mostra(*f, campo));
    QVERIFY(svuota(campo));
    if (digitato.startsWith(QLatin1String("p:"))) {
        digitato = digitato.mid(2);
        incolla(campo, digitato);
    } else {
        QTest::keyClicks(campo, digitato);
    }
    QCOMPARE(campo->text(), digitato);
    QVERIFY2(indirizzo->text().contains(digitato), qPrintable(indirizzo->text()));
    if (QTest::currentDataTag() == QByteArray("address, typing"))
        QVERIFY(salvaSchermata(f->w, QStringLiteral("internet-indirizzo-lungo")));
    QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), f->w->impostazioni().txtCGIsearch);
    if (lasciato)
        lascia(campo);
    QCOMPARE(campo->text(), mostrato);
    QCOMPARE(f->generale(colonna).toString(), salvato);
    QCOMPARE(f->messages.texts(), messaggio.isEmpty() ? QStringList{} : QStringList{messaggio});
    if (lasciato) {
        // What the record holds, the addresses derive from.
        QCoreApplication::processEvents();
        QVERIFY2(indirizzo->text().contains(mostrato), qPrintable(indirizzo->text()));
        QVERIFY(!indirizzo->text().contains(digitato));
        QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), f->w->impostazioni().txtCGIsearch);
        QVERIFY(!f->w->dati().dataGenerale.modifichePendenti());
    }
}

void TestCampiGenerale::indirizzoLasciatoDaUnComando_data()
{
    // The field, what the merchant puts in (p: pasted, else typed; "<" goes
    // back to the start), how the field is left without a key or a click
    // on another field, what the record holds then, and the refusal shown.
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("inserito");
    QTest::addColumn<QString>("come");
    QTest::addColumn<QString>("salvato");
    QTest::addColumn<QString>("rifiuto");
    const QString url = "www." + QString(60, u'u') + ".it";
    const QString cartella = "negozio/" + QString(52, u'c');
    const QString script = "script/" + QString(53, u's');
    QTest::newRow("address pasted, window closed") << "txtURL" << "URL" << "p:" + url << "chiusura" << url.left(50)
                                                   << "";
    QTest::newRow("address pasted, build") << "txtURL" << "URL" << "p:" + url << "costruzione" << url.left(50) << "";
    QTest::newRow("address typed and mended, window closed")
        << "txtURL" << "URL" << url + "<x" << "chiusura" << ("x" + url).left(50) << "";
    QTest::newRow("shop folder pasted, window closed")
        << "txtCartella" << "cartella" << "p:" + cartella << "chiusura" << cartella.left(50) << "";
    // The scripts' folder is not cut: the record refuses it, as when it is left.
    QTest::newRow("scripts folder pasted, window closed")
        << "txtCGI" << "cartellaCGI" << "p:" + script << "chiusura" << ""
        << "Cartella degli script: il testo è troppo lungo (al massimo 50 caratteri)";
}

void TestCampiGenerale::indirizzoLasciatoDaUnComando()
{
    // The field still has the focus when the window is closed or the shop
    // is built (a toolbar button takes no focus): what is written is what
    // leaving the field keeps, with no refusal that leaving would not show.
    QFETCH(QString, nome);
    QFETCH(QString, colonna);
    QFETCH(QString, inserito);
    QFETCH(QString, come);
    QFETCH(QString, salvato);
    QFETCH(QString, rifiuto);
    const auto f = apriImpostazioni(con(base, {{"URL", "www.esempio.it"}, {"email", "ordini@esempio.it"}}));
    QVERIFY(f->w);
    auto *campo = f->w->findChild<QLineEdit *>(nome);
    QVERIFY(mostra(*f, campo));
    QVERIFY(svuota(campo));
    if (inserito.startsWith(QLatin1String("p:"))) {
        incolla(campo, inserito.mid(2));
    } else {
        const qsizetype inizio = inserito.indexOf(u'<');
        QTest::keyClicks(campo, inserito.left(inizio));
        QTest::keyClick(campo, Qt::Key_Home);
        QTest::keyClicks(campo, inserito.mid(inizio + 1));
    }
    QVERIFY(campo->hasFocus());
    QVERIFY(f->messages.texts().isEmpty());
    if (come == QLatin1String("chiusura")) {
        QPointer<frmMain> w = f->w;
        f->w->close();
        QCoreApplication::processEvents();
        if (!w)
            f->w = nullptr;
        auto db = Database::open(f->shop + QStringLiteral("/catalog.mdb"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT %1 FROM generale").arg(colonna)).toString(), salvato);
        db->close();
    } else {
        ProgramFolder::setPath(qEnvironmentVariable("VETRASTO_BIN"));  // the real template set
        f->messages.answer(Messages::Answer::No);  // "Vuoi vedere il risultato?"
        QVERIFY(clic(figlio<QWidget>(f->w, QStringLiteral("imgButton1"))));
        QCOMPARE(campo->text(), salvato);
        QCOMPARE(f->generale(colonna).toString(), salvato);
        QVERIFY2(f->messages.texts().size() == 1
                     && f->messages.texts()[0].startsWith(QStringLiteral("Creazione del negozio terminata.")),
                 qPrintable(f->messages.texts().join(u'|')));
    }
    const QStringList rifiuti = f->messages.texts().filter(QStringLiteral("troppo lungo"));
    if (rifiuto.isEmpty())
        QCOMPARE(rifiuti, QStringList{});
    else
        QVERIFY2(rifiuti.size() == 1 && rifiuti[0].contains(rifiuto), qPrintable(rifiuti.join(u'|')));
}

void TestCampiGenerale::indirizziDerivati_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("folderFTP");
    QTest::addColumn<QString>("folderCGI");
    QTest::addColumn<bool>("nt");
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<QString>("cgi");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("ricerca");
    QTest::addColumn<QString>("ordine");
    QTest::newRow("solo indirizzo") << "abc" << "" << "" << false << "" << "" << "http://abc/index.htm"
                                    << "http://abc/vtsearch24E.pl" << "http://abc/vtorder24E.pl";
    QTest::newRow("www e /cgi-bin/") << "abc" << "www" << "/cgi-bin/" << false << "" << "cgi-bin"
                                     << "http://abc/index.htm" << "http://abc/cgi-bin/vtsearch24E.pl"
                                     << "http://abc/cgi-bin/vtorder24E.pl";
    QTest::newRow("http e barra finale") << "HtTp://abc/" << "www/negozio" << "www/cgi-bin" << false << "negozio"
                                         << "cgi-bin" << "http://abc/negozio/index.htm"
                                         << "http://abc/cgi-bin/vtsearch1B00.pl" << "http://abc/cgi-bin/vtorder1B00.pl";
    QTest::newRow("maiuscole restano") << "abc" << "WWW/negozio" << "WWW/cgi" << false << "WWW/negozio" << "WWW/cgi"
                                       << "http://abc/WWW/negozio/index.htm" << "http://abc/WWW/cgi/vtsearch2E82.pl"
                                       << "http://abc/WWW/cgi/vtorder2E82.pl";
    QTest::newRow("barra iniziale resta") << "abc" << "/www/negozio" << "/www/cgi" << false << "/www/negozio" << "cgi"
                                          << "http://abc/www/negozio/index.htm" << "http://abc/cgi/vtsearch30C2.pl"
                                          << "http://abc/cgi/vtorder30C2.pl";
    QTest::newRow("httpdocs solo per le pagine") << "abc" << "httpdocs/cgi-bin" << "httpdocs/cgi-bin" << false
                                                 << "cgi-bin" << "httpdocs/cgi-bin" << "http://abc/cgi-bin/index.htm"
                                                 << "http://abc/httpdocs/cgi-bin/vtsearch17F0.pl"
                                                 << "http://abc/httpdocs/cgi-bin/vtorder17F0.pl";
    QTest::newRow("htdocs prima di httpd") << "abc" << "usr/local/etc/httpd/htdocs/n" << "usr/local/etc/httpd/cgi-bin"
                                           << false << "n" << "cgi-bin" << "http://abc/n/index.htm"
                                           << "http://abc/cgi-bin/vtsearch530.pl" << "http://abc/cgi-bin/vtorder530.pl";
    QTest::newRow("server windows") << "abc" << "public_html/negozio" << "public_html/cgi" << true
                                    << "public_html/negozio" << "public_html/cgi"
                                    << "http://abc/public_html/negozio/index.htm"
                                    << "http://abc/public_html/cgi/vtsearch6F62.pl" << "vtorder.asp";
    QTest::newRow("server windows senza indirizzo") << "" << "www/negozio" << "cgi-bin" << true << "www/negozio"
                                                    << "cgi-bin" << "" << "" << "";
    QTest::newRow("https") << "https://abc" << "" << "" << false << "" << "" << "https://abc/index.htm"
                           << "https://abc/vtsearch24E.pl" << "https://abc/vtorder24E.pl";
}

void TestCampiGenerale::indirizziDerivati()
{
    QFETCH(QString, url);
    QFETCH(QString, folderFTP);
    QFETCH(QString, folderCGI);
    QFETCH(bool, nt);
    QFETCH(QString, cartella);
    QFETCH(QString, cgi);
    QFETCH(QString, home);
    QFETCH(QString, ricerca);
    QFETCH(QString, ordine);
    const auto f = apriImpostazioni(con(base, {{"URL", ""}, {"cartellaCGI", ""}}));
    QVERIFY(f->w);
    VistaInternet *v = f->w->vistaInternet();
    FIGLIO(QLineEdit, txtURL, v);
    FIGLIO(QCheckBox, chkNT, v);
    FIGLIO(QComboBox, cboSendmail, v);
    FIGLIO(QComboBox, cboPerl, v);
    FIGLIO(QLineEdit, txtFolderFTP, v);
    FIGLIO(QLineEdit, txtFolderCGI, v);
    FIGLIO(QLineEdit, txtCartella, v);
    FIGLIO(QLineEdit, txtCGI, v);
    FIGLIO(QLineEdit, txtURLNegozio, v);
    FIGLIO(QLineEdit, txtCGIsearch, v);
    FIGLIO(QLineEdit, txtCGIOrdine, v);
    QVERIFY(mostra(*f, txtURL));
    if (nt)
        QVERIFY(clic(chkNT));
    QCOMPARE(cboSendmail->isEnabled(), !nt);
    QCOMPARE(cboPerl->isEnabled(), !nt);
    for (const auto &[campo, valore] : {std::pair{txtFolderFTP, folderFTP}, std::pair{txtFolderCGI, folderCGI},
                                        std::pair{txtURL, url}}) {
        QVERIFY(fuoco(campo));
        QTest::keyClicks(campo, valore);
    }
    QCOMPARE(txtCartella->text(), cartella);
    QCOMPARE(txtCGI->text(), cgi);
    QCOMPARE(txtURLNegozio->text(), home);
    QCOMPARE(txtCGIsearch->text(), ricerca);
    QCOMPARE(txtCGIOrdine->text(), ordine);
    // The derived addresses are written as they change.
    QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), ricerca);
    QCOMPARE(f->generale(QStringLiteral("CGIordine")).toString(), txtCGIOrdine->text());
    QVERIFY(f->messages.shown().empty());
}

void TestCampiGenerale::cartellaScrittaAManoResta()
{
    // Folders typed by hand beside remote folders that would derive others:
    // every opening shows them as stored and derives the addresses from them.
    const QVariantMap generale = con(base, {{"folderFTP", "www/negozio"}, {"cartella", "a-mano"},
                                            {"folderCGI", "www/cgi-bin"}, {"cartellaCGI", "script"},
                                            {"CGIsearch", "vecchio"}, {"CGIordine", "vecchio"}});
    const auto f = apriImpostazioni(generale);
    QVERIFY(f->w);
    for (int apertura = 0; apertura < 2; ++apertura) {
        VistaInternet *v = f->w->vistaInternet();
        FIGLIO(QLineEdit, txtCartella, v);
        FIGLIO(QLineEdit, txtCGI, v);
        FIGLIO(QLineEdit, txtURLNegozio, v);
        FIGLIO(QLineEdit, txtCGIsearch, v);
        QCOMPARE(txtCartella->text(), QStringLiteral("a-mano"));
        QCOMPARE(txtCGI->text(), QStringLiteral("script"));
        QCOMPARE(txtURLNegozio->text(), QStringLiteral("http://abc/a-mano/index.htm"));
        QCOMPARE(txtCGIsearch->text(), QStringLiteral("http://abc/script/vtsearch1434.pl"));
        QCOMPARE(f->generale(QStringLiteral("cartella")).toString(), QStringLiteral("a-mano"));
        QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), QStringLiteral("http://abc/script/vtsearch1434.pl"));
        QCOMPARE(f->generale(QStringLiteral("CGIordine")).toString(), QStringLiteral("http://abc/script/vtorder1434.pl"));
        QVERIFY(!f->w->dati().dataGenerale.modifichePendenti());
        // Closed and opened again on the same shop.
        f->w->close();
        delete f->w;
        f->avvio->mostraMain();
        f->w = f->avvio->finestra();
        QVERIFY(f->w);
    }
    // A change of the remote folder derives the shop folder again.
    VistaInternet *v = f->w->vistaInternet();
    FIGLIO(QLineEdit, txtFolderFTP, v);
    FIGLIO(QLineEdit, txtCartella, v);
    QVERIFY(mostra(*f, txtFolderFTP));
    QVERIFY(svuota(txtFolderFTP));
    QTest::keyClicks(txtFolderFTP, QStringLiteral("public_html/altro"));
    QCOMPARE(txtCartella->text(), QStringLiteral("altro"));
    QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), QStringLiteral("http://abc/script/vtsearch121A.pl"));
    QVERIFY(f->messages.shown().empty());
}

void TestCampiGenerale::valutaDopoIlCaricamento_data()
{
    QTest::addColumn<QVariantMap>("generale");
    QTest::addColumn<QStringList>("prefissi");
    QTest::addColumn<double>("tasso");
    QTest::addColumn<QStringList>("separatori");  // decimals, thousands
    QTest::addColumn<QStringList>("formati");
    QTest::addColumn<int>("notazione");            // the list's selection
    QTest::addColumn<bool>("secondaria");          // second currency's fields enabled
    QTest::newRow("italiana") << QVariantMap{{"valuta1", " Euro "}, {"valuta2", "Lire"}, {"cambio", 0.5},
                                             {"notazione", "0"}, {"decimali1", true}, {"decimali2", false},
                                             {"usa_cambio", true}}
                              << QStringList{"Euro ", "Lire "} << 0.5 << QStringList{",", "."}
                              << QStringList{"0.00", "0"} << 0 << true;
    QTest::newRow("inglese") << QVariantMap{{"valuta1", "$"}, {"valuta2", ""}, {"cambio", 1936.27},
                                            {"notazione", "1"}, {"decimali1", false}, {"decimali2", true},
                                            {"usa_cambio", false}}
                             << QStringList{"$ ", " "} << 1936.27 << QStringList{".", ","}
                             << QStringList{"0", "0.00"} << 1 << false;
    QTest::newRow("notazione vuota") << QVariantMap{{"valuta1", ""}, {"valuta2", ""}, {"cambio", QVariant()},
                                                    {"notazione", ""}, {"decimali1", false}, {"decimali2", false},
                                                    {"usa_cambio", true}}
                                     << QStringList{" ", " "} << 0.0 << QStringList{"", ""}
                                     << QStringList{"0", "0"} << -1 << true;
    QTest::newRow("notazione sconosciuta") << QVariantMap{{"valuta1", "€"}, {"notazione", "7"}, {"cambio", -2},
                                                          {"usa_cambio", true}}
                                           << QStringList{"€ ", " "} << 2.0 << QStringList{"", ""}
                                           << QStringList{"0.00", "0.00"} << -1 << true;
}

void TestCampiGenerale::valutaDopoIlCaricamento()
{
    QFETCH(QVariantMap, generale);
    QFETCH(QStringList, prefissi);
    QFETCH(double, tasso);
    QFETCH(QStringList, separatori);
    QFETCH(QStringList, formati);
    QFETCH(int, notazione);
    QFETCH(bool, secondaria);
    const auto f = apriImpostazioni(generale);
    QVERIFY(f->w);
    const ShopState &s = f->negozio().state;
    QCOMPARE((QStringList{s.PrefissoValuta1, s.PrefissoValuta2}), prefissi);
    QCOMPARE(s.TassoCambio, tasso);
    QCOMPARE((QStringList{s.SeparatoreDecimali, s.SeparatoreMigliaia}), separatori);
    QCOMPARE((QStringList{s.FormatoDecimali1, s.FormatoDecimali2}), formati);
    VistaSito *v = f->w->vistaSito();
    FIGLIO(QComboBox, cboNotazione, v);
    FIGLIO(QLineEdit, txtValuta1, v);
    FIGLIO(QLineEdit, txtCambio, v);
    FIGLIO(QCheckBox, chkDecimali1, v);
    QCOMPARE(cboNotazione->currentIndex(), notazione);
    QCOMPARE(txtValuta1->isEnabledTo(v), secondaria);
    QCOMPARE(txtCambio->isEnabledTo(v), secondaria);
    QCOMPARE(chkDecimali1->isEnabledTo(v), secondaria);
    QVERIFY(!f->w->dati().dataGenerale.modifichePendenti());
}

void TestCampiGenerale::valutaDopoLeModifiche()
{
    const auto f = apriImpostazioni(con(base, {{"valuta1", "Euro"}, {"decimali1", false}, {"operatorericerca", ""}}));
    QVERIFY(f->w);
    VistaSito *v = f->w->vistaSito();
    FIGLIO(QComboBox, cboNotazione, v);
    FIGLIO(QLineEdit, txtNotazione, v);
    FIGLIO(QLineEdit, txtValuta0, v);
    FIGLIO(QCheckBox, chkDecimali0, v);
    FIGLIO(QLineEdit, txtCambio, v);
    FIGLIO(QCheckBox, chkCambio, v);
    FIGLIO(QLineEdit, txtValuta1, v);
    FIGLIO(QCheckBox, chkDecimali1, v);
    FIGLIO(QRadioButton, optRicerca0, v);
    FIGLIO(QRadioButton, optRicerca1, v);
    FIGLIO(QLineEdit, txtRicerca, v);
    FIGLIO(QLineEdit, txtMID, v);
    ShopState &s = f->negozio().state;
    QVERIFY(mostra(*f, cboNotazione));
    // The notation list writes the hidden field, which sets the separators.
    QVERIFY(scegli(cboNotazione, 1));
    QCOMPARE(txtNotazione->text(), QStringLiteral("1"));
    QCOMPARE(s.SeparatoreDecimali, QStringLiteral("."));
    QCOMPARE(s.SeparatoreMigliaia, QStringLiteral(","));
    QVERIFY(fuoco(cboNotazione));
    QTest::keyClick(cboNotazione, Qt::Key_Up);
    QCOMPARE(txtNotazione->text(), QStringLiteral("0"));
    QCOMPARE(s.SeparatoreDecimali, QStringLiteral(","));
    // A currency name is the prefix as typed, and as cut when it is left.
    QVERIFY(svuota(txtValuta0));
    QTest::keyClicks(txtValuta0, QStringLiteral(" ") + QString(60, u'L'));
    QCOMPARE(s.PrefissoValuta1, QString(60, u'L') + u' ');
    lascia(txtValuta0);
    QCOMPARE(s.PrefissoValuta1, QString(49, u'L') + u' ');
    // The decimals boxes.
    QCOMPARE(s.FormatoDecimali1, QStringLiteral("0"));
    QVERIFY(clic(chkDecimali0));
    QCOMPARE(s.FormatoDecimali1, QStringLiteral("0.00"));
    // The exchange rate follows the numbers typed and keeps its value
    // through texts that are not numbers.
    QVERIFY(svuota(txtCambio));
    QCOMPARE(s.TassoCambio, 2.0);
    QTest::keyClicks(txtCambio, QStringLiteral(","));
    QCOMPARE(s.TassoCambio, 2.0);
    QTest::keyClicks(txtCambio, QStringLiteral("5"));
    QCOMPARE(s.TassoCambio, 0.5);
    QVERIFY(svuota(txtCambio));
    incolla(txtCambio, QStringLiteral("-1936,27"));
    QCOMPARE(txtCambio->text(), QStringLiteral("1936,27"));
    QCOMPARE(s.TassoCambio, 1936.27);
    // The second currency switched off keeps its values and the rate.
    QVERIFY(clic(chkCambio));
    QVERIFY(!txtValuta1->isEnabled() && !txtCambio->isEnabled() && !chkDecimali1->isEnabled());
    QCOMPARE(txtCambio->text(), QStringLiteral("1936,27"));
    QCOMPARE(s.TassoCambio, 1936.27);
    // The search options and their hidden field.
    QVERIFY(!optRicerca0->isChecked() && !optRicerca1->isChecked());
    QVERIFY(clic(optRicerca1));
    QCOMPARE(txtRicerca->text(), QStringLiteral("1"));
    QVERIFY(clic(optRicerca0));
    QCOMPARE(txtRicerca->text(), QStringLiteral("0"));
    // The hidden fields stay hidden.
    for (QWidget *nascosto : {static_cast<QWidget *>(txtRicerca), static_cast<QWidget *>(txtNotazione),
                              static_cast<QWidget *>(txtMID)})
        QVERIFY(!nascosto->isVisible());
    QVERIFY(!txtMID->isEnabled());
    QVERIFY(f->messages.shown().empty());
}

void TestCampiGenerale::cartelleFTP_data()
{
    QTest::addColumn<QStringList>("salvati");  // host, user name, password in the record
    QTest::addColumn<QStringList>("digitati");  // then typed after them
    QTest::addColumn<bool>("abilitato");
    QTest::newRow("caricati") << QStringList{"h", "u", "p"} << QStringList{"", "", ""} << true;
    QTest::newRow("digitati") << QStringList{"", "", ""} << QStringList{"ftp.it", "mario", "segreta"} << true;
    QTest::newRow("senza password") << QStringList{"", "", ""} << QStringList{"ftp.it", "mario", ""} << false;
    QTest::newRow("password di spazi") << QStringList{"", "", ""} << QStringList{"ftp.it", "mario", "   "} << false;
    QTest::newRow("senza host") << QStringList{"", "", ""} << QStringList{"", "mario", "segreta"} << false;
    QTest::newRow("utente di spazi") << QStringList{"", "", ""} << QStringList{"ftp.it", "  ", "segreta"} << false;
    QTest::newRow("nulla") << QStringList{"", "", ""} << QStringList{"", "", ""} << false;
}

void TestCampiGenerale::cartelleFTP()
{
    QFETCH(QStringList, salvati);
    QFETCH(QStringList, digitati);
    QFETCH(bool, abilitato);
    const auto f = apriImpostazioni(con(base, {{"hostname", salvati[0]}, {"username", salvati[1]}, {"password", salvati[2]}}));
    QVERIFY(f->w);
    VistaInternet *v = f->w->vistaInternet();
    FIGLIO(QLineEdit, txtHost, v);
    FIGLIO(QLineEdit, txtUsername, v);
    FIGLIO(QLineEdit, txtPassword, v);
    FIGLIO(QToolButton, cmdCart0, v);
    FIGLIO(QToolButton, cmdCart1, v);
    QVERIFY(mostra(*f, txtHost));
    QLineEdit *campi[3] = {txtHost, txtUsername, txtPassword};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(fuoco(campi[i]));
        QTest::keyClicks(campi[i], digitati[i]);
    }
    const RegistroComandi &c = f->w->comandi();
    const auto verifica = [&](bool atteso) {
        CONFRONTA(c.abilitato(QStringLiteral("cartelle FTP")), atteso);
        CONFRONTA(c.azione(Cmd::CartellaFTPNegozio)->isEnabled(), atteso);
        CONFRONTA(c.azione(Cmd::CartellaFTPScript)->isEnabled(), atteso);
        CONFRONTA(cmdCart0->isEnabled(), atteso);
        CONFRONTA(cmdCart1->isEnabled(), atteso);
        return true;
    };
    QVERIFY(verifica(abilitato));
    if (abilitato) {
        // Clearing the password switches them off again.
        QVERIFY(svuota(txtPassword));
        QVERIFY(verifica(false));
        QCOMPARE(f->generale(QStringLiteral("password")).toString(), QString());
    }
}

void TestCampiGenerale::valoriRifiutati_data()
{
    // The field, what it receives, the field whose change then writes the
    // record, and the message.
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("valore");
    QTest::addColumn<QString>("scrittore");
    QTest::addColumn<QString>("rifiutato");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("messaggio");
    const QString formato = QStringLiteral("Il formato di alcuni dati non è valido\r\n");
    const QString torna = QStringLiteral("; il campo torna al valore salvato.");
    QTest::newRow("titolo troppo lungo") << "txtTitolo" << QString(300, u't') << "txtEmail" << "txtTitolo" << "titolo"
                                         << formato + "Titolo del negozio: il testo è troppo lungo "
                                                      "(al massimo 255 caratteri)" + torna;
    QTest::newRow("minimo troppo grande") << "txtMinimo" << "99999999999999999999" << "" << "txtMinimo" << "minimo"
                                          << formato + "Ordine minimo: il numero è troppo grande" + torna;
    QTest::newRow("cartella derivata troppo lunga") << "txtFolderFTP" << "www/" + QString(60, u'f') << ""
                                                    << "txtCartella" << "cartella"
                                                    << formato + "Cartella del negozio: il testo è "
                                                                 "troppo lungo (al massimo 50 caratteri)" + torna;
    QTest::newRow("cartella degli script troppo lunga") << "txtFolderCGI" << "www/" + QString(60, u's') << ""
                                                        << "txtCGI" << "cartellaCGI"
                                                        << formato + "Cartella degli script: il testo "
                                                                     "è troppo lungo (al massimo 50 caratteri)" + torna;
}

void TestCampiGenerale::valoriRifiutati()
{
    QFETCH(QString, nome);
    QFETCH(QString, valore);
    QFETCH(QString, scrittore);
    QFETCH(QString, rifiutato);
    QFETCH(QString, colonna);
    QFETCH(QString, messaggio);
    const auto f = apriImpostazioni(base);
    QVERIFY(f->w);
    QWidget *campo = controllo(*f, nome);
    QLineEdit *tornato = f->w->findChild<QLineEdit *>(rifiutato);
    QVERIFY(mostra(*f, campo));
    QVERIFY(svuota(campo));
    incolla(campo, valore);
    lascia(campo);
    if (!scrittore.isEmpty()) {
        QWidget *s = controllo(*f, scrittore);
        QVERIFY(mostra(*f, s));
        QVERIFY(fuoco(s));
        QTest::keyClicks(s, QStringLiteral("x"));
    }
    QCOMPARE(f->messages.texts(), QStringList{messaggio});
    QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::None);
    // The field shows what is stored; the other edits are written.
    QCOMPARE(tornato->text(), f->generale(colonna).toString().replace(u'.', u','));
    QVERIFY(tornato->text().size() < 50);
    QCoreApplication::processEvents();
    QVERIFY(!f->w->dati().dataGenerale.modifichePendenti());
    // The addresses follow the stored folders again.
    VistaInternet *v = f->w->vistaInternet();
    FIGLIO(QLineEdit, txtCGIsearch, v);
    QCOMPARE(f->generale(QStringLiteral("CGIsearch")).toString(), txtCGIsearch->text());
    QVERIFY(!txtCGIsearch->text().contains(QString(10, valore.back())));
    if (nome == QLatin1String("txtFolderFTP"))
        QCOMPARE(f->generale(QStringLiteral("folderFTP")).toString(), valore);
    if (!scrittore.isEmpty())
        QCOMPARE(f->generale(QStringLiteral("email")).toString(), QStringLiteral("x"));
}

void TestCampiGenerale::listeSenzaTasti_data()
{
    QTest::addColumn<QString>("nome");
    QTest::newRow("livelli") << "cboLivelli";
    QTest::newRow("vetrina") << "cboVetrina";
}

void TestCampiGenerale::listeSenzaTasti()
{
    QFETCH(QString, nome);
    const auto f = apriImpostazioni(con(base, {{"livelliaperti", "2"}, {"colonnevetrina", "2"}}));
    QVERIFY(f->w);
    auto *lista = f->w->findChild<QComboBox *>(nome);
    QVERIFY(mostra(*f, lista));
    lista->setFocus();
    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_End, Qt::Key_4, Qt::Key_Space})
        QTest::keyClick(lista, k);
    QTest::keyClick(lista, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(!lista->view()->isVisible());
    QWheelEvent rotella(QPointF(5, 5), lista->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, {},
                        Qt::NoScrollPhase, false);
    QApplication::sendEvent(lista, &rotella);
    QCOMPARE(lista->currentText(), QStringLiteral("2"));
    // Tab still moves on.
    QTest::keyClick(lista, Qt::Key_Tab);
    QVERIFY(!lista->hasFocus());
    QVERIFY(scegli(lista, 3));
    QCOMPARE(lista->currentText(), QStringLiteral("4"));
}

void TestCampiGenerale::pulsanti_data()
{
    QTest::addColumn<QString>("nome");
    QTest::addColumn<int>("comando");
    QTest::addColumn<bool>("conAccount");
    QTest::newRow("cmdSpese") << "cmdSpese" << int(Cmd::Spedizione) << false;
    QTest::newRow("cmdConfiguraPG") << "cmdConfiguraPG" << int(Cmd::SistemiPagamento) << false;
    QTest::newRow("cmdAvanzate") << "cmdAvanzate" << int(Cmd::ImpostazioniAvanzate) << false;
    QTest::newRow("cmdCart0 senza account") << "cmdCart0" << -1 << false;
    QTest::newRow("cmdCart0") << "cmdCart0" << int(Cmd::CartellaFTPNegozio) << true;
    QTest::newRow("cmdCart1") << "cmdCart1" << int(Cmd::CartellaFTPScript) << true;
}

void TestCampiGenerale::pulsanti()
{
    QFETCH(QString, nome);
    QFETCH(int, comando);
    QFETCH(bool, conAccount);
    const QVariantMap account{{"hostname", "h"}, {"username", "u"}, {"password", "p"}};
    const auto f = apriImpostazioni(conAccount ? con(base, account) : base);
    QVERIFY(f->w);
    QWidget *b = controllo(*f, nome);
    QVERIFY(mostra(*f, b));
    QVERIFY(b->isVisible());
    // What the command opens is another window's business: only the command
    // sent is looked at here.
    QObject::disconnect(&f->w->comandi(), &RegistroComandi::comandoScelto, f->w, nullptr);
    QSignalSpy comandi(&f->w->comandi(), &RegistroComandi::comandoScelto);
    QTest::mouseClick(b, Qt::LeftButton);
    if (comando < 0) {
        QVERIFY(comandi.isEmpty());
    } else {
        QCOMPARE(comandi.size(), 1);
        QCOMPARE(comandi.at(0).at(0).toInt(), comando);
    }
}

void TestCampiGenerale::testiDelNegozio()
{
    // Each tab shows its text alone, and a change of it writes its own field.
    const auto f = apriImpostazioni(base);
    QVERIFY(f->w);
    VistaNegozio *v = f->w->vistaNegozio();
    FIGLIO(QLineEdit, txtTitolo, v);
    FIGLIO(QTabWidget, tabTesti, v);
    QVERIFY(mostra(*f, txtTitolo));
    const char *colonne[7] = {"home1", "home2", "condizioni", "recesso", "datipers", "testo1", "testo2"};
    QTabBar *schede = tabTesti->tabBar();
    for (int p = 6; p >= 0; --p) {
        QTest::mouseClick(schede, Qt::LeftButton, {}, schede->tabRect(p).center());
        QCOMPARE(schede->tabText(p), QString::fromUtf8(VistaNegozio::titoliTesti()[size_t(p)]));
        for (int i = 0; i < 7; ++i) {
            const auto *t = figlio<QPlainTextEdit>(v, QStringLiteral("txtTesti%1").arg(i));
            QVERIFY(t);
            QCOMPARE(t->isVisible(), i == p);
            QCOMPARE(t->isEnabled(), i == p);
        }
        auto *testo = figlio<QPlainTextEdit>(v, QStringLiteral("txtTesti%1").arg(p));
        QVERIFY(fuoco(testo));
        QTest::keyClicks(testo, QStringLiteral("testo %1").arg(p));
        QTest::keyClick(testo, Qt::Key_Return);
        QTest::keyClicks(testo, QStringLiteral("fine"));
        QCOMPARE(f->generale(QString::fromLatin1(colonne[p])).toString(), QStringLiteral("testo %1\r\nfine").arg(p));
    }
}

void TestCampiGenerale::ordineDelTab_data()
{
    // From the first field of a view, Tab visits the fields in the order
    // they stand on screen (derived addresses take no Tab).
    QTest::addColumn<QString>("primo");
    QTest::addColumn<QStringList>("seguenti");
    QTest::newRow("internet") << "txtURL"
                              << QStringList{"txtCartella", "txtCGI", "chkNT", "cboSendmail", "cboPerl", "txtHost",
                                             "txtUsername", "txtPassword", "txtFolderFTP", "cmdCart0",
                                             "txtFolderCGI", "cmdCart1", "cmdAvanzate"};
    QTest::newRow("valuta") << "txtValuta0"
                            << QStringList{"chkDecimali0", "chkCambio", "txtValuta1", "chkDecimali1", "txtCambio",
                                           "cboNotazione", "chkIvaCompresa"};
    QTest::newRow("negozio") << "txtEmail" << QStringList{"txtTitolo"};
}

void TestCampiGenerale::ordineDelTab()
{
    QFETCH(QString, primo);
    QFETCH(QStringList, seguenti);
    const auto f = apriImpostazioni(con(base, {{"hostname", "h"}, {"username", "u"}, {"password", "p"}}));
    QVERIFY(f->w);
    QWidget *campo = controllo(*f, primo);
    QVERIFY(mostra(*f, campo));
    QVERIFY(fuoco(campo));
    QStringList visitati;
    for (int i = 0; i < seguenti.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *w = QApplication::focusWidget();
        if (qobject_cast<QComboBox *>(w->parentWidget()))
            w = w->parentWidget();
        visitati << w->objectName();
    }
    QCOMPARE(visitati, seguenti);
}

QTEST_MAIN(TestCampiGenerale)
#include "test_campigenerale.moc"

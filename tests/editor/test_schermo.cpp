// Every window of the program on the screen it runs on: the offscreen
// platform's screen, 1280x800 or 1024x680 (the test runs at both). The main
// window opens inside the screen's available area and keeps its size, place
// and maximized state for the user, when the program starts again and when
// another shop is opened; every view, dialog and message box the merchant
// meets fits the screen with its buttons in reach and speaks Italian. Each
// is photographed as <name>-<size>.png in the test output.
#include "finestraprova.h"

#include "boxmessages.h"
#include "programfolder.h"
#include "serverftp.h"
#include "settings.h"
#include "shell.h"
#include "traduzioni.h"
#include "vistaarticoli.h"
#include "zendarojet.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

namespace {

QString demo() { return qEnvironmentVariable("VETRASTO_BIN") + QStringLiteral("/demo"); }

QRect schermo() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// "1024x680": the screen's size, in the screenshots' names.
QString misura()
{
    const QSize s = QGuiApplication::primaryScreen()->size();
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

// The window photographed as <nome>-<size>.png and checked on its screen.
bool controlla(QWidget *w, const QString &nome)
{
    VERIFICA(w);
    VERIFICA(salvaSchermata(w, nome + u'-' + misura()));
    VERIFICA(verificaImpaginazione(w));
    return true;
}

// The settings a dialog of the Internet view needs: an account and a
// server's folders.
const QVariantMap conAccount{{"hostname", "127.0.0.1"}, {"username", "negozio"}, {"password", "segreta"},
                             {"folderFTP", "www/negozio"}, {"folderCGI", "cgi-bin"}};

// A walk that stalls (a dialog whose check failed, or one left open, so
// that the next one never comes) ends: after 20 seconds every modal dialog
// is closed, and `scaduto` is set for the test to fail on (with Stallo).
void chiudiPerTempo(QObject &guardia, bool &scaduto)
{
    auto *scadenza = new QTimer(&guardia);
    QObject::connect(scadenza, &QTimer::timeout, [fine = QDeadlineTimer(20000), &scaduto] {
        if (fine.hasExpired())
            if (QWidget *m = QApplication::activeModalWidget()) {
                scaduto = true;
                m->close();
            }
    });
    scadenza->start(100);
}
constexpr char Stallo[] = "a dialog stayed open until the walk's deadline closed it";

// The program closed with "Esci" and started again on the same shop.
bool riavvia(FinestraDiProva &f)
{
    VERIFICA(sceltaDaMenu(f.w, {QStringLiteral("File"), QStringLiteral("Esci")}));
    VERIFICA(QTest::qWaitFor([&f] { return !f.avvio->finestra(); }));
    f.w = nullptr;
    avvia(f);
    VERIFICA(f.w);
    return true;
}

} // namespace

class TestSchermo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void primoAvvio();
    void schede_data();
    void schede();
    void colonneInternet();
    void postoRicordato_data();
    void postoRicordato();
    void postoFuoriSchermo();
    void dialoghi_data();
    void dialoghi();
    void messaggioLungo();
    void avvisi_data();
    void avvisi();
    void costruzioneEAggiornamento();
    void sceltaCartella_data();
    void sceltaCartella();
    void cartelleRemote();
    void ricerca();
    void importazione();
};

void TestSchermo::initTestCase()
{
    // As the program starts: numbers and Qt's own texts in Italian.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QVERIFY(installaTraduzioni());
    QVERIFY2(QFile::exists(demo() + QStringLiteral("/catalog.mdb")), "the demo shop of the build (VETRASTO_BIN/demo)");
}

void TestSchermo::primoAvvio()
{
    // No size remembered: 1280x800, or as much of the screen as there is.
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    const QRect area = schermo();
    QVERIFY2(area.contains(f->w->frameGeometry()), qPrintable(misura()));
    QVERIFY(f->w->width() >= std::min(1280, area.width() - 40));
    QVERIFY(f->w->height() >= std::min(800, area.height() - 60));
    QVERIFY(f->w->width() <= 1280 && f->w->height() <= 800);
    QVERIFY(controlla(f->w, QStringLiteral("frmMain")));
}

void TestSchermo::schede_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("nodo");
    QTest::addColumn<QStringList>("pannelli");
    QTest::newRow("reparti") << "kReparti" << "Caffè" << QStringList{"picCategorie1", "picCategorie2"};
    QTest::newRow("articoli") << "kArticoli" << "Caffè" << QStringList{"picArticoli0", "picArticoli1"};
    QTest::newRow("negozio") << "kReparti" << "Negozio" << QStringList{"picNegozio"};
    QTest::newRow("sito") << "kSito" << "Caffè" << QStringList{"picSito"};
    QTest::newRow("internet") << "kInternet" << "Caffè" << QStringList{"picGenerale"};
}

void TestSchermo::schede()
{
    QFETCH(QString, scheda);
    QFETCH(QString, nodo);
    QFETCH(QStringList, pannelli);
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, nodo));
    // The view's tab clicked where it shows.
    QTabBar *schede = f->w->tabGestione();
    for (int i = 0; i < schede->count(); ++i)
        if (schede->tabData(i).toString() == scheda)
            QTest::mouseClick(schede, Qt::LeftButton, {}, schede->tabRect(i).center());
    QCOMPARE(f->w->schedaCorrente(), scheda);
    for (const QString &p : pannelli)
        QVERIFY2(f->w->findChild<QWidget *>(p)->isVisible(), qPrintable(p));
    QVERIFY(controlla(f->w, QStringLiteral("vista-") + QString::fromLatin1(QTest::currentDataTag())));
    // The article list keeps a few rows in sight.
    if (scheda == QLatin1String("kArticoli")) {
        auto *g = figlio<QTableView>(f->w->vistaArticoli(), QStringLiteral("gridArticoli"));
        QVERIFY(g);
        QVERIFY(g->viewport()->height() >= 5 * g->verticalHeader()->defaultSectionSize());
    }
    QVERIFY(f->messages.shown().empty());
}

void TestSchermo::colonneInternet()
{
    // The "Internet" view's two columns stay where the layout puts them
    // while the site's address and folders are typed, however long the
    // addresses derived from them grow.
    const auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Caffè")));
    f->w->selezionaScheda(QStringLiteral("kInternet"));
    QWidget *vista = f->w->findChild<QWidget *>(QStringLiteral("picGenerale"));
    QVERIFY(vista && vista->isVisible());
    const QStringList nomi = {"fraURL", "fraPerl", "fraFTP", "txtURL", "txtURLNegozio", "txtCGIsearch", "txtCGIOrdine",
                              "txtHost", "txtFolderFTP"};
    const auto geometrie = [&] {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        QStringList g;
        for (const QString &n : nomi) {
            const QWidget *w = vista->findChild<QWidget *>(n);
            const QRect r = w ? QRect(w->mapTo(vista, QPoint(0, 0)), w->size()) : QRect();
            g << QStringLiteral("%1 %2,%3 %4x%5").arg(n).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        return g;
    };
    const QStringList prima = geometrie();
    QVERIFY(salvaSchermata(f->w, QStringLiteral("vista-internet-breve-") + misura()));
    const std::pair<const char *, QString> campi[] = {
        {"txtURL", QStringLiteral("www.un-negozio-dal-nome-davvero-molto-lungo.it")},
        {"txtCartella", QStringLiteral("cartella-del-negozio-con-un-nome-lunghissimo")},
        {"txtCGI", QStringLiteral("cartella-degli-script-con-un-nome-lunghissimo")},
    };
    for (const auto &[nome, testo] : campi) {
        auto *campo = vista->findChild<QLineEdit *>(QLatin1String(nome));
        QVERIFY(campo);
        QVERIFY(riscrivi(campo, QString()));
        for (const QChar c : testo) {
            QTest::keyClick(campo, c.toLatin1());
            QCOMPARE(geometrie(), prima);
        }
    }
    auto *txtCGIsearch = vista->findChild<QLineEdit *>(QStringLiteral("txtCGIsearch"));
    QVERIFY(txtCGIsearch->text().contains(campi[0].second));
    QCOMPARE(txtCGIsearch->toolTip(), txtCGIsearch->text());
    QVERIFY(salvaSchermata(f->w, QStringLiteral("vista-internet-lungo-") + misura()));
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
}

void TestSchermo::postoRicordato_data()
{
    QTest::addColumn<bool>("ingrandita");
    QTest::newRow("normale") << false;
    QTest::newRow("ingrandita") << true;
}

void TestSchermo::postoRicordato()
{
    // The merchant's size and place (and the maximized state) stay when
    // another shop is opened and when the program starts again.
    QFETCH(bool, ingrandita);
    auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    const QRect posto(schermo().topLeft() + QPoint(31, 23), QSize(760, 540));
    f->w->setGeometry(posto);
    if (ingrandita)
        f->w->showMaximized();
    QTRY_COMPARE(f->w->isMaximized(), ingrandita);
    const QString altro = f->program.newShop(QStringLiteral("altro"));
    Shell::impostaSceltaCartella([&altro](const QString &, const QString &) { return altro; });
    QPointer<frmMain> prima = f->w;
    QVERIFY(sceltaDaMenu(f->w, {QStringLiteral("File"), QStringLiteral("Apri negozio...")}));
    Shell::impostaSceltaCartella({});
    QTRY_VERIFY(f->avvio->finestra() && f->avvio->finestra() != prima.data());
    QTRY_VERIFY(!prima);
    f->w = f->avvio->finestra();
    QCOMPARE(f->w->windowTitle(), QStringLiteral("Vetrasto - ") + altro);
    QTRY_VERIFY(f->w->isVisible());
    QCOMPARE(f->w->isMaximized(), ingrandita);
    QCOMPARE(f->w->normalGeometry(), posto);
    QVERIFY(riavvia(*f));
    QCOMPARE(f->w->isMaximized(), ingrandita);
    QCOMPARE(f->w->normalGeometry(), posto);
    if (ingrandita)
        QCOMPARE(f->w->frameGeometry(), schermo());
}

void TestSchermo::postoFuoriSchermo()
{
    // A place remembered on a larger screen, or on one no longer there,
    // comes back inside this one.
    auto f = apriImpostazioni({}, demo());
    QVERIFY(f->w);
    f->w->setGeometry(QRect(schermo().right() + 200, schermo().bottom() - 100, 1600, 1000));
    QVERIFY(riavvia(*f));
    QVERIFY2(schermo().contains(f->w->frameGeometry()), qPrintable(misura()));
    QVERIFY(controlla(f->w, QStringLiteral("frmMain-ritrovata")));
}

namespace {

// A window of the program, reached as the merchant reaches it.
struct Finestra {
    QString nome;  // its objectName, or the class of Qt's own dialogs
    // Opens it from the main window: the last click returns when the
    // dialog (and what it leads to) has closed.
    std::function<bool(FinestraDiProva &)> apri;
    // The dialogs it leads through, each passed with its action.
    std::vector<std::pair<QString, std::function<bool(QWidget *)>>> percorso = {};
};

bool clicIn(QWidget *w, const QString &nome)
{
    auto *b = figlio<QWidget>(w, nome);
    VERIFICA2(b, qPrintable(nome));
    return clic(b);
}

// A view's button, in the view shown with its tab.
std::function<bool(FinestraDiProva &)> pulsante(const QString &scheda, const QString &nodo, const QString &nome)
{
    return [=](FinestraDiProva &f) {
        VERIFICA(clicNodo(f.w, nodo));
        f.w->selezionaScheda(scheda);
        return clicIn(f.w, nome);
    };
}

std::function<bool(FinestraDiProva &)> menu(const QStringList &voci)
{
    return [=](FinestraDiProva &f) { return sceltaDaMenu(f.w, voci); };
}

// The payment system dialog of the chooser's button n.
Finestra sistema(const QString &nome, int n)
{
    return {nome, pulsante(QStringLiteral("kSito"), QStringLiteral("Caffè"), QStringLiteral("cmdConfiguraPG")),
            {{QStringLiteral("frmConfiguraPG"),
              [n](QWidget *d) { return clicIn(d, QStringLiteral("cmdConfigura%1").arg(n)); }}}};
}

const std::vector<Finestra> &elencoDialoghi()
{
    const QString sito = QStringLiteral("kSito"), internet = QStringLiteral("kInternet");
    const QString caffe = QStringLiteral("Caffè");
    const auto immagine = [](int n) {
        return [n](FinestraDiProva &f) { return clicIn(f.w, QStringLiteral("imgButton%1").arg(n)); };
    };
    static const std::vector<Finestra> d = {
        {"frmTemplate", immagine(0)},
        {"frmBrowse", menu({"File", "Cambia le cartelle di lavoro..."})},
        {"frmSpedizione", pulsante(sito, caffe, "cmdSpese")},
        {"frmConfiguraPG", pulsante(sito, caffe, "cmdConfiguraPG")},
        sistema("frmPG_Telepay", 0),
        sistema("frmPG_Sella", 1),
        sistema("frmPG_AuthorizeNet", 2),
        sistema("frmPG_PlanetPayment", 3),
        sistema("frmPG_Contrassegno", 4),
        sistema("frmPG_Anticipato", 5),
        {"frmOTP", pulsante(sito, caffe, "cmdConfiguraPG"),
         {{"frmConfiguraPG", [](QWidget *d) { return clicIn(d, QStringLiteral("cmdConfigura1")); }},
          {"frmPG_Sella", [](QWidget *d) {
               // frmOTP opens over it and is closed; then the bank dialog.
               VERIFICA(clicIn(d, QStringLiteral("cmdPwd")));
               QTest::keyClick(d, Qt::Key_Escape);
               return true;
           }}}},
        {"frmFirewall", pulsante(internet, caffe, "cmdAvanzate")},
        {"frmAvviso", immagine(2)},
        {"frmAbout", menu({"?", "Informazioni su..."})},
        {"frmOpzioni", pulsante("kArticoli", caffe, "cmdButton30")},
        {"frmImmagine", pulsante("kArticoli", caffe, "cmdButton9")},
        {"QMessageBox", menu({"File", "Pulisci le cartelle di lavoro..."})},
    };
    return d;
}

} // namespace

void TestSchermo::dialoghi_data()
{
    QTest::addColumn<int>("riga");
    int i = 0;
    for (const Finestra &d : elencoDialoghi())
        QTest::newRow(qPrintable(d.nome)) << i++;
}

void TestSchermo::dialoghi()
{
    QFETCH(int, riga);
    const Finestra &d = elencoDialoghi()[size_t(riga)];
    const auto f = apriImpostazioni({}, demo(), true);
    QVERIFY(f->w);
    QObject guardia;
    bool scaduto = false;
    chiudiPerTempo(guardia, scaduto);
    bool visto = false;
    for (const auto &[nome, azione] : d.percorso)
        alProssimoModale(guardia, nome, azione);
    alProssimoModale(guardia, d.nome, [&](QWidget *w) {
        visto = controlla(w, d.nome);
        QTest::keyClick(w, Qt::Key_Escape);
        return visto;
    });
    QVERIFY(d.apri(*f));
    QTRY_VERIFY(visto);
    QVERIFY2(!scaduto, Stallo);
}

void TestSchermo::messaggioLungo()
{
    // A message longer than the screen is tall still shows its button.
    BoxMessages scatole;
    QStringList righe;
    for (int i = 1; i <= 80; ++i)
        righe << QStringLiteral("Il reparto \"Reparto %1\" non ha pagine: il suo nome di pagina è già usato.").arg(i);
    QObject guardia;
    bool visto = false;
    alProssimoModale(guardia, QStringLiteral("QMessageBox"), [&](QWidget *w) {
        VERIFICA(controlla(w, QStringLiteral("messaggio-lungo")));
        // The whole text under "Mostra dettagli...", where it scrolls.
        const auto pulsante = [w](const char *testo) -> QAbstractButton * {
            for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
                if (b->text() == QLatin1String(testo))
                    return b;
            return nullptr;
        };
        VERIFICA(clic(pulsante("Mostra dettagli...")));
        auto *testo = w->findChild<QTextEdit *>();
        VERIFICA(testo && testo->toPlainText() == righe.join(u'\n'));
        VERIFICA(controlla(w, QStringLiteral("messaggio-lungo-dettagli")));
        VERIFICA(clic(pulsante("OK")));
        return visto = true;
    });
    scatole.warning(righe.join(QStringLiteral("\r\n")));
    QVERIFY(visto);
}

void TestSchermo::avvisi_data()
{
    // What the merchant meets: a message at the opening of a copied shop
    // whose pages folder is the original's, or of a shop whose empty code
    // folder is protected; the build's closing question with its warnings.
    QTest::addColumn<QString>("caso");
    QTest::addColumn<QString>("testo");  // a part of the message
    QTest::newRow("pages folder in another shop") << "altro" << "si trova dentro la cartella di un altro negozio";
    QTest::newRow("code folder protected") << "codice" << "è vuota e protetta da scrittura";
    QTest::newRow("closing warnings") << "costruzione" << "sono in offerta con un prezzo d'offerta di 0";
}

void TestSchermo::avvisi()
{
    QFETCH(QString, caso);
    QFETCH(QString, testo);
    QObject guardia;
    bool scaduto = false;
    chiudiPerTempo(guardia, scaduto);
    bool visto = false;
    alProssimoModale(guardia, QStringLiteral("QMessageBox"), [&](QWidget *m) {
        const QString t = static_cast<QMessageBox *>(m)->text();
        VERIFICA2(t.contains(testo), qPrintable(t));
        visto = controlla(m, QStringLiteral("avviso-") + caso);
        QTest::keyClick(m, Qt::Key_Escape);
        return visto;
    });
    QTemporaryDir originale;
    std::unique_ptr<FinestraDiProva> f;
    if (caso == QLatin1String("altro")) {
        scrivi(originale.filePath(QStringLiteral("catalog.mdb")), "x");
        f = apriImpostazioni({{"siteonline", originale.filePath(QStringLiteral("online"))}}, demo(), true);
    } else if (caso == QLatin1String("codice")) {
        f = std::make_unique<FinestraDiProva>();
        f->scatole = std::make_unique<BoxMessages>();
        f->shop = f->program.newShop();
        const QString codice = f->shop + QStringLiteral("/code");
        QDir(codice).removeRecursively();
        QVERIFY(QDir().mkdir(codice));
        QVERIFY(QFile::setPermissions(codice, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                  | QFile::ExeGroup));
        avvia(*f);
        QFile::setPermissions(codice, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        f = apriImpostazioni({{"email_ordini", ""}}, demo(), true);
        QVERIFY(f->w);
        f->db().execute(QStringLiteral("UPDATE articoli SET offerta=1, offertaprezzo=0 WHERE ID IN "
                                       "(SELECT ID FROM articoli ORDER BY ID LIMIT 3)"));
        ProgramFolder::setPath(qEnvironmentVariable("VETRASTO_BIN"));
        QVERIFY(clicIn(f->w, QStringLiteral("imgButton1")));
    }
    QVERIFY(f->w);
    QTRY_VERIFY(visto);
    QVERIFY2(!scaduto, Stallo);
}

namespace {

// The top-level window of that objectName, when it shows.
QWidget *finestraAperta(const QString &nome)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == nome && w->isVisible())
            return w;
    return nullptr;
}

// What the screen shows of a window is the window as it stands now, drawn
// whole: not left blank or stale behind a dialog that opened over it.
bool disegnata(QWidget *w)
{
    const QImage schermo = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage ora = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    VERIFICA2(!schermo.isNull(), qPrintable(w->objectName()));
    schermo.save(cartellaUscita() + QStringLiteral("/%1-sullo-schermo-%2.png").arg(w->objectName(), misura()));
    VERIFICA2(schermo == ora, qPrintable(w->objectName() + QStringLiteral(" is not drawn as it stands")));
    return true;
}

} // namespace

void TestSchermo::costruzioneEAggiornamento()
{
    // The build window stays drawn, its bar full, behind its closing
    // question; the upload's bar does not stand full while the upload
    // fails (the server refuses the last page).
    const auto f = apriImpostazioni(conAccount, demo(), true);
    QVERIFY(f->w);
    // The program's own template sets and scripts.
    ProgramFolder::setPath(qEnvironmentVariable("VETRASTO_BIN"));
    QObject guardia;
    bool scaduto = false;
    chiudiPerTempo(guardia, scaduto);
    bool domanda = false;
    alProssimoModale(guardia, QStringLiteral("QMessageBox"), [&](QWidget *d) {
        QWidget *costruzione = finestraAperta(QStringLiteral("frmElabora"));
        VERIFICA2(costruzione, "the build window has gone before its question");
        CONFRONTA(static_cast<QMessageBox *>(d)->text(),
                  QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?"));
        auto *barra = figlio<QProgressBar>(costruzione, QStringLiteral("barElaborazione"));
        VERIFICA(barra && barra->maximum() > 0);
        CONFRONTA(barra->value(), barra->maximum());
        // The question belongs to the build window, over it.
        VERIFICA(d->parentWidget() == costruzione);
        VERIFICA(disegnata(costruzione));
        VERIFICA(controlla(costruzione, QStringLiteral("frmElabora")));
        VERIFICA(controlla(d, QStringLiteral("domanda-finale")));
        QTest::keyClick(d, Qt::Key_Escape);
        return domanda = true;
    });
    QVERIFY(clicIn(f->w, QStringLiteral("imgButton1")));
    QVERIFY(domanda);

    QTemporaryDir radice;
    for (const char *cartella : {"/www/negozio", "/cgi-bin"})
        QVERIFY(QDir().mkpath(radice.path() + QLatin1String(cartella)));
    const QStringList pagine = QDir(f->shop + QStringLiteral("/online")).entryList(QDir::Files, QDir::Name);
    QVERIFY(pagine.size() > 2);
    ServerFtp::Guasti guasti;
    guasti.risposte << QStringLiteral("STOR %1=553 Permesso negato").arg(pagine.last());
    ServerFtp server(radice.path(), guasti);
    QVERIFY2(server.avviato(), qPrintable(server.errore()));
    scrivi(f->shop + QStringLiteral("/firewall.net"), "FPRT: " + QByteArray::number(server.porta()) + "\r\n");
    bool avviso = false, trasferimento = false, errore = false;
    alProssimoModale(guardia, QStringLiteral("frmAvviso"), [&](QWidget *d) {
        VERIFICA(controlla(d, QStringLiteral("frmAvviso")));
        return avviso = clicIn(d, QStringLiteral("cmdSi"));
    });
    alProssimoModale(guardia, QStringLiteral("frmImpostaFTP"), [&](QWidget *d) {
        VERIFICA(controlla(d, QStringLiteral("frmImpostaFTP")));
        // The failure's message is the next box.
        alProssimoModale(guardia, QStringLiteral("QMessageBox"), [&](QWidget *m) {
            QWidget *ftp = finestraAperta(QStringLiteral("frmFTP"));
            VERIFICA(ftp);
            auto *barra = figlio<QProgressBar>(ftp, QStringLiteral("barAggiornamento"));
            VERIFICA(barra);
            VERIFICA2(barra->value() > 0 && barra->value() < barra->maximum(),
                      qPrintable(QStringLiteral("%1 of %2").arg(barra->value()).arg(barra->maximum())));
            VERIFICA(static_cast<QMessageBox *>(m)->text().contains(QLatin1String("553")));
            VERIFICA(m->parentWidget() == ftp);
            VERIFICA(controlla(ftp, QStringLiteral("frmFTP")));
            VERIFICA(controlla(m, QStringLiteral("errore-ftp")));
            QTest::keyClick(m, Qt::Key_Escape);
            return errore = true;
        });
        return trasferimento = clicIn(d, QStringLiteral("cmdOK"));
    });
    QVERIFY(clicIn(f->w, QStringLiteral("imgButton2")));
    QVERIFY(avviso && trasferimento);
    QTRY_VERIFY(errore);
    QTRY_VERIFY(!finestraAperta(QStringLiteral("frmFTP")));
    QVERIFY2(!scaduto, Stallo);
}

namespace {

// Every text a dialog shows (captions, buttons and their tips, column
// headings) is free of Qt's English words.
bool testiItaliani(QWidget *d)
{
    static const QRegularExpression inglese(QStringLiteral(
        "\\b(Folder|Look in|Directory|File name|Files of type|Cancel|Open|Choose|Back|Forward|Parent|New Folder|"
        "List View|Detail View|Name|Size|Type|Kind|Date Modified|Drive|Recent|Unknown|Shortcut)\\b"));
    QStringList testi{d->windowTitle()};
    for (QWidget *w : d->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        testi << w->toolTip();
        if (auto *l = qobject_cast<QLabel *>(w))
            testi << l->text();
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            testi << b->text();
        if (auto *h = qobject_cast<QHeaderView *>(w))
            for (int i = 0; i < h->count(); ++i)
                testi << h->model()->headerData(i, h->orientation()).toString();
    }
    for (const QString &t : std::as_const(testi))
        VERIFICA2(!t.contains(inglese), qPrintable(t));
    return true;
}

} // namespace

void TestSchermo::sceltaCartella_data()
{
    QTest::addColumn<QString>("voce");
    QTest::addColumn<QString>("domanda");
    QTest::newRow("apri") << "Apri negozio..." << "Selezionare la cartella che contiene il negozio da aprire:";
    QTest::newRow("nuovo") << "Nuovo negozio.."
                           << "Selezionare la cartella del nuovo negozio (la cartella deve essere preferibilmente vuota):";
}

void TestSchermo::sceltaCartella()
{
    // Qt's folder picker as "Apri negozio..." and "Nuovo negozio.." show it:
    // in Italian, the kind of each entry included, a short title and the
    // whole prompt above the folders, and inside the screen.
    QFETCH(QString, voce);
    QFETCH(QString, domanda);
    const auto f = apriImpostazioni({}, demo(), true);
    QVERIFY(f->w);
    installaScelte();
    QObject guardia;
    bool scaduto = false;
    chiudiPerTempo(guardia, scaduto);
    bool visto = false;
    alProssimoModale(guardia, QStringLiteral("QFileDialog"), [&](QWidget *d) {
        CONFRONTA(d->windowTitle(), QStringLiteral("Scelta della cartella"));
        auto *lblDomanda = figlio<QLabel>(d, QStringLiteral("lblDomanda"));
        VERIFICA(lblDomanda && lblDomanda->isVisible());
        CONFRONTA(lblDomanda->text(), domanda);
        // Above the folders, as wide as the dialog's rows.
        auto *cartelle = figlio<QWidget>(d, QStringLiteral("splitter"));
        VERIFICA(cartelle);
        VERIFICA(lblDomanda->geometry().bottom() < cartelle->geometry().top());
        // The status line names the folder the picker is on.
        auto *lblStato = figlio<QLabel>(d, QStringLiteral("lblStato"));
        VERIFICA(lblStato && lblStato->isVisible());
        CONFRONTA(lblStato->text(), QDir::toNativeSeparators(static_cast<QFileDialog *>(d)->directory().absolutePath()));
        VERIFICA(clic(figlio<QToolButton>(d, QStringLiteral("detailModeButton"))));
        // Each folder's kind and date, as the list shows them.
        auto *vista = figlio<QTreeView>(d, QStringLiteral("treeView"));
        VERIFICA(vista && vista->isVisible());
        QAbstractItemModel *righe = vista->model();
        const QModelIndex radice = vista->rootIndex();
        VERIFICA(QTest::qWaitFor([&] { return righe->rowCount(radice) > 0; }));
        for (int r = 0; r < righe->rowCount(radice); ++r) {
            CONFRONTA(righe->index(r, 2, radice).data().toString(), QStringLiteral("Cartella"));
            const QString data = righe->index(r, 3, radice).data().toString();
            VERIFICA2(QDateTime::fromString(data, QLocale().dateTimeFormat(QLocale::ShortFormat)).isValid(),
                      qPrintable(data));
        }
        // A folder chosen in the list shows its full path in the status line.
        vista->setCurrentIndex(righe->index(0, 0, radice));
        const QString scelta = static_cast<QFileDialog *>(d)->directory().absoluteFilePath(righe->index(0, 0, radice).data().toString());
        CONFRONTA(lblStato->text(), QDir::toNativeSeparators(scelta));
        VERIFICA(testiItaliani(d));
        VERIFICA(controlla(d, QStringLiteral("QFileDialog-") + QString::fromLatin1(QTest::currentDataTag())));
        QTest::keyClick(d, Qt::Key_Escape);
        return visto = true;
    });
    const bool scelto = sceltaDaMenu(f->w, {QStringLiteral("File"), voce});
    Shell::impostaSceltaCartella({});
    Shell::impostaSceltaFile({});
    QVERIFY(scelto);
    QVERIFY(visto);
    QVERIFY2(!scaduto, Stallo);
}

void TestSchermo::cartelleRemote()
{
    // The remote folder browser, logged in to a real server on loopback.
    QTemporaryDir radice;
    QVERIFY(QDir().mkpath(radice.path() + QStringLiteral("/www/negozio")));
    ServerFtp server(radice.path());
    QVERIFY2(server.avviato(), qPrintable(server.errore()));
    const auto f = apriImpostazioni(conAccount, demo(), true);
    QVERIFY(f->w);
    scrivi(f->shop + QStringLiteral("/firewall.net"), "FPRT: " + QByteArray::number(server.porta()) + "\r\n");
    QObject guardia;
    bool scaduto = false;
    chiudiPerTempo(guardia, scaduto);
    bool visto = false;
    alProssimoModale(guardia, QStringLiteral("frmFolderFTP"), [&](QWidget *d) {
        auto *lista = figlio<QListWidget>(d, QStringLiteral("lstData"));
        VERIFICA(lista && QTest::qWaitFor([lista] { return !lista->findItems(QStringLiteral("www"), Qt::MatchExactly).isEmpty(); }));
        VERIFICA(controlla(d, QStringLiteral("frmFolderFTP")));
        QTest::keyClick(d, Qt::Key_Escape);
        return visto = true;
    });
    QVERIFY(pulsante(QStringLiteral("kInternet"), QStringLiteral("Caffè"), QStringLiteral("cmdCart0"))(*f));
    QVERIFY(visto);
    QVERIFY2(!scaduto, Stallo);
}

void TestSchermo::ricerca()
{
    // The article search stays beside the main window, inside the screen.
    const auto f = apriImpostazioni({}, demo(), true);
    QVERIFY(f->w);
    QVERIFY(pulsante(QStringLiteral("kArticoli"), QStringLiteral("Caffè"), QStringLiteral("cmdButton21"))(*f));
    QWidget *cerca = finestraAperta(QStringLiteral("frmSearch"));
    QVERIFY(cerca && QTest::qWaitForWindowExposed(cerca));
    QVERIFY(riscrivi(figlio<QLineEdit>(cerca, QStringLiteral("txtCerca")), QStringLiteral("caffè\n")));
    QVERIFY(controlla(cerca, QStringLiteral("frmSearch")));
    QVERIFY(clicIn(cerca, QStringLiteral("cmdChiudi")));
    QTRY_VERIFY(!cerca->isVisible());
}

void TestSchermo::importazione()
{
    // The import from Zendaro: its options, its progress and its closing
    // message.
    const auto f = apriImpostazioni({}, demo(), true);
    QVERIFY(f->w);
    // Offered once Zendaro is installed and the program started again.
    QTemporaryDir zendaro;
    ZendaroJet::scrivi(zendaro.path() + QStringLiteral("/zendaro.mdb"), 400);
    SettingsStore::set(QStringLiteral("Zendaro"), QStringLiteral("AppPath"), QStringLiteral("AppPath"), zendaro.path());
    QVERIFY(riavvia(*f));
    QObject guardia;
    bool scaduto = false;
    chiudiPerTempo(guardia, scaduto);
    bool opzioni = false, avanzamento = false, fine = false;
    alProssimoModale(guardia, QStringLiteral("frmImportaZD"), [&](QWidget *d) {
        VERIFICA(controlla(d, QStringLiteral("frmImportaZD")));
        return opzioni = clicIn(d, QStringLiteral("cmdOK"));
    });
    alProssimoModale(guardia, QStringLiteral("QProgressDialog"), [&](QWidget *d) {
        return avanzamento = controlla(d, QStringLiteral("importazione-in-corso"));
    });
    alProssimoModale(guardia, QStringLiteral("QMessageBox"), [&](QWidget *d) {
        VERIFICA(controlla(d, QStringLiteral("importazione-completata")));
        QTest::keyClick(d, Qt::Key_Return);
        return fine = true;
    });
    QVERIFY(sceltaDaMenu(f->w, {QStringLiteral("File"), QStringLiteral("Importa da Zendaro...")}));
    QVERIFY(opzioni && avanzamento && fine);
    QVERIFY2(!scaduto, Stallo);
}

QTEST_MAIN(TestSchermo)
#include "test_schermo.moc"

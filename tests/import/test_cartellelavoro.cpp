// The working folders on a real shop: which folders are refused, what "OK"
// puts in use and records in the settings record, and the reset.
#include "testshop.h"

#include "cartelle.h"
#include "cartellelavoro.h"

#include <QProcess>
#include <QtTest>

using Scelta = CartelleLavoro::Scelta;

class TestCartelleLavoro : public QObject {
    Q_OBJECT
    TestProgramFolder program;
    QTemporaryDir fuori;  // the shop and other folders, outside the program folder
    std::unique_ptr<NegozioDiProva> t;
    QString negozio;

    QString registrato(const QString &campo)
    {
        return t->negozio.state.dbCatalogo->scalar(QStringLiteral("SELECT %1 FROM generale").arg(campo)).toString();
    }
    // A settings record that cannot be written, whatever the change.
    void bloccaImpostazioni()
    {
        t->negozio.state.dbCatalogo->execute(QStringLiteral(
            "CREATE TRIGGER blocco BEFORE UPDATE ON generale BEGIN SELECT RAISE(ABORT, 'impostazioni bloccate'); END"));
    }
    QString cartella(const QString &nome)
    {
        const QString p = fuori.path() + u'/' + nome;
        QDir().mkpath(p);
        return p;
    }

    // Makes the folders the rows name and returns the path with {shop},
    // {program}, {home} and {out} replaced.
    QString preparaCartelle(QString percorso)
    {
        QDir().mkpath(fuori.path() + QStringLiteral("/altro/pagine/sotto"));
        scrivi(fuori.path() + QStringLiteral("/altro/catalog.mdb"), "x");
        QFile::remove(fuori.path() + QStringLiteral("/link"));
        QFile::link(negozio, fuori.path() + QStringLiteral("/link"));
        cartella(QStringLiteral("sito"));
        cartella(QStringLiteral("casa/sito"));
        QDir().mkpath(negozio + QStringLiteral("/work/sotto"));
        QString lungo = cartella(QStringLiteral("lungo"));
        while (lungo.size() <= 255)
            lungo += QStringLiteral("/abcdefghijklmnopqrstuvwxyz");
        QDir().mkpath(lungo);
        return percorso.replace(QStringLiteral("{shop}"), negozio)
            .replace(QStringLiteral("{program}"), program.path())
            .replace(QStringLiteral("{home}"), QDir::homePath())
            .replace(QStringLiteral("{out}/lungo"), lungo)
            .replace(QStringLiteral("{out}"), fuori.path());
    }

private slots:
    // The user's home folder is one of the test's own.
    void initTestCase() { qputenv("HOME", QFile::encodeName(cartella(QStringLiteral("casa")))); }
    void init()
    {
        t = std::make_unique<NegozioDiProva>();
        negozio = fuori.path() + QStringLiteral("/c%1").arg(QDateTime::currentMSecsSinceEpoch());
        CopiaCartella(program.path() + QStringLiteral("/new"), negozio);
        QCOMPARE(t->apri(negozio), int(Negozio::Aperto));
    }
    void cleanup() { t.reset(); }

    void rifiuti_data()
    {
        QTest::addColumn<int>("quale");
        QTest::addColumn<QString>("percorso");  // {shop}, {program}, {out}, {home} replaced
        QTest::addColumn<QString>("inizio");    // the message's start; empty: accepted
        const QString manca = QStringLiteral("non esiste");
        const QString riservata = QStringLiteral("non può accogliere");
        QTest::newRow("pagine nella cartella del negozio") << 0 << "{shop}" << riservata;
        QTest::newRow("script nella cartella del negozio") << 1 << "{shop}/" << riservata;
        QTest::newRow("cartella work") << 0 << "{shop}/work" << riservata;
        QTest::newRow("cartella code") << 1 << "{shop}/code" << riservata;
        QTest::newRow("dentro la cartella work") << 0 << "{shop}/work/sotto" << riservata;
        QTest::newRow("sopra il negozio") << 0 << "{shop}/.." << riservata;
        QTest::newRow("due cartelle sopra il negozio") << 1 << "{shop}/../.." << riservata;
        QTest::newRow("la radice") << 0 << "/" << riservata;
        QTest::newRow("la cartella personale") << 1 << "{home}" << riservata;
        QTest::newRow("la cartella personale, con la barra") << 0 << "{home}/" << riservata;
        QTest::newRow("dentro la cartella personale") << 0 << "{home}/sito" << "";
        QTest::newRow("cartella del programma") << 0 << "{program}" << riservata;
        QTest::newRow("dentro il programma") << 1 << "{program}/template/classico" << riservata;
        QTest::newRow("un altro negozio") << 0 << "{out}/altro" << riservata;
        const QString altro = QStringLiteral("si trova dentro la cartella di un altro negozio ('{out}/altro')");
        QTest::newRow("dentro un altro negozio") << 0 << "{out}/altro/pagine" << altro;
        QTest::newRow("in fondo a un altro negozio") << 1 << "{out}/altro/pagine/sotto/" << altro;
        QTest::newRow("collegamento al negozio") << 0 << "{out}/link" << riservata;
        QTest::newRow("dentro il negozio per un collegamento") << 1 << "{out}/link/scripts" << "";
        QTest::newRow("non esiste") << 0 << "{out}/manca" << manca;
        QTest::newRow("vuoto") << 1 << "" << manca;
        QTest::newRow("un file") << 1 << "{shop}/catalog.mdb" << manca;
        QTest::newRow("troppo lungo") << 0 << "{out}/lungo" << QStringLiteral("è troppo lungo");
        QTest::newRow("online del negozio") << 0 << "{shop}/online" << "";
        QTest::newRow("scripts del negozio") << 1 << "{shop}/scripts" << "";
        QTest::newRow("scripts come pagine") << 0 << "{shop}/scripts" << "";
        QTest::newRow("fuori, con spazi attorno") << 1 << "  {out}/sito  " << "";
        // Taken from the folder the program was started from: "Pulisci le
        // cartelle di lavoro" would empty that folder.
        const QString relativa = QStringLiteral("non può accogliere le pagine del negozio: non è indicata con il "
                                                "percorso completo");
        const QString relativaScript = QStringLiteral("non può accogliere gli script del negozio: non è indicata con "
                                                      "il percorso completo");
        QTest::newRow("relativa, sopra") << 0 << ".." << relativa;
        QTest::newRow("relativa, che non esiste") << 1 << "sito/script" << relativaScript;
    }
    void rifiuti()
    {
        QFETCH(int, quale);
        QFETCH(QString, percorso);
        QFETCH(QString, inizio);
        percorso = preparaCartelle(percorso);
        inizio = preparaCartelle(inizio);

        const auto c = CartelleLavoro::Cartella(quale);
        CartelleLavoro cl(t->negozio);
        const QString prima = cl.attuale(c);
        QCOMPARE(cl.conferma(c, percorso, Scelta::Modificata), inizio.isEmpty());
        if (inizio.isEmpty()) {
            QVERIFY(t->messages.texts().isEmpty());
            QCOMPARE(cl.attuale(c), percorso.trimmed());
            QCOMPARE(registrato(CartelleLavoro::campo(c)), percorso.trimmed());
            return;
        }
        QCOMPARE(t->messages.texts().size(), 1);
        const QString m = t->messages.texts().first();
        QVERIFY2(m.startsWith(QStringLiteral("La cartella '") + percorso.trimmed() + u'\'') || m.contains(QStringLiteral("troppo lungo")),
                 qPrintable(m));
        QVERIFY2(m.contains(inizio), qPrintable(m));
        QVERIFY(m.endsWith(QStringLiteral(": l'impostazione non sarà salvata")));
        QCOMPARE(cl.attuale(c), prima);
        QCOMPARE(registrato(CartelleLavoro::campo(c)), QString());
    }

    // What "OK" records for a folder, by what the merchant did with it.
    void registrazione_data()
    {
        QTest::addColumn<int>("scelta");
        QTest::addColumn<QString>("registrato");
        QTest::newRow("non toccata") << int(Scelta::Intatta) << "{old}";
        QTest::newRow("ripristinata") << int(Scelta::Ripristino) << "";
        QTest::newRow("cambiata") << int(Scelta::Modificata) << "{new}";
    }
    void registrazione()
    {
        QFETCH(int, scelta);
        QFETCH(QString, registrato);
        const QString vecchia = cartella(QStringLiteral("vecchia")), nuova = cartella(QStringLiteral("nuova"));
        t->negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET sitescript=?"), {vecchia});
        t->dati().dataGenerale.refresh();
        registrato.replace(QStringLiteral("{old}"), vecchia).replace(QStringLiteral("{new}"), nuova);
        CartelleLavoro cl(t->negozio);
        const QString percorso = Scelta(scelta) == Scelta::Ripristino ? cl.predefinita(CartelleLavoro::Script) : nuova;
        QVERIFY(cl.conferma(CartelleLavoro::Script, percorso, Scelta(scelta)));
        QCOMPARE(cl.attuale(CartelleLavoro::Script), percorso);
        QCOMPARE(this->registrato(QStringLiteral("sitescript")), registrato);
        QCOMPARE(t->dati().dataGenerale.recordset().text(QStringLiteral("sitescript")), registrato);
        QCOMPARE(this->registrato(QStringLiteral("siteonline")), QString());
    }

    // A settings record that cannot be written: "OK" says why, and the
    // folder in use stays.
    void registrazioneRifiutata()
    {
        const QString nuova = cartella(QStringLiteral("rifiutata"));
        bloccaImpostazioni();
        CartelleLavoro cl(t->negozio);
        const QString prima = cl.attuale(CartelleLavoro::Script);
        QVERIFY(!cl.conferma(CartelleLavoro::Script, nuova, Scelta::Modificata));
        QCOMPARE(t->messages.texts().size(), 1);
        const QString m = t->messages.texts().first();
        QVERIFY2(m.startsWith(QStringLiteral("Impossibile registrare la cartella '") + nuova +
                              QStringLiteral("' nelle impostazioni del negozio:\r\n")),
                 qPrintable(m));
        QVERIFY2(m.contains(QStringLiteral("impostazioni bloccate")), qPrintable(m));
        QCOMPARE(cl.attuale(CartelleLavoro::Script), prima);
        QCOMPARE(registrato(QStringLiteral("sitescript")), QString());
    }

    // The opening uses the default folder in place of a refused one all the
    // same, and logs the failure to clear it once, with its reason.
    void aperturaConRegistrazioneRifiutata()
    {
        t->negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET siteonline=?"), {negozio});
        bloccaImpostazioni();
        t.reset();
        t = std::make_unique<NegozioDiProva>();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^siteonline: .*impostazioni bloccate")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QCOMPARE(t->apri(negozio), int(Negozio::Aperto));
        QCOMPARE(t->messages.texts().size(), 1);
        QCOMPARE(t->negozio.state.CartellaPagine, negozio + QStringLiteral("/online"));
        QCOMPARE(registrato(QStringLiteral("siteonline")), negozio);
    }

    // A folder the settings record names is checked at the opening as the
    // dialog checks it: one the rule refuses gives way to the default
    // folder, is said and is cleared in the record; a folder that is only
    // missing stays, for the build to report.
    void aperturaConCartellaRifiutata_data()
    {
        QTest::addColumn<int>("quale");
        QTest::addColumn<QString>("percorso");  // {shop}, {program}, {out}, {home} replaced
        QTest::addColumn<bool>("rifiutata");
        QTest::newRow("pagine nella cartella del negozio") << 0 << "{shop}" << true;
        QTest::newRow("script nella cartella del negozio") << 1 << "{shop}/" << true;
        QTest::newRow("cartella work") << 0 << "{shop}/work" << true;
        QTest::newRow("cartella code") << 1 << "{shop}/code" << true;
        QTest::newRow("sopra il negozio") << 0 << "{shop}/.." << true;
        QTest::newRow("la radice") << 1 << "/" << true;
        QTest::newRow("la cartella personale") << 0 << "{home}" << true;
        QTest::newRow("cartella del programma") << 1 << "{program}" << true;
        QTest::newRow("un altro negozio") << 0 << "{out}/altro" << true;
        QTest::newRow("dentro un altro negozio") << 1 << "{out}/altro/pagine" << true;
        QTest::newRow("collegamento al negozio") << 1 << "{out}/link" << true;
        QTest::newRow("fuori") << 0 << "{out}/sito" << false;
        QTest::newRow("non esiste") << 1 << "{out}/manca" << false;
        QTest::newRow("online del negozio") << 0 << "{shop}/online" << false;
        QTest::newRow("relativa") << 0 << ".." << true;
        QTest::newRow("relativa, che non esiste") << 1 << "scripts" << true;
    }
    void aperturaConCartellaRifiutata()
    {
        QFETCH(int, quale);
        QFETCH(QString, percorso);
        QFETCH(bool, rifiutata);
        percorso = preparaCartelle(percorso);
        const auto c = CartelleLavoro::Cartella(quale);
        t->negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET %1=?").arg(CartelleLavoro::campo(c)),
                                             {percorso});
        t.reset();
        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(negozio), int(Negozio::Aperto));
        CartelleLavoro cl(t->negozio);
        const QStringList messaggi = t->messages.texts();
        if (!rifiutata) {
            QCOMPARE(messaggi, QStringList());
            QCOMPARE(cl.attuale(c), percorso);
            QCOMPARE(registrato(CartelleLavoro::campo(c)), percorso);
            return;
        }
        QCOMPARE(messaggi.size(), 1);
        QVERIFY2(messaggi[0].startsWith((quale == 0 ? QStringLiteral("La cartella delle pagine del negozio '")
                                                    : QStringLiteral("La cartella degli script del negozio '")) +
                                        percorso + QStringLiteral("' indicata nelle impostazioni non può essere usata: ")),
                 qPrintable(messaggi[0]));
        QVERIFY2(messaggi[0].contains(QStringLiteral("Al suo posto sarà usata la cartella '") + cl.predefinita(c) + u'\''),
                 qPrintable(messaggi[0]));
        QCOMPARE(cl.attuale(c), cl.predefinita(c));
        QCOMPARE(registrato(CartelleLavoro::campo(c)), QString());
        QCOMPARE(t->dati().dataGenerale.recordset().text(CartelleLavoro::campo(c)), QString());
        // The other folder is untouched.
        const auto altra = CartelleLavoro::Cartella(1 - quale);
        QCOMPARE(cl.attuale(altra), cl.predefinita(altra));
    }

    // A shop whose working folders lie inside its own folder, copied with
    // "cp -r" to try changes: the copy never takes the original's folders,
    // at its opening nor in the dialog, and the original keeps them.
    void negozioCopiato()
    {
        const QString a = negozio;
        const QString pagine = cartella(QFileInfo(a).fileName() + QStringLiteral("/pagine"));
        const QString script = cartella(QFileInfo(a).fileName() + QStringLiteral("/cgi"));
        {
            CartelleLavoro cl(t->negozio);
            QVERIFY(cl.conferma(CartelleLavoro::Pagine, pagine, Scelta::Modificata));
            QVERIFY(cl.conferma(CartelleLavoro::Script, script, Scelta::Modificata));
        }
        t.reset();
        const QString b = fuori.path() + QStringLiteral("/prova");
        QCOMPARE(QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), a, b}), 0);

        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(b), int(Negozio::Aperto));
        const QStringList messaggi = t->messages.texts();
        QCOMPARE(messaggi.size(), 2);
        for (const QString &m : messaggi)
            QVERIFY2(m.contains(QStringLiteral("si trova dentro la cartella di un altro negozio ('") + a + QStringLiteral("')")),
                     qPrintable(m));
        CartelleLavoro cl(t->negozio);
        QCOMPARE(cl.attuale(CartelleLavoro::Pagine), b + QStringLiteral("/online"));
        QCOMPARE(cl.attuale(CartelleLavoro::Script), b + QStringLiteral("/scripts"));
        QCOMPARE(registrato(QStringLiteral("siteonline")), QString());
        QCOMPARE(registrato(QStringLiteral("sitescript")), QString());
        // Chosen again in the dialog: refused, naming the original.
        t->messages.clear();
        QVERIFY(!cl.conferma(CartelleLavoro::Pagine, pagine, Scelta::Modificata));
        QCOMPARE(t->messages.texts().size(), 1);
        QVERIFY2(t->messages.texts()[0].contains(QStringLiteral("('") + a + QStringLiteral("')")),
                 qPrintable(t->messages.texts()[0]));
        // The copy's own folders inside its folder are its to use.
        QVERIFY(cl.conferma(CartelleLavoro::Pagine, b + QStringLiteral("/pagine"), Scelta::Modificata));

        t.reset();
        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(a), int(Negozio::Aperto));
        QCOMPARE(t->messages.texts(), QStringList());
        QCOMPARE(t->negozio.state.CartellaPagine, pagine);
        QCOMPARE(t->negozio.state.CartellaScript, script);
    }

    // A shop opened through a link to its folder: a folder named through
    // that link is the shop's own, whether or not it is there yet; a
    // missing one stays in the record for the build to report.
    void aperturaPerUnCollegamento_data()
    {
        QTest::addColumn<QString>("percorso");  // {link}: the link to the shop
        QTest::addColumn<QString>("motivo");    // the refusal's reason; empty: kept
        QTest::newRow("dentro il negozio") << "{link}/pagine" << "";
        QTest::newRow("dentro il negozio, non ancora fatta") << "{link}/manca/pagine" << "";
        QTest::newRow("dentro work, non ancora fatta")
            << "{link}/work/manca" << "è la cartella delle immagini o dei codici del negozio";
    }
    void aperturaPerUnCollegamento()
    {
        QFETCH(QString, percorso);
        QFETCH(QString, motivo);
        const QString collegamento = fuori.path() + QStringLiteral("/collegamento");
        QFile::remove(collegamento);
        QVERIFY(QFile::link(negozio, collegamento));
        QDir().mkpath(negozio + QStringLiteral("/pagine"));
        percorso.replace(QStringLiteral("{link}"), collegamento);
        t->negozio.state.dbCatalogo->execute(QStringLiteral("UPDATE generale SET siteonline=?"), {percorso});
        t.reset();
        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(collegamento), int(Negozio::Aperto));
        const QStringList messaggi = t->messages.texts();
        if (motivo.isEmpty()) {
            QCOMPARE(messaggi, QStringList());
            QCOMPARE(t->negozio.state.CartellaPagine, percorso);
            QCOMPARE(registrato(QStringLiteral("siteonline")), percorso);
        } else {
            QCOMPARE(messaggi.size(), 1);
            QVERIFY2(messaggi[0].contains(QStringLiteral("non può essere usata: ") + motivo + u'.'), qPrintable(messaggi[0]));
        }
    }

    // The folders recorded are the ones the next opening of the shop uses.
    void riapertura()
    {
        const QString sito = cartella(QStringLiteral("riaperto"));
        {
            CartelleLavoro cl(t->negozio);
            QVERIFY(cl.conferma(CartelleLavoro::Pagine, sito, Scelta::Modificata));
            QVERIFY(cl.conferma(CartelleLavoro::Script, cl.predefinita(CartelleLavoro::Script), Scelta::Ripristino));
        }
        t.reset();
        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(negozio), int(Negozio::Aperto));
        QCOMPARE(t->negozio.state.CartellaPagine, sito);
        QCOMPARE(t->negozio.state.CartellaScript, negozio + QStringLiteral("/scripts"));
    }
};

QTEST_GUILESS_MAIN(TestCartelleLavoro)
#include "test_cartellelavoro.moc"

// The publisher's runs against a real FTP server on loopback, with a real
// shop folder (vtftp.mdb, vtftp.dat, firewall.net, vtftp.ini).
#include "testshop.h"
#include "catalogschema.h"
#include "pubblicatore.h"
#include "recordinvii.h"
#include "scriptedmessages.h"
#include "serverftp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <sys/stat.h>

namespace {

// A file with the given modification time (0: now).
void scriviFile(const QString &p, const QByteArray &dati, qint64 secondi = 0)
{
    scrivi(p, dati);
    QFile f(p);
    if (secondi && f.open(QIODevice::ReadWrite))
        f.setFileTime(QDateTime::fromSecsSinceEpoch(secondi), QFileDevice::FileModificationTime);
}

// A shop folder with built pages and scripts and its upload list, and a
// server root.
struct Banco {
    QTemporaryDir dir;
    QString negozio = dir.path() + QStringLiteral("/negozio");
    QString radice = dir.path() + QStringLiteral("/server");
    QString pagine = negozio + QStringLiteral("/online");
    QString script = negozio + QStringLiteral("/scripts");
    ScriptedMessages messages;
    QStringList righeLog;
    bool chkNT = false;
    QString host = QStringLiteral("127.0.0.1");
    QString folderFTP = QStringLiteral("www/shop"), folderCGI = QStringLiteral("cgi-bin");
    QString password = ServerFtp::password();

    std::unique_ptr<ServerFtp> server;

    // The FTP server on the server root, its port in firewall.net.
    bool avvia(const ServerFtp::Guasti &g = {})
    {
        server = std::make_unique<ServerFtp>(radice, g);
        if (server->avviato())
            porta(*server);
        return server->avviato();
    }

    Banco() : Banco(QStringLiteral("negozio")) {}
    // A shop folder by that name (it may hold "/") in the temporary folder.
    explicit Banco(const QString &cartellaNegozio) : negozio(dir.path() + u'/' + cartellaNegozio)
    {
        CatalogSchema::createEmptyShop(negozio);
        QDir().mkpath(radice + QStringLiteral("/www/shop"));
        QDir().mkpath(radice + QStringLiteral("/cgi-bin"));
    }

    void pagina(const QString &nome, const QByteArray &dati, qint64 secondi = 1700000000)
    {
        scriviFile(pagine + u'/' + nome, dati, secondi);
    }
    void programma(const QString &nome, const QByteArray &dati, qint64 secondi = 1700000000)
    {
        scriviFile(script + u'/' + nome, dati, secondi);
    }
    // The upload list names every file of both folders but those left out.
    void lista(const QStringList &fuori = {})
    {
        QByteArray testo;
        for (const QString &c : {pagine, script})
            for (const QString &n : QDir(c).entryList(QDir::Files))
                if (!fuori.contains(n))
                    testo += (u'#' + c + u'/' + n).toUtf8();
        scriviFile(negozio + QStringLiteral("/vtftp.dat"), testo + '#');
    }
    void porta(const ServerFtp &s, const QString &altro = {})
    {
        scriviFile(negozio + QStringLiteral("/firewall.net"),
                   ("MODE: 1\r\nFPRT: " + QString::number(s.porta()) + QStringLiteral("\r\n") + altro).toUtf8());
    }

    Pubblicatore::Conclusione corri(ModoFTP modo = ModoFTP::Normale, std::function<void(Pubblicatore &)> durante = {},
                                    std::function<void(const QString &)> perRiga = {})
    {
        ContestoPubblicazione c = ServerFtp::contesto(negozio);
        c.CartellaPagine = pagine;
        c.txtHost = host;
        c.txtPassword = password;
        c.txtFolderFTP = folderFTP;
        c.txtFolderCGI = folderCGI;
        c.txtURLNegozio = QStringLiteral("http://www.negozio.it/index.htm");
        c.chkNT = chkNT;
        Pubblicatore p(c, modo, messages);
        righeLog.clear();
        QObject::connect(&p, &Pubblicatore::rigaRegistrata, [this, perRiga](const QString &r) {
            righeLog << r;
            if (perRiga)
                perRiga(r);
        });
        if (!p.carica())
            return {};
        p.attese = {5000, 3000, 2000};
        QThread *t = nullptr;
        if (durante) {
            t = QThread::create([&] { durante(p); });
            t->start();
        }
        Pubblicatore::Conclusione esito = p.esegui();
        if (t) {
            t->wait();
            delete t;
        }
        return esito;
    }
    // The files sent by the last run, in order.
    QStringList inviati() const
    {
        QStringList n;
        for (const QString &r : righeLog)
            if (r.startsWith(QLatin1String("STOR ")) || r.startsWith(QLatin1String("APPE ")))
                n << r.mid(5);
        return n;
    }
    QStringList record() const
    {
        auto db = Database::open(negozio + QStringLiteral("/vtftp.mdb"));
        QSqlQuery q = db->run(QStringLiteral("SELECT nome FROM file ORDER BY nome"));
        QStringList l;
        while (q.next())
            l << q.value(0).toString();
        return l;
    }
    // Whether a script on the server may be run by anyone.
    bool eseguibile(const QString &nome) const
    {
        return QFileInfo(radice + QStringLiteral("/cgi-bin/") + nome).permissions() & QFileDevice::ExeOther;
    }
    // A further run succeeds and sends nothing.
    bool nienteDaInviare()
    {
        messages.clear();
        return corri().riuscito && inviati().isEmpty();
    }
    void aggiungiRecord(const QString &chiave)
    {
        RecordInvii r(negozio + QStringLiteral("/vtftp.mdb"));
        r.aggiungi(chiave, 1, 1);
    }
};

} // namespace

class TestPubblicatore : public QObject {
    Q_OBJECT
private slots:
    void firstSendsAllThenNothing();
    void changedFilesAreResent_data();
    void changedFilesAreResent();
    void serverOptions_data();
    void serverOptions();
    void missingRemoteFolder_data();
    void missingRemoteFolder();
    void dotDotFolders_data();
    void dotDotFolders();
    void missingFolderAskedAfterCancel_data();
    void missingFolderAskedAfterCancel();
    void recordsThatCannotBeDropped();
    void folderThatCannotBeMade();
    void failuresLeaveExactRecords_data();
    void failuresLeaveExactRecords();
    void resentFileIsNotRecordedUntilWhole_data();
    void resentFileIsNotRecordedUntilWhole();
    void refusedPermissionsAreRetried_data();
    void refusedPermissionsAreRetried();
    void longNamesInDeepFolders();
    void onlyRegularFilesOfTheFolder();
    void namesThatWouldBreakACommand();
    void cancelMidRun();
    void whichFilesAreConsidered_data();
    void whichFilesAreConsidered();
    void buildFilesGoWithTheScripts_data();
    void buildFilesGoWithTheScripts();
    void passwordFileModes_data();
    void passwordFileModes();
    void passwordFileNotOnTheServer();
    void nothingToSendOrNoList();
    void shopMovedSinceItsBuild_data();
    void shopMovedSinceItsBuild();
    void shopFolderEndingInHash_data();
    void shopFolderEndingInHash();
    void uploadListAndExtensions_data();
    void uploadListAndExtensions();
    void fileDelNegozioSoloDallaLista_data();
    void fileDelNegozioSoloDallaLista();
    void throughEveryFirewall_data();
    void throughEveryFirewall();
};

// The first run sends every file, scripts as text with their permissions,
// and logs the dialogue without the password; the second sends nothing.
void TestPubblicatore::firstSendsAllThenNothing()
{
    Banco b;
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("index.htm"), "<html>\r\n</html>\r\n");
    b.pagina(QStringLiteral("logo.jpg"), QByteArray(70000, '\xff'));
    b.programma(QStringLiteral("vtorderABC.pl"), "#!/usr/bin/perl\r\nprint 1;\r\n");
    b.lista();
    b.messages.answer(Messages::Answer::Yes);
    Pubblicatore::Conclusione e = b.corri();
    QVERIFY2(e.riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(e.indirizzoDaAprire, QStringLiteral("http://www.negozio.it/index.htm"));
    QCOMPARE(b.messages.texts(), QStringList{QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")});
    QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/index.htm")), QByteArray("<html>\r\n</html>\r\n"));
    QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/logo.jpg")), QByteArray(70000, '\xff'));
    QCOMPARE(leggi(b.radice + QStringLiteral("/cgi-bin/vtorderABC.pl")), QByteArray("#!/usr/bin/perl\nprint 1;\n"));
    QVERIFY(QFileInfo(b.radice + QStringLiteral("/cgi-bin/vtorderABC.pl")).permissions() & QFileDevice::ExeOther);
    QCOMPARE(b.record(), (QStringList{QStringLiteral("127.0.0.1/cgi-bin/vtorderABC.pl"),
                                      QStringLiteral("127.0.0.1/www/shop/index.htm"),
                                      QStringLiteral("127.0.0.1/www/shop/logo.jpg")}));
    const QByteArray log1 = leggi(b.negozio + QStringLiteral("/vtftp1.log"));
    const QByteArray log2 = leggi(b.negozio + QStringLiteral("/vtftp2.log"));
    QVERIFY(log1.contains("PASS (hidden)\n"));
    QVERIFY(!log1.contains(ServerFtp::password().toUtf8()) && !log2.contains(ServerFtp::password().toUtf8()));
    QVERIFY(log1.contains("STOR index.htm") && !log1.contains("vtorder"));
    QVERIFY(log2.contains("SITE chmod 755 vtorderABC.pl"));
    QVERIFY(log2.contains("TYPE A") && log1.contains("TYPE I"));

    b.messages.clear();
    e = b.corri();
    QVERIFY(e.riuscito);
    QCOMPARE(b.inviati(), QStringList());
    QVERIFY(!leggi(b.negozio + QStringLiteral("/vtftp2.log")).contains("SITE"));
}

void TestPubblicatore::changedFilesAreResent_data()
{
    QTest::addColumn<QByteArray>("dati");
    QTest::addColumn<qint64>("secondi");
    QTest::addColumn<bool>("inviato");
    QTest::newRow("same date, same length") << QByteArray("uno") << qint64(1700000000) << false;
    QTest::newRow("same date, other length") << QByteArray("quattro") << qint64(1700000000) << true;
    QTest::newRow("one second later") << QByteArray("due") << qint64(1700000001) << true;
    QTest::newRow("older copy put back") << QByteArray("tre") << qint64(1600000000) << true;
}

// A file is sent again when its date or its length differs from its
// record, and its record follows.
void TestPubblicatore::changedFilesAreResent()
{
    QFETCH(QByteArray, dati);
    QFETCH(qint64, secondi);
    QFETCH(bool, inviato);
    Banco b;
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("a.htm"), "uno");
    b.pagina(QStringLiteral("b.htm"), "bbb");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    QVERIFY(b.corri().riuscito);
    b.pagina(QStringLiteral("a.htm"), dati, secondi);
    QVERIFY(b.corri().riuscito);
    QCOMPARE(b.inviati(), inviato ? QStringList{QStringLiteral("a.htm")} : QStringList());
    QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/a.htm")), inviato ? dati : QByteArray("uno"));
    QVERIFY(b.corri().riuscito);
    QCOMPARE(b.inviati(), QStringList());
}

void TestPubblicatore::serverOptions_data()
{
    QTest::addColumn<bool>("chkNT");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("folderFTP");
    QTest::addColumn<QString>("chiave");
    QTest::addColumn<bool>("chmod");
    QTest::addColumn<bool>("senzaAllo");
    QTest::newRow("Unix server") << false << "127.0.0.1" << "www/shop" << "127.0.0.1/www/shop/i.htm" << true << false;
    QTest::newRow("Windows server: no permissions")
        << true << "127.0.0.1" << "www/shop" << "127.0.0.1/www/shop/i.htm" << false << false;
    QTest::newRow("host and folder typed loosely")
        << false << " ftp://127.0.0.1/ " << "\\www\\shop\\" << "127.0.0.1/www/shop/i.htm" << true << false;
    QTest::newRow("login folder") << false << "127.0.0.1" << "" << "127.0.0.1/./i.htm" << true << false;
    // ".." is kept as typed: the files go where the server takes it.
    QTest::newRow("folder with ..") << false << "127.0.0.1" << "www/altro/../shop"
                                    << "127.0.0.1/www/altro/../shop/i.htm" << true << false;
    QTest::newRow("ALLO answered 502 is harmless")
        << false << "127.0.0.1" << "www/shop" << "127.0.0.1/www/shop/i.htm" << true << true;
}

void TestPubblicatore::serverOptions()
{
    QFETCH(bool, chkNT);
    QFETCH(QString, host);
    QFETCH(QString, folderFTP);
    QFETCH(QString, chiave);
    QFETCH(bool, chmod);
    QFETCH(bool, senzaAllo);
    Banco b;
    ServerFtp::Guasti g;
    g.senzaAllo = senzaAllo;
    QVERIFY(b.avvia(g));
    b.chkNT = chkNT;
    b.host = host;
    b.folderFTP = folderFTP;
    b.pagina(QStringLiteral("i.htm"), "i");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QVERIFY(b.record().contains(chiave));
    QCOMPARE(leggi(b.negozio + QStringLiteral("/vtftp2.log")).contains("SITE chmod"), chmod);
    QCOMPARE(leggi(b.negozio + QStringLiteral("/vtftp1.log")).contains("502 "), senzaAllo);
    const QString remota = folderFTP.isEmpty() ? QString() : QStringLiteral("/www/shop");
    QCOMPARE(leggi(b.radice + remota + QStringLiteral("/i.htm")), QByteArray("i"));
}

void TestPubblicatore::missingRemoteFolder_data()
{
    QTest::addColumn<bool>("crea");
    QTest::newRow("created after the question") << true;
    QTest::newRow("not created") << false;
}

// A missing remote folder drops its records (by exact prefix), asks, and
// is made level by level; then every file is sent.
void TestPubblicatore::missingRemoteFolder()
{
    QFETCH(bool, crea);
    Banco b;
    QVERIFY(b.avvia());
    b.folderFTP = QStringLiteral("nuova/a_b");
    b.pagina(QStringLiteral("i.htm"), "i");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    b.aggiungiRecord(QStringLiteral("127.0.0.1/nuova/a_b/i.htm"));
    b.aggiungiRecord(QStringLiteral("127.0.0.1/nuova/aXb/i.htm"));
    b.aggiungiRecord(QStringLiteral("127.0.0.1/nuova/a_b/sotto/i.htm"));
    b.messages.answer(crea ? Messages::Answer::Yes : Messages::Answer::No);
    const Pubblicatore::Conclusione e = b.corri();
    QCOMPARE(e.riuscito, crea);
    QCOMPARE(b.messages.texts().first(),
             QStringLiteral("La cartella specificata (nuova/a_b)\nnon è presente sul server. Si desidera crearla?"));
    QCOMPARE(b.messages.texts().size(), crea ? 2 : 1);
    QStringList attesi{QStringLiteral("127.0.0.1/nuova/aXb/i.htm")};
    if (crea)
        attesi = QStringList{QStringLiteral("127.0.0.1/cgi-bin/x.pl"), QStringLiteral("127.0.0.1/nuova/aXb/i.htm"),
                             QStringLiteral("127.0.0.1/nuova/a_b/i.htm")};
    QCOMPARE(b.record(), attesi);
    QCOMPARE(QFile::exists(b.radice + QStringLiteral("/nuova/a_b/i.htm")), crea);
    if (crea)
        QVERIFY(leggi(b.negozio + QStringLiteral("/vtftp1.log")).contains("MKD nuova"));
}

void TestPubblicatore::dotDotFolders_data()
{
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<bool>("esiste");
    QTest::newRow("existing folder beside the login folder") << "../public" << true;
    QTest::newRow("missing folder made beside the login folder") << "../nuova" << false;
}

// Remote folders holding "..", with the login folder /home of a server
// whose /public exists: the server changes into exactly the folder named
// from the login folder (made there when missing), and the records say
// where the files went.
void TestPubblicatore::dotDotFolders()
{
    QFETCH(QString, cartella);
    QFETCH(bool, esiste);
    Banco b;
    QVERIFY(QDir().mkpath(b.radice + QStringLiteral("/home")));
    QVERIFY(QDir().mkpath(b.radice + QStringLiteral("/public")));
    ServerFtp::Guasti g;
    g.cartellaAccesso = QStringLiteral("home");
    QVERIFY(b.avvia(g));
    b.folderFTP = cartella;
    b.folderCGI = QStringLiteral("../cgi-bin");
    b.pagina(QStringLiteral("i.htm"), "i");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    if (!esiste)
        b.messages.answer(Messages::Answer::Yes);
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(b.messages.texts().size(), esiste ? 1 : 2);
    if (!esiste)
        QCOMPARE(b.messages.texts().first(),
                 QStringLiteral("La cartella specificata (../nuova)\nnon è presente sul server. Si desidera crearla?"));
    const QString nome = cartella.mid(3);
    QCOMPARE(leggi(b.radice + u'/' + nome + QStringLiteral("/i.htm")), QByteArray("i"));
    QCOMPARE(leggi(b.radice + QStringLiteral("/cgi-bin/x.pl")), QByteArray("1"));
    QVERIFY(!QFileInfo::exists(b.radice + QStringLiteral("/home/") + nome));
    QVERIFY(!QFileInfo::exists(b.radice + QStringLiteral("/home/cgi-bin")));
    QCOMPARE(b.record(), (QStringList{QStringLiteral("127.0.0.1/../cgi-bin/x.pl"),
                                      QStringLiteral("127.0.0.1/../") + nome + QStringLiteral("/i.htm")}));
    QVERIFY(b.nienteDaInviare());
}

void TestPubblicatore::missingFolderAskedAfterCancel_data()
{
    QTest::addColumn<bool>("crea");
    QTest::newRow("answered No") << false;
    QTest::newRow("answered Yes") << true;
}

// The merchant cancels once the server has said that the remote folder is
// missing, while the folder's records are being dropped (a slow trigger
// holds that step): the question whether to make it is asked all the
// same, and nothing follows it, whatever the answer.
void TestPubblicatore::missingFolderAskedAfterCancel()
{
    QFETCH(bool, crea);
    Banco b;
    QVERIFY(b.avvia());
    b.folderFTP = QStringLiteral("nuova");
    b.pagina(QStringLiteral("i.htm"), "i");
    b.lista();
    b.aggiungiRecord(QStringLiteral("127.0.0.1/nuova/i.htm"));
    auto db = Database::open(b.negozio + QStringLiteral("/vtftp.mdb"));
    db->execute(QStringLiteral("CREATE TABLE lenta(x)"));
    db->execute(QStringLiteral("INSERT INTO lenta WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                               "WHERE x < 500) SELECT x FROM c"));
    db->execute(QStringLiteral("CREATE TRIGGER lento BEFORE DELETE ON file BEGIN "
                               "SELECT count(*) FROM lenta a, lenta b, lenta c; END"));
    b.messages.answer(crea ? Messages::Answer::Yes : Messages::Answer::No);
    std::atomic_bool mancante{false};
    const Pubblicatore::Conclusione e = b.corri(
        ModoFTP::Normale,
        [&](Pubblicatore &p) {
            QElapsedTimer t;
            t.start();
            while (!mancante && t.elapsed() < 20000)
                QThread::msleep(10);
            // The change of folder has ended with the reply; the records'
            // step takes over a second.
            QThread::msleep(200);
            p.annulla();
        },
        [&](const QString &r) {
            if (r.startsWith(QLatin1String("550 ")))
                mancante = true;
        });
    QVERIFY(mancante);
    QVERIFY(!e.riuscito);
    QCOMPARE(b.messages.texts(),
             QStringList{QStringLiteral("La cartella specificata (nuova)\nnon è presente sul server. Si desidera crearla?")});
    QCOMPARE(b.inviati(), QStringList());
    QVERIFY(!QFileInfo::exists(b.radice + QStringLiteral("/nuova")));
}

// Records of a missing remote folder that cannot be dropped: the run stops
// with the database's reason before asking anything, and sends nothing.
void TestPubblicatore::recordsThatCannotBeDropped()
{
    Banco b;
    QVERIFY(b.avvia());
    b.folderFTP = QStringLiteral("nuova");
    b.pagina(QStringLiteral("i.htm"), "i");
    b.lista();
    b.aggiungiRecord(QStringLiteral("127.0.0.1/nuova/i.htm"));
    Database::open(b.negozio + QStringLiteral("/vtftp.mdb"))
        ->execute(QStringLiteral("CREATE TRIGGER guasto BEFORE DELETE ON file BEGIN SELECT RAISE(ABORT, 'disco pieno'); END"));
    b.messages.answer(Messages::Answer::Yes);
    QVERIFY(!b.corri().riuscito);
    QCOMPARE(b.messages.texts().size(), 1);
    QVERIFY2(b.messages.texts().at(0).startsWith(QStringLiteral("Errore: archivio dei file inviati (vtftp.mdb): ")),
             qPrintable(b.messages.texts().at(0)));
    QVERIFY(b.messages.texts().at(0).contains(QStringLiteral("disco pieno")));
    QCOMPARE(b.inviati(), QStringList());
    QCOMPARE(b.record(), QStringList{QStringLiteral("127.0.0.1/nuova/i.htm")});
    QVERIFY(!QFileInfo::exists(b.radice + QStringLiteral("/nuova")));
}

// A level that cannot be made (a read-only parent on the server) is not
// entered: the run ends with its message, and no file is recorded under a
// folder it never reached. The level that exists already is passed over
// without a refusal in the log.
void TestPubblicatore::folderThatCannotBeMade()
{
    Banco b;
    ServerFtp::Guasti g;
    g.soloLettura << QStringLiteral("chiusa");
    QVERIFY(b.avvia(g));
    b.folderFTP = QStringLiteral("chiusa/negozio");
    b.pagina(QStringLiteral("i.htm"), "i");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    b.messages.answer(Messages::Answer::Yes);
    QVERIFY(!b.corri().riuscito);
    QCOMPARE(b.messages.texts().size(), 2);
    QCOMPARE(b.messages.texts().at(1),
             QStringLiteral("Errore: Il server non permette di creare la cartella 'negozio' (permesso negato o "
                            "cartella in sola lettura).\nRisposta del server: 550 Not enough privileges."));
    QCOMPARE(b.inviati(), QStringList());
    QCOMPARE(b.record(), QStringList());
    QVERIFY(!QFileInfo::exists(b.radice + QStringLiteral("/chiusa/negozio")));
    // The level that exists is passed over, not logged as a refusal; the
    // one that could not be made is.
    const QString log = QString::fromUtf8(leggi(b.negozio + QStringLiteral("/vtftp1.log")));
    QVERIFY2(!log.contains(QStringLiteral("cartella 'chiusa' (permesso negato")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("\n* Il server non permette di creare la cartella 'negozio' (permesso negato")),
             qPrintable(log));
}

void TestPubblicatore::failuresLeaveExactRecords_data()
{
    QTest::addColumn<QString>("guasto");
    QTest::addColumn<QStringList>("risposte");
    QTest::addColumn<QString>("messaggio");
    const QString aiutoDati = QStringLiteral("\nProvare a cambiare la modalità di connessione (attiva/passiva)\nnelle "
                                             "proprietà FTP avanzate (scheda \"Internet\", pulsante \"Avanzate\")");
    QTest::newRow("wrong password")
        << "password" << QStringList()
        << "Errore: Il server ha rifiutato l'accesso: controllare il nome utente e la password nella scheda "
           "\"Internet\".\nRisposta del server: 530 Authentication failed.";
    QTest::newRow("read-only folder")
        << "solalettura" << QStringList()
        << "Errore: Il server non permette di scrivere il file 'a.htm' (permesso negato o cartella in sola "
           "lettura).\nRisposta del server: 550 Not enough privileges.";
    QTest::newRow("connection drops mid-file")
        << "cade" << QStringList()
        << "Errore: La connessione con il server si è interrotta durante l'invio del file 'b.jpg'.";
    QTest::newRow("server stops answering") << "fermo" << QStringList() << "Errore: Il server non risponde: tempo scaduto.";
    const QString spazio = QStringLiteral("Errore: Spazio esaurito sul server (disco pieno o quota superata): il "
                                          "file 'b.jpg' non è stato salvato. Liberare spazio sul server o chiedere al "
                                          "fornitore del servizio di aumentarlo.\nRisposta del server: ");
    QTest::newRow("server disk full")
        << "pieno" << QStringList() << spazio + "426 No space left on device; transfer aborted.";
    QTest::newRow("quota") << "risposta" << QStringList{QStringLiteral("STOR b.jpg=552 Quota exceeded.")}
                           << spazio + "552 Quota exceeded.";
    QTest::newRow("disk full while the file goes")
        << "552" << QStringList()
        << spazio + "552 Requested file action aborted: exceeded storage allocation (disk full).";
    // The refused path in the reply is no sign of a full disk.
    QTest::newRow("refusal that names the path")
        << "risposta" << QStringList{QStringLiteral("STOR b.jpg=550 /home/myspace/quota/b.jpg: Permission denied")}
        << "Errore: Il server non permette di scrivere il file 'b.jpg' (permesso negato o cartella in sola "
           "lettura).\nRisposta del server: 550 /home/myspace/quota/b.jpg: Permission denied";
    QTest::newRow("file name refused")
        << "risposta" << QStringList{QStringLiteral("STOR b.jpg=553 File name not allowed.")}
        << "Errore: Il server non accetta il nome del file 'b.jpg': rinominarlo usando solo lettere, cifre, \"-\" e "
           "\"_\".\nRisposta del server: 553 File name not allowed.";
    QTest::newRow("data connection")
        << "risposta" << QStringList{QStringLiteral("STOR b.jpg=425 Can't open data connection.")}
        << "Errore: Impossibile aprire la connessione dei dati con il server.\nRisposta del server: 425 Can't open "
           "data connection." + aiutoDati;
    QTest::newRow("transfer aborted by the server")
        << "risposta" << QStringList{QStringLiteral("STOR b.jpg=426 Connection closed; transfer aborted.")}
        << "Errore: La connessione con il server si è interrotta durante il trasferimento.\nRisposta del server: 426 "
           "Connection closed; transfer aborted.";
    QTest::newRow("server cannot write the file")
        << "risposta" << QStringList{QStringLiteral("STOR b.jpg=451 Failure writing to local file.")}
        << "Errore: Il server non è riuscito a salvare il file 'b.jpg' (spesso per lo spazio esaurito sul server): "
           "riprovare più tardi o chiedere al fornitore del servizio.\nRisposta del server: 451 Failure writing to "
           "local file.";
}

// Each failure ends the run with one clear message in Italian, the
// server's own reply kept as its detail (libcurl's English detail goes to
// the log only); the records hold exactly the files that reached the
// server, and the next run sends exactly the others.
void TestPubblicatore::failuresLeaveExactRecords()
{
    QFETCH(QString, guasto);
    QFETCH(QStringList, risposte);
    QFETCH(QString, messaggio);
    Banco b;
    ServerFtp::Guasti g;
    g.risposte = risposte;
    if (guasto == QLatin1String("solalettura"))
        g.soloLettura << QStringLiteral("www/shop");
    g.cadeDurante = guasto == QLatin1String("cade") ? QStringLiteral("b.jpg") : QString();
    g.siFermaDurante = guasto == QLatin1String("fermo") ? QStringLiteral("b.jpg") : QString();
    g.discoPienoDurante = guasto == QLatin1String("552") ? QStringLiteral("b.jpg") : QString();
    b.pagina(QStringLiteral("a.htm"), "a");
    b.pagina(QStringLiteral("b.jpg"), QByteArray(3 * 1024 * 1024, 'b'));
    b.pagina(QStringLiteral("c.htm"), "c");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    // The server's shop folder on a small file system that a filler leaves
    // too full for b.jpg.
    std::unique_ptr<FileSystemPiccolo> disco;
    const QString riempitivo = b.radice + QStringLiteral("/www/shop/riempitivo");
    if (guasto == QLatin1String("pieno")) {
        disco = std::make_unique<FileSystemPiccolo>(b.radice + QStringLiteral("/www/shop"), 4096);
        if (!disco->montato())
            QSKIP("a small file system cannot be mounted here (the quota row covers a full server)");
        scrivi(riempitivo, QByteArray(2 * 1024 * 1024, 'r'));
    }
    QVERIFY(b.avvia(g));
    if (guasto == QLatin1String("password"))
        b.password = QStringLiteral("sbagliata");
    QElapsedTimer t;
    t.start();
    QVERIFY(!b.corri().riuscito);
    QVERIFY(t.elapsed() < 20000);
    QCOMPARE(b.messages.texts(), QStringList{messaggio});
    const bool primoArrivato = guasto != QLatin1String("password") && guasto != QLatin1String("solalettura");
    QCOMPARE(b.record(), primoArrivato ? QStringList{QStringLiteral("127.0.0.1/www/shop/a.htm")} : QStringList());
    // Where the server gave no reply, the log's own line says why.
    if (!messaggio.contains(QLatin1String("Risposta del server"))) {
        const QRegularExpression dettaglio(QStringLiteral("^\\* \\S"), QRegularExpression::MultilineOption);
        QVERIFY(QString::fromUtf8(leggi(b.negozio + QStringLiteral("/vtftp1.log"))).contains(dettaglio));
    }

    QFile::remove(riempitivo);
    QVERIFY(b.avvia());  // a sound server in place of the faulty one
    b.password = ServerFtp::password();
    b.messages.clear();
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QStringList attesi{QStringLiteral("b.jpg"), QStringLiteral("c.htm")};
    if (!primoArrivato)
        attesi.prepend(QStringLiteral("a.htm"));
    QStringList inviati = b.inviati();
    inviati.removeAll(QStringLiteral("x.pl"));
    QCOMPARE(inviati, attesi);
    QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/b.jpg")).size(), 3 * 1024 * 1024);
}

void TestPubblicatore::resentFileIsNotRecordedUntilWhole_data()
{
    QTest::addColumn<QString>("cartella");
    QTest::addColumn<QString>("nome");
    QTest::newRow("page") << "www/shop" << "b.jpg";
    QTest::newRow("script") << "cgi-bin" << "grande.pl";
}

// Every file sent again unchanged ("Invia solo i file modificati"
// unticked): while a file is being replaced on the server, no saved record
// says that the server holds it (a program killed then leaves the cut file
// to be sent again); when the connection drops during it, only that file
// is sent by the next run.
void TestPubblicatore::resentFileIsNotRecordedUntilWhole()
{
    QFETCH(QString, cartella);
    QFETCH(QString, nome);
    Banco b;
    QVERIFY(b.avvia());
    const QByteArray grande(3 * 1024 * 1024, 'b');
    b.pagina(QStringLiteral("a.htm"), "a");
    b.pagina(QStringLiteral("b.jpg"), grande);
    b.pagina(QStringLiteral("c.htm"), "c");
    b.programma(QStringLiteral("grande.pl"), grande);
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    QVERIFY(b.corri().riuscito);
    const QString chiave = QStringLiteral("127.0.0.1/") + cartella + u'/' + nome;
    QVERIFY(b.record().contains(chiave));

    scrivi(b.negozio + QStringLiteral("/vtftp.ini"), "MODE: 0\r\n");
    ServerFtp::Guasti g;
    g.cadeDurante = nome;
    QVERIFY(b.avvia(g));
    // What another reader of vtftp.mdb finds saved when the file starts.
    QStringList salvati;
    bool letti = false;
    {
        QSqlDatabase lettore = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lettore"));
        lettore.setDatabaseName(b.negozio + QStringLiteral("/vtftp.mdb"));
        QVERIFY(lettore.open());
    }
    b.messages.clear();
    const bool riuscito = b.corri(ModoFTP::Normale, {}, [&](const QString &riga) {
        if (riga != QLatin1String("STOR ") + nome)
            return;
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("lettore")));
        letti = q.exec(QStringLiteral("SELECT nome FROM file"));
        while (q.next())
            salvati << q.value(0).toString();
    }).riuscito;
    QSqlDatabase::removeDatabase(QStringLiteral("lettore"));
    QVERIFY(!riuscito);
    QVERIFY(letti);
    QVERIFY2(!salvati.contains(chiave), qPrintable(salvati.join(u' ')));
    QVERIFY(leggi(b.radice + u'/' + cartella + u'/' + nome).size() < grande.size());
    QVERIFY(!b.record().contains(chiave));

    QFile::remove(b.negozio + QStringLiteral("/vtftp.ini"));
    QVERIFY(b.avvia());
    b.messages.clear();
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(b.inviati(), QStringList{nome});
    QCOMPARE(leggi(b.radice + u'/' + cartella + u'/' + nome), grande);
}

void TestPubblicatore::refusedPermissionsAreRetried_data()
{
    QTest::addColumn<int>("modo");
    QTest::addColumn<QString>("nome");
    QTest::addColumn<bool>("giaRegistrato");
    QTest::addColumn<QString>("messaggio");
    const QString script = QStringLiteral(
        "Errore: Il server non ha permesso di rendere eseguibile lo script 'x.pl' (SITE chmod 755): il file è sul "
        "server ma non funzionerà.\nChiedere al fornitore del servizio di abilitare il comando SITE CHMOD o di rendere "
        "eseguibili gli script della cartella CGI; se il server è Windows, selezionare \"Server Windows NT / 2000\" "
        "nella scheda \"Internet\". Il file sarà inviato di nuovo al prossimo aggiornamento.\nRisposta del server: 550 "
        "Not enough privileges.");
    QTest::newRow("script") << int(ModoFTP::Normale) << "x.pl" << false << script;
    QTest::newRow("script recorded before, every file sent") << int(ModoFTP::Normale) << "x.pl" << true << script;
    QTest::newRow("password file")
        << int(ModoFTP::OTP) << "banca.ric" << false
        << QStringLiteral("Errore: Il server non ha permesso di impostare i permessi del file di password 'banca.ric' "
                          "(SITE chmod 660).\nChiedere al fornitore del servizio di abilitare il comando SITE CHMOD; "
                          "se il server è Windows, selezionare \"Server Windows NT / 2000\" nella scheda \"Internet\". "
                          "Il file sarà inviato di nuovo al prossimo aggiornamento.\nRisposta del server: 550 Not enough "
                          "privileges.");
}

// A server that refuses the permission command: the run fails with what to
// do, the file is not recorded, so every later run sends it and its
// command again, and only a run where the command succeeds says the update
// ended.
void TestPubblicatore::refusedPermissionsAreRetried()
{
    QFETCH(int, modo);
    QFETCH(QString, nome);
    QFETCH(bool, giaRegistrato);
    QFETCH(QString, messaggio);
    Banco b;
    b.pagina(QStringLiteral("i.htm"), "i");
    b.programma(QStringLiteral("x.pl"), "#!/usr/bin/perl\r\n");
    b.programma(QStringLiteral("banca.ric"), "nuova\r\n");
    // A normal update would set the permissions of a password file it lists
    // too: the script's refusal is the one looked at here.
    b.lista(modo == int(ModoFTP::Normale) ? QStringList{QStringLiteral("banca.ric")} : QStringList());
    const QString chiave = QStringLiteral("127.0.0.1/cgi-bin/") + nome;
    const QByteArray comando = "SITE chmod " + QByteArray(nome.endsWith(QLatin1String(".pl")) ? "755 " : "660 ")
        + nome.toUtf8();
    if (giaRegistrato) {
        QVERIFY(b.avvia());
        QVERIFY(b.corri().riuscito);
        QVERIFY(b.record().contains(chiave));
        scriviFile(b.negozio + QStringLiteral("/vtftp.ini"), "MODE: 0\r\n");
    }
    ServerFtp::Guasti g;
    g.senzaChmod = true;
    QVERIFY(b.avvia(g));
    for (int corsa = 0; corsa < 2; ++corsa) {
        b.messages.clear();
        QVERIFY(!b.corri(static_cast<ModoFTP>(modo)).riuscito);
        QCOMPARE(b.messages.texts(), QStringList{messaggio});
        QVERIFY(b.inviati().contains(nome));
        QVERIFY(leggi(b.negozio + QStringLiteral("/vtftp2.log")).contains(comando));
        QVERIFY(!b.record().contains(chiave));
        QFile::remove(b.negozio + QStringLiteral("/vtftp.ini"));
    }
    QVERIFY(b.avvia());
    b.messages.clear();
    QVERIFY(b.corri(static_cast<ModoFTP>(modo)).riuscito);
    QVERIFY(b.inviati().contains(nome));
    QVERIFY(leggi(b.negozio + QStringLiteral("/vtftp2.log")).contains(comando));
    QVERIFY(b.record().contains(chiave));
    if (modo == int(ModoFTP::Normale)) {
        QCOMPARE(b.messages.texts(), QStringList{QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")});
        QVERIFY(b.eseguibile(QStringLiteral("x.pl")));
        QVERIFY(b.nienteDaInviare());
    }
}

// A file name of 240 characters in a deep remote folder: recorded like any
// other, so the next run sends nothing and the scripts after it go too.
void TestPubblicatore::longNamesInDeepFolders()
{
    Banco b;
    QVERIFY(b.avvia());
    QStringList livelli;
    for (int i = 0; i < 4; ++i)
        livelli << QStringLiteral("cartella-%1-").arg(i) + QString(u'p').repeated(60);
    b.folderFTP = livelli.join(u'/');
    QDir(b.radice).mkpath(b.folderFTP);
    const QString lungo = QString(u'n').repeated(236) + QStringLiteral(".htm");
    QCOMPARE(lungo.size(), 240);
    b.pagina(QStringLiteral("a.htm"), "a");
    b.pagina(lungo, "lungo");
    b.pagina(QStringLiteral("z.htm"), "z");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(leggi(b.radice + u'/' + b.folderFTP + u'/' + lungo), QByteArray("lungo"));
    const QString chiave = QStringLiteral("127.0.0.1/") + b.folderFTP + u'/' + lungo;
    QVERIFY(chiave.size() > 500);
    QVERIFY(b.record().contains(chiave));
    QVERIFY(b.record().contains(QStringLiteral("127.0.0.1/cgi-bin/x.pl")));
    QVERIFY(b.eseguibile(QStringLiteral("x.pl")));
    QVERIFY(b.nienteDaInviare());
}

// Only the regular files directly in the folder go: no symbolic link
// (to a file outside the folder or inside it), no folder, no pipe.
void TestPubblicatore::onlyRegularFilesOfTheFolder()
{
    Banco b;
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("a.htm"), "a");
    b.programma(QStringLiteral("x.pl"), "1");
    scrivi(b.dir.path() + QStringLiteral("/segreto.txt"), "password di sistema");
    QVERIFY(QFile::link(b.dir.path() + QStringLiteral("/segreto.txt"), b.pagine + QStringLiteral("/segreto.htm")));
    QVERIFY(QFile::link(b.pagine + QStringLiteral("/a.htm"), b.pagine + QStringLiteral("/alias.htm")));
    QVERIFY(QFile::link(b.dir.path() + QStringLiteral("/segreto.txt"), b.script + QStringLiteral("/segreto.pl")));
    QDir(b.pagine).mkpath(QStringLiteral("sotto.htm"));
    QVERIFY(::mkfifo(QFile::encodeName(b.pagine + QStringLiteral("/tubo.htm")).constData(), 0600) == 0);
    b.lista();
    scriviFile(b.negozio + QStringLiteral("/vtftp.ini"), "MODE: 0\r\nSHOP: 0\r\nTYPE: ALL.\r\n");
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(QDir(b.radice + QStringLiteral("/www/shop")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("a.htm")});
    QCOMPARE(QDir(b.radice + QStringLiteral("/cgi-bin")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("x.pl")});
    QVERIFY(!b.record().join(u' ').contains(QLatin1String("segreto")));
}

// A file whose name holds a line break or another control character is
// never made into a command: it is left out, named in one warning, and the
// rest of the update goes on.
void TestPubblicatore::namesThatWouldBreakACommand()
{
    Banco b;
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("a.htm"), "a");
    b.pagina(QStringLiteral("riga\nDELE a.htm"), "x");
    b.pagina(QStringLiteral("tab\tfoto.jpg"), "x");
    b.pagina(QStringLiteral("z.htm"), "z");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    b.messages.answer(Messages::Answer::No);
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(b.messages.texts(),
             (QStringList{QStringLiteral("Questi file della cartella '%1' non sono stati inviati, perché il loro nome "
                                         "contiene un a capo o un altro carattere di controllo: 'riga\\nDELE a.htm', "
                                         "'tab\\tfoto.jpg'. Rinominarli o toglierli dalla cartella.")
                              .arg(b.pagine),
                          QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")}));
    QCOMPARE(QDir(b.radice + QStringLiteral("/www/shop")).entryList(QDir::Files),
             (QStringList{QStringLiteral("a.htm"), QStringLiteral("z.htm")}));
    QCOMPARE(leggi(b.radice + QStringLiteral("/cgi-bin/x.pl")), QByteArray("1"));
    QVERIFY(leggi(b.negozio + QStringLiteral("/vtftp1.log")).contains("* riga\\nDELE a.htm non è inviato"));
}

// Cancel while a file hangs: the run ends at once without a message, no
// later file is started, and the files sent before stay recorded.
void TestPubblicatore::cancelMidRun()
{
    Banco b;
    ServerFtp::Guasti g;
    g.siFermaDurante = QStringLiteral("b.jpg");
    b.pagina(QStringLiteral("a.htm"), "a");
    b.pagina(QStringLiteral("b.jpg"), QByteArray(3 * 1024 * 1024, 'b'));
    b.pagina(QStringLiteral("c.htm"), "c");
    b.lista();
    QVERIFY(b.avvia(g));
    QElapsedTimer t;
    const Pubblicatore::Conclusione e = b.corri(ModoFTP::Normale, [&](Pubblicatore &p) {
        QThread::msleep(1000);
        t.start();
        p.annulla();
    });
    // The transfer stops at once and the records are saved, within a second.
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!e.riuscito);
    QCOMPARE(b.messages.texts(), QStringList());
    QCOMPARE(b.inviati(), (QStringList{QStringLiteral("a.htm"), QStringLiteral("b.jpg")}));
    QCOMPARE(b.record(), QStringList{QStringLiteral("127.0.0.1/www/shop/a.htm")});
}

void TestPubblicatore::whichFilesAreConsidered_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("inviati");
    const QStringList tutti{QStringLiteral("README"), QStringLiteral("extra.htm"), QStringLiteral("index.htm"),
                            QStringLiteral("jquery.min.js"), QStringLiteral("logo.jpg")};
    QTest::newRow("no vtftp.ini: only the upload list")
        << QByteArray() << QStringList{QStringLiteral("index.htm"), QStringLiteral("jquery.min.js"), QStringLiteral("logo.jpg")};
    QTest::newRow("every file of the folder") << QByteArray("MODE: 1\r\nSHOP: 0\r\nTYPE: ALL.\r\n") << tutti;
    QTest::newRow("pages only, name without a dot skipped")
        << QByteArray("mode: 1\r\nSHOP:0\r\nTYPE: .htm.html.shtm.shtml.css.js.\r\n")
        << QStringList{QStringLiteral("extra.htm"), QStringLiteral("index.htm"), QStringLiteral("jquery.min.js")};
    QTest::newRow("no group: nothing") << QByteArray("MODE: 1\r\nSHOP: 0\r\nTYPE: .\r\n") << QStringList();
    QTest::newRow("a missing line keeps its default")
        << QByteArray("MODE: 1\r\n") << QStringList{QStringLiteral("index.htm"), QStringLiteral("jquery.min.js"), QStringLiteral("logo.jpg")};
}

// The upload list and the extension groups decide which files are
// considered; the extension is the one after the last ".".
void TestPubblicatore::whichFilesAreConsidered()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, inviati);
    Banco b;
    QVERIFY(b.avvia());
    for (const char *n : {"index.htm", "logo.jpg", "jquery.min.js", "README", "extra.htm"})
        b.pagina(QString::fromLatin1(n), "x");
    b.pagina(QStringLiteral(".nascosto"), "x");
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista({QStringLiteral("extra.htm"), QStringLiteral("README")});
    if (!ini.isEmpty())
        scriviFile(b.negozio + QStringLiteral("/vtftp.ini"), ini);
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(QString::fromUtf8(leggi(b.negozio + QStringLiteral("/vtftp1.log"))).count(QStringLiteral("STOR ")),
             inviati.size());
    QStringList arrivati = QDir(b.radice + QStringLiteral("/www/shop")).entryList(QDir::Files);
    arrivati.sort();
    QCOMPARE(arrivati, inviati);
}

void TestPubblicatore::buildFilesGoWithTheScripts_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("inviati");
    const QStringList costruzione{QStringLiteral("prezziABC.tsv"), QStringLiteral("resultsABC.htm"),
                                  QStringLiteral("searchABC.csv"), QStringLiteral("vtorderABC.pl")};
    QTest::newRow("every group ticked")
        << QByteArray("TYPE: .htm.html.shtm.shtml.css.js.gif.jpg.jpeg.png.bmp.mdb.csv.pl.asp.\r\n") << costruzione;
    QTest::newRow("scripts group only") << QByteArray("TYPE: .pl.asp.\r\n") << costruzione;
    QTest::newRow("every file of the folder, scripts group only")
        << QByteArray("SHOP: 0\r\nTYPE: .pl.asp.\r\n") << (QStringList(costruzione) << QStringLiteral("strumento.pl"));
    QTest::newRow("pages group only: no script, no price list")
        << QByteArray("TYPE: .htm.html.shtm.shtml.css.js.\r\n") << QStringList{QStringLiteral("resultsABC.htm")};
}

// With an extension list in force, the files the build writes beside the
// scripts (the order script's price list, the search data and results
// page) go with the scripts group, whatever their extension: a price list
// left behind would keep the server on the old prices. A file the build did
// not write keeps to the extension list.
void TestPubblicatore::buildFilesGoWithTheScripts()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, inviati);
    Banco b;
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("index.htm"), "i");
    for (const char *n : {"vtorderABC.pl", "prezziABC.tsv", "searchABC.csv", "resultsABC.htm"})
        b.programma(QString::fromLatin1(n), "x");
    b.programma(QStringLiteral("strumento.pl"), "x");
    b.programma(QStringLiteral("appunti.tsv"), "x");
    b.lista({QStringLiteral("strumento.pl"), QStringLiteral("appunti.tsv")});
    scriviFile(b.negozio + QStringLiteral("/vtftp.ini"), "MODE: 1\r\nSHOP: 1\r\n" + ini);
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QStringList arrivati = QDir(b.radice + QStringLiteral("/cgi-bin")).entryList(QDir::Files);
    arrivati.sort();
    inviati.sort();
    QCOMPARE(arrivati, inviati);
}

void TestPubblicatore::passwordFileModes_data()
{
    QTest::addColumn<int>("modo");
    QTest::addColumn<bool>("chkNT");
    QTest::addColumn<QByteArray>("atteso");
    QTest::addColumn<QStringList>("inviati");
    QTest::newRow("replace") << int(ModoFTP::OTP) << false << QByteArray("nuova\n")
                             << QStringList{QStringLiteral("banca.ric"), QStringLiteral("banca.ris")};
    QTest::newRow("append") << int(ModoFTP::OTPAccoda) << false << QByteArray("vecchia\nnuova\n")
                            << QStringList{QStringLiteral("banca.ric"), QStringLiteral("banca.ris")};
    QTest::newRow("normal update sets their permissions only") << int(ModoFTP::Normale) << false << QByteArray("vecchia\n")
                                                               << QStringList{QStringLiteral("i.htm"), QStringLiteral("x.pl")};
    QTest::newRow("normal update, Windows server: nothing") << int(ModoFTP::Normale) << true << QByteArray("vecchia\n")
                                                            << QStringList{QStringLiteral("i.htm"), QStringLiteral("x.pl")};
}

// The password-file modes send only the bank's .ric and .ris files, as
// text, replacing or appending, with their permissions and records; a
// normal update does not send them and records nothing for them, but sets
// their permissions unless the server is a Windows server.
void TestPubblicatore::passwordFileModes()
{
    QFETCH(int, modo);
    QFETCH(bool, chkNT);
    QFETCH(QByteArray, atteso);
    QFETCH(QStringList, inviati);
    Banco b;
    b.chkNT = chkNT;
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("i.htm"), "i");
    b.programma(QStringLiteral("x.pl"), "1");
    b.programma(QStringLiteral("banca.ric"), "nuova\r\n");
    b.programma(QStringLiteral("banca.ris"), "nuova\r\n");
    scriviFile(b.radice + QStringLiteral("/cgi-bin/banca.ric"), "vecchia\n");
    scriviFile(b.radice + QStringLiteral("/cgi-bin/banca.ris"), "vecchia\n");
    b.lista();
    scriviFile(b.negozio + QStringLiteral("/vtftp.ini"), "MODE: 1\r\nSHOP: 0\r\nTYPE: ALL.\r\n");
    const Pubblicatore::Conclusione e = b.corri(static_cast<ModoFTP>(modo));
    QVERIFY(e.riuscito);
    QCOMPARE(b.inviati(), inviati);
    QCOMPARE(leggi(b.radice + QStringLiteral("/cgi-bin/banca.ric")), atteso);
    const QByteArray log2 = leggi(b.negozio + QStringLiteral("/vtftp2.log"));
    QCOMPARE(log2.contains("SITE chmod 660 banca.ric"), !chkNT);
    QCOMPARE(log2.contains("SITE chmod 660 banca.ris"), !chkNT);
    QCOMPARE(b.record().contains(QStringLiteral("127.0.0.1/cgi-bin/banca.ric")), modo != int(ModoFTP::Normale));
    // 660: the world may not read it once its permissions are set.
    QCOMPARE(bool(QFileInfo(b.radice + QStringLiteral("/cgi-bin/banca.ric")).permissions() & QFileDevice::ReadOther),
             chkNT);
    if (modo != int(ModoFTP::Normale)) {
        QCOMPARE(b.messages.texts(), QStringList{QStringLiteral("I file di password sono stati aggiornati")});
        QVERIFY(!QFile::exists(b.negozio + QStringLiteral("/vtftp1.log")));
    }
}

// A normal update lists a password file the server does not hold: its
// permission command fails, the run ends with what to do, and nothing is
// recorded for it, so the next update tries again.
void TestPubblicatore::passwordFileNotOnTheServer()
{
    Banco b;
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("i.htm"), "i");
    b.programma(QStringLiteral("banca.ric"), "nuova\r\n");
    b.lista();
    for (int corsa = 0; corsa < 2; ++corsa) {
        b.messages.clear();
        QVERIFY(!b.corri().riuscito);
        QCOMPARE(b.messages.texts().size(), 1);
        QVERIFY2(b.messages.texts().first().startsWith(
                     QStringLiteral("Errore: Il server non ha permesso di impostare i permessi del file di password "
                                    "'banca.ric' (SITE chmod 660).\nSe il file non è ancora sul server, inviarlo con "
                                    "l'aggiornamento dei file di password; altrimenti chiedere al fornitore")),
                 qPrintable(b.messages.texts().first()));
        QVERIFY(b.messages.texts().first().contains(QStringLiteral("Il comando sarà ripetuto al prossimo aggiornamento.")));
        QVERIFY(!b.inviati().contains(QStringLiteral("banca.ric")));
        QVERIFY(!QFile::exists(b.radice + QStringLiteral("/cgi-bin/banca.ric")));
        QCOMPARE(b.record(), QStringList{QStringLiteral("127.0.0.1/www/shop/i.htm")});
    }
}

// An empty pages folder ends the update before any connection; a shop
// never built has no upload list and the publisher does not open.
void TestPubblicatore::nothingToSendOrNoList()
{
    Banco b;
    b.programma(QStringLiteral("x.pl"), "1");
    b.lista();
    QVERIFY(!b.corri().riuscito);
    QCOMPARE(b.messages.texts(),
             QStringList{QStringLiteral("La cartella '%1' è vuota: è necessario costruire il sito prima di metterlo online")
                             .arg(b.pagine)});
    QVERIFY(!QFile::exists(b.negozio + QStringLiteral("/vtftp1.log")));

    QFile::remove(b.negozio + QStringLiteral("/vtftp.dat"));
    ContestoPubblicazione c;
    c.PercorsoNegozio = b.negozio;
    Pubblicatore p(c, ModoFTP::OTP, b.messages);
    QString errore;
    QVERIFY(!p.carica(&errore));
    QVERIFY(errore.contains(QStringLiteral("vtftp.dat")));
}

void TestPubblicatore::shopMovedSinceItsBuild_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<bool>("inviato");
    QTest::newRow("shop folder moved") << "spostato" << true;
    QTest::newRow("shop moved, pages folder of its own that stayed") << "pagine proprie" << true;
    QTest::newRow("shop moved, list without its work database") << "senza database" << false;
    QTest::newRow("pages folder changed since the build") << "cartella cambiata" << false;
}

// A shop folder moved or copied after its build (its upload list names the
// old folder's files): the update sends the shop's own files, its list
// read against the folders as they are; where the list cannot be read so,
// the update says that the shop must be built again, before connecting.
void TestPubblicatore::shopMovedSinceItsBuild()
{
    QFETCH(QString, caso);
    QFETCH(bool, inviato);
    Banco b;
    QVERIFY(b.avvia());
    const QString vecchio = caso == QLatin1String("cartella cambiata") ? b.negozio : b.dir.path() + QStringLiteral("/vecchio");
    QString pagineVecchie = vecchio + QStringLiteral("/online");
    if (caso == QLatin1String("pagine proprie")) {
        b.pagine = b.dir.path() + QStringLiteral("/sito");
        pagineVecchie = b.pagine;
    } else if (caso == QLatin1String("cartella cambiata")) {
        pagineVecchie = b.negozio + QStringLiteral("/pagine");
    }
    b.pagina(QStringLiteral("index.htm"), "<html></html>");
    b.pagina(QStringLiteral("x#y.htm"), "#");
    b.programma(QStringLiteral("vtorderABC.pl"), "#!/usr/bin/perl\r\n");
    QByteArray lista = caso == QLatin1String("senza database") ? QByteArray() : ("#" + vecchio + "/source.mdb").toUtf8();
    lista += ("#" + pagineVecchie + "/index.htm#" + pagineVecchie + "/x#y.htm#" + vecchio + "/scripts/vtorderABC.pl#")
                 .toUtf8();
    scriviFile(b.negozio + QStringLiteral("/vtftp.dat"), lista);
    const Pubblicatore::Conclusione e = b.corri();
    QCOMPARE(e.riuscito, inviato);
    if (inviato) {
        QCOMPARE(b.messages.texts(), QStringList{QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")});
        QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/x#y.htm")), QByteArray("#"));
        QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/index.htm")), QByteArray("<html></html>"));
        QVERIFY(b.eseguibile(QStringLiteral("vtorderABC.pl")));
        QVERIFY(b.nienteDaInviare());
    } else {
        QCOMPARE(b.messages.texts().size(), 1);
        QVERIFY2(b.messages.texts().first().startsWith(
                     QStringLiteral("Impossibile aggiornare il sito:\r\nl'elenco dei file dell'ultima costruzione "
                                    "(vtftp.dat) nomina file che non sono nelle cartelle del negozio, ad esempio '")),
                 qPrintable(b.messages.texts().first()));
        QVERIFY(b.messages.texts().first().endsWith(
            QStringLiteral("E' necessario costruire di nuovo il negozio prima di aggiornare il sito.")));
        QVERIFY(!QFile::exists(b.negozio + QStringLiteral("/vtftp1.log")));
        QCOMPARE(QDir(b.radice + QStringLiteral("/www/shop")).entryList(QDir::Files), QStringList());
    }
}

void TestPubblicatore::shopFolderEndingInHash_data()
{
    QTest::addColumn<bool>("spostato");
    QTest::newRow("built where it is") << false;
    QTest::newRow("moved since its build") << true;
}

// A shop folder inside a folder whose name ends with "#" ("C#"): its upload
// list holds "#/" within its paths, not only between them; the update
// sends the shop's files, whether the shop was built there or elsewhere.
void TestPubblicatore::shopFolderEndingInHash()
{
    QFETCH(bool, spostato);
    Banco b(QStringLiteral("C#/negozio"));
    QVERIFY(b.avvia());
    b.pagina(QStringLiteral("index.htm"), "<html></html>");
    b.pagina(QStringLiteral("x#.htm"), "#");
    b.programma(QStringLiteral("vtorderABC.pl"), "#!/usr/bin/perl\r\n");
    const QString vecchio = spostato ? b.dir.path() + QStringLiteral("/D#/vecchio") : b.negozio;
    scriviFile(b.negozio + QStringLiteral("/vtftp.dat"),
               ("#" + vecchio + "/source.mdb#" + vecchio + "/online/index.htm#" + vecchio + "/online/x#.htm#" + vecchio
                + "/scripts/vtorderABC.pl#")
                   .toUtf8());
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(QDir(b.radice + QStringLiteral("/www/shop")).entryList(QDir::Files),
             (QStringList{QStringLiteral("index.htm"), QStringLiteral("x#.htm")}));
    QVERIFY(b.eseguibile(QStringLiteral("vtorderABC.pl")));
}

void TestPubblicatore::uploadListAndExtensions_data()
{
    QTest::addColumn<QString>("estensioni");
    QTest::addColumn<QString>("nome");
    QTest::addColumn<bool>("ammesso");
    QTest::newRow("everything") << "ALL." << "LEGGIMI" << true;
    QTest::newRow("upper case extension") << ".htm.html." << "INDEX.HTM" << true;
    QTest::newRow("last extension counts") << ".css.js." << "jquery.min.js" << true;
    QTest::newRow("other extension") << ".css.js." << "a.json" << false;
    QTest::newRow("no dot, no extension") << ".css.js." << "LEGGIMI" << false;
    QTest::newRow("empty list") << "" << "a.htm" << false;
}

void TestPubblicatore::uploadListAndExtensions()
{
    QFETCH(QString, estensioni);
    QFETCH(QString, nome);
    QFETCH(bool, ammesso);
    Trasferimento t;
    t.EstensioniOK = estensioni;
    QCOMPARE(t.estensioneAmmessa(nome), ammesso);

    QTemporaryDir d;
    scriviFile(d.path() + QStringLiteral("/vtftp.dat"), "#/n/online/a.htm#/n/online/x#y.htm#/n/scripts/v.pl#");
    ListaCaricamento l;
    QVERIFY(l.carica(d.path() + QStringLiteral("/vtftp.dat")));
    QVERIFY(l.contiene(QStringLiteral("/n/online/a.htm")));
    QVERIFY(l.contiene(QStringLiteral("/n/online/x#y.htm")));
    QVERIFY(!l.contiene(QStringLiteral("/n/online/A.htm")));
    QVERIFY(!l.contiene(QStringLiteral("/n/online")));
}

void TestPubblicatore::fileDelNegozioSoloDallaLista_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::newRow("solo i file della lista") << QByteArray("MODE: 1\r\nSHOP: 1\r\nTYPE: ALL.\r\n");
    QTest::newRow("ogni file della cartella") << QByteArray("MODE: 1\r\nSHOP: 0\r\nTYPE: ALL.\r\n");
}

// A pages folder that is the shop folder itself (the settings record may
// name it; the publisher does not count on the check made when the shop
// opens): whatever the transfer settings, the catalogue with the FTP
// password, the upload records, the settings and logs never go; the pages
// the build listed do.
void TestPubblicatore::fileDelNegozioSoloDallaLista()
{
    QFETCH(QByteArray, ini);
    Banco b;
    QVERIFY(b.avvia());
    b.pagine = b.negozio;
    b.pagina(QStringLiteral("index.htm"), "<html></html>");
    b.pagina(QStringLiteral("vtftp1.log"), "PASS (hidden)");
    b.programma(QStringLiteral("vtorderABC.pl"), "#!/usr/bin/perl\r\n");
    scriviFile(b.negozio + QStringLiteral("/vtftp.dat"),
               ("#" + b.negozio + "/index.htm#" + b.script + "/vtorderABC.pl#").toUtf8());
    scriviFile(b.negozio + QStringLiteral("/vtftp.ini"), ini);
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n')));
    QCOMPARE(QDir(b.radice + QStringLiteral("/www/shop")).entryList(QDir::Files), QStringList{"index.htm"});
}

void TestPubblicatore::throughEveryFirewall_data()
{
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("attiva");
    for (int tipo = 1; tipo <= 7; ++tipo)
        for (bool attiva : {false, true})
            QTest::addRow("type %d, %s", tipo, attiva ? "active" : "passive") << tipo << attiva;
}

// An update through each firewall type of the settings, in passive and
// active mode: every file on the server byte for byte, the script's
// permissions set, and neither the server's nor the firewall's password
// in the logs or in the window's log lines. The server's name is one only
// the firewall can reach.
void TestPubblicatore::throughEveryFirewall()
{
    QFETCH(int, tipo);
    QFETCH(bool, attiva);
    const bool socks = tipo == int(TipoFirewall::Socks4) || tipo == int(TipoFirewall::Socks5);
    if (socks && !ProxySocks::installato())
        QSKIP("dante-server is not installed (scripts/install-deps installs it)");
    Banco b;
    const QString nome = QStringLiteral("ftp.negozio.invalid");
    // A "USER user@host" firewall: the test server stands in for it and
    // takes only the login it would be given.
    ServerFtp::Guasti g;
    if (tipo == int(TipoFirewall::ProxyUser))
        g.utente = ServerFtp::utente() + u'@' + nome + QStringLiteral(":2121");
    QVERIFY(b.avvia(g));
    const int portaServer = tipo == int(TipoFirewall::ProxyUser) ? 2121 : b.server->porta();
    const QString chiave = QStringLiteral("chiave-del-firewall");
    std::unique_ptr<ProxySocks> proxy;
    std::unique_ptr<GatewayFtp> gateway;
    int portaFirewall = b.server->porta();
    if (socks) {
        proxy = std::make_unique<ProxySocks>(b.dir.path());
        QVERIFY(proxy->avviato());
        portaFirewall = proxy->porta();
        b.host = QStringLiteral("127.0.0.1");
    } else if (tipo >= int(TipoFirewall::ProxySite) && tipo <= int(TipoFirewall::ProxyOpen)) {
        const char *comandi[] = {"SITE", "PROXY", "OPEN"};
        gateway = std::make_unique<GatewayFtp>(GatewayFtp::Opzioni{
            QString::fromLatin1(comandi[tipo - int(TipoFirewall::ProxySite)]), QStringLiteral("guardia"), chiave,
            {QStringLiteral("%1:%2=127.0.0.1:%2").arg(nome).arg(portaServer)}, {}});
        QVERIFY(gateway->avviato());
        portaFirewall = gateway->porta();
        b.host = nome;
    } else {
        b.host = nome;
    }
    scriviFile(b.negozio + QStringLiteral("/firewall.net"),
               QStringLiteral("MODE: %1\r\nHOST: 127.0.0.1\r\nTYPE: %2\r\nPORT: %3\r\nFPRT: %4\r\n"
                              "USER: %5\r\nPASS: %6\r\n")
                   .arg(attiva ? 0 : 1)
                   .arg(tipo)
                   .arg(portaFirewall)
                   .arg(portaServer)
                   .arg(gateway ? QStringLiteral("guardia") : QString(), gateway ? chiave : QString())
                   .toUtf8());
    QByteArray foto(200000, '\0');
    for (int i = 0; i < foto.size(); ++i)
        foto[i] = char(i * 7 % 256);
    b.pagina(QStringLiteral("index.htm"), "<html>\r\n</html>\r\n");
    b.pagina(QStringLiteral("foto.jpg"), foto);
    b.programma(QStringLiteral("vtorderABC.pl"), "#!/usr/bin/perl\r\nprint 1;\r\n");
    b.lista();
    b.messages.answer(Messages::Answer::No);
    QVERIFY2(b.corri().riuscito, qPrintable(b.messages.texts().join(u'\n') + u'\n' + b.righeLog.join(u'\n')));
    QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/index.htm")), QByteArray("<html>\r\n</html>\r\n"));
    QCOMPARE(leggi(b.radice + QStringLiteral("/www/shop/foto.jpg")), foto);
    QCOMPARE(leggi(b.radice + QStringLiteral("/cgi-bin/vtorderABC.pl")), QByteArray("#!/usr/bin/perl\nprint 1;\n"));
    QVERIFY(b.eseguibile(QStringLiteral("vtorderABC.pl")));
    const QByteArray log = leggi(b.negozio + QStringLiteral("/vtftp1.log")) + leggi(b.negozio + QStringLiteral("/vtftp2.log"));
    QVERIFY(log.contains("PASS (hidden)"));
    for (const QString &segreto : {ServerFtp::password(), chiave}) {
        QVERIFY(!log.contains(segreto.toUtf8()));
        QVERIFY(!b.righeLog.join(u'\n').contains(segreto));
    }
    QCOMPARE(log.contains("EPRT |") || log.contains("PORT "), attiva);
    QVERIFY(b.nienteDaInviare());
}

QTEST_GUILESS_MAIN(TestPubblicatore)
#include "test_pubblicatore.moc"

// The settings files vtftp.ini and firewall.net, the upload records and
// their upgrade, and the update-site command's checks.
#include "testshop.h"
#include "aggiornasito.h"
#include "catalogschema.h"
#include "ftp.h"
#include "impostazioniftp.h"
#include "negozio.h"
#include "recordinvii.h"
#include "scriptedmessages.h"
#include "recordset.h"
#include "settings.h"
#include "sfogliaftp.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A component that only holds what it is given.
class ComponenteVuoto : public ComponenteFtp {
public:
    RisultatoFtp connetti() override { return {}; }
    RisultatoFtp cambiaCartella(const QString &) override { return {}; }
    RisultatoFtp cartellaSuperiore() override { return {}; }
    RisultatoFtp creaCartella(const QString &) override { return {}; }
    RisultatoFtp annunciaLunghezza(qint64) override { return {}; }
    RisultatoFtp invia(const QString &, const QString &, bool) override { return {}; }
    RisultatoFtp comando(const QString &) override { return {}; }
    RisultatoFtp elenca(bool) override { return {}; }
    RisultatoFtp esci() override { return {}; }
    void interrompi() override {}
    QString cartellaCorrente() const override { return {}; }
};

} // namespace

class TestImpostazioniFtp : public QObject {
    Q_OBJECT
private slots:
    void transferChoices_data();
    void transferChoices();
    void transferFileRead_data();
    void transferFileRead();
    void firewallFile_data();
    void firewallFile();
    void firewallFileIsPrivate();
    void firewallStopsAtABadPort_data();
    void firewallStopsAtABadPort();
    void recordsByExactKeyAndPrefix();
    void oldRecordsGetUtcSeconds_data();
    void oldRecordsGetUtcSeconds();
    void chosenRemoteFolderIntoSettings();
    void updateCommand_data();
    void updateCommand();
};

void TestImpostazioniFtp::transferChoices_data()
{
    QTest::addColumn<bool>("modificati");
    QTest::addColumn<bool>("negozio");
    QTest::addColumn<bool>("estensione");
    QTest::addColumn<QString>("gruppi");  // "1010": chkTipo 0..3
    QTest::addColumn<QByteArray>("file"); // empty: no file
    QTest::addColumn<QString>("riletti");
    QTest::newRow("default choice writes no file") << true << true << false << "1111" << QByteArray() << "1111";
    QTest::newRow("every file sent") << false << true << false << "1111"
                                     << QByteArray("MODE: 0\r\nSHOP: 1\r\nTYPE: ALL.\r\n") << "1111";
    QTest::newRow("pages and pictures") << true << false << true << "1100"
                                        << QByteArray("MODE: 1\r\nSHOP: 0\r\nTYPE: .htm.html.shtm.shtml.css.js"
                                                      ".gif.jpg.jpeg.png.bmp.\r\n")
                                        << "1100";
    QTest::newRow("no group") << true << true << true << "0000" << QByteArray("MODE: 1\r\nSHOP: 1\r\nTYPE: .\r\n")
                              << "0000";
    QTest::newRow("scripts only") << true << true << true << "0001"
                                  << QByteArray("MODE: 1\r\nSHOP: 1\r\nTYPE: .pl.asp.\r\n") << "0001";
}

// What the dialog's OK writes, and how the dialog reads it back.
void TestImpostazioniFtp::transferChoices()
{
    QFETCH(bool, modificati);
    QFETCH(bool, negozio);
    QFETCH(bool, estensione);
    QFETCH(QString, gruppi);
    QFETCH(QByteArray, file);
    QFETCH(QString, riletti);
    QTemporaryDir d;
    const QString ini = d.path() + QStringLiteral("/vtftp.ini");
    scrivi(ini, "MODE: 0\r\n");
    SceltaTrasferimento s;
    s.soloModificati = modificati;
    s.soloNegozio = negozio;
    s.perEstensione = estensione;
    for (int i = 0; i < 4; ++i)
        s.gruppi[i] = gruppi[i] == u'1';
    QString errore;
    QVERIFY(s.salva(ini, &errore));
    QCOMPARE(QFile::exists(ini), !file.isEmpty());
    QCOMPARE(leggi(ini), file);

    SceltaTrasferimento r;
    r.leggi(ini);
    QCOMPARE(r.soloModificati, modificati);
    QCOMPARE(r.soloNegozio, negozio);
    QCOMPARE(r.perEstensione, estensione);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(r.gruppi[i], riletti[i] == u'1');
}

void TestImpostazioniFtp::transferFileRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("inviaTutti");
    QTest::addColumn<bool>("soloNegozio");
    QTest::addColumn<QString>("estensioni");
    QTest::newRow("no file") << QByteArray() << false << true << "ALL.";
    QTest::newRow("lower-case key, no blank") << QByteArray("mode:0\nshop:0\ntype:.pl.asp.\n") << true << false
                                             << ".pl.asp.";
    QTest::newRow("later line wins") << QByteArray("MODE: 0\r\nMODE: 1\r\n") << false << true << "ALL.";
    QTest::newRow("leading number") << QByteArray("MODE: 0 (tutti)\r\nSHOP: 12abc\r\n") << true << true << "ALL.";
    QTest::newRow("other lines skipped") << QByteArray("# note\r\nXXXX: 0\r\n\r\n") << false << true << "ALL.";
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFMODE: 0\r\n") << true << true << "ALL.";
}

void TestImpostazioniFtp::transferFileRead()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, inviaTutti);
    QFETCH(bool, soloNegozio);
    QFETCH(QString, estensioni);
    QTemporaryDir d;
    const QString ini = d.path() + QStringLiteral("/vtftp.ini");
    if (!file.isEmpty())
        scrivi(ini, file);
    const Trasferimento t = Trasferimento::leggi(ini);
    QCOMPARE(t.InviaTutti, inviaTutti);
    QCOMPARE(t.SoloNegozio, soloNegozio);
    QCOMPARE(t.EstensioniOK, estensioni);
}

void TestImpostazioniFtp::firewallFile_data()
{
    QTest::addColumn<bool>("passiva");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("porta");
    QTest::addColumn<QString>("portaFTP");
    QTest::addColumn<QByteArray>("righe");      // TYPE, PORT and FPRT lines as written
    QTest::addColumn<int>("tipoComponente");
    QTest::addColumn<int>("portaComponente");
    QTest::addColumn<int>("portaFTPComponente");
    QTest::addColumn<QString>("portaRiletta");
    QTest::addColumn<QString>("portaFTPRiletta");
    QTest::addColumn<bool>("fermato");  // the component's reading stops at the bad port
    QTest::newRow("socks 5 with a port") << true << 2 << "1080" << "21" << QByteArray("TYPE: 2\r\nPORT: 1080\r\nFPRT: 21")
                                         << 2 << 1080 << 21 << "1080" << "21" << false;
    QTest::newRow("empty ports") << true << 0 << "" << "" << QByteArray("TYPE: 0\r\nPORT: \r\nFPRT: ") << 0 << 21 << 21
                                 << "" << "21" << false;
    QTest::newRow("no type selected") << false << -1 << "" << "2121" << QByteArray("TYPE: -1\r\nPORT: \r\nFPRT: 2121")
                                      << 0 << 21 << 2121 << "" << "2121" << false;
    QTest::newRow("ports above 32767") << true << 1 << "40000" << "50021"
                                       << QByteArray("TYPE: 1\r\nPORT: 40000\r\nFPRT: 50021") << 1 << 40000 << 50021
                                       << "40000" << "50021" << false;
    QTest::newRow("port beyond the range") << true << 7 << "70000" << "8021.6"
                                           << QByteArray("TYPE: 7\r\nPORT: 70000\r\nFPRT: 8022") << 7 << 21 << 21
                                           << "70000" << "8022" << true;
}

// What the dialog writes, what the component gets, what the dialog reads
// back; the component's reading stops at a port beyond the range.
void TestImpostazioniFtp::firewallFile()
{
    QFETCH(bool, passiva);
    QFETCH(int, tipo);
    QFETCH(QString, porta);
    QFETCH(QString, portaFTP);
    QFETCH(QByteArray, righe);
    QFETCH(int, tipoComponente);
    QFETCH(int, portaComponente);
    QFETCH(int, portaFTPComponente);
    QFETCH(QString, portaRiletta);
    QFETCH(QString, portaFTPRiletta);
    QFETCH(bool, fermato);
    QTemporaryDir d;
    const QString net = d.path() + QStringLiteral("/firewall.net");
    ImpostazioniFirewall f;
    f.passiva = passiva;
    f.host = QStringLiteral(" proxy.lan ");
    f.tipo = tipo;
    f.porta = porta;
    f.portaFTP = portaFTP;
    f.user = QStringLiteral("mario");
    f.password = QStringLiteral("pw");
    QVERIFY(f.salva(net, nullptr));
    QCOMPARE(leggi(net), QByteArray("MODE: ") + (passiva ? "1" : "0") + "\r\nHOST: proxy.lan\r\n" + righe
                                 + "\r\nUSER: mario\r\nPASS: pw\r\n");

    ComponenteVuoto c;
    LeggiFirewall(net, c);
    QCOMPARE(c.attiva, !passiva);
    QCOMPARE(c.firewall.tipo, tipoComponente);
    QCOMPARE(c.firewall.porta, portaComponente);
    QCOMPARE(c.porta, portaFTPComponente);
    QCOMPARE(c.firewall.host, QStringLiteral("proxy.lan"));
    QCOMPARE(c.firewall.user, fermato ? QString() : QStringLiteral("mario"));
    QCOMPARE(c.firewall.password, fermato ? QString() : QStringLiteral("pw"));

    ImpostazioniFirewall r;
    r.tipo = 3;
    r.leggi(net);
    QCOMPARE(r.passiva, passiva);
    QCOMPARE(r.tipo, tipo < 0 ? 3 : tipo);
    QCOMPARE(r.porta, portaRiletta);
    QCOMPARE(r.portaFTP, portaFTPRiletta);
}

// firewall.net holds a password: only its owner may read it, and a write
// replaces the file whole.
void TestImpostazioniFtp::firewallFileIsPrivate()
{
    QTemporaryDir d;
    const QString net = d.path() + QStringLiteral("/firewall.net");
    scrivi(net, "vecchio");
    QFile(net).setPermissions(QFileDevice::Permissions(0x6644));
    QVERIFY(ImpostazioniFirewall().salva(net, nullptr));
    QCOMPARE(QFile(net).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                           | QFileDevice::WriteUser);
    QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("firewall.net")});

    // No file: the component keeps its own settings.
    ComponenteVuoto c;
    c.attiva = true;
    LeggiFirewall(d.path() + QStringLiteral("/manca.net"), c);
    QVERIFY(c.attiva);
    QCOMPARE(c.porta, 21);
}

void TestImpostazioniFtp::firewallStopsAtABadPort_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("attiva");
    QTest::addColumn<int>("portaFirewall");
    QTest::addColumn<int>("portaServer");
    QTest::addColumn<QString>("user");
    // The component starts with ports 98 and 99: a port left at that was
    // never applied.
    QTest::newRow("firewall port 0 names none and reading goes on")
        << QByteArray("MODE: 0\r\nPORT: 0\r\nFPRT: 2121\r\nUSER: mario\r\n") << true << 0 << 2121 << "mario";
    QTest::newRow("server port 0 names none and reading goes on")
        << QByteArray("PORT: 1080\r\nFPRT: 0\r\nUSER: mario\r\n") << false << 1080 << 0 << "mario";
    QTest::newRow("firewall port -1") << QByteArray("MODE: 0\r\nPORT: -1\r\nFPRT: 2121\r\nUSER: mario\r\n") << true
                                      << 98 << 99 << "";
    QTest::newRow("negative server port") << QByteArray("MODE: 0\r\nPORT: 1080\r\nFPRT: -21\r\nUSER: mario\r\n")
                                          << true << 1080 << 99 << "";
    QTest::newRow("server port 65536 on the first line") << QByteArray("FPRT: 65536\r\nMODE: 0\r\nPORT: 1080\r\n")
                                                         << false << 98 << 99 << "";
    QTest::newRow("huge port") << QByteArray("PORT: 99999999999\r\nUSER: mario\r\n") << false << 98 << 99 << "";
    QTest::newRow("edges of the range") << QByteArray("PORT: 65535.4\r\nFPRT: 1\r\nUSER: mario\r\n") << false << 65535
                                        << 1 << "mario";
    QTest::newRow("no number is 21 and reading goes on")
        << QByteArray("PORT: porta\r\nFPRT: \r\nUSER: mario\r\n") << false << 21 << 21 << "mario";
}

// A port beyond the 16 bits of a port number stops the reading of
// firewall.net at its line: what came before stays set, nothing after it is
// applied. 0 is read: it names no port.
void TestImpostazioniFtp::firewallStopsAtABadPort()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, attiva);
    QFETCH(int, portaFirewall);
    QFETCH(int, portaServer);
    QFETCH(QString, user);
    QTemporaryDir d;
    const QString net = d.path() + QStringLiteral("/firewall.net");
    scrivi(net, file);
    ComponenteVuoto c;
    c.firewall.porta = 98;
    c.porta = 99;
    LeggiFirewall(net, c);
    QCOMPARE(c.attiva, attiva);
    QCOMPARE(c.firewall.porta, portaFirewall);
    QCOMPARE(c.porta, portaServer);
    QCOMPARE(c.firewall.user, user);
}

// Keys are compared exactly and bound as values; the clean-up takes a
// folder's records by prefix, wildcards and quotes as plain characters.
void TestImpostazioniFtp::recordsByExactKeyAndPrefix()
{
    QTemporaryDir d;
    CatalogSchema::createEmptyShop(d.path());
    const QString mdb = d.path() + QStringLiteral("/vtftp.mdb");
    {
        RecordInvii r(mdb);
        for (const char *k : {"h/www/it's/a.htm", "h/www/IT'S/a.htm", "h/www/a%b/x.htm", "h/www/aXXb/x.htm",
                              "h/www/a%b/sotto/x.htm", "h/www/a%bc/x.htm"})
            r.aggiungi(QString::fromLatin1(k), 1700000000, 3000000000LL);
        const auto trovato = r.cerca(QStringLiteral("h/www/it's/a.htm"));
        QVERIFY(trovato);
        QCOMPARE(trovato->peso, 3000000000LL);
        QVERIFY(!r.cerca(QStringLiteral("h/www/It's/a.htm")));
        r.elimina(QStringLiteral("h/www/it's/a.htm"));
        QVERIFY(!r.cerca(QStringLiteral("h/www/it's/a.htm")));
        QVERIFY(r.cerca(QStringLiteral("h/www/IT'S/a.htm")));
        r.aggiungi(QStringLiteral("h/www/it's/a.htm"), 1700000100, 5);
        QCOMPARE(r.cerca(QStringLiteral("h/www/it's/a.htm"))->data, 1700000100);
        // Read at once, a folder's records answer the same.
        r.precarica(QStringLiteral("h/www/"));
        QCOMPARE(r.cerca(QStringLiteral("h/www/it's/a.htm"))->data, 1700000100);
        QVERIFY(!r.cerca(QStringLiteral("h/www/It's/a.htm")));
        r.aggiungi(QStringLiteral("h/www/nuovo.htm"), 1, 2);
        QCOMPARE(r.cerca(QStringLiteral("h/www/nuovo.htm"))->peso, 2);
        r.eliminaPrefisso(QStringLiteral("h/www/"));
        QVERIFY(!r.cerca(QStringLiteral("h/www/nuovo.htm")));
    }
    {
        RecordInvii r(mdb);
        for (const char *k : {"h/www/it's/a.htm", "h/www/IT'S/a.htm", "h/www/a%b/x.htm", "h/www/aXXb/x.htm",
                              "h/www/a%b/sotto/x.htm", "h/www/a%bc/x.htm"})
            r.aggiungi(QString::fromLatin1(k), 1700000000, 3000000000LL);
    }
    auto db = Database::open(mdb);
    auto restano = [&db] {
        QSqlQuery q = db->run(QStringLiteral("SELECT nome FROM file ORDER BY nome"));
        QStringList l;
        while (q.next())
            l << q.value(0).toString();
        return l;
    };
    const QStringList attesi{QStringLiteral("h/www/IT'S/a.htm"), QStringLiteral("h/www/a%bc/x.htm"),
                             QStringLiteral("h/www/aXXb/x.htm"), QStringLiteral("h/www/it's/a.htm")};
    QString errore;
    {
        RecordInvii r(mdb);
        QVERIFY2(PulisciDB(r, QStringLiteral("h"), QStringLiteral("www/a%b"), &errore), qPrintable(errore));
    }
    QCOMPARE(restano(), attesi);

    // A deletion the database refuses is reported to the caller, and
    // deletes nothing.
    db->execute(QStringLiteral("CREATE TRIGGER guasto BEFORE DELETE ON file BEGIN SELECT RAISE(ABORT, 'disco pieno'); END"));
    {
        RecordInvii r(mdb);
        QVERIFY(!PulisciDB(r, QStringLiteral("h"), QStringLiteral("www"), &errore));
    }
    QVERIFY2(errore.contains(QStringLiteral("disco pieno")), qPrintable(errore));
    QCOMPARE(restano(), attesi);
}

void TestImpostazioniFtp::oldRecordsGetUtcSeconds_data()
{
    QTest::addColumn<bool>("dataTesto");
    QTest::newRow("dates as text") << true;
    QTest::newRow("UTC seconds, short key") << false;
}

// A shop whose records hold the send time as date text gets UTC seconds
// at its next opening; a text that is no date is sent again. Keys of 255
// characters at most take keys of any length from then on.
void TestImpostazioniFtp::oldRecordsGetUtcSeconds()
{
    QFETCH(bool, dataTesto);
    QTemporaryDir d;
    CatalogSchema::createEmptyShop(d.path());
    const QString mdb = d.path() + QStringLiteral("/vtftp.mdb");
    QFile::remove(mdb);
    const qint64 atteso = QDateTime(QDate(2023, 11, 14), QTime(23, 13, 20)).toSecsSinceEpoch();
    {
        auto campo = [](const char *nome, FieldType tipo) {
            FieldDef f;
            f.name = QString::fromLatin1(nome);
            f.type = tipo;
            f.size = tipo == FieldType::Text ? 255 : 0;
            f.exact = true;
            return f;
        };
        TableDef file{QStringLiteral("file"),
                      {campo("nome", FieldType::Text), campo("data", dataTesto ? FieldType::DateTime : FieldType::Double),
                       campo("peso", dataTesto ? FieldType::Long : FieldType::Double)},
                      {}};
        auto db = Database::create(mdb, DatabaseDef{{file}});
        db->execute(QStringLiteral("INSERT INTO file VALUES ('h/./a.htm', ?, 12)"),
                    {dataTesto ? QVariant(QStringLiteral("2023-11-14T23:13:20")) : QVariant(atteso)});
        db->execute(QStringLiteral("INSERT INTO file VALUES ('h/./b.htm', ?, 7)"),
                    {dataTesto ? QVariant(QStringLiteral("ieri")) : QVariant(0)});
        db->close();
    }
    AggiornaNegozio(d.path());
    RecordInvii r(mdb);
    QCOMPARE(r.cerca(QStringLiteral("h/./a.htm"))->data, atteso);
    QCOMPARE(r.cerca(QStringLiteral("h/./a.htm"))->peso, 12);
    QCOMPARE(r.cerca(QStringLiteral("h/./b.htm"))->data, 0);
    r.aggiungi(QStringLiteral("h/./c.htm"), 1700000000, 5000000000LL);
    QCOMPARE(r.cerca(QStringLiteral("h/./c.htm"))->peso, 5000000000LL);
    const QString lunga = QStringLiteral("h/") + QString(u'c').repeated(300) + u'/' + QString(u'n').repeated(250);
    r.aggiungi(lunga, 1700000000, 1);
    QCOMPARE(r.cerca(lunga)->data, 1700000000);
    // Still compared exactly.
    QVERIFY(!r.cerca(QStringLiteral("H/./A.HTM")));
}

// The folder chosen in the browser goes into the settings record with the
// shop folder or scripts folder derived from it.
void TestImpostazioniFtp::chosenRemoteFolderIntoSettings()
{
    QTemporaryDir d;
    CatalogSchema::createEmptyShop(d.path());
    auto db = Database::open(d.path() + QStringLiteral("/catalog.mdb"));
    Recordset g(db, QStringLiteral("SELECT * FROM generale"));
    ImpostaCartellaFTP(g, 0, QStringLiteral("www/negozio"));
    ImpostaCartellaFTP(g, 1, QStringLiteral("/cgi-bin/"));
    Recordset r(db, QStringLiteral("SELECT * FROM generale"));
    QCOMPARE(r.text(QStringLiteral("folderFTP")), QStringLiteral("www/negozio"));
    QCOMPARE(r.text(QStringLiteral("cartella")), QStringLiteral("negozio"));
    QCOMPARE(r.text(QStringLiteral("folderCGI")), QStringLiteral("/cgi-bin/"));
    QCOMPARE(r.text(QStringLiteral("cartellaCGI")), QStringLiteral("cgi-bin"));
}

void TestImpostazioniFtp::updateCommand_data()
{
    QTest::addColumn<QString>("noShow");
    QTest::addColumn<bool>("costruito");
    QTest::addColumn<QString>("risposte");  // avviso, impostazioni, pubblicatore: S/N, "-" not shown
    QTest::addColumn<QString>("finestre");  // which windows were shown: A, I, P
    QTest::addColumn<bool>("avvisato");     // the "build first" warning
    QTest::newRow("warning answered No") << "" << true << "N--" << "A" << false;
    QTest::newRow("stored zero still warns") << "0" << true << "SSS" << "AIP" << false;
    QTest::newRow("warning switched off") << "1" << true << "-SS" << "IP" << false;
    QTest::newRow("never built") << "1" << false << "---" << "" << true;
    QTest::newRow("transfer settings cancelled") << "1" << true << "-N-" << "I" << false;
    QTest::newRow("publisher cannot open") << "1" << true << "-SN" << "IP" << true;
}

void TestImpostazioniFtp::updateCommand()
{
    QFETCH(QString, noShow);
    QFETCH(bool, costruito);
    QFETCH(QString, risposte);
    QFETCH(QString, finestre);
    QFETCH(bool, avvisato);
    QTemporaryDir d;
    SettingsStore::setLocation(d.path() + QStringLiteral("/impostazioni"));
    if (!noShow.isEmpty())
        SettingsStore::set(QStringLiteral("Vetrasto"), QStringLiteral("AppIni"), QStringLiteral("NoShow"), noShow);
    if (costruito)
        scrivi(d.path() + QStringLiteral("/vtftp.dat"), "#");
    QString mostrate;
    FinestreAggiornamento f;
    f.avviso = [&] { mostrate += u'A'; return risposte[0] == u'S'; };
    f.impostaTrasferimento = [&] { mostrate += u'I'; return risposte[1] == u'S'; };
    f.pubblica = [&] { mostrate += u'P'; return risposte[2] == u'S'; };
    ScriptedMessages m;
    ComandoAggiornaSito(d.path(), m, f);
    QCOMPARE(mostrate, finestre);
    QCOMPARE(m.texts(), avvisato ? QStringList{MessaggioNegozioDaCostruire()} : QStringList());
    NonMostrarePiuAvvisoAggiornamento();
    QVERIFY(!AvvisoAggiornamentoDaMostrare());
}

QTEST_GUILESS_MAIN(TestImpostazioniFtp)
#include "test_impostazioniftp.moc"

// The showcase table, the logo tag and the gateway files of the thank-you
// pages: form actions and server files from conf.ini in a real shop folder.
#include "campinegozio.h"
#include "formato.h"
#include "home.h"
#include "make.h"
#include "ringraziamento.h"
#include "risorse.h"

#include "database.h"
#include "scriptedmessages.h"
#include "testshop.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

// The shop's files as a build examines them: its code folder and the
// folders of the gateways named.
FileAmmessi esaminati(const QString &negozio, const QStringList &gateway = {})
{
    FileAmmessi file;
    file.esamina(negozio + "/code", negozio);
    for (const QString &g : gateway)
        file.esamina(negozio + "/code/" + g, negozio);
    return file;
}

} // namespace

class TestRingraziamento : public QObject {
    Q_OBJECT

    TestProgramFolder m_program;
    QString m_negozio;
    Impostazioni m_imp;

private slots:
    void initTestCase()
    {
        m_negozio = m_program.newShop();
        m_imp.txtURL = "www.esempio.it";
        m_imp.txtCGI = "cgi-bin";
    }

    void vetrina_data()
    {
        QTest::addColumn<int>("celle");
        QTest::addColumn<int>("perRiga");
        QTest::addColumn<QList<int>>("righe");  // cells of each row
        QTest::newRow("sette per tre") << 7 << 3 << QList<int>{3, 3, 1};
        QTest::newRow("sei per tre") << 6 << 3 << QList<int>{3, 3};
        QTest::newRow("una per dieci") << 1 << 10 << QList<int>{1};
        QTest::newRow("nessuna") << 0 << 3 << QList<int>{};
    }

    void vetrina()
    {
        QFETCH(int, celle);
        QFETCH(int, perRiga);
        QFETCH(QList<int>, righe);
        QStringList c;
        for (int i = 1; i <= celle; ++i)
            c << QStringLiteral("c%1").arg(i);
        const QString t = TabellaVetrina(c, perRiga);
        if (righe.isEmpty()) {
            QCOMPARE(t, QString());
            return;
        }
        QVERIFY(t.startsWith("<div align=\"center\"><center><table border=\"0\" cellpadding=\"4\" cellspacing=\"0\">\r\n"));
        QVERIFY(t.endsWith("</tr>\r\n</table>\r\n</center></div>\r\n"));
        const QStringList r = t.split("<tr>\r\n").mid(1);
        QCOMPARE(r.size(), righe.size());
        for (int i = 0; i < r.size(); ++i) {
            QCOMPARE(r[i].count("<td valign=\"top\" align=\"center\">\r\n"), righe[i]);
            QCOMPARE(r[i].count("</td>\r\n"), righe[i]);
            QCOMPARE(r[i].count("</tr>"), 1);
        }
    }

    void logo_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<qint64>("x");
        QTest::addColumn<qint64>("y");
        QTest::addColumn<QString>("tag");
        QTest::newRow("logo") << "logo.gif" << qint64(120) << qint64(40)
                              << "<img border=\"0\" src=\"logo.gif\" width=\"120\" height=\"40\">";
        // Both sizes or neither.
        QTest::newRow("larghezza 0") << "l.jpg" << qint64(0) << qint64(40) << "<img border=\"0\" src=\"l.jpg\">";
        QTest::newRow("altezza 0") << "l.jpg" << qint64(120) << qint64(0) << "<img border=\"0\" src=\"l.jpg\">";
        QTest::newRow("nessun logo") << "" << qint64(120) << qint64(40) << "";
        QTest::newRow("virgolette nel nome") << "a\"b&.gif" << qint64(1) << qint64(2)
                                             << "<img border=\"0\" src=\"a&quot;b&amp;.gif\" width=\"1\" height=\"2\">";
    }

    void logo()
    {
        QFETCH(QString, nome);
        QFETCH(qint64, x);
        QFETCH(qint64, y);
        QTEST(TagLogo(nome, x, y), "tag");
    }

    void azione_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<int>("nt");
        QTest::addColumn<QString>("azione");
        const QString perl = "http://www.esempio.it/cgi-bin/@@" + CodiceSito(m_imp) + ".pl";
        auto pl = [perl](const char *v) { return QString(perl).replace("@@", QLatin1String(v)); };
        QTest::newRow("asp prima di pl, unix") << QByteArray("asp(default)=a\r\npl(default)=p\r\n") << 0
                                               << pl("p");
        QTest::newRow("asp prima di pl, windows") << QByteArray("asp(default)=a\r\npl(default)=p\r\n") << 1 << "a.asp";
        QTest::newRow("action chiude la lettura") << QByteArray("action=x\r\npl(default)=p\r\n") << 0 << pl("x");
        QTest::newRow("nessuna riga accettata") << QByteArray("pl(default)=p\r\nasp(default)=a\r\n") << 2 << "a.asp";
        QTest::newRow("maiuscole non contano") << QByteArray("ACTION=x\r\nPl(default)=p\r\n") << 0 << "";
        QTest::newRow("valore con uguale e a capo LF") << QByteArray("mid=1\naction=a=b\n") << 0 << pl("a=b");
        QTest::newRow("riga senza chiave") << QByteArray("=action\r\naction\r\n") << 0 << "";
    }

    void azione()
    {
        QFETCH(QByteArray, conf);
        QFETCH(int, nt);
        scrivi(m_negozio + "/code/prova/conf.ini", conf);
        Impostazioni imp = m_imp;
        imp.chkNT = nt;
        const FileAmmessi file = esaminati(m_negozio, {"prova", "  ", "manca"});
        QTEST(ReadEpgAction(file, m_negozio, "prova", imp), "azione");
        QCOMPARE(ReadEpgAction(file, m_negozio, "  ", imp), QString());
        QCOMPARE(ReadEpgAction(file, m_negozio, "manca", imp), QString());
    }

    void frammento()
    {
        scrivi(m_negozio + "/code/Banca.epg", "<p>\xC3\xA8</p>");
        const FileAmmessi file = esaminati(m_negozio);
        QCOMPARE(ReadEpg(file, m_negozio, " Banca "), QString("<p>è</p>"));
        QCOMPARE(ReadEpg(file, m_negozio, "banca"), QString("<p>è</p>"));  // letter case aside
        QCOMPARE(ReadEpg(file, m_negozio, ""), QString());
        QCOMPARE(ReadEpg(file, m_negozio, "manca"), ErroreEpg);
    }

    void fileServer_data()
    {
        QTest::addColumn<int>("nt");
        QTest::addColumn<QStringList>("fatti");
        // With chkNT 1 a `pl` line still makes a Perl script and asp(sel) an
        // ASP page; with 0 the ASP lines but `asp` are skipped.
        QTest::newRow("unix") << 0 << QStringList{"scripts/uno%1.pl", "online/tutti.asp", "scripts/due%1.pl"};
        QTest::newRow("windows") << 1 << QStringList{"online/sel.asp", "scripts/uno%1.pl", "online/tutti.asp"};
    }

    void fileServer()
    {
        QFETCH(int, nt);
        QFETCH(QStringList, fatti);
        const QString c = m_negozio + "/code/gw/";
        scrivi(c + "conf.ini", "asp(sel)=sel\r\npl=uno\r\nasp=tutti\r\npl(sel)=due\r\nPL=x\r\npl=../fuori\r\n"
                               "pl=a\tb\r\npl=collegato\r\n");
        for (const char *f : {"sel.asp", "uno.pl", "tutti.asp", "due.pl", "x.pl", "a\tb.pl"})
            scrivi(c + f, "<<1-IDnegozio>>");
        scrivi(m_negozio + "/code/fuori.pl", "no");
        // A model that is a link, even to a file of the shop, is not read.
        QFile::remove(c + "collegato.pl");
        QVERIFY(QFile::link(m_negozio + "/code/fuori.pl", c + "collegato.pl"));
        Riga pagina(CampiTabella::daTabella(*Database::open(m_negozio + "/source.new"), "categoria"));
        pagina.imposta(u"IDnegozio", CodiceSito(m_imp));
        ScriptedMessages msg;
        const QStringList r =
            SetPG(esaminati(m_negozio, {"gw"}), pagina, m_negozio, "gw", m_negozio + "/online", m_negozio + "/scripts", [&] {
                Impostazioni i = m_imp;
                i.chkNT = nt;
                return i;
            }(), msg);
        QStringList attesi;
        for (const QString &f : fatti)
            attesi << m_negozio + '/' + f.arg(CodiceSito(m_imp));
        QCOMPARE(r, attesi);
        // A script takes the row's values as base64, a page as they stand.
        for (const QString &f : attesi)
            QCOMPARE(leggi(f), (f.endsWith(".pl") ? CodiceSito(m_imp).toUtf8().toBase64() : CodiceSito(m_imp).toUtf8()) +
                                   "\r\n");
        // A name that leaves the folder or holds a control character, and a
        // model that is no regular file, are refused and reported.
        const QString errore = "Errore nell'elaborazione del file " + m_negozio + "/scripts/";
        const QString codice = CodiceSito(m_imp) + ".pl";
        QCOMPARE(msg.texts(), (QStringList{errore + "../fuori" + codice, errore + "a\tb" + codice,
                                           Make::Modello{c + "collegato.pl"}.avvisoMancante(),
                                           errore + "collegato" + codice}));
        QVERIFY(!QFile::exists(m_negozio + "/fuori" + codice));
        QVERIFY(!QFile::exists(m_negozio + "/scripts/collegato" + codice));
    }
};

QTEST_MAIN(TestRingraziamento)
#include "test_ringraziamento.moc"

// The shipping, payment and currency tables of the page scripts, read from a
// real catalogue made from the empty shop's schema.
#include "tabelle.h"

#include "catalogschema.h"
#include "currency.h"
#include "database.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString crlf = QStringLiteral("\r\n");

// One JavaScript array of 16 entries: `altro` everywhere but the given ones.
QString arr(const QString &nome, const QMap<int, QString> &voci, const QString &altro)
{
    QStringList v;
    for (int e = 0; e < 16; ++e)
        v << voci.value(e, altro);
    return nome + "=new Array(" + v.join(',') + ");" + crlf;
}

qlonglong soldi(const char *testo) { return qlonglong(Currency::parse(QString::fromLatin1(testo))->raw); }

} // namespace

class TestTabelle : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    DatabasePtr m_db;
    ShopState m_stato;

    // Methods: "1,3" are active, the rest not; every zone row empty.
    void metodi(const QList<int> &attivi, int selezionato)
    {
        for (int k = 1; k <= 4; ++k)
            m_db->execute(QStringLiteral("UPDATE pagamento SET attivo%1=?").arg(k), {attivi.contains(k)});
        m_db->execute("UPDATE pagamento SET selezionato=?", {selezionato});
    }

private slots:
    void initTestCase()
    {
        CatalogSchema::createEmptyShop(m_dir.path() + "/negozio");
        m_db = Database::open(m_dir.path() + "/negozio/catalog.mdb");
        m_stato.FormatoDecimali1 = "0.00";
        m_stato.PrefissoValuta1 = "€ ";
        m_stato.SeparatoreMigliaia = ".";
        m_stato.SeparatoreDecimali = ",";
    }

    void init()
    {
        for (int z = 1; z <= 4; ++z) {
            m_db->execute(QStringLiteral("DELETE FROM zona%1").arg(z));
            m_db->execute(QStringLiteral("INSERT INTO zona%1 (pag1) VALUES (0)").arg(z));
        }
        m_db->execute("UPDATE pagamento SET ivaok1=-1, ivaok2=0, ivaok3=-1, ivaok4=0, zonasel=1, imppeso=0, "
                      "paesesel='1'");
        metodi({1, 2}, 1);
    }

    void importi_data()
    {
        QTest::addColumn<QList<int>>("attivi");
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<int>("zonasel");
        QTest::addColumn<QString>("importi");
        QTest::addColumn<QString>("permessi");
        QTest::addColumn<QString>("iva");

        const QString z = "0", c = "0.00";
        QTest::newRow("nessun metodo") << QList<int>{} << QStringList{} << 1
            << arr("impord1", {}, z) + arr("impspese1", {}, c) + arr("impord2", {}, z) + arr("impspese2", {}, c)
                   + arr("impspese3", {}, c)
            << "var SpOk='';\r\nvar IvaOk='1010';" << "";

        // Method 3 is the second active one: its bands fill entries 4..7.
        QTest::newRow("metodi 1 e 3")
            << QList<int>{1, 3}
            << QStringList{"UPDATE zona2 SET pag3=-1, m3imp1=200000, m3imp2=1000000, m3sp1=50000, m3sp2=30000, "
                           "m3sp3=0",
                           "UPDATE zona1 SET pag1=-1, m1imp1=500000, m1imp2=1000000, m1sp1=99900"}
            << 2
            << arr("impord1", {{0, "50"}, {5, "20"}}, z) + arr("impspese1", {{0, "9.99"}, {5, "5.00"}}, c)
                   + arr("impord2", {{0, "100"}, {5, "100"}}, z) + arr("impspese2", {{5, "3.00"}}, c) + arr("impspese3", {}, c)
            << "var SpOk='10000100';\r\nvar IvaOk='1010';" << "totiva = 0;";

        // Bands given the wrong way round change places with their costs.
        QTest::newRow("fasce invertite")
            << QList<int>{1} << QStringList{"UPDATE zona3 SET m1imp1=1000000, m1imp2=500000, m1sp1=70000, "
                                            "m1sp2=90000, m1sp3=10000"}
            << 3
            << arr("impord1", {{2, "50"}}, z) + arr("impspese1", {{2, "9.00"}}, c) + arr("impord2", {{2, "100"}}, z)
                   + arr("impspese2", {{2, "7.00"}}, c) + arr("impspese3", {{2, "1.00"}}, c)
            << "var SpOk='0000';\r\nvar IvaOk='1010';" << "";

        // Amounts no single-precision number holds are written exactly.
        QTest::newRow("importi esatti")
            << QList<int>{1}
            << QStringList{QStringLiteral("UPDATE zona1 SET m1imp1=%1, m1imp2=%2, m1sp1=%3, m1sp3=%4")
                               .arg(soldi("16777217.01"))
                               .arg(soldi("99999999.99"))
                               .arg(soldi("0.125"))
                               .arg(soldi("1234567.89"))}
            << 1
            << arr("impord1", {{0, "16777217.01"}}, z) + arr("impspese1", {{0, "0.13"}}, c)
                   + arr("impord2", {{0, "99999999.99"}}, z) + arr("impspese2", {}, c)
                   + arr("impspese3", {{0, "1234567.89"}}, c)
            << "var SpOk='0000';\r\nvar IvaOk='1010';" << "";

        // A value of a money field that is no amount (a text, a number
        // beyond the money range) counts as an empty one: never a number
        // wrapped round.
        QTest::newRow("importi che non sono importi")
            << QList<int>{1} << QStringList{"PRAGMA ignore_check_constraints = 1", "UPDATE zona1 SET m1imp1='abc', m1imp2=1e39, m1sp1=-1e39, m1sp3=2.5"}
            << 1
            << arr("impord1", {}, z) + arr("impspese1", {}, c) + arr("impord2", {}, z) + arr("impspese2", {}, c)
                   + arr("impspese3", {}, c)
            << "var SpOk='0000';\r\nvar IvaOk='1010';" << "";
    }

    void importi()
    {
        QFETCH(QList<int>, attivi);
        QFETCH(QStringList, sql);
        QFETCH(int, zonasel);
        metodi(attivi, attivi.isEmpty() ? 1 : attivi.first());
        m_db->execute("UPDATE pagamento SET zonasel=?", {zonasel});
        for (const QString &s : sql)
            m_db->execute(s);
        TabelleScript t;
        QString v1, v2, v3;
        t.MakeImporti(m_db, m_stato, v1, v2, v3);
        QTEST(v1, "importi");
        QTEST(v2, "permessi");
        QTEST(v3, "iva");

        // Once per build: a later call gives the same texts without reading.
        m_db->execute("UPDATE zona1 SET m1imp1=1, m2imp1=1, m3imp1=1");
        QString w1, w2, w3;
        t.MakeImporti(m_db, m_stato, w1, w2, w3);
        QCOMPARE(w1, v1);
        t.azzera();
        t.MakeImporti(m_db, m_stato, w1, w2, w3);
        QCOMPARE(w1 != v1, !attivi.isEmpty());
    }

    void importiPeso()
    {
        metodi({2}, 2);
        // Bands 5, 0, 2 (the rest 0) come out in ascending weight.
        m_db->execute("UPDATE zona4 SET m2peso1=5, m2spp1=50000, m2peso2=0, m2spp2=10000, m2peso3=2.5, "
                      "m2spp3=20000, m2spp10=990000, m1peso1=7");
        m_db->execute("UPDATE pagamento SET imppeso=2");
        TabelleScript t;
        QString v1, v2;
        t.MakeImportiPeso(m_db, m_stato, v1, v2);
        QString atteso;
        const QString c = "0.00";
        for (int b = 1; b <= 10; ++b) {
            const QString n = QString::number(b);
            if (b < 10)
                atteso += arr("imppeso" + n, {{3, b == 8 ? "2.5" : b == 9 ? "5" : "0"}}, "0");
            // Band 2 (weight 0, cost 1.00) comes first of the zero weights:
            // equal weights keep their order.
            QMap<int, QString> costi;
            if (b == 1)
                costi[3] = "1.00";
            if (b == 8)
                costi[3] = "2.00";
            if (b == 9)
                costi[3] = "5.00";
            if (b == 10)
                costi[3] = "99.00";
            atteso += arr("impspp" + n, costi, c);
        }
        QCOMPARE(v1, atteso);
        QCOMPARE(v2, QString("1"));
        m_db->execute("UPDATE pagamento SET imppeso=0");
        t.MakeImportiPeso(m_db, m_stato, v1, v2);
        QCOMPARE(v2, QString("0"));
    }

    void tipoSel_data()
    {
        QTest::addColumn<QList<int>>("attivi");
        QTest::addColumn<int>("selezionato");
        QTest::addColumn<QString>("paese");
        QTest::addColumn<int>("cella");
        // Country 31 (Regno Unito) is in zone 3, country 5 (Belgio) in zone 2.
        QTest::newRow("metodo 2, zona 3") << QList<int>{1, 2} << 2 << "31" << 7;
        QTest::newRow("primo metodo, zona 1") << QList<int>{1, 2} << 1 << "1" << 1;
        // The cell follows the method's place among the active ones, as the
        // cost arrays are filled.
        QTest::newRow("metodo 3 secondo attivo") << QList<int>{1, 3} << 3 << "5" << 6;
        QTest::newRow("metodo 4 unico attivo") << QList<int>{4} << 4 << "31" << 3;
        QTest::newRow("preselezionato non attivo") << QList<int>{1} << 2 << "31" << 1;
        QTest::newRow("paese mancante") << QList<int>{1, 2} << 2 << "999" << 1;
    }

    void tipoSel()
    {
        QFETCH(QList<int>, attivi);
        QFETCH(int, selezionato);
        QFETCH(QString, paese);
        metodi(attivi, selezionato);
        m_db->execute("UPDATE pagamento SET paesesel=?", {paese});
        QTEST(TabelleScript::MakeTipoSel(m_db), "cella");
    }

    void selezioni()
    {
        m_db->execute("UPDATE pagamento SET paesesel='31'");
        metodi({1, 3}, 3);
        const QString paesi = TabelleScript::MakePaesi(m_db);
        QVERIFY(paesi.startsWith("<select size=\"1\" name=\"LSStato\" onChange=\"SpedPaese()\">\r\n"
                                 "<option value =\"1\">Italia</option>\r\n"));
        QVERIFY(paesi.contains("\r\n<option selected value =\"3\">Regno Unito</option>\r\n"));
        QCOMPARE(paesi.count("selected"), 1);
        QVERIFY(paesi.endsWith("</option>\r\n</select>"));
        QCOMPARE(TabelleScript::MakePagamenti(m_db),
                 QString("<select size=\"1\" name=\"Pagamento\" onChange=\"SpedPaese()\">\r\n"
                         "<option>Contrassegno</option>\r\n<option selected>Carta di credito</option>\r\n</select>"));
    }

    void nomiComeLiLegge_data()
    {
        // The names as the merchant wrote them, and as the options hold them:
        // the text a browser shows, so that the order form sends it back as
        // the order script reads it.
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("opzione");
        QTest::newRow("trattino") << "Contrassegno &ndash; corriere" << "Contrassegno \u2013 corriere";
        QTest::newRow("spazio unito ed euro") << "(+5&nbsp;&euro;)" << "(+5\u00a0\u20ac)";
        QTest::newRow("accento e apostrofo") << "C&ocirc;te d&rsquo;Ivoire" << "C\u00f4te d\u2019Ivoire";
        QTest::newRow("virgolette basse") << "&laquo;Bio&raquo; \"x\"" << "\u00abBio\u00bb &quot;x&quot;";
        QTest::newRow("di Windows e senza punto e virgola") << "&#150; Caff&egrave" << "\u2013 Caff\u00e8";
        QTest::newRow("e commerciale") << "R&D &amp; co" << "R&amp;D &amp; co";
        QTest::newRow("tag") << "<b>Italia</b> <!-- nota -->" << "Italia ";
        QTest::newRow("minore e maggiore") << "1 < 2 &gt; 0" << "1 &lt; 2 &gt; 0";
        QTest::newRow("controlli") << QStringLiteral("a") + QChar(1) + QStringLiteral("b&#0;c") << "ab\ufffdc";
    }

    void nomiComeLiLegge()
    {
        QFETCH(QString, nome);
        QFETCH(QString, opzione);
        m_db->execute("UPDATE paesi SET paese=? WHERE strID='31'", {nome});
        m_db->execute("UPDATE pagamento SET paesesel='31'");
        metodi({1, 3}, 3);
        m_db->execute("UPDATE pagamento SET nome3=?", {nome});
        QVERIFY2(TabelleScript::MakePaesi(m_db).contains("<option selected value =\"3\">" + opzione + "</option>"),
                 qPrintable(TabelleScript::MakePaesi(m_db)));
        QVERIFY2(TabelleScript::MakePagamenti(m_db).contains("<option selected>" + opzione + "</option>"),
                 qPrintable(TabelleScript::MakePagamenti(m_db)));
    }

    void valuta_data()
    {
        QTest::addColumn<QString>("prefisso");
        QTest::addColumn<QString>("decimali");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("euro") << "€ " << "0.00"
            << "var valuta=\"€ \";\r\nvar sepmigl=\".\";\r\nvar sepdec=\",\";\r\nvar PutDec= 1;\r\n";
        QTest::newRow("lire senza decimali") << "L. " << "0"
            << "var valuta=\"L. \";\r\nvar sepmigl=\".\";\r\nvar sepdec=\",\";\r\nvar PutDec= 0;\r\n";
        // The merchant's text cannot end the string or the script early.
        QTest::newRow("caratteri speciali") << "a\"b\\c\r\nd</script>" << "0"
            << "var valuta=\"a\\\"b\\\\c\\r\\nd<\\/script>\";\r\nvar sepmigl=\".\";\r\nvar sepdec=\",\";\r\n"
               "var PutDec= 0;\r\n";
    }

    void valuta()
    {
        QFETCH(QString, prefisso);
        QFETCH(QString, decimali);
        ShopState s = m_stato;
        s.PrefissoValuta1 = prefisso;
        s.FormatoDecimali1 = decimali;
        QTEST(TabelleScript::JavaValuta(s), "atteso");
    }
};

QTEST_MAIN(TestTabelle)
#include "test_tabelle.moc"

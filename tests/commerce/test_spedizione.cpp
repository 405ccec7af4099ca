// The shipping dialog's logic on a real catalogue: what each edit of the
// methods, countries and cost bands writes, the checks of "OK", and the
// savepoint that spans the dialog ("Annulla" leaves the seven tables as
// they were, keys and counters included).
#include "tabelleprova.h"
#include "testshop.h"
#include "spedizione.h"

#include "scriptedmessages.h"
#include "recordset.h"

#include <QtTest>

using namespace Spedizione;

class TestSpedizione : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> m_programma;
    QString m_negozio;
    DatabasePtr m_db;
    ScriptedMessages m_msg;
    std::unique_ptr<EditorSpedizione> m_ed;

    QVariant campo(const QString &tabella, const QString &nome)
    {
        return m_db->scalar(QStringLiteral("SELECT \"%1\" FROM \"%2\"").arg(nome, tabella));
    }

private slots:
    void init()
    {
        m_programma = std::make_unique<TestProgramFolder>();
        m_negozio = m_programma->newShopWithCode();
        m_db = apriCatalogo(m_negozio);
        QFile epg(m_negozio + "/code/Contrassegno.epg");
        QVERIFY(epg.open(QIODevice::WriteOnly));
        epg.close();
        m_msg.clear();
        m_ed = std::make_unique<EditorSpedizione>(m_db, m_negozio, u',', m_msg);
        m_ed->apri();
    }
    void cleanup()
    {
        m_ed.reset();
        m_db->close();
        m_db.reset();
        m_programma.reset();
    }

    // The empty shop: methods 1 and 2 active, 1 preselected, Italy (zone 1)
    // preselected; method 1 offered in zone 1 only.
    void metodi_data()
    {
        QTest::addColumn<QList<int>>("attiviPrima");
        QTest::addColumn<int>("preselezionato");
        QTest::addColumn<int>("metodo");
        QTest::addColumn<bool>("spunta");
        QTest::addColumn<bool>("mostrato");   // the box's state afterwards
        QTest::addColumn<QString>("messaggio");
        QTest::addColumn<QList<int>>("lista");  // preselection list afterwards
        const QString pre = "Questo metodo di pagamento è preselezionato e non può essere eliminato";
        const QString uno = "Almeno un metodo di pagamento deve essere selezionato";
        QTest::newRow("togliere il preselezionato") << QList<int>{1, 2} << 1 << 1 << false << true << pre << QList<int>{1, 2};
        QTest::newRow("togliere l'altro") << QList<int>{1, 2} << 2 << 1 << false << false << "" << QList<int>{2};
        QTest::newRow("solo il 2, preselezionato") << QList<int>{2} << 2 << 2 << false << true << pre << QList<int>{2};
        QTest::newRow("ultimo attivo non preselezionato") << QList<int>{3} << 1 << 3 << false << true << uno << QList<int>{3};
        QTest::newRow("attivare il 3") << QList<int>{1, 2} << 1 << 3 << true << true << "" << QList<int>{1, 2, 3};
        QTest::newRow("attivare il 4") << QList<int>{1} << 1 << 4 << true << true << "" << QList<int>{1, 4};
    }
    void metodi()
    {
        QFETCH(QList<int>, attiviPrima);
        QFETCH(int, preselezionato);
        QFETCH(int, metodo);
        QFETCH(bool, spunta);
        for (int k = 1; k <= 4; ++k)
            m_db->execute(QStringLiteral("UPDATE pagamento SET attivo%1=?").arg(k), {attiviPrima.contains(k)});
        m_db->execute("UPDATE pagamento SET selezionato=?", {preselezionato});
        m_ed->dataPagamento.refresh();
        m_ed->dataPagamento.recordset().moveFirst();
        QTEST(m_ed->cliccaAttivo(metodo, spunta), "mostrato");
        QFETCH(QString, messaggio);
        QCOMPARE(m_msg.texts(), messaggio.isEmpty() ? QStringList() : QStringList{messaggio});
        QFETCH(bool, mostrato);
        QCOMPARE(campo("pagamento", QStringLiteral("attivo%1").arg(metodo)).toBool(), mostrato);
        QList<int> lista;
        for (const auto &v : m_ed->PopolaMetodi())
            lista << v.metodo;
        QTEST(lista, "lista");
    }

    void nomi_data()
    {
        QTest::addColumn<int>("metodo");
        for (int k = 1; k <= 4; ++k)
            QTest::addRow("metodo %d", k) << k;
    }
    void nomi()
    {
        QFETCH(int, metodo);
        const QString n = QStringLiteral("nome%1").arg(metodo);
        m_ed->cliccaAttivo(metodo, true);
        m_ed->scegliMetodo(metodo, "Contrassegno");
        QCOMPARE(campo("pagamento", QStringLiteral("metodo%1").arg(metodo)).toString(), QStringLiteral("Contrassegno"));
        m_ed->scegliMetodo(metodo, "non in elenco");
        QCOMPARE(campo("pagamento", QStringLiteral("metodo%1").arg(metodo)).toString(), QStringLiteral("Contrassegno"));
        QCOMPARE(m_ed->cambiaNome(metodo, "Corriere"), QStringLiteral("Corriere"));
        QCOMPARE(campo("pagamento", n).toString(), QStringLiteral("Corriere"));
        // A name past the field's 50 characters is refused and reported.
        QCOMPARE(m_ed->cambiaNome(metodo, QString(51, u'x')), QStringLiteral("Corriere"));
        QCOMPARE(m_msg.shown().size(), size_t(1));
        // Left blank, an active method takes its interface's name.
        m_ed->cambiaNome(metodo, "  ");
        QCOMPARE(m_ed->lasciaNome(metodo), QStringLiteral("Contrassegno"));
        QCOMPARE(campo("pagamento", n).toString(), QStringLiteral("Contrassegno"));
    }

    void interfacce()
    {
        QCOMPARE(m_ed->interfacce(), (QStringList{"", "Contrassegno"}));
        QFile f(m_negozio + "/code/Banca Sella.epg");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QFile g(m_negozio + "/code/AuthorizeNet.epg");
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.close();
        // A name that is no plain folder name is not offered: the build
        // would refuse it as the folder of the system's files.
        for (const char *nome : {"riga\nnuova.epg", "a\\b.epg", "tab\t.epg"})
            scrivi(m_negozio + "/code/" + nome, "<p>x</p>");
        EditorSpedizione altro(m_db, m_negozio, u',', m_msg);
        altro.apri();
        QCOMPARE(altro.interfacce(), (QStringList{"", "AuthorizeNet", "Banca Sella", "Contrassegno"}));
        const QString prima = altro.metodo(1);
        altro.scegliMetodo(1, "riga\nnuova");
        QCOMPARE(altro.metodo(1), prima);
        altro.annulla();
    }

    void paesi()
    {
        const int prima = int(m_ed->paesi().size());
        const qint64 ultimo = m_ed->paesi().back().id;
        QVERIFY(!m_ed->aggiungiPaese("   "));
        QVERIFY(m_ed->aggiungiPaese("Italia"));
        QVERIFY(m_ed->aggiungiPaese(QString(60, u'a')));
        const auto p = m_ed->paesi();
        QCOMPARE(int(p.size()), prima + 2);
        QCOMPARE(p[prima].paese, QStringLiteral("Italia"));
        QCOMPARE(p[prima].strID, QString::number(ultimo + 1));
        QCOMPARE(p[prima].zona, std::optional<int>(1));
        QCOMPARE(p[prima + 1].paese, QString(50, u'a'));
        QCOMPARE(p[prima + 1].strID, QString::number(ultimo + 2));
        QCOMPARE(m_ed->paeseCorrente(), prima + 1);  // the last added is current

        m_ed->scegliZona(3);
        QCOMPARE(m_db->scalar("SELECT zona FROM paesi WHERE ID=?", {ultimo + 2}).toInt(), 3);

        // Deleting the preselected country is refused; the first country
        // deleted leaves the new first one current.
        m_ed->vaiPaese(0);
        QCOMPARE(m_ed->paesi()[0].strID, m_ed->paeseSelezionato());
        QVERIFY(!m_ed->eliminaPaese());
        QCOMPARE(m_msg.texts(), QStringList{"Questo Paese è preselezionato e non può essere eliminato"});
        m_ed->scegliPaese(p[1].strID);
        QCOMPARE(campo("pagamento", "paesesel").toString(), p[1].strID);
        m_ed->vaiPaese(0);
        QVERIFY(m_ed->eliminaPaese());
        QCOMPARE(m_ed->paeseCorrente(), 0);
        QCOMPARE(m_ed->paesi()[0].id, p[1].id);
    }

    void ultimoPaese()
    {
        m_db->execute("DELETE FROM paesi WHERE ID > 1");
        m_db->execute("UPDATE pagamento SET paesesel='999'");
        m_ed->dataPaesi.refresh();
        m_ed->dataPagamento.refresh();
        m_ed->dataPagamento.recordset().moveFirst();
        m_ed->vaiPaese(0);
        QVERIFY(!m_ed->eliminaPaese());
        QCOMPARE(m_msg.texts(), QStringList{"Almeno un paese deve essere definito"});
        QCOMPARE(m_db->scalar("SELECT count(*) FROM paesi").toInt(), 1);
    }

    // Band fields, in both panels, of every zone.
    void fasce_data()
    {
        QTest::addColumn<int>("zona");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("mostrato");
        QTest::addColumn<QVariant>("salvato");  // stored value; invalid: unchanged
        QTest::addColumn<bool>("avviso");
        const auto soldi = [](const char *t) { return QVariant::fromValue(*Currency::parse(QLatin1String(t))); };
        for (int z = 1; z <= 4; ++z) {
            QTest::addRow("z%d peso con punto", z) << z << "m2peso3" << "12.5" << "12,5" << QVariant(12.5) << false;
            QTest::addRow("z%d peso negativo", z) << z << "m4peso9" << "-7" << "7" << QVariant(7.0) << false;
            QTest::addRow("z%d costo a peso", z) << z << "m1spp10" << "3,25" << "3,25" << soldi("3.25") << false;
            QTest::addRow("z%d importo con zeri", z) << z << "m3imp2" << "0010" << "10" << soldi("10") << false;
            QTest::addRow("z%d spese esatte", z) << z << "m1sp3" << "19,99" << "19,99" << soldi("19.99") << false;
            QTest::addRow("z%d lettere nel peso", z) << z << "m1peso1" << "abc" << "" << QVariant() << true;
            QTest::addRow("z%d due separatori", z) << z << "m3sp1" << "3,2,1" << "" << QVariant() << true;
            QTest::addRow("z%d importo oltre il campo", z) << z << "m3imp1" << "99999999999999999999" << ""
                                                          << QVariant() << true;
            QTest::addRow("z%d peso oltre il campo", z) << z << "m1peso2" << ("1" + QString(40, u'0')) << ""
                                                       << QVariant() << true;
        }
    }
    void fasce()
    {
        QFETCH(int, zona);
        QFETCH(QString, campo);
        QFETCH(QString, testo);
        QFETCH(QVariant, salvato);
        QFETCH(bool, avviso);
        m_ed->mostraZona(zona);
        QCOMPARE(m_ed->zonaMostrata(), zona);
        QTEST(m_ed->scriviFascia(campo, testo), "mostrato");
        QCOMPARE(m_msg.shown().size(), size_t(avviso ? 1 : 0));
        Recordset rs(m_db, QStringLiteral("SELECT * FROM zona%1").arg(zona));
        rs.moveFirst();
        if (salvato.isValid())
            QCOMPARE(rs.value(campo), salvato);
        else
            QVERIFY(rs.value(campo).isNull());
        // Emptied, the field stores Null again.
        QCOMPARE(m_ed->scriviFascia(campo, ""), QString());
        rs.requery();
        rs.moveFirst();
        QVERIFY(rs.value(campo).isNull());
    }

    // Amounts written back on leaving keep every digit the field holds (four
    // decimals), and are stored exactly as shown.
    void importiEsatti_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("mostrato");
        QTest::newRow("otto cifre") << "123456,78" << "123456,78";
        QTest::newRow("centesimi dopo cinque zeri") << "100000,55" << "100000,55";
        QTest::newRow("milioni") << "1234567,5" << "1234567,5";
        QTest::newRow("tredici cifre intere") << "9999999999999,9999" << "9999999999999,9999";
        QTest::newRow("zeri iniziali") << "0010" << "10";
        QTest::newRow("zeri ai due lati") << "05,50" << "5,5";
        QTest::newRow("oltre i quattro decimali") << "1,23456" << "1,2346";
        QTest::newRow("punto come separatore") << "12.5" << "12,5";
    }
    void importiEsatti()
    {
        QFETCH(QString, testo);
        QFETCH(QString, mostrato);
        QCOMPARE(m_ed->normalizzaImporto(testo), mostrato);
        QCOMPARE(m_ed->scriviFascia("m1imp1", m_ed->normalizzaImporto(testo)), mostrato);
        Recordset rs(m_db, "SELECT * FROM zona1");
        rs.moveFirst();
        QCOMPARE(rs.value("m1imp1").value<Currency>(), *Currency::parse(QString(mostrato).replace(u',', u'.')));
        QVERIFY(m_msg.shown().empty());
    }

    void modoEZone()
    {
        QVERIFY(!m_ed->perPeso());
        m_ed->setPerPeso(true);
        QCOMPARE(campo("pagamento", "imppeso").toInt(), 1);
        m_db->execute("UPDATE pagamento SET imppeso=2");
        m_ed->dataPagamento.refresh();
        m_ed->dataPagamento.recordset().moveFirst();
        QVERIFY(m_ed->perPeso());
        for (int n = 1; n <= 4; ++n) {
            m_ed->setIvaZona(n, n % 2 == 0);
            QCOMPARE(campo("pagamento", QStringLiteral("ivaok%1").arg(n)).toBool(), n % 2 == 0);
            m_ed->mostraZona(n);
            m_ed->setOfferto(2, n != 3);
            QCOMPARE(campo(QStringLiteral("zona%1").arg(n), "pag2").toBool(), n != 3);
            // An inactive method cannot be offered.
            m_ed->setOfferto(4, true);
            QVERIFY(!campo(QStringLiteral("zona%1").arg(n), "pag4").toBool());
        }
    }

    void conferma_data()
    {
        QTest::addColumn<int>("zonaPaese");
        QTest::addColumn<QString>("paesesel");
        QTest::addColumn<QString>("messaggio");
        QTest::newRow("paese e metodo validi") << 1 << "1" << "";
        QTest::newRow("paese inesistente") << 1 << "777" << "Selezionare un Paese differente nel campo 'Preselezione'";
        // Method 1 is offered in zone 1, not in zone 2.
        QTest::newRow("metodo non offerto nella zona")
            << 2 << "1" << "Selezionare un diverso metodo di pagamento/spedizione nel campo 'Preselezione'";
    }
    void conferma()
    {
        QFETCH(int, zonaPaese);
        QFETCH(QString, paesesel);
        QFETCH(QString, messaggio);
        m_ed->vaiPaese(0);
        m_ed->scegliZona(zonaPaese);
        m_ed->scegliPaese(paesesel);
        m_ed->aggiungiPaese("Nuovo");
        const auto esito = m_ed->conferma();
        QCOMPARE(m_msg.texts(), messaggio.isEmpty() ? QStringList() : QStringList{messaggio});
        QCOMPARE(esito, messaggio.isEmpty() ? EditorSpedizione::EsitoConferma::Confermata
                                            : EditorSpedizione::EsitoConferma::Rifiutata);
        QCOMPARE(m_ed->aperta(), !messaggio.isEmpty());
        if (messaggio.isEmpty()) {
            QCOMPARE(m_db->transactionDepth(), 0);
            QCOMPARE(campo("pagamento", "zonasel").toInt(), zonaPaese);
            QCOMPARE(m_db->scalar("SELECT count(*) FROM paesi WHERE paese='Nuovo'").toInt(), 1);
        }
    }

    // Bands out of order, and a zone holding countries that offers no
    // method: "OK" confirms at once, asking nothing.
    void confermaSenzaControlloDelleFasce()
    {
        m_ed->mostraZona(1);
        m_ed->scriviFascia("m1imp1", "100");
        m_ed->scriviFascia("m1imp2", "50");
        m_db->execute("UPDATE zona2 SET pag1=0, pag2=0");
        QCOMPARE(m_ed->conferma(), EditorSpedizione::EsitoConferma::Confermata);
        QVERIFY(m_msg.shown().empty());
        QCOMPARE(campo("zona1", "m1imp2").toLongLong(), qint64(Currency::fromUnits(50).raw));
    }

    // "Annulla" after edits in all three editors: the tables as before,
    // byte for byte, keys and counters included.
    void annulla()
    {
        const QString prima = dumpTabelle(*m_db);
        m_ed->cliccaAttivo(3, true);
        m_ed->cambiaNome(3, "Ritiro in negozio");
        m_ed->scegliPreselezione(3);
        m_ed->aggiungiPaese("Islanda");
        m_ed->aggiungiPaese("Norvegia");
        m_ed->vaiPaese(4);
        m_ed->eliminaPaese();
        m_ed->scegliZona(4);
        m_ed->setPerPeso(true);
        for (int n = 1; n <= 4; ++n) {
            m_ed->mostraZona(n);
            m_ed->setOfferto(3, true);
            m_ed->scriviFascia("m3peso1", "2,5");
            m_ed->scriviFascia("m3spp1", "4");
            m_ed->setIvaZona(n, true);
        }
        QVERIFY(dumpTabelle(*m_db) != prima);
        m_ed->annulla();
        QVERIFY(m_ed->chiusura());
        QCOMPARE(m_db->transactionDepth(), 0);
        QCOMPARE(dumpTabelle(*m_db), prima);
        // The counter was rolled back too: the next country gets the same ID.
        EditorSpedizione di_nuovo(m_db, m_negozio, u',', m_msg);
        di_nuovo.apri();
        di_nuovo.aggiungiPaese("Islanda");
        QCOMPARE(di_nuovo.paesi().back().id, m_db->scalar("SELECT max(ID) FROM paesi").toLongLong());
        QCOMPARE(di_nuovo.paesi().back().id, qint64(37));
    }

    // A failure in the middle of "OK" keeps the dialog open and stores
    // nothing; "Annulla" then leaves the tables as they were.
    void confermaFallita()
    {
        const QString prima = dumpTabelle(*m_db);
        m_db->execute("CREATE TEMP TRIGGER guasto BEFORE UPDATE OF zonasel ON pagamento "
                      "BEGIN SELECT RAISE(ABORT, 'disco pieno'); END");
        m_ed->aggiungiPaese("Islanda");
        m_ed->mostraZona(2);
        m_ed->scriviFascia("m2sp1", "5");
        const QString modificato = dumpTabelle(*m_db);
        QCOMPARE(m_ed->conferma(), EditorSpedizione::EsitoConferma::Fallita);
        QVERIFY(m_msg.texts().value(0).startsWith("Impossibile salvare le spese di spedizione"));
        QVERIFY(m_msg.texts().value(0).contains("disco pieno"));
        QVERIFY(m_ed->aperta());
        QCOMPARE(dumpTabelle(*m_db), modificato);
        m_ed->annulla();  // the trigger was made inside the savepoint: it goes too
        QCOMPARE(dumpTabelle(*m_db), prima);
    }

    // Backup tables left by an older program are no obstacle.
    void vecchieCopie()
    {
        m_ed->annulla();
        for (const QString &t : Tabelle())
            m_db->execute(QStringLiteral("CREATE TABLE \"temp%1\" AS SELECT * FROM \"%1\"").arg(t));
        EditorSpedizione ed(m_db, m_negozio, u',', m_msg);
        ed.apri();
        ed.aggiungiPaese("Islanda");
        QCOMPARE(ed.conferma(), EditorSpedizione::EsitoConferma::Confermata);
        QCOMPARE(m_db->scalar("SELECT count(*) FROM paesi WHERE paese='Islanda'").toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSpedizione)
#include "test_spedizione.moc"

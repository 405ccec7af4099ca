// The variant-set editor on a real catalogue: one transaction per opening,
// the save-time checks, deleting sets in use, copying, and the names the
// main window shows.
#include "testshop.h"

#include "varianti.h"

#include <QSqlRecord>
#include <QtTest>

using Dettaglio = EditorVarianti::Dettaglio;

class TestVarianti : public QObject {
    Q_OBJECT
    TestProgramFolder program;
    std::unique_ptr<NegozioDiProva> t;
    Database *db = nullptr;

    // A set with two variants, and one article using it in slot `slot`.
    qint64 insieme(const QString &nome, int slot = 0)
    {
        db->execute(QStringLiteral("INSERT INTO opzioni (nome, opzione1, prezzo1, peso1, opzione2, prezzo2, peso2, selezionato) "
                                   "VALUES (?, 'S', 0, 0, 'M', 25000, 0.5, 1)"),
                    {nome});
        const qint64 id = db->scalar(QStringLiteral("SELECT MAX(ID) FROM opzioni")).toLongLong();
        if (slot > 0)
            db->execute(QStringLiteral("INSERT INTO articoli (catID, codice, opzione%1) VALUES ('###', 'usa', ?)").arg(slot), {id});
        return id;
    }
    QStringList tabella()
    {
        QStringList righe;
        QSqlQuery q = db->run(QStringLiteral("SELECT * FROM opzioni ORDER BY ID"));
        while (q.next()) {
            QStringList r;
            for (int i = 0; i < q.record().count(); ++i)
                r << q.value(i).toString();
            righe << r.join(u'|');
        }
        return righe;
    }
    QStringList messaggi() { return t->messages.texts(); }

private slots:
    void init()
    {
        t = std::make_unique<NegozioDiProva>();
        QCOMPARE(t->apri(program.newShop(QStringLiteral("v%1").arg(QDateTime::currentMSecsSinceEpoch()))), int(Negozio::Aperto));
        db = t->negozio.state.dbCatalogo.get();
    }
    void cleanup()
    {
        t.reset();
    }

    void apertura_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<int>("riga");
        QTest::newRow("campo vuoto") << " " << 0;
        QTest::newRow("non un numero") << "abc" << 0;
        QTest::newRow("insieme esistente") << "3" << 2;
        QTest::newRow("insieme cancellato") << "99" << 0;
    }
    void apertura()
    {
        QFETCH(QString, testo);
        QFETCH(int, riga);
        insieme(QStringLiteral("Taglie"));
        insieme(QStringLiteral("Colori"));
        EditorVarianti e(*db, t->messages);
        e.mostra(testo);
        QCOMPARE(e.corrente(), riga);
        QCOMPARE(e.modificabile(), riga > 0);
    }

    // Set 1 has empty numbers: it can still be chosen and confirmed.
    void insiemeUnoConfermato()
    {
        EditorVarianti e(*db, t->messages);
        e.mostra(QStringLiteral("1"));
        QVERIFY(!e.modificabile());
        Dettaglio d = e.dettaglio();
        d.varianti[0].prezzo = QStringLiteral("abc");  // fields of set 1 are not saved
        QVERIFY(e.conferma(d));
        QCOMPARE(e.idCorrente(), qint64(1));
        QVERIFY(messaggi().isEmpty());
        QVERIFY(!e.rinomina(0, QStringLiteral("Nuovo nome")));
        QVERIFY(!e.duplica(e.dettaglio()));
    }

    void numeri_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QVariant>("prezzo");  // raw Currency, or invalid
        QTest::addColumn<QVariant>("peso");
        QTest::newRow("virgola") << "12,5" << QVariant(125000LL) << QVariant(12.5f);
        QTest::newRow("punto") << "12.5" << QVariant(125000LL) << QVariant(12.5f);
        QTest::newRow("negativo") << "-3,25" << QVariant(-32500LL) << QVariant(3.25f);
        QTest::newRow("segno più") << "+1" << QVariant(10000LL) << QVariant(1.0f);
        QTest::newRow("solo decimali") << ",5" << QVariant(5000LL) << QVariant(0.5f);
        QTest::newRow("cinque decimali") << "0,00005" << QVariant(1LL) << QVariant(0.00005f);
        QTest::newRow("lettere") << "12a" << QVariant() << QVariant();
        QTest::newRow("due separatori") << "1.234,5" << QVariant() << QVariant();
        QTest::newRow("vuoto") << "" << QVariant() << QVariant();
        QTest::newRow("esponente") << "1e3" << QVariant() << QVariant();
        QTest::newRow("fuori scala") << "99999999999999999999999999999999999999999" << QVariant() << QVariant();
    }
    void numeri()
    {
        QFETCH(QString, testo);
        QFETCH(QVariant, prezzo);
        QFETCH(QVariant, peso);
        const auto p = EditorVarianti::prezzo(testo);
        QCOMPARE(p.has_value(), prezzo.isValid());
        if (p)
            QCOMPARE(qlonglong(p->raw), prezzo.toLongLong());
        const auto w = EditorVarianti::peso(testo);
        QCOMPARE(w.has_value(), peso.isValid());
        if (w)
            QCOMPARE(*w, peso.toFloat());
    }

    // Letters in a price or weight: the messages in order, nothing stored,
    // the set stays current and "OK" keeps the transaction open.
    void formatoNonValido_data()
    {
        QTest::addColumn<QString>("prezzo");
        QTest::addColumn<QString>("peso");
        QTest::addColumn<QStringList>("attesi");
        QTest::addColumn<QStringList>("attesiOK");  // "OK" stops at the prices
        const QString p = QStringLiteral("Il prezzo di alcune varianti non è in un formato valido");
        const QString w = QStringLiteral("Il peso di alcune varianti non è in un formato valido");
        QTest::newRow("prezzo") << "1x" << "0" << QStringList{p} << QStringList{p};
        QTest::newRow("peso") << "1" << "" << QStringList{w} << QStringList{w};
        QTest::newRow("entrambi") << "dieci" << "due" << QStringList{p, w} << QStringList{p};
    }
    void formatoNonValido()
    {
        QFETCH(QString, prezzo);
        QFETCH(QString, peso);
        QFETCH(QStringList, attesi);
        QFETCH(QStringList, attesiOK);
        const qint64 id = insieme(QStringLiteral("Taglie"));
        const QStringList prima = tabella();
        EditorVarianti e(*db, t->messages);
        e.mostra(QString::number(id));
        Dettaglio d = e.dettaglio();
        d.varianti[14] = {QStringLiteral("XXL"), prezzo, peso};
        QVERIFY(!e.vaiA(0, d));
        QCOMPARE(e.idCorrente(), id);
        QVERIFY(!e.conferma(d));
        QVERIFY(e.aperto());
        QCOMPARE(messaggi(), attesi + attesiOK);
        QCOMPARE(tabella(), prima);
    }

    void salvaEAnnulla()
    {
        const qint64 id = insieme(QStringLiteral("Taglie"));
        const QStringList prima = tabella();
        {
            EditorVarianti e(*db, t->messages);
            e.mostra(QString::number(id));
            Dettaglio d = e.dettaglio();
            QCOMPARE(d.varianti[1].prezzo, QStringLiteral("2,5"));
            QCOMPARE(d.varianti[1].peso, QStringLiteral("0,5"));
            QCOMPARE(d.selezionato, 1);
            d.varianti[2] = {QStringLiteral("L \"grande\" | 'extra'"), QStringLiteral("-1,5"), QStringLiteral("-2")};
            d.varianti[3].descrizione = QString(80, u'x');
            d.selezionato = 11;
            QVERIFY(e.vaiA(0, d));
            QVERIFY(e.rinomina(1, QStringLiteral("Taglie|*2 ") + QString(60, u'n')));
            QVERIFY(e.vaiA(1, e.dettaglio()));
            d = e.dettaglio();
            QCOMPARE(d.varianti[2].descrizione, QStringLiteral("L \"grande\" | 'extra'"));
            QCOMPARE(d.varianti[2].prezzo, QStringLiteral("-1,5"));
            QCOMPARE(d.varianti[2].peso, QStringLiteral("2"));  // a weight is never negative
            QCOMPARE(d.varianti[3].descrizione.size(), 50);
            QCOMPARE(d.selezionato, 11);
            QCOMPARE(e.nome(1).size(), 50);
            QVERIFY(e.nuova(d));
            QCOMPARE(e.conta(), 3);
            QCOMPARE(e.dettaglio().varianti[14].prezzo, QStringLiteral("0"));
            e.annulla();
        }
        QCOMPARE(tabella(), prima);
        QCOMPARE(db->transactionDepth(), 0);
    }

    // Every change of one opening is undone by cancelling: added, copied,
    // renamed, edited and deleted sets alike; and kept by "OK".
    void unaTransazione_data()
    {
        QTest::addColumn<bool>("conferma");
        QTest::newRow("Annulla") << false;
        QTest::newRow("OK") << true;
    }
    void unaTransazione()
    {
        QFETCH(bool, conferma);
        const qint64 taglie = insieme(QStringLiteral("Taglie"));
        const qint64 colori = insieme(QStringLiteral("Colori"));
        const QStringList prima = tabella();
        t->messages.answer(Messages::Answer::Yes);
        {
            EditorVarianti e(*db, t->messages);
            e.mostra(QString::number(colori));
            QVERIFY(e.elimina());
            QCOMPARE(e.idCorrente(), qint64(1));
            e.mostra(QString::number(taglie));
            QVERIFY(e.duplica(e.dettaglio()));
            QVERIFY(e.idCorrente() > colori);
            Dettaglio copia = e.dettaglio();
            QCOMPARE(e.nome(e.corrente()), QStringLiteral("Taglie"));
            QCOMPARE(copia.varianti[1].descrizione, QStringLiteral("M"));
            QCOMPARE(copia.varianti[1].prezzo, QStringLiteral("2,5"));
            QCOMPARE(copia.selezionato, 1);
            copia.varianti[0].descrizione = QStringLiteral("XS");
            QVERIFY(e.rinomina(e.corrente(), QStringLiteral("Taglie bis")));
            if (conferma)
                QVERIFY(e.conferma(copia));
        }
        QCOMPARE(db->transactionDepth(), 0);
        if (!conferma) {
            QCOMPARE(tabella(), prima);
            return;
        }
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM opzioni WHERE ID=?"), {colori}).toInt(), 0);
        QCOMPARE(db->scalar(QStringLiteral("SELECT opzione1 FROM opzioni WHERE nome='Taglie bis'")).toString(), QStringLiteral("XS"));
    }

    void elimina_data()
    {
        QTest::addColumn<int>("uso");  // 0: none, 1..3: an article's slot, 4: only the clipboard
        QTest::addColumn<QString>("nome");
        QTest::addColumn<bool>("si");
        QTest::addColumn<QStringList>("attesi");
        QTest::addColumn<bool>("eliminato");
        const QString inUso = QStringLiteral("Questa variante è utilizzata in uno o più articoli, e non è possibile eliminarla");
        QTest::newRow("in uso, variante 1") << 1 << "Taglie" << true << QStringList{inUso} << false;
        QTest::newRow("in uso, variante 2") << 2 << "Taglie" << true << QStringList{inUso} << false;
        QTest::newRow("in uso, variante 3") << 3 << "Taglie" << true << QStringList{inUso} << false;
        QTest::newRow("solo negli appunti") << 4 << "Taglie" << true
                                            << QStringList{"Eliminare la variante selezionata ('Taglie')?"} << true;
        QTest::newRow("senza nome") << 0 << "" << true << QStringList{"Eliminare la variante selezionata (' ')?"} << true;
        QTest::newRow("risposta No") << 0 << "O'Neill" << false
                                     << QStringList{"Eliminare la variante selezionata ('O'Neill')?"} << false;
    }
    void elimina()
    {
        QFETCH(int, uso);
        QFETCH(QString, nome);
        QFETCH(bool, si);
        QFETCH(QStringList, attesi);
        QFETCH(bool, eliminato);
        const qint64 id = insieme(nome, uso <= 3 ? uso : 0);
        if (uso == 4)
            db->execute(QStringLiteral("INSERT INTO cliparticoli (codice, opzione2) VALUES ('c', ?)"), {id});
        t->messages.answer(si ? Messages::Answer::Yes : Messages::Answer::No);
        EditorVarianti e(*db, t->messages);
        e.mostra(QString::number(id));
        QCOMPARE(e.elimina(), eliminato);
        QCOMPARE(messaggi(), attesi);
        QVERIFY(e.conferma(e.dettaglio()));
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM opzioni WHERE ID=?"), {id}).toInt(), eliminato ? 0 : 1);
    }

    void eliminaInsiemeUno()
    {
        EditorVarianti e(*db, t->messages);
        e.mostra(QStringLiteral("1"));
        QVERIFY(!e.elimina());
        QCOMPARE(messaggi(), QStringList{"Questa variante non può essere eliminata"});
        db->execute(QStringLiteral("DELETE FROM opzioni"));
        e.mostra(QStringLiteral("1"));
        QVERIFY(!e.elimina());
        QCOMPARE(messaggi().last(), QStringLiteral("Non è definita alcuna variante"));
        QVERIFY(e.conferma(e.dettaglio()));
    }

    void nomiVarianti_data()
    {
        QTest::addColumn<QVariantList>("campi");
        QTest::addColumn<QStringList>("nomi");
        QTest::newRow("nessuna") << QVariantList{QVariant(), QVariant(), QVariant()} << QStringList{"", "", ""};
        QTest::newRow("insieme 1") << QVariantList{1, 1, 1} << QStringList{"(nessuna)", "(nessuna)", "(nessuna)"};
        QTest::newRow("stesso insieme due volte") << QVariantList{2, QVariant(), 2} << QStringList{"Taglie|*1", "", "Taglie|*1"};
        QTest::newRow("insieme cancellato") << QVariantList{2, 77, 1} << QStringList{"Taglie|*1", "", "(nessuna)"};
    }
    void nomiVarianti()
    {
        QFETCH(QVariantList, campi);
        QFETCH(QStringList, nomi);
        db->execute(QStringLiteral("UPDATE opzioni SET nome='(nessuna)' WHERE ID=1"));
        insieme(QStringLiteral("Taglie|*1"));
        QCOMPARE(NomiVarianti(*db, campi[0], campi[1], campi[2]), nomi);
    }
};

QTEST_GUILESS_MAIN(TestVarianti)
#include "test_varianti.moc"

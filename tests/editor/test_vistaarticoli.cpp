// The articles view on a real shop: the grid and the details follow the
// current article, and the list shows at once what the details wrote; a
// pasted article shows in the details as stored; a price that cannot be
// stored, or an emptied one, gets the messages the merchant is told, typed
// into the grid or into the fields, and any other refused value names its
// field; the list's prices in the shop's format; the variant names.
#include "alberocategorie.h"
#include "boxmessages.h"
#include "comandi.h"
#include "corniceimmagine.h"
#include "fileprova.h"
#include "finestraprova.h"
#include "griglia.h"
#include "regole.h"
#include "vistaarticoli.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <array>

namespace {

// The desktop's message boxes, each answered with Return once it is up; the
// texts shown, in order, a box shown over another marked.
class ScatoleContate : public BoxMessages {
public:
    explicit ScatoleContate(QStringList &mostrati) : m_mostrati(mostrati) {}
    // Run while a box is up, before it is answered.
    std::function<void()> sottoLaScatola;
    Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title,
                std::optional<Answer> predefinito) override
    {
        m_mostrati << (m_aperte > 0 ? QStringLiteral("sopra: ") : QString()) + text;
        ++m_aperte;
        QTimer::singleShot(100, [this] {
            if (sottoLaScatola)
                std::exchange(sottoLaScatola, nullptr)();
            if (auto *m = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                QTest::keyClick(m, Qt::Key_Return);
        });
        const Answer a = BoxMessages::show(text, icon, buttons, title, predefinito);
        --m_aperte;
        return a;
    }

private:
    QStringList &m_mostrati;
    int m_aperte = 0;
};

} // namespace

class TestVistaArticoli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void dettagliSeguonoLaGriglia();
    void elencoSegueIDettagli_data();
    void elencoSegueIDettagli();
    void nuovoArticoloInUnRepartoVuoto();
    void articoloIncollato();
    void prezzoNellaGriglia_data();
    void prezzoNellaGriglia();
    void testoTroppoLungoNellaGriglia();
    void prezzoCorrettoNellaSuaRiga_data();
    void prezzoCorrettoNellaSuaRiga();
    void prezzoNelCampo_data();
    void prezzoNelCampo();
    void importoSvuotato_data();
    void importoSvuotato();
    void importoSvuotatoLasciatoSullAlbero_data();
    void importoSvuotatoLasciatoSullAlbero();
    void altroValoreRifiutato_data();
    void altroValoreRifiutato();
    void prezziNellElenco_data();
    void prezziNellElenco();
    void nomiDelleVarianti();

private:
    // The window's articles view on screen; nullptr when the window did not open.
    static VistaArticoli *vistaArticoli(FinestraDiProva *f)
    {
        if (!f->w)
            return nullptr;
        f->w->selezionaScheda(QStringLiteral("kArticoli"));
        return f->w->vistaArticoli();
    }
    // The view's widgets that the tests use, found by their names.
    struct Campi {
        QTableView *grid = nullptr;
        std::array<QLineEdit *, 10> txt{};  // txtArticoli(i), the description (3) aside
        std::array<QLineEdit *, 3> variante{};
        QLabel *immagine0 = nullptr;        // the first picture
    };
    [[nodiscard]] static bool trova(VistaArticoli *v, Campi &c)
    {
        VERIFICA(v);
        VERIFICA(c.grid = figlio<QTableView>(v, QStringLiteral("gridArticoli")));
        for (int i = 0; i < 10; ++i)
            VERIFICA2(i == 3 || (c.txt[size_t(i)] = figlio<QLineEdit>(v, QStringLiteral("txtArticoli%1").arg(i))),
                      qPrintable(QString::number(i)));
        for (int i = 0; i < 3; ++i)
            VERIFICA(c.variante[size_t(i)] = figlio<QLineEdit>(v, QStringLiteral("txtVariante%1").arg(i)));
        VERIFICA(c.immagine0 = figlio<QLabel>(v, QStringLiteral("imgArticolo0")));
        return true;
    }
    // Types into a cell of the article grid with the keyboard and confirms.
    [[nodiscard]] static bool scriviCella(QTableView *g, int riga, int colonna, const QString &testo)
    {
        const QModelIndex i = g->model()->index(riga, colonna);
        g->setCurrentIndex(i);
        VERIFICA(g->isEnabled());
        g->edit(i);
        QWidget *editor = QApplication::focusWidget();
        VERIFICA(editor && editor != g);
        if (auto *e = qobject_cast<QLineEdit *>(editor))
            e->selectAll();
        QTest::keyClicks(editor, testo);
        if (testo.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClick(editor, Qt::Key_Return);
        // The grid writes the cell once its editor has closed.
        VERIFICA(QTest::qWaitFor([editor] { return QApplication::focusWidget() != editor; }));
        return true;
    }
    // Replaces a detail field's text with the keyboard and leaves it with Tab.
    [[nodiscard]] static bool scriviCampo(QLineEdit *campo, const QString &testo)
    {
        VERIFICA(riscrivi(campo, testo));
        QTest::keyClick(campo, Qt::Key_Tab);
        return true;
    }
};

void TestVistaArticoli::dettagliSeguonoLaGriglia()
{
    auto f = apriFinestra(2, 3);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    QVERIFY(v->picArticoli0()->isVisible() && v->picArticoli1()->isVisible());
    QCOMPARE(c.grid->model()->rowCount(), 3);
    QCOMPARE(c.txt[1]->text(), QStringLiteral("Articolo 1"));
    QCOMPARE(c.txt[4]->text(), QStringLiteral("1,00"));
    const QRect r = c.grid->visualRect(c.grid->model()->index(2, 1));
    QTest::mouseClick(c.grid->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(c.txt[1]->text(), QStringLiteral("Articolo 3"));
    QCOMPARE(c.txt[0]->text(), QStringLiteral("A1-3"));
    // The empty department: no article, the details' fields off.
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    QCOMPARE(c.grid->model()->rowCount(), 0);
    QVERIFY(!c.txt[1]->isEnabled());
    QCOMPARE(c.txt[1]->text(), QString());
}

void TestVistaArticoli::elencoSegueIDettagli_data()
{
    QTest::addColumn<int>("campo");
    QTest::addColumn<QString>("digitato");
    QTest::addColumn<int>("colonna");
    QTest::addColumn<QString>("mostrato");  // by the list and, written, by the field
    QTest::newRow("code") << 0 << "B-77" << 0 << "B-77";
    QTest::newRow("subtitle") << 2 << "Nuovo sottotitolo" << 2 << "Nuovo sottotitolo";
    QTest::newRow("price") << 4 << "7,25" << 3 << "7,25";
    QTest::newRow("price, one decimal") << 4 << "2,4" << 3 << "2,40";
    QTest::newRow("price, leading zero") << 4 << "010" << 3 << "10,00";
}

void TestVistaArticoli::elencoSegueIDettagli()
{
    QFETCH(int, campo);
    QFETCH(QString, digitato);
    QFETCH(int, colonna);
    QFETCH(QString, mostrato);
    auto f = apriFinestra(1, 3);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    QAbstractItemModel *m = c.grid->model();
    QTest::keyClick(c.grid, Qt::Key_Down, Qt::ControlModifier);  // the second article
    const QString primo = m->index(0, colonna).data().toString();
    QSignalSpy cambi(m, &QAbstractItemModel::dataChanged);
    QVERIFY(scriviCampo(c.txt[size_t(campo)], digitato));
    // The list is told about the row written (it reads the row when told).
    QVERIFY(std::any_of(cambi.begin(), cambi.end(), [&](const QList<QVariant> &c) {
        return c[0].toModelIndex().row() <= 1 && c[1].toModelIndex().row() >= 1
               && c[0].toModelIndex().column() <= colonna && c[1].toModelIndex().column() >= colonna;
    }));
    QCOMPARE(m->index(1, colonna).data().toString(), mostrato);
    QCOMPARE(m->index(0, colonna).data().toString(), primo);
    QCOMPARE(c.txt[size_t(campo)]->text(), mostrato);
    QVERIFY(f->messages.shown().empty());
}

void TestVistaArticoli::nuovoArticoloInUnRepartoVuoto()
{
    auto f = apriFinestra(2, 3, 1);
    QVERIFY(f->w);
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    VistaArticoli *v = f->w->vistaArticoli();
    Campi c;
    QVERIFY(trova(v, c));
    QCOMPARE(c.grid->model()->rowCount(), 0);
    QVERIFY(clicPulsante(f->w, Cmd::AggiungiArticoloDopo));
    QCOMPARE(c.grid->model()->rowCount(), 1);
    QSignalSpy cambi(c.grid->model(), &QAbstractItemModel::dataChanged);
    QVERIFY(scriviCampo(c.txt[1], QStringLiteral("Primo articolo")));
    QVERIFY(scriviCampo(c.txt[4], QStringLiteral("3,5")));
    QCOMPARE(cambi.size(), 2);
    QCOMPARE(c.grid->model()->index(0, 1).data().toString(), QStringLiteral("Primo articolo"));
    QCOMPARE(c.grid->model()->index(0, 3).data().toString(), QStringLiteral("3,50"));
    QVERIFY(f->messages.shown().empty());
}

void TestVistaArticoli::articoloIncollato()
{
    // The copied article has a variant set and a picture; it is pasted into
    // an empty department.
    auto f = apriFinestra(2, 3, 1);
    QVERIFY(f->w);
    FileProva::scrivi(f->shop + QStringLiteral("/work/a.png"), FileProva::quarti(100, 60), "png");
    f->db().execute(QStringLiteral("INSERT INTO opzioni (ID, nome) VALUES (7, 'Taglia')"));
    f->db().execute(QStringLiteral("UPDATE articoli SET opzione1=7, immagine0='a.png', imgX0=100, imgY0=60, "
                                   "prezzo=125000 WHERE codice='A1-2'"));
    f->negozio().dati().dataArticoli.refresh();
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    VistaArticoli *v = f->w->vistaArticoli();
    Campi c;
    QVERIFY(trova(v, c));
    QTest::keyClick(c.grid, Qt::Key_Down, Qt::ControlModifier);
    QVERIFY(clicPulsante(f->w, Cmd::CopiaArticolo));
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    QVERIFY(c.immagine0->isHidden());
    QVERIFY(clicPulsante(f->w, Cmd::IncollaArticolo));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE catID='cat002'")).toInt(), 1);
    // The details show the pasted row as stored, not the empty row the paste added.
    QCOMPARE(c.txt[0]->text(), QStringLiteral("A1-2"));
    QCOMPARE(c.txt[1]->text(), QStringLiteral("Articolo 2"));
    QCOMPARE(c.txt[4]->text(), QStringLiteral("12,50"));
    QCOMPARE(c.variante[0]->text(), QStringLiteral("Taglia"));
    QVERIFY(!c.immagine0->isHidden());
    QVERIFY(f->w->comandi().abilitato(QStringLiteral("- immagine0")));
    QCOMPARE(c.grid->model()->index(0, 0).data().toString(), QStringLiteral("A1-2"));
    // Nothing pending is left to write over it.
    QVERIFY(!f->negozio().dati().dataArticoli.modifichePendenti());
    QVERIFY(f->messages.shown().empty());
}

void TestVistaArticoli::prezzoNellaGriglia_data()
{
    // The cell typed into (3 the price, 1 the title), what is typed, the
    // details' price and offer, the message, and what the row then holds.
    QTest::addColumn<int>("colonna");
    QTest::addColumn<QString>("digitato");
    QTest::addColumn<QString>("dettagli");  // price (set for the title's cell only)|offer
    QTest::addColumn<QString>("messaggio");
    QTest::addColumn<QString>("riga");      // quote(titolo)|prezzo|quote(offertaprezzo) afterwards
    const QString prezzoVuoto = QStringLiteral("Il campo \"prezzo\" non può essere vuoto: sarà impostato a \"0\" ");
    const QString offertaVuota = QStringLiteral("Il campo \"offerta\" non può essere vuoto: sarà impostato a \"0\" ");
    QTest::newRow("empty") << 3 << "" << "|0" << prezzoVuoto << "'Articolo 1'|0|0";
    QTest::newRow("letters") << 3 << "caro" << "|0" << "Il campo \"prezzo\" deve contenere un numero"
                             << "'Articolo 1'|10000|0";
    QTest::newRow("a number, the offer empty") << 3 << "12,50" << "|" << offertaVuota << "'Articolo 1'|125000|0";
    // A title typed while the details' price or offer is empty: the amount
    // is set to 0 and the title written.
    QTest::newRow("a title, the offer empty") << 1 << "Nuovo" << "1|" << offertaVuota << "'Nuovo'|10000|0";
    QTest::newRow("a title, the price empty") << 1 << "Nuovo" << "|0" << prezzoVuoto << "'Nuovo'|0|0";
}

void TestVistaArticoli::prezzoNellaGriglia()
{
    QFETCH(int, colonna);
    QFETCH(QString, digitato);
    QFETCH(QString, dettagli);
    QFETCH(QString, messaggio);
    QFETCH(QString, riga);
    auto f = apriFinestra(1, 2);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    const QString prezzo = dettagli.section(u'|', 0, 0), offerta = dettagli.section(u'|', 1);
    if (colonna != 3)  // the price field is written as it is left: never pending while its cell is typed
        c.txt[4]->setText(prezzo);
    c.txt[6]->setText(offerta);
    QVERIFY(scriviCella(c.grid, 0, colonna, digitato));
    QTRY_COMPARE(f->messages.texts(), QStringList(messaggio));
    QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::Warning);
    // Never Null: an emptied amount is stored as 0.
    QTRY_COMPARE(f->db()
                     .scalar(QStringLiteral("SELECT quote(titolo) || '|' || prezzo || '|' || quote(offertaprezzo) "
                                            "FROM articoli WHERE ID=?"),
                             {f->negozio().dati().dataArticoli.recordset().value(QStringLiteral("ID"))})
                     .toString(),
                 riga);
}

void TestVistaArticoli::testoTroppoLungoNellaGriglia()
{
    // A code too long is named as such, not taken for a bad price.
    auto f = apriFinestra(1, 2);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    QVERIFY(scriviCella(c.grid, 0, 0, QString(60, u'X')));
    QTRY_COMPARE(f->messages.texts().size(), 1);
    const QString m = f->messages.texts()[0];
    QVERIFY2(m.contains(QStringLiteral("\nCodice:")) && m.contains(QStringLiteral("50 caratteri")), qPrintable(m));
    QVERIFY2(!m.contains(QStringLiteral("prezzo")), qPrintable(m));
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT codice FROM articoli WHERE titolo='Articolo 1'")).toString(),
             QStringLiteral("A1-1"));
}

void TestVistaArticoli::prezzoCorrettoNellaSuaRiga_data()
{
    // What is typed into the first article's price cell, the details'
    // offer, and the column of the second article's cell then clicked (-1:
    // the down arrow pressed in the cell instead).
    QTest::addColumn<QString>("digitato");
    QTest::addColumn<QString>("offerta");
    QTest::addColumn<int>("colonna");
    QTest::addColumn<QString>("righe");  // prezzo|quote(offertaprezzo) of the two articles afterwards
    QTest::newRow("emptied, price clicked") << "" << "0" << 3 << "0|0 20000|0";
    QTest::newRow("emptied, title clicked") << "" << "0" << 1 << "0|0 20000|0";
    QTest::newRow("offer empty, price clicked") << "7" << "" << 3 << "70000|0 20000|0";
    QTest::newRow("emptied, down arrow") << "" << "0" << -1 << "0|0 20000|0";
    QTest::newRow("letters, down arrow") << "caro" << "0" << -1 << "10000|0 20000|0";
    QTest::newRow("offer empty, down arrow") << "7" << "" << -1 << "70000|0 20000|0";
}

void TestVistaArticoli::prezzoCorrettoNellaSuaRiga()
{
    // A price cell refused as the merchant clicks a cell of another article:
    // the correction lands in the article typed into; the other one keeps
    // what it holds.
    QFETCH(QString, digitato);
    QFETCH(QString, offerta);
    QFETCH(int, colonna);
    QFETCH(QString, righe);
    auto f = apriFinestra(1, 2);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    const auto prezzi = [&] {
        QStringList r;
        for (const char *codice : {"A1-1", "A1-2"})
            r << f->db().scalar(QStringLiteral("SELECT prezzo || '|' || quote(offertaprezzo) FROM articoli "
                                               "WHERE codice=?"), {QString::fromLatin1(codice)}).toString();
        return r.join(u' ');
    };
    QCOMPARE(prezzi(), QStringLiteral("10000|0 20000|0"));
    c.txt[6]->setText(offerta);
    const QModelIndex i = c.grid->model()->index(0, 3);
    c.grid->setCurrentIndex(i);
    c.grid->edit(i);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != c.grid);
    qobject_cast<QLineEdit *>(editor)->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, digitato);
    if (colonna < 0)
        QTest::keyClick(editor, Qt::Key_Down);
    else
        QTest::mouseClick(c.grid->viewport(), Qt::LeftButton, {},
                          c.grid->visualRect(c.grid->model()->index(1, colonna)).center());
    QTRY_COMPARE(f->messages.texts().size(), 1);
    QTRY_COMPARE(prezzi(), righe);
}

void TestVistaArticoli::prezzoNelCampo_data()
{
    QTest::addColumn<QString>("prezzo");
    QTest::addColumn<QString>("offerta");
    QTest::addColumn<QStringList>("messaggi");
    const QString mp = QStringLiteral("Il campo \"prezzo\" sarà impostato a \"0\" ");
    const QString mo = QStringLiteral("Il campo \"offerta\" sarà impostato a \"0\" ");
    QTest::newRow("price not a number") << "dieci" << "2" << QStringList{mp};
    QTest::newRow("both not numbers") << "dieci" << "due" << QStringList{mp, mo};
    QTest::newRow("offer not a number") << "5" << "due" << QStringList{mo};
}

void TestVistaArticoli::prezzoNelCampo()
{
    QFETCH(QString, prezzo);
    QFETCH(QString, offerta);
    QFETCH(QStringList, messaggi);
    auto f = apriFinestra(1, 2);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    // Text put in by code passes no key filter: the record refuses it when it is written.
    c.txt[4]->setText(prezzo);
    c.txt[6]->setText(offerta);
    QTest::keyClick(c.grid, Qt::Key_Down, Qt::ControlModifier);  // the next article: the row is written
    QCOMPARE(f->messages.texts(), messaggi);
    const auto valore = [&](const char *campo) {
        return f->db().scalar(QStringLiteral("SELECT %1 FROM articoli WHERE codice='A1-1'").arg(QLatin1String(campo))).toLongLong();
    };
    QCOMPARE(valore("prezzo"), prezzo == QLatin1String("5") ? 50000 : 0);
    QCOMPARE(valore("offertaprezzo"), offerta == QLatin1String("2") ? 20000 : 0);
    QCOMPARE(c.txt[1]->text(), QStringLiteral("Articolo 2"));
}

void TestVistaArticoli::importoSvuotato_data()
{
    QTest::addColumn<int>("campo");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("messaggio");
    QTest::newRow("price") << 4 << "prezzo"
                           << "Il campo \"prezzo\" non può essere vuoto: sarà impostato a \"0\" ";
    QTest::newRow("offer") << 6 << "offertaprezzo"
                           << "Il campo \"offerta\" non può essere vuoto: sarà impostato a \"0\" ";
}

void TestVistaArticoli::importoSvuotato()
{
    // The amount emptied as the merchant does it (Ctrl+A, Backspace) and
    // left with Tab: when the article is written (the price as it is left,
    // the offer before the next article shows) the merchant is told, and
    // 0 is stored, never Null.
    QFETCH(int, campo);
    QFETCH(QString, colonna);
    QFETCH(QString, messaggio);
    auto f = apriFinestra(1, 2);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    QVERIFY(scriviCampo(c.txt[size_t(campo)], QStringLiteral("12")));
    QVERIFY(f->messages.shown().empty());
    const auto salvato = [&] {
        return f->db().scalar(QStringLiteral("SELECT quote(%1) FROM articoli WHERE codice='A1-1'").arg(colonna)).toString();
    };
    QTest::keyClick(c.grid, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(c.grid, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(salvato(), QStringLiteral("120000"));
    QLineEdit *e = c.txt[size_t(campo)];
    QVERIFY(clic(e));
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(e->text(), QString());
    QTest::keyClick(e, Qt::Key_Tab);
    QTest::keyClick(c.grid, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(f->messages.texts(), QStringList{messaggio});
    QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::Warning);
    QCOMPARE(salvato(), QStringLiteral("0"));
    QCOMPARE(c.txt[1]->text(), QStringLiteral("Articolo 2"));
    QTest::keyClick(c.grid, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Regole::numero(e->text()), std::optional<double>(0));
}

void TestVistaArticoli::importoSvuotatoLasciatoSullAlbero_data()
{
    QTest::addColumn<int>("campo");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("messaggio");
    QTest::addColumn<bool>("scatole");  // the desktop's message boxes, answered with a key
    for (bool scatole : {false, true}) {
        const char *come = scatole ? "message box" : "scripted";
        QTest::addRow("price, %s", come) << 4 << "prezzo"
                                         << "Il campo \"prezzo\" non può essere vuoto: sarà impostato a \"0\" "
                                         << scatole;
        QTest::addRow("offer, %s", come) << 6 << "offertaprezzo"
                                         << "Il campo \"offerta\" non può essere vuoto: sarà impostato a \"0\" "
                                         << scatole;
    }
}

void TestVistaArticoli::importoSvuotatoLasciatoSullAlbero()
{
    // The amount emptied and left by a click on another department in the
    // tree: one message, 0 stored, and the tree, the list and the details
    // all on the department clicked.
    QFETCH(int, campo);
    QFETCH(QString, colonna);
    QFETCH(QString, messaggio);
    QFETCH(bool, scatole);
    auto f = std::make_unique<FinestraDiProva>();
    QStringList mostrati;
    if (scatole)
        f->scatole = std::make_unique<ScatoleContate>(mostrati);
    f->shop = f->program.newShop();
    {
        auto db = Database::open(f->shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, 2, 2);
        db->close();
    }
    avvia(*f);
    VistaArticoli *v = vistaArticoli(f.get());
    Campi c;
    QVERIFY(trova(v, c));
    QCOMPARE(c.txt[0]->text(), QStringLiteral("A1-1"));
    QLineEdit *e = c.txt[size_t(campo)];
    QVERIFY(clic(e));
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(e->text(), QString());
    // The button goes down on the department and comes up at once: under
    // the message box, when one shows, where the window never sees it.
    AlberoCategorie *albero = f->w->tvwCategorie();
    const QList<QTreeWidgetItem *> nodi = albero->findItems(QStringLiteral("Reparto 2"), Qt::MatchRecursive);
    QCOMPARE(nodi.size(), 1);
    const QPoint punto = albero->visualItemRect(nodi[0]).center();
    // The desktop may move the focus in and out of the field while the box
    // is up: the field is left again, its text still empty.
    if (scatole)
        static_cast<ScatoleContate *>(f->scatole.get())->sottoLaScatola = [e] {
            QFocusEvent lasciato(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(e, &lasciato);
        };
    QTest::mousePress(albero->viewport(), Qt::LeftButton, {}, punto);
    if (!scatole || mostrati.isEmpty())
        QTest::mouseRelease(albero->viewport(), Qt::LeftButton, {}, punto);
    QCoreApplication::processEvents();
    QCOMPARE(scatole ? mostrati : f->messages.texts(), QStringList{messaggio});
    QCOMPARE(f->db().scalar(QStringLiteral("SELECT quote(%1) FROM articoli WHERE codice='A1-1'").arg(colonna)).toString(),
             QStringLiteral("0"));
    // The tree, the department and the list all show one department: the
    // one clicked, or, when the release went under the message (no click),
    // the one the merchant was in.
    const int n = scatole && campo == 4 ? 1 : 2;
    QCOMPARE(f->w->tvwCategorie()->currentItem()->text(0), QStringLiteral("Reparto %1").arg(n));
    QCOMPARE(f->w->dati().repartoCorrente(), QStringLiteral("cat00%1").arg(n));
    QCOMPARE(c.txt[0]->text(), QStringLiteral("A%1-1").arg(n));
    QCOMPARE(c.grid->model()->index(0, 0).data().toString(), QStringLiteral("A%1-1").arg(n));
    if (QTest::currentDataTag() == QByteArray("price, message box"))
        QVERIFY(salvaSchermata(f->w, QStringLiteral("articoli-prezzo-svuotato")));
}

void TestVistaArticoli::altroValoreRifiutato_data()
{
    QTest::addColumn<int>("campo");
    QTest::addColumn<QString>("incollato");
    QTest::addColumn<QString>("rifiuto");  // a trigger that refuses the article's writes
    QTest::addColumn<QString>("messaggio");
    QTest::newRow("a stock text too long")
        << 8 << QString(60, u'9') << ""
        << "Il formato di alcuni dati non è valido\r\nDisponibilità: il testo è troppo lungo (al massimo 50 "
           "caratteri); il campo torna al valore salvato.";
    QTest::newRow("a write the database refuses")
        << 2 << "Nuovo sottotitolo" << "disco pieno"
        << "Il formato di alcuni dati non è valido\r\nSottotitolo: il valore non è stato accettato (disco pieno); "
           "il campo torna al valore salvato.";
}

void TestVistaArticoli::altroValoreRifiutato()
{
    QFETCH(int, campo);
    QFETCH(QString, incollato);
    QFETCH(QString, rifiuto);
    QFETCH(QString, messaggio);
    auto f = apriFinestra(1, 2);
    QVERIFY(f->w);
    if (!rifiuto.isEmpty())
        f->db().execute(QStringLiteral("CREATE TRIGGER rifiuta BEFORE UPDATE ON articoli "
                                       "BEGIN SELECT RAISE(ABORT, '%1'); END")
                            .arg(rifiuto));
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    VistaArticoli *v = f->w->vistaArticoli();
    Campi c;
    QVERIFY(trova(v, c));
    QLineEdit *e = c.txt[size_t(campo)];
    const QString prima = e->text();
    QApplication::clipboard()->setText(incollato);
    QVERIFY(clic(e));
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e->text(), incollato);
    QTest::keyClick(e, Qt::Key_Tab);
    QTest::keyClick(c.grid, Qt::Key_Down, Qt::ControlModifier);  // the row is written before the move
    QCOMPARE(f->messages.texts(), QStringList{messaggio});
    // As the database engine's own message: OK only, no icon.
    QCOMPARE(f->messages.shown()[0].icon, Messages::Icon::None);
    QCOMPARE(f->messages.shown()[0].buttons, Messages::Buttons::Ok);
    QTest::keyClick(c.grid, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(e->text(), prima);
}

void TestVistaArticoli::prezziNellElenco_data()
{
    QTest::addColumn<bool>("decimali");
    QTest::addColumn<QString>("notazione");
    QTest::addColumn<QString>("mostrato");
    QTest::newRow("Italian notation, decimals") << true << "0" << "1.234,50";
    QTest::newRow("Italian notation, no decimals") << false << "0" << "1.235";
    QTest::newRow("English notation") << true << "1" << "1,234.50";
}

void TestVistaArticoli::prezziNellElenco()
{
    QFETCH(bool, decimali);
    QFETCH(QString, notazione);
    QFETCH(QString, mostrato);
    auto f = apriImpostazioni({{"decimali1", decimali}, {"notazione", notazione}});
    QVERIFY(f->w);
    const QString reparto = f->db().scalar(QStringLiteral("SELECT ID FROM categorie")).toString();
    f->db().execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, prezzo) "
                                   "VALUES (?, 1, 'P1', 'Prezzo', 12345000)"),
                    {reparto});
    f->negozio().dati().dataArticoli.refresh();
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    auto *griglia = figlio<QTableView>(f->w->vistaArticoli(), QStringLiteral("gridArticoli"));
    QVERIFY(griglia);
    QAbstractItemModel *m = griglia->model();
    QCOMPARE(m->index(0, 3).data().toString(), mostrato);
    // Edited in the merchant's notation, as the price field.
    QCOMPARE(m->index(0, 3).data(Qt::EditRole).toString(), QStringLiteral("1234,5"));
    QCOMPARE(m->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QCOMPARE(m->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
             Qt::AlignLeft);
    QVERIFY(salvaSchermata(f->w, QStringLiteral("prezzi-") + QTest::currentDataTag()));
}

void TestVistaArticoli::nomiDelleVarianti()
{
    auto f = apriFinestra(1, 2);
    QVERIFY(f->w);
    Database &db = f->db();
    db.execute(QStringLiteral("INSERT INTO opzioni (ID, nome) VALUES (7, 'Taglia|P'), (8, 'Colore')"));
    db.execute(QStringLiteral("UPDATE articoli SET opzione1=8, opzione2=99, opzione3=8 WHERE codice='A1-2'"));
    f->negozio().dati().dataArticoli.refresh();
    f->w->selezionaScheda(QStringLiteral("kArticoli"));
    VistaArticoli *v = f->w->vistaArticoli();
    Campi c;
    QVERIFY(trova(v, c));
    QTest::keyClick(c.grid, Qt::Key_Down, Qt::ControlModifier);
    // The same set in two places, a deleted set empty.
    QCOMPARE(c.variante[0]->text(), QStringLiteral("Colore"));
    QCOMPARE(c.variante[1]->text(), QString());
    QCOMPARE(c.variante[2]->text(), QStringLiteral("Colore"));
    // A new article refers to set 1, the shop's "no variants" set, by its name.
    QTest::keyClick(c.grid, Qt::Key_Up, Qt::ControlModifier);
    const QString nessuna = db.scalar(QStringLiteral("SELECT nome FROM opzioni WHERE ID=1")).toString();
    for (QLineEdit *e : c.variante)
        QCOMPARE(e->text(), nessuna);
}

QTEST_MAIN(TestVistaArticoli)
#include "test_vistaarticoli.moc"

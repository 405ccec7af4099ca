// The binder on a real catalogue, driven with real key and focus events: a
// loaded row is shown and not pending; an edit stays pending until its write
// event, a move of the data source or a write of the record; a value the
// database refuses is reported, stays in the field and keeps the row, named
// by the field being written when the database names none; a row written by
// other code shows in the fields, or once at the end of a pause of the data
// source; a field written shows its value as stored; the key filters act on
// what is typed, not on text put in by code.
#include "binder.h"
#include "testshop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QtTest>

class TestBinder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void init();
    void cleanup();
    void caricaSenzaModifiche();
    void modificaInSospesoFinoAlloSpostamento();
    void scritturaAllUscita();
    void valoreRifiutatoTornaAlSalvato();
    void rifiutoSenzaCampo_data();
    void rifiutoSenzaCampo();
    void rigaScrittaDaAltri();
    void pausaMostraSoloLaFine();
    void erroreAllaFineDellaPausa();
    void filtroNumerico_data();
    void filtroNumerico();
    void selezionaTuttoAlFocus();

private:
    QString stored(const QString &campo, qint64 id)
    {
        Recordset r(m_t->negozio.state.dbCatalogo, QStringLiteral("SELECT * FROM articoli WHERE ID=?"), {id});
        return r.value(campo).toString();
    }
    qint64 idCorrente() { return articoli().recordset().value(QStringLiteral("ID")).toLongLong(); }
    DataSource &articoli() { return m_t->dati().dataArticoli; }

    std::unique_ptr<TestProgramFolder> m_program;
    std::unique_ptr<NegozioDiProva> m_t;
    std::unique_ptr<QWidget> m_finestra;
    QLineEdit *m_titolo = nullptr, *m_prezzo = nullptr, *m_peso = nullptr, *m_altro = nullptr;
    QCheckBox *m_offerta = nullptr;
    std::unique_ptr<Binder> m_binder;
};

void TestBinder::init()
{
    m_program = std::make_unique<TestProgramFolder>();
    const QString shop = m_program->newShop();
    {
        auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        riempiCatalogo(*db, 1, 3);
        db->execute(QStringLiteral("UPDATE articoli SET prezzo=125000, peso=0.1, offerta=-1 WHERE ordinamento=1"));
        db->close();
    }
    m_t = std::make_unique<NegozioDiProva>();
    QCOMPARE(m_t->apri(shop), int(Negozio::Aperto));
    m_finestra = std::make_unique<QWidget>();
    m_titolo = new QLineEdit(m_finestra.get());
    m_prezzo = new QLineEdit(m_finestra.get());
    m_peso = new QLineEdit(m_finestra.get());
    m_altro = new QLineEdit(m_finestra.get());
    m_offerta = new QCheckBox(m_finestra.get());
    m_titolo->move(0, 0);
    m_prezzo->move(0, 30);
    m_peso->move(0, 60);
    m_altro->move(0, 90);
    m_offerta->move(0, 120);
    m_binder = std::make_unique<Binder>();
    RegolaCampo titolo;
    titolo.lunghezzaMassima = 10;
    titolo.scrivi = RegolaCampo::Scrittura::AllUscita;
    m_binder->lega(m_titolo, articoli(), QStringLiteral("titolo"), titolo);
    RegolaCampo prezzo;
    prezzo.numerico = true;
    prezzo.selezionaTutto = true;
    prezzo.tasti = [](const QString &t, QChar c) { return Regole::filtroNumerico(t, c, true); };
    m_binder->lega(m_prezzo, articoli(), QStringLiteral("prezzo"), prezzo);
    RegolaCampo peso;
    peso.numerico = true;
    m_binder->lega(m_peso, articoli(), QStringLiteral("peso"), peso);
    m_binder->lega(m_offerta, articoli(), QStringLiteral("offerta"));
    m_finestra->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_finestra.get()));
}

void TestBinder::cleanup()
{
    m_binder.reset();
    m_finestra.reset();
    m_t.reset();
    m_program.reset();
}

void TestBinder::caricaSenzaModifiche()
{
    QCOMPARE(m_titolo->text(), QStringLiteral("Articolo 1"));
    QCOMPARE(m_prezzo->text(), QStringLiteral("12,5"));  // Currency, Italian notation
    QCOMPARE(m_peso->text(), QStringLiteral("0,1"));     // Single with its seven digits
    QVERIFY(m_offerta->isChecked());                    // a stored -1
    QVERIFY(!articoli().modifichePendenti());
    articoli().recordset().moveNext();
    QCOMPARE(m_titolo->text(), QStringLiteral("Articolo 2"));
    QVERIFY(!m_offerta->isChecked());
    QVERIFY(!articoli().modifichePendenti());
}

void TestBinder::modificaInSospesoFinoAlloSpostamento()
{
    const qint64 id = idCorrente();
    m_peso->setFocus();
    m_peso->selectAll();
    QTest::keyClicks(m_peso, QStringLiteral("2,5"));
    QTest::mouseClick(m_offerta, Qt::LeftButton);
    QVERIFY(articoli().modifichePendenti());
    QCOMPARE(stored(QStringLiteral("peso"), id), QStringLiteral("0.1"));  // not yet written
    articoli().recordset().moveNext();
    QVERIFY(!articoli().modifichePendenti());
    QCOMPARE(stored(QStringLiteral("peso"), id).toDouble(), 2.5);
    QCOMPARE(stored(QStringLiteral("offerta"), id), QStringLiteral("false"));
    // Any edit and update of the record takes the pending edits with it.
    const qint64 secondo = idCorrente();
    m_peso->setText(QStringLiteral("7"));
    Recordset &rs = articoli().recordset();
    rs.edit();
    rs.setValue(QStringLiteral("note"), QStringLiteral("nota"));
    rs.update();
    QCOMPARE(stored(QStringLiteral("peso"), secondo).toDouble(), 7.0);
    QVERIFY(!articoli().modifichePendenti());
}

void TestBinder::scritturaAllUscita()
{
    const qint64 id = idCorrente();
    m_titolo->setFocus();
    m_titolo->selectAll();
    QTest::keyClicks(m_titolo, QStringLiteral("Caffe arabica in grani"));
    QCOMPARE(stored(QStringLiteral("titolo"), id), QStringLiteral("Articolo 1"));
    m_altro->setFocus();  // leaving the field: cut, then written
    QCOMPARE(m_titolo->text(), QStringLiteral("Caffe arab"));
    QCOMPARE(stored(QStringLiteral("titolo"), id), QStringLiteral("Caffe arab"));
}

void TestBinder::valoreRifiutatoTornaAlSalvato()
{
    QSignalSpy errori(&articoli(), &DataSource::error);
    const qint64 id = idCorrente();
    m_peso->setText(QStringLiteral("tanto"));  // not a number: the column refuses it
    m_titolo->setText(QStringLiteral("Nuovo titolo"));
    articoli().recordset().moveNext();
    QCOMPARE(errori.size(), 1);
    QCOMPARE(errori.at(0).at(0).toInt(), DbErr::ConversionError);
    QCOMPARE(errori.at(0).at(2).toString(), QStringLiteral("peso"));
    // The refused field went back to the stored value, the other edit was
    // written, and the row moved on.
    QVERIFY(idCorrente() != id);
    QCOMPARE(stored(QStringLiteral("peso"), id), QStringLiteral("0.1"));
    QCOMPARE(stored(QStringLiteral("titolo"), id), QStringLiteral("Nuovo titolo"));
    QVERIFY(!articoli().modifichePendenti());
    // A listener may correct the value instead: the correction is written.
    articoli().recordset().movePrevious();
    connect(&articoli(), &DataSource::error, m_peso, [this] { m_peso->setText(QStringLiteral("0")); });
    m_peso->setText(QStringLiteral("ancora"));
    articoli().recordset().moveNext();
    QCOMPARE(stored(QStringLiteral("peso"), id), QStringLiteral("0"));
    // A text too long for its field is refused by the database, by name.
    m_titolo->setText(QString(300, u'x'));
    QVERIFY(!articoli().scriviModifiche());
    QCOMPARE(errori.last().at(0).toInt(), DbErr::FieldTooSmall);
    QCOMPARE(errori.last().at(2).toString(), QStringLiteral("titolo"));
    QCOMPARE(m_titolo->text(), QStringLiteral("Articolo 2"));
}

void TestBinder::rifiutoSenzaCampo_data()
{
    QTest::addColumn<bool>("lasciaTitolo");  // typed and left; else the row moves
    QTest::addColumn<QString>("nominato");
    QTest::newRow("the field left, another pending") << true << "titolo";
    QTest::newRow("a move: the field edited") << false << "peso";
}

void TestBinder::rifiutoSenzaCampo()
{
    // A trigger refuses the write without naming a field.
    QFETCH(bool, lasciaTitolo);
    QFETCH(QString, nominato);
    m_t->negozio.state.dbCatalogo->execute(QStringLiteral(
        "CREATE TRIGGER rifiuta BEFORE UPDATE ON articoli BEGIN SELECT RAISE(ABORT, 'disco pieno'); END"));
    QSignalSpy errori(&articoli(), &DataSource::error);
    const qint64 id = idCorrente();
    m_peso->setText(QStringLiteral("3"));
    if (lasciaTitolo) {
        m_titolo->setFocus();
        m_titolo->selectAll();
        QTest::keyClicks(m_titolo, QStringLiteral("Nuovo"));
        m_altro->setFocus();
    } else {
        articoli().recordset().moveNext();
    }
    QCOMPARE(errori.size(), 1);
    QCOMPARE(errori.at(0).at(1).toString(), QStringLiteral("disco pieno"));
    QCOMPARE(errori.at(0).at(2).toString(), nominato);
    // The record goes back to what is stored.
    QVERIFY(!articoli().modifichePendenti());
    QCOMPARE(stored(QStringLiteral("titolo"), id), QStringLiteral("Articolo 1"));
    QCOMPARE(stored(QStringLiteral("peso"), id), QStringLiteral("0.1"));
}

void TestBinder::rigaScrittaDaAltri()
{
    QSignalSpy scritture(&articoli(), &DataSource::scritto);
    // The fields' own write: announced as theirs, each field written
    // showing its value as stored; one already reading so keeps its text,
    // and its place in it.
    m_peso->setFocus();
    m_peso->selectAll();
    QTest::keyClicks(m_peso, QStringLiteral("2,50"));
    m_titolo->setText(QStringLiteral("Caffè"));
    m_titolo->setCursorPosition(2);
    QVERIFY(articoli().scriviModifiche());
    QCOMPARE(scritture.size(), 1);
    QCOMPARE(scritture.at(0).at(0).toBool(), true);
    QCOMPARE(m_peso->text(), QStringLiteral("2,5"));
    QCOMPARE(m_titolo->cursorPosition(), 2);
    QVERIFY(!articoli().modifichePendenti());
    // Other code writes the row (a paste, a grid): the fields show it as stored.
    m_prezzo->setText(QStringLiteral("4"));  // pending: written with it
    Recordset &rs = articoli().recordset();
    rs.edit();
    rs.setValue(QStringLiteral("titolo"), QStringLiteral("Scritto altrove"));
    rs.setValue(QStringLiteral("peso"), 0.75);
    rs.update();
    QCOMPARE(scritture.size(), 2);
    QCOMPARE(scritture.at(1).at(0).toBool(), false);
    QCOMPARE(m_titolo->text(), QStringLiteral("Scritto altrove"));
    QCOMPARE(m_peso->text(), QStringLiteral("0,75"));
    QCOMPARE(m_prezzo->text(), QStringLiteral("4"));
    QCOMPARE(stored(QStringLiteral("prezzo"), idCorrente()), QStringLiteral("4"));
    QVERIFY(!articoli().modifichePendenti());
}

void TestBinder::pausaMostraSoloLaFine()
{
    // A pause writes the pending edit first, then shows nothing of what the
    // recordset does (moves, writes) until the last pause ends: then the
    // row it ends on, with one reposition.
    Recordset &rs = articoli().recordset();
    const qint64 primo = idCorrente();
    m_titolo->setFocus();
    m_titolo->selectAll();
    QTest::keyClicks(m_titolo, QStringLiteral("Nuovo"));
    QSignalSpy riposizionamenti(&articoli(), &DataSource::reposition);
    QSignalSpy scritture(&articoli(), &DataSource::scritto);
    {
        DataSource::Pausa pausa(articoli());
        QCOMPARE(stored(QStringLiteral("titolo"), primo), QStringLiteral("Nuovo"));
        QVERIFY(!articoli().modifichePendenti());
        scritture.clear();
        {
            DataSource::Pausa dentro(articoli());
            rs.moveNext();
            rs.edit();
            rs.setValue(QStringLiteral("titolo"), QStringLiteral("Altrove"));
            rs.update();
        }
        rs.moveLast();
        rs.requery();
        rs.findFirst(QStringLiteral("titolo"), QStringLiteral("Altrove"));
        QCOMPARE(m_titolo->text(), QStringLiteral("Nuovo"));
        QCOMPARE(riposizionamenti.size(), 0);
        QCOMPARE(scritture.size(), 0);
    }
    QCOMPARE(riposizionamenti.size(), 1);
    QCOMPARE(m_titolo->text(), QStringLiteral("Altrove"));
    QVERIFY(!articoli().modifichePendenti());
}

// A follower of reposition that fails when a pause ends: fine() passes the
// error to the caller; a pause ended by an exception already on its way out
// keeps that one (the program goes on instead of ending).
void TestBinder::erroreAllaFineDellaPausa()
{
    QObject guardia;
    connect(&articoli(), &DataSource::reposition, &guardia, [] { throw DbError(3021, QStringLiteral("letto male")); });
    try {
        DataSource::Pausa pausa(articoli());
        pausa.fine();
        QFAIL("the follower's error was lost");
    } catch (const DbError &e) {
        QCOMPARE(e.number, 3021);
    }
    try {
        DataSource::Pausa pausa(articoli());
        throw std::runtime_error("incolla interrotto");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("incolla interrotto"));
    }
    // The pause is over either way: the fields follow the recordset again.
    QObject::disconnect(&articoli(), &DataSource::reposition, &guardia, nullptr);
    QSignalSpy riposizionamenti(&articoli(), &DataSource::reposition);
    articoli().recordset().moveNext();
    QCOMPARE(riposizionamenti.size(), 1);
}

void TestBinder::filtroNumerico_data()
{
    QTest::addColumn<QString>("prima");
    QTest::addColumn<QString>("tasti");
    QTest::addColumn<QString>("dopo");
    QTest::newRow("a point becomes the comma") << "" << "12.5" << "12,5";
    QTest::newRow("one separator only") << "" << "1,2,3.4" << "1,234";
    QTest::newRow("letters and signs discarded") << "" << "a1-b2+" << "12";
    QTest::newRow("asterisk on empty") << "" << "*" << "000";
    QTest::newRow("asterisk appends") << "12" << "*" << "12000";
}

void TestBinder::filtroNumerico()
{
    QFETCH(QString, prima);
    QFETCH(QString, tasti);
    QFETCH(QString, dopo);
    m_prezzo->setText(prima);
    m_prezzo->setFocus();
    m_prezzo->setCursorPosition(prima.size());
    m_prezzo->deselect();
    QTest::keyClicks(m_prezzo, tasti);
    QCOMPARE(m_prezzo->text(), dopo);
    // Text put in by code passes no filter.
    m_prezzo->clear();
    m_prezzo->insert(QStringLiteral("a.b"));
    QCOMPARE(m_prezzo->text(), QStringLiteral("a.b"));
}

void TestBinder::selezionaTuttoAlFocus()
{
    m_altro->setFocus();
    QTest::mouseClick(m_prezzo, Qt::LeftButton);
    QTRY_COMPARE(m_prezzo->selectedText(), QStringLiteral("12,5"));
    QVERIFY(m_titolo->selectedText().isEmpty());
}

QTEST_MAIN(TestBinder)
#include "test_binder.moc"

// The in-place upgrade of a shop, run at every opening before the catalogue
// is opened exclusively: renumbers the sort order, adds the fields later
// versions need with their defaults, extends the work database and gives the
// shop its own copy of the program's code folder. It reports nothing.
#include "negozio.h"

#include "cartelle.h"
#include "catalogschema.h"
#include "programfolder.h"
#include "recordset.h"

#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <QSqlQuery>
#include <QFile>

namespace {

const FieldDef &schemaField(const QString &table, const QString &field)
{
    return *CatalogSchema::catalog().table(table)->field(field);
}

// Renumbers a whole table from 100 in steps of 5, in the given order. Rows
// with equal keys keep the order in which they are stored. The order is read
// from the sort index; only rows whose number changes are written, in one
// statement.
void rinumera(Database &db, const QString &table, const QString &order)
{
    LetturaDiretta q(db, QStringLiteral("SELECT rowid, ordinamento FROM \"%1\" ORDER BY %2, rowid").arg(table, order));
    std::vector<std::pair<qint64, qint64>> cambi;  // rowid, new order
    qint64 nuovo = 100;
    for (; q.prossima(); nuovo += 5) {
        if (q.nullo(1) || q.cella(1).intero != nuovo)
            cambi.emplace_back(q.cella(0).intero, nuovo);
    }
    if (cambi.empty())
        return;
    // Written in storage order, so the table's pages are visited once each.
    std::sort(cambi.begin(), cambi.end());
    // When most rows change, the sort indexes are made again in one pass
    // rather than kept up to date row by row.
    QStringList nomi, indici;
    if (cambi.size() > 1000) {
        QSqlQuery i = db.run(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type='index' AND tbl_name=? "
                                            "AND sql LIKE '%ordinamento%'"),
                             {table});
        while (i.next()) {
            nomi << i.value(0).toString();
            indici << i.value(1).toString();
        }
    }
    for (const QString &nome : nomi)
        db.execute(QStringLiteral("DROP INDEX \"%1\"").arg(nome));
    QByteArray json = "[";
    for (const auto &[rowid, valore] : cambi)
        json += '[' + QByteArray::number(rowid) + ',' + QByteArray::number(valore) + "],";
    json.back() = ']';
    db.execute(QStringLiteral("UPDATE \"%1\" SET ordinamento = c.value ->> 1 FROM json_each(?) AS c "
                              "WHERE \"%1\".rowid = c.value ->> 0")
                   .arg(table),
               {QString::fromLatin1(json)});
    for (const QString &sql : indici)
        db.execute(sql);
}

// Each schema step goes on after its own failure: a step that cannot be done
// (a database that refuses the change) must not keep the shop from opening,
// and opening reports a database it cannot use. The failure is logged.
template <typename F>
void passo(F &&f)
{
    try {
        f();
    } catch (const std::exception &e) {
        qWarning("Aggiornamento del negozio: un passo non è riuscito: %s", qUtf8Printable(testoErrore(e)));
    }
}

// Adds a field when missing; true when this call added it.
bool aggiungi(Database &db, const QString &table, const FieldDef &f)
{
    if (!db.hasTable(table) || db.hasField(table, f.name))
        return false;
    db.addField(table, f);
    return true;
}

void consentiVuoto(Database &db, const QString &table, const QString &field)
{
    const ColumnInfo *c = db.tableInfo(table).column(field);
    if (!c || c->allowEmpty)
        return;
    FieldDef f = c->definition();
    f.allowEmpty = true;
    db.redefineField(table, f);
}

void impostaPredefinito(Database &db, const QString &table, const QString &field, const QVariant &value)
{
    const ColumnInfo *c = db.tableInfo(table).column(field);
    if (!c)
        return;
    FieldDef f = c->definition();
    if (f.defaultValue.isValid() && Recordset::sameValue(f.defaultValue, value))
        return;
    f.defaultValue = value;
    db.redefineField(table, f);
}

void aggiornaCatalogo(Database &db)
{
    const QString articoli = QStringLiteral("articoli"), clip = QStringLiteral("cliparticoli");
    for (const char *flag : {"popup", "fuoricatalogo", "inelenco"}) {
        const QString name = QString::fromLatin1(flag);
        passo([&] { aggiungi(db, articoli, schemaField(articoli, name)); });
        passo([&] { aggiungi(db, clip, schemaField(clip, name)); });
    }
    passo([&] { consentiVuoto(db, QStringLiteral("categorie"), QStringLiteral("note")); });
    passo([&] { consentiVuoto(db, QStringLiteral("clipcategorie"), QStringLiteral("note")); });
    for (const char *table : {"categorie", "clipcategorie", "generale"}) {
        const QString t = QString::fromLatin1(table);
        passo([&] { aggiungi(db, t, schemaField(t, QStringLiteral("sconto"))); });
        passo([&] { impostaPredefinito(db, t, QStringLiteral("sconto"), 0); });
    }

    // Settings added by later versions: when a field is new, or Null, it
    // takes its default.
    struct Nuovo {
        const char *name;
        QVariant value;
        bool added = false;
    };
    Nuovo nuovi[] = {{"vis_offerta", true}, {"vis_sconto", true}, {"vis_percrep", false}, {"usa_cambio", true},
                     {"colonnevetrina", QStringLiteral("3")}};
    const QString generale = QStringLiteral("generale");
    for (Nuovo &n : nuovi) {
        const QString name = QString::fromLatin1(n.name);
        passo([&] { n.added = aggiungi(db, generale, schemaField(generale, name)); });
        passo([&] { impostaPredefinito(db, generale, name, n.value); });
    }
    passo([&] {
        Recordset g(db.shared_from_this(), QStringLiteral("SELECT * FROM generale"));
        for (; !g.eof(); g.moveNext()) {
            g.edit();
            if (!g.value(QStringLiteral("sconto")).isValid())
                g.setValue(QStringLiteral("sconto"), 0);
            for (const Nuovo &n : nuovi) {
                const QString name = QString::fromLatin1(n.name);
                if (n.added || !g.value(name).isValid())
                    g.setValue(name, n.value);
            }
            g.update();
        }
    });

    for (int i = 1; i <= 15; ++i)
        passo([&] { consentiVuoto(db, QStringLiteral("opzioni"), QStringLiteral("opzione%1").arg(i)); });
    passo([&] { consentiVuoto(db, QStringLiteral("opzioni"), QStringLiteral("nome")); });
}

void aggiornaLavoro(const QString &path)
{
    auto db = Database::open(path);
    const QString t = QStringLiteral("categoria");
    const FieldDef &vetrina = *CatalogSchema::workDatabase().table(t)->field(QStringLiteral("vetrina"));
    passo([&] { aggiungi(*db, t, vetrina); });
    passo([&] { consentiVuoto(*db, t, vetrina.name); });
    db->close();
}

// Upload records: keys of a limited length take any length; records
// written with the send time as local date text get it as UTC seconds (a
// text that is no date becomes Null, so that file is sent again).
void aggiornaRecordInvii(const QString &path)
{
    auto db = Database::open(path);
    const TableDef &file = *CatalogSchema::uploadRecords().table(QStringLiteral("file"));
    const ColumnInfo *nome = db->tableInfo(file.name).column(QStringLiteral("nome"));
    if (nome && nome->type == FieldType::Text)
        db->redefineField(file.name, *file.field(QStringLiteral("nome")));
    const ColumnInfo *data = db->tableInfo(file.name).column(QStringLiteral("data"));
    if (!data || data->type != FieldType::DateTime)
        return;
    Transazione t(*db);
    std::vector<std::pair<qint64, QVariant>> righe;
    QSqlQuery q = db->run(QStringLiteral("SELECT rowid, data FROM file"));
    while (q.next()) {
        const QDateTime d = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
        righe.emplace_back(q.value(0).toLongLong(), d.isValid() ? QVariant(d.toSecsSinceEpoch()) : QVariant());
    }
    for (const auto &[rowid, secondi] : righe)
        db->execute(QStringLiteral("UPDATE file SET data = ? WHERE rowid = ?"), {secondi, rowid});
    for (const char *campo : {"data", "peso"})
        db->redefineField(file.name, *file.field(QString::fromLatin1(campo)));
    t.commit();
    db->close();
}

// The shop gets its own copy of the program's code folder (payment systems'
// folders) when its own holds no ordinary file. The top-level scripts stay
// out: a build always reads them from the program folder.
void copiaCodice(const QString &shop)
{
    const QString code = shop + QStringLiteral("/code");
    if (!QDir(code).entryList(QDir::Files).isEmpty())
        return;
    QDir().mkpath(code);
    CopiaCartella(ProgramFolder::path() + QStringLiteral("/code"), code);
    const auto scripts = QDir(code).entryInfoList({QStringLiteral("*.js"), QStringLiteral("*.pl"), QStringLiteral("*.asp")},
                                                  QDir::Files | QDir::Hidden);
    for (const QFileInfo &f : scripts)
        QFile::remove(f.absoluteFilePath());
}

} // namespace

void AggiornaNegozio(const QString &cartellaNegozio, Database *catalogo)
{
    // Phase 1: the renumbering. Its first failure ends the whole upgrade; it
    // runs in one transaction, so a failure leaves the old order intact.
    DatabasePtr proprio;
    const auto chiudi = [&] {
        if (proprio)
            proprio->close();
    };
    try {
        if (!catalogo) {
            proprio = Database::open(cartellaNegozio + QStringLiteral("/catalog.mdb"));
            catalogo = proprio.get();
        }
        Transazione t(*catalogo);
        rinumera(*catalogo, QStringLiteral("articoli"), QStringLiteral("catID, ordinamento"));
        rinumera(*catalogo, QStringLiteral("categorie"), QStringLiteral("livello, ordinamento"));
        t.commit();
    } catch (const std::exception &) {
        chiudi();
        return;
    }
    // Phases 2 to 6: each step that fails is skipped.
    passo([&] {
        Transazione t(*catalogo);
        aggiornaCatalogo(*catalogo);
        t.commit();
    });
    chiudi();
    passo([&] { aggiornaLavoro(cartellaNegozio + QStringLiteral("/source.new")); });
    passo([&] { aggiornaRecordInvii(cartellaNegozio + QStringLiteral("/vtftp.mdb")); });
    passo([&] { copiaCodice(cartellaNegozio); });
}

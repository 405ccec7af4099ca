// The in-place upgrade of a shop, run at every opening on the catalogue
// opened exclusively: renumbers the sort order, adds the fields later
// versions need with their defaults, extends the work database and gives the
// shop its own copy of the program's code folder. It reports nothing.
#include "negozio.h"

#include "cartelle.h"
#include "catalogschema.h"
#include "programfolder.h"
#include "recordset.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>  // renameat2
#include <fcntl.h>

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

// The scripts at the top of the program's code folder, which a shop's copy
// leaves out: a build always reads them from the program folder.
bool scriptDelProgramma(const QFileInfo &f)
{
    static const QStringList estensioni = {QStringLiteral("js"), QStringLiteral("pl"), QStringLiteral("asp")};
    return estensioni.contains(f.suffix(), Qt::CaseInsensitive);
}

bool rinomina(const QString &da, const QString &a, unsigned int modo = 0)
{
    return ::renameat2(AT_FDCWD, QFile::encodeName(da).constData(), AT_FDCWD, QFile::encodeName(a).constData(), modo)
           == 0;
}

bool rimuoviCartella(const QString &cartella)
{
    const QFileInfo fi(cartella);
    if (!fi.exists() && !fi.isSymLink())
        return true;
    return fi.isDir() && !fi.isSymLink() ? QDir(cartella).removeRecursively() : QFile::remove(cartella);
}

} // namespace

bool CopiaCodiceNegozio(const QString &cartellaNegozio)
{
    const QString codice = cartellaNegozio + QStringLiteral("/code");
    const QString origine = ProgramFolder::path() + QStringLiteral("/code");
    // The copy is made whole beside the shop's folder and then put in its
    // place in one step; the folder it replaces goes afterwards. A run that
    // was killed leaves at most these two names, which the next run clears.
    const QString nuova = cartellaNegozio + QStringLiteral("/.code.nuova");
    const QString vecchia = cartellaNegozio + QStringLiteral("/.code.vecchia");

    // A shop that is the program folder has the program's own folder, which
    // is never written.
    if (!QFileInfo(origine).isDir() || DentroCartella(codice, origine))
        return false;
    // What a killed run left: the folder set aside by a swap in two steps
    // goes back when the new one did not reach its place.
    if (QFileInfo(vecchia).isDir() && !QFileInfo(vecchia).isSymLink()) {
        if (!QFileInfo::exists(codice) && !QFileInfo(codice).isSymLink())
            rinomina(vecchia, codice);
        else
            rimuoviCartella(vecchia);
    }
    rimuoviCartella(nuova);
    if (QFileInfo::exists(nuova) || QFileInfo::exists(vecchia))
        return false;

    const QFileInfo fi(codice);
    const bool esiste = fi.exists() || fi.isSymLink();
    // A code entry that is a link or no folder is the merchant's: left alone.
    if (esiste && (fi.isSymLink() || !fi.isDir()))
        return false;
    // The shop's own files (a payment system's page fragment, a script of
    // the merchant's) mean that the copy was made and the shop has worked on
    // it: it is left alone. The program's top-level scripts are removed at
    // the end of every copy; when one of them is there by its name, a copy
    // was cut short and is finished now, the files it already made kept as
    // they are.
    const QFileInfoList inCima = QDir(codice).entryInfoList(QDir::Files);
    const QFileInfoList delProgramma = QDir(origine).entryInfoList(QDir::Files | QDir::Hidden);
    const bool interrotta = std::any_of(inCima.begin(), inCima.end(), [&](const QFileInfo &f) {
        return scriptDelProgramma(f) && std::any_of(delProgramma.begin(), delProgramma.end(), [&](const QFileInfo &p) {
                   return scriptDelProgramma(p) && p.fileName() == f.fileName();
               });
    });
    if (!inCima.isEmpty() && !interrotta)
        return true;

    bool fatto = QDir().mkdir(nuova);
    if (fatto && esiste) {
        // A fresh copy takes the program's files over the shop's; a copy
        // being finished keeps the shop's.
        fatto = interrotta ? CopiaCartella(origine, nuova) && CopiaCartella(codice, nuova)
                           : CopiaCartella(codice, nuova) && CopiaCartella(origine, nuova);
    } else if (fatto) {
        fatto = CopiaCartella(origine, nuova);
    }
    for (const QFileInfo &f : QDir(nuova).entryInfoList(QDir::Files | QDir::Hidden))
        if (scriptDelProgramma(f))
            fatto = QFile::remove(f.absoluteFilePath()) && fatto;
    if (fatto) {
        if (!esiste || QDir(codice).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            // Missing or empty: renamed onto it in one step.
            fatto = rinomina(nuova, codice);
        } else if (rinomina(nuova, codice, RENAME_EXCHANGE)) {
            // Swapped in one step: the older folder now has the other name.
            rimuoviCartella(nuova);
        } else {
            // A file system that cannot swap: the older folder is set aside
            // first, and put back when the new one cannot take its place.
            fatto = rinomina(codice, vecchia);
            if (fatto && !rinomina(nuova, codice)) {
                fatto = false;
                // When even that fails, the next run puts it back.
                rinomina(vecchia, codice);
            }
            if (fatto)
                rimuoviCartella(vecchia);
        }
    }
    // A copy that could not be made whole changes nothing.
    rimuoviCartella(nuova);
    return fatto;
}

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
    passo([&] {
        if (!CopiaCodiceNegozio(cartellaNegozio))
            qWarning("Aggiornamento del negozio: la cartella code non è stata copiata per intero");
    });
}

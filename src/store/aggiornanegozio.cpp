// The in-place upgrade of a shop, run at every opening on the catalogue
// opened exclusively: renumbers the sort order, adds the fields later
// versions need with their defaults, extends the work database and gives the
// shop its own copy of the program's code folder. It reports only what the
// merchant must know of that copy.
#include "negozio.h"

#include "cartelle.h"
#include "catalogschema.h"
#include "programfolder.h"
#include "recordset.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

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

bool rinomina(const QString &da, const QString &a)
{
    return std::rename(QFile::encodeName(da).constData(), QFile::encodeName(a).constData()) == 0;
}

// Removes a folder this program left half made or set aside; its folders
// are made writable first, so that a tree copied from a protected one goes
// too. True when nothing of it is left.
bool rimuoviAvanzo(const QString &cartella)
{
    const QFileInfo fi(cartella);
    if (!fi.exists() && !fi.isSymLink())
        return true;
    if (fi.isSymLink() || !fi.isDir())
        return QFile::remove(cartella);
    QFile::setPermissions(cartella, fi.permissions() | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDirIterator it(cartella, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString d = it.next();
        QFile::setPermissions(d, it.fileInfo().permissions() | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return QDir(cartella).removeRecursively();
}

// What an opening that was killed left beside the code folder: the folder
// of a copy not yet in place is undone; a folder set aside by a swap in two
// steps goes back when the code folder did not reach its place, else it
// goes. True when nothing of them is left.
bool sistemaAvanzi(const QString &codice, const QString &nuova, const QString &vecchia)
{
    const QFileInfo v(vecchia);
    if (v.isDir() && !v.isSymLink() && !QFileInfo::exists(codice) && !QFileInfo(codice).isSymLink())
        rinomina(vecchia, codice);
    return rimuoviAvanzo(vecchia) && rimuoviAvanzo(nuova);
}

// Makes the copy in `nuova`, without the program's top-level scripts, and
// renames it onto `codice` (missing, or an empty folder): the rename, the
// copy's last step, is what makes a code folder there. Nothing is left
// behind when it fails.
bool copiaInPosto(const QString &origine, const QString &nuova, const QString &codice)
{
    bool fatto = QDir().mkdir(nuova) && CopiaCartella(origine, nuova);
    for (const QFileInfo &f : QDir(nuova).entryInfoList(QDir::Files | QDir::Hidden))
        if (scriptDelProgramma(f))
            fatto = QFile::remove(f.absoluteFilePath()) && fatto;
    fatto = fatto && rinomina(nuova, codice);
    if (!fatto)
        rimuoviAvanzo(nuova);
    return fatto;
}

} // namespace

bool CopiaCodiceNegozio(const QString &cartellaNegozio, QString *avviso)
{
    const QString codice = cartellaNegozio + QStringLiteral("/code");
    const QString origine = ProgramFolder::path() + QStringLiteral("/code");
    // The copy is made whole beside the shop's folder and renamed onto it
    // in one step. A run that was killed leaves at most this name, or a
    // folder set aside while the code folder was swapped; the next run
    // clears them.
    const QString nuova = cartellaNegozio + QStringLiteral("/.code.nuova");
    const QString vecchia = cartellaNegozio + QStringLiteral("/.code.vecchia");
    const auto avvisa = [&](const QString &testo) {
        if (avviso)
            *avviso = testo;
        return false;
    };

    // A shop that is the program folder has the program's own folder, which
    // is never written.
    if (!QFileInfo(origine).isDir() || DentroCartella(codice, origine))
        return false;
    // A shop that cannot be written is said to be read-only at its opening.
    if (!QFileInfo(cartellaNegozio).isWritable())
        return false;
    if (!sistemaAvanzi(codice, nuova, vecchia))
        return avvisa(QStringLiteral("Impossibile togliere dalla cartella del negozio '%1' la copia dei codici "
                                     "lasciata a metà da un'apertura interrotta ('.code.nuova' o '.code.vecchia'): "
                                     "toglierla a mano.")
                          .arg(cartellaNegozio));

    const QFileInfo fi(codice);
    const bool esiste = fi.exists() || fi.isSymLink();
    // A code entry that is a link or no folder is the merchant's: left alone.
    if (esiste && (fi.isSymLink() || !fi.isDir()))
        return false;
    // A code folder that holds anything is a finished copy, which only the
    // rename puts there, or the merchant's own: left alone.
    if (esiste && !QDir(codice).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return true;
    // An empty folder the merchant protected is not replaced.
    if (esiste && !fi.permission(QFile::WriteOwner))
        return avvisa(QStringLiteral("La cartella dei codici del negozio '%1' è vuota e protetta da scrittura: i "
                                     "codici dei sistemi di pagamento non vi sono stati copiati. Per averli, "
                                     "toglierne la protezione, oppure cancellarla, e riaprire il negozio.")
                          .arg(codice));
    if (!copiaInPosto(origine, nuova, codice))
        return avvisa(QStringLiteral("Impossibile copiare i codici dei sistemi di pagamento nella cartella '%1': "
                                     "la copia sarà ritentata alla prossima apertura del negozio.")
                          .arg(codice));
    return true;
}

QString AggiornaNegozio(const QString &cartellaNegozio, Database *catalogo)
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
        return {};
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
    QString avviso;
    if (!CopiaCodiceNegozio(cartellaNegozio, &avviso) && avviso.isEmpty())
        qWarning("Aggiornamento del negozio: la cartella code non è stata copiata");
    return avviso;
}

#include "lettoremdb.h"

#include "currency.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <mdbtools.h>

namespace {

// The library writes each value, as text, into a buffer of its bind size,
// which is 16 KB unless raised: a longer memo would be cut. Every buffer is
// as large, and a value that fills one is refused rather than read cut.
constexpr size_t MisuraValore = size_t(1) << 20;

MdbHandle *handle(void *p)
{
    return static_cast<MdbHandle *>(p);
}

// Every Access file begins with this signature; anything else is not handed
// to the library at all.
bool firmaJet(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray inizio = f.read(19);
    return inizio.size() == 19 && inizio.startsWith(QByteArray("\x00\x01\x00\x00", 4))
        && (inizio.mid(4) == "Standard Jet DB" || inizio.mid(4) == "Standard ACE DB");
}

std::optional<double> decimale(QString t)
{
    // The library writes decimals in the C library's current locale.
    if (!t.contains(u'.'))
        t.replace(u',', u'.');
    bool ok = false;
    const double d = t.toDouble(&ok);
    return ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

// A bound value as the import reads it.
QVariant valore(const MdbColumn *col, const char *testo, int lunghezza)
{
    const QString t = QString::fromUtf8(testo, lunghezza);
    switch (col->col_type) {
    case MDB_TEXT:
    case MDB_MEMO:
        return t;
    case MDB_BOOL:
        return t == QLatin1String("1");
    default:
        break;
    }
    if (lunghezza == 0)
        return {};  // Null
    switch (col->col_type) {
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: {
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case MDB_MONEY: {
        QString m = t;
        if (!m.contains(u'.'))
            m.replace(u',', u'.');
        const auto c = Currency::parse(m);
        return c ? QVariant::fromValue(*c) : QVariant();
    }
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: {
        const auto d = decimale(t);
        return d ? QVariant(*d) : QVariant();
    }
    default:
        return t;
    }
}

} // namespace

std::unique_ptr<SorgenteImportazione> LettoreMdb::apri(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists())
        throw ErroreSorgente(QStringLiteral("Il file '%1' non esiste.").arg(file));
    if (!info.isFile() || !QFile(file).open(QIODevice::ReadOnly))
        throw ErroreSorgente(QStringLiteral("Il file '%1' non può essere letto: forse è in uso da un altro programma.").arg(file));
    if (!firmaJet(file))
        throw ErroreSorgente(QStringLiteral("Il file '%1' non è un database di Zendaro.").arg(file));
    MdbHandle *mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    if (!mdb)
        throw ErroreSorgente(QStringLiteral("Il file '%1' non può essere letto: è danneggiato o in uso da un altro programma.").arg(file));
    mdb_set_boolean_fmt_numbers(mdb);
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        mdb_close(mdb);
        throw ErroreSorgente(QStringLiteral("Il file '%1' è danneggiato.").arg(file));
    }
    // Raised only now: the catalogue is read into the library's own buffers
    // of the usual size.
    mdb_set_bind_size(mdb, MisuraValore);
    return std::unique_ptr<SorgenteImportazione>(new LettoreMdb(mdb, file));
}

LettoreMdb::LettoreMdb(void *mdb, QString file) : m_mdb(mdb), m_file(std::move(file)) {}

LettoreMdb::~LettoreMdb()
{
    mdb_close(handle(m_mdb));
}

std::vector<QVariantList> LettoreMdb::leggi(const QString &tabella, const QStringList &campi)
{
    MdbHandle *mdb = handle(m_mdb);
    MdbCatalogEntry *voce = nullptr;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *e = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && tabella.compare(QString::fromUtf8(e->object_name), Qt::CaseInsensitive) == 0)
            voce = e;
    }
    if (!voce)
        throw ErroreSorgente(QStringLiteral("Nel database manca la tabella '%1'.").arg(tabella));

    MdbTableDef *t = mdb_read_table(voce);
    if (!t || !mdb_read_columns(t)) {
        if (t)
            mdb_free_tabledef(t);
        throw ErroreSorgente(QStringLiteral("La tabella '%1' non può essere letta.").arg(tabella));
    }
    struct Legame {
        const MdbColumn *colonna;
        QByteArray buffer;
        int lunghezza = 0;
    };
    std::vector<Legame> legami(campi.size());
    for (int c = 0; c < campi.size(); ++c) {
        for (unsigned k = 0; k < t->num_cols; ++k) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(t->columns, k));
            if (campi[c].compare(QString::fromUtf8(col->name), Qt::CaseInsensitive) == 0) {
                legami[c].colonna = col;
                legami[c].buffer = QByteArray(int(mdb->bind_size) + 1, '\0');
                mdb_bind_column(t, int(k) + 1, legami[c].buffer.data(), &legami[c].lunghezza);
            }
        }
        if (!legami[c].colonna) {
            mdb_free_tabledef(t);
            throw ErroreSorgente(QStringLiteral("Nella tabella '%1' manca il campo '%2'.").arg(tabella, campi[c]));
        }
    }
    std::vector<QVariantList> righe;
    mdb_rewind_table(t);
    while (mdb_fetch_row(t)) {
        QVariantList riga;
        riga.reserve(campi.size());
        for (const Legame &l : legami) {
            if (size_t(l.lunghezza) + 4 >= MisuraValore) {
                // The column's name lives in the table definition: copy it
                // before the definition is freed.
                const QString campo = QString::fromUtf8(l.colonna->name);
                mdb_free_tabledef(t);
                throw ErroreSorgente(QStringLiteral("Nella tabella '%1' il campo '%2' contiene un testo troppo lungo.")
                                         .arg(tabella, campo));
            }
            riga << valore(l.colonna, l.buffer.constData(), l.lunghezza);
        }
        righe.push_back(std::move(riga));
    }
    mdb_free_tabledef(t);
    return righe;
}

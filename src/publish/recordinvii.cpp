#include "recordinvii.h"

namespace {
// A group of writes is committed after this long.
constexpr int MillisecondiPerGruppo = 250;
}

RecordInvii::RecordInvii(const QString &percorsoDB) : m_db(Database::open(percorsoDB))
{
    if (!m_db->hasTable(QStringLiteral("file")))
        throw DbError(DbErr::NoSuchTable, QStringLiteral("Il file '%1' non contiene la tabella dei file inviati.")
                                              .arg(percorsoDB));
}

RecordInvii::~RecordInvii()
{
    try {
        chiudi();
    } catch (...) {
    }
}

std::optional<RecordInvii::Record> RecordInvii::cerca(const QString &chiave)
{
    QSqlQuery q = m_db->run(QStringLiteral("SELECT rowid, data, peso FROM file WHERE nome = ? ORDER BY rowid LIMIT 1"),
                            {chiave});
    if (!q.next())
        return std::nullopt;
    return Record{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong()};
}

void RecordInvii::scrittura()
{
    if (!m_inTransazione) {
        m_db->beginTrans();
        m_inTransazione = true;
        m_daInizio.start();
    }
}

void RecordInvii::aggiungi(const QString &chiave, qint64 data, qint64 peso)
{
    scrittura();
    m_db->execute(QStringLiteral("INSERT INTO file (nome, data, peso) VALUES (?, ?, ?)"), {chiave, data, peso});
    if (m_daInizio.elapsed() >= MillisecondiPerGruppo)
        salva();
}

void RecordInvii::aggiorna(qint64 id, qint64 data, qint64 peso)
{
    scrittura();
    m_db->execute(QStringLiteral("UPDATE file SET data = ?, peso = ? WHERE rowid = ?"), {data, peso, id});
    if (m_daInizio.elapsed() >= MillisecondiPerGruppo)
        salva();
}

void RecordInvii::eliminaPrefisso(const QString &prefisso)
{
    salva();
    // The prefix is compared as it stands: no character of it is a wildcard.
    m_db->execute(QStringLiteral("DELETE FROM file WHERE substr(nome, 1, length(?)) = ?"), {prefisso, prefisso});
}

void RecordInvii::salva()
{
    if (m_inTransazione) {
        m_inTransazione = false;
        m_db->commitTrans();
    }
}

void RecordInvii::chiudi()
{
    if (!m_db)
        return;
    // The connection is this thread's for the file: it closes when its
    // last user lets it go.
    DatabasePtr db = std::move(m_db);
    if (m_inTransazione) {
        m_inTransazione = false;
        db->commitTrans();
    }
}

void PulisciDB(const QString &percorsoDB, const QString &host, const QString &cartella)
{
    try {
        RecordInvii r(percorsoDB);
        r.eliminaPrefisso(RecordInvii::prefisso(host, cartella));
    } catch (const std::exception &) {
    }
}

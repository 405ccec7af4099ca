#include "recordinvii.h"

#include <QSqlError>

namespace {
// A group of writes is committed after this long.
constexpr int MillisecondiPerGruppo = 2000;
}

RecordInvii::RecordInvii(const QString &percorsoDB) : m_db(Database::open(percorsoDB))
{
    if (!m_db->hasTable(QStringLiteral("file")))
        throw DbError(DbErr::NoSuchTable, QStringLiteral("Il file '%1' non contiene la tabella dei file inviati.")
                                              .arg(percorsoDB));
}

RecordInvii::~RecordInvii()
{
    // Reached with the records still open only when a run ends by an
    // exception, which its caller reports; what cannot be saved then is
    // logged here, as a destructor cannot throw.
    try {
        chiudi();
    } catch (const std::exception &e) {
        qWarning("vtftp.mdb: i record dei file inviati non sono stati salvati: %s", qUtf8Printable(testoErrore(e)));
    }
}

QSqlQuery &RecordInvii::esegui(std::unique_ptr<QSqlQuery> &q, const char *sql, const QVariantList &valori)
{
    if (!q) {
        q = std::make_unique<QSqlQuery>(m_db->connection());
        q->setForwardOnly(true);
        if (!q->prepare(QString::fromLatin1(sql)))
            m_db->fail(q->lastError(), QString());
    }
    for (int i = 0; i < valori.size(); ++i)
        q->bindValue(i, valori[i]);
    if (!q->exec())
        m_db->fail(q->lastError(), QString());
    return *q;
}

void RecordInvii::precarica(const QString &prefisso)
{
    salva();
    m_letti.clear();
    QSqlQuery q = m_db->run(QStringLiteral("SELECT nome, data, peso FROM file "
                                           "WHERE substr(nome, 1, length(?)) = ? ORDER BY rowid"),
                            {prefisso, prefisso});
    while (q.next()) {
        const QString nome = q.value(0).toString();
        if (!m_letti.contains(nome))
            m_letti.insert(nome, Record{q.value(1).toLongLong(), q.value(2).toLongLong()});
    }
    m_prefisso = prefisso;
}

std::optional<RecordInvii::Record> RecordInvii::cerca(const QString &chiave)
{
    if (!m_prefisso.isEmpty() && chiave.startsWith(m_prefisso)) {
        const auto trovato = m_letti.constFind(chiave);
        return trovato == m_letti.constEnd() ? std::nullopt : std::optional<Record>(*trovato);
    }
    QSqlQuery &q = esegui(m_cerca, "SELECT data, peso FROM file WHERE nome = ? ORDER BY rowid LIMIT 1", {chiave});
    std::optional<Record> r;
    if (q.next())
        r = Record{q.value(0).toLongLong(), q.value(1).toLongLong()};
    q.finish();
    return r;
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
    esegui(m_aggiungi, "INSERT INTO file (nome, data, peso) VALUES (?, ?, ?)", {chiave, data, peso});
    if (!m_prefisso.isEmpty() && chiave.startsWith(m_prefisso) && !m_letti.contains(chiave))
        m_letti.insert(chiave, Record{data, peso});
    if (m_daInizio.elapsed() >= MillisecondiPerGruppo)
        salva();
}

void RecordInvii::elimina(const QString &chiave)
{
    scrittura();
    esegui(m_elimina, "DELETE FROM file WHERE nome = ?", {chiave});
    m_letti.remove(chiave);
}

void RecordInvii::eliminaPrefisso(const QString &prefisso)
{
    salva();
    // The prefix is compared as it stands: no character of it is a wildcard.
    m_db->execute(QStringLiteral("DELETE FROM file WHERE substr(nome, 1, length(?)) = ?"), {prefisso, prefisso});
    if (m_prefisso.startsWith(prefisso))
        m_letti.clear();
    else
        m_letti.removeIf([&](const auto &r) { return r.key().startsWith(prefisso); });
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
    m_cerca.reset();
    m_aggiungi.reset();
    m_elimina.reset();
    // The connection is this thread's for the file: it closes when its
    // last user lets it go.
    DatabasePtr db = std::move(m_db);
    if (m_inTransazione) {
        m_inTransazione = false;
        db->commitTrans();
    }
}

bool PulisciDB(RecordInvii &record, const QString &host, const QString &cartella, QString *errore)
{
    try {
        record.eliminaPrefisso(RecordInvii::prefisso(host, cartella));
        return true;
    } catch (const std::exception &e) {
        if (errore)
            *errore = testoErrore(e);
        return false;
    }
}

#pragma once
// The upload records (vtftp.mdb, table `file`): for every file sent, its key
// (cleaned host, "/", cleaned remote folder, "/", file name, compared
// exactly), the local file's modification time in UTC seconds and its
// length when it was sent. The publisher opens its own connection on its
// own thread. Writes are grouped into short transactions; everything
// written is committed before any look-up of another connection can
// matter, and at the latest when the records are closed.
#include "database.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlQuery>
#include <memory>
#include <optional>

class RecordInvii {
public:
    struct Record {
        qint64 data = 0;    // UTC seconds
        qint64 peso = 0;    // bytes
    };

    // Opens shop folder/vtftp.mdb; throws DbError when it cannot.
    explicit RecordInvii(const QString &percorsoDB);
    ~RecordInvii();
    RecordInvii(const RecordInvii &) = delete;
    RecordInvii &operator=(const RecordInvii &) = delete;

    // Reads at once the records of a folder (host/folder/), so that the
    // look-ups of its files need no query each.
    void precarica(const QString &prefisso);
    // The first record of a key.
    std::optional<Record> cerca(const QString &chiave);
    void aggiungi(const QString &chiave, qint64 data, qint64 peso);
    // Deletes every record of a key.
    void elimina(const QString &chiave);
    // Deletes every record whose key begins with the prefix (host/folder/).
    void eliminaPrefisso(const QString &prefisso);
    // Commits what is written; chiudi() also lets the connection go.
    void salva();
    void chiudi();

    // The key of a file, and the prefix of a folder.
    static QString chiave(const QString &host, const QString &cartella, const QString &nomeFile)
    {
        return prefisso(host, cartella) + nomeFile;
    }
    static QString prefisso(const QString &host, const QString &cartella) { return host + u'/' + cartella + u'/'; }

private:
    void scrittura();

    // A statement prepared once for the whole run, with its values bound.
    QSqlQuery &esegui(std::unique_ptr<QSqlQuery> &q, const char *sql, const QVariantList &valori);

    DatabasePtr m_db;
    std::unique_ptr<QSqlQuery> m_cerca, m_aggiungi, m_elimina;
    QString m_prefisso;             // the folder read at once ("": none)
    QHash<QString, Record> m_letti; // its records, the first of each key
    bool m_inTransazione = false;
    QElapsedTimer m_daInizio;
};

// Deletes the records of a host and remote folder. False when they cannot
// be deleted (none is), with the database's reason in *errore: the records
// would let a later run pass over files the server does not have.
bool PulisciDB(RecordInvii &record, const QString &host, const QString &cartella, QString *errore);

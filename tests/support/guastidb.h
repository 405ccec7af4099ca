#pragma once
// Refused commits for tests, on a real connection. CommitRifiutato installs
// a commit hook that refuses every COMMIT: the engine then rolls the whole
// transaction back, as it may on a full disk. CommitSospeso makes the next
// COMMIT fail while the transaction stays open (a deferred foreign key left
// broken), until ripara() mends it.
#include "database.h"

#include <QSqlDriver>
#include <sqlite3.h>

inline sqlite3 *connessioneSqlite(Database &db)
{
    const QVariant v = db.connection().driver()->handle();
    return *static_cast<sqlite3 *const *>(v.constData());
}

class CommitRifiutato {
public:
    explicit CommitRifiutato(Database &db) : m_connessione(connessioneSqlite(db))
    {
        sqlite3_commit_hook(m_connessione, &rifiuta, this);
    }
    ~CommitRifiutato() { sqlite3_commit_hook(m_connessione, nullptr, nullptr); }
    CommitRifiutato(const CommitRifiutato &) = delete;
    CommitRifiutato &operator=(const CommitRifiutato &) = delete;
    int rifiutati = 0;

private:
    static int rifiuta(void *p)
    {
        ++static_cast<CommitRifiutato *>(p)->rifiutati;
        return 1;
    }
    sqlite3 *m_connessione;
};

class CommitSospeso {
public:
    // Made while no transaction is open (the engine switches foreign keys
    // on only then).
    explicit CommitSospeso(Database &db) : m_db(db)
    {
        m_db.execute(QStringLiteral("PRAGMA foreign_keys=ON"));
        m_db.execute(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS vt_padre (id INTEGER PRIMARY KEY)"));
        m_db.execute(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS vt_figlio (p INTEGER REFERENCES vt_padre(id) "
                                    "DEFERRABLE INITIALLY DEFERRED)"));
    }
    // Inside the transaction: its COMMIT is refused from now on.
    void guasta() { m_db.execute(QStringLiteral("INSERT INTO vt_figlio VALUES (1)")); }
    void ripara() { m_db.execute(QStringLiteral("DELETE FROM vt_figlio")); }

private:
    Database &m_db;
};

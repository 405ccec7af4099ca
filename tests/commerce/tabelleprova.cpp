#include "tabelleprova.h"

#include "tabellespedizione.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

QString dumpTabelle(Database &db)
{
    QString d;
    auto righe = [&](const QString &sql, const QVariantList &params = {}) {
        QSqlQuery q = db.run(sql, params);
        while (q.next()) {
            QStringList v;
            for (int i = 0; i < q.record().count(); ++i)
                v << q.value(i).toString();
            d += v.join(u'|') + u'\n';
        }
    };
    for (const QString &t : Spedizione::Tabelle()) {
        d += QStringLiteral("== ") + t + u'\n';
        righe(QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE tbl_name=? ORDER BY name"), {t});
        righe(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?"), {t});
        QStringList colonne;
        QSqlQuery info = db.run(QStringLiteral("PRAGMA table_info(\"%1\")").arg(t));
        while (info.next())
            colonne << QStringLiteral("quote(\"%1\")").arg(info.value(1).toString());
        righe(QStringLiteral("SELECT rowid, %1 FROM \"%2\" ORDER BY rowid").arg(colonne.join(u','), t));
    }
    return d;
}

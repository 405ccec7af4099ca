#include "ricercaarticoli.h"

#include <QSqlQuery>

const QStringList &RicercaArticoli::campi()
{
    static const QStringList c = {QStringLiteral("codice"), QStringLiteral("titolo"), QStringLiteral("sottotitolo"),
                                  QStringLiteral("descrizione"), QStringLiteral("note")};
    return c;
}

QString RicercaArticoli::modello(const QString &testo)
{
    QString m;
    m.reserve(testo.size() * 4);
    for (qsizetype i = 0; i < testo.size(); ++i) {
        const QChar c = testo[i];
        if (c == u'*' || c == u'?') {
            m += c;
        } else if (c == u'[') {
            m += QStringLiteral("[[]");  // a literal bracket, not a class
        } else if (c.isHighSurrogate() && i + 1 < testo.size()) {
            m += c;
            m += testo[++i];
        } else {
            const QChar piccola = c.toLower(), grande = c.toUpper();
            if (piccola != grande) {
                m += u'[';
                m += piccola;
                m += grande;
                if (c != piccola && c != grande)  // a title-case letter
                    m += c;
                m += u']';
            } else {
                m += c;
            }
        }
    }
    return m;
}

std::vector<RicercaArticoli::Risultato> RicercaArticoli::cerca(Database &db, const QString &campo,
                                                               const QString &testo, bool parolaIntera)
{
    std::vector<Risultato> risultati;
    // The field name is the only part of the statement that is not bound:
    // it must be one of the known fields.
    const int indice = campi().indexOf(campo);
    if (indice < 0)
        return risultati;
    const QString f = campi().at(indice);
    const QString t = modello(testo.trimmed());

    QString dove;
    QVariantList valori;
    if (!parolaIntera) {
        dove = f + QStringLiteral(" GLOB ?");
        valori = {u'*' + t + u'*'};
    } else {
        // Bounded on both sides, at the start, at the end, or the whole field.
        static const QString altro = QStringLiteral("[^a-zA-Z0-9]");
        dove = QStringLiteral("(%1 GLOB ?) OR (%1 GLOB ?) OR (%1 GLOB ?) OR (%1 GLOB ?)").arg(f);
        valori = {u'*' + altro + t + altro + u'*', t + altro + u'*', u'*' + altro + t, t};
    }
    QSqlQuery q = db.run(QStringLiteral("SELECT ID, codice, titolo, sottotitolo FROM articoli WHERE ") + dove
                             + QStringLiteral(" ORDER BY catID, ordinamento"),
                         valori);
    while (q.next())
        risultati.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                             q.value(3).toString()});
    return risultati;
}

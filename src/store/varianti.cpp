#include "varianti.h"

#include "messages.h"
#include "recordset.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

QString campo(const char *nome, int n)
{
    return QString::fromLatin1(nome) + QString::number(n);
}

// Digits with at most one decimal separator ("," "." or the one given) and
// an optional sign.
std::optional<QString> numeroInvariante(const QString &testo, QChar separatore)
{
    static const QRegularExpression forma(QStringLiteral("^[+-]?([0-9]+[.,]?[0-9]*|[.,][0-9]+)$"));
    QString t = testo.trimmed();
    if (separatore != u'.' && separatore != u',')
        t.replace(separatore, u'.');
    if (!forma.match(t).hasMatch())
        return std::nullopt;
    t.replace(u',', u'.');
    return t;
}

// A character class of the separators a number field takes. Each one is
// escaped: "[." would open a collating element.
QString classeSeparatori(QChar separatore)
{
    QString classe = QStringLiteral("[\\.,");
    if (separatore != u'.' && separatore != u',')
        classe += QRegularExpression::escape(QString(separatore));
    return classe + u']';
}

} // namespace

EditorVarianti::EditorVarianti(Database &db, Messages &messages, QChar separatore)
    : m_db(db), m_messages(messages), m_separatore(separatore)
{
    m_transazione.emplace(m_db);
    ricarica(0);
}

EditorVarianti::~EditorVarianti() = default;

void EditorVarianti::ricarica(qint64 daMostrare)
{
    m_righe.clear();
    QSqlQuery q = m_db.run(QStringLiteral("SELECT ID, nome FROM opzioni ORDER BY ID"));
    while (q.next())
        m_righe.push_back({q.value(0).toLongLong(), q.value(1).toString()});
    m_corrente = m_righe.empty() ? -1 : 0;
    for (int i = 0; i < conta(); ++i)
        if (m_righe[i].id == daMostrare)
            m_corrente = i;
}

void EditorVarianti::mostra(const QString &testoId)
{
    bool numero = false;
    const double valore = testoId.trimmed().toDouble(&numero);
    ricarica(numero ? qint64(valore) : 0);
}

QString EditorVarianti::testoPrezzo(const QVariant &valore) const
{
    if (!valore.isValid() || valore.isNull())
        return QStringLiteral("0");
    const Currency c = valore.canConvert<Currency>() && valore.userType() == qMetaTypeId<Currency>()
        ? valore.value<Currency>()
        : Currency::fromDouble(valore.toDouble());
    return c.toString().replace(u'.', m_separatore);
}

QString EditorVarianti::testoPeso(const QVariant &valore) const
{
    if (!valore.isValid() || valore.isNull())
        return QStringLiteral("0");
    return QString::number(double(valore.toFloat()), 'g', 7).replace(u'.', m_separatore);
}

std::optional<Currency> EditorVarianti::prezzo(const QString &testo, QChar separatore)
{
    const auto t = numeroInvariante(testo, separatore);
    return t ? Currency::parse(*t) : std::nullopt;
}

std::optional<float> EditorVarianti::peso(const QString &testo, QChar separatore)
{
    const auto t = numeroInvariante(testo, separatore);
    if (!t)
        return std::nullopt;
    const double v = std::fabs(t->toDouble());
    if (!std::isfinite(v) || v > FLT_MAX)
        return std::nullopt;
    return float(v);
}

QString EditorVarianti::filtroPrezzo(QChar separatore)
{
    return QStringLiteral("[+-]?[0-9]*%1?[0-9]*").arg(classeSeparatori(separatore));
}

QString EditorVarianti::filtroPeso(QChar separatore)
{
    return QStringLiteral("-?[0-9]*%1?[0-9]*").arg(classeSeparatori(separatore));
}

bool EditorVarianti::scrittura(const QString &cosa, const std::function<bool()> &scrivi)
{
    if (!aperto())
        return false;
    try {
        return scrivi();
    } catch (const DbError &e) {
        rifiuto(cosa, e, false);
        return false;
    }
}

void EditorVarianti::rifiuto(const QString &cosa, const DbError &e, bool commit)
{
    QString testo = cosa + QStringLiteral("\r\n") + e.description;
    const bool annullata = !aperto();
    if (annullata) {
        // Rolled back by the database: nothing may be written outside it.
        testo += QStringLiteral("\r\n\r\n") + testoTransazioneAnnullata();
        m_transazione.reset();
    } else if (commit) {
        testo += QStringLiteral("\r\n\r\n") + testoCommitInSospeso();
    }
    m_messages.warning(testo);
    if (annullata && sessioneAnnullata)
        sessioneAnnullata();
}

EditorVarianti::Dettaglio EditorVarianti::dettaglio() const
{
    Dettaglio d;
    if (m_corrente < 0)
        return d;
    Recordset rs(m_db.shared_from_this(), QStringLiteral("SELECT * FROM opzioni WHERE ID=?"), {idCorrente()});
    if (!rs.hasCurrent())
        return d;
    for (int n = 1; n <= NumeroVarianti; ++n) {
        Variante &v = d.varianti[n - 1];
        v.descrizione = rs.text(campo("opzione", n));
        v.prezzo = testoPrezzo(rs.value(campo("prezzo", n)));
        v.peso = testoPeso(rs.value(campo("peso", n)));
    }
    const QVariant s = rs.value(QStringLiteral("selezionato"));
    if (s.isValid() && s.toInt() >= 0 && s.toInt() < NumeroVarianti)
        d.selezionato = s.toInt();
    return d;
}

bool EditorVarianti::salva(const Dettaglio &modifiche)
{
    // Set 1 has nothing to save: its fields cannot be edited, and its empty
    // numbers must not stand in the way of "OK".
    if (!modificabile() || modifiche == dettaglio())
        return true;
    const bool prezziBuoni = prezziValidi(modifiche);
    const bool pesiBuoni = std::all_of(modifiche.varianti.begin(), modifiche.varianti.end(),
                                       [&](const Variante &v) { return peso(v.peso, m_separatore).has_value(); });
    if (!pesiBuoni)
        m_messages.warning(QStringLiteral("Il peso di alcune varianti non è in un formato valido"));
    if (!prezziBuoni || !pesiBuoni)
        return false;

    return scrittura(QStringLiteral("Non è stato possibile salvare la variante."), [&] {
        Recordset rs(m_db.shared_from_this(), QStringLiteral("SELECT * FROM opzioni WHERE ID=?"), {idCorrente()});
        if (!rs.hasCurrent())
            return false;
        try {
            rs.edit();
            for (int n = 1; n <= NumeroVarianti; ++n) {
                const Variante &v = modifiche.varianti[n - 1];
                rs.setValue(campo("opzione", n), v.descrizione.left(LunghezzaTesto));
                rs.setValue(campo("prezzo", n), QVariant::fromValue(*prezzo(v.prezzo, m_separatore)));
                rs.setValue(campo("peso", n), *peso(v.peso, m_separatore));
            }
            if (modifiche.selezionato >= 0 && modifiche.selezionato < NumeroVarianti)
                rs.setValue(QStringLiteral("selezionato"), modifiche.selezionato);
            rs.update();
        } catch (const DbError &) {
            if (rs.editing())
                rs.cancelUpdate();
            throw;
        }
        return true;
    });
}

bool EditorVarianti::lascia(const Dettaglio &modifiche)
{
    return m_corrente < 0 || salva(modifiche);
}

bool EditorVarianti::vaiA(int riga, const Dettaglio &modifiche)
{
    if (riga < 0 || riga >= conta())
        return false;
    if (riga == m_corrente)
        return true;
    if (!lascia(modifiche))
        return false;
    m_corrente = riga;
    return true;
}

bool EditorVarianti::nuova(const Dettaglio &modifiche)
{
    if (!lascia(modifiche))
        return false;
    // Every price and weight starts at 0, so that the new set can be saved
    // as it is; the first variant is the preselected one.
    QStringList campi{QStringLiteral("nome"), QStringLiteral("selezionato")};
    QVariantList valori{QString(), 0};
    for (int n = 1; n <= NumeroVarianti; ++n) {
        campi << campo("prezzo", n) << campo("peso", n);
        valori << 0 << 0;
    }
    return scrittura(QStringLiteral("Impossibile creare una nuova variante."), [&] {
        m_db.execute(QStringLiteral("INSERT INTO opzioni (%1) VALUES (%2)")
                         .arg(campi.join(u','), QStringList(campi.size(), QStringLiteral("?")).join(u',')),
                     valori);
        ricarica(m_db.scalar(QStringLiteral("SELECT MAX(ID) FROM opzioni")).toLongLong());
        return true;
    });
}

bool EditorVarianti::duplica(const Dettaglio &modifiche)
{
    if (!modificabile() || !lascia(modifiche))
        return false;
    // Every variant of the copy stands in the same place as in the original;
    // an empty price or weight becomes 0.
    QStringList campi{QStringLiteral("nome"), QStringLiteral("selezionato")};
    QStringList sorgenti = campi;
    for (int n = 1; n <= NumeroVarianti; ++n) {
        campi << campo("opzione", n) << campo("prezzo", n) << campo("peso", n);
        sorgenti << campo("opzione", n) << QStringLiteral("IFNULL(%1, 0)").arg(campo("prezzo", n))
                 << QStringLiteral("IFNULL(%1, 0)").arg(campo("peso", n));
    }
    return scrittura(QStringLiteral("Impossibile duplicare la variante."), [&] {
        m_db.execute(QStringLiteral("INSERT INTO opzioni (%1) SELECT %2 FROM opzioni WHERE ID=?")
                         .arg(campi.join(u','), sorgenti.join(u',')),
                     {idCorrente()});
        ricarica(m_db.scalar(QStringLiteral("SELECT MAX(ID) FROM opzioni")).toLongLong());
        return true;
    });
}

bool EditorVarianti::rinomina(int riga, const QString &nome)
{
    if (riga < 0 || riga >= conta() || id(riga) <= Nessuna)
        return false;
    const QString n = nome.left(LunghezzaTesto);
    return scrittura(QStringLiteral("Impossibile rinominare la variante."), [&] {
        m_db.execute(QStringLiteral("UPDATE opzioni SET nome=? WHERE ID=?"), {n, id(riga)});
        m_righe[riga].nome = n;
        return true;
    });
}

bool EditorVarianti::elimina()
{
    if (!aperto())
        return false;
    if (m_corrente < 0) {
        m_messages.warning(QStringLiteral("Non è definita alcuna variante"));
        return false;
    }
    const qint64 s = idCorrente();
    if (s == Nessuna) {
        m_messages.warning(QStringLiteral("Questa variante non può essere eliminata"));
        return false;
    }
    if (m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE opzione1=? OR opzione2=? OR opzione3=?"),
                    {s, s, s})
            .toLongLong()
        > 0) {
        m_messages.warning(QStringLiteral("Questa variante è utilizzata in uno o più articoli, e non è possibile eliminarla"));
        return false;
    }
    const QString n = nome(m_corrente).isEmpty() ? QStringLiteral(" ") : nome(m_corrente);
    if (!m_messages.question(QStringLiteral("Eliminare la variante selezionata ('") + n + QStringLiteral("')?")))
        return false;
    return scrittura(QStringLiteral("Impossibile eliminare la variante."), [&] {
        m_db.execute(QStringLiteral("DELETE FROM opzioni WHERE ID=?"), {s});
        ricarica(0);
        return true;
    });
}

bool EditorVarianti::prezziValidi(const Dettaglio &modifiche)
{
    for (const Variante &v : modifiche.varianti)
        if (!prezzo(v.prezzo, m_separatore)) {
            m_messages.warning(QStringLiteral("Il prezzo di alcune varianti non è in un formato valido"));
            return false;
        }
    return true;
}

bool EditorVarianti::conferma(const Dettaglio &modifiche)
{
    if (!aperto())
        return false;
    // "OK" looks at the prices first and stops at them: the weights are
    // checked, with their own message, only by the save that follows.
    if (modificabile() && !prezziValidi(modifiche))
        return false;
    if (!lascia(modifiche))
        return false;
    try {
        m_transazione->commit();
    } catch (const DbError &e) {
        rifiuto(QStringLiteral("Impossibile salvare le varianti: le modifiche non sono state registrate."), e, true);
        return false;
    }
    m_transazione.reset();
    return true;
}

void EditorVarianti::annulla()
{
    m_transazione.reset();  // rolls back what was not committed
}

QStringList NomiVarianti(Database &db, const QVariant &opzione1, const QVariant &opzione2, const QVariant &opzione3)
{
    QStringList nomi;
    for (const QVariant &o : {opzione1, opzione2, opzione3}) {
        bool numero = false;
        const qint64 id = o.isValid() && !o.isNull() ? o.toLongLong(&numero) : 0;
        nomi << (numero ? db.scalar(QStringLiteral("SELECT nome FROM opzioni WHERE ID=?"), {id}).toString() : QString());
    }
    return nomi;
}

void AssegnaVariante(Recordset &articoli, int n, qint64 id)
{
    articoli.edit();
    articoli.setValue(QStringLiteral("opzione%1").arg(n), id);
    articoli.update();
}

#include "riga.h"

#include "database.h"

CampiTabella::CampiTabella(const QStringList &nomi) : m_nomi(nomi)
{
    for (int i = 0; i < m_nomi.size(); ++i)
        m_perNome.insert(m_nomi[i].toLower(), i);
}

std::shared_ptr<const CampiTabella> CampiTabella::daTabella(Database &db, const QString &tabella)
{
    QStringList nomi;
    for (const ColumnInfo &c : db.tableInfo(tabella).columns)
        nomi << c.name;
    return std::make_shared<const CampiTabella>(nomi);
}

int CampiTabella::indice(QAnyStringView nome) const
{
    // Field names are ASCII: a plain lower-casing compares them as the
    // database does.
    QString chiave = nome.toString();
    return m_perNome.value(std::move(chiave).toLower(), -1);
}

Riga::Riga(std::shared_ptr<const CampiTabella> campi)
    : m_campi(std::move(campi)), m_valori(size_t(m_campi->numero())), m_conTag(size_t(m_campi->numero()), 0)
{
}

void Riga::imposta(QAnyStringView nome, const QString &valore)
{
    if (!m_campi)
        return;
    const int i = m_campi->indice(nome);
    if (i >= 0) {
        m_valori[size_t(i)] = valore;
        m_conTag[size_t(i)] = valore.contains(QStringView(u"<<")) ? 1 : 0;
    }
}

const QString *Riga::valore(QAnyStringView nome, bool *conTag) const
{
    if (!m_campi)
        return nullptr;
    const int i = m_campi->indice(nome);
    if (i < 0)
        return nullptr;
    if (conTag)
        *conTag = m_conTag[size_t(i)] != 0;
    return &m_valori[size_t(i)];
}

QString Riga::testo(QAnyStringView nome) const
{
    const QString *v = valore(nome);
    return v ? *v : QString();
}

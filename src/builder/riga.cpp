#include "riga.h"

#include "database.h"

#include <algorithm>
#include <type_traits>

CampiTabella::CampiTabella(const QStringList &nomi) : m_nomi(nomi)
{
    for (int i = 0; i < m_nomi.size(); ++i)
        m_ordinati.emplace_back(m_nomi[i].toLower(), i);
    // The first column of a name is the one found.
    std::stable_sort(m_ordinati.begin(), m_ordinati.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
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
    // Field names are short and ASCII: lower-cased into a buffer of their
    // own, they compare as the database compares them.
    char16_t buffer[nomeMassimo];
    if (nome.size() > nomeMassimo)
        return -1;
    qsizetype n = 0;
    nome.visit([&](auto v) {
        for (auto c : v) {
            char16_t u;
            if constexpr (std::is_same_v<decltype(v), QStringView>)
                u = c.unicode();
            else
                u = char16_t(uchar(c));
            buffer[n++] = (u >= u'A' && u <= u'Z') ? char16_t(u + 32) : u;
        }
    });
    const QStringView chiave(buffer, n);
    const auto it = std::lower_bound(m_ordinati.begin(), m_ordinati.end(), chiave,
                                     [](const auto &a, QStringView k) { return QStringView(a.first) < k; });
    return it != m_ordinati.end() && QStringView(it->first) == chiave ? it->second : -1;
}

Riga::Riga(std::shared_ptr<const CampiTabella> campi)
    : m_campi(std::move(campi)), m_valori(size_t(m_campi->numero()))
{
}

void Riga::imposta(QAnyStringView nome, const QString &valore)
{
    if (!m_campi)
        return;
    const int i = m_campi->indice(nome);
    if (i >= 0)
        m_valori[size_t(i)] = valore;
}

void Riga::imposta(int indice, const QString &valore)
{
    if (indice >= 0 && size_t(indice) < m_valori.size())
        m_valori[size_t(indice)] = valore;
}

const QString *Riga::valore(QAnyStringView nome) const
{
    if (!m_campi)
        return nullptr;
    const int i = m_campi->indice(nome);
    return i < 0 ? nullptr : &m_valori[size_t(i)];
}

QString Riga::testo(QAnyStringView nome) const
{
    const QString *v = valore(nome);
    return v ? *v : QString();
}

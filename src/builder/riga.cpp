#include "riga.h"

#include "database.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

namespace {

// Whether the text holds "<<", found from one "<" to the next.
bool conDoppioMinore(QStringView t)
{
    for (qsizetype p = t.indexOf(u'<'); p >= 0 && p + 1 < t.size(); p = t.indexOf(u'<', p + 1))
        if (t[p + 1] == u'<')
            return true;
    return false;
}

} // namespace

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
    char16_t buffer[64];
    if (nome.size() > qsizetype(std::size(buffer)))
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
        m_conTag[size_t(i)] = conDoppioMinore(valore) ? 1 : 0;
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

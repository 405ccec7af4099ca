#pragma once
// The rows the page merger reads: the page row (table `categoria` of the
// shop's source.new) and the article rows (table `articoli`), held in
// memory. A row has exactly the fields of its table; names are looked up
// letter case aside, and every value is text (an unset field reads as "").
#include <QAnyStringView>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Database;

// The field names of one table, with their lookup.
class CampiTabella {
public:
    explicit CampiTabella(const QStringList &nomi);
    // The fields of `tabella` in the database file (its columns in order).
    static std::shared_ptr<const CampiTabella> daTabella(Database &db, const QString &tabella);

    // No field name is longer.
    static constexpr qsizetype nomeMassimo = 64;

    int indice(QAnyStringView nome) const;  // -1 when the table has no such field
    int numero() const { return int(m_nomi.size()); }
    const QStringList &nomi() const { return m_nomi; }

private:
    QStringList m_nomi;
    // Lower-case names with their columns, sorted for a search that needs
    // no allocation.
    std::vector<std::pair<QString, int>> m_ordinati;
};

class Riga {
public:
    Riga() = default;
    explicit Riga(std::shared_ptr<const CampiTabella> campi);

    // Sets a field; a name the table does not have is ignored, as a model
    // cannot name it either.
    void imposta(QAnyStringView nome, const QString &valore);
    // The same by the field's place (CampiTabella::indice); -1 is ignored.
    void imposta(int indice, const QString &valore);
    // The value of a field, or nullptr when the table has no such field.
    const QString *valore(QAnyStringView nome) const;
    QString testo(QAnyStringView nome) const;
    const CampiTabella *campi() const { return m_campi.get(); }

private:
    std::shared_ptr<const CampiTabella> m_campi;
    std::vector<QString> m_valori;
};

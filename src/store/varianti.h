#pragma once
// Variant sets (table opzioni): a name and up to fifteen variants, each with
// a description, a price change and a weight change, one of them
// preselected. Set 1 exists in every shop and means "no variants": it can be
// chosen but never edited, copied or deleted.
//
// EditorVarianti is the logic of the variant-set editor. Everything it
// changes belongs to one transaction, begun when it is made: conferma()
// commits it, annulla() or the destructor rolls every change back. The
// details travel as the texts the dialog's fields show, prices and weights
// written with the decimal separator given.
//
// A write or commit the database refuses is reported (what could not be
// done and the database's reason) and changes nothing else: the transaction
// stays open with the earlier changes. When the database rolled the whole
// transaction back on its own, that is said as well, aperto() turns false
// and sessioneAnnullata is called: the dialog then closes as cancelled.
#include "currency.h"
#include "database.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class Messages;
class Recordset;

class EditorVarianti {
public:
    static constexpr int NumeroVarianti = 15;
    static constexpr int LunghezzaTesto = 50;  // names and descriptions
    static constexpr qint64 Nessuna = 1;       // the set without variants

    struct Variante {
        QString descrizione, prezzo, peso;
        bool operator==(const Variante &) const = default;
    };
    struct Dettaglio {
        std::array<Variante, NumeroVarianti> varianti;
        int selezionato = -1;  // 0..14; -1: none
        bool operator==(const Dettaglio &) const = default;
    };

    EditorVarianti(Database &db, Messages &messages, QChar separatore = u',');
    ~EditorVarianti();
    EditorVarianti(const EditorVarianti &) = delete;
    EditorVarianti &operator=(const EditorVarianti &) = delete;

    // The sets, in the order of their numbers.
    int conta() const { return int(m_righe.size()); }
    qint64 id(int riga) const { return m_righe.at(riga).id; }
    QString nome(int riga) const { return m_righe.at(riga).nome; }
    int corrente() const { return m_corrente; }  // -1: no set (an empty table)
    qint64 idCorrente() const { return m_corrente < 0 ? 0 : id(m_corrente); }
    // The current set's details can be changed (every set but set 1).
    bool modificabile() const { return idCorrente() > Nessuna; }

    // Makes current the set whose number is the text's numeric value (a text
    // that is not a number counts as 0), or the first set when none has it.
    void mostra(const QString &testoId);
    // The current set's stored details, as the fields show them.
    Dettaglio dettaglio() const;

    // Each of these first saves `modifiche`, the details shown for the
    // current set, and does nothing when they are refused (the messages are
    // shown). False when nothing was done.
    bool vaiA(int riga, const Dettaglio &modifiche);
    bool nuova(const Dettaglio &modifiche);
    bool duplica(const Dettaglio &modifiche);
    // Saves the current set's details when they differ from the stored ones:
    // every price and weight must be a number.
    bool salva(const Dettaglio &modifiche);

    // A name typed in the list, cut to 50 characters; set 1 keeps its name.
    bool rinomina(int riga, const QString &nome);
    // Deletes the current set after the merchant's confirmation, unless it is
    // set 1 or an article uses it; the first set becomes current.
    bool elimina();

    // "OK": saves the current set and commits. A price that is not a number
    // stops it with the price message alone; a weight that is not a number
    // is refused by the save. False when the details or the commit were
    // refused: the transaction is then still open, unless the database
    // rolled it back (aperto() false).
    bool conferma(const Dettaglio &modifiche);
    // "Annulla": every change since the editor was made is undone.
    void annulla();
    // Neither confirmed, nor cancelled, nor rolled back by the database.
    bool aperto() const { return m_transazione && m_transazione->aperta(); }
    // Called when the database has rolled the whole transaction back on its
    // own, after the message: the dialog is to close as cancelled.
    std::function<void()> sessioneAnnullata;

    // Texts of the fields and back. A price is a number with an optional
    // sign and at most one decimal separator ("," or "." or the one given);
    // a weight the same without a sign, and a negative weight counts as its
    // absolute value.
    QString testoPrezzo(const QVariant &valore) const;
    QString testoPeso(const QVariant &valore) const;
    static std::optional<Currency> prezzo(const QString &testo, QChar separatore = u',');
    static std::optional<float> peso(const QString &testo, QChar separatore = u',');
    // What the price and weight fields take while typing, as patterns:
    // digits, at most one separator ("," "." or the one given) and a sign
    // (a weight's minus is dropped by the field).
    static QString filtroPrezzo(QChar separatore);
    static QString filtroPeso(QChar separatore);

private:
    struct Riga {
        qint64 id;
        QString nome;
    };
    void ricarica(qint64 daMostrare);
    bool lascia(const Dettaglio &modifiche);
    // Whether every variant's price is a price; when not, the merchant is
    // told, once.
    bool prezziValidi(const Dettaglio &modifiche);
    // Runs a write of the transaction; a database error is reported with
    // `cosa` (what could not be done) and gives false.
    bool scrittura(const QString &cosa, const std::function<bool()> &scrivi);
    void rifiuto(const QString &cosa, const DbError &e, bool commit);

    Database &m_db;
    Messages &m_messages;
    QChar m_separatore;
    std::optional<Transazione> m_transazione;
    std::vector<Riga> m_righe;
    int m_corrente = -1;
};

// The names of an article's three variant sets (fields opzione1..3), as
// the main window shows them beside "Variante 1:" .. "Variante 3:": the
// stored name, or empty for an empty field or a set that does not exist.
QStringList NomiVarianti(Database &db, const QVariant &opzione1, const QVariant &opzione2, const QVariant &opzione3);

// Stores set `id` in slot n (1..3) of the current article of `articoli`.
void AssegnaVariante(Recordset &articoli, int n, qint64 id);

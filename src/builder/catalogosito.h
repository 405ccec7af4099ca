#pragma once
// The catalogue as one build reads it, once: the departments in build
// order, the variant sets, and the articles in the catalogue (not
// `fuoricatalogo`) one department at a time, in build order, so that a
// department's pages are made while the departments after it are still
// being read. The articles are handed over
// as their rows' stored values (ArticoliGrezzi), which the page jobs decode
// on their own threads. Plain values, read-only once handed over, so that
// the page jobs share them across threads.
#include "database.h"
#include "navigazione.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <memory>
#include <vector>

// The fields of an article that its row on a page uses. Values keep the
// catalogue's kinds (Null apart from 0 or "").
struct Articolo {
    qint64 ID = 0;  // its number in the catalogue
    QString codice, titolo, sottotitolo, link, descrizione, note;
    bool linkesterno = false, inelenco = false, popup = false, novita = false, offerta = false;
    std::array<QVariant, 3> immagine, imgX, imgY;
    QVariant prezzo, offertaprezzo, peso, giacenza;
    std::array<QVariant, 3> opzione;
    // The fields among prezzo, offertaprezzo and peso whose value the build
    // cannot use, each followed by why: " non numerico" (a damaged catalogue
    // may hold text where a number belongs), " fuori misura" (beyond single
    // precision) or, for the price only, " mancante" (Null: a price nobody
    // set).
    QStringList illeggibili;
};

// One variant set of the table `opzioni`.
struct SetVarianti {
    QString nome;
    QVariant selezionato;
    std::array<QString, 15> opzione;
    std::array<QVariant, 15> prezzo, peso;
    // For each option, "prezzo" and "peso" when that field holds a value the
    // build cannot use, each followed by why (as Articolo::illeggibili).
    std::array<QStringList, 15> illeggibili;
};

class Varianti {
public:
    static Varianti leggi(Database &catalogo);
    // The set with this ID, or nullptr when there is none.
    const SetVarianti *set(qint32 id) const;
    // Whether the set has an option whose price or weight holds no number;
    // nessunIlleggibile() when no set has one.
    bool conIlleggibili(qint32 id) const { return m_conIlleggibili.contains(id); }
    bool nessunIlleggibile() const { return m_conIlleggibili.isEmpty(); }
    // The largest weight, in absolute value, of an option of any set.
    double pesoMassimo() const { return m_pesoMassimo; }

private:
    QHash<qint32, SetVarianti> m_set;
    QSet<qint32> m_conIlleggibili;
    double m_pesoMassimo = 0;
};

// The variant set an article's slot names (`opzione1`..`opzione3` as a
// whole number); 1 stands for none.
qint32 NumeroSetVarianti(const QVariant &opzione);

// What the build reads that the catalogue lacks: one phrase per missing
// table or column of the departments, the articles and the variant sets,
// such as "il campo 'peso' della tabella degli articoli ('articoli')";
// none when the catalogue has every one.
QStringList ColonneMancanti(Database &catalogo);

// The departments ("SELECT * FROM categorie ORDER BY livello, ordinamento"),
// each with the fields among `iva` and `sconto` that hold no number.
std::vector<Reparto> LeggiReparti(Database &catalogo);

// The articles of one department as the catalogue stores them: each row's
// values one after the other in one buffer, decoded one article at a time.
class ArticoliGrezzi {
public:
    int numero() const { return int(m_inizio.size()); }
    // The article of row i, every field decoded.
    Articolo articolo(int i) const;
    // The rows whose price or weight may rest on a field that holds no
    // number, one of their own or an option of their variant sets, or whose
    // weight with their variants may be beyond what an order takes
    // (MotiviIlleggibili tells).
    const std::vector<int> &sospetti() const { return m_sospetti; }
    // The rows ticked "offerta" whose offer price is 0 while their list
    // price is not: they sell at 0 because of the offer.
    const std::vector<int> &offerteZero() const { return m_offerteZero; }
    // Leaves out the rows flagged.
    void togli(const std::vector<char> &via);

private:
    friend class LettoreArticoli;
    // The descriptions of the article columns read, which decode their values.
    std::shared_ptr<const std::vector<ColumnInfo>> m_colonne;
    QByteArray m_dati;
    std::vector<qsizetype> m_inizio;
    std::vector<int> m_sospetti;
    std::vector<int> m_offerteZero;
};

// Reads the articles in the catalogue a department at a time, as a page
// shows them: "SELECT * FROM articoli WHERE fuoricatalogo=false AND
// catID='" & ID & "' ORDER BY ordinamento".
class LettoreArticoli {
public:
    LettoreArticoli(Database &catalogo, const Varianti &varianti);
    ~LettoreArticoli();
    LettoreArticoli(const LettoreArticoli &) = delete;
    LettoreArticoli &operator=(const LettoreArticoli &) = delete;

    // The articles of the department with this ID.
    ArticoliGrezzi leggi(const QString &ID);

private:
    void aggiungi(ArticoliGrezzi &articoli);
    std::unique_ptr<LetturaDiretta> m_lettura;
    const Varianti &m_varianti;
    std::shared_ptr<const std::vector<ColumnInfo>> m_colonne;
    qsizetype m_misuraPrecedente = 0;  // the bytes of the department read last
};

#pragma once
// The import from the sibling invoicing program Zendaro: its categories
// become departments and its articles the departments' articles, through
// the catalogue operations, so that the main window follows each step.
// Imported departments are keyed "xqg" followed by the category's Id and
// articles are known by their code, so a later import adds only what is new.
//
// A department and the articles imported into it are written in one
// transaction: an import that stops half-way leaves no half-made rows, and
// running it again completes it.
#include "currency.h"
#include "sorgenteimportazione.h"

#include <QSet>
#include <QString>
#include <functional>
#include <optional>

class Catalogo;
class DatiPrincipali;
class Negozio;


class ImportazioneZendaro {
public:
    // The four digits of the options dialog, by position.
    struct Opzioni {
        bool contrassegna = true;  // 1: titles begin with "*"
        int prezzo = 1;            // 2: the price comes from Vendita1..4
        int offerta = 0;           // 3 less one: the offer price from Vendita1..4, 0 none
        bool iva = false;          // 4: prices converted to VAT-included amounts

        static std::optional<Opzioni> daTesto(const QString &testo);
        QString testo() const;
    };

    ImportazioneZendaro(Negozio &negozio, Catalogo &catalogo);

    // Zendaro's install folder, from its settings ("Zendaro" / "AppPath" /
    // "AppPath"); empty when Zendaro is not installed. The import command is
    // offered only when it is not empty.
    static QString cartellaZendaro();
    static QString fileZendaro(const QString &cartella) { return cartella + QStringLiteral("/zendaro.mdb"); }

    // Runs the import with the dialog's options string, opening Zendaro's
    // database through `apri`; reports through message boxes.
    void ImportaZD(const QString &opzioni, const ApriSorgente &apri);

    // Called after each article or department handled (done, total), so that
    // a window can show the progress.
    std::function<void(int, int)> avanzamento;

    // A price of the source as stored: 0 when empty, VAT added when asked.
    static Currency prezzo(const QVariant &importo, const QVariant &iva, bool conIva);

private:
    struct Lavoro;
    void importa(const Lavoro &lavoro);
    void creaReparto(const QString &id, const QString &titolo, const QString &descrizione, QString &dopo);
    void aggiungiArticolo(const QString &reparto, const QVariantList &valori);
    void ripristinaFinestra(const QString &reparto);
    DatiPrincipali &dati() const;
    bool esiste(const QString &sql, const QString &valore) const;

    Negozio &m_negozio;
    Catalogo &m_catalogo;
    QSet<QString> m_codici;  // the shop's article codes, case-folded
};

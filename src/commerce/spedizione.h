#pragma once
// The shipping dialog's logic, without widgets: the payment methods (four
// slots of `pagamento`), the countries with their zones and the preselected
// country, the cost bands of the zone shown, and the dialog's session.
//
// Every edit is written to its table at once, as the merchant types. The
// whole dialog runs inside one savepoint of the shop's connection, begun by
// apri(): annulla() (the "Annulla" button and the close box) rolls it back,
// so the seven tables are as they were, keys and counters included; a
// confirmed conferma() releases it. A value the database refuses is
// reported, and the field shows the stored value again. A refusal after
// which the database rolled the whole savepoint back on its own ends the
// session: it is said, and the dialog closes as cancelled.
#include "currency.h"
#include "datasource.h"
#include "database.h"
#include "messages.h"
#include "tabellespedizione.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class EditorSpedizione {
public:
    // The shop's open catalogue, its folder (for the code folder's
    // fragments), the decimal separator of the shop's notation.
    EditorSpedizione(DatabasePtr catalogo, const QString &cartellaNegozio, QChar separatore, Messages &messages);
    ~EditorSpedizione();
    EditorSpedizione(const EditorSpedizione &) = delete;
    EditorSpedizione &operator=(const EditorSpedizione &) = delete;

    // ---- the session ----------------------------------------------------------
    // Begins the savepoint and opens the data sources (dataPaesi,
    // dataPagamento, dataZone, dataZona with zone 1) and the interface list.
    void apri();
    // The savepoint is open: neither confirmed, nor cancelled, nor rolled
    // back by the database.
    bool aperta() const { return m_transazione && m_transazione->aperta(); }
    enum class EsitoConferma { Confermata, Rifiutata, Fallita, Annullata };
    // "OK": checks the preselection (messages of refusal; the bands are
    // not checked as a whole), stores zonasel and keeps every edit. Refused or failed, the dialog
    // stays open with its edits; a failure is reported and stores nothing.
    // Annullata: the commit failed and the database rolled every edit back
    // (reported; the dialog closes as cancelled).
    EsitoConferma conferma();
    // Called when the database has rolled the whole session back on its
    // own, after the message: the dialog is to close as cancelled.
    std::function<void()> sessioneAnnullata;
    // "Annulla" and the close box: every edit since apri() is undone.
    void annulla();
    // Set while the dialog closes: the method boxes then do nothing.
    bool chiusura() const { return m_chiusura; }

    DataSource dataPaesi{QStringLiteral("dataPaesi")};
    DataSource dataPagamento{QStringLiteral("dataPagamento")};
    DataSource dataZone{QStringLiteral("dataZone")};
    DataSource dataZona{QStringLiteral("dataZona")};

    // ---- payment methods --------------------------------------------------------
    // The interface lists: "" and the base names of the code folder's
    // ".epg" files, by name, those that are plain folder names (NomeSemplice).
    const QStringList &interfacce() const { return m_interfacce; }
    // Reads the code folder again (a system configured meanwhile).
    void riempiInterfacce();
    bool attivo(int k) const;
    QString nome(int k) const;
    QString metodo(int k) const;
    int selezionato() const;
    // A click on method k's box, `spuntato` its state after the click.
    // Returns the state the box must show: unticking the preselected method
    // or the last active one is refused with its message.
    bool cliccaAttivo(int k, bool spuntato);
    // Each change of a name is written; on a refusal the stored name is
    // returned (else the text itself).
    QString cambiaNome(int k, const QString &testo);
    // Leaving the name field: an active method with a blank name takes its
    // interface's name. Returns the name to show.
    QString lasciaNome(int k);
    // A choice in the interface list.
    void scegliMetodo(int k, const QString &metodo);
    struct Voce {
        QString nome;
        int metodo;
    };
    // The preselection list: the active methods in slot order; *corrente is
    // the index of the preselected one (-1 when it is not listed).
    std::vector<Voce> PopolaMetodi(int *corrente = nullptr) const;
    void scegliPreselezione(int k);

    // ---- countries and zones ------------------------------------------------------
    // The 94 names of the add field.
    static const QStringList &NomiPaesi();
    std::vector<Spedizione::Paese> paesi() const;  // in the list's order
    // The list's current row, -1 when there is none.
    int paeseCorrente() const;
    void vaiPaese(int riga);
    // Adds a country (zone 1, the name cut to 50 characters) and makes it
    // current; false when the text is blank or the database refuses it.
    bool aggiungiPaese(const QString &testo);
    // Deletes the current country unless it is the preselected one or the
    // last one (with their messages).
    bool eliminaPaese();
    void scegliZona(int zona);
    std::vector<std::pair<int, QString>> nomiZone() const;
    // The preselected country's strID, and its choice.
    QString paeseSelezionato() const;
    void scegliPaese(const QString &strID);

    // ---- cost bands ------------------------------------------------------------------
    bool perPeso() const;
    void setPerPeso(bool peso);
    int zonaMostrata() const { return m_zona; }
    void mostraZona(int n);
    bool ivaZona(int n) const;
    void setIvaZona(int n, bool soggetta);
    bool offerto(int k) const;  // in the zone shown
    void setOfferto(int k, bool offerto);

    QChar separatore() const { return m_separatore; }
    // A band field of the zone shown as text in the shop's notation, "" when empty.
    QString testoFascia(const QString &campo) const;
    // Stores a band field from its text: empty stores nothing (Null), a
    // number stores its absolute value. Text that is not a number, or a
    // number beyond the field's range, is reported and nothing is stored
    // (*rifiutato then set). Returns the text to show: the stored value on
    // a refusal.
    QString scriviFascia(const QString &campo, const QString &testo, bool *rifiutato = nullptr);
    // The text as a number in the shop's notation ("." counts as the
    // separator too); nullopt when it is none.
    std::optional<double> numero(const QString &testo) const;
    // Amount fields on leaving: the amount written back in the shortest
    // form with every digit it keeps ("0010" gives "10", "05,50" gives
    // "5,5", "123456,78" stays); other text unchanged.
    QString normalizzaImporto(const QString &testo) const;

private:
    bool scrivi(DataSource &ds, const QString &campo, const QVariant &valore);
    // A refused write or commit: the message, and the end of the session
    // when the database rolled the savepoint back.
    void rifiuto(const QString &testo, Messages::Icon icona = Messages::Icon::Warning);
    // The text as an exact amount (the absolute value); nullopt when it is
    // no number or beyond the field's range.
    std::optional<Currency> importo(const QString &testo) const;
    QVariant valorePagamento(const QString &campo) const;
    QString testoNumero(double v) const;

    DatabasePtr m_db;
    QString m_cartellaNegozio;
    QChar m_separatore;
    Messages &m_messages;
    std::unique_ptr<Transazione> m_transazione;
    QStringList m_interfacce;
    int m_zona = 1;
    bool m_chiusura = false;
};

#pragma once
// The working folders of the open shop: the pages folder the builder writes
// the site into and the scripts folder for the CGI scripts and the search
// data. Each is the shop's "online" or "scripts" subfolder unless the
// settings record names another (generale.siteonline, generale.sitescript).
// The working folders dialog changes them through this class.
#include <QString>

class Negozio;

class CartelleLavoro {
public:
    enum Cartella { Pagine = 0, Script = 1 };
    // What happened to a folder in the dialog, and so what "OK" records.
    enum class Scelta {
        Intatta,     // not touched: nothing is written to the settings record
        Ripristino,  // reset to the default: the empty text is written
        Modificata,  // chosen or typed: the full path is written
    };

    explicit CartelleLavoro(Negozio &negozio);

    // The folder in use (CartellaPagine, CartellaScript).
    QString attuale(Cartella c) const;
    // The shop folder followed by "/online" or "/scripts".
    QString predefinita(Cartella c) const;

    // Why a path cannot be used for that folder, as the message shows it;
    // empty when it can: a folder that does not exist, a path too long for
    // the settings record, or a folder CartellaRiservata refuses.
    QString rifiuto(Cartella c, const QString &percorso) const;

    // "OK" of the dialog for one folder: checks the path (blanks at either
    // end removed), shows the refusal, or puts it in use and records it in
    // the settings record as `scelta` says. False when refused.
    bool conferma(Cartella c, const QString &percorso, Scelta scelta);

    // The opening of the shop: puts in use the folders the settings record
    // names, or the default ones for empty fields. A recorded folder that
    // CartellaRiservata refuses is said, replaced by the default one and
    // cleared in the record, so that neither the build nor the publisher
    // ever works in the shop's own folders.
    void carica();

    static QString campo(Cartella c);  // "siteonline", "sitescript"

private:
    // Writes the folder into the settings record; false on failure, with
    // the database's reason in `errore`.
    bool registra(Cartella c, const QString &valore, QString *errore);

    Negozio &m_negozio;
};

#pragma once
// The update of the bank's one-time password files: the merchant picks the
// pair the bank sent (a .ric and a .ris file with the same name), the pair
// is copied into the shop's scripts folder, the publisher uploads the two
// files to the server's CGI folder (replacing the server's files or
// appending the new passwords to them), the local copies are removed and the
// bank dialog's password-file name follows the pair's name.
//
// The pair is never taken from inside the scripts folder, and only the two
// files of the pair are ever removed from it (copies left by an earlier
// attempt, and the copies once sent). The publisher sends every password
// file of the folder, so an update refuses to start while other password
// files lie there: nothing is sent or deleted then. A failed upload changes
// no name and keeps the choice for a retry.
#include <QString>
#include <QStringList>

class Messages;

// The publisher in its password-file mode ("OTP" replaces the server's
// files, "OTP-append" appends to them): it sends the .ric and .ris files of
// the scripts folder to the remote CGI folder and reports its own transfer
// errors.
class CaricamentoPassword {
public:
    enum class Esito {
        Inviati,     // both files are on the server
        NonAvviato,  // the publisher could not start (for example no upload list yet)
        Fallito,     // the transfer failed or was cancelled; the publisher said why
    };
    virtual ~CaricamentoPassword() = default;
    virtual Esito carica(bool accoda) = 0;
};

class AggiornamentoPassword {
public:
    AggiornamentoPassword(const QString &cartellaScript, Messages &messages, CaricamentoPassword *caricamento);

    // The files the file dialog returned (full paths). A pair is taken in
    // either order; anything else is refused with the message and the
    // earlier choice stays.
    bool scegli(const QStringList &files);

    QString txtRic, txtRis;  // full paths of the pair
    QString lblRic, lblRis;  // their file names
    bool accoda = false;     // append to the server's passwords instead of replacing them

    // "Aggiorna" is enabled exactly when both paths are set.
    bool aggiornabile() const { return !txtRic.isEmpty() && !txtRis.isEmpty(); }

    // The update; `pwd` is the bank dialog's password-file name, set to the
    // pair's base name after a successful upload. True when the files were
    // sent.
    bool aggiorna(QString &pwd);

    static QString MessaggioCoppia();

private:
    bool dentroScript(const QString &file) const;
    // The password files of the scripts folder other than the pair's names.
    QStringList estranei() const;
    void rimuoviCopie();

    QString m_cartellaScript;
    Messages &m_messages;
    CaricamentoPassword *m_caricamento;
};

#pragma once
// The publisher's small settings files in the shop folder: vtftp.ini (which
// files an update sends) and firewall.net (connection mode, firewall, server
// port). Both are in the line form RigaImpostazione: "KEY: value" lines
// ended by CR LF, the key four letters and a colon.
#include <QString>
#include <array>
#include <optional>
#include <vector>

class ComponenteFtp;

struct RigaImpostazione {
    QString chiave;  // "MODE:", upper case
    QString valore;

    // A file's lines as a reader takes them: the key is the first five
    // characters upper-cased, the value the rest without surrounding blanks.
    // nullopt when the file cannot be read (a missing file included).
    static std::optional<std::vector<RigaImpostazione>> leggi(const QString &percorso);
    // Writes the lines ("MODE: 1") under a temporary name and puts the file
    // in place; riservato: readable and writable by its owner only. On
    // failure the description goes into errore and the old file stays.
    static bool scrivi(const QString &percorso, const std::vector<RigaImpostazione> &righe, bool riservato,
                       QString *errore);
};

// The numeric value of a setting, by the leading-number rule.
double ValoreNumerico(const QString &valore);

// The transfer settings (vtftp.ini) as the transfer settings dialog shows them.
struct SceltaTrasferimento {
    bool soloModificati = true;   // chkImpo 0: only new and changed files
    bool soloNegozio = true;      // chkImpo 1: only files of the upload list
    bool perEstensione = false;   // chkImpo 2: only the extension groups below
    std::array<bool, 4> gruppi{true, true, true, true};  // chkTipo 0..3

    static const std::array<const char *, 4> estensioniGruppi;  // ".htm.html...", ...

    bool predefinita() const { return soloModificati && soloNegozio && !perEstensione; }
    // The TYPE value: "ALL." or the checked groups' extensions and ".".
    QString tipo() const;
    // The dialog's reading: each line read changes its boxes; a file that
    // cannot be read leaves them as they are.
    void leggi(const QString &percorso);
    // The dialog's OK: the default choice leaves no file; another replaces
    // the old file only once it is written whole.
    bool salva(const QString &percorso, QString *errore) const;
};

// The transfer settings as the publisher applies them.
struct Trasferimento {
    bool InviaTutti = false;
    bool SoloNegozio = true;
    QString EstensioniOK = QStringLiteral("ALL.");

    // A missing or unreadable file, or a missing line, gives the default
    // choice for that setting.
    static Trasferimento leggi(const QString &percorso);
    // Whether a file name passes the extension list: its extension (from
    // the last "."), lower-cased, followed by "." must be in the list.
    bool estensioneAmmessa(const QString &nomeFile) const;
};

// The connection settings (firewall.net) as the dialog shows them.
struct ImpostazioniFirewall {
    bool passiva = true;           // optConn 1
    QString host;                  // txtHost
    int tipo = -1;                 // cboType index, -1: none selected
    QString porta;                 // txtPort
    QString portaFTP = QStringLiteral("21");  // txtFTPport
    QString user, password;

    // The dialog's reading; a file that cannot be read changes nothing
    // (false).
    bool leggi(const QString &percorso);
    // The dialog's OK; the file is readable by its owner only.
    bool salva(const QString &percorso, QString *errore) const;
    // A port field as written: the leading number rounded, "" for 0.
    static QString testoPorta(const QString &campo);
};

// Applies firewall.net to a component, line by line; a missing file
// changes nothing, and a port outside 0 to 65535 stops the reading at its
// line (a port that is no number at all is 21; 0 names no port).
void LeggiFirewall(const QString &percorso, ComponenteFtp &ftp);

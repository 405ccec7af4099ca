#pragma once
// The remote folder browser's session: logs in with the shop's FTP account,
// lists the sub-folders of the current remote folder and walks down and up.
// The FTP work runs on a thread of its own, so the window never freezes;
// each operation ends with elencato (the new list), rifiutato (the server
// would not let the browser into a folder or list it: the browser stays
// where it was) or fallito (the connection is lost). The path is relative
// to the login folder, its parts joined by "/". Only plain names of
// sub-folders are offered; listing lines left out are logged.
#include "ftp.h"

#include <QObject>
#include <QStringList>
#include <QThread>
#include <memory>

class Recordset;

// The folder chosen in the browser into the settings record: kind 0 the
// remote pages folder (folderFTP) and the shop folder derived from it
// (cartella), kind 1 the remote scripts folder (folderCGI) and cartellaCGI.
void ImpostaCartellaFTP(Recordset &generale, int tipo, const QString &cartella);

class SfogliaFtp : public QObject {
    Q_OBJECT
public:
    // Applies the shop folder's firewall.net to the session's component.
    explicit SfogliaFtp(const QString &percorsoNegozio, QObject *parent = nullptr);
    // Abandons what is in progress and waits for the thread.
    ~SfogliaFtp() override;

    // The failure message of every failure.
    static QString MessaggioFallimento();
    // The folder a click on an item chooses (txtSelFolder).
    static QString Selezione(const QString &percorso, const QString &voce);

    AtteseFtp attese;

    // ConnettiFTP: the host is cleaned as the publisher cleans it.
    void ConnettiFTP(const QString &host, const QString &user, const QString &password);
    void Entra(const QString &cartella);
    void Su();
    // Abort and quit; nothing is reported afterwards.
    void Chiudi();

    bool occupato() const { return m_occupato; }
    const QString &percorso() const { return m_percorso; }  // txtPath
    const QStringList &cartelle() const { return m_cartelle; }

signals:
    void rigaRegistrata(const QString &riga);
    void occupatoCambiato(bool occupato);
    void elencato();  // cartelle() and percorso() are up to date
    void rifiutato(const QString &messaggio);
    void fallito();

private:
    using Passo = std::function<RisultatoFtp(ComponenteFtp &)>;
    enum class Esito { Riuscito, Rifiutato, Fallito };
    // Runs an FTP step and then the listing on the thread; on success the
    // path becomes nuovoPercorso. When the server refuses the listing of
    // the folder reached, ritorno takes the session back where it was.
    void avvia(Passo passo, Passo ritorno, const QString &nuovoPercorso);
    // The thread's part: the step, the listing and the names that check it.
    Esito lavora(const Passo &passo, const Passo &ritorno, const QString &nuovoPercorso, QStringList &cartelle,
                 QString &messaggio);
    void concluso(Esito esito, const QStringList &cartelle, const QString &nuovoPercorso, const QString &messaggio);

    std::unique_ptr<ComponenteFtp> m_ftp;
    QThread m_thread;
    QObject *m_lavoratore = nullptr;
    QString m_percorso;
    QStringList m_cartelle;
    bool m_occupato = false;
    bool m_chiuso = false;
};

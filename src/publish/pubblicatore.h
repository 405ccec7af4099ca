#pragma once
// The publisher: puts the built site on the web server. Two upload runs,
// each over its own connection: the pages folder to the remote shop folder,
// then the scripts folder to the remote CGI folder (in the password-file
// modes only the second, and only the bank's .ric and .ris files). A run
// sends the files the upload records show as new or changed (other date or
// other length), scripts and password files in text mode, and sets their
// permissions unless the server is a Windows server. Each run writes its
// dialogue with the server to vtftp1.log or vtftp2.log in the shop folder.
//
// The work blocks: the window runs esegui() on a worker thread and hears of
// it through the signals; messages and questions go through the Messages
// given, which must be usable from that thread (MessaggiTraThread).
// annulla() may be called from any thread.
#include "ftp.h"
#include "impostazioniftp.h"
#include "messages.h"
#include "recordinvii.h"

#include <QFile>
#include <QObject>
#include <QSet>
#include <atomic>
#include <memory>
#include <mutex>

struct Impostazioni;
struct ShopState;

// The publisher's modes, as the caller's tag names them: "OTP" replaces the
// bank's password files on the server, "OTP-append" appends to them; any
// other tag is a normal update of the site.
enum class ModoFTP { Normale = 0, OTP = 1, OTPAccoda = 2 };
ModoFTP ModoDaTag(const QString &tag);

// What the publisher reads of the open shop and of its settings.
struct ContestoPubblicazione {
    QString PercorsoNegozio, CartellaPagine, CartellaScript;
    QString txtHost, txtUsername, txtPassword, txtFolderFTP, txtFolderCGI, txtURLNegozio;
    bool chkNT = false;

    static ContestoPubblicazione da(const ShopState &stato, const Impostazioni &impostazioni);
};

// The upload list vtftp.dat of the last build: the full paths it names.
class ListaCaricamento {
public:
    // False when the file cannot be read.
    bool carica(const QString &percorso);
    // The list read against the shop as it stands. A shop folder moved or
    // copied since its build names its files under the old folder (its
    // first item, the work database, says which): a path that lay inside
    // it and is not in one of the shop's folders as it stands is taken in
    // the shop folder's place. What then lies neither directly in the pages
    // or scripts folder nor is the work database is out of place (the list
    // is of another shop, or of folders changed since the build).
    void riferisci(const QString &negozio, const QString &pagine, const QString &script);
    bool contiene(const QString &percorsoCompleto) const;
    const QStringList &fuoriPosto() const { return m_fuoriPosto; }

private:
    QString m_testo;
    QSet<QString> m_percorsi;
    QStringList m_fuoriPosto;
};

class Pubblicatore : public QObject {
    Q_OBJECT
public:
    Pubblicatore(ContestoPubblicazione contesto, ModoFTP modo, Messages &messages, QObject *parent = nullptr);
    ~Pubblicatore() override;

    // The window's load: firewall.net, vtftp.ini and the upload list. False,
    // with the description, when the upload list is missing: the window
    // does not open.
    bool carica(QString *errore = nullptr);

    struct Conclusione {
        bool riuscito = false;
        QString indirizzoDaAprire;  // the site, when the merchant asked to see it
    };
    // Both runs and the closing message. Blocks.
    Conclusione esegui();
    // One run; true only when every file was examined without failure and
    // the connection was closed with quit.
    bool UpdateFTP(const QString &titolo, const QString &cartellaLocale, const QString &percorsoLog, QString host,
                   QString user, QString password, QString cartellaRemota);

    // Any thread: no further file is started and the transfer in progress
    // is abandoned; no failure message follows.
    void annulla();
    bool annullato() const { return m_annullato; }

    // Whether a file is considered at all (upload list and extensions; the
    // build's files of the scripts folder go with the scripts group).
    bool CaricaFile(const QString &percorsoCompleto, const QString &nomeFile) const;

    ModoFTP modo() const { return m_modo; }
    Trasferimento trasferimento;  // InviaTutti, SoloNegozio, EstensioniOK
    AtteseFtp attese;             // how long the component waits
    ComponenteFtp &componente() { return *m_ftp; }

signals:
    void titoloCambiato(const QString &caption);
    void statoCambiato(const QString &testo);     // lblFile
    void fileLogScelto(const QString &percorso);  // txtLogFile
    void rigaRegistrata(const QString &riga);     // txtLog
    // The progress of a run: its files, and how many of them are done (the
    // bar is full only once every file has been dealt with).
    void intervalloCambiato(int massimo);         // the progress runs from 0 to massimo
    void posizioneCambiata(int valore);

private:
    // A normal update whose upload list names files out of the shop's
    // folders (a shop moved or copied elsewhere and not built since): the
    // warning that the shop must be built again, and true.
    bool ListaNonValida();
    bool corsa(const QStringList &files, const QString &cartellaLocale, const QString &host, const QString &user,
               const QString &password, QString remota);
    bool inviaFile(const QString &percorso, const QString &nome, const QString &host, const QString &remota);
    void CreaCartella(const QString &remota);
    // Files left out for a name no command may carry: logged, and named in
    // one warning when the run would have sent them.
    void NomiNonValidi(const QString &cartellaLocale, const QStringList &nomi);
    void fallimento(const RisultatoFtp &r);
    // The permission command of a script or password file failed.
    void permessiRifiutati(const RisultatoFtp &r, const QString &nome, bool script);
    void avviso(const QString &testo);
    void rigaProtocollo(const QString &riga);

    ContestoPubblicazione m_contesto;
    ModoFTP m_modo;
    Messages &m_messages;
    ListaCaricamento m_lista;
    std::unique_ptr<ComponenteFtp> m_ftp;
    std::unique_ptr<RecordInvii> m_record;
    QFile m_log;
    QString m_CartellaSulServer;
    int m_Azione = 0;
    bool m_MakeErr = false;
    bool m_ScriviErr = false;
    bool m_corsaScript = false;  // the run sends the scripts folder
    bool m_corsaNegozio = false;  // the run sends the shop folder itself
    std::atomic_bool m_annullato{false};
    std::mutex m_mutexFtp;  // the component's life against annulla()
};

// Message boxes asked for by a worker thread, shown by the thread that made
// this object (the window's), which stays responsive meanwhile; the worker
// waits for the answer.
class MessaggiTraThread : public Messages {
public:
    explicit MessaggiTraThread(Messages &destinatario);
    ~MessaggiTraThread() override;
    Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {},
                std::optional<Answer> defaultButton = {}) override;

private:
    Messages &m_destinatario;
    std::unique_ptr<QObject> m_contesto;
};

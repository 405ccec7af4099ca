#pragma once
// The FTP component: what the publisher, the remote folder browser and the
// connection settings need of an FTP client, behind one interface. Every
// operation blocks until it has ended and returns its result; the protocol
// lines and the listing lines arrive through callbacks on the calling
// thread while the operation runs. interrompi() may be called from any
// thread: it abandons the operation in progress at once.
//
// Folders are relative to the login folder: change folder, make folder,
// store and list act in the current remote folder, "." stays where it is.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The result of an operation: a code of 0 or less is a success, above 0 a
// failure. A server's negative reply is 20000 plus its reply code (20550 for
// a missing folder, 20530 for a refused login); failures without a reply
// (connection, time-out, local file) have codes of their own below 20000.
struct RisultatoFtp {
    // Who gave the reply: the server, the firewall in front of it, or the
    // program itself (the loopback relay, standing in for the server).
    enum class Fonte { Server, Firewall, Programma };

    int codice = 0;
    QString testo;     // what went wrong, in Italian
    QString risposta;  // the reply line that says why, when there is one
    Fonte fonte = Fonte::Server;  // whose reply risposta is
    bool riuscito() const { return codice <= 0; }
    int rispostaServer() const { return codice > 20000 ? codice - 20000 : 0; }
    // What the merchant reads: the explanation, then the reply and whose it is.
    QString messaggio() const
    {
        if (risposta.isEmpty())
            return testo;
        switch (fonte) {
        case Fonte::Firewall:
            return testo + QStringLiteral("\nRisposta del firewall: ") + risposta;
        case Fonte::Programma:
            return testo + QStringLiteral("\nRisposta di Vetrasto (non del server): ") + risposta;
        case Fonte::Server:
            break;
        }
        return testo + QStringLiteral("\nRisposta del server: ") + risposta;
    }
};

namespace CodiceFtp {
constexpr int Risposta = 20000;      // plus the server's reply code
constexpr int Connessione = 10001;   // the server cannot be reached
constexpr int TempoScaduto = 10002;  // connection, reply or transfer timed out
constexpr int Interrotto = 10003;    // abandoned by interrompi()
constexpr int FileLocale = 10004;    // the local file cannot be read
constexpr int NomeNonValido = 10005; // a name that would end a command line (a line break, a control character)
constexpr int ConnessioneDati = 10006;  // the data connection (active or passive) failed
constexpr int Altro = 10099;
}

// Firewall types, as firewall.net numbers them.
enum class TipoFirewall {
    Nessuno = 0,
    Socks4 = 1,
    Socks5 = 2,
    ProxyUser = 3,  // USER user@host at the firewall
    ProxySite = 4,  // login at the firewall, then SITE host
    ProxyProxy = 5, // login at the firewall, then PROXY host
    ProxyOpen = 6,  // login at the firewall, then OPEN host
    SimplePipe = 7, // the firewall forwards the connection to the server
};

struct FirewallFtp {
    int tipo = 0;
    QString host;
    int porta = 21;
    QString user, password;
    bool socks() const { return tipo == int(TipoFirewall::Socks4) || tipo == int(TipoFirewall::Socks5); }
};

// How long the component waits, in milliseconds: for a connection, for a
// reply of the server, and for a transfer that moves no byte at all.
struct AtteseFtp {
    int connessione = 30000;
    int risposta = 60000;
    int stallo = 60000;
};

class ComponenteFtp {
public:
    virtual ~ComponenteFtp() = default;

    // Properties.
    QString host, user, password;
    int porta = 21;           // server port (0 names none: the FTP port, 21)
    bool attiva = false;      // true: active connections (PORT); false: passive
    bool binario = true;      // transfer type of the next store or append
    qint64 lunghezzaAttesa = -1;  // length of the next file, when known
    FirewallFtp firewall;
    AtteseFtp attese;

    // Events: one line of the dialogue with the server (commands sent and
    // replies received; the password is never shown: "PASS (hidden)"), and
    // one line of a listing.
    std::function<void(const QString &)> rigaProtocollo;
    std::function<void(const QString &)> rigaElenco;

    // Operations.
    virtual RisultatoFtp connetti() = 0;
    virtual RisultatoFtp cambiaCartella(const QString &cartella) = 0;
    virtual RisultatoFtp cartellaSuperiore() = 0;
    // A 550 reply (the folder exists, or may not be made) puts no
    // explanation of its own in the log: the caller, who learns which by
    // entering the folder, says so.
    virtual RisultatoFtp creaCartella(const QString &nome) = 0;
    // Announces the length of the next file (a 5xx reply is harmless).
    virtual RisultatoFtp annunciaLunghezza(qint64 lunghezza) = 0;
    // Creates or replaces (accoda: appends to) the remote file. In text mode
    // the lines reach the server with the server's own line ends.
    virtual RisultatoFtp invia(const QString &percorsoLocale, const QString &nomeRemoto, bool accoda = false) = 0;
    // One command line, in the current remote folder.
    virtual RisultatoFtp comando(const QString &testo) = 0;
    // soloNomi: the names only, one a line (NLST), instead of the full
    // listing (LIST).
    virtual RisultatoFtp elenca(bool soloNomi = false) = 0;
    virtual RisultatoFtp esci() = 0;
    // Any thread: abandons the operation in progress and the connection.
    virtual void interrompi() = 0;

    // The current remote folder, relative to the login folder ("" there).
    virtual QString cartellaCorrente() const = 0;
};

// The component on libcurl.
std::unique_ptr<ComponenteFtp> CreaComponenteFtp();

// The password line of the dialogue as it may be shown or logged.
QString RigaProtocolloVisibile(const QString &riga);

// A text that goes into a command line must not end it or start another:
// NomeNonValido when it holds a line break or another control character,
// saying what it is by cosa ("Il nome dell'host").
RisultatoFtp ControllaTestoComando(const QString &testo, const QString &cosa);

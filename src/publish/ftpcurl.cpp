// The FTP component on libcurl. Each operation is one transfer of one easy
// handle on a multi handle whose connection cache keeps the control
// connection between operations; the current remote folder is the path of
// the transfer's address, so libcurl changes folder only when it differs.
// Commands of our own (MKD, ALLO, SITE) go after libcurl has entered the
// folder (post-quote commands of a transfer without body). The wait polls
// the multi handle, which interrompi() wakes, and interrompi() also shuts
// the connection's sockets, so nothing blocks after a cancel.
//
// Every firewall type goes through a loopback relay (PonteFtp): libcurl
// connects to the relay, and when it opens that connection the component
// first reaches the firewall itself (AccessoFirewall for the types that
// want commands before the login, "SITE host", "PROXY host", "OPEN host";
// ConnessioneSocks; ConnessioneFirewall for "USER user@host" and a pipe,
// whose dialogue is libcurl's own) and hands the resulting connection to
// the relay, which stands in for the server and opens the data
// connections. So every refusal of a firewall is told in the firewall's
// own terms, naming it, and the log shows what the server received and
// sent, not the relay's stand-ins.
#include "ftp.h"
#include "nomifile.h"
#include "ponteftp.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <optional>
#include <set>
#include <sys/select.h>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

QString RigaProtocolloVisibile(const QString &riga)
{
    if (riga.startsWith(QLatin1String("PASS ")))
        return QStringLiteral("PASS (hidden)");
    return riga;
}

RisultatoFtp ControllaTestoComando(const QString &testo, const QString &cosa)
{
    if (!HaCaratteriDiControllo(testo))
        return {};
    return {CodiceFtp::NomeNonValido,
            QStringLiteral("%1 contiene un a capo o un altro carattere non ammesso: correggerlo.").arg(cosa), {}};
}

namespace {

struct InizioCurl {
    InizioCurl() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

// What a failed operation was doing, and on what, for its explanation.
enum class Azione { Accesso, Cartella, CreaCartella, Invio, Comando, Elenco };

// A negative reply of the server (code and text) said in Italian, with
// what to do where the merchant can do something.
QString SpiegaRisposta(int codice, const QString &testo, Azione azione, const QString &nome)
{
    // Phrases, not words: a reply often repeats the path it refused, and a
    // name such as "myspace" or "quota.htm" says nothing of the disk.
    static const QRegularExpression spazio(
        QStringLiteral("no space|(not enough|insufficient|out of) (disk |storage )?space|disk full|quota exceeded|"
                       "over quota"),
        QRegularExpression::CaseInsensitiveOption);
    if (codice == 452 || codice == 552 || testo.contains(spazio))
        return QStringLiteral("Spazio esaurito sul server (disco pieno o quota superata)")
            + (azione == Azione::Invio ? QStringLiteral(": il file '%1' non è stato salvato. ").arg(nome)
                                       : QStringLiteral(". "))
            + QStringLiteral("Liberare spazio sul server o chiedere al fornitore del servizio di aumentarlo.");
    switch (codice) {
    case 332:
    case 530:
    case 532:
        return QStringLiteral("Il server ha rifiutato l'accesso: controllare il nome utente e la password nella "
                              "scheda \"Internet\".");
    case 421:
        return QStringLiteral("Il server ha chiuso la connessione (servizio non disponibile o troppi collegamenti): "
                              "riprovare più tardi.");
    case 425:
        return QStringLiteral("Impossibile aprire la connessione dei dati con il server.");
    case 426:
        return QStringLiteral("La connessione con il server si è interrotta durante il trasferimento.");
    case 451:
        if (azione == Azione::Invio)
            return QStringLiteral("Il server non è riuscito a salvare il file '%1' (spesso per lo spazio esaurito sul "
                                  "server): riprovare più tardi o chiedere al fornitore del servizio.")
                .arg(nome);
        break;
    case 553:
        if (azione == Azione::Invio)
            return QStringLiteral("Il server non accetta il nome del file '%1': rinominarlo usando solo lettere, "
                                  "cifre, \"-\" e \"_\".")
                .arg(nome);
        if (azione == Azione::CreaCartella)
            return QStringLiteral("Il server non accetta il nome della cartella '%1'.").arg(nome);
        break;
    case 450:
    case 550:
        switch (azione) {
        case Azione::Invio:
            return QStringLiteral("Il server non permette di scrivere il file '%1' (permesso negato o cartella in "
                                  "sola lettura).")
                .arg(nome);
        case Azione::CreaCartella:
            return QStringLiteral("Il server non permette di creare la cartella '%1' (permesso negato o cartella in "
                                  "sola lettura).")
                .arg(nome);
        case Azione::Cartella:
            return QStringLiteral("La cartella '%1' non esiste sul server o non vi si può accedere.").arg(nome);
        case Azione::Comando:
            return QStringLiteral("Il server ha rifiutato il comando '%1' (permesso negato o file non trovato).")
                .arg(nome);
        default:
            return QStringLiteral("Il server ha rifiutato l'operazione (permesso negato o cartella non disponibile).");
        }
    case 500:
    case 501:
    case 502:
    case 504:
        if (azione == Azione::Comando)
            return QStringLiteral("Il server non accetta il comando '%1'.").arg(nome);
        break;
    default:
        break;
    }
    return codice < 500 ? QStringLiteral("Il server non ha potuto completare l'operazione: riprovare più tardi.")
                        : QStringLiteral("Il server ha rifiutato l'operazione.");
}

// The local file of a store, read as it goes: in text mode every CR LF is
// sent as LF, because libcurl turns each LF into CR LF on the wire.
struct Lettura {
    QFile file;
    bool testo = false;
    bool crSospeso = false;  // a CR at the end of the last piece read
    bool errore = false;
    QByteArray appoggio;

    size_t leggi(char *dest, size_t spazio)
    {
        if (!testo) {
            const qint64 n = file.read(dest, qint64(spazio));
            if (n < 0) {
                errore = true;
                return CURL_READFUNC_ABORT;
            }
            return size_t(n);
        }
        size_t scritti = 0;
        while (scritti == 0) {
            // Room for the CR held back by the last piece.
            const qint64 max = qint64(spazio) - 1;
            appoggio.resize(qMax<qint64>(max, 1));
            const qint64 n = file.read(appoggio.data(), qMax<qint64>(max, 1));
            if (n < 0) {
                errore = true;
                return CURL_READFUNC_ABORT;
            }
            if (n == 0) {
                if (crSospeso) {
                    crSospeso = false;
                    dest[scritti++] = '\r';
                }
                return scritti;
            }
            for (qint64 i = 0; i < n; ++i) {
                const char c = appoggio[i];
                if (crSospeso) {
                    crSospeso = false;
                    if (c != '\n')
                        dest[scritti++] = '\r';
                }
                if (c == '\r')
                    crSospeso = true;
                else
                    dest[scritti++] = c;
            }
        }
        return scritti;
    }
};

class FtpCurl final : public ComponenteFtp {
public:
    FtpCurl()
    {
        static InizioCurl inizio;
        m_multi = curl_multi_init();
        m_easy = curl_easy_init();
    }

    ~FtpCurl() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_chiuso = true;
        }
        // Closing the cached connection says QUIT to a server still there
        // (through the relay, which is still running); after an
        // interruption its sockets are shut and nothing waits.
        curl_easy_cleanup(m_easy);
        curl_multi_cleanup(m_multi);
        std::lock_guard lock(m_mutex);
        m_ponte.reset();
    }

    RisultatoFtp connetti() override
    {
        m_cartella.clear();
        return esegui(Operazione::Cartella, m_cartella);
    }

    RisultatoFtp cambiaCartella(const QString &cartella) override
    {
        if (RisultatoFtp r = nomeAmmesso(cartella); !r.riuscito())
            return r;
        QStringList nuova = m_cartella;
        for (const QString &parte : cartella.split(u'/', Qt::SkipEmptyParts)) {
            if (parte == QLatin1String("."))
                continue;
            if (parte == QLatin1String("..") && !nuova.isEmpty() && nuova.last() != QLatin1String(".."))
                nuova.removeLast();
            else
                nuova << parte;
        }
        if (cartella.startsWith(u'/'))
            return {CodiceFtp::Altro, QStringLiteral("Le cartelle sono relative alla cartella di accesso."), {}};
        RisultatoFtp r = esegui(Operazione::Cartella, nuova);
        if (r.riuscito())
            m_cartella = nuova;
        return r;
    }

    RisultatoFtp cartellaSuperiore() override { return cambiaCartella(QStringLiteral("..")); }

    RisultatoFtp creaCartella(const QString &nome) override
    {
        if (RisultatoFtp r = nomeAmmesso(nome); !r.riuscito())
            return r;
        // A 550 says the folder exists or may not be made: which, the
        // caller learns by entering it, and says so itself.
        m_notaSenza550 = true;
        RisultatoFtp r = comandoAmmesso(QStringLiteral("MKD ") + nome);
        m_notaSenza550 = false;
        return r;
    }

    RisultatoFtp annunciaLunghezza(qint64 lunghezza) override
    {
        return comandoAmmesso(QStringLiteral("ALLO ") + QString::number(lunghezza));
    }

    RisultatoFtp invia(const QString &percorsoLocale, const QString &nomeRemoto, bool accoda) override
    {
        if (RisultatoFtp r = nomeAmmesso(nomeRemoto); !r.riuscito())
            return r;
        Lettura lettura;
        lettura.file.setFileName(percorsoLocale);
        lettura.testo = !binario;
        if (!lettura.file.open(QIODevice::ReadOnly))
            return {CodiceFtp::FileLocale,
                    QStringLiteral("Impossibile leggere il file '%1': %2").arg(percorsoLocale, lettura.file.errorString()),
                    {}};
        m_lettura = &lettura;
        m_accoda = accoda;
        m_nome = nomeRemoto;
        RisultatoFtp r = esegui(Operazione::Invio, m_cartella);
        m_lettura = nullptr;
        if (lettura.errore && !r.riuscito())
            return {CodiceFtp::FileLocale,
                    QStringLiteral("Impossibile leggere il file '%1': %2").arg(percorsoLocale, lettura.file.errorString()),
                    {}};
        return r;
    }

    RisultatoFtp comando(const QString &testo) override
    {
        if (RisultatoFtp r = nomeAmmesso(testo); !r.riuscito())
            return r;
        return comandoAmmesso(testo);
    }

    RisultatoFtp elenca(bool soloNomi) override
    {
        m_soloNomi = soloNomi;
        m_restoElenco.clear();
        RisultatoFtp r = esegui(Operazione::Elenco, m_cartella);
        if (!m_restoElenco.isEmpty())
            rigaElencoRicevuta(m_restoElenco);
        m_restoElenco.clear();
        return r;
    }

    RisultatoFtp esci() override { return esegui(Operazione::Uscita, m_cartella); }

    void interrompi() override
    {
        std::lock_guard lock(m_mutex);
        m_interrotto = true;
        if (m_ponte)
            m_ponte->chiudi();
        if (m_chiuso)
            return;
        for (curl_socket_t s : m_socket)
            ::shutdown(s, SHUT_RDWR);
        curl_multi_wakeup(m_multi);
    }

    QString cartellaCorrente() const override { return m_cartella.join(u'/'); }

private:
    enum class Operazione { Cartella, Comando, Invio, Elenco, Uscita };

    // A command line already checked.
    RisultatoFtp comandoAmmesso(const QString &testo)
    {
        m_comando = testo;
        return esegui(Operazione::Comando, m_cartella);
    }

    // No command line is built from a name that would end it early.
    static RisultatoFtp nomeAmmesso(const QString &nome)
    {
        return ControllaTestoComando(nome, QStringLiteral("Il nome '%1'").arg(TestoLeggibile(nome)));
    }

    // Whether libcurl reaches the server through the relay: through every
    // firewall type.
    bool viaPonte() const
    {
        return firewall.tipo > int(TipoFirewall::Nessuno) && firewall.tipo <= int(TipoFirewall::SimplePipe);
    }

    // The firewall types whose whole dialogue is libcurl's: "USER
    // user@host", and a pipe to the server.
    bool dialogoDiLibcurl() const
    {
        return firewall.tipo == int(TipoFirewall::ProxyUser) || firewall.tipo == int(TipoFirewall::SimplePipe);
    }

    DatiFirewall datiFirewall()
    {
        DatiFirewall d;
        d.firewall = firewall;
        std::tie(d.host, d.porta) = server();
        d.attese = attese;
        d.fermo = [this] { return m_interrotto.load(); };
        d.riga = [this](const QString &r) { riga(r, false); };
        return d;
    }

    // The relay for this operation, started at its first use.
    RisultatoFtp preparaPonte()
    {
        if (!m_ponte) {
            auto ponte = std::make_unique<PonteFtp>();
            QString errore;
            if (!ponte->avvia(&errore))
                return {CodiceFtp::Connessione, errore, {}};
            std::lock_guard lock(m_mutex);
            m_ponte = std::move(ponte);
        }
        m_ponte->imposta(datiFirewall());
        return {};
    }

    // libcurl opens its control connection to the relay: the firewall is
    // reached first, and its connection handed to the relay.
    bool attraversaFirewall()
    {
        DatiFirewall d = datiFirewall();
        Presa presa(d.fermo);
        RispostaFirewall saluto;
        const bool suoSaluto = firewall.socks() || dialogoDiLibcurl();
        const RisultatoFtp r = firewall.socks() ? ConnessioneSocks(d, presa)
            : dialogoDiLibcurl()                ? ConnessioneFirewall(d, presa)
                                                : AccessoFirewall(d, presa, saluto);
        if (!r.riuscito()) {
            m_erroreFirewall = r;
            return false;
        }
        // Behind a Socks proxy or a pipe the server greets libcurl itself,
        // a "USER user@host" firewall with its own greeting; a gateway that
        // wants a command first has taken the greeting in its reply to it.
        // That copy is not logged: the log has the gateway's own lines.
        const QString testo = saluto.ultima().mid(4).trimmed();
        m_copiaSaluto = suoSaluto ? QByteArray() : "220 " + (testo.isEmpty() ? QByteArray("Pronto") : testo.toUtf8());
        m_ponte->consegna(presa.rilascia(), suoSaluto ? QByteArray() : m_copiaSaluto + "\r\n");
        return true;
    }

    bool versoPonte(const curl_sockaddr *a) const
    {
        if (!m_ponte || a->family != AF_INET)
            return false;
        const auto &x = reinterpret_cast<const sockaddr_in &>(a->addr);
        const auto &p = reinterpret_cast<const sockaddr_in &>(m_ponte->indirizzo());
        return x.sin_port == p.sin_port && x.sin_addr.s_addr == p.sin_addr.s_addr;
    }

    QByteArray indirizzo(const QStringList &cartella, const QString &file) const
    {
        // Through a firewall the connection goes to the relay.
        QString h = m_viaPonte ? QStringLiteral("127.0.0.1") : host;
        // An address with more than one ":" is an IPv6 address.
        if (h.count(u':') > 1 && !h.startsWith(u'['))
            h = u'[' + h + u']';
        QByteArray url = "ftp://" + QUrl::toPercentEncoding(h, ":[]") + '/';
        for (const QString &parte : cartella)
            url += QUrl::toPercentEncoding(parte) + '/';
        return url + QUrl::toPercentEncoding(file);
    }

    // A host given as host:port keeps its own port.
    static bool haPorta(const QString &h) { return h.count(u':') == 1 && !h.endsWith(u':'); }

    // The server's name and port, a host given as host:port split once.
    std::pair<QString, int> server() const
    {
        if (haPorta(host)) {
            const qsizetype duepunti = host.indexOf(u':');
            bool numero = false;
            const int suaPorta = host.mid(duepunti + 1).toInt(&numero);
            if (numero && suaPorta > 0 && suaPorta <= 65535)
                return {host.left(duepunti), suaPorta};
        }
        return {host, porta > 0 ? porta : 21};
    }

    void impostaComuni()
    {
        curl_easy_reset(m_easy);
        CURL *e = m_easy;
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
        // The folder goes to the server as named: "../public" is the
        // server's to resolve from the login folder, not dot segments of an
        // address for libcurl to drop.
        curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
        // Through the relay the connection takes the firewall's dialogue
        // too: its connection and up to four replies.
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                         long(m_viaPonte ? attese.connessione + 4 * attese.risposta : attese.connessione));
        curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(qMax(1, (attese.risposta + 999) / 1000)));
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(qMax(1, (attese.stallo + 999) / 1000)));
        curl_easy_setopt(e, CURLOPT_FTPPORT, attiva ? "-" : nullptr);
        curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &FtpCurl::debug);
        curl_easy_setopt(e, CURLOPT_DEBUGDATA, this);
        curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &FtpCurl::apriSocket);
        curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &FtpCurl::chiudiSocket);
        curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, this);
        curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &FtpCurl::progresso);
        curl_easy_setopt(e, CURLOPT_XFERINFODATA, this);

        curl_easy_setopt(e, CURLOPT_PROXY, "");
        curl_easy_setopt(e, CURLOPT_USERNAME, utenteAlServer().toUtf8().constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, password.toUtf8().constData());
        if (m_viaPonte)
            curl_easy_setopt(e, CURLOPT_PORT, long(PortaDi(m_ponte->indirizzo())));
        else if (!haPorta(host))
            curl_easy_setopt(e, CURLOPT_PORT, long(server().second));
    }

    // The user name of the login: a "USER user@host" firewall takes the
    // server's address with it.
    QString utenteAlServer() const
    {
        if (firewall.tipo != int(TipoFirewall::ProxyUser))
            return user;
        const auto [nome, portaServer] = server();
        return user + u'@' + HostPerFirewall(nome, portaServer);
    }

    RisultatoFtp esegui(Operazione op, const QStringList &cartella)
    {
        if (m_interrotto)
            return {CodiceFtp::Interrotto, QStringLiteral("Operazione annullata."), {}};
        m_erroreFirewall.reset();
        m_viaPonte = viaPonte();
        if (m_viaPonte)
            if (RisultatoFtp r = preparaPonte(); !r.riuscito())
                return r;
        impostaComuni();
        CURL *e = m_easy;
        const QByteArray url = indirizzo(cartella, op == Operazione::Invio ? m_nome : QString());
        curl_easy_setopt(e, CURLOPT_URL, url.constData());
        curl_slist *dopo = nullptr;
        switch (op) {
        case Operazione::Cartella:
            curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
            break;
        case Operazione::Uscita:
            curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
            break;
        case Operazione::Comando:
            curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
            dopo = curl_slist_append(nullptr, m_comando.toUtf8().constData());
            curl_easy_setopt(e, CURLOPT_POSTQUOTE, dopo);
            break;
        case Operazione::Invio:
            curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(e, CURLOPT_APPEND, m_accoda ? 1L : 0L);
            curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, binario ? 0L : 1L);
            curl_easy_setopt(e, CURLOPT_READFUNCTION, &FtpCurl::leggi);
            curl_easy_setopt(e, CURLOPT_READDATA, this);
            if (binario && lunghezzaAttesa >= 0)
                curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, curl_off_t(lunghezzaAttesa));
            break;
        case Operazione::Elenco:
            curl_easy_setopt(e, CURLOPT_DIRLISTONLY, m_soloNomi ? 1L : 0L);
            curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &FtpCurl::scrivi);
            curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
            break;
        }
        m_ultimaRisposta.clear();
        m_rispostaPropria = false;
        m_ultimoComando.clear();
        m_comandoRisposto.clear();
        m_codiceTardivo = 0;
        m_datiInviati = false;
        m_op = op;

        curl_multi_add_handle(m_multi, e);
        CURLcode esito = CURLE_OK;
        bool finito = false;
        int subito = 0;
        while (!finito) {
            int attivi = 0;
            curl_multi_perform(m_multi, &attivi);
            int restanti = 0;
            while (CURLMsg *m = curl_multi_info_read(m_multi, &restanti))
                if (m->msg == CURLMSG_DONE) {
                    esito = m->data.result;
                    finito = true;
                }
            if (finito)
                break;
            if (m_interrotto) {
                esito = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            // libcurl waits on no socket when it wants to be called again at
            // once (after the reply to EPSV, before it opens the data
            // connection): then it is called again without sleeping.
            if (!attendeSocket() && ++subito < 1000)
                continue;
            subito = 0;
            curl_multi_poll(m_multi, nullptr, 0, 100, nullptr);
        }
        // The control connection kept for the next operation (libcurl knows
        // it only while the handle is on the multi handle).
        curl_socket_t controllo = CURL_SOCKET_BAD;
        if (curl_easy_getinfo(e, CURLINFO_ACTIVESOCKET, &controllo) == CURLE_OK)
            m_presaControllo = controllo;
        curl_multi_remove_handle(m_multi, e);
        curl_slist_free_all(dopo);
        sospesoNelLog();
        // A connection cut under the store rather than a timeout: the
        // server may have said why.
        rispostaTardiva(esito == CURLE_SEND_ERROR || esito == CURLE_RECV_ERROR || esito == CURLE_PARTIAL_FILE
                        || esito == CURLE_GOT_NOTHING || esito == CURLE_UPLOAD_FAILED);
        return risultato(esito, op, cartella);
    }

    bool attendeSocket()
    {
        fd_set lettura, scrittura, eccezioni;
        FD_ZERO(&lettura);
        FD_ZERO(&scrittura);
        FD_ZERO(&eccezioni);
        int massimo = -1;
        curl_multi_fdset(m_multi, &lettura, &scrittura, &eccezioni, &massimo);
        return massimo >= 0;
    }

    RisultatoFtp risultato(CURLcode esito, Operazione op, const QStringList &cartella)
    {
        if (esito == CURLE_OK)
            return {};
        if (m_interrotto)
            return {CodiceFtp::Interrotto, QStringLiteral("Operazione annullata."), {}};
        RisultatoFtp r = m_erroreFirewall ? *std::exchange(m_erroreFirewall, std::nullopt) : spiega(esito, op, cartella);
        if (m_rispostaPropria && !r.risposta.isEmpty() && r.risposta == m_ultimaRisposta)
            r.fonte = RisultatoFtp::Fonte::Programma;
        // The log says why in the program's own words; libcurl's (English)
        // reach neither the log nor the merchant.
        if (!(m_notaSenza550 && r.codice == CodiceFtp::Risposta + 550))
            riga(QStringLiteral("* ") + r.testo, false);
        return r;
    }

    RisultatoFtp spiega(CURLcode esito, Operazione op, const QStringList &cartella)
    {
        long risposta = m_codiceTardivo;
        if (risposta == 0)
            curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &risposta);
        // A "USER user@host" firewall answers that USER itself, unless it
        // passes on the server's refusal of the session.
        const int codiceUltima = m_ultimaRisposta.left(3).toInt();
        if (firewall.tipo == int(TipoFirewall::ProxyUser) && m_comandoRisposto.startsWith(QLatin1String("USER "))
            && codiceUltima >= 400 && !m_rispostaPropria)
            return RifiutoUtenteAlFirewall(datiFirewall(), m_comandoRisposto, codiceUltima, m_ultimaRisposta);
        // A connection that fails right after a passive reply is the data
        // connection, to the address that reply named.
        const bool dopoPassiva =
            m_ultimaRisposta.startsWith(QLatin1String("227 ")) || m_ultimaRisposta.startsWith(QLatin1String("229 "));
        if (dopoPassiva && PortaRispostaPassiva(m_ultimaRisposta.toUtf8()) == 0)
            return {CodiceFtp::ConnessioneDati,
                    QStringLiteral("Il server ha indicato per la connessione dei dati un indirizzo non utilizzabile: "
                                   "provare a cambiare la modalità di connessione (attiva/passiva) nelle impostazioni "
                                   "FTP avanzate."),
                    m_ultimaRisposta};
        switch (esito) {
        case CURLE_OPERATION_TIMEDOUT:
            // libcurl takes a "421" (the server is closing) for a time-out.
            if (m_ultimaRisposta.startsWith(QLatin1String("421")))
                return {CodiceFtp::Risposta + 421, SpiegaRisposta(421, m_ultimaRisposta, Azione::Accesso, {}),
                        m_ultimaRisposta};
            return {CodiceFtp::TempoScaduto, QStringLiteral("Il server non risponde: tempo scaduto."), {}};
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return {CodiceFtp::Connessione, QStringLiteral("Host sconosciuto."), {}};
        case CURLE_COULDNT_CONNECT:
            if (dopoPassiva)
                return {CodiceFtp::ConnessioneDati,
                        QStringLiteral("Impossibile aprire la connessione dei dati con il server."), {}};
            return {CodiceFtp::Connessione, QStringLiteral("Impossibile connettersi al server."), {}};
        case CURLE_URL_MALFORMAT:
            return {CodiceFtp::Connessione, QStringLiteral("Nome dell'host non valido."), {}};
        case CURLE_READ_ERROR:
            return {CodiceFtp::FileLocale, QStringLiteral("Impossibile leggere il file locale."), {}};
        case CURLE_FTP_ACCEPT_FAILED:
        case CURLE_FTP_ACCEPT_TIMEOUT:
        case CURLE_FTP_CANT_GET_HOST:
        case CURLE_FTP_WEIRD_PASV_REPLY:
        case CURLE_FTP_WEIRD_227_FORMAT:
        case CURLE_FTP_PORT_FAILED:
            // The refusal of the passive or active command, when there was one.
            return {CodiceFtp::ConnessioneDati, QStringLiteral("Impossibile aprire la connessione dei dati con il server."),
                    m_ultimaRisposta.startsWith(u'4') || m_ultimaRisposta.startsWith(u'5') ? m_ultimaRisposta : QString()};
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
        case CURLE_FTP_WEIRD_SERVER_REPLY:
            if (risposta >= 400)
                break;
            return {CodiceFtp::Connessione,
                    op == Operazione::Invio
                        ? QStringLiteral("La connessione con il server si è interrotta durante l'invio del file '%1'.")
                              .arg(m_nome)
                        : QStringLiteral("La connessione con il server si è interrotta."),
                    {}};
        default:
            break;
        }
        if (risposta < 400)
            return {CodiceFtp::Altro, QStringLiteral("Errore nella comunicazione con il server."), {}};
        Azione azione = Azione::Accesso;
        QString nome;
        switch (op) {
        case Operazione::Invio:
            azione = Azione::Invio;
            nome = m_nome;
            break;
        case Operazione::Comando:
            azione = m_comando.startsWith(QLatin1String("MKD ")) ? Azione::CreaCartella : Azione::Comando;
            nome = azione == Azione::CreaCartella ? m_comando.mid(4) : m_comando;
            break;
        case Operazione::Elenco:
            azione = Azione::Elenco;
            break;
        case Operazione::Cartella:
            azione = cartella.isEmpty() ? Azione::Accesso : Azione::Cartella;
            nome = cartella.join(u'/');
            break;
        case Operazione::Uscita:
            break;
        }
        const QString testo = m_ultimaRisposta.isEmpty() ? QString::number(risposta) : m_ultimaRisposta;
        return {CodiceFtp::Risposta + int(risposta), SpiegaRisposta(int(risposta), testo, azione, nome), testo};
    }

    void rigaElencoRicevuta(QByteArray riga)
    {
        while (riga.endsWith('\r') || riga.endsWith('\n'))
            riga.chop(1);
        if (rigaElenco)
            rigaElenco(QString::fromUtf8(riga));
    }

    void riga(const QString &r, bool ricevuta)
    {
        if (ricevuta && r.size() >= 3 && r[0].isDigit()) {
            m_ultimaRisposta = r;
            m_rispostaPropria = false;
            m_comandoRisposto = m_ultimoComando;
        }
        if (rigaProtocollo)
            rigaProtocollo(RigaProtocolloVisibile(r));
    }

    // A command libcurl sent. Through the relay, one that opens a data
    // connection waits for its reply, which says what the server got.
    void comandoInviato(const QString &r)
    {
        m_ultimoComando = r;
        static const QRegularExpression dati(QStringLiteral("^(EPSV|PASV|PORT|EPRT)( |$)"),
                                             QRegularExpression::CaseInsensitiveOption);
        if (m_viaPonte && dati.match(r).hasMatch()) {
            sospesoNelLog();
            m_comandoSospeso = r;
            return;
        }
        riga(r, false);
    }

    // The command held for its reply goes in the log as libcurl sent it.
    void sospesoNelLog()
    {
        if (!m_comandoSospeso.isEmpty())
            riga(std::exchange(m_comandoSospeso, {}), false);
    }

    // A reply libcurl read from the relay that is not the server's as it
    // came: the log has what went to the server and came from it, and a
    // failure the relay met as the program's own line.
    void rispostaDelPonte(const QByteArray &r, const PonteFtp::Scambio &s)
    {
        const QString sospeso = std::exchange(m_comandoSospeso, {});
        const QString comando = s.comando.isEmpty() ? sospeso : QString::fromUtf8(s.comando);
        if (!s.nienteAlServer && !comando.isEmpty())
            riga(comando, false);
        if (!s.dalServer.isEmpty())
            riga(QString::fromUtf8(s.dalServer), true);
        if (s.propria) {
            riga(QStringLiteral("* ") + QString::fromUtf8(r.mid(4)), false);
            m_ultimaRisposta = QString::fromUtf8(r);
            m_rispostaPropria = true;
        }
    }

    // libcurl's side of the dialogue: the commands it sends and the replies
    // it reads, and nothing of its own informational text.
    static int debug(CURL *, curl_infotype tipo, char *dati, size_t n, void *io)
    {
        if (tipo != CURLINFO_HEADER_IN && tipo != CURLINFO_HEADER_OUT)
            return 0;
        auto *self = static_cast<FtpCurl *>(io);
        const QByteArray testo(dati, qsizetype(n));
        for (QByteArray r : testo.split('\n')) {
            if (r.endsWith('\r'))
                r.chop(1);
            if (r.isEmpty())
                continue;
            if (tipo == CURLINFO_HEADER_OUT) {
                self->comandoInviato(QString::fromUtf8(r));
                continue;
            }
            if (!self->m_copiaSaluto.isEmpty() && r == self->m_copiaSaluto) {
                // The relay's copy of the greeting the gateway's lines showed.
                self->m_copiaSaluto.clear();
                self->m_ultimaRisposta = QString::fromUtf8(r);
                self->m_rispostaPropria = false;
                continue;
            }
            if (self->m_viaPonte && self->m_ponte) {
                if (const std::optional<PonteFtp::Scambio> s = self->m_ponte->scambio(r)) {
                    self->rispostaDelPonte(r, *s);
                    continue;
                }
            }
            self->sospesoNelLog();
            self->riga(QString::fromUtf8(r), true);
        }
        return 0;
    }

    // A listing's lines, each cut to MassimaRigaElenco bytes: a server that
    // sends a line without end must not fill the memory (no real entry's
    // name comes near that length, so a cut one is never taken for a name).
    static constexpr qsizetype MassimaRigaElenco = 64 * 1024;

    static size_t scrivi(char *dati, size_t, size_t n, void *io)
    {
        auto *self = static_cast<FtpCurl *>(io);
        const char *p = dati, *const fine = dati + n;
        while (p < fine) {
            const auto *a = static_cast<const char *>(std::memchr(p, '\n', size_t(fine - p)));
            const char *stop = a ? a : fine;
            const qsizetype spazio = MassimaRigaElenco - self->m_restoElenco.size();
            if (spazio > 0)
                self->m_restoElenco.append(p, std::min(spazio, qsizetype(stop - p)));
            if (!a)
                break;
            self->rigaElencoRicevuta(self->m_restoElenco);
            self->m_restoElenco.clear();
            p = a + 1;
        }
        return n;
    }

    static size_t leggi(char *dest, size_t dimensione, size_t n, void *io)
    {
        auto *self = static_cast<FtpCurl *>(io);
        if (self->m_interrotto || !self->m_lettura)
            return CURL_READFUNC_ABORT;
        self->m_datiInviati = true;
        return self->m_lettura->leggi(dest, dimensione * n);
    }

    static int progresso(void *io, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<FtpCurl *>(io)->m_interrotto ? 1 : 0;
    }

    static curl_socket_t apriSocket(void *io, curlsocktype, curl_sockaddr *a)
    {
        auto *self = static_cast<FtpCurl *>(io);
        // The firewall's dialogue runs without the lock, which interrompi()
        // takes; it looks at the interruption every 100 ms.
        if (self->m_viaPonte && self->versoPonte(a) && !self->attraversaFirewall())
            return CURL_SOCKET_BAD;
        std::lock_guard lock(self->m_mutex);
        if (self->m_interrotto)
            return CURL_SOCKET_BAD;
        const curl_socket_t s = ::socket(a->family, a->socktype, a->protocol);
        if (s == CURL_SOCKET_BAD)
            return s;
        self->m_socket.insert(s);
        // Without a control connection, the first socket opened is the new one.
        if (self->m_presaControllo == CURL_SOCKET_BAD)
            self->m_presaControllo = s;
        return s;
    }

    static int chiudiSocket(void *io, curl_socket_t s)
    {
        auto *self = static_cast<FtpCurl *>(io);
        std::lock_guard lock(self->m_mutex);
        // A store that failed without the server's reply once its data went:
        // libcurl drops the control connection at once, while the reply that
        // says why (552, a full disk) may be on its way. The connection is
        // kept until the operation has read it. A control connection closed
        // before (one the server dropped, which libcurl replaces) says
        // nothing of the store.
        if (s == self->m_presaControllo) {
            self->m_presaControllo = CURL_SOCKET_BAD;
            if (self->m_op == Operazione::Invio && self->m_datiInviati && !self->m_interrotto && !self->m_chiuso) {
                self->m_controlloTenuto = s;
                return 0;
            }
        }
        self->m_socket.erase(s);
        return ::close(s);
    }

    // The reply of the server that was on its way when libcurl gave up a
    // store; the kept connection is closed.
    void rispostaTardiva(bool leggi)
    {
        curl_socket_t s = std::exchange(m_controlloTenuto, CURL_SOCKET_BAD);
        if (s == CURL_SOCKET_BAD)
            return;
        {
            std::lock_guard lock(m_mutex);
            m_socket.erase(s);
        }
        Presa presa([this] { return m_interrotto.load(); }, s);
        static const QRegularExpression finale(QStringLiteral("^[1-5]\\d\\d "));
        const int attesa = qMin(attese.risposta, 5000);
        QByteArray riga;
        while (leggi && presa.riga(riga, attesa) == EsitoPresa::Fatto) {
            const QString testo = QString::fromUtf8(riga);
            this->riga(testo, true);
            if (finale.match(testo).hasMatch() && testo[0] >= u'4') {
                m_codiceTardivo = testo.left(3).toInt();
                break;
            }
        }
    }

    CURLM *m_multi = nullptr;
    CURL *m_easy = nullptr;
    QStringList m_cartella;
    QString m_nome, m_comando, m_ultimaRisposta;
    bool m_rispostaPropria = false;  // m_ultimaRisposta was made by the relay
    QString m_ultimoComando;    // the last command libcurl sent
    QString m_comandoRisposto;  // the command m_ultimaRisposta answers
    QString m_comandoSospeso;   // a data connection's command, logged once its reply says what the server got
    bool m_notaSenza550 = false;  // a 550 reply gets no explanation line in the log (MKD)
    QByteArray m_copiaSaluto;  // the greeting the relay gives libcurl, until libcurl reads it
    bool m_accoda = false;
    bool m_soloNomi = false;
    Lettura *m_lettura = nullptr;
    QByteArray m_restoElenco;
    std::atomic_bool m_interrotto{false};
    std::mutex m_mutex;  // m_chiuso, m_socket, the m_ponte pointer
    bool m_chiuso = false;
    std::set<curl_socket_t> m_socket;
    std::unique_ptr<PonteFtp> m_ponte;
    bool m_viaPonte = false;  // the operation in progress goes through the relay
    // Why the firewall let no connection through, from libcurl's callback
    // to the operation's result.
    std::optional<RisultatoFtp> m_erroreFirewall;
    Operazione m_op = Operazione::Cartella;  // the operation in progress
    curl_socket_t m_presaControllo = CURL_SOCKET_BAD;  // the control connection, while it is open
    bool m_datiInviati = false;  // the store in progress has begun to send its data
    curl_socket_t m_controlloTenuto = CURL_SOCKET_BAD;  // kept past libcurl's close
    int m_codiceTardivo = 0;  // the server's reply read on the kept connection
};

} // namespace

std::unique_ptr<ComponenteFtp> CreaComponenteFtp()
{
    return std::make_unique<FtpCurl>();
}

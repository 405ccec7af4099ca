#include "firewallftp.h"

#include <QRegularExpression>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace {

using Orologio = std::chrono::steady_clock;

int millisecondiDa(Orologio::time_point fine)
{
    return int(std::max<qint64>(0, std::chrono::duration_cast<std::chrono::milliseconds>(fine - Orologio::now()).count()));
}

Orologio::time_point fraMs(int ms)
{
    return Orologio::now() + std::chrono::milliseconds(ms);
}

constexpr qsizetype LunghezzaMassimaRiga = 8192;

} // namespace

void senzaAttese(int fd)
{
    const int uno = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno);
}

Presa::Presa(std::function<bool()> fermo, int fd) : m_fermo(std::move(fermo)), m_fd(fd) {}

Presa::~Presa()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int Presa::rilascia()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

EsitoPresa Presa::attendi(short evento, int ms)
{
    const auto fine = fraMs(ms);
    for (;;) {
        if (m_fermo && m_fermo())
            return EsitoPresa::Fermato;
        const int resto = millisecondiDa(fine);
        pollfd p{m_fd, evento, 0};
        const int n = ::poll(&p, 1, std::min(resto, 100));
        if (n > 0)
            return EsitoPresa::Fatto;
        if (n < 0 && errno != EINTR)
            return EsitoPresa::Chiuso;
        if (resto == 0)
            return EsitoPresa::Scaduto;
    }
}

EsitoPresa Presa::connetti(const QString &host, int porta, int ms)
{
    const auto fine = fraMs(ms);
    addrinfo suggerimenti{};
    suggerimenti.ai_family = AF_UNSPEC;
    suggerimenti.ai_socktype = SOCK_STREAM;
    addrinfo *indirizzi = nullptr;
    QString nome = host;
    if (nome.startsWith(u'[') && nome.endsWith(u']'))
        nome = nome.mid(1, nome.size() - 2);
    if (nome.isEmpty()
        || ::getaddrinfo(nome.toUtf8().constData(), QByteArray::number(porta).constData(), &suggerimenti, &indirizzi) != 0)
        return EsitoPresa::HostSconosciuto;
    EsitoPresa esito = EsitoPresa::Irraggiungibile;
    for (addrinfo *a = indirizzi; a; a = a->ai_next) {
        sockaddr_storage indirizzo{};
        std::memcpy(&indirizzo, a->ai_addr, std::min<size_t>(a->ai_addrlen, sizeof indirizzo));
        esito = connetti(indirizzo, millisecondiDa(fine));
        if (esito == EsitoPresa::Fatto || esito == EsitoPresa::Fermato || esito == EsitoPresa::Scaduto)
            break;
    }
    ::freeaddrinfo(indirizzi);
    return esito;
}

EsitoPresa Presa::connetti(const sockaddr_storage &indirizzo, int ms)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = ::socket(indirizzo.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return EsitoPresa::Irraggiungibile;
    senzaAttese(m_fd);
    EsitoPresa esito = EsitoPresa::Fatto;
    if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&indirizzo), LunghezzaDi(indirizzo)) != 0)
        esito = errno == EINPROGRESS ? attendi(POLLOUT, ms) : EsitoPresa::Irraggiungibile;
    int errore = 0;
    socklen_t n = sizeof errore;
    if (esito == EsitoPresa::Fatto && (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &errore, &n) != 0 || errore != 0))
        esito = EsitoPresa::Irraggiungibile;
    if (esito != EsitoPresa::Fatto) {
        ::close(m_fd);
        m_fd = -1;
    }
    return esito;
}

EsitoPresa Presa::invia(const QByteArray &dati, int ms)
{
    const auto fine = fraMs(ms);
    qsizetype inviati = 0;
    while (inviati < dati.size()) {
        const ssize_t n = ::send(m_fd, dati.constData() + inviati, size_t(dati.size() - inviati), MSG_NOSIGNAL);
        if (n > 0) {
            inviati += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return EsitoPresa::Chiuso;
        if (const EsitoPresa e = attendi(POLLOUT, millisecondiDa(fine)); e != EsitoPresa::Fatto)
            return e;
    }
    return EsitoPresa::Fatto;
}

EsitoPresa Presa::leggiAncora(size_t massimo, std::chrono::steady_clock::time_point fine)
{
    for (;;) {
        char buffer[4096];
        const ssize_t letti = ::recv(m_fd, buffer, std::min(sizeof buffer, massimo), 0);
        if (letti > 0) {
            m_resto.append(buffer, letti);
            return EsitoPresa::Fatto;
        }
        if (letti == 0 || (errno != EAGAIN && errno != EINTR))
            return EsitoPresa::Chiuso;
        if (const EsitoPresa e = attendi(POLLIN, millisecondiDa(fine)); e != EsitoPresa::Fatto)
            return e;
    }
}

EsitoPresa Presa::ricevi(qsizetype n, QByteArray &dati, int ms)
{
    const auto fine = fraMs(ms);
    while (m_resto.size() < n)
        if (const EsitoPresa e = leggiAncora(size_t(n - m_resto.size()), fine); e != EsitoPresa::Fatto)
            return e;
    dati = m_resto.left(n);
    m_resto.remove(0, n);
    return EsitoPresa::Fatto;
}

EsitoPresa Presa::riga(QByteArray &testo, int ms)
{
    const auto fine = fraMs(ms);
    qsizetype fineRiga;
    // What follows the line stays in m_resto for the next read.
    while ((fineRiga = m_resto.indexOf('\n')) < 0) {
        if (m_resto.size() > LunghezzaMassimaRiga)
            return EsitoPresa::Chiuso;
        if (const EsitoPresa e = leggiAncora(4096, fine); e != EsitoPresa::Fatto)
            return e;
    }
    testo = m_resto.left(fineRiga);
    m_resto.remove(0, fineRiga + 1);
    if (testo.endsWith('\r'))
        testo.chop(1);
    return EsitoPresa::Fatto;
}

sockaddr_storage IndirizzoLocale(int fd)
{
    sockaddr_storage a{};
    socklen_t n = sizeof a;
    if (::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &n) != 0)
        a = {};
    return a;
}

sockaddr_storage IndirizzoRemoto(int fd)
{
    sockaddr_storage a{};
    socklen_t n = sizeof a;
    if (::getpeername(fd, reinterpret_cast<sockaddr *>(&a), &n) != 0)
        a = {};
    return a;
}

QString TestoIp(const sockaddr_storage &a)
{
    char testo[INET6_ADDRSTRLEN] = {};
    if (a.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 &>(a).sin6_addr, testo, sizeof testo);
    else
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in &>(a).sin_addr, testo, sizeof testo);
    return QString::fromLatin1(testo);
}

QString TestoIndirizzo(const sockaddr_storage &a)
{
    return (a.ss_family == AF_INET6 ? u'[' + TestoIp(a) + u']' : TestoIp(a)) + u':' + QString::number(PortaDi(a));
}

int PortaDi(const sockaddr_storage &a)
{
    return ntohs(a.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6 &>(a).sin6_port
                                         : reinterpret_cast<const sockaddr_in &>(a).sin_port);
}

void ImpostaPorta(sockaddr_storage &a, int porta)
{
    if (a.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6 &>(a).sin6_port = htons(quint16(porta));
    else
        reinterpret_cast<sockaddr_in &>(a).sin_port = htons(quint16(porta));
}

socklen_t LunghezzaDi(const sockaddr_storage &a)
{
    return a.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
}

QString HostPerFirewall(const QString &host, int porta)
{
    if (porta == 21)
        return host;
    const bool ipv6 = host.count(u':') > 1 && !host.startsWith(u'[');
    return (ipv6 ? u'[' + host + u']' : host) + u':' + QString::number(porta);
}

namespace {

// What a failed step says, naming the firewall.
RisultatoFtp guasto(EsitoPresa e, const QString &chi, int porta)
{
    switch (e) {
    case EsitoPresa::Fermato:
        return {CodiceFtp::Interrotto, QStringLiteral("Operazione annullata."), {}};
    case EsitoPresa::Scaduto:
        return {CodiceFtp::TempoScaduto, QStringLiteral("Il firewall '%1' non risponde: tempo scaduto.").arg(chi), {}};
    case EsitoPresa::HostSconosciuto:
        return {CodiceFtp::Connessione,
                QStringLiteral("Impossibile trovare il firewall '%1': controllare il nome del firewall nelle "
                               "impostazioni FTP avanzate.")
                    .arg(chi),
                {}};
    case EsitoPresa::Irraggiungibile:
        return {CodiceFtp::Connessione,
                QStringLiteral("Impossibile connettersi al firewall '%1' sulla porta %2: controllare il nome e la porta "
                               "del firewall nelle impostazioni FTP avanzate.")
                    .arg(chi)
                    .arg(porta),
                {}};
    case EsitoPresa::Chiuso:
    case EsitoPresa::Fatto:
        break;
    }
    return {CodiceFtp::Connessione, QStringLiteral("Il firewall '%1' ha chiuso la connessione.").arg(chi), {}};
}

// What the two dialogues share: the connection to the firewall, and what
// a step's end means.
class Dialogo {
public:
    Dialogo(const DatiFirewall &d, Presa &p) : m_d(d), m_p(p), m_chi(d.firewall.host.trimmed()) {}

    // The firewall's name as the messages give it.
    const QString &chi() const { return m_chi; }

    // cosa: what the firewall is, for the log.
    RisultatoFtp connetti(const QString &cosa)
    {
        if (m_d.riga)
            m_d.riga(QStringLiteral("* Connessione al %1 %2 sulla porta %3").arg(cosa, m_chi).arg(m_d.firewall.porta));
        return esito(m_p.connetti(m_chi, m_d.firewall.porta, m_d.attese.connessione));
    }

protected:
    RisultatoFtp esito(EsitoPresa e) const
    {
        return e == EsitoPresa::Fatto ? RisultatoFtp() : guasto(e, m_chi, m_d.firewall.porta);
    }

    const DatiFirewall &m_d;
    Presa &m_p;
    QString m_chi;
};

class DialogoFtp : public Dialogo {
public:
    using Dialogo::Dialogo;

    // Sends one command and reads its reply, past any preliminary one.
    RisultatoFtp comando(const QString &testo, RispostaFirewall &r)
    {
        if (m_d.riga)
            m_d.riga(RigaProtocolloVisibile(testo));
        if (RisultatoFtp g = esito(m_p.invia(testo.toUtf8() + "\r\n", m_d.attese.risposta)); !g.riuscito())
            return g;
        return risposta(r);
    }

    RisultatoFtp risposta(RispostaFirewall &r)
    {
        for (int preliminari = 0; preliminari < 10; ++preliminari) {
            r = {};
            if (RisultatoFtp g = una(r); !g.riuscito() || r.codice >= 200)
                return g;
        }
        return nonValida(r.ultima());
    }

private:
    // riga: the reply's line that shows it, when one does.
    RisultatoFtp nonValida(const QString &riga) const
    {
        return {CodiceFtp::Altro, QStringLiteral("Il firewall '%1' ha dato una risposta non valida.").arg(m_chi), riga,
                RisultatoFtp::Fonte::Firewall};
    }

    // One reply, of one line ("220 Pronto") or more ("220-Benvenuto" ...
    // "220 Pronto").
    RisultatoFtp una(RispostaFirewall &r)
    {
        static const QRegularExpression inizio(QStringLiteral("^([1-5]\\d\\d)([ -]|$)"));
        QString codice;
        bool altre = true;
        while (altre) {
            QByteArray byte;
            if (RisultatoFtp g = esito(m_p.riga(byte, m_d.attese.risposta)); !g.riuscito())
                return g;
            const QString testo = QString::fromUtf8(byte);
            if (m_d.riga)
                m_d.riga(testo);
            r.righe << testo;
            const QRegularExpressionMatch m = inizio.match(testo);
            if (codice.isEmpty()) {
                if (!m.hasMatch())
                    return nonValida(testo);
                codice = m.captured(1);
                altre = m.captured(2) == QLatin1String("-");
            } else {
                altre = !(m.hasMatch() && m.captured(1) == codice && m.captured(2) != QLatin1String("-"));
            }
            if (r.righe.size() > 1000)
                return nonValida({});
        }
        r.codice = codice.toInt();
        return {};
    }
};

// The firewall did not reach the server it was asked for (riga: its reply).
RisultatoFtp NonCollegato(const QString &chi, const QString &server, int codice, const QString &riga)
{
    return {CodiceFtp::Risposta + codice,
            QStringLiteral("Il firewall '%1' non si è collegato al server '%2': controllare il nome dell'host nella "
                           "scheda \"Internet\" e la porta FTP nelle impostazioni avanzate.")
                .arg(chi, server),
            riga, RisultatoFtp::Fonte::Firewall};
}

// The server the firewall reached refused the session at once (421, its
// greeting: busy, or too many connections); the firewall passed it on.
RisultatoFtp ServerOccupato(const QString &server, const QString &riga)
{
    return {CodiceFtp::Risposta + 421,
            QStringLiteral("Il server '%1' ha chiuso la connessione (servizio non disponibile o troppi collegamenti): "
                           "riprovare più tardi.")
                .arg(server),
            riga, RisultatoFtp::Fonte::Server};
}

const char *VerboFirewall(int tipo)
{
    switch (static_cast<TipoFirewall>(tipo)) {
    case TipoFirewall::ProxySite:
        return "SITE";
    case TipoFirewall::ProxyProxy:
        return "PROXY";
    default:
        return "OPEN";
    }
}

} // namespace

RisultatoFtp AccessoFirewall(const DatiFirewall &d, Presa &presa, RispostaFirewall &saluto)
{
    for (const auto &[testo, cosa] : {std::pair{d.firewall.user, QStringLiteral("Il nome utente del firewall")},
                                      std::pair{d.firewall.password, QStringLiteral("La password del firewall")},
                                      std::pair{d.host, QStringLiteral("Il nome dell'host")}})
        if (RisultatoFtp r = ControllaTestoComando(testo, cosa); !r.riuscito())
            return r;
    DialogoFtp dialogo(d, presa);
    if (RisultatoFtp r = dialogo.connetti(QStringLiteral("firewall")); !r.riuscito())
        return r;
    const QString &chi = dialogo.chi();
    RispostaFirewall r;
    if (RisultatoFtp g = dialogo.risposta(r); !g.riuscito())
        return g;
    if (r.codice >= 300)
        return {CodiceFtp::Risposta + r.codice, QStringLiteral("Il firewall '%1' non ha accettato la connessione.").arg(chi),
                r.ultima(), RisultatoFtp::Fonte::Firewall};
    if (!d.firewall.user.isEmpty()) {
        if (RisultatoFtp g = dialogo.comando(QStringLiteral("USER ") + d.firewall.user, r); !g.riuscito())
            return g;
        if (r.codice == 331 || r.codice == 332)
            if (RisultatoFtp g = dialogo.comando(QStringLiteral("PASS ") + d.firewall.password, r); !g.riuscito())
                return g;
        if (r.codice >= 300)
            return {CodiceFtp::Risposta + r.codice,
                    QStringLiteral("Il firewall '%1' ha rifiutato l'accesso: controllare il nome utente e la password del "
                                   "firewall nelle impostazioni FTP avanzate.")
                        .arg(chi),
                    r.ultima(), RisultatoFtp::Fonte::Firewall};
    }
    const QString server = HostPerFirewall(d.host, d.porta);
    if (RisultatoFtp g = dialogo.comando(QLatin1String(VerboFirewall(d.firewall.tipo)) + u' ' + server, r); !g.riuscito())
        return g;
    // A gateway that wants its own login first refuses the command as one
    // not logged in: the firewall's account is at fault, not the host name.
    if (r.codice == 530 || r.codice == 532 || r.codice == 332)
        return {CodiceFtp::Risposta + r.codice,
                d.firewall.user.isEmpty()
                    ? QStringLiteral("Il firewall '%1' chiede un accesso che non è stato indicato: inserire il nome utente "
                                     "e la password del firewall nelle impostazioni FTP avanzate.")
                          .arg(chi)
                    : QStringLiteral("Il firewall '%1' non ha permesso il collegamento al server '%2' con l'accesso "
                                     "indicato: controllare il nome utente e la password del firewall nelle impostazioni "
                                     "FTP avanzate.")
                          .arg(chi, server),
                r.ultima(), RisultatoFtp::Fonte::Firewall};
    // The gateway answers the command with the server's greeting: a 421
    // there is the server's refusal of the session, not the gateway's.
    if (r.codice == 421)
        return ServerOccupato(server, r.ultima());
    if (r.codice >= 300)
        return NonCollegato(chi, server, r.codice, r.ultima());
    saluto = r;
    return {};
}

RisultatoFtp ConnessioneFirewall(const DatiFirewall &d, Presa &presa)
{
    return Dialogo(d, presa).connetti(QStringLiteral("firewall"));
}

RisultatoFtp RifiutoUtenteAlFirewall(const DatiFirewall &d, const QString &comando, int codice, const QString &riga)
{
    const QString chi = d.firewall.host.trimmed();
    const QString server = HostPerFirewall(d.host, d.porta);
    if (codice == 421)
        return ServerOccupato(server, riga);
    if (codice >= 500 && codice <= 504)
        return {CodiceFtp::Risposta + codice,
                QStringLiteral("Il firewall '%1' non accetta il nome del server insieme al nome utente (%2): "
                               "controllare il tipo di firewall nelle impostazioni FTP avanzate.")
                    .arg(chi, comando),
                riga, RisultatoFtp::Fonte::Firewall};
    return NonCollegato(chi, server, codice, riga);
}

namespace {

// The Socks proxy's part, step by step.
class DialogoSocks : public Dialogo {
public:
    using Dialogo::Dialogo;

    // CONNECT (1) or BIND (2) to the server; a BIND names no port, as the
    // server's data connection comes from a port of its choosing.
    RisultatoFtp richiesta(int comando, const sockaddr_storage &server, sockaddr_storage &indirizzo)
    {
        const int porta = comando == 1 ? m_d.porta : 0;
        if (m_d.firewall.tipo == int(TipoFirewall::Socks4))
            return richiesta4(comando, server, porta, indirizzo);
        if (RisultatoFtp r = accesso5(); !r.riuscito())
            return r;
        const QByteArray host = m_d.host.toUtf8();
        if (host.isEmpty() || host.size() > 255)
            return {CodiceFtp::Connessione, QStringLiteral("Nome dell'host non valido."), {}};
        QByteArray dati("\x05", 1);
        dati += char(comando);
        dati += '\0';
        dati += '\x03';
        dati += char(host.size());
        dati += host;
        dati += char(porta >> 8);
        dati += char(porta & 0xff);
        if (RisultatoFtp r = scrivi(dati); !r.riuscito())
            return r;
        return risposta5(comando, indirizzo);
    }

    // A BIND's second reply: the server has connected.
    RisultatoFtp secondaRisposta()
    {
        sockaddr_storage da{};
        if (m_d.firewall.tipo == int(TipoFirewall::Socks4))
            return risposta4(2, da);
        return risposta5(2, da);
    }

private:
    RisultatoFtp scrivi(const QByteArray &dati) { return esito(m_p.invia(dati, m_d.attese.risposta)); }
    RisultatoFtp leggi(qsizetype n, QByteArray &dati, int ms) { return esito(m_p.ricevi(n, dati, ms)); }

    RisultatoFtp nonSocks() const
    {
        return {CodiceFtp::Connessione,
                QStringLiteral("Il firewall '%1' non risponde come un proxy Socks %2: controllare il tipo e la porta del "
                               "firewall nelle impostazioni FTP avanzate.")
                    .arg(m_chi)
                    .arg(m_d.firewall.tipo == int(TipoFirewall::Socks4) ? 4 : 5),
                {}};
    }

    // The greeting and, when the proxy wants it, the user name and password.
    RisultatoFtp accesso5()
    {
        const bool conUtente = !m_d.firewall.user.isEmpty();
        if (RisultatoFtp r = scrivi(conUtente ? QByteArray("\x05\x02\x00\x02", 4) : QByteArray("\x05\x01\x00", 3));
            !r.riuscito())
            return r;
        QByteArray scelta;
        if (RisultatoFtp r = leggi(2, scelta, m_d.attese.risposta); !r.riuscito())
            return r;
        if (scelta[0] != 5)
            return nonSocks();
        if (scelta[1] == '\0')
            return {};
        if (scelta[1] != '\x02' || !conUtente)
            return {CodiceFtp::Connessione,
                    QStringLiteral("Il proxy Socks '%1' chiede un accesso che non è stato indicato: inserire il nome "
                                   "utente e la password del firewall nelle impostazioni FTP avanzate.")
                        .arg(m_chi),
                    {}};
        const QByteArray utente = m_d.firewall.user.toUtf8(), password = m_d.firewall.password.toUtf8();
        if (utente.size() > 255 || password.size() > 255)
            return {CodiceFtp::Connessione,
                    QStringLiteral("Il nome utente e la password del firewall non possono superare 255 caratteri."), {}};
        if (RisultatoFtp r = scrivi(QByteArray("\x01", 1) + char(utente.size()) + utente + char(password.size()) + password);
            !r.riuscito())
            return r;
        QByteArray esito;
        if (RisultatoFtp r = leggi(2, esito, m_d.attese.risposta); !r.riuscito())
            return r;
        if (esito[1] != '\0')
            return {CodiceFtp::Connessione,
                    QStringLiteral("Il proxy Socks '%1' ha rifiutato l'accesso: controllare il nome utente e la password "
                                   "del firewall nelle impostazioni FTP avanzate.")
                        .arg(m_chi),
                    {}};
        return {};
    }

    RisultatoFtp rifiuto(int comando, const QString &motivo) const
    {
        const QString server = HostPerFirewall(m_d.host, m_d.porta);
        return {CodiceFtp::Connessione,
                comando == 1
                    ? QStringLiteral("Il proxy Socks '%1' non si è collegato al server '%2' (%3): controllare il nome "
                                     "dell'host nella scheda \"Internet\" e la porta FTP nelle impostazioni avanzate.")
                          .arg(m_chi, server, motivo)
                    : QStringLiteral("Il proxy Socks '%1' non ha aperto la connessione attiva dei dati (%2): scegliere "
                                     "la connessione passiva nelle impostazioni FTP avanzate.")
                          .arg(m_chi, motivo),
                {}};
    }

    RisultatoFtp risposta5(int comando, sockaddr_storage &indirizzo)
    {
        QByteArray testa;
        if (RisultatoFtp r = leggi(4, testa, m_d.attese.risposta); !r.riuscito())
            return r;
        if (testa[0] != 5)
            return nonSocks();
        static const char *motivi[] = {"",
                                       "errore del proxy",
                                       "non permesso dalle regole del proxy",
                                       "rete non raggiungibile",
                                       "host non raggiungibile",
                                       "connessione rifiutata",
                                       "tempo scaduto",
                                       "comando non supportato",
                                       "tipo di indirizzo non supportato"};
        const int codice = quint8(testa[1]);
        if (codice != 0)
            return rifiuto(comando, codice < 9 ? QString::fromUtf8(motivi[codice]) : QStringLiteral("errore %1").arg(codice));
        QByteArray dati;
        const int tipo = quint8(testa[3]);
        qsizetype lunghezza = tipo == 1 ? 4 : tipo == 4 ? 16 : 0;
        if (tipo == 3) {
            if (RisultatoFtp r = leggi(1, dati, m_d.attese.risposta); !r.riuscito())
                return r;
            lunghezza = quint8(dati[0]);
        } else if (lunghezza == 0) {
            return nonSocks();
        }
        if (RisultatoFtp r = leggi(lunghezza + 2, dati, m_d.attese.risposta); !r.riuscito())
            return r;
        indirizzo = {};
        if (tipo == 1) {
            auto &v4 = reinterpret_cast<sockaddr_in &>(indirizzo);
            v4.sin_family = AF_INET;
            memcpy(&v4.sin_addr, dati.constData(), 4);
        } else if (tipo == 4) {
            auto &v6 = reinterpret_cast<sockaddr_in6 &>(indirizzo);
            v6.sin6_family = AF_INET6;
            memcpy(&v6.sin6_addr, dati.constData(), 16);
        } else {
            // A name: the proxy's own address stands for it.
            indirizzo = IndirizzoRemoto(m_p.fd());
        }
        ImpostaPorta(indirizzo, quint8(dati[lunghezza]) << 8 | quint8(dati[lunghezza + 1]));
        return {};
    }

    RisultatoFtp richiesta4(int comando, const sockaddr_storage &server, int porta, sockaddr_storage &indirizzo)
    {
        if (server.ss_family != AF_INET)
            return {CodiceFtp::Connessione,
                    QStringLiteral("Il proxy Socks 4 raggiunge solo indirizzi IPv4: il server '%1' non ne ha.").arg(m_d.host),
                    {}};
        QByteArray dati("\x04", 1);
        dati += char(comando);
        dati += char(porta >> 8);
        dati += char(porta & 0xff);
        dati += QByteArray(reinterpret_cast<const char *>(&reinterpret_cast<const sockaddr_in &>(server).sin_addr), 4);
        dati += m_d.firewall.user.toUtf8();
        dati += '\0';
        if (RisultatoFtp r = scrivi(dati); !r.riuscito())
            return r;
        return risposta4(comando, indirizzo);
    }

    RisultatoFtp risposta4(int comando, sockaddr_storage &indirizzo)
    {
        QByteArray dati;
        if (RisultatoFtp r = leggi(8, dati, m_d.attese.risposta); !r.riuscito())
            return r;
        if (dati[0] != 0 && dati[0] != 4)
            return nonSocks();
        const int codice = quint8(dati[1]);
        if (codice != 90)
            return rifiuto(comando, codice == 91 ? QStringLiteral("richiesta rifiutata")
                                                 : QStringLiteral("utente non riconosciuto dal proxy"));
        indirizzo = {};
        auto &v4 = reinterpret_cast<sockaddr_in &>(indirizzo);
        v4.sin_family = AF_INET;
        memcpy(&v4.sin_addr, dati.constData() + 4, 4);
        ImpostaPorta(indirizzo, quint8(dati[2]) << 8 | quint8(dati[3]));
        return {};
    }

};

// An address that means "any": the proxy's own stands for it.
bool Qualsiasi(const sockaddr_storage &a)
{
    if (a.ss_family == AF_INET)
        return reinterpret_cast<const sockaddr_in &>(a).sin_addr.s_addr == htonl(INADDR_ANY);
    if (a.ss_family == AF_INET6)
        return IN6_IS_ADDR_UNSPECIFIED(&reinterpret_cast<const sockaddr_in6 &>(a).sin6_addr);
    return true;
}

// The server's IPv4 address, which Socks 4 needs (the name is resolved
// here, as Socks 4 cannot carry it).
RisultatoFtp IndirizzoServer4(const DatiFirewall &d, sockaddr_storage &server)
{
    addrinfo suggerimenti{};
    suggerimenti.ai_family = AF_INET;
    suggerimenti.ai_socktype = SOCK_STREAM;
    addrinfo *indirizzi = nullptr;
    if (::getaddrinfo(d.host.toUtf8().constData(), QByteArray::number(d.porta).constData(), &suggerimenti, &indirizzi)
            != 0
        || !indirizzi)
        return {CodiceFtp::Connessione,
                QStringLiteral("Impossibile trovare il server '%1': il proxy Socks 4 '%2' raggiunge un server solo per "
                               "indirizzo IPv4, e il nome non ne dà uno. Controllare il nome dell'host nella scheda "
                               "\"Internet\" o scegliere \"Socks 5\" nelle impostazioni FTP avanzate.")
                    .arg(d.host, d.firewall.host.trimmed()),
                {}};
    server = {};
    memcpy(&server, indirizzi->ai_addr, indirizzi->ai_addrlen);
    ::freeaddrinfo(indirizzi);
    return {};
}

// One request to the Socks proxy for the server the settings name: CONNECT
// (1) or BIND (2), with the address the proxy answers.
RisultatoFtp RichiestaSocks(const DatiFirewall &d, Presa &presa, int comando, sockaddr_storage &indirizzo)
{
    sockaddr_storage server{};
    if (d.firewall.tipo == int(TipoFirewall::Socks4))
        if (RisultatoFtp r = IndirizzoServer4(d, server); !r.riuscito())
            return r;
    DialogoSocks dialogo(d, presa);
    if (RisultatoFtp r = dialogo.connetti(QStringLiteral("proxy Socks")); !r.riuscito())
        return r;
    indirizzo = {};
    return dialogo.richiesta(comando, server, indirizzo);
}

} // namespace

RisultatoFtp ConnessioneSocks(const DatiFirewall &d, Presa &presa)
{
    if (RisultatoFtp r = ControllaTestoComando(d.host, QStringLiteral("Il nome dell'host")); !r.riuscito())
        return r;
    sockaddr_storage legato{};
    return RichiestaSocks(d, presa, 1, legato);
}

RisultatoFtp AttesaSocks(const DatiFirewall &d, Presa &presa, sockaddr_storage &indirizzo)
{
    if (RisultatoFtp r = RichiestaSocks(d, presa, 2, indirizzo); !r.riuscito())
        return r;
    if (Qualsiasi(indirizzo)) {
        const int porta = PortaDi(indirizzo);
        indirizzo = IndirizzoRemoto(presa.fd());
        ImpostaPorta(indirizzo, porta);
    }
    return {};
}

RisultatoFtp ArrivoSocks(const DatiFirewall &d, Presa &presa)
{
    return DialogoSocks(d, presa).secondaRisposta();
}

#include "ponteftp.h"

#include <QRegularExpression>
#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <netdb.h>
#include <optional>
#include <poll.h>
#include <utility>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// Bytes held for a slow end before the other end is read no more.
constexpr qsizetype Pieno = 256 * 1024;
// A command or reply line longer than this is passed on as it stands.
constexpr qsizetype RigaMassima = 64 * 1024;

void chiudiFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool stessoHost(const sockaddr_storage &x, const sockaddr_storage &y)
{
    if (x.ss_family != y.ss_family)
        return false;
    if (x.ss_family == AF_INET)
        return reinterpret_cast<const sockaddr_in &>(x).sin_addr.s_addr
            == reinterpret_cast<const sockaddr_in &>(y).sin_addr.s_addr;
    return x.ss_family == AF_INET6
        && IN6_ARE_ADDR_EQUAL(&reinterpret_cast<const sockaddr_in6 &>(x).sin6_addr,
                              &reinterpret_cast<const sockaddr_in6 &>(y).sin6_addr);
}

bool loopback(const sockaddr_storage &a)
{
    if (a.ss_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in &>(a).sin_addr.s_addr) >> 24) == 127;
    return a.ss_family == AF_INET6 && IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6 &>(a).sin6_addr);
}

// The words of an address as /proc/net/tcp and tcp6 print it: each 32-bit
// word of the address as stored, in hexadecimal, then ":" and the port.
QByteArray comeNelKernel(const sockaddr_storage &a)
{
    QByteArray testo;
    const auto parola = [&](const void *p) {
        quint32 w;
        std::memcpy(&w, p, sizeof w);
        testo += QByteArray::number(w, 16).rightJustified(8, '0').toUpper();
    };
    if (a.ss_family == AF_INET) {
        parola(&reinterpret_cast<const sockaddr_in &>(a).sin_addr);
    } else if (a.ss_family == AF_INET6) {
        const auto *b = reinterpret_cast<const sockaddr_in6 &>(a).sin6_addr.s6_addr;
        for (int i = 0; i < 16; i += 4)
            parola(b + i);
    }
    return testo + ':' + QByteArray::number(PortaDi(a), 16).rightJustified(4, '0').toUpper();
}

// The inode of the socket at one end of a TCP connection, from the kernel's
// table of connections, whose line names that end's address first and then
// the other's. The table is read only as far as that line. Empty when no
// line names the connection; nullopt when the table cannot be read.
std::optional<QByteArray> inodeDi(const sockaddr_storage &da, const sockaddr_storage &verso)
{
    const int fd = ::open(da.ss_family == AF_INET6 ? "/proc/net/tcp6" : "/proc/net/tcp", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const QByteArray cercata = ' ' + comeNelKernel(da) + ' ' + comeNelKernel(verso) + ' ';
    QByteArray righe;  // what has been read and not yet searched
    char pezzo[16384];
    ssize_t n;
    while ((n = ::read(fd, pezzo, sizeof pezzo)) > 0) {
        righe.append(pezzo, n);
        const qsizetype intere = righe.lastIndexOf('\n') + 1;
        const qsizetype trovata = QByteArrayView(righe).first(intere).indexOf(cercata);
        if (trovata >= 0) {
            ::close(fd);
            // After the two addresses: the state, the queues, the timer,
            // the retransmits, the user, the timeout and the inode.
            const qsizetype inizio = trovata + cercata.size();
            const QList<QByteArray> campi = righe.mid(inizio, righe.indexOf('\n', inizio) - inizio).simplified().split(' ');
            return campi.size() > 6 ? campi[6] : QByteArray();
        }
        righe.remove(0, intere);
    }
    ::close(fd);
    if (n < 0)
        return std::nullopt;
    return QByteArray();
}

// True when the other end of a loopback connection is a socket of this
// process. The relay's ports are open to every program of the machine: one
// that connected first would be handed the server's session, logged in.
// Where the kernel's table of connections or this process's sockets cannot
// be read there is nothing to check against, and the connection is taken.
bool daQuestoProcesso(int fd)
{
    const sockaddr_storage qui = IndirizzoLocale(fd), altro = IndirizzoRemoto(fd);
    if (qui.ss_family == AF_UNSPEC || altro.ss_family == AF_UNSPEC)
        return false;
    const std::optional<QByteArray> inode = inodeDi(altro, qui);
    if (!inode)
        return true;
    if (inode->isEmpty() || *inode == "0")
        return false;
    const QByteArray cercato = "socket:[" + *inode + ']';
    DIR *d = ::opendir("/proc/self/fd");
    if (!d)
        return true;
    bool trovato = false;
    while (const dirent *e = ::readdir(d)) {
        char dove[64] = {};
        const QByteArray percorso = QByteArray("/proc/self/fd/") + e->d_name;
        const ssize_t k = ::readlink(percorso.constData(), dove, sizeof dove - 1);
        if (k > 0 && QByteArrayView(dove, k) == cercato) {
            trovato = true;
            break;
        }
    }
    ::closedir(d);
    return trovato;
}

// A listening socket on the address given, at a port of the system's
// choosing; -1 when it cannot be made.
int ascolta(sockaddr_storage &dove)
{
    ImpostaPorta(dove, 0);
    const int fd = ::socket(dove.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&dove), LunghezzaDi(dove)) != 0 || ::listen(fd, 4) != 0
        || (dove = IndirizzoLocale(fd)).ss_family == AF_UNSPEC) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// The address of a "PORT h1,h2,h3,h4,p1,p2" or "EPRT |1|host|port|"
// argument; false when it is not one.
bool leggiIndirizzo(const QByteArray &comando, const QByteArray &argomento, sockaddr_storage &a)
{
    a = {};
    QByteArray ip;
    int porta = -1;
    if (comando == "PORT") {
        const QList<QByteArray> n = argomento.trimmed().split(',');
        if (n.size() != 6)
            return false;
        ip = n[0] + '.' + n[1] + '.' + n[2] + '.' + n[3];
        bool ok1 = false, ok2 = false;
        porta = n[4].toInt(&ok1) * 256 + n[5].toInt(&ok2);
        if (!ok1 || !ok2)
            return false;
    } else {
        const QByteArray t = argomento.trimmed();
        if (t.isEmpty())
            return false;
        const QList<QByteArray> n = t.split(t[0]);
        if (n.size() != 5)
            return false;
        ip = n[2];
        bool ok = false;
        porta = n[3].toInt(&ok);
        if (!ok)
            return false;
    }
    if (porta <= 0 || porta > 65535)
        return false;
    auto &v4 = reinterpret_cast<sockaddr_in &>(a);
    auto &v6 = reinterpret_cast<sockaddr_in6 &>(a);
    if (::inet_pton(AF_INET, ip.constData(), &v4.sin_addr) == 1)
        a.ss_family = AF_INET;
    else if (::inet_pton(AF_INET6, ip.constData(), &v6.sin6_addr) == 1)
        a.ss_family = AF_INET6;
    else
        return false;
    ImpostaPorta(a, porta);
    return true;
}

QByteArray comandoAttivo(bool port, const sockaddr_storage &a)
{
    const int porta = PortaDi(a);
    const QByteArray ip = TestoIp(a).toLatin1();
    if (port && a.ss_family == AF_INET)
        return "PORT " + QByteArray(ip).replace('.', ',') + ',' + QByteArray::number(porta >> 8) + ','
            + QByteArray::number(porta & 0xff) + "\r\n";
    return "EPRT |" + QByteArray(a.ss_family == AF_INET6 ? "2" : "1") + '|' + ip + '|'
        + QByteArray::number(porta) + "|\r\n";
}

// A final reply line: three digits and a space.
bool rigaFinale(const QByteArray &riga)
{
    return riga.size() >= 4 && std::isdigit(uchar(riga[0])) && std::isdigit(uchar(riga[1]))
        && std::isdigit(uchar(riga[2])) && riga[3] == ' ';
}

// The IPv4 address of a "227" reply's first four numbers.
sockaddr_storage indirizzo227(const QRegularExpressionMatch &m)
{
    sockaddr_storage a{};
    auto &v4 = reinterpret_cast<sockaddr_in &>(a);
    quint32 ip = 0;
    for (int i = 1; i <= 4; ++i) {
        const int n = m.captured(i).toInt();
        if (n > 255)
            return {};
        ip = ip << 8 | quint32(n);
    }
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(ip);
    return a;
}

// A passive reply's address: a "227"'s six numbers, a "229"'s port.
QRegularExpressionMatch LetturaPassiva(const QByteArray &riga)
{
    static const QRegularExpression pasv(
        QStringLiteral("(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)"));
    static const QRegularExpression epsv(QStringLiteral("\\((.)\\1\\1(\\d+)\\1\\)"));
    return (riga.startsWith("229") ? epsv : pasv).match(QString::fromLatin1(riga));
}

// The port a passive reply names (m: its address), 0 when it names none
// that can be read: a number beyond a byte in a "227", beyond 16 bits in
// a "229", or a port of 0.
int portaPassiva(const QRegularExpressionMatch &m, bool da229)
{
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    if (da229) {
        const uint porta = m.captured(2).toUInt(&ok);
        return ok && porta <= 65535 ? int(porta) : 0;
    }
    for (int i = 1; i <= 6; ++i)
        if (m.captured(i).toUInt(&ok) > 255 || !ok)
            return 0;
    return m.captured(5).toInt() * 256 + m.captured(6).toInt();
}

} // namespace

int PortaRispostaPassiva(const QByteArray &riga)
{
    return portaPassiva(LetturaPassiva(riga), riga.startsWith("229"));
}

// The socket that waits for one data connection.
struct PonteFtp::Appuntamento {
    int attesa = -1;          // a listening socket, or a Socks proxy's BIND
    bool socks = false;
    bool perLibcurl = false;  // passive: libcurl connects to attesa; pronto is the firewall's end
    int pronto = -1;
    sockaddr_storage verso{};  // active: libcurl's own port

    void chiudi()
    {
        chiudiFd(attesa);
        chiudiFd(pronto);
        socks = perLibcurl = false;
    }
    ~Appuntamento() { chiudi(); }
};

// Two ends joined: a is libcurl's, b the firewall's. A control connection
// is passed on line by line, a data connection as it comes.
struct PonteFtp::Tubo {
    int a = -1, b = -1;
    QByteArray versoA, versoB;       // bytes waiting to be written to a, to b
    bool fineA = false, fineB = false;      // the end has sent all it will
    bool chiusoA = false, chiusoB = false;  // the end has been told so
    bool guasto = false;
    bool controllo = false;
    QByteArray rigaA, rigaB;  // the unfinished line from a, from b
    sockaddr_storage firewall{}, locale{};  // b's two ends
    Appuntamento app;
    bool epsv = false;  // libcurl's EPSV went to the server as PASV; its reply is awaited
    QByteArray tradotto;  // the command the relay sent in libcurl's place, whose reply is awaited
    // The server's own addresses (its name resolved here), once looked up.
    std::optional<std::vector<sockaddr_storage>> server;

    ~Tubo()
    {
        chiudiFd(a);
        chiudiFd(b);
    }
    bool finito() const { return guasto || (chiusoA && chiusoB); }
};

PonteFtp::PonteFtp() = default;

PonteFtp::~PonteFtp()
{
    chiudi();
    if (m_thread.joinable())
        m_thread.join();
    chiudiFd(m_ascolto);
    chiudiFd(m_sveglia);
    for (auto &[fd, saluto] : m_consegne)
        chiudiFd(fd);
}

bool PonteFtp::avvia(QString *errore)
{
    auto &v4 = reinterpret_cast<sockaddr_in &>(m_indirizzo);
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_ascolto = ascolta(m_indirizzo);
    m_sveglia = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_ascolto < 0 || m_sveglia < 0) {
        if (errore)
            *errore = QStringLiteral("Impossibile preparare la connessione attraverso il firewall: %1")
                          .arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_thread = std::thread([this] { ciclo(); });
    return true;
}

void PonteFtp::imposta(const DatiFirewall &d)
{
    std::lock_guard lock(m_mutex);
    m_dati = d;
    m_dati.fermo = [this] { return m_fine.load(); };
    m_dati.riga = nullptr;  // the log belongs to the component's thread
}

DatiFirewall PonteFtp::dati()
{
    std::lock_guard lock(m_mutex);
    return m_dati;
}

void PonteFtp::consegna(int fd, const QByteArray &saluto)
{
    {
        std::lock_guard lock(m_mutex);
        m_consegne.emplace_back(fd, saluto);
    }
    const quint64 uno = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_sveglia, &uno, sizeof uno);
}

QByteArray PonteFtp::registra(const QByteArray &riga, const Scambio &s)
{
    const QByteArray senzaFine = riga.endsWith("\r\n") ? riga.chopped(2) : riga;
    std::lock_guard lock(m_mutex);
    m_scambi.emplace_back(senzaFine, s);
    // The component looks each one up as libcurl reads it; a few suffice.
    while (m_scambi.size() > 16)
        m_scambi.pop_front();
    return senzaFine + "\r\n";
}

QByteArray PonteFtp::rispostaPropria(int codice, QString testo, Scambio s)
{
    for (QChar &c : testo)
        if (c.unicode() < 0x20)
            c = u' ';
    s.propria = true;
    return registra(QByteArray::number(codice) + ' ' + testo.toUtf8(), s);
}

std::optional<PonteFtp::Scambio> PonteFtp::scambio(const QByteArray &riga)
{
    std::lock_guard lock(m_mutex);
    const auto i = std::find_if(m_scambi.begin(), m_scambi.end(), [&](const auto &x) { return x.first == riga; });
    if (i == m_scambi.end())
        return std::nullopt;
    Scambio s = i->second;
    m_scambi.erase(i);
    return s;
}

const std::vector<sockaddr_storage> &PonteFtp::indirizziServer(Tubo &t)
{
    if (t.server)
        return *t.server;
    t.server.emplace();
    QString nome = dati().host;
    if (nome.startsWith(u'[') && nome.endsWith(u']'))
        nome = nome.mid(1, nome.size() - 2);
    addrinfo suggerimenti{};
    suggerimenti.ai_family = AF_UNSPEC;
    suggerimenti.ai_socktype = SOCK_STREAM;
    addrinfo *indirizzi = nullptr;
    if (!nome.isEmpty() && ::getaddrinfo(nome.toUtf8().constData(), nullptr, &suggerimenti, &indirizzi) == 0) {
        for (addrinfo *a = indirizzi; a; a = a->ai_next) {
            sockaddr_storage x{};
            std::memcpy(&x, a->ai_addr, std::min<size_t>(a->ai_addrlen, sizeof x));
            t.server->push_back(x);
        }
        ::freeaddrinfo(indirizzi);
    }
    return *t.server;
}

bool PonteFtp::delServer(Tubo &t, const sockaddr_storage &a)
{
    const auto &tutti = indirizziServer(t);
    return std::any_of(tutti.begin(), tutti.end(), [&](const sockaddr_storage &x) { return stessoHost(x, a); });
}

void PonteFtp::chiudi()
{
    m_fine = true;
    if (m_sveglia >= 0) {
        const quint64 uno = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_sveglia, &uno, sizeof uno);
    }
}

void PonteFtp::ciclo()
{
    // An end with nothing to read nor to write is left out, or its hang-up
    // would wake the loop without end.
    const auto evento = [](int fd, bool leggi, bool scrivi) {
        const short e = short((leggi ? POLLIN : 0) | (scrivi ? POLLOUT : 0));
        return pollfd{e ? fd : -1, e, 0};
    };
    std::vector<pollfd> fds;
    while (!m_fine) {
        fds.clear();
        fds.push_back({m_sveglia, POLLIN, 0});
        fds.push_back({m_ascolto, POLLIN, 0});
        for (const auto &t : m_tubi) {
            fds.push_back(evento(t->a, !t->fineA && t->versoB.size() < Pieno, !t->versoA.isEmpty()));
            fds.push_back(evento(t->b, !t->fineB && t->versoA.size() < Pieno, !t->versoB.isEmpty()));
            fds.push_back({t->app.attesa, POLLIN, 0});
        }
        if (::poll(fds.data(), nfds_t(fds.size()), -1) < 0 && errno != EINTR)
            break;
        if (fds[0].revents) {
            quint64 n;
            [[maybe_unused]] const ssize_t letti = ::read(m_sveglia, &n, sizeof n);
        }
        if (m_fine)
            break;
        if (fds[1].revents)
            accetta();
        // Pipes joined meanwhile have no entry in fds yet.
        const size_t quanti = (fds.size() - 2) / 3;
        for (size_t i = 0; i < quanti; ++i) {
            Tubo &t = *m_tubi[i];
            const pollfd *f = &fds[2 + 3 * i];
            if (f[0].revents)
                travasa(t, true, f[0].revents);
            if (f[1].revents)
                travasa(t, false, f[1].revents);
            if (f[2].revents && f[2].fd == t.app.attesa)
                arrivo(t);
            if (t.fineA && t.versoB.isEmpty() && !t.chiusoB) {
                ::shutdown(t.b, SHUT_WR);
                t.chiusoB = true;
            }
            if (t.fineB && t.versoA.isEmpty() && !t.chiusoA) {
                ::shutdown(t.a, SHUT_WR);
                t.chiusoA = true;
            }
        }
        std::erase_if(m_tubi, [](const auto &t) { return t->finito(); });
    }
    m_tubi.clear();
}

void PonteFtp::accetta()
{
    const int c = ::accept4(m_ascolto, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (c < 0)
        return;
    if (!daQuestoProcesso(c)) {
        // The session waits for libcurl.
        ::close(c);
        return;
    }
    std::pair<int, QByteArray> consegna{-1, {}};
    {
        std::lock_guard lock(m_mutex);
        if (!m_consegne.empty()) {
            consegna = m_consegne.front();
            m_consegne.erase(m_consegne.begin());
        }
    }
    if (consegna.first < 0) {
        // Nobody asked for this connection.
        ::close(c);
        return;
    }
    auto t = std::make_unique<Tubo>();
    senzaAttese(c);
    t->a = c;
    t->b = consegna.first;
    ::fcntl(t->b, F_SETFL, ::fcntl(t->b, F_GETFL) | O_NONBLOCK);
    t->controllo = true;
    t->versoA = consegna.second;
    t->firewall = IndirizzoRemoto(t->b);
    t->locale = IndirizzoLocale(t->b);
    m_tubi.push_back(std::move(t));
}

void PonteFtp::travasa(Tubo &t, bool daA, short eventi)
{
    const int fd = daA ? t.a : t.b;
    QByteArray &daScrivere = daA ? t.versoA : t.versoB;
    if ((eventi & POLLOUT) && !daScrivere.isEmpty()) {
        const ssize_t n = ::send(fd, daScrivere.constData(), size_t(daScrivere.size()), MSG_NOSIGNAL);
        if (n > 0)
            daScrivere.remove(0, n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            t.guasto = true;
    }
    bool &fine = daA ? t.fineA : t.fineB;
    if (!(eventi & (POLLIN | POLLHUP | POLLERR)) || fine || t.guasto)
        return;
    char buffer[64 * 1024];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR)
            t.guasto = true;
        return;
    }
    if (n == 0)
        fine = true;
    if (!t.controllo) {
        (daA ? t.versoB : t.versoA).append(buffer, n);
        return;
    }
    QByteArray &riga = daA ? t.rigaA : t.rigaB;
    riga.append(buffer, n);
    qsizetype inizio = 0, a;
    while ((a = riga.indexOf('\n', inizio)) >= 0) {
        const QByteArray intera = riga.mid(inizio, a + 1 - inizio);
        daA ? rigaDaLibcurl(t, intera) : rigaDalServer(t, intera);
        inizio = a + 1;
    }
    riga.remove(0, inizio);
    if (fine || riga.size() > RigaMassima) {
        (daA ? t.versoB : t.versoA) += riga;
        riga.clear();
    }
}

void PonteFtp::rigaDaLibcurl(Tubo &t, QByteArray riga)
{
    const QByteArray testo = riga.trimmed();
    const qsizetype spazio = testo.indexOf(' ');
    const QByteArray comando = testo.left(spazio < 0 ? testo.size() : spazio).toUpper();
    if ((comando == "PORT" || comando == "EPRT") && attivo(t, comando, spazio < 0 ? QByteArray() : testo.mid(spazio + 1)))
        return;
    // Over IPv4 the server is asked with PASV, whose reply names the
    // address of the data connection: a firewall that passes only the
    // control connection leaves the server's own there, where EPSV would
    // send the relay to the firewall's.
    if (comando == "EPSV" && spazio < 0 && t.firewall.ss_family == AF_INET && !dati().firewall.socks()) {
        t.epsv = true;
        t.tradotto = "PASV";
        t.versoB += "PASV\r\n";
        return;
    }
    t.versoB += riga;
}

void PonteFtp::rigaDalServer(Tubo &t, QByteArray riga)
{
    const bool passiva = riga.startsWith("227 ") || riga.startsWith("229 ");
    if (!t.tradotto.isEmpty() && rigaFinale(riga)) {
        // The reply to a command the relay sent in libcurl's place.
        const QByteArray comando = std::exchange(t.tradotto, {});
        // The reply to the PASV that stood for libcurl's EPSV goes to
        // libcurl as a 229.
        const bool esteso = std::exchange(t.epsv, false);
        if (passiva)
            passivo(t, riga, esteso || riga.startsWith("229 "), comando);
        else
            t.versoA += registra(riga.trimmed(), {comando, false, riga.trimmed(), false});
        return;
    }
    if (passiva)
        passivo(t, riga, riga.startsWith("229 "), {});
    else
        t.versoA += riga;
}

// libcurl's "PORT" or "EPRT": the server is told where it can reach the
// shop, and what arrives there goes to libcurl's port.
bool PonteFtp::attivo(Tubo &t, const QByteArray &comando, const QByteArray &argomento)
{
    sockaddr_storage verso{};
    const Scambio nienteAlServer{{}, true, {}, true};
    if (!leggiIndirizzo(comando, argomento, verso) || !loopback(verso)) {
        t.versoA +=
            rispostaPropria(501, QStringLiteral("Indirizzo della connessione attiva non valido."), nienteAlServer);
        return true;
    }
    t.app.chiudi();
    const DatiFirewall d = dati();
    sockaddr_storage dove = t.locale;
    if (d.firewall.socks()) {
        Presa p(d.fermo);
        const RisultatoFtp r = AttesaSocks(d, p, dove);
        if (!r.riuscito()) {
            t.versoA += rispostaPropria(425, r.testo, nienteAlServer);
            return true;
        }
        t.app.attesa = p.rilascia();
        t.app.socks = true;
    } else {
        t.app.attesa = ascolta(dove);
        if (t.app.attesa < 0) {
            t.versoA += rispostaPropria(425, QStringLiteral("Impossibile aprire la connessione attiva dei dati."),
                                        nienteAlServer);
            return true;
        }
    }
    t.app.verso = verso;
    const QByteArray alServer = comandoAttivo(comando == "PORT", dove);
    t.tradotto = alServer.trimmed();
    t.versoB += alServer;
    return true;
}

// The server's "227" or "229": the relay opens the data connection and
// tells libcurl a port of its own (as "229" when esteso). Through a Socks
// proxy it asks the proxy for the server's port. Through an FTP gateway it
// connects to the address a "227" names when that is the firewall's or the
// server's own (a gateway that passes only the control connection leaves
// the server's there), never to a third: then the firewall's address
// stands for it. A "229" names none: the firewall's address, then the
// server's own. A reply the relay cannot read never reaches libcurl as it
// came (libcurl would take the port it names on the relay's address, a
// service of this machine): the relay refuses it.
void PonteFtp::passivo(Tubo &t, const QByteArray &riga, bool esteso, const QByteArray &comando)
{
    const bool da229 = riga.startsWith("229");
    const QRegularExpressionMatch m = LetturaPassiva(riga);
    t.app.chiudi();
    // What the log shows in place of the relay's line: the server's reply.
    const Scambio scambio{comando, false, riga.trimmed(), false};
    const int porta = portaPassiva(m, da229);
    if (porta == 0) {
        t.versoA += rispostaPropria(
            425, QStringLiteral("Il server ha indicato per la connessione dei dati un indirizzo non utilizzabile."),
            scambio);
        return;
    }
    const DatiFirewall d = dati();
    Presa p(d.fermo);
    if (d.firewall.socks()) {
        DatiFirewall versoDati = d;
        versoDati.porta = porta;
        if (const RisultatoFtp r = ConnessioneSocks(versoDati, p); !r.riuscito()) {
            t.versoA += rispostaPropria(425, r.testo, scambio);
            return;
        }
    } else {
        std::vector<sockaddr_storage> candidati;
        const sockaddr_storage nominato = da229 ? sockaddr_storage{} : indirizzo227(m);
        if (nominato.ss_family != AF_UNSPEC && !stessoHost(nominato, t.firewall) && delServer(t, nominato)) {
            candidati.push_back(nominato);
        } else {
            candidati.push_back(t.firewall);
            if (da229)
                for (const sockaddr_storage &a : indirizziServer(t))
                    if (a.ss_family == t.firewall.ss_family && !stessoHost(a, t.firewall))
                        candidati.push_back(a);
        }
        QStringList provati;
        bool connesso = false;
        for (sockaddr_storage dove : candidati) {
            ImpostaPorta(dove, porta);
            provati << TestoIndirizzo(dove);
            if ((connesso = p.connetti(dove, d.attese.connessione) == EsitoPresa::Fatto))
                break;
        }
        if (!connesso) {
            t.versoA += rispostaPropria(
                425, QStringLiteral("Impossibile aprire la connessione dei dati verso %1.").arg(provati.join(QStringLiteral(", "))),
                scambio);
            return;
        }
    }
    sockaddr_storage qui = m_indirizzo;
    if ((t.app.attesa = ascolta(qui)) < 0) {
        t.versoA += rispostaPropria(425, QStringLiteral("Impossibile preparare la connessione dei dati: %1")
                                             .arg(QString::fromLocal8Bit(strerror(errno))),
                                    scambio);
        return;
    }
    t.app.pronto = p.rilascia();
    t.app.perLibcurl = true;
    const int r = PortaDi(qui);
    t.versoA += registra(esteso ? "229 Entering Extended Passive Mode (|||" + QByteArray::number(r) + "|)"
                                : "227 Entering Passive Mode (127,0,0,1," + QByteArray::number(r >> 8) + ','
                                      + QByteArray::number(r & 0xff) + ")",
                         scambio);
}

// A data connection has arrived where the relay waited for it.
void PonteFtp::arrivo(Tubo &t)
{
    Appuntamento &app = t.app;
    if (app.socks) {
        const DatiFirewall d = dati();
        Presa p(d.fermo, app.attesa);
        app.attesa = -1;
        app.socks = false;
        if (!ArrivoSocks(d, p).riuscito())
            return;
        Presa libcurl(nullptr);
        if (libcurl.connetti(app.verso, 5000) == EsitoPresa::Fatto)
            unisci(libcurl.rilascia(), p.rilascia());
        return;
    }
    sockaddr_storage da{};
    socklen_t n = sizeof da;
    const int c = ::accept4(app.attesa, reinterpret_cast<sockaddr *>(&da), &n, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (c < 0)
        return;
    senzaAttese(c);
    if (app.perLibcurl) {
        if (!daQuestoProcesso(c)) {
            ::close(c);
            return;
        }
        unisci(c, app.pronto);
        app.pronto = -1;
        app.chiudi();
        return;
    }
    // The server's connection comes through the firewall, from its address,
    // or, past a firewall that passes only the control connection, from the
    // server's own; from no other.
    if (!stessoHost(da, t.firewall) && !delServer(t, da)) {
        ::close(c);
        return;
    }
    app.chiudi();
    Presa libcurl(nullptr);
    if (libcurl.connetti(app.verso, 5000) == EsitoPresa::Fatto)
        unisci(libcurl.rilascia(), c);
    else
        ::close(c);
}

void PonteFtp::unisci(int versoLibcurl, int versoServer)
{
    auto t = std::make_unique<Tubo>();
    t->a = versoLibcurl;
    t->b = versoServer;
    m_tubi.push_back(std::move(t));
}

#include "make.h"

#include "formato.h"
#include "messages.h"
#include "temporanei.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>  // renameat2
#include <cstring>
#include <utility>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

const QString fineTag = QStringLiteral(">>");

// The first "<" at or after `da` whose next character is `a` or `b`, or
// with `nonAscii` lies outside ASCII; -1 when there is none. Eight
// characters at a time where the processor allows: a page holds thousands
// of "<", few of them where a search stops.
qsizetype cercaMinoreSeguito(QStringView testo, qsizetype da, char16_t a, char16_t b, bool nonAscii)
{
    const char16_t *t = testo.utf16();
    const qsizetype n = testo.size();
    qsizetype i = da;
#ifdef __SSE2__
    const __m128i minore = _mm_set1_epi16(short(u'<')), va = _mm_set1_epi16(short(a)), vb = _mm_set1_epi16(short(b));
    const __m128i ascii = _mm_set1_epi16(short(0xFF80)), zero = _mm_setzero_si128();
    const __m128i conNonAscii = nonAscii ? _mm_set1_epi16(-1) : zero;
    for (; i + 9 <= n; i += 8) {
        const __m128i qui = _mm_loadu_si128(reinterpret_cast<const __m128i *>(t + i));
        const __m128i dopo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(t + i + 1));
        const __m128i seguito = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(dopo, va), _mm_cmpeq_epi16(dopo, vb)),
                                             _mm_andnot_si128(_mm_cmpeq_epi16(_mm_and_si128(dopo, ascii), zero),
                                                              conNonAscii));
        if (const int m = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(qui, minore), seguito)))
            return i + __builtin_ctz(unsigned(m)) / 2;
    }
#endif
    for (; i + 1 < n; ++i)
        if (t[i] == u'<' && (t[i + 1] == a || t[i + 1] == b || (nonAscii && t[i + 1] >= 0x80)))
            return i;
    return -1;
}

// Where an ASCII tag starting with "<" first appears at or after `da`,
// letter case aside (as Qt::CaseInsensitive compares); -1 when it does not.
qsizetype cercaTag(const QString &testo, QLatin1StringView tag, qsizetype da)
{
    const qsizetype n = testo.size(), m = tag.size();
    const QChar *t = testo.constData();
    const auto prossimo = [&](qsizetype p) {
        if (m < 2)
            return testo.indexOf(u'<', p);
        const char16_t c = char16_t(uchar(tag.data()[1]));
        return cercaMinoreSeguito(testo, p, QChar::toLower(c), QChar::toUpper(c), true);
    };
    for (qsizetype p = prossimo(da); p >= 0 && p + m <= n; p = prossimo(p + 1)) {
        qsizetype k = 1;
        for (; k < m; ++k) {
            const QChar c = t[p + k];
            const char16_t atteso = char16_t(QChar::toLower(char16_t(uchar(tag.data()[k]))));
            const char16_t u = c.unicode() < 0x80 ? QChar::toLower(c.unicode()) : c.toCaseFolded().unicode();
            if (u != atteso)
                break;
        }
        if (k == m)
            return p;
    }
    return -1;
}

// The first place at or after `da` where "<<" begins, or a "<" that ends
// the text (a tag may go on in the text under it); -1 when there is none.
qsizetype cercaInizioTag(QStringView testo, qsizetype da)
{
    const qsizetype p = cercaMinoreSeguito(testo, da, u'<', u'<', false);
    if (p >= 0)
        return p;
    return !testo.isEmpty() && testo.back() == u'<' && testo.size() - 1 >= da ? testo.size() - 1 : -1;
}

const QString contatoreNome = QStringLiteral("/COUNTER/");
const QString erroreUnione = QStringLiteral("###ERROR###");

// How large a merged text may grow before the pass gives up.
constexpr qsizetype lunghezzaMassima = qsizetype(256) * 1024 * 1024;

} // namespace

namespace Make {

QString trovaFile(const QString &path)
{
    QFileInfo fi(path);
    if (fi.isFile())
        return path;
    QDir dir = fi.dir();
    if (!dir.exists())
        return {};
    const QString nome = fi.fileName();
    const QStringList voci = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &v : voci)
        if (v.compare(nome, Qt::CaseInsensitive) == 0)
            return fi.path() + u'/' + v;
    return {};
}

namespace {

std::atomic<Scrittura> modoPerTest{Scrittura::Solita};

// The spares of the live Scorte, by folder: files of the process, each under
// a temporary name and linked nowhere else, whose bytes no longer matter.
class Magazzino {
public:
    static Magazzino &unico()
    {
        static Magazzino m;
        return m;
    }
    void apri()
    {
        QMutexLocker l(&m_mutex);
        ++m_attive;
    }
    // The last one to end removes the spares.
    void chiudi()
    {
        QMutexLocker l(&m_mutex);
        if (--m_attive > 0)
            return;
        for (const Cartella &c : std::as_const(m_cartelle))
            for (const QByteArray &nome : c.scorte)
                ::unlink(nome.constData());  // one already gone needs nothing more
        m_cartelle.clear();
    }
    // Whether a write that replaces a file of the folder goes through a spare.
    bool usaScorte(const QString &cartella)
    {
        QMutexLocker l(&m_mutex);
        return m_attive > 0 && !m_cartelle[cartella].senzaScambio;
    }
    // A spare of the folder, or the empty text; it is the caller's until riponi().
    QByteArray prendi(const QString &cartella)
    {
        QMutexLocker l(&m_mutex);
        auto c = m_cartelle.find(cartella);
        return c == m_cartelle.end() || c->scorte.isEmpty() ? QByteArray() : c->scorte.takeLast();
    }
    // Keeps a spare; false when no Scorte lives (the caller removes it).
    bool riponi(const QString &cartella, const QByteArray &nome)
    {
        QMutexLocker l(&m_mutex);
        if (m_attive == 0)
            return false;
        m_cartelle[cartella].scorte << nome;
        return true;
    }
    // The mode of a new file of the folder, which a spare takes before reuse.
    void modoNuovo(const QString &cartella, mode_t modo)
    {
        QMutexLocker l(&m_mutex);
        if (m_attive > 0)
            m_cartelle[cartella].modo = modo;
    }
    mode_t modoNuovo(const QString &cartella)
    {
        QMutexLocker l(&m_mutex);
        return m_cartelle[cartella].modo;
    }
    // The folder's file system cannot swap two names: its writes rename.
    void senzaScambio(const QString &cartella)
    {
        QMutexLocker l(&m_mutex);
        m_cartelle[cartella].senzaScambio = true;
    }

private:
    struct Cartella {
        QList<QByteArray> scorte;
        mode_t modo = 0644;
        bool senzaScambio = false;
    };
    QMutex m_mutex;
    int m_attive = 0;
    QHash<QString, Cartella> m_cartelle;
};

// Opens a spare of the folder for writing over it from the start: one
// that is still a regular file of this user with no other name (its bytes
// are nobody else's), with the mode of a new file. -1 when there is none.
int apriScorta(const QString &cartella, QByteArray *nome)
{
    Magazzino &m = Magazzino::unico();
    for (*nome = m.prendi(cartella); !nome->isEmpty(); *nome = m.prendi(cartella)) {
        const int fd = ::open(nome->constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid()) {
            const mode_t modo = m.modoNuovo(cartella);
            if ((st.st_mode & 07777) == modo || ::fchmod(fd, modo) == 0)
                return fd;
        }
        if (fd >= 0)
            ::close(fd);
        ::unlink(nome->constData());  // left out; a failure leaves a name the next build removes
    }
    return -1;
}

// A new temporary file of the folder, whose mode a reused spare takes.
int creaTemporaneo(const QString &cartella, QByteArray *nome)
{
    const int fd = Temporanei::crea(cartella, nome);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0)
        Magazzino::unico().modoNuovo(cartella, st.st_mode & 07777);
    return fd;
}

// Swaps the complete file at `temporaneo` with the regular file at `finale`
// in one step; `temporaneo` then names the older file. False (nothing
// changed) where the file system cannot swap, or when `finale` turned out
// not to be a regular file (a folder or a link put there meanwhile).
bool scambia(const QByteArray &temporaneo, const QByteArray &finale, const QString &cartella)
{
    if (modoPerTest == Scrittura::SenzaScambio
        || ::renameat2(AT_FDCWD, temporaneo.constData(), AT_FDCWD, finale.constData(), RENAME_EXCHANGE) != 0) {
        if (modoPerTest == Scrittura::SenzaScambio || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
            Magazzino::unico().senzaScambio(cartella);
        return false;
    }
    struct stat st {};
    if (::lstat(temporaneo.constData(), &st) == 0 && S_ISREG(st.st_mode))
        return true;
    if (::renameat2(AT_FDCWD, temporaneo.constData(), AT_FDCWD, finale.constData(), RENAME_EXCHANGE) != 0)
        qWarning("Impossibile rimettere a posto %s: %s", finale.constData(), std::strerror(errno));
    return false;
}

} // namespace

void impostaScritturaPerTest(Scrittura modo)
{
    modoPerTest = modo;
}

Scorte::Scorte()
{
    Magazzino::unico().apri();
}

Scorte::~Scorte()
{
    Magazzino::unico().chiudi();
}

FileUscita::~FileUscita()
{
    scarta();
}

bool FileUscita::fallito(int numero)
{
    m_errore = QString::fromLocal8Bit(std::strerror(numero));
    return false;
}

bool FileUscita::apri(const QString &path, bool senzaNome)
{
    scarta();
    m_percorso = path;
    m_errore.clear();
    m_scritti = 0;
    m_cartella = QFileInfo(path).path();
    struct stat st {};
    const bool esiste = ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    m_scambio = esiste && S_ISREG(st.st_mode) && Magazzino::unico().usaScorte(m_cartella);
    // Over an older file, a spare of the folder, swapped in by chiudi(). A
    // new file is a file without a name where the file system allows it: it
    // takes its name only once complete, and a kill leaves nothing behind.
    // Else a temporary name of its own.
    if (m_scambio)
        m_fd = apriScorta(m_cartella, &m_temporaneo);
    else if (!esiste && senzaNome && modoPerTest != Scrittura::NomeTemporaneo)
        m_fd = ::open(QFile::encodeName(m_cartella).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    if (m_fd < 0)
        m_fd = creaTemporaneo(m_cartella, &m_temporaneo);
    return m_fd >= 0 || fallito(errno);
}

bool FileUscita::scrivi(const QByteArray &dati)
{
    if (m_fd < 0)
        return m_errore.isEmpty() ? fallito(EBADF) : false;
    // Small pieces (the lines of a list) gather in memory and reach the
    // file together; a large one (a page) goes on its own.
    constexpr qsizetype blocco = qsizetype(1) << 18, grande = qsizetype(1) << 16;
    if ((m_attesa.size() + dati.size() > blocco || dati.size() >= grande) && !svuota())
        return false;
    if (dati.size() >= grande) {
        if (const int e = Temporanei::scriviTutto(m_fd, dati.constData(), dati.size()))
            return fallito(e);
    } else {
        m_attesa += dati;
    }
    m_scritti += dati.size();
    return true;
}

bool FileUscita::svuota()
{
    const int e = m_attesa.isEmpty() ? 0 : Temporanei::scriviTutto(m_fd, m_attesa.constData(), m_attesa.size());
    m_attesa.resize(0);
    return !e || fallito(e);
}

namespace {

// Reads up to n bytes; fewer only at the end of the file or on an error.
qsizetype leggiTutto(int fd, char *dove, qsizetype n)
{
    qsizetype fatti = 0;
    while (fatti < n) {
        const ssize_t r = ::read(fd, dove + fatti, size_t(n - fatti));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        fatti += r;
    }
    return fatti;
}

// Whether the regular file at path holds exactly `lunghezza` bytes that
// `pezzo` hands out in order (each call fills the buffer it is given and
// returns how many bytes it put there).
template <typename Pezzo>
bool stessiByte(const QByteArray &path, qint64 lunghezza, Pezzo pezzo)
{
    // Without waiting: a pipe at the path would wait for a writer.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool uguale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == lunghezza;
    // Buffers only for a file of the same size, and no larger than it.
    const qsizetype blocco = uguale ? qsizetype(std::min<qint64>(lunghezza, 1 << 16)) : 0;
    QByteArray a(blocco, Qt::Uninitialized), b(blocco, Qt::Uninitialized);
    for (qint64 resto = lunghezza; uguale && resto > 0;) {
        const qsizetype n = qsizetype(std::min<qint64>(resto, blocco));
        uguale = leggiTutto(fd, a.data(), n) == n && pezzo(b.data(), n) == n && std::memcmp(a.data(), b.data(), size_t(n)) == 0;
        resto -= n;
    }
    ::close(fd);
    return uguale;
}

// Whether the file at path holds exactly these bytes.
bool stessoContenuto(const QString &path, const QByteArray &data)
{
    qsizetype letti = 0;
    return stessiByte(QFile::encodeName(path), data.size(), [&](char *dove, qsizetype n) {
        std::memcpy(dove, data.constData() + letti, size_t(n));
        letti += n;
        return n;
    });
}

// Gives the open file without a name the path `finale`, replacing a file
// there; errno set on failure.
bool collega(int fd, const QByteArray &finale, const QString &cartella)
{
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, finale.constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    // An older file is there: a temporary name first, then the rename.
    QByteArray temporaneo;
    if (!Temporanei::collega(proc, cartella, &temporaneo, AT_SYMLINK_FOLLOW))
        return false;
    if (::rename(temporaneo.constData(), finale.constData()) == 0)
        return true;
    const int e = errno;
    ::unlink(temporaneo.constData());
    errno = e;
    return false;
}

} // namespace

bool FileUscita::chiudi(bool soloSeCambiato)
{
    return pronto(soloSeCambiato) && metti();
}

bool FileUscita::pronto(bool soloSeCambiato)
{
    if (m_fd < 0 || m_pronto)
        return false;
    if (!svuota()) {
        scarta();
        return false;
    }
    // A file there that already holds these bytes stays as it is.
    m_aPosto = false;
    if (soloSeCambiato) {
        qint64 letti = 0;
        m_aPosto = stessiByte(QFile::encodeName(m_percorso), m_scritti, [&](char *dove, qsizetype n) {
            const ssize_t r = ::pread(m_fd, dove, size_t(n), letti);
            letti += std::max<ssize_t>(r, 0);
            return qsizetype(r);
        });
    }
    // A file without a name stays open until it is linked in place.
    if (!m_aPosto && m_temporaneo.isEmpty()) {
        m_pronto = true;
        return true;
    }
    bool fatto = true;
    if (!m_aPosto && m_scambio && ::ftruncate(m_fd, m_scritti) != 0)
        fatto = fallito(errno);  // a spare may have been longer
    if (::close(m_fd) != 0 && fatto)
        fatto = fallito(errno);
    m_fd = -1;
    if (!fatto) {
        scarta();
        return false;
    }
    m_pronto = true;
    return true;
}

bool FileUscita::metti()
{
    if (!m_pronto)
        return false;
    m_pronto = false;
    const QByteArray finale = QFile::encodeName(m_percorso);
    bool fatto = true, aPosto = m_aPosto;
    if (!aPosto && m_temporaneo.isEmpty()) {
        // Without a name: linked in place while still open; where the
        // process cannot name its open files (no /proc), copied under a
        // temporary name first.
        if (modoPerTest != Scrittura::CopiaConNome && collega(m_fd, finale, m_cartella))
            aPosto = true;
        else if (modoPerTest != Scrittura::CopiaConNome && errno != ENOENT)
            fatto = fallito(errno);
        else
            fatto = copiaConNome(m_cartella);
        if (::close(m_fd) != 0 && fatto)
            fatto = fallito(errno);
        m_fd = -1;
    }
    // Over an older file the two swap names, and the older one stays as a
    // spare (scarta); else the rename replaces it.
    if (fatto && !aPosto && !(m_scambio && scambia(m_temporaneo, finale, m_cartella))) {
        if (::rename(m_temporaneo.constData(), finale.constData()) == 0)
            m_temporaneo.clear();
        else
            fatto = fallito(errno);
    }
    scarta();
    return fatto;
}

bool FileUscita::copiaConNome(const QString &cartella)
{
    const int fd = Temporanei::crea(cartella, &m_temporaneo);
    if (fd < 0)
        return fallito(errno);
    QByteArray blocco(1 << 16, Qt::Uninitialized);
    int errore = 0;
    for (qint64 fatti = 0; !errore && fatti < m_scritti;) {
        const ssize_t r = ::pread(m_fd, blocco.data(), size_t(std::min<qint64>(blocco.size(), m_scritti - fatti)), fatti);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            errore = r < 0 ? errno : EIO;
            break;
        }
        errore = Temporanei::scriviTutto(fd, blocco.constData(), r);
        fatti += r;
    }
    if (::close(fd) != 0 && !errore)
        errore = errno;
    return !errore || fallito(errore);
}

void FileUscita::scarta()
{
    m_attesa.clear();
    m_pronto = false;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    // A temporary file left over is a spare while a Scorte lives: its bytes
    // do not matter, a write fills it from the start.
    if (!m_temporaneo.isEmpty()) {
        if (!Magazzino::unico().riponi(m_cartella, m_temporaneo))
            ::unlink(m_temporaneo.constData());
        m_temporaneo.clear();
    }
}

bool scriviFile(const QString &path, const QByteArray &data, QString *errore)
{
    // A file that already holds these bytes is left as it is, date and all:
    // an update then sends only what a build changed.
    if (stessoContenuto(path, data))
        return true;
    // Put in place only once complete (FileUscita), so a failure or a kill
    // never leaves half a page. Generated pages are not synced to disk one
    // by one: a build that stops is built again.
    FileUscita f;
    const bool fatto = f.apri(path) && f.scrivi(data) && f.chiudi(false);
    if (!fatto && errore)
        *errore = f.errore();
    return fatto;
}

namespace {

// The files without a name that FilePronto objects hold open until they
// are put in place, as many as the process may open beside its other
// files; the others take a temporary name.
class Aperti {
public:
    static bool prendi()
    {
        if (conti().fetch_add(1) < massimo())
            return true;
        conti().fetch_sub(1);
        return false;
    }
    static void lascia() { conti().fetch_sub(1); }

private:
    static std::atomic<long> &conti()
    {
        static std::atomic<long> n{0};
        return n;
    }
    static long massimo()
    {
        static const long m = [] {
            rlimit r{};
            if (::getrlimit(RLIMIT_NOFILE, &r) != 0 || r.rlim_cur == RLIM_INFINITY)
                return 256L;
            return long(std::min<rlim_t>(r.rlim_cur / 4, 256));
        }();
        return m;
    }
};

} // namespace

FilePronto::FilePronto() = default;

FilePronto::~FilePronto()
{
    scarta();
}

FilePronto::FilePronto(FilePronto &&altro) noexcept
    : m_percorso(std::move(altro.m_percorso)), m_errore(std::move(altro.m_errore)),
      m_file(std::move(altro.m_file)), m_aperto(std::exchange(altro.m_aperto, false))
{
}

FilePronto &FilePronto::operator=(FilePronto &&altro) noexcept
{
    if (this != &altro) {
        scarta();
        m_percorso = std::move(altro.m_percorso);
        m_errore = std::move(altro.m_errore);
        m_file = std::move(altro.m_file);
        m_aperto = std::exchange(altro.m_aperto, false);
    }
    return *this;
}

bool FilePronto::prepara(const QString &path, const QByteArray &data)
{
    scarta();
    m_percorso = path;
    m_errore.clear();
    if (stessoContenuto(path, data))
        return true;
    // A folder in the way is found now, not when the file is put in place.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        m_errore = QString::fromLocal8Bit(std::strerror(EISDIR));
        return false;
    }
    m_aperto = Aperti::prendi();
    m_file = std::make_unique<FileUscita>();
    if (!m_file->apri(path, m_aperto) || !m_file->scrivi(data) || !m_file->pronto(false)) {
        m_errore = m_file->errore();
        scarta();
        return false;
    }
    // Only a file without a name stays open.
    if (m_aperto && !m_file->aperto()) {
        Aperti::lascia();
        m_aperto = false;
    }
    return true;
}

bool FilePronto::metti()
{
    if (!m_file)
        return m_errore.isEmpty();  // the file holds these bytes already, or prepara() failed
    const bool fatto = m_file->metti();
    if (!fatto)
        m_errore = m_file->errore();
    scarta();
    return fatto;
}

void FilePronto::scarta()
{
    m_file.reset();
    if (m_aperto)
        Aperti::lascia();
    m_aperto = false;
}

QString avvisoScrittura(const QString &path, const QString &errore)
{
    return QStringLiteral("Impossibile scrivere il file '") + path + QStringLiteral("': ") + errore;
}

} // namespace Make

QString TagGeneratore()
{
    return QStringLiteral("<meta name=\"generator\" content=\"Vetrasto %1\">").arg(QString::fromLatin1(VersioneVetrasto));
}

namespace {

// One pass of SostituisciTag. The text still to read is a stack of pieces:
// the value being read on top, under it the rest of the value or text it
// was put into, and so on down to the rest of the text the pass was given.
// What is read goes to the result once, so every character is copied once
// however many tags the text holds. A tag may begin in one piece and end in
// another: the pieces are read as the one text they stand for.
class Passata {
public:
    Passata(const Riga &riga, int livello, qint32 contatore, const Make::Interruzione &interrompi)
        : m_riga(riga), m_prefisso(prefisso(livello)), m_numero(contatore), m_interrompi(interrompi)
    {
    }

    Make::Esito esegui(const QString &testo, QString &risultato);

private:
    struct Pezzo {
        QStringView testo;
        qsizetype pos = 0;  // the first character not yet read
        int profondita = 0;  // how many values deep it lies
        // The first ">>" at or after `daChiusura` (-1: none), kept because
        // the names of all the prefixes before it end there.
        qsizetype daChiusura = -1, chiusura = -1;
        qsizetype resto() const { return testo.size() - pos; }
    };

    // The character k places after the reading point, -1 past the end.
    int avanti(qsizetype k) const;
    bool prefissoQui() const;
    // How far after the reading point the first ">>" at or after `da`
    // stands, -1 when there is none.
    qsizetype cercaChiusura(qsizetype da);
    // The n characters from k places after the reading point.
    QStringView leggi(qsizetype k, qsizetype n);
    void copia(qsizetype n);
    void copiaTutto();
    void salta(qsizetype n);
    void togliFiniti();

    // "<<" level "-": the merges of every article share the text.
    static QString prefisso(int livello)
    {
        static const QString fissi[] = {QStringLiteral("<<1-"), QStringLiteral("<<2-"), QStringLiteral("<<3-")};
        if (livello >= 1 && livello <= 3)
            return fissi[livello - 1];
        return QStringLiteral("<<") + QString::number(livello) + u'-';
    }
    // The counter's text, made when a tag asks for it.
    const QString &contatore()
    {
        if (m_contatore.isNull())
            m_contatore = QString::number(m_numero);
        return m_contatore;
    }

    const Riga &m_riga;
    const QString m_prefisso;
    const qint32 m_numero;
    QString m_contatore;
    const Make::Interruzione &m_interrompi;
    std::vector<Pezzo> m_pila;
    qsizetype m_daLeggere = 0;  // characters in the stack
    QString *m_uscita = nullptr;
    QString m_pezzi;  // a name or tag read across pieces
};

int Passata::avanti(qsizetype k) const
{
    for (auto p = m_pila.rbegin(); p != m_pila.rend(); ++p) {
        if (k < p->resto())
            return p->testo[p->pos + k].unicode();
        k -= p->resto();
    }
    return -1;
}

bool Passata::prefissoQui() const
{
    const Pezzo &cima = m_pila.back();
    if (cima.resto() >= m_prefisso.size())
        return cima.testo.sliced(cima.pos, m_prefisso.size()) == m_prefisso;
    for (qsizetype k = 0; k < m_prefisso.size(); ++k)
        if (avanti(k) != m_prefisso[k].unicode())
            return false;
    return true;
}

qsizetype Passata::cercaChiusura(qsizetype da)
{
    qsizetype prima = 0;  // characters in the pieces above this one
    bool maggiore = false;  // the piece above ends with a ">" in the search
    for (auto p = m_pila.rbegin(); p != m_pila.rend(); prima += p->resto(), ++p) {
        const qsizetype inizio = p->pos + std::max<qsizetype>(0, da - prima);
        if (inizio >= p->testo.size()) {
            maggiore = false;
            continue;
        }
        if (maggiore && p->testo[inizio] == u'>')
            return prima - 1;
        if (p->daChiusura < 0 || inizio < p->daChiusura || (p->chiusura >= 0 && p->chiusura < inizio)) {
            p->daChiusura = inizio;
            p->chiusura = p->testo.indexOf(fineTag, inizio);
        }
        if (p->chiusura >= 0)
            return prima + p->chiusura - p->pos;
        maggiore = p->testo.back() == u'>';
    }
    return -1;
}

QStringView Passata::leggi(qsizetype k, qsizetype n)
{
    const Pezzo &cima = m_pila.back();
    if (k + n <= cima.resto())
        return cima.testo.sliced(cima.pos + k, n);
    m_pezzi.clear();
    for (qsizetype i = 0; i < n; ++i)
        m_pezzi += QChar(char16_t(avanti(k + i)));
    return m_pezzi;
}

void Passata::copia(qsizetype n)
{
    Pezzo &cima = m_pila.back();
    m_uscita->append(cima.testo.sliced(cima.pos, n));
    cima.pos += n;
    m_daLeggere -= n;
}

void Passata::copiaTutto()
{
    for (auto p = m_pila.rbegin(); p != m_pila.rend(); ++p)
        m_uscita->append(p->testo.sliced(p->pos));
    m_pila.clear();
    m_daLeggere = 0;
}

void Passata::salta(qsizetype n)
{
    m_daLeggere -= n;
    while (n > 0) {
        Pezzo &cima = m_pila.back();
        const qsizetype qui = std::min(n, cima.resto());
        cima.pos += qui;
        n -= qui;
        togliFiniti();
    }
}

void Passata::togliFiniti()
{
    while (!m_pila.empty() && m_pila.back().resto() == 0)
        m_pila.pop_back();
}

Make::Esito Passata::esegui(const QString &testo, QString &risultato)
{
    // How much is read between two looks at `m_interrompi`.
    constexpr qsizetype passoControllo = qsizetype(1) << 16;
    risultato.clear();
    risultato.reserve(testo.size() + testo.size() / 4);
    m_uscita = &risultato;
    m_pila.assign(1, Pezzo{testo});
    m_daLeggere = testo.size();
    qsizetype letti = 0;
    for (togliFiniti(); !m_pila.empty(); togliFiniti()) {
        if (letti >= passoControllo) {
            letti = 0;
            if (m_interrompi && m_interrompi())
                return Make::Esito::Annullato;
        }
        const Pezzo &cima = m_pila.back();
        const qsizetype minore = cercaInizioTag(cima.testo, cima.pos);
        const qsizetype prima = minore < 0 ? cima.resto() : minore - cima.pos;
        letti += prima + 1;
        copia(prima);
        if (minore < 0)
            continue;
        if (!prefissoQui()) {
            copia(1);
            continue;
        }
        const qsizetype chiusura = cercaChiusura(m_prefisso.size());
        if (chiusura < 0) {
            // An unclosed prefix: no tag follows it, the rest stays as it is.
            copiaTutto();
            break;
        }
        const qsizetype lunghezzaNome = chiusura - m_prefisso.size();
        const qsizetype lunghezzaTag = chiusura + fineTag.size();
        const QString *valore = nullptr;
        if (lunghezzaNome <= CampiTabella::nomeMassimo) {
            const QStringView nome = leggi(m_prefisso.size(), lunghezzaNome);
            valore = nome == contatoreNome ? &contatore() : m_riga.valore(nome);
        }
        // A name that is no field, and a value that is the very tag that
        // named it (the department index waiting for the list pass), leave
        // the tag as it is; the search goes on one character after it began.
        if (!valore || (valore->size() == lunghezzaTag && leggi(0, lunghezzaTag) == *valore)) {
            copia(1);
            continue;
        }
        const int profondita = m_pila.back().profondita;
        if (profondita >= Make::profonditaMassima ||
            risultato.size() + m_daLeggere - lunghezzaTag + valore->size() > lunghezzaMassima)
            return Make::Esito::Fallito;
        salta(lunghezzaTag);
        letti += lunghezzaTag;
        if (!valore->isEmpty()) {
            m_pila.push_back(Pezzo{*valore, 0, profondita + 1});
            m_daLeggere += valore->size();
        }
    }
    return Make::Esito::Fatto;
}

} // namespace

QString SostituisciTag(const QString &testo, const Riga &riga, int livello, qint32 contatore, Make::Esito *esito,
                       const Make::Interruzione &interrompi)
{
    QString risultato;
    const Make::Esito e = Passata(riga, livello, contatore, interrompi).esegui(testo, risultato);
    if (esito)
        *esito = e;
    if (e == Make::Esito::Fallito)
        return erroreUnione;
    if (e == Make::Esito::Annullato)
        return {};
    return risultato;
}

namespace Make {

bool InizioDatabase(QByteArrayView inizio)
{
    static constexpr QByteArrayView segni[] = {
        QByteArrayView("SQLite format 3\0", 16),                  // a database
        QByteArrayView("\xD9\xD5\x05\xF9\x20\xA1\x63\xD7", 8),  // its rollback journal
        QByteArrayView("\x37\x7F\x06\x82", 4),                  // its write-ahead log
        QByteArrayView("\x37\x7F\x06\x83", 4),
    };
    for (const QByteArrayView segno : segni)
        if (inizio.startsWith(segno))
            return true;
    return false;
}

QString Modello::avvisoMancante() const
{
    const QString nome = percorso.mid(percorso.lastIndexOf(u'/') + 1);
    if (database)
        return QStringLiteral("Il file ") + nome +
               QStringLiteral(" è un file di database, non un modello: è stato lasciato fuori perché nessun database "
                              "arrivi al sito.") +
               u'\r' + QStringLiteral("Rimettere al suo posto il modello giusto e ripetere l'operazione.");
    return QStringLiteral("Il file ") + nome + QStringLiteral(" non è presente nel template selezionato.") + u'\r' +
           QStringLiteral("Selezionare un altro template per il sito o un altro modello per i reparti.");
}

QByteArray Modello::codifica(const QString &testo) const
{
    // A character the model's encoding lacks (in Windows-1252: Chinese,
    // emoji) is written as a numeric character reference, which a browser
    // reads as that character.
    return file.codifica(testo, true);
}

Modello leggiModello(const QString &percorso)
{
    Modello m;
    m.percorso = percorso;
    QFile f(trovaFile(percorso));
    if (!QFileInfo(f).isFile() || !f.open(QIODevice::ReadOnly))
        return m;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return m;
    // Nothing of a database reaches a page, whatever the file's name.
    if (InizioDatabase(bytes)) {
        m.database = true;
        return m;
    }
    m.file = TestoFile::decodifica(bytes);
    m.trovato = true;
    aggiungiGeneratore(m.file.testo);
    return m;
}

void aggiungiGeneratore(QString &testo)
{
    static const QString generatore = TagGeneratore();
    if (testo.contains(generatore))
        return;
    const qsizetype titolo = cercaTag(testo, QLatin1StringView("<TITLE>"), 0);
    if (titolo >= 0)
        testo.insert(titolo, generatore + QStringLiteral("\r\n"));
}

bool conLivello3(const QString &percorso)
{
    return QFileInfo(percorso).fileName() == QLatin1String("results.htm");
}

Esito unisci(QString &testo, const Riga &pagina, const std::vector<Riga> *articoli, bool livello3,
             const QString &nomeModello, QString &avviso, const Interruzione &interrompi)
{
    avviso.clear();
    // A pass that did not end: a text that grows without end is named in a
    // warning, a cancel is not.
    auto interrotta = [&](Esito e) {
        if (e == Esito::Fallito)
            avviso = QStringLiteral("Il file '") + nomeModello +
                     QStringLiteral("' non è stato creato: un campo della pagina contiene se stesso e "
                                    "la sostituzione dei tag non avrebbe fine.");
        return e;
    };

    Esito e = Esito::Fatto;
    testo = SostituisciTag(testo, pagina, 1, 0, &e, interrompi);
    if (e != Esito::Fatto)
        return interrotta(e);
    if (livello3) {
        testo = SostituisciTag(testo, pagina, 3, 0, &e, interrompi);
        if (e != Esito::Fatto)
            return interrotta(e);
    }
    if (testo == erroreUnione)
        return Esito::Fallito;
    if (!articoli)
        return Esito::Fatto;

    const QLatin1StringView start("<VT_START>");
    const QLatin1StringView end("<VT_END>");
    auto manca = [&](const QString &cosa, QLatin1StringView tag) {
        avviso = QStringLiteral("Il file '") + nomeModello + cosa + tag;
        return Esito::Fallito;
    };
    // The markers are found in any letter case.
    const auto cerca = [&](QLatin1StringView tag, qsizetype da) { return cercaTag(testo, tag, da); };
    const qsizetype inizio = cerca(start, 0);
    if (inizio < 0)
        return manca(QStringLiteral("' non contiene il tag "), start);
    if (cerca(start, inizio + start.size()) >= 0)
        return manca(QStringLiteral("' contiene più di un tag "), start);
    const qsizetype fine = cerca(end, inizio + start.size());
    if (fine < 0)
        return manca(QStringLiteral("' non contiene il tag "), end);
    if (cerca(end, fine + end.size()) >= 0)
        return manca(QStringLiteral("' contiene più di un tag "), end);

    const QString blocco = QStringLiteral("<a name=<<2-/COUNTER/>>></a>") +
                           testo.mid(inizio + start.size(), fine - inizio - start.size());
    QString risultato;
    risultato.reserve(testo.size() + qsizetype(articoli->size()) * (blocco.size() + 256));
    risultato += QStringView(testo).left(inizio);
    qint32 contatore = 0;
    for (const Riga &articolo : *articoli) {
        if ((contatore & 1023) == 1023 && interrompi && interrompi())
            return Esito::Annullato;
        const QString copia = SostituisciTag(blocco, articolo, 2, ++contatore, &e, interrompi);
        if (e != Esito::Fatto)
            return interrotta(e);
        if (copia == erroreUnione)
            return Esito::Fallito;
        risultato += copia;
    }
    risultato += QStringView(testo).mid(fine + end.size());
    testo = std::move(risultato);
    return Esito::Fatto;
}

} // namespace Make

Riga RigaPerPerl(const Riga &pagina)
{
    Riga perl = pagina;
    if (!pagina.campi())
        return perl;
    for (const QString &nome : pagina.campi()->nomi())
        perl.imposta(nome, QString::fromLatin1(pagina.testo(nome).toUtf8().toBase64()));
    const QString percorso = pagina.testo(u"perl_path");
    perl.imposta(u"perl_path", PercorsoPerlValido(percorso) ? percorso : QString());
    return perl;
}

bool MakePagina(const Riga &pagina, const std::vector<Riga> *articoli, const QString &modello,
                const QString &uscita, Messages &messages, const Make::Interruzione &interrompi)
{
    const Make::Modello m = Make::leggiModello(modello);
    if (!m.trovato) {
        messages.warning(m.avvisoMancante());
        return false;
    }
    QString testo = m.file.testo;
    QString avviso;
    if (Make::unisci(testo, pagina, articoli, Make::conLivello3(modello), modello, avviso, interrompi) !=
        Make::Esito::Fatto) {
        if (!avviso.isEmpty())
            messages.warning(avviso);
        return false;
    }
    testo += QStringLiteral("\r\n");
    // The output replaces an older page only once it is complete.
    QString errore;
    if (!Make::scriviFile(uscita, m.codifica(testo), &errore)) {
        messages.warning(Make::avvisoScrittura(uscita, errore));
        return false;
    }
    return true;
}

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
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>  // renameat2
#include <cstring>
#include <vector>

namespace {

const QString fineTag = QStringLiteral(">>");

// Where the field prefix "<<n-" first appears at or after `da`, -1 when it
// does not. The search jumps from "<" to "<", far faster on long pages than
// a general substring search.
qsizetype cercaPrefisso(QStringView testo, QStringView prefisso, qsizetype da)
{
    const qsizetype m = prefisso.size();
    for (qsizetype p = testo.indexOf(u'<', da); p >= 0; p = testo.indexOf(u'<', p + 1)) {
        if (p + m > testo.size())
            return -1;
        if (testo.mid(p, m) == prefisso)
            return p;
    }
    return -1;
}

// Where an ASCII tag starting with "<" first appears at or after `da`,
// letter case aside (as Qt::CaseInsensitive compares); -1 when it does not.
// Only the "<" of the text are looked at, which keeps long pages fast.
qsizetype cercaTag(const QString &testo, QLatin1StringView tag, qsizetype da)
{
    const qsizetype n = testo.size(), m = tag.size();
    const QChar *t = testo.constData();
    for (qsizetype p = testo.indexOf(u'<', da); p >= 0 && p + m <= n; p = testo.indexOf(u'<', p + 1)) {
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
const QString contatoreNome = QStringLiteral("/COUNTER/");
const QString erroreUnione = QStringLiteral("###ERROR###");

// How deep values may hold tags of their own level that are expanded in
// turn, and how large a merged text may grow, before the pass gives up.
constexpr int profonditaMassima = 16;
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

bool FileUscita::apri(const QString &path)
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
    else if (!esiste && modoPerTest != Scrittura::NomeTemporaneo)
        m_fd = ::open(QFile::encodeName(m_cartella).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    if (m_fd < 0)
        m_fd = creaTemporaneo(m_cartella, &m_temporaneo);
    return m_fd >= 0 || fallito(errno);
}

bool FileUscita::scrivi(const QByteArray &dati)
{
    if (m_fd < 0)
        return m_errore.isEmpty() ? fallito(EBADF) : false;
    if (const int e = Temporanei::scriviTutto(m_fd, dati.constData(), dati.size()))
        return fallito(e);
    m_scritti += dati.size();
    return true;
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
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
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
    if (m_fd < 0)
        return false;
    const QByteArray finale = QFile::encodeName(m_percorso);
    // A file there that already holds these bytes stays as it is.
    bool aPosto = false;
    if (soloSeCambiato) {
        qint64 letti = 0;
        aPosto = stessiByte(finale, m_scritti, [&](char *dove, qsizetype n) {
            const ssize_t r = ::pread(m_fd, dove, size_t(n), letti);
            letti += std::max<ssize_t>(r, 0);
            return qsizetype(r);
        });
    }
    bool fatto = true;
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
    } else if (!aPosto && m_scambio && ::ftruncate(m_fd, m_scritti) != 0) {
        fatto = fallito(errno);  // a spare may have been longer
    }
    if (::close(m_fd) != 0 && fatto)
        fatto = fallito(errno);
    m_fd = -1;
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

QString avvisoScrittura(const QString &path, const QString &errore)
{
    return QStringLiteral("Impossibile scrivere il file '") + path + QStringLiteral("': ") + errore;
}

} // namespace Make

QString TagGeneratore()
{
    return QStringLiteral("<meta name=\"generator\" content=\"Vetrasto %1\">").arg(QString::fromLatin1(VersioneVetrasto));
}

QString SostituisciTag(const QString &testo, const Riga &riga, int livello, qint32 contatore, bool *fuoriControllo)
{
    if (fuoriControllo)
        *fuoriControllo = false;
    const QString prefisso = QStringLiteral("<<") + QString::number(livello) + u'-';
    QString t = testo;

    // Values inserted into the text, innermost last: where each ends and how
    // many expansions deep it lies. A tag found inside a value is one level
    // deeper than that value.
    struct Regione {
        qsizetype fine;
        int profondita;
    };
    std::vector<Regione> regioni;

    qsizetype pos = cercaPrefisso(t, prefisso, 0);
    while (pos >= 0) {
        const qsizetype inizioNome = pos + prefisso.size();
        const qsizetype chiusura = t.indexOf(fineTag, inizioNome);
        if (chiusura < 0)
            break;  // an unclosed prefix: the rest of the text stays as it is
        const QString nome = t.mid(inizioNome, chiusura - inizioNome);

        bool trovato = true;
        bool conTag = false;  // the value may hold "<<"
        QString valore;
        if (nome == contatoreNome) {
            valore = QString::number(contatore);
        } else {
            const QString *v = riga.valore(nome, &conTag);
            if (!v)
                trovato = false;
            else
                valore = *v;
        }
        bool annidato = false;  // the value holds a tag of this level

        if (trovato) {
            while (!regioni.empty() && regioni.back().fine <= pos)
                regioni.pop_back();
            const int profondita = regioni.empty() ? 0 : regioni.back().profondita;
            const qsizetype lunghezzaTag = chiusura + fineTag.size() - pos;
            const qsizetype delta = valore.size() - lunghezzaTag;
            if (profondita >= profonditaMassima || t.size() + delta > lunghezzaMassima) {
                if (fuoriControllo)
                    *fuoriControllo = true;
                return erroreUnione;
            }
            t.replace(pos, lunghezzaTag, valore);
            for (auto &r : regioni)
                r.fine += delta;
            annidato = conTag && cercaPrefisso(valore, prefisso, 0) >= 0;
            if (annidato)
                regioni.push_back({pos + valore.size(), profondita + 1});
        }
        // After an empty value the next tag may begin right where this one
        // did: searching one character on would skip it. A value without a
        // tag of this level is not searched again: only a tag that begins in
        // its last characters and ends after it can be found there.
        qsizetype da = pos + 1;
        if (trovato && valore.isEmpty())
            da = pos;
        else if (trovato && !annidato)
            da = std::max(pos + 1, pos + valore.size() - (prefisso.size() - 1));
        pos = cercaPrefisso(t, prefisso, da);
    }
    return t;
}

namespace Make {

QString Modello::avvisoMancante() const
{
    const QString nome = percorso.mid(percorso.lastIndexOf(u'/') + 1);
    return QStringLiteral("Il file ") + nome + QStringLiteral(" non è presente nel template selezionato.") + u'\r' +
           QStringLiteral("Selezionare un altro template per il sito o un altro modello per i reparti.");
}

Modello leggiModello(const QString &percorso)
{
    Modello m;
    m.percorso = percorso;
    auto letto = TestoFile::leggi(trovaFile(percorso));
    if (!letto)
        return m;
    m.file = std::move(*letto);
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

bool unisci(QString &testo, const Riga &pagina, const std::vector<Riga> *articoli, bool livello3,
            const QString &nomeModello, QString &avviso)
{
    avviso.clear();
    auto crescitaSenzaFine = [&] {
        avviso = QStringLiteral("Il file '") + nomeModello +
                 QStringLiteral("' non è stato creato: un campo della pagina contiene se stesso e "
                                "la sostituzione dei tag non avrebbe fine.");
        return false;
    };

    bool troppo = false;
    testo = SostituisciTag(testo, pagina, 1, 0, &troppo);
    if (troppo)
        return crescitaSenzaFine();
    if (livello3) {
        testo = SostituisciTag(testo, pagina, 3, 0, &troppo);
        if (troppo)
            return crescitaSenzaFine();
    }
    if (testo == erroreUnione)
        return false;
    if (!articoli)
        return true;

    const QLatin1StringView start("<VT_START>");
    const QLatin1StringView end("<VT_END>");
    auto manca = [&](const QString &cosa, QLatin1StringView tag) {
        avviso = QStringLiteral("Il file '") + nomeModello + cosa + tag;
        return false;
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
        const QString copia = SostituisciTag(blocco, articolo, 2, ++contatore, &troppo);
        if (troppo)
            return crescitaSenzaFine();
        if (copia == erroreUnione)
            return false;
        risultato += copia;
    }
    risultato += QStringView(testo).mid(fine + end.size());
    testo = std::move(risultato);
    return true;
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
                const QString &uscita, Messages &messages)
{
    const Make::Modello m = Make::leggiModello(modello);
    if (!m.trovato) {
        messages.warning(m.avvisoMancante());
        return false;
    }
    QString testo = m.file.testo;
    QString avviso;
    if (!Make::unisci(testo, pagina, articoli, Make::conLivello3(modello), modello, avviso)) {
        if (!avviso.isEmpty())
            messages.warning(avviso);
        return false;
    }
    testo += QStringLiteral("\r\n");
    // The output replaces an older page only once it is complete.
    QString errore;
    if (!Make::scriviFile(uscita, m.file.codifica(testo), &errore)) {
        messages.warning(Make::avvisoScrittura(uscita, errore));
        return false;
    }
    return true;
}

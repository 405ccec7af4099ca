#include "risorse.h"

#include "cartelle.h"
#include "formato.h"
#include "make.h"
#include "nomifile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

std::array<QString, 5> LeggiColori(const FileAmmessi &file, const QString &cartellaSet)
{
    std::array<QString, 5> colori;
    for (int i = 0; i < 5; ++i) {
        colori[i] = ColoreMancante;
        const QString swatch = file.trova(cartellaSet, QStringLiteral("vtas_col_%1.gif").arg(i));
        if (swatch.isEmpty())
            continue;
        QImage img(swatch);
        if (img.isNull() || img.width() < 1 || img.height() < 1)
            continue;
        const QRgb p = img.pixel(0, 0);
        // The colour value as the window system stores it: red in the low byte.
        const qint32 valore = qRed(p) | (qGreen(p) << 8) | (qBlue(p) << 16);
        colori[i] = HTMLColor(valore);
    }
    return colori;
}

QString ModelloEvidenzaDa(const QString &colore4)
{
    return MettiVirgolette(QStringLiteral("<font color=|") + colore4 + QStringLiteral("|>###</font>"));
}

bool RisorsaEsclusa(const QString &nome)
{
    static const char *const estensioni[] = {".epg", ".htm", ".html", ".shtm", ".shtml", ".pl", ".asp"};
    for (const char *e : estensioni)
        if (nome.endsWith(QLatin1String(e)))
            return true;
    static const QRegularExpression js(QStringLiteral("^js[0-9]\\.js$"));
    if (js.match(nome).hasMatch())
        return true;
    return nome.startsWith(QLatin1String("vtas_col_")) || nome == QLatin1String("vtas_note.txt") ||
           nome == QLatin1String("vtas_preview.jpg");
}

namespace {

QString chiave(const QString &cartella)
{
    return QDir::cleanPath(cartella);
}

std::pair<quint64, quint64> identita(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

// The length of the well-formed UTF-8 sequence at the start of `s`, 0 when
// there is none there.
int sequenzaUtf8(const unsigned char *s, qsizetype resto)
{
    const unsigned char c = s[0];
    if (c < 0x80)
        return 1;
    const int n = c >= 0xC2 && c <= 0xDF ? 2 : (c >= 0xE0 && c <= 0xEF ? 3 : (c >= 0xF0 && c <= 0xF4 ? 4 : 0));
    if (n == 0 || resto < n)
        return 0;
    // The second byte's range excludes overlong forms, surrogates and
    // code points beyond U+10FFFF.
    const unsigned char b = s[1];
    const unsigned char basso = c == 0xE0 ? 0xA0 : (c == 0xF0 ? 0x90 : 0x80);
    const unsigned char alto = c == 0xED ? 0x9F : (c == 0xF4 ? 0x8F : 0xBF);
    if (b < basso || b > alto)
        return 0;
    for (int i = 2; i < n; ++i)
        if ((s[i] & 0xC0) != 0x80)
            return 0;
    return n;
}

// A file name as a message shows it when it is not UTF-8: its text, each
// byte that belongs to no character written as "\xE8"; empty when the name
// is UTF-8.
QString NomeNonUtf8(const QByteArray &nome)
{
    const auto *s = reinterpret_cast<const unsigned char *>(nome.constData());
    QByteArray leggibile;
    bool valido = true;
    for (qsizetype i = 0; i < nome.size();) {
        const int n = sequenzaUtf8(s + i, nome.size() - i);
        if (n > 0) {
            leggibile.append(nome.constData() + i, n);
            i += n;
        } else {
            valido = false;
            leggibile += "\\x" + QByteArray::number(s[i++], 16).toUpper().rightJustified(2, '0');
        }
    }
    return valido ? QString() : QString::fromUtf8(leggibile);
}

// The names in a folder that are not UTF-8, as raw bytes, in byte order.
QList<QByteArray> NomiNonUtf8(const QString &cartella)
{
    QList<QByteArray> nomi;
    DIR *d = ::opendir(QFile::encodeName(cartella).constData());
    if (!d)
        return nomi;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray nome(e->d_name);
        if (!nome.startsWith('.') && !NomeNonUtf8(nome).isEmpty())
            nomi << nome;
    }
    ::closedir(d);
    std::sort(nomi.begin(), nomi.end());
    return nomi;
}

// Whether the first bytes of the file are those of an SQLite database.
bool FileSQLite(const QString &percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3", 16);
}

} // namespace

void FileAmmessi::databaseNegozio(const QString &cartellaNegozio)
{
    static const QRegularExpression database(QStringLiteral("\\.(mdb|new)(-.*)?$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QStringList nomi{QStringLiteral("catalog.mdb"), QStringLiteral("vtftp.mdb"), QStringLiteral("source.new"),
                     QStringLiteral("source.mdb")};
    nomi << QDir(cartellaNegozio).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &nome : std::as_const(nomi)) {
        const QString percorso = cartellaNegozio + u'/' + nome;
        struct stat st {};
        if (::stat(QFile::encodeName(percorso).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            (database.match(nome).hasMatch() || FileSQLite(percorso)))
            m_identitaDatabase.insert(identita(st));
    }
}

void FileAmmessi::esamina(const QString &cartella, const QString &radice)
{
    const QString k = chiave(cartella);
    if (m_elenchi.contains(k))
        return;
    QStringList &buoni = m_elenchi[k];
    const bool alSuoPosto = radice.isEmpty() || DentroCartella(cartella, radice);
    // Names that are not UTF-8 reach no server as they are: named, each
    // byte that is no character shown as an escape.
    const QList<QByteArray> nonUtf8 = NomiNonUtf8(cartella);
    for (const QByteArray &nome : nonUtf8) {
        struct stat st {};
        const QByteArray percorso = QFile::encodeName(k) + '/' + nome;
        if (::stat(percorso.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            m_nomiNonValidi << k + u'/' + NomeNonUtf8(nome);
    }
    for (const QString &nome : QDir(cartella).entryList(QDir::Files | QDir::System, QDir::Name)) {
        const QString percorso = k + u'/' + nome;
        struct stat st {};
        const bool esiste = ::lstat(QFile::encodeName(percorso).constData(), &st) == 0;
        // A name that is not UTF-8 comes back from the listing as another
        // text, which names no file: it is named above.
        if (!esiste && !nonUtf8.isEmpty() && nome.contains(QChar::ReplacementCharacter))
            continue;
        const bool regolare = esiste && S_ISREG(st.st_mode);
        if (!regolare || !alSuoPosto)
            m_nonOrdinari << percorso;
        else if (HaCaratteriDiControllo(nome))
            m_nomiNonValidi << percorso;
        else if (m_identitaDatabase.contains(identita(st)))
            m_database << percorso;
        else
            buoni << nome;
    }
}

QStringList FileAmmessi::elenco(const QString &cartella) const
{
    return m_elenchi.value(chiave(cartella));
}

QStringList FileAmmessi::elenco(const QString &cartella, const QString &modello) const
{
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(modello));
    return elenco(cartella).filter(re);
}

QString FileAmmessi::trova(const QString &cartella, const QString &nome) const
{
    const auto voci = m_elenchi.constFind(chiave(cartella));
    if (voci == m_elenchi.constEnd())
        return {};
    QString trovato;
    for (const QString &v : *voci) {
        if (v == nome) {
            trovato = v;
            break;
        }
        if (trovato.isEmpty() && v.compare(nome, Qt::CaseInsensitive) == 0)
            trovato = v;
    }
    return trovato.isEmpty() ? QString() : voci.key() + u'/' + trovato;
}

bool CopiaFileRisorsa(const QString &origine, const QString &destinazione, QString *errore, bool *database)
{
    if (database)
        *database = false;
    QFile in(origine);
    if (!in.open(QIODevice::ReadOnly)) {
        if (errore)
            *errore = in.errorString();
        return false;
    }
    const QDateTime modifica = QFileInfo(in).lastModified();
    const QByteArray contenuto = in.readAll();
    if (contenuto.startsWith(QByteArray("SQLite format 3", 16))) {
        if (database)
            *database = true;
        if (errore)
            *errore = QStringLiteral("il file è un database");
        return false;
    }
    // The copy is complete before it replaces the old file.
    if (!Make::scriviFile(destinazione, contenuto, errore))
        return false;
    // The publisher compares times: an unchanged picture keeps its own.
    QFile out(destinazione);
    if (out.open(QIODevice::Append))
        out.setFileTime(modifica, QFileDevice::FileModificationTime);
    return true;
}

ListaUpload::~ListaUpload()
{
    scarta();
}

bool ListaUpload::apri(const QString &cartellaNegozio)
{
    m_elencati.clear();
    return m_file.apri(cartellaNegozio + QStringLiteral("/vtftp.dat"));
}

void ListaUpload::aggiungi(const QString &percorso)
{
    // A failed write is kept by the file and reported by chiudi().
    if (!m_file.aperto())
        return;
    m_file.scrivi((u'#' + percorso).toUtf8());
    m_elencati.insert(percorso.toLower());
}

bool ListaUpload::chiudi(QString *errore)
{
    if (!m_file.aperto())
        return false;
    const bool scritto = m_file.scrivi("#") && m_file.errore().isEmpty() && m_file.chiudi(false);
    if (!scritto) {
        if (errore)
            *errore = m_file.errore();
        m_file.scarta();
    }
    return scritto;
}

void ListaUpload::scarta()
{
    m_file.scarta();
}

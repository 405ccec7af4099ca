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

// An entry of a folder, as the folder's one reading gives it.
struct Voce {
    QByteArray nome;  // as the file system holds it
    bool esiste = false;  // lstat() could read it
    struct stat st {};
};

// The entries of a folder that are not folders (nor links to one) and not
// hidden, in byte order: the folder is read once, each entry looked at once.
std::vector<Voce> VociFile(const QString &cartella)
{
    std::vector<Voce> voci;
    const QByteArray percorso = QFile::encodeName(cartella) + '/';
    DIR *d = ::opendir(percorso.constData());
    if (!d)
        return voci;
    while (const dirent *e = ::readdir(d)) {
        Voce v{QByteArray(e->d_name)};
        if (v.nome.startsWith('.'))
            continue;
        const QByteArray completo = percorso + v.nome;
        v.esiste = ::lstat(completo.constData(), &v.st) == 0;
        struct stat meta {};
        const bool unaCartella = v.esiste && (S_ISDIR(v.st.st_mode) || (S_ISLNK(v.st.st_mode) &&
                                                                         ::stat(completo.constData(), &meta) == 0 &&
                                                                         S_ISDIR(meta.st_mode)));
        if (unaCartella)
            continue;
        voci.push_back(std::move(v));
    }
    ::closedir(d);
    std::sort(voci.begin(), voci.end(), [](const Voce &a, const Voce &b) { return a.nome < b.nome; });
    return voci;
}

bool FileDatabase(const QString &percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) && Make::InizioDatabase(f.read(16));
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
            (database.match(nome).hasMatch() || FileDatabase(percorso)))
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
    // Names that are not UTF-8 reach no server as they are: named first,
    // each byte that is no character shown as an escape; the others in the
    // order of their text.
    std::vector<std::pair<QString, const Voce *>> nomi;
    const std::vector<Voce> voci = VociFile(cartella);
    for (const Voce &v : voci) {
        if (const QString illeggibile = NomeNonUtf8(v.nome); !illeggibile.isEmpty())
            m_nomiNonValidi << k + u'/' + illeggibile;
        else
            nomi.emplace_back(QString::fromUtf8(v.nome), &v);
    }
    std::sort(nomi.begin(), nomi.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[nome, v] : nomi) {
        const QString percorso = k + u'/' + nome;
        const bool regolare = v->esiste && S_ISREG(v->st.st_mode);
        if (!regolare || !alSuoPosto)
            m_nonOrdinari << percorso;
        else if (HaCaratteriDiControllo(nome))
            m_nomiNonValidi << percorso;
        else if (m_identitaDatabase.contains(identita(v->st)))
            m_database << percorso;
        else if (FileDatabase(percorso))
            m_fileDatabase << percorso;
        else
            buoni << nome;
    }
}

bool FileAmmessi::eDatabase(const QString &cartella, const QString &nome) const
{
    if (!trova(cartella, nome).isEmpty())
        return false;
    const QString k = chiave(cartella) + u'/';
    for (const QStringList *elenco : {&m_database, &m_fileDatabase})
        for (const QString &p : *elenco)
            if (p.size() == k.size() + nome.size() && p.startsWith(k) &&
                QStringView(p).mid(k.size()).compare(nome, Qt::CaseInsensitive) == 0)
                return true;
    return false;
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
    if (Make::InizioDatabase(contenuto)) {
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

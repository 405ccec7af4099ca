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

} // namespace

void FileAmmessi::esamina(const QString &cartella, const QString &radice)
{
    const QString k = chiave(cartella);
    if (m_elenchi.contains(k))
        return;
    QStringList &buoni = m_elenchi[k];
    const bool alSuoPosto = radice.isEmpty() || DentroCartella(cartella, radice);
    for (const QString &nome : QDir(cartella).entryList(QDir::Files | QDir::System, QDir::Name)) {
        const QString percorso = k + u'/' + nome;
        struct stat st {};
        const bool regolare = ::lstat(QFile::encodeName(percorso).constData(), &st) == 0 && S_ISREG(st.st_mode);
        if (!regolare || !alSuoPosto)
            m_nonOrdinari << percorso;
        else if (HaCaratteriDiControllo(nome))
            m_nomiNonValidi << percorso;
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

bool CopiaFileRisorsa(const QString &origine, const QString &destinazione, QString *errore)
{
    QFile in(origine);
    if (!in.open(QIODevice::ReadOnly)) {
        if (errore)
            *errore = in.errorString();
        return false;
    }
    const QDateTime modifica = QFileInfo(in).lastModified();
    // The copy is complete before it replaces the old file.
    if (!Make::scriviFile(destinazione, in.readAll(), errore))
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

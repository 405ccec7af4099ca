#include "risorse.h"

#include "formato.h"
#include "make.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include <sys/stat.h>

std::array<QString, 5> LeggiColori(const QString &cartellaSet)
{
    std::array<QString, 5> colori;
    for (int i = 0; i < 5; ++i) {
        colori[i] = ColoreMancante;
        QImage img(cartellaSet + QStringLiteral("/vtas_col_%1.gif").arg(i));
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

QStringList FileCartella(const QString &cartella)
{
    return QDir(cartella).entryList(QDir::Files, QDir::Name);
}

QStringList FileDelNegozio(const QString &cartella, const QString &radice, QStringList *scartati)
{
    const QString dentro = QFileInfo(radice).canonicalFilePath() + u'/';
    QStringList buoni;
    for (const QString &nome : QDir(cartella).entryList(QDir::Files | QDir::System, QDir::Name)) {
        const QString percorso = cartella + u'/' + nome;
        struct stat st {};
        const bool regolare = ::lstat(QFile::encodeName(percorso).constData(), &st) == 0 && S_ISREG(st.st_mode);
        if (regolare && dentro.size() > 1 && QFileInfo(percorso).canonicalFilePath().startsWith(dentro))
            buoni << nome;
        else if (scartati)
            *scartati << nome;
    }
    return buoni;
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
    return m_file.apri(cartellaNegozio + QStringLiteral("/vtftp.dat"));
}

void ListaUpload::aggiungi(const QString &percorso)
{
    // A failed write is kept by the file and reported by chiudi().
    if (m_file.aperto())
        m_file.scrivi((u'#' + percorso).toUtf8());
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

#include "risorse.h"

#include "formato.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

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

bool RisorsaTemporanea(const QString &nome)
{
    return nome.endsWith(QLatin1String(".vtcopia"));
}

bool CopiaFileRisorsa(const QString &origine, const QString &destinazione, QString *errore)
{
    QFile in(origine);
    const QString temporaneo = destinazione + QStringLiteral(".vtcopia");
    QFile out(temporaneo);
    auto fallita = [&](const QString &motivo) {
        if (errore)
            *errore = motivo;
        out.close();
        QFile::remove(temporaneo);
        return false;
    };
    if (!in.open(QIODevice::ReadOnly))
        return fallita(in.errorString());
    const QDateTime modifica = QFileInfo(in).lastModified();
    QFile::remove(temporaneo);
    if (!out.open(QIODevice::WriteOnly))
        return fallita(out.errorString());
    char buf[1 << 16];
    qint64 n;
    while ((n = in.read(buf, sizeof buf)) > 0)
        if (out.write(buf, n) != n)
            return fallita(out.errorString());
    if (n < 0)
        return fallita(in.errorString());
    if (!out.flush())
        return fallita(out.errorString());
    // The publisher compares times: an unchanged picture keeps its own.
    out.setFileTime(modifica, QFileDevice::FileModificationTime);
    out.close();
    if (out.error() != QFileDevice::NoError)
        return fallita(out.errorString());
    QFile::remove(destinazione);
    if (!QFile::rename(temporaneo, destinazione))
        return fallita(QStringLiteral("impossibile sostituire il file"));
    return true;
}

ListaUpload::~ListaUpload()
{
    scarta();
}

bool ListaUpload::apri(const QString &cartellaNegozio)
{
    m_finale = cartellaNegozio + QStringLiteral("/vtftp.dat");
    m_file.setFileName(cartellaNegozio + u'/' + nomeTemporaneo());
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void ListaUpload::aggiungi(const QString &percorso)
{
    if (m_file.isOpen())
        m_file.write((u'#' + percorso).toUtf8());
}

bool ListaUpload::chiudi(QString *errore)
{
    if (!m_file.isOpen())
        return false;
    m_file.write("#");
    const bool scritto = m_file.flush() && m_file.error() == QFileDevice::NoError;
    if (!scritto && errore)
        *errore = m_file.errorString();
    m_file.close();
    if (!scritto) {
        m_file.remove();
        return false;
    }
    QFile::remove(m_finale);
    if (!m_file.rename(m_finale)) {
        if (errore)
            *errore = m_file.errorString();
        return false;
    }
    return true;
}

void ListaUpload::scarta()
{
    if (m_file.isOpen()) {
        m_file.close();
        m_file.remove();
    }
}

#include "sceltaimmagine.h"

#include "caricaimmagine.h"
#include "filesicuro.h"
#include "temporanei.h"
#include "imageerror.h"
#include "jpegwriter.h"
#include "messages.h"
#include "nomiimmagini.h"
#include "riduzione.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString App = QStringLiteral("Vetrasto");
const QString Sezione = QStringLiteral("LoadImage");

QString leggi(const QString &chiave, const QString &predefinito = {})
{
    return SettingsStore::get(App, Sezione, chiave, predefinito);
}

QImage comeImmagine(const PixelBGR &p)
{
    QImage img(p.width, p.height, QImage::Format_BGR888);
    if (img.isNull())
        return {};
    for (int y = 0; y < p.height; ++y)
        std::copy_n(p.row(y), p.stride(), img.scanLine(y));
    return img;
}

}  // namespace

qint64 SceltaImmagine::valore(const QString &testo)
{
    const QString t = testo.trimmed();
    qint64 v = 0;
    for (const QChar c : t) {
        if (!c.isDigit())
            break;
        v = std::min<qint64>(v * 10 + c.digitValue(), 1'000'000'000'000LL);
    }
    return v;
}

QString SceltaImmagine::cartellaIniziale()
{
    const QString immagini = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!immagini.isEmpty() && QFileInfo(immagini).isDir())
        return immagini;
    return QDir::homePath();
}

QStringList SceltaImmagine::filePicture(const QString &cartella)
{
    static const QStringList filtri = {QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.gif")};
    if (cartella.isEmpty())
        return {};
    QDir dir(cartella);
    dir.setNameFilters(filtri);
    dir.setFilter(QDir::Files | QDir::Readable);  // case-insensitive patterns, no hidden files
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

SceltaImmagine::SceltaImmagine(const QString &cartellaNegozio, Messages &messages)
    : m_negozio(cartellaNegozio), m_messages(messages)
{
    // Opening (load): each setting that is missing or unusable takes its default.
    m_cartellaCorrente = leggi(QStringLiteral("Path"));
    if (m_cartellaCorrente.isEmpty())
        m_cartellaCorrente = cartellaIniziale();
    m_cartellaLista = QFileInfo(m_cartellaCorrente).isDir() ? m_cartellaCorrente : cartellaIniziale();
    m_adatta = valore(leggi(QStringLiteral("MaxSize"), QStringLiteral("0"))) == 1;
    const char *chiavi[2] = {"MaxWidth", "MaxHeight"};
    for (int i = 0; i < 2; ++i) {
        qint64 v = valore(leggi(QString::fromLatin1(chiavi[i]), QString::number(LimitePredefinito)));
        if (v < LimiteMinimo || v > LimiteMassimo)
            v = LimitePredefinito;
        m_max[i] = m_ultimoMax[i] = QString::number(v);
    }
}

QString SceltaImmagine::cartellaWork() const
{
    return m_negozio + QStringLiteral("/work");
}

void SceltaImmagine::preset(const QString &nome)
{
    m_nomeScelto = nome;
    m_scheda = 2;
    m_percorsoScelto = cartellaWork() + u'/' + nome;
    m_etichetta = nome;
    m_modo = CaricaAnteprima(m_percorsoScelto) > 0 ? Interna : Nessuno;
}

void SceltaImmagine::cambiaCartella(const QString &cartella)
{
    m_cartellaLista = QDir::cleanPath(cartella);
}

void SceltaImmagine::clickFile(const QString &nome)
{
    m_nomeScelto = nome;
    m_cartellaCorrente = m_cartellaLista;
    m_percorsoScelto = QDir(m_cartellaCorrente).filePath(nome);
    m_etichetta = m_percorsoScelto;
    m_modo = CaricaAnteprima(m_percorsoScelto);
}

void SceltaImmagine::clickSito(const QString &nome)
{
    m_nomeScelto = nome;
    m_percorsoScelto = cartellaWork() + u'/' + nome;
    m_etichetta = nome;
    m_modo = CaricaAnteprima(m_percorsoScelto) > 0 ? Interna : Nessuno;
}

void SceltaImmagine::impostaAdatta(bool adatta)
{
    m_adatta = adatta;
    if (!m_percorsoScelto.isEmpty())
        m_modo = CaricaAnteprima(m_percorsoScelto);
}

bool SceltaImmagine::lasciaLimite(int i, const QString &testo)
{
    m_max[i] = testo;
    const qint64 v = valore(testo);
    if (v < LimiteMinimo || v > LimiteMassimo) {
        m_messages.show(QStringLiteral("Specificare un numero compreso fra 5 e 270"), Messages::Icon::Warning,
                        Messages::Buttons::Ok);
        m_max[i] = m_ultimoMax[i];
        return false;
    }
    if (!m_percorsoScelto.isEmpty())
        m_modo = CaricaAnteprima(m_percorsoScelto);
    m_ultimoMax[i] = testo;
    return true;
}

int SceltaImmagine::CaricaAnteprima(const QString &percorso)
{
    m_visibile = false;
    m_anteprima = QImage();
    m_ridotta.reset();
    m_messaggio.clear();

    InfoImmagine info;
    if (!CaricaImmagine::informazioni(percorso, info, &m_messaggio))
        return 0;
    Riduzione::Misura m{info.width, info.height, false};
    if (m_adatta && m_scheda == 1)
        m = Riduzione::adatta(info.width, info.height, double(valore(m_max[0])), double(valore(m_max[1])));
    const QSize misura(m.larghezza, m.altezza);
    if (m.ridotta) {
        m_ridotta = Riduzione::leggiRidotta(percorso, QSize(info.width, info.height), misura, &m_messaggio);
        if (!m_ridotta)
            return 0;
        m_anteprima = m_ridotta->image();
    } else {
        // At its own size: only the part that the preview box shows is kept,
        // but the whole file is read, so that a damaged file is refused.
        PixelBGR pixel;
        if (!CaricaImmagine::decodifica(percorso, pixel, &m_messaggio, {}, QSize(LatoAnteprima, LatoAnteprima)))
            return 0;
        m_anteprima = comeImmagine(pixel);
    }
    m_misura = misura;
    m_posizione = QPoint(misura.width() < LatoAnteprima ? (LatoAnteprima - misura.width()) / 2 : 0,
                         misura.height() < LatoAnteprima ? (LatoAnteprima - misura.height()) / 2 : 0);
    m_visibile = true;
    return m.ridotta ? Riduci : Copia;
}

void SceltaImmagine::salvaImpostazioni() const
{
    SettingsStore::set(App, Sezione, QStringLiteral("Path"), m_cartellaCorrente);
    SettingsStore::set(App, Sezione, QStringLiteral("MaxSize"), m_adatta ? QStringLiteral("1") : QStringLiteral("0"));
    SettingsStore::set(App, Sezione, QStringLiteral("MaxWidth"), QString::number(valore(m_max[0])));
    SettingsStore::set(App, Sezione, QStringLiteral("MaxHeight"), QString::number(valore(m_max[1])));
}

std::optional<QString> SceltaImmagine::ok()
{
    switch (m_modo) {
    case Copia:
    case Riduci: {
        const QString work = cartellaWork();
        if (!QDir().mkpath(work)) {
            m_messages.show(QStringLiteral("Impossibile creare la cartella '%1'.").arg(work), Messages::Icon::Warning,
                            Messages::Buttons::Ok);
            return std::nullopt;
        }
        // What a picture write that was killed left behind goes first.
        Temporanei::rimuovi(work);
        const QString nuovo = NomiImmagini::NuovoNomeImmagineIn(work, m_nomeScelto, m_modo == Riduci);
        const QString destinazione = work + u'/' + nuovo;
        if (m_modo == Copia) {
            QFile sorgente(m_percorsoScelto);
            QByteArray dati;
            if (sorgente.open(QIODevice::ReadOnly))
                dati = sorgente.readAll();
            EsitoScrittura esito;
            if (sorgente.error() != QFileDevice::NoError || dati.size() != sorgente.size())
                esito = {false, 0, QStringLiteral("impossibile leggere '%1'").arg(m_percorsoScelto)};
            else
                esito = sostituisciFile(destinazione, dati);
            if (!esito.ok) {
                m_messages.show(QStringLiteral("Impossibile copiare l'immagine nella cartella del negozio: %1.")
                                    .arg(esito.testo),
                                Messages::Icon::Warning, Messages::Buttons::Ok);
                return std::nullopt;
            }
        } else {
            try {
                if (!m_ridotta)
                    throw ImageError(ImageErr::Jpeg, JpegWriter::source(),
                                     QStringLiteral("Failed to save to JPG: the bitmap is empty"));
                SaveDIBToJPEG(*m_ridotta, destinazione, QualitaJpeg);
            } catch (const ImageError &e) {
                m_messages.show(QStringLiteral("Impossibile salvare l'immagine ridotta: %1").arg(e.description),
                                Messages::Icon::Warning, Messages::Buttons::Ok);
                return std::nullopt;
            }
        }
        m_nomeScelto = nuovo;
        salvaImpostazioni();
        return nuovo;
    }
    case Interna:
        salvaImpostazioni();
        return m_nomeScelto;
    default:
        return QString();
    }
}

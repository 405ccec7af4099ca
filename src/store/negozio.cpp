#include "negozio.h"

#include "cartelle.h"
#include "cartellelavoro.h"
#include "catalogschema.h"
#include "messages.h"
#include "nomifile.h"
#include "programfolder.h"
#include "shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

const QString msgInUso = QStringLiteral("Il database è utilizzato da un altro utente.");
const QString msgCorrotto =
    QStringLiteral("Il database è corrotto, oppure sono stati cancellati alcuni file del programma.");
const QString msgAltroNegozio = QStringLiteral("Si desidera aprire un altro negozio?");
const QString msgNonNegozio =
    QStringLiteral("La cartella selezionata non contiene un negozio\r\n(oppure il negozio contenuto è corrotto)");
const QString msgSolaLettura =
    QStringLiteral("Il negozio nella cartella '%1' è in sola lettura: si può consultare, ma le modifiche non "
                   "potranno essere salvate e il sito non potrà essere costruito.");
const QString msgServerPath = QStringLiteral("Impossibile registrare il negozio da aprire all'avvio nel file '%1'.");

QString numeroConSegno(qint64 n)
{
    return n < 0 ? QString::number(n) : u' ' + QString::number(n);
}

// The first line of serverpath.net, trimmed; null when the file cannot be read.
QString leggiServerPath(bool *vuoto)
{
    QFile f(ProgramFolder::serverPathFile());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    *vuoto = data.isEmpty();
    QString first = QString::fromUtf8(data).section(u'\n', 0, 0);
    first.remove(u'\r');
    return first.trimmed();
}

} // namespace

Negozio::Negozio(Messages &messages, QObject *parent) : QObject(parent), m_messages(messages), m_dati(state) {}

Negozio::~Negozio()
{
    m_dati.chiudi();
}

void Negozio::setAppunti(Appunti a)
{
    m_appunti = a;
    emit appuntiCambiati();
}

QString Negozio::testoTotaleArticoli() const
{
    if (state.ArticoliReparto < 0)
        return QStringLiteral(" Articoli: ") + numeroConSegno(state.TotaleArticoli);
    return QStringLiteral(" Articoli: ") + numeroConSegno(state.ArticoliReparto) + QStringLiteral(" /")
           + numeroConSegno(state.TotaleArticoli);
}

QStringList Negozio::modelliTemplate(const QString &cartellaSet)
{
    QStringList models;
    const auto files = QDir(cartellaSet).entryList(QDir::Files, QDir::Name);
    for (const QString &f : files)
        if (f.startsWith(QLatin1String("modello"), Qt::CaseInsensitive)
            && f.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
            models << f;
    return models;
}

namespace {
// The settings record's "template" and a department's "template" fields.
constexpr int lunghezzaNomeTemplate = 50;
}

QStringList Negozio::elencoModelli() const
{
    QStringList nomi;
    for (const QString &f : modelliTemplate(ProgramFolder::path() + u'/' + state.CartellaTemplate))
        if (f.size() - 4 <= lunghezzaNomeTemplate)
            nomi << f.left(f.size() - 4);
    return nomi;
}

QStringList Negozio::setTemplate()
{
    QStringList sets;
    const QString radice = ProgramFolder::path() + QStringLiteral("/template");
    for (const QString &d : QDir(radice).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (d.size() <= lunghezzaNomeTemplate && !modelliTemplate(radice + u'/' + d).isEmpty())
            sets << d;
    return sets;
}

bool Negozio::eNegozio(const QString &cartella)
{
    for (const char *file : {"catalog.mdb", "vtftp.mdb", "source.new"}) {
        const QFileInfo fi(cartella + u'/' + QLatin1String(file));
        if (!fi.isFile() || fi.isHidden())
            return false;
    }
    // Any entry of these names counts, whatever it is.
    for (const char *item : {"work", "online", "scripts"})
        if (!QFileInfo::exists(cartella + u'/' + QLatin1String(item)))
            return false;
    return true;
}

bool Negozio::preparaNegozioPredefinito(QString *errore)
{
    const QString folder = ProgramFolder::defaultShopFolder();
    if (QFileInfo::exists(folder + QStringLiteral("/catalog.mdb")))
        return true;
    // The demo shop, when the program folder has one, else the empty shop.
    QString empty = ProgramFolder::path() + QStringLiteral("/demo");
    if (!QFileInfo::exists(empty + QStringLiteral("/catalog.mdb")))
        empty = ProgramFolder::path() + QStringLiteral("/new");
    if (!QFileInfo::exists(empty + QStringLiteral("/catalog.mdb"))) {
        if (errore)
            *errore = QStringLiteral("Il negozio vuoto '%1' non è stato trovato.").arg(empty);
        return false;
    }
    QDir().mkpath(folder);
    CopiaCartella(empty, folder);
    if (!QFileInfo::exists(folder + QStringLiteral("/catalog.mdb"))) {
        if (errore)
            *errore = QStringLiteral("Impossibile creare il negozio nella cartella '%1'.").arg(folder);
        return false;
    }
    return true;
}

QString Negozio::cartellaAvvio(bool *letto)
{
    bool vuoto = false;
    const QString named = leggiServerPath(&vuoto);
    if (letto)
        *letto = !named.isNull();
    if (named.isNull() || vuoto) {
        preparaNegozioPredefinito();
        return ProgramFolder::defaultShopFolder();
    }
    return named;
}

int Negozio::CaricaNegozio()
{
    ShopState &s = state;
    if (s.PercorsoNegozio.isEmpty())
        return NonAperto;
    // Held as an absolute path: every folder and list the shop writes is
    // derived from it, and must not follow the program's current folder.
    s.PercorsoNegozio = QDir(s.PercorsoNegozio).absolutePath();
    emit titoloCambiato(QStringLiteral("Vetrasto - ") + s.PercorsoNegozio);
    try {
        // Opened exclusively first and upgraded on that connection: no
        // other program comes between the two, and the file is read once.
        // A catalogue that cannot be opened so is not upgraded: it takes the
        // failure path.
        const QString path = s.PercorsoNegozio + QStringLiteral("/catalog.mdb");
        s.dbCatalogo = Database::open(path, Database::Access::Exclusive);
        const QString avvisoCodice = AggiornaNegozio(s.PercorsoNegozio, s.dbCatalogo.get());
        s.ArticoliReparto = -1;
        m_dati.impostaTotaleArticoli(
            s.dbCatalogo->scalar(QStringLiteral("SELECT COUNT(*) AS nArt FROM articoli")).toLongLong());

        DatiPrincipali &d = m_dati;
        d.dataArticoli.setDatabaseName(path);
        d.dataArticoli.setRecordSource(DatiPrincipali::sqlArticoli(), {AlberoReparti::Radice});
        CaricaReparti(true);
        d.dataCategorie.setDatabaseName(path);
        d.dataFratelli.setDatabaseName(path);
        d.dataGenerale.setDatabaseName(path);
        d.dataGenerale.setRecordSource(QStringLiteral("generale"));
        d.dataGenerale.refresh();
        d.dataCategorie.setRecordSource(DatiPrincipali::sqlCategorie());
        d.dataCategorie.refresh();

        impostaCartelle();
        impostaTemplate();
        // A shop on a read-only disk, or whose files cannot be written, can
        // be looked at but not changed: said once, at the opening.
        if (!QFileInfo(path).isWritable() || !QFileInfo(s.PercorsoNegozio).isWritable())
            m_messages.show(msgSolaLettura.arg(s.PercorsoNegozio), Messages::Icon::Warning, Messages::Buttons::Ok);
        else if (!avvisoCodice.isEmpty())
            m_messages.warning(avvisoCodice);
        return Aperto;
    } catch (const std::exception &e) {
        const auto *db = dynamic_cast<const DbError *>(&e);
        const QString msg = (db && db->inUse() ? msgInUso : msgCorrotto) + QStringLiteral("\r\n") + msgAltroNegozio;
        s.PercorsoNegozio.clear();
        if (m_messages.show(msg, Messages::Icon::Warning, Messages::Buttons::YesNo) != Messages::Answer::Yes)
            return NonAperto;
        // No shop chosen (the picker cancelled, or a folder that is not a
        // shop): nothing is open and the main window goes.
        return ApriNegozio(QStringLiteral("*")) ? AltroNegozio : NonAperto;
    }
}

void Negozio::impostaCartelle()
{
    CartelleLavoro(*this).carica();
}

void Negozio::impostaTemplate()
{
    const QString set = m_dati.dataGenerale.recordset().text(QStringLiteral("template"));
    const auto scegli = [this] { return m_sceltaTemplate && m_sceltaTemplate->ScegliTemplate(); };
    if (!set.isEmpty()) {
        // Only a plain folder name of the program's sets: a name holding ".."
        // or "/" would have the build read a template from elsewhere.
        state.CartellaTemplate = NomeSemplice(set) ? QStringLiteral("template/") + set : QString();
        if (!state.CartellaTemplate.isEmpty() &&
            !modelliTemplate(ProgramFolder::path() + u'/' + state.CartellaTemplate).isEmpty()) {
            CaricaModelli();
        } else if (!scegli()) {
            m_dati.impostaModelli({QStringLiteral("modello1")});
            m_messages.show(QStringLiteral("Per costruire il negozio sarà necessario scegliere un template"),
                            Messages::Icon::Information, Messages::Buttons::Ok);
        }
    } else if (!scegli()) {
        m_dati.impostaModelli({QStringLiteral("modello1")});
    }
}

void Negozio::CaricaModelli()
{
    m_dati.impostaModelli(elencoModelli());
}

bool Negozio::ApplicaTemplate(const QString &set)
{
    Recordset &g = m_dati.dataGenerale.recordset();
    try {
        g.edit();
        g.setValue(QStringLiteral("template"), set);
        g.update();
    } catch (const DbError &) {
        g.cancelUpdate();
        return false;
    }
    state.CartellaTemplate = QStringLiteral("template/") + set;
    CaricaModelli();
    return true;
}

bool Negozio::ChiudiNegozio()
{
    const bool scritto = m_dati.scriviModifiche();
    m_dati.chiudi();
    if (state.dbCatalogo)
        state.dbCatalogo->close();
    state.dbCatalogo.reset();
    return scritto;
}

bool Negozio::ApriNegozio(const QString &cartella)
{
    QString folder = cartella;
    if (cartella == QLatin1String("*"))
        folder = Shell::scegliCartella(QStringLiteral("Selezionare la cartella che contiene il negozio da aprire:"),
                                       state.PercorsoNegozio);
    if (folder.isEmpty())
        return false;
    folder = QDir::cleanPath(folder);
    if (!eNegozio(folder)) {
        m_messages.show(msgNonNegozio, Messages::Icon::Warning, Messages::Buttons::Ok);
        return false;
    }
    const QString serverPath = ProgramFolder::serverPathFile();
    if (folder == ProgramFolder::defaultShopFolder()) {
        QFile::remove(serverPath);
    } else {
        QDir().mkpath(QFileInfo(serverPath).absolutePath());
        QSaveFile f(serverPath);
        bool ok = f.open(QIODevice::WriteOnly);
        if (ok) {
            f.write((folder + QStringLiteral("\r\n")).toUtf8());
            ok = f.commit();
        }
        if (!ok) {
            m_messages.show(msgServerPath.arg(serverPath), Messages::Icon::Warning, Messages::Buttons::Ok);
            return false;
        }
    }
    RiavviaMain();
    return true;
}

void Negozio::NuovoNegozio()
{
    const QString folder = Shell::scegliCartella(
        QStringLiteral("Selezionare la cartella del nuovo negozio (la cartella deve essere preferibilmente vuota):"),
        QString());
    if (folder.isEmpty())
        return;
    if (QFileInfo::exists(folder + QStringLiteral("/catalog.mdb"))) {
        m_messages.show(QStringLiteral("Nel percorso specificato è già presente un negozio"), Messages::Icon::Warning,
                        Messages::Buttons::Ok);
        return;
    }
    const QString empty = ProgramFolder::path() + QStringLiteral("/new");
    if (!QFileInfo::exists(empty + QStringLiteral("/catalog.mdb")) || !CopiaCartella(empty, folder)) {
        m_messages.show(QStringLiteral("Impossibile creare un negozio nel percorso specificato"),
                        Messages::Icon::Warning, Messages::Buttons::Ok);
        return;
    }
    ApriNegozio(folder);
}

void Negozio::RiavviaMain()
{
    ChiudiNegozio();
    state.clear();
    m_appunti = {};
    emit riavvioRichiesto();
}

void Negozio::CaricaReparti(bool dalDatabase)
{
    // The departments in the query's order, which is their place in the
    // node collection.
    std::vector<AlberoReparti::Reparto> reparti;
    if (dalDatabase) {
        // Only the fields the tree shows, read straight from the engine.
        LetturaDiretta l(*state.dbCatalogo, QStringLiteral("SELECT ID, titolo, genitore FROM categorie ORDER BY ") +
                                                DatiPrincipali::ordineCategorie());
        while (l.prossima())
            reparti.push_back({l.testo(0), l.testo(1), l.nullo(2) ? std::nullopt : std::optional<QString>(l.testo(2))});
        // A catalogue without departments is damaged.
        if (reparti.empty())
            throw Recordset::noCurrent();
    } else {
        Recordset rs = m_dati.dataCategorie.recordset().clone();
        rs.moveFirst();
        reparti.reserve(rs.recordCount());
        const int cId = rs.fieldIndex(QStringLiteral("ID"));
        const int cTitolo = rs.fieldIndex(QStringLiteral("titolo"));
        const int cGenitore = rs.fieldIndex(QStringLiteral("genitore"));
        for (; !rs.eof(); rs.moveNext()) {
            const QVariant genitore = rs.value(cGenitore);
            reparti.push_back({rs.value(cId).toString(), rs.value(cTitolo).toString(),
                               genitore.isValid() ? std::optional<QString>(genitore.toString()) : std::nullopt});
        }
    }
    m_dati.tvwCategorie.ricostruisci(reparti);
}

Negozio::EsitoArticolo Negozio::VaiArticolo(qint64 id)
{
    Recordset a(state.dbCatalogo, QStringLiteral("SELECT catID FROM articoli WHERE ID=?"), {id});
    if (a.eof())
        return EsitoArticolo::Inesistente;
    // Articles of no department ("###", or one that is gone) have no place
    // in the articles view: the shop's root shows the shop's own panels.
    const QString catId = a.text(QStringLiteral("catID"));
    DatiPrincipali &d = m_dati;
    Recordset &categorie = d.dataCategorie.recordset();
    if (catId.isEmpty() || catId == AlberoReparti::Radice || !categorie.findFirst(QStringLiteral("ID"), catId))
        return EsitoArticolo::SenzaReparto;
    d.tvwCategorie.seleziona(categorie.text(QStringLiteral("ID")));
    d.dataArticoli.recordset().findFirst(QStringLiteral("ID"), id);
    emit articoloRaggiunto(id);
    return EsitoArticolo::Mostrato;
}

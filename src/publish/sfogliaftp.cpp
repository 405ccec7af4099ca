#include "sfogliaftp.h"

#include "impostazioni.h"
#include "nomifile.h"
#include "impostazioniftp.h"
#include "percorsiftp.h"
#include "recordset.h"

namespace {

// A listing line as the log shows it: control and invisible format
// characters as escapes (a bidi control would show the line reordered),
// and no more than its beginning when it is long.
QString RigaPerIlLog(const QString &riga)
{
    constexpr qsizetype Massimo = 300;
    QString r;
    for (const QChar c : QStringView(riga).left(Massimo))
        r += c.category() == QChar::Other_Format ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                                 : TestoLeggibile(QString(c));
    if (riga.size() > Massimo)
        r += QStringLiteral("… (%1 caratteri)").arg(riga.size());
    return r;
}

} // namespace

void ImpostaCartellaFTP(Recordset &generale, int tipo, const QString &cartella)
{
    const bool serverNT = Impostazioni::daRecord(generale).chkNT != 0;
    generale.edit();
    if (tipo == 0) {
        generale.setValue(QStringLiteral("folderFTP"), cartella);
        generale.setValue(QStringLiteral("cartella"), Impostazioni::cartellaDaFolderFTP(cartella, serverNT));
    } else {
        generale.setValue(QStringLiteral("folderCGI"), cartella);
        generale.setValue(QStringLiteral("cartellaCGI"), Impostazioni::cartellaDaFolderCGI(cartella, serverNT));
    }
    generale.update();
}

SfogliaFtp::SfogliaFtp(const QString &percorsoNegozio, QObject *parent)
    : QObject(parent), m_ftp(CreaComponenteFtp())
{
    LeggiFirewall(percorsoNegozio + QStringLiteral("/firewall.net"), *m_ftp);
    m_ftp->rigaProtocollo = [this](const QString &r) { emit rigaRegistrata(r); };
    m_lavoratore = new QObject;
    m_lavoratore->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_lavoratore, &QObject::deleteLater);
    m_thread.start();
}

SfogliaFtp::~SfogliaFtp()
{
    m_chiuso = true;
    m_ftp->interrompi();
    m_thread.quit();
    m_thread.wait();
}

QString SfogliaFtp::MessaggioFallimento()
{
    return QStringLiteral("Impossibile comunicare con l'host specificato:\r\n"
                          "ricontrollare il nome dell'host, lo username, la password e riprovare\r\n"
                          "(oppure modificare le impostazioni FTP avanzate).");
}

QString SfogliaFtp::Selezione(const QString &percorso, const QString &voce)
{
    const QString v = voce.trimmed();
    return percorso.isEmpty() ? v : percorso + u'/' + v;
}

void SfogliaFtp::ConnettiFTP(const QString &host, const QString &user, const QString &password)
{
    m_ftp->host = PulisciHost(host);
    m_ftp->user = user.trimmed();
    m_ftp->password = password.trimmed();
    m_ftp->attese = attese;
    avvia([](ComponenteFtp &f) { return f.connetti(); }, {}, QString());
}

void SfogliaFtp::Entra(const QString &cartella)
{
    const QString nuovo = m_percorso.isEmpty() ? cartella : m_percorso + u'/' + cartella;
    avvia([cartella](ComponenteFtp &f) { return f.cambiaCartella(cartella); },
          [](ComponenteFtp &f) { return f.cartellaSuperiore(); }, nuovo);
}

void SfogliaFtp::Su()
{
    const int barra = m_percorso.lastIndexOf(u'/');
    const QString lasciata = m_percorso.mid(barra + 1);
    avvia([](ComponenteFtp &f) { return f.cartellaSuperiore(); },
          [lasciata](ComponenteFtp &f) { return f.cambiaCartella(lasciata); }, barra < 0 ? QString() : m_percorso.left(barra));
}

void SfogliaFtp::Chiudi()
{
    m_chiuso = true;
    m_ftp->interrompi();
}

void SfogliaFtp::avvia(Passo passo, Passo ritorno, const QString &nuovoPercorso)
{
    if (m_occupato || m_chiuso)
        return;
    m_occupato = true;
    emit occupatoCambiato(true);
    QMetaObject::invokeMethod(m_lavoratore, [this, passo, ritorno, nuovoPercorso] {
        QStringList cartelle;
        QString messaggio;
        const Esito esito = lavora(passo, ritorno, nuovoPercorso, cartelle, messaggio);
        QMetaObject::invokeMethod(this, [this, esito, cartelle, nuovoPercorso, messaggio] {
            concluso(esito, cartelle, nuovoPercorso, messaggio);
        });
    });
}

SfogliaFtp::Esito SfogliaFtp::lavora(const Passo &passo, const Passo &ritorno, const QString &nuovoPercorso,
                                     QStringList &cartelle, QString &messaggio)
{
    ComponenteFtp &ftp = *m_ftp;
    QStringList righe, nomi, scartate;
    const auto raccogli = [&ftp](QStringList &in) { ftp.rigaElenco = [&in](const QString &r) { in << r; }; };
    RisultatoFtp r = passo(ftp);
    bool elenco = false;  // the step went, its listing did not
    if (r.riuscito()) {
        raccogli(righe);
        r = ftp.elenca(false);
        elenco = !r.riuscito();
    }
    if (r.riuscito()) {
        // The names alone, to check the listing's folder lines by.
        raccogli(nomi);
        const bool conNomi = ftp.elenca(true).riuscito();
        cartelle = CartelleOfferte(righe, conNomi ? std::optional(nomi) : std::nullopt, scartate);
    }
    ftp.rigaElenco = nullptr;
    for (const QString &riga : std::as_const(scartate))
        emit rigaRegistrata(QStringLiteral("* Riga dell'elenco non usata: ") + RigaPerIlLog(riga));
    if (r.riuscito())
        return Esito::Riuscito;
    messaggio = elenco ? QStringLiteral("Impossibile elencare il contenuto della cartella '%1'.\n").arg(nuovoPercorso)
            + r.messaggio()
                       : r.messaggio();
    // A refusal of the server (a reply) to a move leaves the connection
    // sound: the browser stays where it was, taken back when it had moved.
    if (!ritorno || r.rispostaServer() == 0 || (elenco && !ritorno(ftp).riuscito()))
        return Esito::Fallito;
    return Esito::Rifiutato;
}

void SfogliaFtp::concluso(Esito esito, const QStringList &cartelle, const QString &nuovoPercorso,
                          const QString &messaggio)
{
    m_occupato = false;
    emit occupatoCambiato(false);
    if (m_chiuso)
        return;
    if (esito == Esito::Fallito) {
        m_chiuso = true;
        emit fallito();
        return;
    }
    if (esito == Esito::Rifiutato) {
        emit rifiutato(messaggio);
        return;
    }
    m_percorso = nuovoPercorso;
    m_cartelle = cartelle;
    emit elencato();
}

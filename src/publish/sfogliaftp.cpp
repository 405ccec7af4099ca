#include "sfogliaftp.h"

#include "impostazioni.h"
#include "impostazioniftp.h"
#include "percorsiftp.h"
#include "recordset.h"

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
    avvia([](ComponenteFtp &f) { return f.connetti(); }, QString());
}

void SfogliaFtp::Entra(const QString &cartella)
{
    const QString nuovo = m_percorso.isEmpty() ? cartella : m_percorso + u'/' + cartella;
    avvia([cartella](ComponenteFtp &f) { return f.cambiaCartella(cartella); }, nuovo);
}

void SfogliaFtp::Su()
{
    const int barra = m_percorso.lastIndexOf(u'/');
    avvia([](ComponenteFtp &f) { return f.cartellaSuperiore(); }, barra < 0 ? QString() : m_percorso.left(barra));
}

void SfogliaFtp::Chiudi()
{
    m_chiuso = true;
    m_ftp->interrompi();
}

void SfogliaFtp::avvia(std::function<RisultatoFtp(ComponenteFtp &)> passo, const QString &nuovoPercorso)
{
    if (m_occupato || m_chiuso)
        return;
    m_occupato = true;
    emit occupatoCambiato(true);
    ComponenteFtp *ftp = m_ftp.get();
    QMetaObject::invokeMethod(m_lavoratore, [this, ftp, passo, nuovoPercorso] {
        QStringList cartelle;
        ftp->rigaElenco = [&cartelle](const QString &riga) {
            if (RigaCartella(riga))
                cartelle << NomeFileFTP(riga);
        };
        bool riuscito = passo(*ftp).riuscito() && ftp->elenca().riuscito();
        ftp->rigaElenco = nullptr;
        QMetaObject::invokeMethod(this, [this, riuscito, cartelle, nuovoPercorso] {
            concluso(riuscito, cartelle, nuovoPercorso);
        });
    });
}

void SfogliaFtp::concluso(bool riuscito, const QStringList &cartelle, const QString &nuovoPercorso)
{
    m_occupato = false;
    emit occupatoCambiato(false);
    if (m_chiuso)
        return;
    if (!riuscito) {
        m_chiuso = true;
        emit fallito();
        return;
    }
    m_percorso = nuovoPercorso;
    m_cartelle = cartelle;
    emit elencato();
}

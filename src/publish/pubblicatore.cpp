#include "pubblicatore.h"

#include "impostazioni.h"
#include "nomifile.h"
#include "percorsiftp.h"
#include "shopstate.h"
#include "testofile.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <sys/stat.h>

namespace {

// The warning of a failure of the upload records.
QString avvisoArchivio(const QString &motivo)
{
    return QStringLiteral("Errore: archivio dei file inviati (vtftp.mdb): ") + motivo;
}

} // namespace

ModoFTP ModoDaTag(const QString &tag)
{
    if (tag == QLatin1String("OTP"))
        return ModoFTP::OTP;
    if (tag == QLatin1String("OTP-append"))
        return ModoFTP::OTPAccoda;
    return ModoFTP::Normale;
}

ContestoPubblicazione ContestoPubblicazione::da(const ShopState &stato, const Impostazioni &imp)
{
    ContestoPubblicazione c;
    c.PercorsoNegozio = stato.PercorsoNegozio;
    c.CartellaPagine = stato.CartellaPagine;
    c.CartellaScript = stato.CartellaScript;
    c.txtHost = imp.txtHost;
    c.txtUsername = imp.txtUsername;
    c.txtPassword = imp.txtPassword;
    c.txtFolderFTP = imp.txtFolderFTP;
    c.txtFolderCGI = imp.txtFolderCGI;
    c.txtURLNegozio = imp.txtURLNegozio;
    c.chkNT = imp.chkNT != 0;
    return c;
}

namespace {

// The items of an upload list: "#" path 1 "#" path 2 ... "#". The paths are
// absolute, so a "#" not followed by "/" lies inside a name; one followed
// by "/" lies inside a path too where what comes before it, with the "#",
// begins one of the folders (a shop in a folder named "C#").
QStringList VociLista(const QString &testo, const QStringList &cartelle)
{
    QStringList voci;
    const qsizetype inizio = testo.indexOf(u'#');
    if (inizio < 0)
        return voci;
    QString voce;
    for (qsizetype i = inizio + 1; i < testo.size(); ++i) {
        if (testo[i] != u'#') {
            voce += testo[i];
            continue;
        }
        const bool nelNome = i + 1 < testo.size() && testo[i + 1] != u'/';
        const QString seguito = voce + u'#';
        const bool nellaCartella = std::any_of(cartelle.begin(), cartelle.end(),
                                               [&](const QString &c) { return c.startsWith(seguito); });
        if (nelNome || nellaCartella) {
            voce = seguito;
        } else {
            if (!voce.isEmpty())
                voci << voce;
            voce.clear();
        }
    }
    if (!voce.isEmpty())
        voci << voce;
    return voci;
}

} // namespace

bool ListaCaricamento::carica(const QString &percorso)
{
    const auto letto = TestoFile::leggi(percorso);
    if (!letto)
        return false;
    m_testo = letto->testo;
    const QStringList voci = VociLista(m_testo, {});
    m_percorsi = QSet<QString>(voci.begin(), voci.end());
    m_fuoriPosto.clear();
    return true;
}

void ListaCaricamento::riferisci(const QString &negozio, const QString &pagine, const QString &script)
{
    const QString lavoro = QStringLiteral("/source.mdb");
    const QString database = negozio + lavoro;
    const auto alSuoPosto = [&](const QString &p) {
        const QString cartella = p.left(p.lastIndexOf(u'/'));
        return p == database || (!cartella.isEmpty() && (cartella == pagine || cartella == script));
    };
    // The shop folder of the build: where its work database was, the first
    // item.
    QString vecchio;
    const qsizetype inizio = m_testo.indexOf(u'#') + 1;
    qsizetype fine = m_testo.indexOf(lavoro + u'#', inizio);
    if (fine < 0 && m_testo.endsWith(lavoro))
        fine = m_testo.size() - lavoro.size();
    if (inizio > 0 && fine > inizio && m_testo.at(inizio) == u'/')
        vecchio = m_testo.mid(inizio, fine - inizio);
    QStringList cartelle{negozio + u'/', pagine + u'/', script + u'/'};
    if (!vecchio.isEmpty())
        cartelle << vecchio + u'/';
    QStringList voci = VociLista(m_testo, cartelle);
    if (voci.isEmpty() || voci.first() != vecchio + lavoro)
        vecchio.clear();
    const bool spostato = !vecchio.isEmpty() && vecchio != negozio;
    m_fuoriPosto.clear();
    for (QString &voce : voci) {
        if (alSuoPosto(voce))
            continue;
        if (spostato && voce.startsWith(vecchio + u'/')) {
            const QString qui = negozio + voce.mid(vecchio.size());
            if (alSuoPosto(qui)) {
                voce = qui;
                continue;
            }
        }
        m_fuoriPosto << voce;
    }
    m_percorsi = QSet<QString>(voci.begin(), voci.end());
}

bool ListaCaricamento::contiene(const QString &percorsoCompleto) const
{
    return m_percorsi.contains(percorsoCompleto);
}

Pubblicatore::Pubblicatore(ContestoPubblicazione contesto, ModoFTP modo, Messages &messages, QObject *parent)
    : QObject(parent), m_contesto(std::move(contesto)), m_modo(modo), m_messages(messages)
{
}

Pubblicatore::~Pubblicatore()
{
    std::lock_guard lock(m_mutexFtp);
    if (m_ftp)
        m_ftp->interrompi();
}

bool Pubblicatore::carica(QString *errore)
{
    {
        std::lock_guard lock(m_mutexFtp);
        m_ftp = CreaComponenteFtp();
    }
    m_ftp->rigaProtocollo = [this](const QString &r) { rigaProtocollo(r); };
    LeggiFirewall(m_contesto.PercorsoNegozio + QStringLiteral("/firewall.net"), *m_ftp);
    trasferimento = Trasferimento::leggi(m_contesto.PercorsoNegozio + QStringLiteral("/vtftp.ini"));
    const QString lista = m_contesto.PercorsoNegozio + QStringLiteral("/vtftp.dat");
    if (!m_lista.carica(lista)) {
        if (errore)
            *errore = QStringLiteral("Impossibile leggere il file '%1'.").arg(lista);
        return false;
    }
    m_lista.riferisci(m_contesto.PercorsoNegozio, m_contesto.CartellaPagine, m_contesto.CartellaScript);
    return true;
}

void Pubblicatore::annulla()
{
    m_annullato = true;
    std::lock_guard lock(m_mutexFtp);
    if (m_ftp)
        m_ftp->interrompi();
}

Pubblicatore::Conclusione Pubblicatore::esegui()
{
    Conclusione c;
    const QString &negozio = m_contesto.PercorsoNegozio;
    if (m_modo == ModoFTP::Normale && ListaNonValida())
        return c;
    bool ok = true;
    if (m_modo == ModoFTP::Normale) {
        ok = UpdateFTP(QStringLiteral("Aggiornamento cartella del negozio"), m_contesto.CartellaPagine,
                       negozio + QStringLiteral("/vtftp1.log"), m_contesto.txtHost, m_contesto.txtUsername,
                       m_contesto.txtPassword, m_contesto.txtFolderFTP);
    } else {
        trasferimento.InviaTutti = true;
        trasferimento.SoloNegozio = false;
        trasferimento.EstensioniOK = QStringLiteral(".ric.ris.");
    }
    if (ok)
        ok = UpdateFTP(QStringLiteral("Aggiornamento cartella CGI"), m_contesto.CartellaScript,
                       negozio + QStringLiteral("/vtftp2.log"), m_contesto.txtHost, m_contesto.txtUsername,
                       m_contesto.txtPassword, m_contesto.txtFolderCGI);
    {
        // The connection is abandoned, not waited for.
        std::lock_guard lock(m_mutexFtp);
        if (m_ftp)
            m_ftp->interrompi();
        m_ftp.reset();
    }
    c.riuscito = ok && !annullato();
    if (!c.riuscito)
        return c;
    if (m_modo == ModoFTP::Normale) {
        if (m_messages.question(QStringLiteral("Aggiornamento del negozio terminato. Vuoi vedere il sito?")))
            c.indirizzoDaAprire = m_contesto.txtURLNegozio;
    } else {
        m_messages.information(QStringLiteral("I file di password sono stati aggiornati"));
    }
    return c;
}

bool Pubblicatore::ListaNonValida()
{
    // The list decides only when the transfer settings say so, or for a
    // pages folder that is the shop folder itself.
    const bool decide = trasferimento.SoloNegozio
        || QFileInfo(m_contesto.CartellaPagine).canonicalFilePath()
            == QFileInfo(m_contesto.PercorsoNegozio).canonicalFilePath();
    if (!decide || m_lista.fuoriPosto().isEmpty())
        return false;
    QString esempio = TestoLeggibile(m_lista.fuoriPosto().first());
    if (esempio.size() > 200)
        esempio = esempio.left(200) + QStringLiteral("…");
    m_messages.warning(QStringLiteral("Impossibile aggiornare il sito:\r\nl'elenco dei file dell'ultima costruzione "
                                      "(vtftp.dat) nomina file che non sono nelle cartelle del negozio, ad esempio "
                                      "'%1' (il negozio è stato spostato, o le sue cartelle di lavoro sono cambiate, "
                                      "dopo la costruzione).\r\nE' necessario costruire di nuovo il negozio prima di "
                                      "aggiornare il sito.")
                           .arg(esempio));
    return true;
}

bool Pubblicatore::CaricaFile(const QString &percorsoCompleto, const QString &nomeFile) const
{
    // Only the files of the last build go when the transfer settings say so;
    // a file that lies in the shop folder itself (the catalogue with the FTP
    // password, the upload records, the settings and logs) only then,
    // whatever they say.
    const bool dellaCostruzione = m_lista.contiene(percorsoCompleto);
    if (!dellaCostruzione && (trasferimento.SoloNegozio || m_corsaNegozio))
        return false;
    if (trasferimento.estensioneAmmessa(nomeFile))
        return true;
    // What the build writes beside the scripts (the order script's price
    // list, the search data) goes with the scripts group: the scripts would
    // work on old data without it.
    return m_corsaScript && dellaCostruzione && trasferimento.estensioneAmmessa(QStringLiteral(".pl"));
}

void Pubblicatore::rigaProtocollo(const QString &riga)
{
    if (m_log.isOpen())
        m_log.write(riga.toUtf8() + '\n');
    emit rigaRegistrata(riga);
}

void Pubblicatore::avviso(const QString &testo)
{
    if (annullato())
        return;
    m_messages.warning(testo);
    m_ScriviErr = true;
}

void Pubblicatore::fallimento(const RisultatoFtp &r)
{
    m_MakeErr = true;
    QString testo = QStringLiteral("Errore: ") + r.messaggio();
    const bool connessione = r.codice == CodiceFtp::Risposta + 503 || r.codice == CodiceFtp::Risposta + 425
        || r.codice == CodiceFtp::ConnessioneDati;
    if (connessione && m_Azione != -1 && m_Azione != 4 && m_Azione != 5)
        testo += QStringLiteral("\nProvare a cambiare la modalità di connessione (attiva/passiva)\n"
                                "nelle proprietà FTP avanzate (scheda \"Internet\", pulsante \"Avanzate\")");
    avviso(testo);
}

void Pubblicatore::permessiRifiutati(const RisultatoFtp &r, const QString &nome, bool script)
{
    if (r.codice < CodiceFtp::Risposta) {
        // No reply: the connection is gone.
        fallimento(r);
        return;
    }
    m_MakeErr = true;
    // A normal update sends no password file, only its permission command:
    // the file may not be on the server at all.
    const bool soloPermessi = !script && m_modo == ModoFTP::Normale;
    const QString windows = QStringLiteral("se il server è Windows, selezionare \"Server Windows NT / 2000\" nella "
                                           "scheda \"Internet\". ")
        + (soloPermessi ? QStringLiteral("Il comando sarà ripetuto al prossimo aggiornamento.")
                        : QStringLiteral("Il file sarà inviato di nuovo al prossimo aggiornamento."));
    RisultatoFtp spiegato = r;
    spiegato.testo = script
        ? QStringLiteral("Il server non ha permesso di rendere eseguibile lo script '%1' (SITE chmod 755): il file è "
                         "sul server ma non funzionerà.\nChiedere al fornitore del servizio di abilitare il comando "
                         "SITE CHMOD o di rendere eseguibili gli script della cartella CGI; ")
                  .arg(nome)
              + windows
        : QStringLiteral("Il server non ha permesso di impostare i permessi del file di password '%1' (SITE chmod "
                         "660).\n%2 al fornitore del servizio di abilitare il comando SITE CHMOD; ")
                  .arg(nome, soloPermessi ? QStringLiteral("Se il file non è ancora sul server, inviarlo con "
                                                           "l'aggiornamento dei file di password; altrimenti chiedere")
                                          : QStringLiteral("Chiedere"))
              + windows;
    avviso(QStringLiteral("Errore: ") + spiegato.messaggio());
}

bool Pubblicatore::UpdateFTP(const QString &titoloCorsa, const QString &cartellaLocale, const QString &percorsoLog,
                             QString host, QString user, QString password, QString remota)
{
    emit titoloCambiato(QStringLiteral("Vetrasto - ") + titoloCorsa);
    m_corsaScript = cartellaLocale == m_contesto.CartellaScript;
    m_corsaNegozio =
        QFileInfo(cartellaLocale).canonicalFilePath() == QFileInfo(m_contesto.PercorsoNegozio).canonicalFilePath();
    // Only the regular files directly in the folder: a symbolic link would
    // send whatever it points to, and a name with a line break or another
    // control character would end the command that carries it.
    QStringList files, collegamenti, nonValidi;
    if (!cartellaLocale.isEmpty())
        for (const QFileInfo &f : QDir(cartellaLocale).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
            (f.isSymLink() ? collegamenti : HaCaratteriDiControllo(f.fileName()) ? nonValidi : files) << f.fileName();
    if (files.isEmpty()) {
        m_messages.warning(QStringLiteral("La cartella '%1' è vuota: è necessario costruire il sito prima di metterlo online")
                               .arg(cartellaLocale));
        return false;
    }
    emit fileLogScelto(percorsoLog);
    m_CartellaSulServer = remota.trimmed();
    host = PulisciHost(host);
    user = user.trimmed();
    password = password.trimmed();
    remota = PulisciCartella(remota);
    emit intervalloCambiato(int(files.size()));

    m_log.setFileName(percorsoLog);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        avviso(QStringLiteral("Errore: impossibile scrivere il file di log '%1' (%2).").arg(percorsoLog, m_log.errorString()));
        return false;
    }
    for (const QString &nome : std::as_const(collegamenti))
        rigaProtocollo(QStringLiteral("* %1 non è inviato: è un collegamento simbolico").arg(nome));
    NomiNonValidi(cartellaLocale, nonValidi);
    bool esito = false;
    try {
        m_record = std::make_unique<RecordInvii>(m_contesto.PercorsoNegozio + QStringLiteral("/vtftp.mdb"));
        esito = corsa(files, cartellaLocale, host, user, password, remota);
        m_record->chiudi();
    } catch (const DbError &e) {
        if (!m_ScriviErr)
            avviso(avvisoArchivio(e.description));
    } catch (const std::exception &e) {
        if (!m_ScriviErr)
            avviso(QStringLiteral("Errore: ") + QString::fromUtf8(e.what()));
    }
    m_record.reset();
    m_log.close();
    emit statoCambiato(QString());
    return esito && !annullato();
}

void Pubblicatore::NomiNonValidi(const QString &cartellaLocale, const QStringList &nomi)
{
    QStringList daInviare;
    for (const QString &nome : nomi) {
        rigaProtocollo(QStringLiteral("* %1 non è inviato: il nome contiene un a capo o un altro carattere di controllo")
                           .arg(TestoLeggibile(nome)));
        if (CaricaFile(cartellaLocale + u'/' + nome, nome))
            daInviare << u'\'' + TestoLeggibile(nome) + u'\'';
    }
    // One warning for the files the run would have sent; the run goes on.
    if (!daInviare.isEmpty() && !annullato())
        m_messages.warning(QStringLiteral("Questi file della cartella '%1' non sono stati inviati, perché il loro nome "
                                          "contiene un a capo o un altro carattere di controllo: %2. Rinominarli o "
                                          "toglierli dalla cartella.")
                               .arg(cartellaLocale, daInviare.join(QStringLiteral(", "))));
}

bool Pubblicatore::corsa(const QStringList &files, const QString &cartellaLocale, const QString &host,
                         const QString &user, const QString &password, QString remota)
{
    if (remota.isEmpty()) {
        emit statoCambiato(QStringLiteral("Connessione a ") + host);
        remota = QStringLiteral(".");
    } else {
        emit statoCambiato(QStringLiteral("Connessione a ") + host + u'/' + remota);
    }
    ComponenteFtp &ftp = *m_ftp;
    ftp.host = host;
    ftp.user = user;
    ftp.password = password;
    ftp.attese = attese;
    m_MakeErr = false;

    m_Azione = 0;
    RisultatoFtp r = ftp.connetti();
    if (!r.riuscito()) {
        fallimento(r);
        return false;
    }
    m_Azione = 4;
    r = ftp.cambiaCartella(remota);
    if (r.codice == CodiceFtp::Risposta + 550) {
        m_MakeErr = true;
        QString errore;
        if (!PulisciDB(*m_record, host, remota, &errore)) {
            avviso(avvisoArchivio(errore));
            return false;
        }
        // Asked even after a cancel: the folder's records are gone already,
        // and the merchant learns that the folder is missing.
        if (m_messages.question(QStringLiteral("La cartella specificata (%1)\nnon è presente sul server. "
                                               "Si desidera crearla?")
                                    .arg(m_CartellaSulServer))) {
            m_MakeErr = false;
            trasferimento.InviaTutti = true;
            CreaCartella(remota);
        }
    } else if (!r.riuscito()) {
        fallimento(r);
    }
    m_Azione = 0;
    if (m_MakeErr)
        return false;
    m_record->precarica(RecordInvii::prefisso(host, remota));

    for (int i = 0; i < files.size(); ++i) {
        if (annullato())
            return false;
        emit posizioneCambiata(i);
        const QString &nome = files[i];
        const QString percorso = cartellaLocale + u'/' + nome;
        if (!CaricaFile(percorso, nome))
            continue;
        if (!inviaFile(percorso, nome, host, remota))
            return false;
    }
    emit posizioneCambiata(int(files.size()));
    r = ftp.esci();
    if (!r.riuscito())
        fallimento(r);
    return !m_MakeErr;
}

bool Pubblicatore::inviaFile(const QString &percorso, const QString &nome, const QString &host, const QString &remota)
{
    emit statoCambiato(QStringLiteral("Confronto del file ") + nome);
    // The modification time in UTC seconds and the length, as the system
    // keeps them (a file gone meanwhile counts as empty and undated).
    struct stat info {};
    if (::lstat(QFile::encodeName(percorso).constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        rigaProtocollo(QStringLiteral("* %1 non è inviato: non è un file ordinario").arg(nome));
        return true;
    }
    const qint64 data = info.st_mtime;
    const qint64 peso = info.st_size;
    const QString chiave = RecordInvii::chiave(host, remota, nome);
    const auto record = m_record->cerca(chiave);
    if (record && !trasferimento.InviaTutti && record->data == data && record->peso == peso)
        return true;

    // Scripts and password files go as text, with their permissions set.
    const bool script = nome.endsWith(QLatin1String(".pl"));
    const bool password = nome.endsWith(QLatin1String(".ris")) || nome.endsWith(QLatin1String(".ric"));
    // Password files go to the server only in the password-file modes; a
    // normal update only sets their permissions, and records nothing.
    const bool soloPermessi = password && m_modo == ModoFTP::Normale;

    // While the file is replaced the server may hold only part of it: its
    // record goes, saved before the first byte, and is written again only
    // once the whole file has arrived.
    if (record && !soloPermessi) {
        m_record->elimina(chiave);
        m_record->salva();
    }

    ComponenteFtp &ftp = *m_ftp;
    m_Azione = 5;
    emit statoCambiato(QStringLiteral("Invio del file ") + nome);
    ftp.lunghezzaAttesa = peso;
    RisultatoFtp r = ftp.annunciaLunghezza(peso);
    if (!r.riuscito() && r.codice < CodiceFtp::Risposta) {
        // No reply at all: the connection is gone, the store would fail too.
        fallimento(r);
        return false;
    }
    // A 5xx reply is harmless; any other refusal ends the run after this file.
    if (!r.riuscito() && (r.rispostaServer() < 500 || r.rispostaServer() > 599))
        fallimento(r);

    m_Azione = record ? 2 : 1;
    if (!soloPermessi) {
        ftp.binario = !(script || password);
        r = ftp.invia(percorso, nome, password && m_modo == ModoFTP::OTPAccoda);
        ftp.binario = true;
        if (!r.riuscito()) {
            fallimento(r);
            return false;
        }
    }
    // A script or password file is recorded only once its permissions are
    // set: one the server would not run is sent again, with its command,
    // by the next run.
    if ((script || password) && !m_contesto.chkNT) {
        r = ftp.comando((script ? QStringLiteral("SITE chmod 755 ") : QStringLiteral("SITE chmod 660 ")) + nome);
        if (!r.riuscito()) {
            permessiRifiutati(r, nome, script);
            return false;
        }
    }
    if (!soloPermessi)
        m_record->aggiungi(chiave, data, peso);
    return !m_MakeErr;
}

void Pubblicatore::CreaCartella(const QString &remota)
{
    m_Azione = -1;
    for (const QString &livello : remota.split(u'/', Qt::SkipEmptyParts)) {
        // A level that exists already answers 550 and is passed over; the
        // change into it must succeed. ".." is only entered.
        const RisultatoFtp creata = livello == QLatin1String("..") ? RisultatoFtp() : m_ftp->creaCartella(livello);
        if (!creata.riuscito() && creata.codice != CodiceFtp::Risposta + 550) {
            fallimento(creata);
            return;
        }
        const RisultatoFtp r = m_ftp->cambiaCartella(livello);
        if (!r.riuscito()) {
            // A level that is not there could not be made: that refusal
            // is the reason.
            if (!creata.riuscito())
                rigaProtocollo(QStringLiteral("* ") + creata.testo);
            fallimento(creata.riuscito() ? r : creata);
            return;
        }
        if (!creata.riuscito())
            rigaProtocollo(QStringLiteral("* La cartella '%1' è già presente sul server.").arg(livello));
    }
}

MessaggiTraThread::MessaggiTraThread(Messages &destinatario)
    : m_destinatario(destinatario), m_contesto(std::make_unique<QObject>())
{
}

MessaggiTraThread::~MessaggiTraThread() = default;

Messages::Answer MessaggiTraThread::show(const QString &text, Icon icon, Buttons buttons, const QString &title,
                                         std::optional<Answer> defaultButton)
{
    if (QThread::currentThread() == m_contesto->thread())
        return m_destinatario.show(text, icon, buttons, title, defaultButton);
    Answer risposta = Answer::Cancel;
    QMetaObject::invokeMethod(
        m_contesto.get(), [&] { risposta = m_destinatario.show(text, icon, buttons, title, defaultButton); },
        Qt::BlockingQueuedConnection);
    return risposta;
}

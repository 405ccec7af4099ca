#include "aggiornamentopassword.h"

#include "messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString Impossibile = QStringLiteral("Impossibile completare l'operazione");

QString cartellaCanonica(const QString &cartella)
{
    const QString c = QFileInfo(cartella).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(cartella).absoluteFilePath() : c;
}

// Copies a password file to `a`, a name not yet taken, made readable by its
// owner only from the start: no other user can open it at any moment.
bool copiaRiservata(const QString &da, const QString &a)
{
    QFile sorgente(da);
    QFile copia(a);
    if (!sorgente.open(QIODevice::ReadOnly) ||
        !copia.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        return false;
    for (QByteArray blocco; !(blocco = sorgente.read(1 << 16)).isEmpty();)
        if (copia.write(blocco) != blocco.size())
            return false;
    return sorgente.error() == QFileDevice::NoError && copia.flush();
}

} // namespace

AggiornamentoPassword::AggiornamentoPassword(const QString &cartellaScript, Messages &messages,
                                             CaricamentoPassword *caricamento)
    : m_cartellaScript(cartellaScript), m_messages(messages), m_caricamento(caricamento)
{
}

QString AggiornamentoPassword::MessaggioCoppia()
{
    return QStringLiteral("E' necessario selezionare due file: xxxxxx.ric e xxxxxx.ris, con lo stesso nome e diversa "
                          "estensione.\r\nPer selezionare più file tenere premuto il tasto CTRL.");
}

bool AggiornamentoPassword::dentroScript(const QString &file) const
{
    return cartellaCanonica(QFileInfo(file).absolutePath()) == cartellaCanonica(m_cartellaScript);
}

bool AggiornamentoPassword::scegli(const QStringList &files)
{
    if (files.isEmpty())
        return false;  // the file dialog was cancelled
    auto rifiuta = [&] {
        m_messages.warning(MessaggioCoppia());
        return false;
    };
    if (files.size() != 2)
        return rifiuta();
    QString ric, ris;
    if (files[0].endsWith(QLatin1String(".ric"))) {
        ric = files[0];
        ris = files[1];
    } else if (files[0].endsWith(QLatin1String(".ris"))) {
        ris = files[0];
        ric = files[1];
    } else {
        return rifiuta();
    }
    if (!ric.endsWith(QLatin1String(".ric")) || !ris.endsWith(QLatin1String(".ris")) || ric.chopped(4) != ris.chopped(4))
        return rifiuta();
    if (dentroScript(ric)) {
        m_messages.warning(QStringLiteral("I file password selezionati si trovano nella cartella degli script del "
                                          "negozio, da cui l'aggiornamento toglie i file password.\r\nCopiarli in "
                                          "un'altra cartella e selezionarli da lì."));
        return false;
    }
    txtRic = ric;
    txtRis = ris;
    lblRic = QFileInfo(ric).fileName();
    lblRis = QFileInfo(ris).fileName();
    return true;
}

QStringList AggiornamentoPassword::estranei() const
{
    // As the publisher picks them: the extension in any case.
    QStringList altri = QDir(m_cartellaScript)
                            .entryList({QStringLiteral("*.ric"), QStringLiteral("*.ris")},
                                       QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    altri.removeAll(lblRic);
    altri.removeAll(lblRis);
    return altri;
}

void AggiornamentoPassword::rimuoviCopie()
{
    for (const QString &nome : {lblRic, lblRis})
        QFile::remove(m_cartellaScript + u'/' + nome);
}

bool AggiornamentoPassword::aggiorna(QString &pwd)
{
    if (!aggiornabile())
        return false;
    // The publisher would send them with the pair; they are not ours to delete.
    if (const QStringList altri = estranei(); !altri.isEmpty()) {
        m_messages.warning(QStringLiteral("La cartella degli script del negozio contiene altri file password (%1), "
                                          "che sarebbero inviati al server insieme a quelli scelti.\r\nSpostarli in "
                                          "un'altra cartella e ripetere l'aggiornamento: nessun file è stato inviato "
                                          "né cancellato.")
                               .arg(altri.join(QStringLiteral(", "))));
        return false;
    }
    // Copies of the pair left by an earlier attempt.
    rimuoviCopie();
    if (QFileInfo::exists(m_cartellaScript + u'/' + lblRic) || QFileInfo::exists(m_cartellaScript + u'/' + lblRis)) {
        m_messages.warning(Impossibile + QStringLiteral(": nella cartella degli script restano copie dei file "
                                                        "password che non si possono togliere."));
        return false;
    }
    if (!m_messages.question(QStringLiteral("Questa operazione modificherà i file di password sul server.\r\n\r\n"
                                            "Assicurarsi di aver inserito le impostazioni corrette; un errore in "
                                            "questa\r\nfase comporterà infatti l'impossibilità di eseguire "
                                            "transazioni con carta di credito.\r\n\r\nProcedere con "
                                            "l'aggiornamento?")))
        return false;
    if (dentroScript(txtRic) || !QFile::exists(txtRic) || !QFile::exists(txtRis) ||
        !copiaRiservata(txtRic, m_cartellaScript + u'/' + lblRic) ||
        !copiaRiservata(txtRis, m_cartellaScript + u'/' + lblRis)) {
        rimuoviCopie();
        m_messages.warning(Impossibile);
        return false;
    }
    const CaricamentoPassword::Esito esito =
        m_caricamento ? m_caricamento->carica(accoda) : CaricamentoPassword::Esito::NonAvviato;
    rimuoviCopie();
    if (esito == CaricamentoPassword::Esito::NonAvviato)
        m_messages.warning(Impossibile);
    if (esito != CaricamentoPassword::Esito::Inviati)
        return false;
    const QString base = lblRic.chopped(4);
    if (pwd != base) {
        pwd = base;
        m_messages.show(QStringLiteral("E' stato aggiornato il campo 'Nome dei file password' nella maschera di "
                                       "GestPay OTP"),
                        Messages::Icon::None, Messages::Buttons::Ok);
    }
    txtRic.clear();
    txtRis.clear();
    return true;
}

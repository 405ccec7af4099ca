#include "frmimpostaftp.h"

#include "aggiornasito.h"
#include "messages.h"
#include "pulsantiimpostazioni.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel *nota(const QString &testo)
{
    auto *l = new QLabel(testo);
    l->setWordWrap(true);
    QFont f = l->font();
    f.setItalic(true);
    l->setFont(f);
    l->setContentsMargins(24, 0, 0, 4);
    return l;
}

} // namespace

frmImpostaFTP::frmImpostaFTP(const QString &percorsoNegozio, Messages &messages, Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\impostaftp.htm"), std::move(aiuto), parent),
      m_percorsoNegozio(percorsoNegozio), m_messages(messages)
{
    setObjectName(QStringLiteral("frmImpostaFTP"));
    setWindowTitle(QStringLiteral("Vetrasto - Imposta trasferimento FTP"));

    const char *titoli[3] = {"Invia solo i file modificati", "Invia solo i file del negozio",
                             "Trasferisci solo i file con estensione:"};
    for (int i = 0; i < 3; ++i) {
        chkImpo[i] = new QCheckBox(QString::fromUtf8(titoli[i]));
        chkImpo[i]->setObjectName(QStringLiteral("chkImpo%1").arg(i));
    }
    const char *gruppi[4] = {".htm, .html, .shtm, .shtml, .js, .css (pagine web e riferimenti esterni)",
                             ".gif, .jpg, .jpeg, .png, .bmp (immagini)", ".csv, .mdb (database)",
                             ".asp, .pl (script)"};
    auto *tipi = new QVBoxLayout;
    tipi->setContentsMargins(24, 0, 0, 0);
    for (int i = 0; i < 4; ++i) {
        chkTipo[i] = new QCheckBox(QString::fromUtf8(gruppi[i]));
        chkTipo[i]->setObjectName(QStringLiteral("chkTipo%1").arg(i));
        tipi->addWidget(chkTipo[i]);
    }

    auto *file = new QGroupBox(QStringLiteral("File da trasferire"));
    auto *f = new QVBoxLayout(file);
    f->addWidget(chkImpo[0]);
    f->addWidget(nota(QStringLiteral("(Saranno trasferiti solo i file modificati rispetto all'ultimo aggiornamento "
                                     "FTP effettuato dal programma)")));
    f->addWidget(chkImpo[1]);
    f->addWidget(nota(QStringLiteral("(Non saranno trasferiti i file, presenti nelle cartelle di lavoro, elaborati "
                                     "da altri programmi)")));
    f->addWidget(chkImpo[2]);
    f->addLayout(tipi);

    const PulsantiImpostazioni pulsanti = PulsantiImpostazioni::crea();
    cmdOK = pulsanti.cmdOK;
    cmdAnnulla = pulsanti.cmdAnnulla;
    cmdReset = pulsanti.cmdReset;

    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(file);
    tutto->addLayout(rigaPulsanti({cmdReset, cmdOK, cmdAnnulla}));
    cmdOK->setDefault(true);
    setMinimumWidth(500);

    connect(chkImpo[2], &QCheckBox::toggled, this, [this](bool acceso) {
        for (QCheckBox *c : chkTipo)
            c->setEnabled(acceso);
    });
    connect(cmdReset, &QPushButton::clicked, this, [this] { mostraScelta(SceltaTrasferimento()); });
    connect(cmdOK, &QPushButton::clicked, this, &frmImpostaFTP::ok);
    connect(cmdAnnulla, &QPushButton::clicked, this, &QDialog::reject);

    SceltaTrasferimento s;
    s.leggi(percorsoNegozio + QStringLiteral("/vtftp.ini"));
    mostraScelta(s);
}

bool frmImpostaFTP::Conferma(QWidget *parent, const QString &percorsoNegozio, Messages &messages, Aiuto aiuto)
{
    frmImpostaFTP dialogo(percorsoNegozio, messages, std::move(aiuto), parent);
    dialogo.exec();
    return dialogo.tag() == QLatin1String("OK");
}

void frmImpostaFTP::mostraScelta(const SceltaTrasferimento &s)
{
    chkImpo[0]->setChecked(s.soloModificati);
    chkImpo[1]->setChecked(s.soloNegozio);
    chkImpo[2]->setChecked(s.perEstensione);
    for (int i = 0; i < 4; ++i) {
        chkTipo[i]->setChecked(s.gruppi[i]);
        chkTipo[i]->setEnabled(s.perEstensione);
    }
}

SceltaTrasferimento frmImpostaFTP::scelta() const
{
    SceltaTrasferimento s;
    s.soloModificati = chkImpo[0]->isChecked();
    s.soloNegozio = chkImpo[1]->isChecked();
    s.perEstensione = chkImpo[2]->isChecked();
    for (int i = 0; i < 4; ++i)
        s.gruppi[i] = chkTipo[i]->isChecked();
    return s;
}

void frmImpostaFTP::showEvent(QShowEvent *e)
{
    DialogoAiuto::showEvent(e);
    if (m_attivato)
        return;
    m_attivato = true;
    // The first activation: a shop never built has no upload list.
    QTimer::singleShot(0, this, [this] {
        if (ListaCaricamentoPresente(m_percorsoNegozio))
            return;
        hide();
        m_messages.warning(MessaggioNegozioDaCostruire());
        reject();
    });
}

void frmImpostaFTP::closeEvent(QCloseEvent *e)
{
    // The close box is "Annulla".
    e->accept();
    reject();
}

void frmImpostaFTP::ok()
{
    QString errore;
    if (!scelta().salva(m_percorsoNegozio + QStringLiteral("/vtftp.ini"), &errore)) {
        hide();
        m_messages.warning(QStringLiteral("Errore: ") + errore);
        reject();
        return;
    }
    m_tag = QStringLiteral("OK");
    accept();
}

#include "frmotp.h"

#include "frmpg.h"
#include "shell.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmOTP::frmOTP(AggiornamentoPassword &logica, const QString &host, const QString &cartella, QWidget *parent)
    : QDialog(parent), m_logica(logica)
{
    setObjectName(QStringLiteral("frmOTP"));
    setWindowTitle(QStringLiteral("Vetrasto - Aggiornamento password Banca Sella"));
    setModal(true);
    auto *colonna = new QVBoxLayout(this);
    auto nota = [](const QString &t, QWidget *p) {
        auto *l = new QLabel(t, p);
        l->setWordWrap(true);
        return l;
    };
    auto solaLettura = [](const QString &nome, QWidget *p) {
        auto *e = new QLineEdit(p);
        e->setObjectName(nome);
        e->setReadOnly(true);
        return e;
    };

    auto *file = new QGroupBox(QStringLiteral("1 - File password"), this);
    auto *g1 = new QGridLayout(file);
    g1->addWidget(nota(QStringLiteral("Selezionare i file contenenti le password. I file devono avere lo stesso nome "
                                      "e diversa estensione (.ric e .ris). Per selezionare più file è necessario "
                                      "tenere premuto il tasto CTRL:"),
                       file),
                  0, 0, 1, 3);
    cmdCerca = new QPushButton(QStringLiteral("Seleziona i file "), file);
    cmdCerca->setObjectName(QStringLiteral("cmdCerca"));
    g1->addWidget(cmdCerca, 1, 0, 1, 3, Qt::AlignLeft);
    txtRic = solaLettura(QStringLiteral("txtRic"), file);
    txtRis = solaLettura(QStringLiteral("txtRis"), file);
    lblRic = new QLabel(file);
    lblRic->setObjectName(QStringLiteral("lblRic"));
    lblRis = new QLabel(file);
    lblRis->setObjectName(QStringLiteral("lblRis"));
    g1->addWidget(new QLabel(QStringLiteral("File .ric:"), file), 2, 0);
    g1->addWidget(txtRic, 2, 1);
    g1->addWidget(lblRic, 2, 2);
    g1->addWidget(new QLabel(QStringLiteral("File .ris:"), file), 3, 0);
    g1->addWidget(txtRis, 3, 1);
    g1->addWidget(lblRis, 3, 2);
    g1->setColumnStretch(1, 1);
    colonna->addWidget(file);

    auto *tipo = new QGroupBox(QStringLiteral("2 - Tipo di operazione"), this);
    auto *v2 = new QVBoxLayout(tipo);
    optOperazione[0] = new QRadioButton(QStringLiteral("Sostituisci i file sul server"), tipo);
    optOperazione[1] = new QRadioButton(QStringLiteral("Accoda le password a quelle presenti sul server"), tipo);
    for (int i = 0; i < 2; ++i) {
        optOperazione[i]->setObjectName(QStringLiteral("optOperazione%1").arg(i));
        v2->addWidget(optOperazione[i]);
    }
    optOperazione[0]->setChecked(true);
    v2->addWidget(nota(QStringLiteral("E' possibile sostituire i file sul server oppure accodare le password "
                                      "contenute nei file selezionati a quelle presenti sul server. In quest'ultimo "
                                      "caso, sul server dovranno già essere presenti due file con gli stessi nomi di "
                                      "quelli selezionati."),
                       tipo));
    colonna->addWidget(tipo);

    auto *invio = new QGroupBox(QStringLiteral("3 - Aggiornamento"), this);
    auto *g3 = new QGridLayout(invio);
    g3->addWidget(nota(QStringLiteral("Per trasferire i file (via FTP) saranno utilizzate le impostazioni della "
                                      "scheda Internet:"),
                       invio),
                  0, 0, 1, 2);
    txtHost = solaLettura(QStringLiteral("txtHost"), invio);
    txtHost->setText(host);
    txtCartella = solaLettura(QStringLiteral("txtCartella"), invio);
    txtCartella->setText(cartella);
    g3->addWidget(new QLabel(QStringLiteral("Host:"), invio), 1, 0);
    g3->addWidget(txtHost, 1, 1);
    g3->addWidget(new QLabel(QStringLiteral("Cartella:"), invio), 2, 0);
    g3->addWidget(txtCartella, 2, 1);
    cmdAggiorna = new QPushButton(QStringLiteral("Aggiorna "), invio);
    cmdAggiorna->setObjectName(QStringLiteral("cmdAggiorna"));
    g3->addWidget(cmdAggiorna, 3, 0, 1, 2, Qt::AlignLeft);
    g3->addWidget(nota(QStringLiteral("Su server NT, non essendo possibile settare i permessi via FTP, sarà opportuno "
                                      "chiedere al proprio provider di proteggere i file password affinché non sia "
                                      "possibile visualizzarne il contenuto via web."),
                       invio),
                  4, 0, 1, 2);
    g3->setColumnStretch(1, 1);
    colonna->addWidget(invio);

    cmdChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    colonna->addWidget(cmdChiudi, 0, Qt::AlignRight);

    connect(cmdCerca, &QPushButton::clicked, this, [this] {
        const QStringList file = Shell::scegliFile(QStringLiteral("Selezionare i file password "), QString(),
                                                   QStringLiteral("Password Banca Sella (*.ric *.ris)"));
        if (m_logica.scegli(file))
            mostra();
    });
    connect(cmdAggiorna, &QPushButton::clicked, this, [this] {
        m_logica.accoda = optOperazione[1]->isChecked();
        m_logica.aggiorna(pwd);
        mostra();
    });
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    mostra();
    DimensionaPerTesti(this, 560);
}

void frmOTP::mostra()
{
    txtRic->setText(m_logica.txtRic);
    txtRis->setText(m_logica.txtRis);
    lblRic->setText(m_logica.lblRic);
    lblRis->setText(m_logica.lblRis);
    cmdAggiorna->setEnabled(m_logica.aggiornabile());
}

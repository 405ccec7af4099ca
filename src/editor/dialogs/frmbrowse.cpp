#include "frmbrowse.h"

#include "negozio.h"
#include "shell.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

frmBrowse::frmBrowse(Negozio &negozio, std::function<void(const QString &)> aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\cartelle.htm"), std::move(aiuto), parent), m_cartelle(negozio)
{
    setObjectName(QStringLiteral("frmBrowse"));
    setWindowTitle(QStringLiteral("Vetrasto - Selezione cartelle"));

    auto *spiegazione = new QLabel(QStringLiteral(
        "Selezionare le cartelle in cui verranno scritte le pagine generate dal programma (se il negozio deve essere "
        "accessibile in rete locale, è necessario indicare un percorso di rete):"));
    spiegazione->setWordWrap(true);

    auto *griglia = new QGridLayout;
    const QString etichette[2] = {QStringLiteral("Pagine del negozio:"), QStringLiteral("Script CGI e database:")};
    const QString domande[2] = {QStringLiteral("Selezionare la cartella in cui verranno generate le pagine del negozio:"),
                                QStringLiteral("Selezionare la cartella in cui verranno generati gli script e il database:")};
    for (int i = 0; i < 2; ++i) {
        const auto c = CartelleLavoro::Cartella(i);
        txtCart[i] = new QLineEdit(m_cartelle.attuale(c));
        txtCart[i]->setObjectName(QStringLiteral("txtCart%1").arg(i));
        txtCart[i]->setMinimumWidth(380);
        cmdCart[i] = new QToolButton;
        cmdCart[i]->setObjectName(QStringLiteral("cmdCart%1").arg(i));
        cmdCart[i]->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
        cmdCart[i]->setToolTip(QStringLiteral("Seleziona la cartella"));
        cmdCartReset[i] = new QToolButton;
        cmdCartReset[i]->setObjectName(QStringLiteral("cmdCartReset%1").arg(i));
        cmdCartReset[i]->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
        cmdCartReset[i]->setToolTip(QStringLiteral("Reset"));
        griglia->addWidget(new QLabel(etichette[i]), i, 0);
        griglia->addWidget(txtCart[i], i, 1);
        griglia->addWidget(cmdCart[i], i, 2);
        griglia->addWidget(cmdCartReset[i], i, 3);

        connect(txtCart[i], &QLineEdit::textChanged, this, [this, i] {
            if (!m_ripristino)
                m_scelta[i] = CartelleLavoro::Scelta::Modificata;
        });
        connect(cmdCart[i], &QToolButton::clicked, this, [this, i, domanda = domande[i]] {
            const QString scelta = Shell::scegliCartella(domanda, txtCart[i]->text());
            if (!scelta.isEmpty())
                txtCart[i]->setText(scelta);
        });
        connect(cmdCartReset[i], &QToolButton::clicked, this, [this, i, c] {
            m_ripristino = true;
            m_scelta[i] = CartelleLavoro::Scelta::Ripristino;
            txtCart[i]->setText(m_cartelle.predefinita(c));
            m_ripristino = false;
        });
    }

    cmdOK = new QPushButton(QStringLiteral("OK"));

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"));
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));

    auto *tutto = new QVBoxLayout(this);
    tutto->addWidget(spiegazione);
    tutto->addLayout(griglia);
    tutto->addStretch();
    tutto->addLayout(rigaPulsanti({cmdOK, cmdAnnulla}));
    cmdOK->setDefault(true);

    connect(cmdOK, &QPushButton::clicked, this, &frmBrowse::ok);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmBrowse::reject);
}

void frmBrowse::ok()
{
    // Each folder on its own: a refused one keeps its old value.
    for (int i = 0; i < 2; ++i)
        m_cartelle.conferma(CartelleLavoro::Cartella(i), txtCart[i]->text(), m_scelta[i]);
    accept();
}

void frmBrowse::CambiaCartelle(Negozio &negozio, QWidget *parent, std::function<void(const QString &)> aiuto)
{
    frmBrowse f(negozio, std::move(aiuto), parent);
    f.exec();
}

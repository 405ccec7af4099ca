#include "vistanegozio.h"

#include "comandi.h"
#include "corniceimmagine.h"
#include "impostazioni.h"
#include "negozio.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Regole;

namespace {

const char *const campiTesti[7] = {"home1", "home2", "condizioni", "recesso", "datipers", "testo1", "testo2"};

} // namespace

const std::array<const char *, 7> &VistaNegozio::titoliTesti()
{
    static const std::array<const char *, 7> titoli = {
        "Home page (1)", "Home page (2)", "Condizioni di spedizione", "Diritto di recesso",
        "Trattamento dati personali", "Testo 1", "Testo 2"};
    return titoli;
}

VistaNegozio::VistaNegozio(Negozio &negozio, RegistroComandi &comandi, QWidget *parent)
    : Vista(negozio, comandi, parent)
{
    setObjectName(QStringLiteral("picNegozio"));
    QGroupBox *fraTesti = creaTesti();
    QGroupBox *fraNegozio = creaNegozio();
    auto *colonna = new QVBoxLayout(this);
    colonna->setContentsMargins(0, 0, 0, 0);
    colonna->addWidget(intestazione(QStringLiteral("Negozio"), this));
    colonna->addWidget(fraTesti, 1);
    colonna->addWidget(fraNegozio);
    lega(negozio.dati().dataGenerale);
}

QGroupBox *VistaNegozio::creaTesti()
{
    auto *fraTesti = new QGroupBox(QStringLiteral("Testi"), this);
    fraTesti->setObjectName(QStringLiteral("fraTesti"));
    txtEmail = new QLineEdit(fraTesti);
    txtEmail->setObjectName(QStringLiteral("txtEmail"));
    txtTitolo = new QLineEdit(fraTesti);
    txtTitolo->setObjectName(QStringLiteral("txtTitolo"));
    auto *modulo = new QFormLayout;
    modulo->addRow(QStringLiteral("&E-mail principale per contatti:"), txtEmail);
    modulo->addRow(QStringLiteral("&Titolo del negozio:"), txtTitolo);
    tabTesti = new QTabWidget(fraTesti);
    tabTesti->setObjectName(QStringLiteral("tabTesti"));
    tabTesti->setUsesScrollButtons(true);
    for (int i = 0; i < 7; ++i) {
        auto *t = new QPlainTextEdit;
        t->setObjectName(QStringLiteral("txtTesti%1").arg(i));
        // Both scroll bars: the lines stay as the merchant breaks them.
        t->setLineWrapMode(QPlainTextEdit::NoWrap);
        t->setTabChangesFocus(true);
        t->setAccessibleName(QString::fromUtf8(titoliTesti()[size_t(i)]));
        txtTesti[size_t(i)] = t;
        tabTesti->addTab(t, QString::fromUtf8(titoliTesti()[size_t(i)]));
    }
    connect(tabTesti, &QTabWidget::currentChanged, this, &VistaNegozio::mostraTesto);
    mostraTesto(0);
    auto *colonnaTesti = new QVBoxLayout(fraTesti);
    colonnaTesti->addLayout(modulo);
    colonnaTesti->addWidget(tabTesti, 1);
    return fraTesti;
}

QGroupBox *VistaNegozio::creaNegozio()
{
    // The discount and the two logos.
    auto *fraNegozio = new QGroupBox(QStringLiteral("Negozio"), this);
    fraNegozio->setObjectName(QStringLiteral("fraNegozio"));
    txtScontoNegozio = new QLineEdit(fraNegozio);
    txtScontoNegozio->setObjectName(QStringLiteral("txtScontoNegozio"));
    txtScontoNegozio->setAlignment(Qt::AlignRight);
    txtScontoNegozio->setMaximumWidth(90);
    auto *etichettaSconto = new QLabel(QStringLiteral("&Sconto negozio:"), fraNegozio);
    etichettaSconto->setBuddy(txtScontoNegozio);
    auto *rigaSconto = new QHBoxLayout;
    rigaSconto->addWidget(etichettaSconto);
    rigaSconto->addWidget(txtScontoNegozio);
    rigaSconto->addWidget(new QLabel(QStringLiteral("%"), fraNegozio));
    auto *colonnaSconto = new QVBoxLayout;
    colonnaSconto->addLayout(rigaSconto);
    colonnaSconto->addStretch(1);
    auto *rigaNegozio = new QHBoxLayout(fraNegozio);
    rigaNegozio->addLayout(colonnaSconto);
    rigaNegozio->addSpacing(24);
    const std::pair<Cmd::Numero, Cmd::Numero> comandiLogo[] = {{Cmd::ImpostaLogoNormale, Cmd::EliminaLogoNormale},
                                               {Cmd::ImpostaLogoPiccolo, Cmd::EliminaLogoPiccolo}};
    for (int n = 0; n < 2; ++n) {
        QLabel *lblLogo;
        rigaNegozio->addLayout(bloccoImmagine(FamigliaImmagine::Negozio, n, comandiLogo[n], fraNegozio, &lblLogo));
        lblLogo->setObjectName(QStringLiteral("lblLogo%1").arg(n));
    }
    rigaNegozio->addStretch(1);
    return fraNegozio;
}

void VistaNegozio::lega(DataSource &g)
{
    RegolaCampo scriviAlCambio;
    scriviAlCambio.scrivi = RegolaCampo::Scrittura::AlCambio;
    m_binder.lega(txtEmail, g, QStringLiteral("email"), scriviAlCambio);
    m_binder.lega(txtTitolo, g, QStringLiteral("titolo"));
    for (int i = 0; i < 7; ++i)
        m_binder.lega(txtTesti[size_t(i)], g, QString::fromLatin1(campiTesti[i]), scriviAlCambio);
    RegolaCampo sconto;
    sconto.tasti = [](const QString &t, QChar c) { return filtroNumerico(t, c); };
    sconto.selezionaTutto = true;
    sconto.numerico = true;
    sconto.cambio = [](const QString &t, bool) { return alPiu(positivo(zeroSeNonNumero(t, false)), 100); };
    sconto.uscita = [](const QString &t) { return zeroSeNonNumero(t, true); };
    m_binder.lega(txtScontoNegozio, g, QStringLiteral("sconto"), sconto);
}

void VistaNegozio::mostraTesto(int posizione)
{
    for (int i = 0; i < 7; ++i)
        txtTesti[size_t(i)]->setEnabled(i == posizione);
}

bool VistaNegozio::scrivi()
{
    return m_negozio.dati().dataGenerale.scriviModifiche();
}

void VistaNegozio::leggi(Impostazioni &imp) const
{
    imp.txtTitolo = txtTitolo->text();
    imp.txtEmail = txtEmail->text();
    for (size_t i = 0; i < 7; ++i)
        imp.txtTesti[i] = testoLegato(txtTesti[i]);
    imp.txtScontoNegozio = testoInvariante(txtScontoNegozio->text(), Precisione::Singola);
    // The logo commands write the file names straight into the record.
    const Recordset &g = m_negozio.dati().dataGenerale.recordset();
    for (int n = 0; n < 2; ++n)
        imp.lblLogo[size_t(n)] = g.isOpen() && g.hasCurrent() ? g.text(QStringLiteral("immagine%1").arg(n)) : QString();
}

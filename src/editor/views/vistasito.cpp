#include "vistasito.h"

#include "comandi.h"
#include "impostazioni.h"
#include "negozio.h"
#include "numeri.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Regole;

namespace {

// A list of the numbers from 1 to n.
QComboBox *listaNumeri(const QString &nome, int n)
{
    auto *c = new QComboBox;
    c->setObjectName(nome);
    for (int i = 1; i <= n; ++i)
        c->addItem(QString::number(i));
    c->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return c;
}

void altezzaRighe(QPlainTextEdit *t, int righe)
{
    t->setFixedHeight(t->fontMetrics().lineSpacing() * righe + 2 * t->frameWidth() + 8);
}

// The index a hidden field's text selects: its leading number, none giving
// 0; -1 for an empty text or a number outside 0..massimo.
int indiceDaTesto(const QString &testo, int massimo)
{
    if (testo.isEmpty())
        return -1;
    const double v = Val(testo);
    return v >= 0 && v <= massimo && v == double(int(v)) ? int(v) : -1;
}

} // namespace

VistaSito::VistaSito(Negozio &negozio, RegistroComandi &comandi, QWidget *parent) : Vista(negozio, comandi, parent)
{
    setObjectName(QStringLiteral("picSito"));
    DataSource &g = negozio.dati().dataGenerale;
    // Made in the order of the focus chain.
    QGroupBox *offerte = creaOfferte();
    QGroupBox *ordini = creaOrdini();
    QGroupBox *reparti = creaReparti();
    QGroupBox *carrello = creaCarrello();
    QGroupBox *motori = creaMotori();
    QGroupBox *elenco = creaElenco();
    QGroupBox *ricerca = creaRicerca();
    QGroupBox *valuta = creaValuta();
    // The second currency starts switched off; the loaded record switches it.
    abilitaValutaSecondaria();
    dueColonne({offerte, ordini, reparti, carrello, motori}, {elenco, ricerca, valuta});

    legaCampi(g);
    legaNascosti(g);
    legaValuta(g);
    connect(&negozio.dati(), &DatiPrincipali::generaleCambiato, this, &VistaSito::dopoCaricamento);
    if (g.isOpen())
        dopoCaricamento();
}

QGroupBox *VistaSito::creaOfferte()
{
    QGroupBox *fraOfferte = cornice(QStringLiteral("Offerte e sconti"), QStringLiteral("fraOfferte"));
    chkVisSconto = casella(QStringLiteral("chkVisSconto"), QStringLiteral("Visualizza sconto %"));
    chkVisOfferta = casella(QStringLiteral("chkVisOfferta"), QStringLiteral("Segnala offerta"));
    auto *offerte = new QVBoxLayout(fraOfferte);
    offerte->addWidget(chkVisSconto);
    offerte->addWidget(chkVisOfferta);
    return fraOfferte;
}

QGroupBox *VistaSito::creaOrdini()
{
    QGroupBox *fraOrdini = cornice(QStringLiteral("Ordini e spedizione"), QStringLiteral("fraOrdini"));
    txtEmailOrdini = campoTesto(QStringLiteral("txtEmailOrdini"));
    txtFirma = campoRighe(QStringLiteral("txtFirma"));
    altezzaRighe(txtFirma, 3);
    txtMinimo = campoTesto(QStringLiteral("txtMinimo"), true);
    txtMID = campoTesto(QStringLiteral("txtMID"));
    txtMID->setParent(fraOrdini);
    txtMID->hide();
    txtMID->setEnabled(false);
    // The hidden fields are named in messages as the controls that stand for them.
    txtMID->setAccessibleName(QStringLiteral("Identificativo del venditore"));
    cmdSpese = new QPushButton(QStringLiteral("Spese di spedizione..."));
    cmdSpese->setObjectName(QStringLiteral("cmdSpese"));
    cmdConfiguraPG = new QPushButton(QStringLiteral("Sistemi di pagamento..."));
    cmdConfiguraPG->setObjectName(QStringLiteral("cmdConfiguraPG"));
    connect(cmdSpese, &QPushButton::clicked, this, [this] { m_comandi.azione(Cmd::Spedizione)->trigger(); });
    connect(cmdConfiguraPG, &QPushButton::clicked, this,
            [this] { m_comandi.azione(Cmd::SistemiPagamento)->trigger(); });
    auto *ordini = new QFormLayout(fraOrdini);
    ordini->addRow(QStringLiteral("E-mail per &ricezione ordini:"), txtEmailOrdini);
    ordini->addRow(QStringLiteral("Firma e-mail di conferma or&dini:"), txtFirma);
    ordini->addRow(QStringLiteral("Ordine m&inimo:"), txtMinimo);
    auto *pulsanti = new QHBoxLayout;
    pulsanti->addWidget(cmdSpese);
    pulsanti->addWidget(cmdConfiguraPG);
    pulsanti->addStretch(1);
    ordini->addRow(pulsanti);
    return fraOrdini;
}

QGroupBox *VistaSito::creaReparti()
{
    QGroupBox *fraReparti = cornice(QStringLiteral("Reparti"), QStringLiteral("fraReparti"));
    chkPercRep = casella(QStringLiteral("chkPercRep"),
                         QStringLiteral("Il titolo del reparto include il percorso e i sottoreparti"));
    cboLivelli = listaNumeri(QStringLiteral("cboLivelli"), 9);
    auto *reparti = new QFormLayout(fraReparti);
    reparti->addRow(chkPercRep);
    reparti->addRow(QStringLiteral("&Livelli di reparto sempre aperti nell'elenco:"), cboLivelli);
    return fraReparti;
}

QGroupBox *VistaSito::creaCarrello()
{
    QGroupBox *fraCarrello = cornice(QStringLiteral("Carrello"), QStringLiteral("fraCarrello"));
    chkCodInCart = casella(QStringLiteral("chkCodInCart"), QStringLiteral("Visualizza il codice articolo nel carrello"));
    auto *carrello = new QVBoxLayout(fraCarrello);
    carrello->addWidget(chkCodInCart);
    return fraCarrello;
}

QGroupBox *VistaSito::creaMotori()
{
    QGroupBox *fraMotori = cornice(QStringLiteral("Motori di ricerca"), QStringLiteral("fraMotori"));
    auto *motori = new QFormLayout(fraMotori);
    const char *titoliMeta[2] = {"&Keywords:", "C&ontenuto del sito:"};
    for (int i = 0; i < 2; ++i) {
        txtKeywords[size_t(i)] = campoRighe(QStringLiteral("txtKeywords%1").arg(i));
        altezzaRighe(txtKeywords[size_t(i)], 3);
        motori->addRow(QString::fromUtf8(titoliMeta[i]), txtKeywords[size_t(i)]);
    }
    return fraMotori;
}

QGroupBox *VistaSito::creaElenco()
{
    QGroupBox *fraElenco = cornice(QStringLiteral("Elenco articoli e vetrina"), QStringLiteral("fraElenco"));
    chkElencoFoto = casella(QStringLiteral("chkElencoFoto"), QStringLiteral("Foto (miniatura)"));
    chkElencoCodice = casella(QStringLiteral("chkElencoCodice"), QStringLiteral("Codice"));
    chkElencoTitolo = casella(QStringLiteral("chkElencoTitolo"), QStringLiteral("Titolo"));
    cboVetrina = listaNumeri(QStringLiteral("cboVetrina"), 6);
    auto *voci = new QHBoxLayout;
    voci->addWidget(chkElencoFoto);
    voci->addWidget(chkElencoCodice);
    voci->addWidget(chkElencoTitolo);
    voci->addStretch(1);
    auto *elenco = new QFormLayout(fraElenco);
    elenco->addRow(new QLabel(QStringLiteral("Nell'elenco articoli visualizza:")));
    elenco->addRow(voci);
    elenco->addRow(QStringLiteral("Numero di &prodotti per ogni riga della vetrina:"), cboVetrina);
    return fraElenco;
}

QGroupBox *VistaSito::creaRicerca()
{
    QGroupBox *fraRicerca = cornice(QStringLiteral("Ricerca"), QStringLiteral("fraRicerca"));
    m_ricerca = new QButtonGroup(this);
    const char *operatori[2] = {"Tutti i termini (AND)", "Almeno un termine (OR)"};
    auto *ricerca = new QVBoxLayout(fraRicerca);
    for (int i = 0; i < 2; ++i) {
        optRicerca[size_t(i)] = new QRadioButton(QString::fromUtf8(operatori[i]));
        optRicerca[size_t(i)]->setObjectName(QStringLiteral("optRicerca%1").arg(i));
        m_ricerca->addButton(optRicerca[size_t(i)], i);
        ricerca->addWidget(optRicerca[size_t(i)]);
    }
    txtRicerca = campoTesto(QStringLiteral("txtRicerca"));
    txtRicerca->setParent(fraRicerca);
    txtRicerca->hide();
    txtRicerca->setAccessibleName(QStringLiteral("Ricerca"));
    chkRicerca = casella(QStringLiteral("chkRicerca"), QStringLiteral("Cerca solo parole intere"));
    ricerca->addWidget(chkRicerca);
    return fraRicerca;
}

QGroupBox *VistaSito::creaValuta()
{
    QGroupBox *fraValuta = cornice(QStringLiteral("Valuta e prezzi"), QStringLiteral("fraValuta"));
    auto *valuta = new QGridLayout(fraValuta);
    for (int i = 0; i < 2; ++i) {
        txtValuta[size_t(i)] = campoTesto(QStringLiteral("txtValuta%1").arg(i));
        txtValuta[size_t(i)]->setMaximumWidth(160);
        chkDecimali[size_t(i)] = casella(QStringLiteral("chkDecimali%1").arg(i), QStringLiteral("Visualizza decimali"));
    }
    txtValuta[1]->setAccessibleName(QStringLiteral("Valuta secondaria"));
    auto *etichettaValuta = etichetta(QStringLiteral("V&aluta principale:"), txtValuta[0]);
    chkCambio = casella(QStringLiteral("chkCambio"), QStringLiteral("Valuta secondaria:"));
    txtCambio = campoTesto(QStringLiteral("txtCambio"), true);
    auto *etichettaCambio = etichetta(QStringLiteral("Cam&bio (principale/secondaria):"), txtCambio);
    cboNotazione = new QComboBox;
    cboNotazione->setObjectName(QStringLiteral("cboNotazione"));
    cboNotazione->addItems({QStringLiteral("Italiana (1.000,00)"), QStringLiteral("Inglese (1,000.00)")});
    cboNotazione->setCurrentIndex(-1);
    auto *etichettaNotazione = etichetta(QStringLiteral("&Notazione:"), cboNotazione);
    txtNotazione = campoTesto(QStringLiteral("txtNotazione"));
    txtNotazione->setParent(fraValuta);
    txtNotazione->hide();
    txtNotazione->setAccessibleName(QStringLiteral("Notazione"));
    chkIvaCompresa = casella(QStringLiteral("chkIvaCompresa"), QStringLiteral("Prezzi IVA compresa"));
    valuta->addWidget(etichettaValuta, 0, 0);
    valuta->addWidget(txtValuta[0], 0, 1);
    valuta->addWidget(chkDecimali[0], 0, 2);
    valuta->addWidget(chkCambio, 1, 0);
    valuta->addWidget(txtValuta[1], 1, 1);
    valuta->addWidget(chkDecimali[1], 1, 2);
    valuta->addWidget(etichettaCambio, 2, 0);
    valuta->addWidget(txtCambio, 2, 1);
    valuta->addWidget(etichettaNotazione, 3, 0);
    valuta->addWidget(cboNotazione, 3, 1, 1, 2, Qt::AlignLeft);
    valuta->addWidget(chkIvaCompresa, 4, 0, 1, 3);
    valuta->setColumnStretch(3, 1);
    setTabOrder(chkDecimali[0], chkCambio);  // the second currency's switch before its name
    return fraValuta;
}

void VistaSito::legaCampi(DataSource &g)
{
    for (const auto &[c, campo] : std::initializer_list<std::pair<QCheckBox *, const char *>>{
             {chkVisSconto, "vis_sconto"}, {chkVisOfferta, "vis_offerta"}, {chkPercRep, "vis_percrep"},
             {chkCodInCart, "codincart"}, {chkElencoFoto, "elenco_foto"}, {chkElencoCodice, "elenco_codice"},
             {chkElencoTitolo, "elenco_titolo"}, {chkRicerca, "ricercaparole"}, {chkIvaCompresa, "ivacompresa"}})
        m_binder.lega(c, g, QString::fromLatin1(campo));
    RegolaCampo righe;
    righe.tasti = filtroSenzaACapo;
    m_binder.lega(txtFirma, g, QStringLiteral("firma_email"), righe);
    m_binder.lega(txtKeywords[0], g, QStringLiteral("keywords"), righe);
    m_binder.lega(txtKeywords[1], g, QStringLiteral("content"), righe);
    m_binder.lega(txtMID, g, QStringLiteral("merchantid"));
    m_binder.lega(txtEmailOrdini, g, QStringLiteral("email_ordini"));
    RegolaCampo minimo;
    minimo.tasti = [](const QString &t, QChar c) { return filtroNumerico(t, c); };
    minimo.selezionaTutto = true;
    minimo.numerico = true;
    minimo.cambio = [this](const QString &t, bool) {
        // A text that is not a number gives back the last accepted one.
        const QString accettato = !t.isEmpty() && !numero(t) ? m_minimoAccettato : t;
        m_minimoAccettato = accettato;
        return positivoImporto(accettato);  // an amount: exact
    };
    minimo.uscita = riscriviNumero;
    minimo.scrivi = RegolaCampo::Scrittura::AllUscita;
    m_binder.lega(txtMinimo, g, QStringLiteral("minimo"), minimo);
    m_binder.lega(cboLivelli, g, QStringLiteral("livelliaperti"));
    m_binder.lega(cboVetrina, g, QStringLiteral("colonnevetrina"));
    soloMouse(cboLivelli);
    soloMouse(cboVetrina);
}

void VistaSito::legaNascosti(DataSource &g)
{
    // The search options and the notation list write their hidden fields,
    // whose change selects them again.
    RegolaCampo ricercaNascosta;
    ricercaNascosta.cambio = [this](const QString &t, bool) {
        mostraRicerca();
        return t;
    };
    m_binder.lega(txtRicerca, g, QStringLiteral("operatorericerca"), ricercaNascosta);
    connect(m_ricerca, &QButtonGroup::idClicked, this, [this](int i) { txtRicerca->setText(QString::number(i)); });
    RegolaCampo notazione;
    notazione.cambio = [this](const QString &t, bool) {
        mostraNotazione();
        aggiornaValuta();
        return t;
    };
    m_binder.lega(txtNotazione, g, QStringLiteral("notazione"), notazione);
    connect(cboNotazione, &QComboBox::activated, this, [this](int i) { txtNotazione->setText(QString::number(i)); });
}

void VistaSito::legaValuta(DataSource &g)
{
    RegolaCampo nomeValuta;
    nomeValuta.cambio = [this](const QString &t, bool) {
        aggiornaValuta();
        return t;
    };
    nomeValuta.lunghezzaMassima = 50;
    m_binder.lega(txtValuta[0], g, QStringLiteral("valuta1"), nomeValuta);
    m_binder.lega(txtValuta[1], g, QStringLiteral("valuta2"), nomeValuta);
    RegolaCampo decimali;
    decimali.cambio = nomeValuta.cambio;
    m_binder.lega(chkDecimali[0], g, QStringLiteral("decimali1"), decimali);
    m_binder.lega(chkDecimali[1], g, QStringLiteral("decimali2"), decimali);
    RegolaCampo usaCambio;
    usaCambio.cambio = [this](const QString &t, bool) {
        abilitaValutaSecondaria();
        return t;
    };
    m_binder.lega(chkCambio, g, QStringLiteral("usa_cambio"), usaCambio);
    RegolaCampo cambio;
    cambio.tasti = [](const QString &t, QChar c) { return filtroNumerico(t, c); };
    cambio.selezionaTutto = true;
    cambio.numerico = true;
    cambio.cambio = [this](const QString &t, bool) {
        // A negative rate is corrected first; the corrected text changes the
        // field again and sets the rate then.
        const QString r = positivo(t);
        if (r == t)
            aggiornaValuta();
        return r;
    };
    m_binder.lega(txtCambio, g, QStringLiteral("cambio"), cambio);
}

void VistaSito::abilitaValutaSecondaria()
{
    const bool attiva = chkCambio->isChecked();
    txtValuta[1]->setEnabled(attiva);
    txtCambio->setEnabled(attiva);
    chkDecimali[1]->setEnabled(attiva);
}

void VistaSito::aggiornaValuta()
{
    // The fields emptied by a closing record leave the shop state alone.
    if (!m_negozio.dati().dataGenerale.isOpen())
        return;
    Impostazioni imp;
    leggi(imp);
    ShopState &s = m_negozio.state;
    ValoriValuta::daImpostazioni(imp, ValoriValuta::daShopState(s)).impostaIn(s);
}

void VistaSito::mostraNotazione()
{
    const QSignalBlocker blocco(cboNotazione);
    cboNotazione->setCurrentIndex(indiceDaTesto(txtNotazione->text(), 1));
}

void VistaSito::mostraRicerca()
{
    // No option is selected for an empty or unknown operator.
    const int i = indiceDaTesto(txtRicerca->text(), 1);
    m_ricerca->setExclusive(false);
    for (int k = 0; k < 2; ++k)
        optRicerca[size_t(k)]->setChecked(k == i);
    m_ricerca->setExclusive(true);
}

void VistaSito::dopoCaricamento()
{
    // A loaded text equal to what the field held raises no change: the
    // prefixes, separators, lists and options are set here once more.
    abilitaValutaSecondaria();
    mostraNotazione();
    mostraRicerca();
    aggiornaValuta();
}

bool VistaSito::scrivi()
{
    return m_negozio.dati().dataGenerale.scriviModifiche();
}

void VistaSito::leggi(Impostazioni &imp) const
{
    const auto spunta = [](const QCheckBox *c) { return c->isChecked() ? 1 : 0; };
    imp.chkVisSconto = spunta(chkVisSconto);
    imp.chkVisOfferta = spunta(chkVisOfferta);
    imp.txtFirma = testoLegato(txtFirma);
    imp.txtMID = txtMID->text();
    imp.txtEmailOrdini = txtEmailOrdini->text();
    imp.txtMinimo = testoInvariante(txtMinimo->text(), Precisione::Valuta);
    imp.chkPercRep = spunta(chkPercRep);
    imp.cboLivelli = cboLivelli->currentText();
    imp.chkCodInCart = spunta(chkCodInCart);
    imp.txtKeywords = {testoLegato(txtKeywords[0]), testoLegato(txtKeywords[1])};
    imp.cboVetrina = cboVetrina->currentText();
    imp.chkElencoFoto = spunta(chkElencoFoto);
    imp.chkElencoCodice = spunta(chkElencoCodice);
    imp.chkElencoTitolo = spunta(chkElencoTitolo);
    imp.txtRicerca = txtRicerca->text();
    imp.chkRicerca = spunta(chkRicerca);
    imp.chkCambio = spunta(chkCambio);
    imp.chkIvaCompresa = spunta(chkIvaCompresa);
    imp.txtNotazione = txtNotazione->text();
    imp.txtCambio = testoInvariante(txtCambio->text(), Precisione::Doppia);
    imp.chkDecimali = {spunta(chkDecimali[0]), spunta(chkDecimali[1])};
    imp.txtValuta = {txtValuta[0]->text(), txtValuta[1]->text()};
}

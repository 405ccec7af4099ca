#include "vistaarticoli.h"

#include "comandi.h"
#include "corniceimmagine.h"
#include "griglia.h"
#include "messages.h"
#include "negozio.h"
#include "numeri.h"
#include "varianti.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Regole;

namespace {

const char *const didascalieCampi[10] = {"Codice:", "Titolo:", "Sottotitolo:", "Descrizione:", "Prezzo:",
                                          "Note:", "Prezzo in offerta:", "Link:", "Disponibilità:", "Peso:"};
const char *const didascalieCaselle[6] = {"In offerta", "Novità", "Link in nuova finestra",
                                          "Immagine 2 in finestra", "In vetrina", "Fuori catalogo"};
const char *const campiCaselle[6] = {"offerta", "novita", "linkesterno", "popup", "inelenco", "fuoricatalogo"};

// The two amounts whose refusal the price messages explain.
bool campoPrezzo(const QString &campo)
{
    return campo.compare(QLatin1String("prezzo"), Qt::CaseInsensitive) == 0
           || campo.compare(QLatin1String("offertaprezzo"), Qt::CaseInsensitive) == 0;
}

RegolaCampo numeroArticolo()
{
    RegolaCampo r;
    r.tasti = [](const QString &t, QChar c) { return filtroNumerico(t, c, true); };
    r.selezionaTutto = true;
    r.numerico = true;
    r.cambio = [](const QString &t, bool) { return positivo(t); };
    return r;
}

// Price and offer: amounts made positive exactly, never left empty.
RegolaCampo importoArticolo()
{
    RegolaCampo r = numeroArticolo();
    r.cambio = [](const QString &t, bool) { return positivoImporto(t); };
    r.obbligatorio = true;
    return r;
}

// A line that is cut when left and writes the article at once.
RegolaCampo testoArticolo(int lunghezza, bool filtro)
{
    RegolaCampo r;
    if (filtro)
        r.tasti = filtroBarraParentesi;
    r.lunghezzaMassima = lunghezza;
    r.scrivi = RegolaCampo::Scrittura::AllUscita;
    return r;
}

} // namespace

VistaArticoli::VistaArticoli(Negozio &negozio, RegistroComandi &comandi, QWidget *parent)
    : Vista(negozio, comandi, parent)
{
    DatiPrincipali &d = negozio.dati();

    // picArticoli(0): the article list and its commands.
    const Elenco e = elenco(QStringLiteral("picArticoli0"), QStringLiteral("gridArticoli"), d.dataArticoli,
                            {{QStringLiteral("codice"), QStringLiteral("Codice")},
                             {QStringLiteral("titolo"), QStringLiteral("Titolo")},
                             {QStringLiteral("sottotitolo"), QStringLiteral("Sottotitolo")},
                             {QStringLiteral("prezzo"), QStringLiteral("Prezzo")}},
                            QStringLiteral("maschera articoli"));
    m_elenco = e.pannello;
    m_titoloElenco = e.titolo;
    gridArticoli = e.griglia;
    m_griglia = e.modello;
    gridArticoli->horizontalHeader()->setStretchLastSection(false);
    gridArticoli->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    gridArticoli->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);

    m_dettagli = creaDettagli();
    elencoSopraDettagli(m_elenco, m_dettagli);

    lega(d.dataArticoli);
    connect(&d, &DatiPrincipali::articoloCambiato, this, &VistaArticoli::MostraVarianti);
    connect(&d, &DatiPrincipali::repartoCambiato, this, &VistaArticoli::mostraTitolo);
    connect(&d.dataArticoli, &DataSource::error, this, &VistaArticoli::rifiutoDettagli);
    connect(m_griglia, &ModelloGriglia::rifiutato, this, &VistaArticoli::erroreGriglia);
}

QWidget *VistaArticoli::creaDettagli()
{
    QFormLayout *modulo = creaCampi();
    auto *caselle = new QGridLayout;
    for (int i = 0; i < 6; ++i)
        caselle->addWidget(chkArticoli[size_t(i)], i / 3, i % 3);
    QFormLayout *varianti = creaVarianti();
    auto *immagini = new QHBoxLayout;
    const std::pair<Cmd::Numero, Cmd::Numero> comandiImmagine[] = {{Cmd::ImpostaImmagine1, Cmd::EliminaImmagine1},
                                                   {Cmd::ImpostaImmagine2, Cmd::EliminaImmagine2},
                                                   {Cmd::ImpostaImmaginePiccola, Cmd::EliminaImmaginePiccola}};
    for (int n = 0; n < 3; ++n)
        immagini->addLayout(bloccoImmagine(FamigliaImmagine::Articolo, n, comandiImmagine[n], this));

    // The fields; beside or below them the pictures, variant sets and flags.
    auto *laterale = new QVBoxLayout;
    laterale->addLayout(immagini);
    laterale->addLayout(varianti);
    laterale->addLayout(caselle);
    return dettagli(QStringLiteral("picArticoli1"), intestazione(QStringLiteral("Dettagli articolo")), modulo,
                    laterale);
}

QFormLayout *VistaArticoli::creaCampi()
{
    for (int i = 0; i < 10; ++i)
        if (i != 3)
            txtArticoli[size_t(i)] = campoTesto(QStringLiteral("txtArticoli%1").arg(i), i == 4 || i == 6 || i == 9);
    txtDescrizione = campoRighe(QStringLiteral("txtArticoli3"));
    txtDescrizione->setFixedHeight(txtDescrizione->fontMetrics().lineSpacing() * 3 + 12);
    txtDescrizione->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    for (int i = 0; i < 6; ++i)
        chkArticoli[size_t(i)] =
            casella(QStringLiteral("chkArticoli%1").arg(i), QString::fromUtf8(didascalieCaselle[i]));

    auto *modulo = new QFormLayout;
    const auto campo = [this](int i) -> QWidget * {
        return i == 3 ? static_cast<QWidget *>(txtDescrizione) : txtArticoli[size_t(i)];
    };
    const auto etichettaCampo = [&](int i) { return etichetta(QString::fromUtf8(didascalieCampi[i]), campo(i)); };
    for (int i : {0, 1, 2, 3})
        modulo->addRow(etichettaCampo(i), campo(i));
    auto *prezzi = new QHBoxLayout;
    prezzi->addWidget(txtArticoli[4]);
    prezzi->addSpacing(16);
    prezzi->addWidget(etichettaCampo(9));
    prezzi->addWidget(txtArticoli[9]);
    prezzi->addStretch(1);
    modulo->addRow(etichettaCampo(4), prezzi);
    auto *offerta = new QHBoxLayout;
    offerta->addWidget(txtArticoli[6]);
    offerta->addStretch(1);
    modulo->addRow(etichettaCampo(6), offerta);
    for (int i : {5, 7, 8})
        modulo->addRow(etichettaCampo(i), campo(i));
    return modulo;
}

QFormLayout *VistaArticoli::creaVarianti()
{
    // The variant sets: their names, and the buttons that choose them.
    auto *varianti = new QFormLayout;
    const Cmd::Numero comandiVarianti[3] = {Cmd::Variante1, Cmd::Variante2, Cmd::Variante3};
    for (int i = 0; i < 3; ++i) {
        txtVariante[size_t(i)] = campoTesto(QStringLiteral("txtVariante%1").arg(i));
        txtVariante[size_t(i)]->setReadOnly(true);
        txtVariante[size_t(i)]->setFocusPolicy(Qt::NoFocus);
        // A "..." button: the command's tool tip, enabled with the article mask.
        QAction *azione = m_comandi.azione(comandiVarianti[i]);
        auto *b = new QToolButton(this);
        b->setObjectName(QStringLiteral("cmdButton%1").arg(comandiVarianti[i]));
        b->setText(QStringLiteral("..."));
        b->setToolTip(azione->toolTip());
        connect(b, &QToolButton::clicked, azione, &QAction::trigger);
        m_comandi.registraControllo(QStringLiteral("maschera articoli"), b);
        auto *riga = new QHBoxLayout;
        riga->addWidget(txtVariante[size_t(i)], 1);
        riga->addWidget(b);
        varianti->addRow(etichetta(QStringLiteral("Variante %1:").arg(i + 1), txtVariante[size_t(i)]), riga);
    }
    return varianti;
}

RegolaCampo VistaArticoli::importo() const
{
    // An amount shows as the list shows it: with the main currency's
    // decimals, and any further ones it holds.
    RegolaCampo r = importoArticolo();
    r.testoValore = [this](const QVariant &v) {
        const int decimali = m_negozio.state.FormatoDecimali1 == QLatin1String("0.00") ? 2 : 0;
        return testoImporto(CCur(v), decimali);
    };
    return r;
}

void VistaArticoli::lega(DataSource &a)
{
    m_binder.lega(txtArticoli[0], a, QStringLiteral("codice"), testoArticolo(50, true));
    m_binder.lega(txtArticoli[1], a, QStringLiteral("titolo"), testoArticolo(200, true));
    m_binder.lega(txtArticoli[2], a, QStringLiteral("sottotitolo"), testoArticolo(200, false));
    m_binder.lega(txtDescrizione, a, QStringLiteral("descrizione"));
    RegolaCampo prezzo = importo();
    prezzo.scrivi = RegolaCampo::Scrittura::AllUscita;
    m_binder.lega(txtArticoli[4], a, QStringLiteral("prezzo"), prezzo);
    m_binder.lega(txtArticoli[5], a, QStringLiteral("note"));
    m_binder.lega(txtArticoli[6], a, QStringLiteral("offertaprezzo"), importo());
    RegolaCampo link;
    link.lunghezzaMassima = 50;
    m_binder.lega(txtArticoli[7], a, QStringLiteral("link"), link);
    m_binder.lega(txtArticoli[8], a, QStringLiteral("giacenza"));
    m_binder.lega(txtArticoli[9], a, QStringLiteral("peso"), numeroArticolo());
    for (int i = 0; i < 6; ++i) {
        m_binder.lega(chkArticoli[size_t(i)], a, QString::fromLatin1(campiCaselle[i]));
        m_comandi.registraControllo(QStringLiteral("maschera articoli"), chkArticoli[size_t(i)]);
    }
    for (QLineEdit *e : txtArticoli)
        if (e)
            m_comandi.registraControllo(QStringLiteral("maschera articoli"), e);
    m_comandi.registraControllo(QStringLiteral("maschera articoli"), txtDescrizione);
}

void VistaArticoli::rifiutoDettagli(int n, const QString &descrizione, const QString &campo)
{
    Messages &msg = m_negozio.messages();
    if (n != DbErr::ConversionError || !campoPrezzo(campo)) {
        mostraRifiuto(m_negozio.dati().dataArticoli, n, descrizione, campo);
        return;
    }
    // Price first, then offer: an empty one cannot stay so, one that is not
    // a number is not stored; either is set to "0".
    for (const auto &[importo, nome] : {std::pair{txtArticoli[4], "prezzo"}, std::pair{txtArticoli[6], "offerta"}}) {
        const QString t = importo->text();
        if (numero(t))
            continue;
        const QString testo = t.trimmed().isEmpty()
                                  ? QStringLiteral("Il campo \"%1\" non può essere vuoto: sarà impostato a \"0\" ")
                                  : QStringLiteral("Il campo \"%1\" sarà impostato a \"0\" ");
        msg.warning(testo.arg(QLatin1String(nome)));
        importo->setText(QStringLiteral("0"));
    }
}

void VistaArticoli::carica()
{
    mostraTitolo();
    MostraVarianti();
}

bool VistaArticoli::scrivi()
{
    return m_negozio.dati().dataArticoli.scriviModifiche();
}

void VistaArticoli::mostraTitolo()
{
    intitolaReparto(m_titoloElenco, QStringLiteral("Articoli"), QStringLiteral("Articoli di: "));
}

void VistaArticoli::MostraVarianti()
{
    const Recordset &a = m_negozio.dati().dataArticoli.recordset();
    QStringList nomi(3);
    if (a.isOpen() && a.hasCurrent() && m_negozio.state.dbCatalogo)
        nomi = NomiVarianti(*m_negozio.state.dbCatalogo, a.value(QStringLiteral("opzione1")),
                            a.value(QStringLiteral("opzione2")), a.value(QStringLiteral("opzione3")));
    for (int i = 0; i < 3; ++i)
        txtVariante[i]->setText(nomi.value(i));
}

void VistaArticoli::erroreGriglia(const QString &campo, const QString &digitato, int n, const QString &t)
{
    Messages &msg = m_negozio.messages();
    // A text too long, or any refusal but a price or offer that is not a
    // number, names its field.
    if (n != DbErr::ConversionError || !campoPrezzo(campo)) {
        mostraRifiuto(m_negozio.dati().dataArticoli, n, t, campo);
        emit grigliaRifiutata();
        return;
    }
    // The price is the cell's text when the price cell was typed into, else
    // the details'. A price or offer set to "0" lets the cell be written
    // again with what was typed.
    const QModelIndex cella = gridArticoli->currentIndex();
    const bool cellaPrezzo = cella.column() == 3;
    const QString p = (cellaPrezzo ? digitato : txtArticoli[4]->text()).trimmed();
    const QString o = txtArticoli[6]->text().trimmed();
    if (p.isEmpty()) {
        msg.warning(QStringLiteral("Il campo \"prezzo\" non può essere vuoto: sarà impostato a \"0\" "));
        if (!cellaPrezzo)
            txtArticoli[4]->setText(QStringLiteral("0"));
        m_griglia->setData(cella, cellaPrezzo ? QStringLiteral("0") : digitato, Qt::EditRole);
    } else if (!numero(p)) {
        msg.warning(QStringLiteral("Il campo \"prezzo\" deve contenere un numero"));
    } else if (o.isEmpty()) {
        msg.warning(QStringLiteral("Il campo \"offerta\" non può essere vuoto: sarà impostato a \"0\" "));
        txtArticoli[6]->setText(QStringLiteral("0"));
        m_griglia->setData(cella, digitato, Qt::EditRole);
    } else if (!numero(o)) {
        msg.warning(QStringLiteral("Il campo \"offerta\" deve contenere un numero"));
    } else {
        msg.warning(QStringLiteral("I campi \"prezzo\" e \"offerta\" devono contenere un numero"));
    }
    emit grigliaRifiutata();
}

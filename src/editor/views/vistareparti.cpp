#include "vistareparti.h"

#include "comandi.h"
#include "corniceimmagine.h"
#include "griglia.h"
#include "messages.h"
#include "negozio.h"

#include <QComboBox>
#include <QFormLayout>
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

// Every department field refuses "|", "[", "]" and "£"; the title also the
// department tree's path separator.
Filtro filtroTitolo()
{
    return entrambi(filtroReparto, [](const QString &, QChar c) {
        return c == u'\\' ? Tasto{Tasto::Scarta, {}} : Tasto{};
    });
}

} // namespace

VistaReparti::VistaReparti(Negozio &negozio, RegistroComandi &comandi, QWidget *parent)
    : Vista(negozio, comandi, parent)
{
    DatiPrincipali &d = negozio.dati();

    // picCategorie(1): the sibling list and its commands.
    const Elenco e = elenco(QStringLiteral("picCategorie1"), QStringLiteral("gridCategorie"), d.dataFratelli,
                            {{QStringLiteral("titolo"), QStringLiteral("Reparti")}},
                            QStringLiteral("maschera categorie"));
    m_elenco = e.pannello;
    m_titoloElenco = e.titolo;
    gridCategorie = e.griglia;
    m_griglia = e.modello;
    m_dettagli = creaDettagli();
    elencoSopraDettagli(m_elenco, m_dettagli);

    lega(d.dataCategorie);
    segnalaRifiuti(d);
    connect(&d, &DatiPrincipali::repartoCambiato, this, &VistaReparti::mostraTitolo);
    connect(&d, &DatiPrincipali::modelliCambiati, this, &VistaReparti::caricaModelli);
    // A title written reaches the tree through the store; the headings follow it.
    connect(&d.tvwCategorie, &AlberoReparti::testoCambiato, this, &VistaReparti::mostraTitolo);
}

QWidget *VistaReparti::creaDettagli()
{
    m_titoloDettagli = intestazione(QStringLiteral("Dettagli reparto"));
    txtCategorie14 = campoTesto(QStringLiteral("txtCategorie14"));
    txtCategorie12 = campoRighe(QStringLiteral("txtCategorie12"));
    txtCategorie12->setFixedHeight(txtCategorie12->fontMetrics().lineSpacing() * 5 + 12);
    txtCategorie11 = campoTesto(QStringLiteral("txtCategorie11"), true);
    txtCategorie10 = campoTesto(QStringLiteral("txtCategorie10"));
    txtCategorie0 = campoTesto(QStringLiteral("txtCategorie0"), true);
    cboIva = new QComboBox;
    cboIva->setObjectName(QStringLiteral("cboIva"));
    cboIva->setEditable(true);
    cboIva->addItems({QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("10"), QStringLiteral("20")});
    cboIva->setMinimumContentsLength(5);
    cboIva->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboTemplate = new QComboBox;
    cboTemplate->setObjectName(QStringLiteral("cboTemplate"));
    cboTemplate->setMinimumContentsLength(16);
    cboTemplate->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    // A field and what follows it on its row, kept to the left.
    const auto riga = [](std::initializer_list<QWidget *> campi) {
        auto *r = new QHBoxLayout;
        for (QWidget *w : campi) {
            if (r->count() > 0 && qobject_cast<QLabel *>(w))
                r->addSpacing(16);
            r->addWidget(w);
        }
        r->addStretch(1);
        return r;
    };
    auto *modulo = new QFormLayout;
    modulo->addRow(etichetta(QStringLiteral("Titolo:"), txtCategorie14), txtCategorie14);
    modulo->addRow(etichetta(QStringLiteral("Descrizione:"), txtCategorie12), txtCategorie12);
    modulo->addRow(etichetta(QStringLiteral("Articoli per pagina:"), txtCategorie11), riga({txtCategorie11}));
    modulo->addRow(etichetta(QStringLiteral("Sconto %:"), txtCategorie0),
                   riga({txtCategorie0, etichetta(QStringLiteral("IVA %:"), cboIva), cboIva}));
    modulo->addRow(etichetta(QStringLiteral("Note:"), txtCategorie10), txtCategorie10);
    modulo->addRow(etichetta(QStringLiteral("Modello di pagina:"), cboTemplate), riga({cboTemplate}));

    auto *immagini = new QHBoxLayout;
    const std::pair<Cmd::Numero, Cmd::Numero> comandiImmagine[] = {{Cmd::ImpostaImmagineReparto, Cmd::EliminaImmagineReparto},
                                                   {Cmd::ImpostaPulsante, Cmd::EliminaPulsante}};
    for (int n = 0; n < 2; ++n)
        immagini->addLayout(bloccoImmagine(FamigliaImmagine::Reparto, n, comandiImmagine[n], this));

    // The fields; beside or below them the two pictures.
    return dettagli(QStringLiteral("picCategorie2"), m_titoloDettagli, modulo, immagini);
}

void VistaReparti::lega(DataSource &c)
{
    RegolaCampo titolo;
    titolo.tasti = filtroTitolo();
    titolo.lunghezzaMassima = 100;
    titolo.scrivi = RegolaCampo::Scrittura::AllUscita;
    m_binder.lega(txtCategorie14, c, QStringLiteral("titolo"), titolo);
    RegolaCampo testo;
    testo.tasti = filtroReparto;
    m_binder.lega(txtCategorie12, c, QStringLiteral("descrizione"), testo);
    m_binder.lega(txtCategorie10, c, QStringLiteral("note"), testo);
    RegolaCampo massimo;
    massimo.tasti = entrambi(filtroReparto, filtroCifre);
    massimo.selezionaTutto = true;
    massimo.numerico = true;
    massimo.cambio = [](const QString &t, bool utente) {
        // The whole number rule runs on the merchant's edits only.
        QString r = t;
        if (utente && intero(t) != t.trimmed())
            r = intero(t);
        return positivo(r);
    };
    m_binder.lega(txtCategorie11, c, QStringLiteral("maxarticoli"), massimo);
    RegolaCampo sconto;
    sconto.tasti = entrambi(filtroReparto, [](const QString &t, QChar ch) { return filtroNumerico(t, ch); });
    sconto.selezionaTutto = true;
    sconto.numerico = true;
    sconto.cambio = [](const QString &t, bool) { return alPiu(positivo(t), 100); };
    m_binder.lega(txtCategorie0, c, QStringLiteral("sconto"), sconto);
    RegolaCampo iva;
    iva.tasti = [](const QString &t, QChar ch) { return filtroNumerico(t, ch); };
    iva.numerico = true;
    iva.cambio = [](const QString &t, bool) { return positivo(t); };
    m_binder.lega(cboIva, c, QStringLiteral("iva"), iva);
    soloMouse(cboTemplate);
    m_binder.lega(cboTemplate, c, QStringLiteral("template"));

    for (QWidget *w : std::initializer_list<QWidget *>{txtCategorie0, txtCategorie10, txtCategorie11, txtCategorie12,
                                                       txtCategorie14, cboIva, cboTemplate})
        m_comandi.registraControllo(QStringLiteral("maschera categorie"), w);
}

void VistaReparti::segnalaRifiuti(DatiPrincipali &d)
{
    // A discount or VAT that is not a number becomes "0" and is written;
    // other refusals are reported and the field goes back to the stored value.
    for (DataSource *s : {&d.dataCategorie, &d.dataFratelli})
        connect(s, &DataSource::error, this, [this, s](int n, const QString &t, const QString &campo) {
            if (campo.compare(QLatin1String("sconto"), Qt::CaseInsensitive) == 0 && !numero(txtCategorie0->text())) {
                txtCategorie0->setText(QStringLiteral("0"));
                return;
            }
            if (campo.compare(QLatin1String("iva"), Qt::CaseInsensitive) == 0 && !numero(cboIva->currentText())) {
                cboIva->setEditText(QStringLiteral("0"));
                return;
            }
            mostraRifiuto(*s, n, t, campo);
        });
    connect(m_griglia, &ModelloGriglia::rifiutato, this,
            [this](const QString &campo, const QString &, int n, const QString &t) {
                mostraRifiuto(m_negozio.dati().dataFratelli, n, t, campo);
            });
}

void VistaReparti::carica()
{
    caricaModelli();
    mostraTitolo();
}

bool VistaReparti::scrivi()
{
    return m_negozio.dati().dataCategorie.scriviModifiche();
}

void VistaReparti::mostraTitolo()
{
    intitolaReparto(m_titoloElenco, QStringLiteral("Reparti"), QStringLiteral("Reparto: "));
    intitolaReparto(m_titoloDettagli, QStringLiteral("Dettagli reparto"), QStringLiteral("Dettagli reparto: "));
}

void VistaReparti::caricaModelli()
{
    // The list changes without touching the bound value: the current
    // department's model is shown again among the new items.
    const Recordset &rs = m_negozio.dati().dataCategorie.recordset();
    const QString attuale = rs.isOpen() && rs.hasCurrent() ? rs.text(QStringLiteral("template")) : QString();
    const QSignalBlocker blocco(cboTemplate);
    cboTemplate->clear();
    cboTemplate->addItems(m_negozio.dati().cboTemplate);
    cboTemplate->setCurrentIndex(cboTemplate->findText(attuale));
}

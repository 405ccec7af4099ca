#include "frmspedizione.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Spedizione;

// ---- band fields ------------------------------------------------------------------------

CampoFascia::CampoFascia(const QString &c, bool importi, EditorSpedizione &logica, QWidget *parent)
    : QLineEdit(parent), campo(c), pannelloImporti(importi), m_logica(logica)
{
    setObjectName(c);
    setAlignment(Qt::AlignRight);
    setMaximumWidth(90);
    connect(this, &QLineEdit::textChanged, this, &CampoFascia::cambiato);
}

void CampoFascia::ricarica()
{
    m_inCambio = true;
    setText(m_logica.testoFascia(campo));
    m_accettato = text();
    m_inCambio = false;
}

bool CampoFascia::salva()
{
    if (!m_logica.aperta())
        return true;
    if (pannelloImporti)
        setText(m_logica.normalizzaImporto(text()));
    bool rifiuto = false;
    const QString mostrato = m_logica.scriviFascia(campo, text(), &rifiuto);
    m_inCambio = true;
    setText(mostrato);
    m_accettato = mostrato;
    m_inCambio = false;
    if (rifiuto)
        emit rifiutato();
    return !rifiuto;
}

void CampoFascia::keyPressEvent(QKeyEvent *e)
{
    const QString t = e->text();
    const bool carattere = !t.isEmpty() && t[0].isPrint() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!carattere) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    const QChar sep = m_logica.separatore();
    QChar c = t[0];
    if (c == u'.')
        c = sep;
    // The separator only while the text (less what the key replaces) holds none.
    QString resto = text();
    if (hasSelectedText())
        resto.remove(selectionStart(), selectedText().size());
    if ((c >= u'0' && c <= u'9') || (c == sep && !resto.contains(sep)))
        insert(QString(c));
    e->accept();
}

void CampoFascia::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            selectAll();
    });
}

void CampoFascia::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    deselect();
    salva();
}

void CampoFascia::cambiato(const QString &testo)
{
    if (m_inCambio)
        return;
    m_inCambio = true;
    QString t = testo;
    if (!t.isEmpty() && !m_logica.numero(t)) {
        t = m_accettato;  // pasted text that is no number
    } else if (const auto v = m_logica.numero(t); v && *v < 0) {
        t = t.trimmed().mid(1);  // a pasted negative value: its absolute value
    }
    if (t != testo)
        setText(t);
    m_accettato = t;
    m_inCambio = false;
}

// ---- the dialog ----------------------------------------------------------------------------------

namespace {

QLabel *etichetta(const QString &testo, QWidget *parent)
{
    auto *l = new QLabel(testo, parent);
    l->setWordWrap(false);
    return l;
}

} // namespace

frmSpedizione::frmSpedizione(EditorSpedizione &logica, Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\pagamenti.htm"), std::move(aiuto), parent), m_logica(logica)
{
    setModal(true);
    setObjectName(QStringLiteral("frmSpedizione"));
    setWindowTitle(QStringLiteral("Vetrasto - Spese di spedizione"));

    auto *alto = new QHBoxLayout;
    auto *sinistra = new QVBoxLayout;
    sinistra->addWidget(creaMetodi());
    sinistra->addWidget(creaPreselezione());
    alto->addLayout(sinistra, 3);
    alto->addWidget(creaPaesi(), 2);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    cmdOK->setDefault(true);
    QWidget *fasce = creaFasce();

    // Everything but the buttons scrolls on a screen too short for it.
    QVBoxLayout *colonna = corpoScorrevole({cmdOK, cmdAnnulla});
    colonna->addLayout(alto);
    colonna->addWidget(fasce, 1);

    connect(cmdOK, &QPushButton::clicked, this, &frmSpedizione::onOK);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmSpedizione::reject);
    cmdOK->installEventFilter(this);
    // The database undid the whole session: the dialog closes as cancelled,
    // once the handler that wrote has returned.
    m_logica.sessioneAnnullata = [this] { QTimer::singleShot(0, this, &frmSpedizione::reject); };

    // The stored rows into the controls.
    riempiInterfacce();
    for (int k = 1; k <= NumeroMetodi; ++k) {
        txtNomeMetodo[k - 1]->setText(m_logica.nome(k));
        chkMetodo[k - 1]->setChecked(m_logica.attivo(k));
        mostraMetodo(k);
    }
    for (const auto &[n, nome] : m_logica.nomiZone())
        cboZona->addItem(nome, n);
    riempiPaesi();
    spostaPaese();
    PopolaMetodi();
    mostraModo();
    mostraZona();
}

frmSpedizione::~frmSpedizione()
{
    m_logica.sessioneAnnullata = nullptr;
}

QWidget *frmSpedizione::creaMetodi()
{
    auto *box = new QGroupBox(QStringLiteral("Metodi di pagamento"), this);
    auto *g = new QGridLayout(box);
    g->addWidget(etichetta(QStringLiteral("Nome:"), box), 0, 1);
    g->addWidget(etichetta(QStringLiteral("Interfaccia (sistema):"), box), 0, 2);
    for (int k = 1; k <= NumeroMetodi; ++k) {
        const int i = k - 1;
        auto *chk = new QCheckBox(box);
        chk->setObjectName(QStringLiteral("chkMetodo%1").arg(i));
        chk->setToolTip(QStringLiteral("Metodo %1 attivo").arg(k));
        auto *nome = new QLineEdit(box);
        nome->setObjectName(QStringLiteral("txtNomeMetodo%1").arg(i));
        nome->setMaxLength(50);
        auto *pila = new QStackedWidget(box);
        auto *cbo = new QComboBox(pila);
        cbo->setObjectName(QStringLiteral("cboMetodo%1").arg(i));
        auto *cop = new QWidget(pila);
        cop->setObjectName(QStringLiteral("picMetodo%1").arg(i));
        pila->addWidget(cbo);
        pila->addWidget(cop);
        pila->setFixedHeight(cbo->sizeHint().height());
        chkMetodo[i] = chk;
        txtNomeMetodo[i] = nome;
        cboMetodo[i] = cbo;
        picMetodo[i] = cop;
        g->addWidget(chk, k, 0);
        g->addWidget(nome, k, 1);
        g->addWidget(pila, k, 2);

        connect(chk, &QCheckBox::clicked, this, [this, k](bool spuntato) {
            const bool mostrato = m_logica.cliccaAttivo(k, spuntato);
            if (m_logica.chiusura())
                return;
            chkMetodo[k - 1]->setChecked(mostrato);
            mostraMetodo(k);
            PopolaMetodi();
        });
        connect(nome, &QLineEdit::textEdited, this, [this, k](const QString &t) {
            const QString salvato = m_logica.cambiaNome(k, t);
            if (salvato != t)
                txtNomeMetodo[k - 1]->setText(salvato);
        });
        connect(nome, &QLineEdit::editingFinished, this, [this, k] {
            txtNomeMetodo[k - 1]->setText(m_logica.lasciaNome(k));
            PopolaMetodi();
        });
        connect(cbo, &QComboBox::activated, this, [this, k](int indice) {
            m_logica.scegliMetodo(k, cboMetodo[k - 1]->itemText(indice));
            PopolaMetodi();
        });
    }
    g->setColumnStretch(1, 1);
    g->setColumnStretch(2, 1);
    auto *nota = new QLabel(QStringLiteral("Dopo aver selezionato i metodi di pagamento, affinché funzionino è "
                                           "necessario configurarli:"),
                            box);
    nota->setWordWrap(true);
    cmdConfiguraPG = new QPushButton(QStringLiteral("Configura..."), box);
    cmdConfiguraPG->setObjectName(QStringLiteral("cmdConfiguraPG"));
    auto *riga = new QHBoxLayout;
    riga->addWidget(nota, 1);
    riga->addWidget(cmdConfiguraPG, 0, Qt::AlignVCenter);
    g->addLayout(riga, NumeroMetodi + 1, 0, 1, 3);
    connect(cmdConfiguraPG, &QPushButton::clicked, this, [this] {
        if (configura)
            configura();
        // A system configured now is offered at once.
        m_logica.riempiInterfacce();
        riempiInterfacce();
    });
    return box;
}

QWidget *frmSpedizione::creaPreselezione()
{
    auto *box = new QGroupBox(QStringLiteral("Preselezione"), this);
    auto *g = new QGridLayout(box);
    cboPagamento = new QComboBox(box);
    cboPagamento->setObjectName(QStringLiteral("cboPagamento"));
    cboPaese = new QComboBox(box);
    cboPaese->setObjectName(QStringLiteral("cboPaese"));
    g->addWidget(etichetta(QStringLiteral("Metodo di pagamento / spedizione:"), box), 0, 0);
    g->addWidget(cboPagamento, 0, 1);
    g->addWidget(etichetta(QStringLiteral("Paese:"), box), 1, 0);
    g->addWidget(cboPaese, 1, 1);
    g->setColumnStretch(1, 1);
    connect(cboPagamento, &QComboBox::activated, this, [this](int i) {
        if (!m_riempimento)
            m_logica.scegliPreselezione(cboPagamento->itemData(i).toInt());
    });
    connect(cboPaese, &QComboBox::activated, this,
            [this](int i) { m_logica.scegliPaese(cboPaese->itemData(i).toString()); });
    return box;
}

QWidget *frmSpedizione::creaPaesi()
{
    auto *box = new QGroupBox(QStringLiteral("Paesi"), this);
    auto *v = new QVBoxLayout(box);
    DBGrid1 = new QTableWidget(0, 2, box);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setHorizontalHeaderLabels({QStringLiteral("paese"), QString()});
    DBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    DBGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setMinimumHeight(140);
    v->addWidget(DBGrid1, 1);

    cboAggiungi = new QComboBox(box);
    cboAggiungi->setObjectName(QStringLiteral("cboAggiungi"));
    cboAggiungi->setEditable(true);
    cboAggiungi->setInsertPolicy(QComboBox::NoInsert);
    cboAggiungi->addItems(EditorSpedizione::NomiPaesi());
    cboAggiungi->setCurrentIndex(-1);
    cboAggiungi->lineEdit()->setMaxLength(50);
    cmdAggiungi = new QPushButton(QStringLiteral("Aggiungi"), box);
    cmdAggiungi->setObjectName(QStringLiteral("cmdAggiungi"));
    cmdAggiungi->setEnabled(false);
    cmdAggiungi->setAutoDefault(false);
    cmdElimina = new QPushButton(QStringLiteral("Elimina"), box);
    cmdElimina->setObjectName(QStringLiteral("cmdElimina"));
    cmdElimina->setAutoDefault(false);
    auto *aggiungi = new QHBoxLayout;
    aggiungi->addWidget(cboAggiungi, 1);
    aggiungi->addWidget(cmdAggiungi);
    aggiungi->addWidget(cmdElimina);
    v->addLayout(aggiungi);

    lblPaese = new QLabel(box);
    lblPaese->setObjectName(QStringLiteral("lblPaese"));
    cboZona = new QComboBox(box);
    cboZona->setObjectName(QStringLiteral("cboZona"));
    auto *zona = new QHBoxLayout;
    zona->addWidget(lblPaese, 1);
    zona->addWidget(etichetta(QStringLiteral("Zona:"), box));
    zona->addWidget(cboZona, 1);
    v->addLayout(zona);
    collegaPaesi();
    return box;
}

void frmSpedizione::collegaPaesi()
{
    auto abilita = [this] { cmdAggiungi->setEnabled(!cboAggiungi->currentText().trimmed().isEmpty()); };
    connect(cboAggiungi, &QComboBox::editTextChanged, this, abilita);
    connect(cboAggiungi, &QComboBox::activated, this, abilita);
    auto aggiungiPaese = [this] {
        if (cboAggiungi->currentText().trimmed().isEmpty())
            return;
        if (m_logica.aggiungiPaese(cboAggiungi->currentText())) {
            riempiPaesi();
            spostaPaese();
        }
    };
    connect(cmdAggiungi, &QPushButton::clicked, this, aggiungiPaese);
    // Enter in the add field adds, and does not confirm the dialog.
    m_invioAggiunge = aggiungiPaese;
    cboAggiungi->installEventFilter(this);
    cboAggiungi->lineEdit()->installEventFilter(this);
    connect(cmdElimina, &QPushButton::clicked, this, [this] {
        if (m_logica.eliminaPaese()) {
            riempiPaesi();
            spostaPaese();
        }
    });
    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this](int riga) {
        if (m_riempimento || riga < 0)
            return;
        m_logica.vaiPaese(riga);
        spostaPaese();
    });
    connect(cboZona, &QComboBox::activated, this, [this](int i) {
        m_logica.scegliZona(cboZona->itemData(i).toInt());
        const int riga = m_logica.paeseCorrente();
        if (riga >= 0 && riga < DBGrid1->rowCount())
            DBGrid1->item(riga, 1)->setText(cboZona->itemData(i).toString());
    });
}

QWidget *frmSpedizione::cornicemetodo(int k, bool peso)
{
    auto *cornice = new QGroupBox(this);
    cornice->setObjectName(QStringLiteral("frmMetodo%1").arg(peso ? k + 3 : k - 1));
    auto *g = new QGridLayout(cornice);
    g->setVerticalSpacing(3);
    const int indice = peso ? k + 3 : k - 1;
    auto *titolo = new QLabel(cornice);
    titolo->setObjectName(QStringLiteral("lblNomeMetodo%1").arg(indice));
    titolo->setStyleSheet(QStringLiteral("font-weight: bold"));
    lblNomeMetodo[indice] = titolo;
    auto *offerto = new QCheckBox(QStringLiteral("Offerto in questa zona"), cornice);
    offerto->setObjectName(QStringLiteral("chkPagZona%1").arg(indice));
    chkPagZona[indice] = offerto;
    g->addWidget(titolo, 0, 0, 1, 2);
    g->addWidget(offerto, 1, 0, 1, 2);
    connect(offerto, &QCheckBox::clicked, this, [this, k](bool v) {
        m_logica.setOfferto(k, v);
        const bool salvato = m_logica.offerto(k);
        chkPagZona[k - 1]->setChecked(salvato);
        chkPagZona[k + 3]->setChecked(salvato);
    });
    auto campo = [&](const QString &nome) {
        auto *c = new CampoFascia(nome, !peso, m_logica, cornice);
        m_fasce.insert(nome, c);
        connect(c, &CampoFascia::rifiutato, this, [this, c] {
            if (QApplication::focusWidget() == cmdOK)
                m_rifiutatoVersoOK = c;
        });
        return c;
    };
    int r = 2;
    QLabel *limiti = etichetta(peso ? QStringLiteral("Peso fino a") : QStringLiteral("Ordini fino a"), cornice);
    QLabel *spese = etichetta(QStringLiteral("Importo spese"), cornice);
    g->addWidget(limiti, r, 0);
    g->addWidget(spese, r, 1);
    m_titoliImporto << spese;
    if (!peso)
        m_titoliImporto << limiti;
    ++r;
    const int bande = peso ? LimitiPeso : LimitiImporto;
    for (int i = 1; i <= bande; ++i, ++r) {
        CampoFascia *limite = campo(peso ? Campo::peso(k, i) : Campo::imp(k, i));
        CampoFascia *costo = campo(peso ? Campo::spp(k, i) : Campo::sp(k, i));
        g->addWidget(limite, r, 0);
        g->addWidget(costo, r, 1);
    }
    g->addWidget(etichetta(QStringLiteral("Oltre:"), cornice), r, 0, Qt::AlignRight);
    CampoFascia *oltre = campo(peso ? Campo::spp(k, LimitiPeso + 1) : Campo::sp(k, LimitiImporto + 1));
    g->addWidget(oltre, r, 1);
    g->setRowStretch(r + 1, 1);
    return cornice;
}

QWidget *frmSpedizione::creaFasce()
{
    auto *box = new QGroupBox(QStringLiteral("Spese di spedizione"), this);
    auto *v = new QVBoxLayout(box);
    auto *modo = new QHBoxLayout;
    modo->addWidget(etichetta(QStringLiteral("Calcola le spese in base a:"), box));
    optImpPeso[0] = new QRadioButton(QStringLiteral("Importo dell'ordine"), box);
    optImpPeso[1] = new QRadioButton(QStringLiteral("Peso"), box);
    for (int i = 0; i < 2; ++i) {
        optImpPeso[i]->setObjectName(QStringLiteral("optImpPeso%1").arg(i));
        modo->addWidget(optImpPeso[i]);
        connect(optImpPeso[i], &QRadioButton::clicked, this, [this, i] {
            salvaCampoCorrente();
            m_logica.setPerPeso(i == 1);
            mostraModo();
        });
    }
    modo->addStretch();
    v->addLayout(modo);

    tabZona = new QTabBar(box);
    tabZona->setObjectName(QStringLiteral("tabZona"));
    for (int n = 1; n <= NumeroZone; ++n)
        tabZona->addTab(QStringLiteral("Zona %1").arg(n));
    v->addWidget(tabZona);
    auto *iva = new QStackedWidget(box);
    for (int n = 1; n <= NumeroZone; ++n) {
        auto *chk = new QCheckBox(QStringLiteral("Gli ordini provenienti da questa zona sono soggetti ad IVA"), iva);
        chk->setObjectName(QStringLiteral("chkIvaOk%1").arg(n - 1));
        chkIvaOk[n - 1] = chk;
        iva->addWidget(chk);
        connect(chk, &QCheckBox::clicked, this, [this, n](bool v) {
            m_logica.setIvaZona(n, v);
            chkIvaOk[n - 1]->setChecked(m_logica.ivaZona(n));
        });
    }
    iva->setFixedHeight(chkIvaOk[0]->sizeHint().height());
    v->addWidget(iva);

    pannelli = new QStackedWidget(box);
    for (int p = 0; p < 2; ++p) {
        auto *pannello = new QWidget(pannelli);
        pannello->setObjectName(QStringLiteral("picZona%1").arg(p));
        auto *h = new QHBoxLayout(pannello);
        h->setContentsMargins(0, 0, 0, 0);
        for (int k = 1; k <= NumeroMetodi; ++k)
            h->addWidget(cornicemetodo(k, p == 1));
        picZona[p] = pannello;
        pannelli->addWidget(pannello);
    }
    v->addWidget(pannelli, 1);
    connect(tabZona, &QTabBar::currentChanged, this, [this, iva](int i) {
        salvaCampoCorrente();
        m_logica.mostraZona(i + 1);
        iva->setCurrentIndex(i);
        mostraZona();
    });
    return box;
}

void frmSpedizione::setValuta(const QString &valuta)
{
    const QString v = valuta.trimmed();
    for (QLabel *l : std::as_const(m_titoliImporto)) {
        QString t = l->text();
        if (const qsizetype p = t.indexOf(QLatin1String(" (")); p >= 0)
            t.truncate(p);
        l->setText(v.isEmpty() ? t : t + QStringLiteral(" (") + v + u')');
    }
}

void frmSpedizione::riempiInterfacce()
{
    for (int k = 1; k <= NumeroMetodi; ++k) {
        QComboBox *cbo = cboMetodo[k - 1];
        const QSignalBlocker quiete(cbo);
        cbo->clear();
        cbo->addItems(m_logica.interfacce());
        const int i = cbo->findText(m_logica.metodo(k));
        cbo->setCurrentIndex(i >= 0 ? i : 0);
    }
}

void frmSpedizione::mostraMetodo(int k)
{
    const bool attivo = chkMetodo[k - 1]->isChecked();
    txtNomeMetodo[k - 1]->setEnabled(attivo);
    cboMetodo[k - 1]->setEnabled(attivo);
    auto *pila = static_cast<QStackedWidget *>(cboMetodo[k - 1]->parentWidget());
    pila->setCurrentWidget(attivo ? static_cast<QWidget *>(cboMetodo[k - 1]) : picMetodo[k - 1]);
    chkPagZona[k - 1]->setEnabled(attivo);
    chkPagZona[k + 3]->setEnabled(attivo);
}

void frmSpedizione::PopolaMetodi()
{
    m_riempimento = true;
    cboPagamento->clear();
    int corrente = -1;
    for (const auto &v : m_logica.PopolaMetodi(&corrente))
        cboPagamento->addItem(v.nome, v.metodo);
    cboPagamento->setCurrentIndex(corrente);
    m_riempimento = false;
    for (int k = 1; k <= NumeroMetodi; ++k) {
        const QString nome = m_logica.nome(k).trimmed();
        const QString titolo = nome.isEmpty() ? QStringLiteral("Metodo %1").arg(k) : nome;
        lblNomeMetodo[k - 1]->setText(titolo);
        lblNomeMetodo[k + 3]->setText(titolo);
    }
}

void frmSpedizione::riempiPaesi()
{
    m_riempimento = true;
    const auto paesi = m_logica.paesi();
    DBGrid1->setRowCount(int(paesi.size()));
    for (int r = 0; r < int(paesi.size()); ++r) {
        DBGrid1->setItem(r, 0, new QTableWidgetItem(paesi[r].paese));
        auto *z = new QTableWidgetItem(paesi[r].zona ? QString::number(*paesi[r].zona) : QString());
        z->setTextAlignment(Qt::AlignCenter);
        DBGrid1->setItem(r, 1, z);
    }
    const int corrente = m_logica.paeseCorrente();
    if (corrente >= 0)
        DBGrid1->setCurrentCell(corrente, 0);
    m_riempimento = false;
}

void frmSpedizione::spostaPaese()
{
    const int riga = m_logica.paeseCorrente();
    const bool presente = riga >= 0;
    cmdElimina->setEnabled(presente);
    cboZona->setEnabled(presente);
    const auto paesi = m_logica.paesi();
    if (presente) {
        lblPaese->setText(paesi[size_t(riga)].paese);
        cboZona->setCurrentIndex(cboZona->findData(paesi[size_t(riga)].zona.value_or(0)));
        if (DBGrid1->currentRow() != riga) {
            m_riempimento = true;
            DBGrid1->setCurrentCell(riga, 0);
            m_riempimento = false;
        }
    } else {
        lblPaese->clear();
    }
    riempiPreselezionePaesi();
}

void frmSpedizione::riempiPreselezionePaesi()
{
    const QString scelto = m_logica.paeseSelezionato();
    cboPaese->clear();
    for (const Paese &p : m_logica.paesi())
        cboPaese->addItem(p.paese, p.strID);
    cboPaese->setCurrentIndex(cboPaese->findData(scelto));
}

void frmSpedizione::mostraModo()
{
    const bool peso = m_logica.perPeso();
    optImpPeso[peso ? 1 : 0]->setChecked(true);
    pannelli->setCurrentIndex(peso ? 1 : 0);
}

void frmSpedizione::mostraZona()
{
    const int n = m_logica.zonaMostrata();
    for (int i = 0; i < NumeroZone; ++i)
        chkIvaOk[i]->setChecked(m_logica.ivaZona(i + 1));
    for (int k = 1; k <= NumeroMetodi; ++k) {
        chkPagZona[k - 1]->setChecked(m_logica.offerto(k));
        chkPagZona[k + 3]->setChecked(m_logica.offerto(k));
    }
    for (CampoFascia *c : std::as_const(m_fasce))
        c->ricarica();
    if (tabZona->currentIndex() != n - 1)
        tabZona->setCurrentIndex(n - 1);
}

CampoFascia *frmSpedizione::salvaCampoCorrente()
{
    if (auto *c = qobject_cast<CampoFascia *>(focusWidget()); c && m_fasce.value(c->campo) == c && !c->salva())
        return c;
    return nullptr;
}

void frmSpedizione::onOK()
{
    // A refused band value keeps the dialog open on its field: refused now
    // (Enter in the field) or as the focus went to this button.
    CampoFascia *rifiutato = m_rifiutatoVersoOK;
    m_rifiutatoVersoOK = nullptr;
    if (!rifiutato)
        rifiutato = salvaCampoCorrente();
    if (rifiutato) {
        rifiutato->setFocus();
        return;
    }
    if (m_logica.conferma() == EditorSpedizione::EsitoConferma::Confermata) {
        m_confermata = true;
        accept();
    }
}

bool frmSpedizione::eventFilter(QObject *o, QEvent *e)
{
    if (o == cmdOK && e->type() == QEvent::FocusOut)
        m_rifiutatoVersoOK = nullptr;
    // The add field's hint while it has the focus.
    if ((e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) &&
        (o == cboAggiungi || o == cboAggiungi->lineEdit()))
        cboAggiungi->setToolTip(e->type() == QEvent::FocusIn
                                    ? QStringLiteral("Premere il tasto \"Invio\" per aggiungere questo paese alla lista")
                                    : QString());
    if (e->type() == QEvent::KeyPress && (o == cboAggiungi || o == cboAggiungi->lineEdit())) {
        const int tasto = static_cast<QKeyEvent *>(e)->key();
        if (tasto == Qt::Key_Return || tasto == Qt::Key_Enter) {
            m_invioAggiunge();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void frmSpedizione::reject()
{
    // "Annulla", Escape and the close box: every edit is undone.
    if (!m_confermata)
        m_logica.annulla();
    QDialog::reject();
}

void frmSpedizione::closeEvent(QCloseEvent *e)
{
    if (!m_confermata)
        m_logica.annulla();
    QDialog::closeEvent(e);
}

#include "frmimmagine.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString VociFile = QStringLiteral("File (.bmp, .jpg, .gif):");

template <class W>
W *chiamato(W *w, const char *nome)
{
    w->setObjectName(QString::fromLatin1(nome));
    return w;
}

}  // namespace

frmImmagine::frmImmagine(const QString &cartellaNegozio, Messages &messages, std::function<void(const QString &)> aiuto,
                         QWidget *parent)
    : Dialogo(parent), m_logica(cartellaNegozio, messages), m_aiuto(std::move(aiuto))
{
    setObjectName(QStringLiteral("frmImmagine"));
    setWindowTitle(QStringLiteral("Vetrasto - Scelta immagine"));
    tabSelezione = chiamato(new QTabBar, "tabSelezione");
    tabSelezione->addTab(QStringLiteral("Immagine esterna"));
    tabSelezione->addTab(QStringLiteral("Immagine interna"));
    picSelezione[0] = creaDisco();
    picSelezione[1] = creaSito();
    picImmagine = creaAnteprima();
    lblImmagine = chiamato(new QLabel, "lblImmagine");
    lblImmagine->setWordWrap(true);
    cmdOK = chiamato(new QPushButton(QStringLiteral("OK")), "cmdOK");
    cmdAnnulla = chiamato(new QPushButton(QStringLiteral("Annulla")), "cmdAnnulla");
    cmdHelp = chiamato(new QPushButton(QStringLiteral("?")), "cmdHelp");
    cmdOK->setDefault(true);
    impagina();
    resize(720, 480);

    // Opening: the state the logic read from the settings store.
    riempiUnita();
    mostraCartella();
    riempiSito();
    chkAdatta->setChecked(m_logica.adatta());
    for (int i = 0; i < 2; ++i) {
        txtMax[i]->setText(m_logica.testoMax(i));
        txtMax[i]->setEnabled(m_logica.adatta());
    }
    mostraScheda();
    collega();
}

QWidget *frmImmagine::creaDisco()
{
    auto *pannello = chiamato(new QWidget, "picSelezione0");
    Unita = chiamato(new QComboBox, "Unita");
    Cartella = chiamato(new QListWidget, "Cartella");
    File = chiamato(new QListWidget, "File");
    lblPercorso = chiamato(new QLabel, "lblPercorso");
    lblPercorso->setWordWrap(true);
    cmdDesktop = chiamato(new QToolButton, "cmdDesktop");
    cmdDesktop->setToolTip(QStringLiteral("Desktop"));
    cmdDesktop->setIcon(style()->standardIcon(QStyle::SP_DesktopIcon));
    auto *Frame1 = chiamato(new QGroupBox, "Frame1");
    chkAdatta = chiamato(new QCheckBox(QStringLiteral("Adatta dimensioni immagine")), "chkAdatta");
    const char *nomiMax[2] = {"txtMax0", "txtMax1"};
    for (int i = 0; i < 2; ++i) {
        txtMax[i] = chiamato(new QLineEdit, nomiMax[i]);
        txtMax[i]->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtMax[i]));
        txtMax[i]->setMaximumWidth(60);
        txtMax[i]->installEventFilter(this);
    }
    auto *fit = new QGridLayout(Frame1);
    fit->addWidget(chkAdatta, 0, 0, 1, 2);
    fit->addWidget(new QLabel(QStringLiteral("Max lunghezza (pixel):")), 1, 0);
    fit->addWidget(txtMax[0], 1, 1);
    fit->addWidget(new QLabel(QStringLiteral("Max altezza (pixel):")), 2, 0);
    fit->addWidget(txtMax[1], 2, 1);

    auto *p0 = new QGridLayout(pannello);
    p0->setContentsMargins(0, 0, 0, 0);
    auto *unitaRiga = new QHBoxLayout;
    unitaRiga->addWidget(new QLabel(QStringLiteral("Unità:")));
    unitaRiga->addWidget(Unita, 1);
    unitaRiga->addWidget(cmdDesktop);
    p0->addLayout(unitaRiga, 0, 0, 1, 2);
    p0->addWidget(new QLabel(QStringLiteral("Cartella:")), 1, 0);
    p0->addWidget(new QLabel(VociFile), 1, 1);
    p0->addWidget(Cartella, 2, 0);
    p0->addWidget(File, 2, 1);
    p0->addWidget(lblPercorso, 3, 0, 1, 2);
    p0->addWidget(Frame1, 4, 0, 1, 2);
    return pannello;
}

QWidget *frmImmagine::creaSito()
{
    auto *pannello = chiamato(new QWidget, "picSelezione1");
    Sito = chiamato(new QListWidget, "Sito");
    auto *p1 = new QVBoxLayout(pannello);
    p1->setContentsMargins(0, 0, 0, 0);
    p1->addWidget(new QLabel(VociFile));
    p1->addWidget(Sito);
    return pannello;
}

QWidget *frmImmagine::creaAnteprima()
{
    auto *quadro = chiamato(new QWidget, "picImmagine");
    quadro->setFixedSize(SceltaImmagine::LatoAnteprima, SceltaImmagine::LatoAnteprima);
    quadro->setAutoFillBackground(true);
    QPalette bianco = quadro->palette();
    bianco.setColor(QPalette::Window, Qt::white);
    quadro->setPalette(bianco);
    picSalva = chiamato(new QWidget(quadro), "picSalva");
    imgImmagine = chiamato(new QLabel(picSalva), "imgImmagine");
    imgImmagine->move(0, 0);
    picSalva->hide();
    lblMessaggio = chiamato(new QLabel(quadro), "lblMessaggio");
    lblMessaggio->setWordWrap(true);
    lblMessaggio->setAlignment(Qt::AlignCenter);
    lblMessaggio->setGeometry(10, 10, SceltaImmagine::LatoAnteprima - 20, SceltaImmagine::LatoAnteprima - 20);
    lblMessaggio->setStyleSheet(QStringLiteral("color: #a00000"));
    lblMessaggio->hide();
    return quadro;
}

void frmImmagine::impagina()
{
    auto *sinistra = new QVBoxLayout;
    sinistra->addWidget(tabSelezione);
    sinistra->addWidget(picSelezione[0], 1);
    sinistra->addWidget(picSelezione[1], 1);
    auto *destra = new QVBoxLayout;
    destra->addWidget(picImmagine);
    destra->addWidget(new QLabel(QStringLiteral("File selezionato:")));
    destra->addWidget(lblImmagine);
    destra->addStretch(1);
    auto *bottoni = new QHBoxLayout;
    bottoni->addWidget(cmdHelp);
    bottoni->addStretch(1);
    bottoni->addWidget(cmdOK);
    bottoni->addWidget(cmdAnnulla);
    destra->addLayout(bottoni);
    auto *tutto = new QHBoxLayout(this);
    tutto->addLayout(sinistra, 1);
    tutto->addLayout(destra);
}

void frmImmagine::collega()
{
    connect(Unita, &QComboBox::activated, this, [this](int i) {
        m_logica.cambiaCartella(Unita->itemData(i).toString());
        mostraCartella();
    });
    connect(Cartella, &QListWidget::itemActivated, this, &frmImmagine::apriCartella);
    // Enter in the folder list opens the folder and nothing more: the list
    // would pass it on to "OK" too.
    Cartella->installEventFilter(this);
    connect(cmdDesktop, &QToolButton::clicked, this, [this] {
        QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (desktop.isEmpty() || !QFileInfo(desktop).isDir())
            desktop = QDir::homePath();
        m_logica.cambiaCartella(desktop);
        mostraCartella();
    });
    for (QListWidget *lista : {File, Sito}) {
        connect(lista, &QListWidget::currentItemChanged, this, [this, lista](QListWidgetItem *item) {
            if (!item)
                return;
            if (lista == File)
                m_logica.clickFile(item->text());
            else
                m_logica.clickSito(item->text());
            mostraAnteprima();
        });
        connect(lista, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *) { onOK(); });
    }
    connect(chkAdatta, &QCheckBox::toggled, this, [this](bool on) {
        for (QLineEdit *t : txtMax)
            t->setEnabled(on);
        m_logica.impostaAdatta(on);
        mostraAnteprima();
    });
    for (int i = 0; i < 2; ++i) {
        connect(txtMax[i], &QLineEdit::textEdited, this, [this, i](const QString &t) { m_logica.impostaLimite(i, t); });
        connect(txtMax[i], &QLineEdit::editingFinished, this, [this, i] { onLimite(i); });
    }
    connect(tabSelezione, &QTabBar::currentChanged, this, [this](int i) {
        m_logica.impostaScheda(i + 1);
        mostraScheda();
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmImmagine::onOK);
    connect(cmdAnnulla, &QPushButton::clicked, this, [this] {
        m_tag.clear();
        reject();
    });
    connect(cmdHelp, &QPushButton::clicked, this, [this] {
        if (m_aiuto)
            m_aiuto(SceltaImmagine::argomentoAiuto());
    });
}

void frmImmagine::preseleziona(const QString &nome)
{
    if (nome.isEmpty())
        return;
    m_logica.preset(nome);
    tabSelezione->setCurrentIndex(1);
    mostraScheda();
    mostraAnteprima();
    for (int r = 0; r < Sito->count(); ++r)
        if (Sito->item(r)->text() == nome) {
            const QSignalBlocker quiet(Sito);
            Sito->setCurrentRow(r);
        }
}

void frmImmagine::riempiUnita()
{
    // In place of drive letters: the root, the home folder and the mounted
    // volumes of removable media.
    Unita->clear();
    Unita->addItem(QStringLiteral("/"), QStringLiteral("/"));
    Unita->addItem(QDir::homePath(), QDir::homePath());
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes()) {
        const QString root = v.rootPath();
        if (v.isValid() && v.isReady()
            && (root.startsWith(QStringLiteral("/media/")) || root.startsWith(QStringLiteral("/mnt/"))
                || root.startsWith(QStringLiteral("/run/media/"))))
            Unita->addItem(v.displayName() == root ? root : v.displayName() + QStringLiteral(" (") + root + u')', root);
    }
}

void frmImmagine::apriCartella(QListWidgetItem *item)
{
    m_logica.cambiaCartella(item->data(Qt::UserRole).toString());
    mostraCartella();
}

void frmImmagine::mostraCartella()
{
    const QString cartella = m_logica.cartellaLista();
    // The drive: the longest root that holds the folder.
    int best = 0, bestLen = -1;
    for (int i = 0; i < Unita->count(); ++i) {
        const QString root = Unita->itemData(i).toString();
        if ((cartella == root || cartella.startsWith(root.endsWith(u'/') ? root : root + u'/')) && root.size() > bestLen) {
            best = i;
            bestLen = int(root.size());
        }
    }
    Unita->setCurrentIndex(best);

    const QSignalBlocker q1(Cartella), q2(File);
    Cartella->clear();
    QDir dir(cartella);
    if (dir.cdUp() && QDir(cartella).absolutePath() != dir.absolutePath()) {
        auto *su = new QListWidgetItem(QStringLiteral(".."), Cartella);
        su->setData(Qt::UserRole, dir.absolutePath());
    }
    const QDir qui(cartella);
    for (const QString &d : qui.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(d, Cartella);
        item->setData(Qt::UserRole, qui.filePath(d));
    }
    File->clear();
    File->addItems(SceltaImmagine::filePicture(cartella));
    lblPercorso->setText(cartella);
}

void frmImmagine::riempiSito()
{
    const QSignalBlocker quiet(Sito);
    Sito->clear();
    Sito->addItems(SceltaImmagine::filePicture(m_logica.cartellaWork()));
}

void frmImmagine::mostraScheda()
{
    const bool esterna = m_logica.scheda() == 1;
    {
        const QSignalBlocker quiet(tabSelezione);
        tabSelezione->setCurrentIndex(esterna ? 0 : 1);
    }
    picSelezione[0]->setVisible(esterna);
    picSelezione[1]->setVisible(!esterna);
}

void frmImmagine::mostraAnteprima()
{
    lblImmagine->setText(m_logica.etichetta());
    if (!m_logica.anteprimaVisibile()) {
        picSalva->hide();
        lblMessaggio->setText(m_logica.messaggio());
        lblMessaggio->setVisible(!m_logica.messaggio().isEmpty());
        imgImmagine->setPixmap(QPixmap());
        return;
    }
    lblMessaggio->hide();
    const QImage img = m_logica.anteprima();
    imgImmagine->setPixmap(QPixmap::fromImage(img));
    imgImmagine->resize(img.size());
    picSalva->setGeometry(QRect(m_logica.posizione(), m_logica.misura()));
    picSalva->show();
}

void frmImmagine::onLimite(int i)
{
    if (m_inLimite)
        return;  // the message box took the focus
    m_inLimite = true;
    const bool accettato = m_logica.lasciaLimite(i, txtMax[i]->text());
    if (!accettato)
        txtMax[i]->setText(m_logica.testoMax(i));
    else
        mostraAnteprima();
    m_inLimite = false;
}

void frmImmagine::onOK()
{
    const std::optional<QString> tag = m_logica.ok();
    if (!tag)
        return;  // the failure has been told; the dialog stays
    m_tag = *tag;
    if (m_tag.isEmpty())
        reject();
    else
        accept();
}

bool frmImmagine::eventFilter(QObject *o, QEvent *e)
{
    // Enter in a limit box takes the value (as leaving the box does), Enter
    // in the folder list opens the folder; neither confirms the dialog.
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (o == Cartella && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            if (QListWidgetItem *item = Cartella->currentItem())
                apriCartella(item);
            return true;
        }
        for (int i = 0; i < 2; ++i)
            if (o == txtMax[i] && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                onLimite(i);
                return true;
            }
    }
    return QDialog::eventFilter(o, e);
}

void frmImmagine::keyPressEvent(QKeyEvent *e)
{
    // F1 anywhere in the dialog: the controls leave it to the dialog.
    if (e->key() == Qt::Key_F1) {
        if (m_aiuto)
            m_aiuto(SceltaImmagine::argomentoAiuto());
        return;
    }
    QDialog::keyPressEvent(e);
}

void frmImmagine::closeEvent(QCloseEvent *e)
{
    m_tag.clear();
    QDialog::closeEvent(e);
}

RisultatoScelta DialogoSceltaImmagine::scegli(const QString &nomeAttuale)
{
    frmImmagine dlg(m_negozio, m_messages, m_aiuto, m_owner);
    if (!nomeAttuale.isEmpty())
        dlg.preseleziona(nomeAttuale);
    dlg.exec();
    RisultatoScelta r;
    r.nome = dlg.tag();
    if (!r.nome.isEmpty())
        r.misura = dlg.logica().misura();
    return r;
}

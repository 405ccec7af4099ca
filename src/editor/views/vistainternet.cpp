#include "vistainternet.h"

#include "comandi.h"
#include "impostazioni.h"
#include "negozio.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QComboBox *percorso(const QString &nome, const QStringList &voci)
{
    auto *c = new QComboBox;
    c->setObjectName(nome);
    c->setEditable(true);
    c->addItems(voci);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumContentsLength(24);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

// A derived address: shown, selectable, never typed into. Its width is its
// frame's, whatever its text (the columns stay put while an address is
// typed); an address longer than the field shows its start, and is read
// whole by scrolling it or in its tool tip.
QLineEdit *derivato(const QString &nome)
{
    QLineEdit *e = Vista::campoTesto(nome);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    e->setPalette(p);
    QObject::connect(e, &QLineEdit::textChanged, e, [e](const QString &t) {
        e->setToolTip(t);
        e->setCursorPosition(0);  // an address too long shows its start
    });
    return e;
}

// A field with the button that picks its remote folder.
QHBoxLayout *conPulsante(QWidget *campo, QWidget *pulsante)
{
    auto *riga = new QHBoxLayout;
    riga->addWidget(campo, 1);
    riga->addWidget(pulsante);
    return riga;
}

// The site's address and its two folders hold 50 characters in the record.
// Each of their changes writes the record through the derived addresses; a
// text typed or pasted beyond 50 is held back from those writes until the
// field is left (or a command or the window's closing writes the record),
// where the address and the shop's folder are cut to 50. The scripts'
// folder, and a longer folder derived from a remote folder, are not cut:
// the record refuses them when they are written.
constexpr int LunghezzaIndirizzo = 50;

void imposta(QLineEdit *campo, const QString &testo)
{
    if (campo->text() != testo)
        campo->setText(testo);
}

} // namespace

VistaInternet::VistaInternet(Negozio &negozio, RegistroComandi &comandi, QWidget *parent)
    : Vista(negozio, comandi, parent)
{
    setObjectName(QStringLiteral("picGenerale"));
    DataSource &g = negozio.dati().dataGenerale;
    // Made in the order of the focus chain.
    QGroupBox *url = creaURL();
    QGroupBox *perl = creaPerl();
    QGroupBox *ftp = creaFTP();
    dueColonne({url, perl}, {ftp});

    // Derivations run on the merchant's edits and on values set by the
    // program (the remote folder browser), not while a record loads:
    // dopoCaricamento follows the whole record.
    legaServer(g);
    legaIndirizzi(g);
    legaFTP(g);
    connect(&negozio.dati(), &DatiPrincipali::generaleCambiato, this, &VistaInternet::dopoCaricamento);
    // A refused write puts a field back to its stored value as a load does:
    // the addresses follow it once the refusal has been handled.
    connect(&g, &DataSource::error, this, [this] { QTimer::singleShot(0, this, &VistaInternet::dopoCaricamento); });
    if (g.isOpen())
        dopoCaricamento();
}

QGroupBox *VistaInternet::creaURL()
{
    QGroupBox *fraURL = cornice(QStringLiteral("Indirizzi Internet (URL)"), QStringLiteral("fraURL"));
    txtURL = campoTesto(QStringLiteral("txtURL"));
    txtURL->setPlaceholderText(QStringLiteral("www.mionegozio.it"));
    txtCartella = campoTesto(QStringLiteral("txtCartella"));
    txtCGI = campoTesto(QStringLiteral("txtCGI"));
    txtURLNegozio = derivato(QStringLiteral("txtURLNegozio"));
    txtCGIsearch = derivato(QStringLiteral("txtCGIsearch"));
    txtCGIOrdine = derivato(QStringLiteral("txtCGIOrdine"));
    chkNT = casella(QStringLiteral("chkNT"), QStringLiteral("Server Windows NT / 2000"));
    auto *url = new QFormLayout(fraURL);
    url->addRow(QStringLiteral("&URL del sito (es. www.mionegozio.it):"), txtURL);
    url->addRow(QStringLiteral("Cartella del &negozio:"), txtCartella);
    url->addRow(QStringLiteral("Cartella degli s&cript:"), txtCGI);
    url->addRow(chkNT);
    // The derived addresses, each below its caption, as wide as the frame.
    for (const auto &[didascalia, campo] : {std::pair{"URL completa del negozio:", txtURLNegozio},
                                            std::pair{"Script di ricerca:", txtCGIsearch},
                                            std::pair{"Script invio ordini:", txtCGIOrdine}}) {
        url->addRow(etichetta(QString::fromLatin1(didascalia), campo));
        url->addRow(campo);
    }
    return fraURL;
}

QGroupBox *VistaInternet::creaPerl()
{
    QGroupBox *fraPerl = cornice(QStringLiteral("Parametri interprete Perl (solo server Unix)"), QStringLiteral("fraPerl"));
    cboSendmail = percorso(QStringLiteral("cboSendmail"), {QStringLiteral("/usr/lib/sendmail"), QStringLiteral("/usr/sbin/sendmail")});
    cboPerl = percorso(QStringLiteral("cboPerl"), {QStringLiteral("/usr/local/bin/perl"), QStringLiteral("/usr/bin/perl")});
    auto *perl = new QFormLayout(fraPerl);
    perl->addRow(QStringLiteral("Percorso &Sendmail:"), cboSendmail);
    perl->addRow(QStringLiteral("Percorso &interprete Perl:"), cboPerl);
    return fraPerl;
}

QGroupBox *VistaInternet::creaFTP()
{
    QGroupBox *fraFTP = cornice(QStringLiteral("Parametri FTP"), QStringLiteral("fraFTP"));
    txtHost = campoTesto(QStringLiteral("txtHost"));
    txtUsername = campoTesto(QStringLiteral("txtUsername"));
    txtPassword = campoTesto(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtFolderFTP = campoTesto(QStringLiteral("txtFolderFTP"));
    txtFolderCGI = campoTesto(QStringLiteral("txtFolderCGI"));
    for (int i = 0; i < 2; ++i) {
        auto *b = new QToolButton;
        b->setObjectName(QStringLiteral("cmdCart%1").arg(i));
        // The button is its menu entry's twin: same command, same enabling.
        b->setDefaultAction(m_comandi.azione(i == 0 ? Cmd::CartellaFTPNegozio : Cmd::CartellaFTPScript));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        cmdCart[size_t(i)] = b;
    }
    cmdAvanzate = new QPushButton(QStringLiteral("Avanzate..."));
    cmdAvanzate->setObjectName(QStringLiteral("cmdAvanzate"));
    connect(cmdAvanzate, &QPushButton::clicked, this,
            [this] { m_comandi.azione(Cmd::ImpostazioniAvanzate)->trigger(); });
    auto *ftp = new QFormLayout(fraFTP);
    ftp->addRow(QStringLiteral("Nome &Host o indirizzo IP:"), txtHost);
    ftp->addRow(QStringLiteral("Us&ername:"), txtUsername);
    ftp->addRow(QStringLiteral("&Password:"), txtPassword);
    const auto rigaCartella = [ftp](const QString &testo, QLineEdit *campo, QToolButton *pulsante) {
        QLabel *didascalia = etichetta(testo, campo);
        ftp->addRow(didascalia, conPulsante(campo, pulsante));
    };
    rigaCartella(QStringLiteral("Cartella del ne&gozio:"), txtFolderFTP, cmdCart[0]);
    rigaCartella(QStringLiteral("Cartella scrip&t CGI:"), txtFolderCGI, cmdCart[1]);
    auto *avanzate = new QHBoxLayout;
    avanzate->addStretch(1);
    avanzate->addWidget(cmdAvanzate);
    ftp->addRow(avanzate);
    // Tab goes from each remote folder to its button.
    setTabOrder(txtFolderFTP, cmdCart[0]);
    setTabOrder(cmdCart[0], txtFolderCGI);
    setTabOrder(txtFolderCGI, cmdCart[1]);
    // The working folders, hidden: named as the dialog that sets them names them.
    const char *cartelleLavoro[2] = {"Pagine del negozio", "Script CGI e database"};
    for (int i = 0; i < 2; ++i) {
        txtSetting[size_t(i)] = campoTesto(QStringLiteral("txtSetting%1").arg(i));
        txtSetting[size_t(i)]->setParent(fraFTP);
        txtSetting[size_t(i)]->hide();
        txtSetting[size_t(i)]->setAccessibleName(QString::fromLatin1(cartelleLavoro[i]));
    }
    return fraFTP;
}

void VistaInternet::legaServer(DataSource &g)
{
    // Each path is one line of the scripts on the server.
    RegolaCampo percorsoServer;
    percorsoServer.tasti = Regole::filtroSenzaACapo;
    percorsoServer.cambio = [](const QString &t, bool) { return Regole::senzaCaratteriDiControllo(t); };
    m_binder.lega(cboSendmail, g, QStringLiteral("sendmail"), percorsoServer);
    m_binder.lega(cboPerl, g, QStringLiteral("perl"), percorsoServer);
    m_binder.lega(txtSetting[0], g, QStringLiteral("siteonline"));
    m_binder.lega(txtSetting[1], g, QStringLiteral("sitescript"));
}

void VistaInternet::legaIndirizzi(DataSource &g)
{
    const auto indirizzo = [this](bool tagliaAllUscita) {
        RegolaCampo r;
        r.lunghezzaColonna = LunghezzaIndirizzo;
        r.cambio = [this](const QString &t, bool utente) {
            if (utente)
                derivaIndirizzi();
            return t;
        };
        if (tagliaAllUscita) {
            r.lunghezzaMassima = LunghezzaIndirizzo;
            r.scrivi = RegolaCampo::Scrittura::AllUscita;
        }
        return r;
    };
    m_binder.lega(txtURL, g, QStringLiteral("URL"), indirizzo(true));
    m_binder.lega(txtCartella, g, QStringLiteral("cartella"), indirizzo(true));
    m_binder.lega(txtCGI, g, QStringLiteral("cartellaCGI"), indirizzo(false));
    RegolaCampo scriviAlCambio;
    scriviAlCambio.scrivi = RegolaCampo::Scrittura::AlCambio;
    m_binder.lega(txtCGIsearch, g, QStringLiteral("CGIsearch"), scriviAlCambio);
    m_binder.lega(txtCGIOrdine, g, QStringLiteral("CGIordine"), scriviAlCambio);
    RegolaCampo server;
    server.cambio = [this](const QString &t, bool utente) {
        abilitaPercorsiServer();
        if (utente)
            derivaIndirizzi();
        return t;
    };
    m_binder.lega(chkNT, g, QStringLiteral("serverNT"), server);
}

void VistaInternet::legaFTP(DataSource &g)
{
    RegolaCampo cartellaFTP;
    cartellaFTP.cambio = [this](const QString &t, bool utente) {
        if (utente)
            txtCartella->setText(Impostazioni::cartellaDaFolderFTP(t, chkNT->isChecked()));
        return t;
    };
    m_binder.lega(txtFolderFTP, g, QStringLiteral("folderFTP"), cartellaFTP);
    RegolaCampo cartellaCGI;
    cartellaCGI.cambio = [this](const QString &t, bool utente) {
        if (utente)
            txtCGI->setText(Impostazioni::cartellaDaFolderCGI(t, chkNT->isChecked()));
        return t;
    };
    m_binder.lega(txtFolderCGI, g, QStringLiteral("folderCGI"), cartellaCGI);
    RegolaCampo account;
    account.scrivi = RegolaCampo::Scrittura::AlCambio;
    account.cambio = [this](const QString &t, bool) {
        abilitaCartelleFTP();
        return t;
    };
    m_binder.lega(txtHost, g, QStringLiteral("hostname"), account);
    m_binder.lega(txtUsername, g, QStringLiteral("username"), account);
    m_binder.lega(txtPassword, g, QStringLiteral("password"), account);
}

void VistaInternet::impostaCartellaRemota(int tipo, const QString &cartella)
{
    (tipo == 0 ? txtFolderFTP : txtFolderCGI)->setText(cartella);
}

void VistaInternet::derivaIndirizzi()
{
    Impostazioni imp;
    imp.txtURL = txtURL->text();
    imp.txtCartella = txtCartella->text();
    imp.txtCGI = txtCGI->text();
    imp.chkNT = chkNT->isChecked() ? 1 : 0;
    imp.derivaIndirizzi();
    imposta(txtURLNegozio, imp.txtURLNegozio);
    imposta(txtCGIsearch, imp.txtCGIsearch);
    imposta(txtCGIOrdine, imp.txtCGIOrdine);
}

void VistaInternet::abilitaPercorsiServer()
{
    cboSendmail->setEnabled(!chkNT->isChecked());
    cboPerl->setEnabled(!chkNT->isChecked());
}

void VistaInternet::abilitaCartelleFTP()
{
    const bool completo = !txtHost->text().trimmed().isEmpty() && !txtUsername->text().trimmed().isEmpty()
        && !txtPassword->text().trimmed().isEmpty();
    m_comandi.AbilitaComando(QStringLiteral("cartelle FTP"), completo);
}

void VistaInternet::dopoCaricamento()
{
    if (!m_negozio.dati().dataGenerale.isOpen())
        return;
    abilitaPercorsiServer();
    abilitaCartelleFTP();
    // The stored search and order addresses follow the loaded site fields.
    derivaIndirizzi();
}

bool VistaInternet::scrivi()
{
    return m_negozio.dati().dataGenerale.scriviModifiche();
}

void VistaInternet::leggi(Impostazioni &imp) const
{
    imp.cboSendmail = cboSendmail->currentText();
    imp.cboPerl = cboPerl->currentText();
    // The working-folders dialog writes the two folders straight into the record.
    const Recordset &g = m_negozio.dati().dataGenerale.recordset();
    const bool riga = g.isOpen() && g.hasCurrent();
    imp.txtSetting = {riga ? g.text(QStringLiteral("siteonline")) : QString(),
                      riga ? g.text(QStringLiteral("sitescript")) : QString()};
    imp.txtURL = txtURL->text();
    imp.txtCartella = txtCartella->text();
    imp.txtCGI = txtCGI->text();
    imp.txtURLNegozio = txtURLNegozio->text();
    imp.txtCGIsearch = txtCGIsearch->text();
    imp.txtCGIOrdine = txtCGIOrdine->text();
    imp.chkNT = chkNT->isChecked() ? 1 : 0;
    imp.txtFolderFTP = txtFolderFTP->text();
    imp.txtFolderCGI = txtFolderCGI->text();
    imp.txtHost = txtHost->text();
    imp.txtUsername = txtUsername->text();
    imp.txtPassword = txtPassword->text();
}

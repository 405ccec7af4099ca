#include "frmpg.h"

#include "messages.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

// ---- the shared shape ------------------------------------------------------------------------

frmPG::frmPG(std::unique_ptr<ConfigurazioneSistema> conf, Messages &messages, Aiuto aiuto, QWidget *parent)
    : DialogoAiuto(QStringLiteral("pagine\\sistemi.htm"), std::move(aiuto), parent), m_messages(messages),
      m_conf(std::move(conf))
{
    setModal(true);
    setObjectName(m_conf->dati().oggetto);
    setWindowTitle(m_conf->dati().titolo);
    // Laid in the scrolled body by finisci, once every field is made.
    m_colonna = new QVBoxLayout;
    m_modulo = new QGridLayout;
    m_modulo->setColumnStretch(1, 1);
    // LeggiConf comes first: the subclass shows what it read. A file that
    // is there but cannot be read is said, since OK will replace it.
    if (!m_conf->LeggiConf() && QFileInfo::exists(m_conf->fileConf()))
        m_messages.warning(QStringLiteral("Impossibile leggere il file '%1': le impostazioni di %2 sono mostrate "
                                          "vuote e OK lo sostituirà.")
                               .arg(QDir::toNativeSeparators(m_conf->fileConf()), m_conf->dati().nome));
}

QLabel *frmPG::testo(const QString &t)
{
    auto *l = new QLabel(t, this);
    l->setWordWrap(true);
    m_colonna->addWidget(l);
    return l;
}

QLineEdit *frmPG::campo(const QString &etichetta, const QString &nome)
{
    const int r = m_modulo->rowCount();
    auto *e = new QLineEdit(this);
    e->setObjectName(nome);
    auto *l = new QLabel(etichetta, this);
    l->setBuddy(e);
    m_modulo->addWidget(l, r, 0);
    m_modulo->addWidget(e, r, 1);
    return e;
}

void frmPG::valute(std::array<QRadioButton *, 2> &opt)
{
    const int r = m_modulo->rowCount();
    m_modulo->addWidget(new QLabel(QStringLiteral("Valuta del negozio:"), this), r, 0);
    auto *riga = new QHBoxLayout;
    auto *gruppo = new QButtonGroup(this);
    const char *nomi[] = {"Lire", "Euro"};
    for (int i = 0; i < 2; ++i) {
        opt[i] = new QRadioButton(QLatin1String(nomi[i]), this);
        opt[i]->setObjectName(QStringLiteral("optVal%1").arg(i));
        gruppo->addButton(opt[i]);
        riga->addWidget(opt[i]);
    }
    riga->addStretch();
    m_modulo->addLayout(riga, r, 1);
}

Valuta frmPG::valutaDa(const std::array<QRadioButton *, 2> &opt)
{
    return opt[0]->isChecked() ? Valuta::Lire : opt[1]->isChecked() ? Valuta::Euro : Valuta::Nessuna;
}

void frmPG::mostraValuta(const std::array<QRadioButton *, 2> &opt, Valuta v)
{
    if (v == Valuta::Lire)
        opt[0]->setChecked(true);
    else if (v == Valuta::Euro)
        opt[1]->setChecked(true);
}

void frmPG::finisci()
{
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    m_colonna->addStretch();
    // The texts and fields scroll on a screen too short for them; the
    // buttons stay in sight. The instruction texts wrap at 540 pixels at
    // least.
    QVBoxLayout *corpo = corpoScorrevole({cmdOK, cmdAnnulla});
    corpo->parentWidget()->setMinimumWidth(540);
    corpo->addLayout(m_colonna);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmPG::onOK);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmPG::reject);
}

void frmPG::onOK()
{
    raccogli();
    QString errore;
    if (!m_conf->SalvaConf(&errore)) {
        m_messages.warning(errore);
        return;
    }
    accept();
}

// ---- Telepay Light -----------------------------------------------------------------------------------

frmPG_Telepay::frmPG_Telepay(const QString &cartellaNegozio, Messages &messages, Aiuto aiuto, QWidget *parent)
    : frmPG(std::make_unique<ConfTelepay>(cartellaNegozio), messages, std::move(aiuto), parent)
{
    auto &c = static_cast<ConfTelepay &>(configurazione());
    testo(QStringLiteral("Inserire il Merchant ID (l'identificativo del merchant fornito dalla banca) e la valuta "
                         "principale del negozio."));
    m_colonna->addLayout(m_modulo);
    txtLogin = campo(QStringLiteral("Merchant ID:"), QStringLiteral("txtLogin"));
    txtLogin->setText(c.mid);
    valute(optVal);
    mostraValuta(optVal, c.valuta);
    chkTest = new QCheckBox(QStringLiteral("Modalità Test ( transazioni simulate )"), this);
    chkTest->setObjectName(QStringLiteral("chkTest"));
    chkTest->setChecked(c.test);
    m_colonna->addWidget(chkTest);
    testo(QStringLiteral("La \"Modalità Test\" deve essere abilitata SOLO per effettuare i test (necessari affinché "
                         "la banca attivi il Merchant ID)."));
    finisci();
}

void frmPG_Telepay::raccogli()
{
    auto &c = static_cast<ConfTelepay &>(configurazione());
    c.mid = txtLogin->text();
    c.valuta = valutaDa(optVal);
    c.test = chkTest->isChecked();
}

// ---- Banca Sella ------------------------------------------------------------------------------------------

frmPG_Sella::frmPG_Sella(const QString &cartellaNegozio, const BackOfficeSella &sito, Messages &messages,
                         Aiuto aiuto, QWidget *parent)
    : frmPG(std::make_unique<ConfSella>(cartellaNegozio), messages, std::move(aiuto), parent), m_sito(sito)
{
    ConfSella &c = sella();
    testo(QStringLiteral("Inserire il codice esercente (fornito da Banca Sella), la valuta principale del negozio e "
                         "la modalità di sicurezza concordata con Banca Sella (in caso di sicurezza OTP è necessario "
                         "indicare il nome dei file di password):"));
    m_colonna->addLayout(m_modulo);
    txtLogin = campo(QStringLiteral("Codice esercente:"), QStringLiteral("txtLogin"));
    txtLogin->setText(c.mid);
    valute(optVal);
    mostraValuta(optVal, c.valuta);
    creaSicurezza();
    testo(QStringLiteral("L'utilizzo del sistema di Banca Sella può avvenire secondo due modalità: sicurezza con "
                         "password (GestPay OTP) oppure sicurezza con crittografia (GestPayCrypt)."));
    testo(QStringLiteral("Se si sceglie di usare la modalità \"GestPayOTP\", sarà necessario caricare via FTP nella "
                         "propria cartella degli script cgi i file di password, con estensione .ric e .ris, inviati "
                         "da Banca Sella via e-mail."));
    testo(QStringLiteral("Se si sceglie di usare la modalità \"GestPayCrypt\", il proprio provider dovrà "
                         "necessariamente installare sul server un componente COM (server NT) o una classe Java "
                         "(server Unix) forniti da Banca Sella."));
    testo(QStringLiteral("Per completare la configurazione di Banca Sella è necessario inserire i seguenti valori "
                         "nelle schermate di configurazione del Back Office di Gestpay:"));
    creaBackOffice();
    optMetodo[c.cryptDaBuffer() ? 0 : 1]->setChecked(true);
    cambiaModo();
    finisci();
}

void frmPG_Sella::creaSicurezza()
{
    const int r = m_modulo->rowCount();
    m_modulo->addWidget(new QLabel(QStringLiteral("Modalità sicurezza:"), this), r, 0, Qt::AlignTop);
    auto *modi = new QVBoxLayout;
    auto *gruppo = new QButtonGroup(this);
    const char *nomi[] = {"Crittografia (GestPayCrypt)", "One Time Password (GestPayOTP)"};
    for (int i = 0; i < 2; ++i) {
        optMetodo[i] = new QRadioButton(QString::fromUtf8(nomi[i]), this);
        optMetodo[i]->setObjectName(QStringLiteral("optMetodo%1").arg(i));
        gruppo->addButton(optMetodo[i]);
        modi->addWidget(optMetodo[i]);
        connect(optMetodo[i], &QRadioButton::clicked, this, &frmPG_Sella::cambiaModo);
    }
    m_modulo->addLayout(modi, r, 1);
    txtPwd = campo(QStringLiteral("Nome (senza estensione) dei file password:"), QStringLiteral("txtPwd"));
    txtPwd->setText(sella().pwd);
    txtPwd->setPlaceholderText(QStringLiteral(".ric / .ris"));
    cmdPwd = new QPushButton(QStringLiteral("Aggiorna file password..."), this);
    cmdPwd->setObjectName(QStringLiteral("cmdPwd"));
    m_modulo->addWidget(cmdPwd, m_modulo->rowCount(), 1, Qt::AlignLeft);
    connect(cmdPwd, &QPushButton::clicked, this, [this] {
        if (!aggiornaPassword)
            return;
        QString pwd = txtPwd->text();
        aggiornaPassword(pwd);
        txtPwd->setText(pwd);
    });
}

void frmPG_Sella::creaBackOffice()
{
    auto *ip = new QGroupBox(QStringLiteral("Configurazione - Indirizzi IP"), this);
    auto *ipLayout = new QVBoxLayout(ip);
    txtIP = new QLineEdit(ip);
    txtIP->setObjectName(QStringLiteral("txtIP"));
    ipLayout->addWidget(txtIP);
    m_colonna->addWidget(ip);
    auto *risposte = new QGroupBox(QStringLiteral("Configurazione - Risposte:"), this);
    auto *g = new QGridLayout(risposte);
    const char *etichette[] = {"E-mail informazioni:",        "E-mail per risposta positiva:",
                               "E-mail per risposta negativa:", "URL per risposta positiva:",
                               "URL per risposta negativa:",    "URL Server to Server:"};
    for (int i = 0; i < 6; ++i) {
        txtRis[i] = new QLineEdit(risposte);
        txtRis[i]->setObjectName(QStringLiteral("txtRis%1").arg(i));
        g->addWidget(new QLabel(QString::fromUtf8(etichette[i]), risposte), i, 0);
        g->addWidget(txtRis[i], i, 1);
    }
    g->setColumnStretch(1, 1);
    m_colonna->addWidget(risposte);
    for (QLineEdit *e : {txtIP, txtRis[0], txtRis[1], txtRis[2], txtRis[3], txtRis[4], txtRis[5]}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::ClickFocus);
        e->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); }"));
    }

    // What the back office needs, from the main window's settings.
    txtIP->setText(m_sito.host.count(u'.') >= 3 ? m_sito.host
                                                : QStringLiteral("(inserire l'indirizzo IP del proprio negozio)"));
    for (int i = 0; i < 3; ++i)
        txtRis[i]->setText(m_sito.emailOrdini);
    txtRis[3]->setText(m_sito.urlNegozio + QStringLiteral("/payok.htm"));
    txtRis[4]->setText(m_sito.urlNegozio + QStringLiteral("/payerr.htm"));
}

void frmPG_Sella::cambiaModo()
{
    ConfSella &c = sella();
    c.crypt = optMetodo[0]->isChecked();
    txtRis[5]->setText(m_sito.urlCGI + u'/' + c.scriptServerToServer() + m_sito.codiceSito + QStringLiteral(".pl"));
    txtPwd->setEnabled(!c.crypt);
    if (!c.crypt) {
        c.mid = txtLogin->text();
        c.pwd = txtPwd->text();
        c.proponiPwd();
        txtPwd->setText(c.pwd);
    }
}

void frmPG_Sella::raccogli()
{
    ConfSella &c = sella();
    c.mid = txtLogin->text();
    c.valuta = valutaDa(optVal);
    c.crypt = optMetodo[0]->isChecked();
    c.pwd = txtPwd->text();
}

// ---- Authorize.Net, Planet Payment ----------------------------------------------------------------------

frmPG_MerchantId::frmPG_MerchantId(const QString &cartellaNegozio, Sistema sistema, Messages &messages,
                                   Aiuto aiuto, QWidget *parent)
    : frmPG(std::make_unique<ConfMerchantId>(cartellaNegozio, sistema), messages, std::move(aiuto), parent)
{
    const bool authorize = sistema == Sistema::AuthorizeNet;
    testo(authorize ? QStringLiteral("Inserire il Merchant ID (l'identificativo del merchant fornito da "
                                     "Authorize.Net).")
                    : QStringLiteral("Inserire il Merchant ID (l'identificativo del merchant fornito da Planet "
                                     "Payment)."));
    m_colonna->addLayout(m_modulo);
    txtLogin = campo(QStringLiteral("Merchant ID:"), QStringLiteral("txtLogin"));
    txtLogin->setText(static_cast<ConfMerchantId &>(configurazione()).mid);
    testo(authorize ? QStringLiteral("Authorize.Net supporta unicamente le transazioni in dollari americani (questa "
                                     "deve essere quindi la valuta principale del negozio).")
                    : QStringLiteral("La valuta delle transazioni sarà concordata con Planet Payment al momento di "
                                     "stipulare il contratto, e dovrà corrispondere alla valuta principale del "
                                     "negozio."));
    finisci();
}

void frmPG_MerchantId::raccogli()
{
    static_cast<ConfMerchantId &>(configurazione()).mid = txtLogin->text();
}

// ---- Contrassegno, Pagamento anticipato -------------------------------------------------------------------

frmPG_Informativo::frmPG_Informativo(const QString &cartellaNegozio, Sistema sistema, Messages &messages,
                                     Aiuto aiuto, QWidget *parent)
    : frmPG(std::make_unique<ConfInformativo>(cartellaNegozio, sistema), messages, std::move(aiuto), parent)
{
    const bool anticipato = sistema == Sistema::Anticipato;
    testo(anticipato ? QStringLiteral("Inserire opzionalmente un testo informativo, contenente le istruzioni per il "
                                      "pagamento, che sarà visualizzato nella pagina di conferma dell'ordine.")
                     : QStringLiteral("Inserire opzionalmente un testo informativo, che sarà visualizzato nella "
                                      "pagina di conferma dell'ordine."));
    auto *etichetta = new QLabel(anticipato ? QStringLiteral("Testo informativo (istruzioni per il pagamento):")
                                            : QStringLiteral("Testo informativo:"),
                                 this);
    m_colonna->addWidget(etichetta);
    txtInfo = new QPlainTextEdit(this);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setTabChangesFocus(true);
    etichetta->setBuddy(txtInfo);
    // The widget shows line breaks as LF; the configuration keeps CR LF.
    txtInfo->setPlainText(
        QString(static_cast<ConfInformativo &>(configurazione()).info()).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    txtInfo->setMinimumHeight(140);
    m_colonna->addWidget(txtInfo, 1);
    finisci();
}

void frmPG_Informativo::raccogli()
{
    static_cast<ConfInformativo &>(configurazione()).setInfo(txtInfo->toPlainText());
}

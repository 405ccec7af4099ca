#pragma once
// frmFTP, "Vetrasto - FTP": the publisher's window. Once on screen it runs
// the upload on a worker thread and shows what happens: the file in hand,
// the progress, the dialogue with the server and the log file's path.
// "Annulla" and the close box stop the upload at once; the window closes
// only when the worker has ended, so it is never destroyed under a running
// upload. At the end it opens the site when the merchant asks to see it.
#include "aggiornamentopassword.h"
#include "pubblicatore.h"

#include "dialogo.h"
#include <QStringList>
#include <QTimer>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QThread;

class frmFTP : public Dialogo {
    Q_OBJECT
public:
    frmFTP(const ContestoPubblicazione &contesto, ModoFTP modo, Messages &messages, QWidget *parent = nullptr);
    ~frmFTP() override;

    // The window's load (firewall.net, vtftp.ini, the upload list); false,
    // with the description, when it cannot open.
    bool carica(QString *errore = nullptr);

    // Shows the publisher modally in a mode ("OTP", "OTP-append" or a
    // normal update); false when the window could not open (no upload list).
    static bool Mostra(QWidget *parent, const ContestoPubblicazione &contesto, ModoFTP modo, Messages &messages);

    QTimer Timer1;

    Pubblicatore &pubblicatore() { return m_pubblicatore; }
    bool inCorso() const { return m_thread != nullptr; }
    const Pubblicatore::Conclusione &conclusione() const { return m_conclusione; }

protected:
    void paintEvent(QPaintEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override;  // Escape: like the close box

private:
    QLabel *lblFile;
    QProgressBar *barAggiornamento;
    QLineEdit *txtLogFile;
    QPlainTextEdit *txtLog;
    QPushButton *cmdAnnulla;

    void avvia();
    void annulla();
    void finito();
    void scriviLog();

    MessaggiTraThread m_messaggi;
    Pubblicatore m_pubblicatore;
    QThread *m_thread = nullptr;
    bool m_avviato = false;
    bool m_chiudibile = false;
    Pubblicatore::Conclusione m_conclusione;
    QStringList m_righe;  // dialogue lines not shown yet
    QTimer m_log;
};

// The publisher in its password-file mode, for the bank's password files
// update: its window sends the .ric and .ris files of the scripts folder,
// replacing the server's files or appending to them.
class CaricamentoPasswordFTP : public CaricamentoPassword {
public:
    CaricamentoPasswordFTP(QWidget *parent, ContestoPubblicazione contesto, Messages &messages)
        : m_parent(parent), m_contesto(std::move(contesto)), m_messages(messages)
    {
    }
    Esito carica(bool accoda) override;

private:
    QWidget *m_parent;
    ContestoPubblicazione m_contesto;
    Messages &m_messages;
};

// Command 51 with the real windows: the warning unless switched off, the
// check for the upload list, the transfer settings, then the publisher.
void EseguiAggiornaSito(QWidget *parent, const ContestoPubblicazione &contesto, Messages &messages,
                        std::function<void(const QString &)> aiuto);

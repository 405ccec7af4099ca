#pragma once
// What the walk (e2e.cpp) and its variant with the program killed
// (uccisioni.cpp) share: the merchant's home folder and shop, the steps a
// merchant takes through the window, and the comparison of the shop's
// folders with the FTP server's tree.
#include "avvio.h"
#include "boxmessages.h"
#include "testshop.h"  // leggi

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Utente;

struct Opzioni {
    QString uscita;   // screenshots and logs (default: in the temporary folder)
    QString browser;  // the browser walk's script
    bool tieni = false;  // keep the temporary folder
    // The variant with the program killed: kills per long step (0: the walk).
    int uccisioni = 0;
    quint32 seme = 0;  // its random delays (0: from the clock)
    // A step of that variant, run in a process of its own (see uccisioni.cpp).
    QString passo;
    QHash<QString, QString> altre;  // the step's further options
};
extern Opzioni g_opzioni;

extern QString g_negozio;   // the empty folder the merchant chooses for the shop
extern QString g_sendmail;  // the stand-in mail program
extern int g_portaWeb, g_portaFtp;
extern QString g_ftp;          // the FTP server's root
extern QString g_registroFtp;  // the files it received, one path a line

// The program started as main() starts it (its splash, then the main
// window), with the folder picker standing for the merchant's choice of
// g_negozio.
class Programma {
public:
    Programma();

private:
    BoxMessages m_messages;
    Avvio m_avvio;
};

// The home folder's subfolders and the environment that points there; sets
// the shop's and the mail program's paths.
void preparaCasa(const QString &casa);
// The merchant's pictures and the stand-in mail program (needs QApplication).
void preparaFile(const QString &casa);

// The walk from an empty folder to the first build: the shop, its
// departments, articles, payments, shipping, Internet settings and template.
void allestisci(Utente &u);
// What a step of the kill variant marks: its beginning and its end.
struct Segnali {
    std::function<void()> inizio, fine;
};

// Command 50 from the File menu: the build window, then the question
// (`s.inizio` as the command is chosen, `s.fine` when the question shows).
void costruisci(Utente &u, const Segnali &s = {});
// Command 51: the warning, the transfer settings ("Invia solo i file
// modificati" set as asked), the upload window; on the first upload the
// server's folders are made (`s.inizio` as OK starts the upload, `s.fine`
// when the closing question shows).
void pubblica(Utente &u, bool prima, std::optional<bool> soloModificati = {}, const Segnali &s = {});
// File > Esci, once the queue has come to it.
void esci(Utente &u);
// A price typed into an article of a department.
void prezzo(Utente &u, const QString &reparto, const QString &articolo, const QString &valore);

// The files under a folder, by relative path.
QStringList albero(const QString &cartella);
// The shop's folders and where the upload puts them on the server.
inline const std::pair<const char *, const char *> cartelleSito[] = {{"online", "www/shop"}, {"scripts", "cgi-bin"}};
// A file as the upload puts it on a Unix server.
QByteArray comeInviato(const QString &nome, QByteArray dati);
// The files of the pages and scripts folders that the server lacks or
// holds with other bytes, as the server's paths.
QStringList fileDiversi();
// "" when the server's tree is the pages and scripts folders byte for byte.
QString confrontaServer();
// The files the server received since the log was last cleared, sorted.
QStringList ricevuti();

// The variant with the program killed: the parent, and one step in a child.
int provaUccisioni();
int eseguiPasso();

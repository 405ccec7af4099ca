#pragma once
// What the tests share: a temporary program folder (empty shop, a small
// template set, a code folder, the user's data folder) and shops opened
// headless in temporary folders, with what the store announced recorded.
#include "negozio.h"
#include "scriptedmessages.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <optional>

// A program folder for one test run: new/, template/classico, code/, and a
// user data folder of its own.
class TestProgramFolder {
public:
    TestProgramFolder();
    QString path() const { return m_dir.path(); }
    // A fresh shop folder made from new/ (under the temporary folder).
    QString newShop(const QString &name = QStringLiteral("negozio"));
    // The same with the program's own code folder (the payment systems'
    // files of the source tree's data/code) as the shop's code folder, as
    // the shipping and payment tests need it. Throws (ending the test as
    // failed) when it cannot be copied.
    QString newShopWithCode(const QString &name = QStringLiteral("negozio"));

private:
    QTemporaryDir m_dir;
};

// A shop store without windows. It answers the folder picker and the
// template chooser from scripts and records what the store announces.
class NegozioDiProva : public SceltaTemplate {
public:
    NegozioDiProva();
    ~NegozioDiProva() override;

    ScriptedMessages messages;
    Negozio negozio{messages};
    DatiPrincipali &dati() { return negozio.dati(); }

    // Sets PercorsoNegozio and opens the shop; returns CaricaNegozio's result.
    int apri(const QString &folder);

    // What the store announced last.
    QString titolo, totale;
    qint64 articoloRaggiunto = 0;
    int riavvii = 0;
    std::optional<bool> repartoCorrente, articoloCorrente;

    // The folder picker: answers in order ("" once they run out), and the
    // titles it was shown with.
    std::deque<QString> cartelle;
    QStringList titoliCartelle;

    // The template chooser: "" cancels.
    QString templateScelto;
    int scelteTemplate = 0;
    bool ScegliTemplate() override;
};

// A small file system mounted on a folder for one test (needs the right to
// mount: tests skip without it), optionally made read-only afterwards.
class FileSystemPiccolo {
public:
    FileSystemPiccolo(const QString &cartella, int kilobyte);
    ~FileSystemPiccolo();
    bool montato() const { return m_montato; }
    // Mounts it again read-only; false when that cannot be done.
    bool soloLettura();

private:
    QString m_cartella;
    bool m_montato = false;
};

// Writes a file, making its folders; throws (ending the test as failed) when
// it cannot.
void scrivi(const QString &path, const QByteArray &data);
// A file's bytes, or nothing when it cannot be read.
QByteArray leggi(const QString &path);
// Every file under a folder (hidden ones too), by its path relative to the
// folder, with its checksum: two are equal when the trees hold the same
// files with the same bytes.
QMap<QString, QByteArray> impronte(const QString &cartella);

// The program's data folder in the source tree (data/).
QString cartellaDati();
// A shop's catalogue opened as the store opens it: exclusively.
DatabasePtr apriCatalogo(const QString &negozio);

// Adds n departments and articles straight into a catalogue (fixtures).
void riempiCatalogo(Database &db, int reparti, int articoliPerReparto);

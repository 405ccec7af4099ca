#pragma once
// The template merger: every page, script and server file the site builder
// writes from a model goes through it. A model is any text file; the merger
// replaces the field tags "<<n-NAME>>" with the fields of the page row
// (levels 1 and 3) and of the article rows (level 2, inside the article
// block between "<VT_START>" and "<VT_END>").
#include "riga.h"
#include "testofile.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class Messages;

// The program's version as the generator tag writes it.
inline constexpr const char *VersioneVetrasto = "1.0.0";

// The generator tag put before "<TITLE>" of every merged page.
QString TagGeneratore();

namespace Make {

// How a merge ended.
enum class Esito {
    Fatto,
    Fallito,    // the text is not to be written
    Annullato,  // the build was cancelled
};

// How many values deep a tag may lie (a value holding a tag whose value
// holds a tag, and so on) before a pass gives up.
inline constexpr int profonditaMassima = 16;

// Asked now and then during a long merge: true stops it. The build passes
// its cancel flag; an empty function never stops a merge.
using Interruzione = std::function<bool()>;

} // namespace Make

// Replaces every tag of one level in the text with the fields of the row. A
// value is read again where it was put in, so that the tags of this level it
// holds are replaced too, one step deeper each time; a value that is exactly
// the tag that named it stays as a tag. When values nest deeper than a page
// can sensibly need, or the text keeps growing (a field that holds itself),
// the pass stops with "###ERROR###" and *esito is Fallito; when `interrompi`
// stops it, the result is empty and *esito is Annullato. The work grows with
// the length of the result, not with the number of tags times the length.
QString SostituisciTag(const QString &testo, const Riga &riga, int livello, qint32 contatore,
                       Make::Esito *esito = nullptr, const Make::Interruzione &interrompi = {});

// Merges the model into the output file with the page row; with `articoli`
// the article block is expanded once per article row; a Perl script is
// merged with RigaPerPerl of its row, which the caller passes. Returns true
// when the output was written. On false nothing was written, and an older
// output file stays as it was; warnings go through messages, and a merge
// stopped by `interrompi` shows none.
bool MakePagina(const Riga &pagina, const std::vector<Riga> *articoli, const QString &modello,
                const QString &uscita, Messages &messages, const Make::Interruzione &interrompi = {});

// The page row as a Perl script takes it: every value as the base64 text of
// its UTF-8 bytes, one run of letters, digits, "+", "/" and "=" that no value
// can end and that the script decodes as data (with the core MIME::Base64);
// only `perl_path`, the script's "#!" line, stays as written when it is a
// valid path (PercorsoPerlValido), and is empty otherwise.
Riga RigaPerPerl(const Riga &pagina);

namespace Make {

// Whether bytes begin as a database file does: an SQLite database, its
// rollback journal or its write-ahead log. Such a file is never read into
// a page or copied into the site (a copy of the catalogue holds the FTP
// password).
bool InizioDatabase(QByteArrayView inizio);

// A model read once and merged many times.
struct Modello {
    QString percorso;  // as it was asked for
    TestoFile file{};  // its text with the generator tag put before "<TITLE>"
    bool trovato = false;
    bool database = false;  // not read: it is a database file
    // The warning of a model that cannot be read, or that is a database.
    QString avvisoMancante() const;
    // The bytes of a page merged from it, in its encoding.
    QByteArray codifica(const QString &testo) const;
};
Modello leggiModello(const QString &percorso);

// Puts the generator tag before the first "<TITLE>" unless the text holds it.
void aggiungiGeneratore(QString &testo);

// One merge of a text: the level-1 tags (and the level-3 tags when
// `livello3`), then, with `articoli`, the article block once per row. Unless
// Fatto the text is not to be written; `avviso` then holds the warning to
// show, or nothing. `nomeModello` names the model in the warnings.
Esito unisci(QString &testo, const Riga &pagina, const std::vector<Riga> *articoli, bool livello3,
             const QString &nomeModello, QString &avviso, const Interruzione &interrompi = {});
// True for the model name whose level-3 tags are merged too.
bool conLivello3(const QString &percorso);

// The file a path names: an exact match wins, else a file of the same folder
// whose name matches letter case aside; the empty text when there is none.
QString trovaFile(const QString &path);

// Writes data under a temporary name and puts it in place; false on failure
// (an older file of the same name is left untouched, the temporary file is
// removed), with the system's reason in *errore. A file that already holds
// exactly these bytes is not touched (it keeps its date).
bool scriviFile(const QString &path, const QByteArray &data, QString *errore = nullptr);

// While one lives, the older file that a write replaces (scriviFile,
// FileUscita) is not removed: the two swap names in one step (renameat2 with
// RENAME_EXCHANGE), and the older file stays under the temporary name as a
// spare that the next write into that folder fills from the start and swaps
// in turn. Replacing a file is then one operation on its folder, with no
// file made or removed, and a file system that writes out a file renamed
// over another at once (ext4) does not do it for every page. A spare is
// reused only while it has no other name and belongs to this user; where
// the file system cannot swap names, the write renames. The last one to end
// removes the spares; a build keeps one for its whole run.
class Scorte {
public:
    Scorte();
    ~Scorte();
    Scorte(const Scorte &) = delete;
    Scorte &operator=(const Scorte &) = delete;
};

// A file written in pieces from start to end, and put in place whole by
// chiudi(): a failure, a kill or scarta() leaves the older file as it was.
// A new file is written as a file without a name in the same folder, linked
// under its name once complete (a kill leaves nothing behind, and a first
// build takes no lock for a temporary name or a rename), or, where the file
// system has no such files, under a temporary name of its own (Temporanei)
// that is then renamed. A file that replaces an older one is written under
// a temporary name, a spare's while a Scorte lives, and swapped in or
// renamed. Every failure keeps the system's reason.
class FileUscita {
public:
    FileUscita() = default;
    ~FileUscita();
    FileUscita(const FileUscita &) = delete;
    FileUscita &operator=(const FileUscita &) = delete;

    // Without `senzaNome` a new file is written under a temporary name.
    bool apri(const QString &path, bool senzaNome = true);
    bool scrivi(const QByteArray &dati);
    // Puts the file in place. With `soloSeCambiato` a file there that holds
    // the same bytes is left as it is, date and all.
    bool chiudi(bool soloSeCambiato = true);
    // chiudi() in two steps: pronto() ends the writing (a file under a
    // temporary name is closed, one without a name stays open), metti()
    // puts the file in place.
    bool pronto(bool soloSeCambiato = true);
    bool metti();
    // Removes what was written; the older file stays.
    void scarta();
    bool aperto() const { return m_fd >= 0; }
    const QString &percorso() const { return m_percorso; }
    const QString &errore() const { return m_errore; }

private:
    bool fallito(int numero);
    bool copiaConNome(const QString &cartella);
    // Writes what scrivi() gathered.
    bool svuota();
    int m_fd = -1;
    QByteArray m_attesa;  // written, not yet in the file
    QString m_percorso, m_cartella, m_errore;
    QByteArray m_temporaneo;
    qint64 m_scritti = 0;
    bool m_scambio = false;  // swapped with the older file by chiudi()
    bool m_pronto = false;   // between pronto() and metti()
    bool m_aPosto = false;   // pronto() found the same bytes there
};

// A file's new bytes written out whole but not yet in place, so that the
// caller decides which files made on several threads go in place:
// prepara() writes them as FileUscita does (a new file without a name, held
// open while the process has few such files open, else under a temporary
// name) and fails at once when a folder stands at the path; metti() puts
// them in place as scriviFile would, and scarta(), or the end of the
// object, leaves the older file as it was. A file that already holds these
// bytes is left as it is, date and all. Every failure keeps the system's
// reason.
class FilePronto {
public:
    FilePronto();
    ~FilePronto();
    FilePronto(FilePronto &&altro) noexcept;
    FilePronto &operator=(FilePronto &&altro) noexcept;
    FilePronto(const FilePronto &) = delete;
    FilePronto &operator=(const FilePronto &) = delete;

    bool prepara(const QString &path, const QByteArray &data);
    bool metti();
    void scarta();
    const QString &percorso() const { return m_percorso; }
    const QString &errore() const { return m_errore; }

private:
    QString m_percorso, m_errore;
    std::unique_ptr<FileUscita> m_file;  // the bytes to put in place; none: nothing to do
    bool m_aperto = false;  // it holds a file without a name open
};

// Tests only: how FileUscita writes.
enum class Scrittura {
    Solita,            // as the file system allows
    NomeTemporaneo,    // under a temporary name, as where the file system has no files without a name
    CopiaConNome,      // copied under a temporary name, as where a process cannot name its open files
    SenzaScambio,      // renamed over an older file, as where the file system cannot swap two names
};
void impostaScritturaPerTest(Scrittura modo);

// The warning of a file that could not be written, with the system's reason.
QString avvisoScrittura(const QString &path, const QString &errore);

} // namespace Make

#pragma once
// The build's work on files rather than pages: the template set's colours,
// the copy of the set's resources and of the shop's pictures into the pages
// folder, and the upload list vtftp.dat that tells the publisher which files
// belong to the shop.
#include "make.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>

// The colour a missing or unreadable swatch stands for.
inline const QString ColoreMancante = QStringLiteral("#000000");

// The files of other folders that the build reads or copies: the template
// set's pages, models and resources, the program's scripts, the shop's
// pictures and its payment systems' files. Each folder is read once, by
// esamina(); only its regular files are given out (no link, pipe or
// device), only when the folder itself lies inside the folder it belongs
// to once every link of its path is resolved (the shop's pictures inside
// the shop folder), only when their names are UTF-8 text without control
// characters, never a file that is one of the shop's databases under
// another name (a hard link to catalog.mdb, which holds the FTP password),
// and never any other database file (Make::InizioDatabase: a plain copy of
// the catalogue, or a database of the merchant's own), whatever it is read
// for. The others are noted, to be named in a warning. Hidden files are
// neither given out nor noted.
class FileAmmessi {
public:
    // Notes the shop's databases, by file identity (device and inode):
    // catalog.mdb, vtftp.mdb, source.new, source.mdb, and every other file
    // directly in the shop folder that is a database (named ".mdb" or
    // ".new", letter case aside, a journal of one, or an SQLite file).
    // Called before esamina().
    void databaseNegozio(const QString &cartellaNegozio);
    // Reads `cartella`, which must lie inside `radice` (an empty `radice`:
    // wherever it lies, as the program's own folders).
    void esamina(const QString &cartella, const QString &radice);
    // The folder's files that may be read, by name; none for a folder that
    // was not examined.
    QStringList elenco(const QString &cartella) const;
    // Those whose names match a pattern such as "*.js", letter case included.
    QStringList elenco(const QString &cartella, const QString &modello) const;
    // The path of the folder's file of that name: an exact match, else one
    // whose name matches letter case aside; empty when there is none that
    // may be read.
    QString trova(const QString &cartella, const QString &nome) const;
    // What was refused, as full paths in the order met: the files that are
    // not regular files of their folder, those whose names hold control
    // characters or are not UTF-8 (each byte of no character shown as "\xE8"),
    // the shop's databases, and the other database files.
    const QStringList &nonOrdinari() const { return m_nonOrdinari; }
    const QStringList &nomiNonValidi() const { return m_nomiNonValidi; }
    const QStringList &database() const { return m_database; }
    const QStringList &fileDatabase() const { return m_fileDatabase; }
    // Whether trova() finds no file of that name because one (of that
    // name, letter case aside) was left out as a database.
    bool eDatabase(const QString &cartella, const QString &nome) const;

private:
    QHash<QString, QStringList> m_elenchi;
    QStringList m_nonOrdinari, m_nomiNonValidi, m_database, m_fileDatabase;
    QSet<std::pair<quint64, quint64>> m_identitaDatabase;
};

// The five colours of a template set, read from the top-left pixel of
// vtas_col_0.gif ... vtas_col_4.gif, as "#RRGGBB"; a swatch that may not
// be read counts as missing.
std::array<QString, 5> LeggiColori(const FileAmmessi &file, const QString &cartellaSet);
// The highlight pattern of the navigation from colour 4.
QString ModelloEvidenzaDa(const QString &colore4);

// True for the names of a template set that are not copied as resources
// (pages, scripts, the js#.js models, swatches, the set's notes and preview).
bool RisorsaEsclusa(const QString &nome);
// Copies a file over another, keeping its modification time; the old
// destination is replaced only by a complete copy. False on failure, with
// the system's reason in *errore. A database file (Make::InizioDatabase)
// is not copied: false, with *database set.
bool CopiaFileRisorsa(const QString &origine, const QString &destinazione, QString *errore = nullptr,
                      bool *database = nullptr);

// The upload list: "#" path 1 "#" path 2 ... "#" path n "#". It is written
// under a temporary name and put in place as vtftp.dat only by chiudi(), at
// the successful end of a build; scarta() removes the unfinished list.
class ListaUpload {
public:
    ~ListaUpload();
    bool apri(const QString &cartellaNegozio);
    void aggiungi(const QString &percorso);
    // The paths listed so far, in lower case: a web server may not tell
    // "Index.htm" from "index.htm".
    const QSet<QString> &elencati() const { return m_elencati; }
    // False when any write failed, with the system's reason in *errore.
    bool chiudi(QString *errore = nullptr);
    void scarta();
    bool aperta() const { return m_file.aperto(); }

private:
    Make::FileUscita m_file;
    QSet<QString> m_elencati;
};

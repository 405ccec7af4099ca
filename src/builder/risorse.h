#pragma once
// The build's work on files rather than pages: the template set's colours,
// the copy of the set's resources and of the shop's pictures into the pages
// folder, and the upload list vtftp.dat that tells the publisher which files
// belong to the shop.
#include "make.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <array>

// The colour a missing or unreadable swatch stands for.
inline const QString ColoreMancante = QStringLiteral("#000000");

// The five colours of a template set, read from the top-left pixel of
// vtas_col_0.gif ... vtas_col_4.gif, as "#RRGGBB".
std::array<QString, 5> LeggiColori(const QString &cartellaSet);
// The highlight pattern of the navigation from colour 4.
QString ModelloEvidenzaDa(const QString &colore4);

// True for the names of a template set that are not copied as resources
// (pages, scripts, the js#.js models, swatches, the set's notes and preview).
bool RisorsaEsclusa(const QString &nome);
// The ordinary files directly in a folder, by name.
QStringList FileCartella(const QString &cartella);
// The regular files directly in a folder, by name, that lie inside `radice`
// once every link is resolved; the other names (links, pipes, devices, the
// files of a folder linked from elsewhere) go to *scartati. Hidden files are
// neither.
QStringList FileDelNegozio(const QString &cartella, const QString &radice, QStringList *scartati);
// Copies a file over another, keeping its modification time; the old
// destination is replaced only by a complete copy. False on failure, with
// the system's reason in *errore.
bool CopiaFileRisorsa(const QString &origine, const QString &destinazione, QString *errore = nullptr);

// The upload list: "#" path 1 "#" path 2 ... "#" path n "#". It is written
// under a temporary name and put in place as vtftp.dat only by chiudi(), at
// the successful end of a build; scarta() removes the unfinished list.
class ListaUpload {
public:
    ~ListaUpload();
    bool apri(const QString &cartellaNegozio);
    void aggiungi(const QString &percorso);
    // False when any write failed, with the system's reason in *errore.
    bool chiudi(QString *errore = nullptr);
    void scarta();
    bool aperta() const { return m_file.aperto(); }

private:
    Make::FileUscita m_file;
};

#pragma once
// The template merger: every page, script and server file the site builder
// writes from a model goes through MakePagina. A model is any text file; the
// merger replaces the field tags "<<n-NAME>>" with the work database's page
// row (levels 1 and 3) and article rows (level 2, inside the article block
// between "<VT_START>" and "<VT_END>").
#include <QByteArray>
#include <QString>

class Messages;
class Recordset;

// The program's version as the generator tag writes it.
inline constexpr const char *VersioneVetrasto = "1.0.0";

// The generator tag put before "<TITLE>" of every merged page.
QString TagGeneratore();

// Replaces every tag of one level in the text with the fields of the
// recordset's current row. A value that holds a tag of the same level is
// expanded too, one step at a time; when such expansions nest deeper than a
// page can sensibly need (a field that names itself), the pass stops, the
// result is "###ERROR###" and *fuoriControllo is set.
QString SostituisciTag(const QString &testo, const Recordset &rs, int livello, qint32 contatore,
                       bool *fuoriControllo = nullptr);

// Merges the model into the output file with the work database at dbPath;
// ripeti expands the article block once per article row. Returns true when
// the output was written. On false nothing was written, and an older output
// file stays as it was. Warnings go through messages.
bool MakePagina(const QString &dbPath, const QString &modello, const QString &uscita, bool ripeti,
                Messages &messages);

namespace Make {

// A text file read as the builder reads models: UTF-8, or Windows-1252 when
// the bytes are not valid UTF-8. codifica() turns text back into the file's
// own encoding, so the bytes outside the tags pass through unchanged.
struct TestoFile {
    QString testo;
    bool utf8 = true;
    QByteArray codifica(const QString &t) const;
};
TestoFile decodifica(const QByteArray &bytes);

// The file a path names: an exact match wins, else a file of the same folder
// whose name matches letter case aside; the empty text when there is none.
QString trovaFile(const QString &path);

// Writes data under a temporary name and puts it in place; false on failure
// (an older file of the same name is left untouched).
bool scriviFile(const QString &path, const QByteArray &data);

} // namespace Make

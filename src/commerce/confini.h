#pragma once
// The text files of the payment systems: the settings file conf.ini (one
// "key=value" line per setting), and the templates whose placeholders the
// settings dialogs fill. One reading of conf.ini for the dialogs and the
// site builder.
//
// conf.ini, read as every text file (TestoFile): a line that holds "=" is a
// setting; the key is the text before the first "=", the value everything
// after it; nothing is trimmed, keys are compared exactly. Lines without "="
// are no settings. Lines end with CR LF when written; CR LF, LF or CR alone
// end a line when read.
#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

struct RigaConf {
    QString chiave;
    QString valore;
    bool operator==(const RigaConf &) const = default;
};

namespace ConfIni {

std::vector<RigaConf> analizza(const QString &testo);
// The settings of a file in file order; nullopt when it cannot be read.
std::optional<std::vector<RigaConf>> leggi(const QString &path);
// A value as it may stand on one line: every line break taken out, so that
// no value can start a line of its own.
QString unaRiga(const QString &valore);
// "key=value" and CR LF, the value on one line.
QString riga(const QString &chiave, const QString &valore);

} // namespace ConfIni

// The placeholder rule: while the text holds the placeholder and the value
// does not, the first occurrence is replaced and the search starts again;
// a value that holds the placeholder itself replaces nothing.
QString RiempiSegnaposto(QString testo, const QString &segnaposto, const QString &valore);

// A value as it stands inside an HTML attribute in quotes (or as text):
// "&", quotes and angle brackets as character references.
QString PerAttributoHTML(const QString &valore);
// A text for the page: kept as written when it holds a tag (a "<" with a
// ">" after it), otherwise angle brackets escaped and each CR LF made a
// line break "<BR>".
QString TestoPerPagina(const QString &testo);

// Several files that must change together: each is written to a temporary
// file beside it (Temporanei), and only when every one is written are they
// renamed into place; a failure puts back what was already renamed. On false
// *errore says what failed, and every file is as it was. The temporary files
// a killed save left in those folders are removed first.
struct FileDaScrivere {
    QString percorso;
    QByteArray dati;
};
bool ScriviInsieme(const std::vector<FileDaScrivere> &files, QString *errore);

#pragma once
// The small text routines every page generator uses: stored texts as HTML,
// tags, escapes for script strings, the "|" quote convention, "@" for Perl
// strings, colours, and the rewriting of a page's relative addresses. All
// are pure functions of their arguments. The shop's number notation is in
// formatonegozio.h, the site's addresses and code in impostazioni.h.
#include "formatonegozio.h"
#include "impostazioni.h"

#include <QString>
#include <QVariant>

// A field's value as HTML text ("" for Null).
QString CampoHTML(const QVariant &campo);
// CR LF becomes "<BR>", unless the text holds a tag (kept as written).
QString TestoHTML(const QString &testo);
// True when the text holds a "<" with a ">" at or after it.
bool ContieneTag(const QString &testo);
// The text without its tags.
QString TogliTag(const QString &testo);
// The text escaped for a JavaScript string or a URL parameter; line breaks
// and TAB become \r, \n and \t.
QString CodificaCaratteri(const QString &testo);
// The text as the inside of a JavaScript string in double quotes: backslash,
// quotes and line breaks escaped, and "</" broken so that a string never ends
// the script element around it.
QString StringaJS(const QString &testo);
// The text as an HTML attribute value between double quotes.
QString ValoreAttributo(const QString &testo);
// A text of the merchant's as an HTML attribute value between double quotes:
// the character references it holds ("&egrave;", "&#232;", "&#xE8;", "&amp;")
// stay as written, for the browser to read as HTML; a bare "&", the double
// quote, "<" and ">" are escaped.
QString AttributoConRiferimenti(const QString &testo);
// Every "|" becomes a double quote.
QString MettiVirgolette(const QString &Testo);
// The text escaped for a Perl string in double quotes: a backslash goes
// before every backslash, double quote, "$" and "@".
QString MakePerl(const QString &Titolo);
// True for the path of the server's Perl as the first line of a script
// takes it: an absolute path ("/usr/bin/perl", or "C:/Perl/bin/perl.exe" on
// a Windows server) of letters, digits and ". _ - + / \", then switches if
// any (" -w", " -T"); one line of at most 127 characters, no blank inside
// the path, no control character.
bool PercorsoPerlValido(const QString &percorso);
// A colour value (red in the low byte) as "#RRGGBB".
QString HTMLColor(qint32 codicecolore);

// Rewrites the relative addresses of a page as addresses in the shop folder
// (the shop's address put in as an attribute value) and writes it through
// AbsoluteOutput. A missing input writes nothing; false when the output
// could not be written, with the system's reason in *errore.
bool MakeAbsolute(const QString &NomeFileInput, const QString &NomeFileOutput, const Impostazioni &imp,
                  QString *errore = nullptr);
// The same on a text (the page's bytes), for callers that hold it already.
QByteArray RendiAssoluto(const QByteArray &pagina, const QString &urlNegozio);
// Replaces the file by the page's bytes followed by CR LF (a missing file is
// no error); a file that already holds exactly them keeps its date. False
// when it could not be written, with the system's reason in *errore; the
// older file then stays whole.
bool AbsoluteOutput(const QString &NomeFileOutput, const QByteArray &OrigineHTML, QString *errore = nullptr);
// A path as it goes into the upload list: unchanged.
QString NoASPQuery(const QString &sTesto);
// The relative path that leads from the folder Folder1 to the folder
// Folder2 ("a/b" to "a/c" gives "../c"): "\\" counts as "/", leading and
// trailing "/" do not count; the common leading folders are dropped, and
// every other folder of Folder1, its last one always, goes up one level.
QString MakeRelative(const QString &Folder1, const QString &Folder2);

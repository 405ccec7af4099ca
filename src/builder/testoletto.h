#pragma once
// Texts as a browser reads them: the merchant's HTML of a name turned into
// the characters the page shows, so that the page, the cart, the price list
// and the order script all hold one and the same form of each name, and
// compare names in that form whatever markup the merchant wrote.
#include <QString>

// The character references of an HTML text as a browser reads them in the
// text of a page: every named reference of HTML (the longest name that
// matches, "&amp;" and "&ndash;" alike, and the older ones a browser also
// reads without ";", such as "&eacute"), and the numeric ones ("&#39;",
// "&#x27", the codes 128 to 159 as the characters Windows-1252 gives them,
// 0 and codes beyond Unicode as U+FFFD). Anything else stays as written.
QString DecodificaEntita(const QString &testo);

// The text without NUL and the other control characters (C0, DEL and C1)
// but TAB, LF, FF and CR, which a browser reads as blanks.
QString TogliControlli(const QString &testo);

// The text a browser shows of an HTML fragment (a name in a drop-down list,
// an article's code or title): tags and comments dropped, a "<" that starts
// neither kept as a character, references read, control characters removed.
QString TestoLetto(const QString &html);

// A name of the merchant's as the text of an element: the text a browser
// shows of it, written back with only "&", "<", ">" and the double quote
// as references, so that a browser and the order script read the same text.
QString NomeInPagina(const QString &html);

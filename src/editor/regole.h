#pragma once
// The input rules of the editing fields, as plain text functions: what a
// typed character becomes, how a text is corrected when it changes or when
// the field is left, and how numbers are read and written in the merchant's
// notation. The binder applies them to the widgets; tests call them directly.
#include "currency.h"

#include <QChar>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace Regole {

// What a key filter does with a typed character.
struct Tasto {
    enum Azione { Passa, Scarta, Inserisci, Accoda };
    Azione azione = Passa;
    QString testo;  // Inserisci: typed in its place; Accoda: appended to the field's text
};
using Filtro = std::function<Tasto(const QString &testo, QChar c)>;

// The decimal separator of the merchant's notation (the default locale's).
QChar separatoreDecimale();

// Digits, backspace and one decimal separator ("." typed becomes the
// separator); with asterisco a "*" appends "000" instead of being typed.
Tasto filtroNumerico(const QString &testo, QChar c, bool asterisco = false);
// "|", "[" and "]" discarded (article code and title).
Tasto filtroBarraParentesi(const QString &testo, QChar c);
// "|", "[", "]" and "£" discarded (every department field).
Tasto filtroReparto(const QString &testo, QChar c);
// Only digits and backspace.
Tasto filtroCifre(const QString &testo, QChar c);
// Carriage return and line feed discarded.
Tasto filtroSenzaACapo(const QString &testo, QChar c);

// The text as a number in the merchant's notation; nullopt when it is not one.
std::optional<double> numero(const QString &testo);
// A number written in the merchant's notation, shortest form, no grouping.
QString testoNumero(double valore);
// A single-precision value written as the notation writes it (seven
// significant digits).
QString testoSingolo(float valore);

// The text without its line breaks and other control characters (a path
// on the server is one line).
QString senzaCaratteriDiControllo(const QString &testo);

// Made positive: a negative number becomes its absolute value (single
// precision); anything else stays.
QString positivo(const QString &testo);
// Made positive for an amount, exactly: a negative number loses its sign
// and keeps every digit written; anything else stays.
QString positivoImporto(const QString &testo);
// Above massimo becomes massimo, written as a whole number.
QString alPiu(const QString &testo, int massimo);
// A text that is not a number becomes "0"; an empty text only with vuoto.
QString zeroSeNonNumero(const QString &testo, bool vuoto);
// An amount in the notation without grouping, with at least `decimali`
// decimals and as many more, up to the four stored, as it holds ("2,40",
// "2,4567").
QString testoImporto(Currency importo, int decimali);
// A number written again in the notation's shortest form ("007" -> "7",
// "10,50" -> "10,5"); a text that is not a number, or empty, stays.
QString riscriviNumero(const QString &testo);

// A number field's text as the settings snapshot holds it: the number in the
// invariant form, kept to the column's precision ("12.5", "1936.27"); a text
// that is not a number stays as it is.
enum class Precisione { Singola, Doppia, Valuta };
QString testoInvariante(const QString &testo, Precisione precisione);

} // namespace Regole

// The rules of one field.
struct RegolaCampo {
    Regole::Filtro tasti;
    bool selezionaTutto = false;
    // On every change (typed, or a record loaded: utente false): the text the
    // field is to hold.
    std::function<QString(const QString &testo, bool utente)> cambio;
    // On leaving the field: the text it is to hold.
    std::function<QString(const QString &testo)> uscita;
    int lunghezzaMassima = 0;  // cut when the field is left; 0: no limit
    // What the bound column holds (0: no limit). While the merchant types
    // beyond it, the writes other fields ask for leave this edit pending, so
    // typing is never cut short nor refused half-way; the field writes its
    // record when it is left (after lunghezzaMassima's cut, if any), and a
    // write no field asked for takes it as left.
    int lunghezzaColonna = 0;
    // When the field writes its record (an edit and update of its data source).
    enum class Scrittura { Mai, AlCambio, AllUscita };
    Scrittura scrivi = Scrittura::Mai;
    // Number fields show the stored number in the merchant's notation and
    // store the text read back as a number (a text that is not a number is
    // stored as typed, and the database refuses it).
    bool numerico = false;
    // A number field that may not be left empty: its empty text is offered
    // to the record as text, not as Null, so that the record refuses it and
    // the view says what the field is set to.
    bool obbligatorio = false;
    // How the field shows a stored value other than Null, when not in that
    // shortest form (an amount with its decimals).
    std::function<QString(const QVariant &valore)> testoValore;
};

namespace Regole {
// Two filters one after the other: the second sees what the first let pass.
Filtro entrambi(Filtro primo, Filtro secondo);
// The whole number rule: the leading number of the text ("." as decimal
// point, none giving 0), rounded down and written without blanks.
QString intero(const QString &testo);
} // namespace Regole

#pragma once
// Zendaro's database as the import's tests meet it: a real Access (Jet 4)
// file written by ScrittoreJet4, with the tables and fields the import reads
// and a few more, and a value of every type the reader converts, Null
// included.
#include <QString>

namespace ZendaroJet {

// Table Categoria: Id (long), Nome (text). Ids 12 to 15: "Caffè", a name
// with quotes and "|", a Null name and a name of 120 characters; then a row
// with a Null Id.
//
// Table Articoli: Id and IdCategoria (long), Codice (text), Descrizione
// (memo), iva (double), Vendita1 to Vendita4 (currency), and beyond what
// the import reads Offerta (boolean), Confezione (byte), Scorta (integer)
// and Peso (single):
//   1, category 12, "C1", "Moka", iva 22, prices 10, 9.5, 1.2345, Null,
//      true, 6, -3, 0.25;
//   2, category 12, every other field Null;
//   3, category 13, "c1" (C1 in another case), "Stesso codice";
//   4, category 13, "T'1|\"", a memo of 1,500 characters, iva 4, prices
//      0.0001, 123456789.1234, -7.5, 0;
//   5, category 99 (none), "X", "Categoria mancante";
//   6, category 15, "L1", a memo of 30,000 characters, iva 10, prices all 1.
// Then `altri` articles more in category 12, codes "Z1", "Z2", ...
void scrivi(const QString &file, int altri = 0);

// The memos of articles 4 and 6: Italian text with accented letters and "€".
QString testoLungo(int caratteri);
QString nomeLungo();  // the name of category 15

} // namespace ZendaroJet

#pragma once
// The synthetic shops the benchmarks measure when given none: departments in
// groups of ten (one top-level department with 9 sub-departments) and
// articles spread evenly over them.
#include <QString>

struct FormaSintetica {
    int reparti = 2000;
    int articoli = 20000;
    int maxArticoli = 4;       // articles per page; 0: all on one page
    bool ordineMescolato = false;  // scattered sort orders
};

// Fills the catalogue of an empty shop.
void negozioSintetico(const QString &shop, const FormaSintetica &forma);
// 2,000 departments, four articles to a page.
void negozioSintetico(const QString &shop, int articoli, bool ordineMescolato);
// The small template set of the build measurements, written into a folder.
void setSintetico(const QString &cartella);
// A program folder of its own (the program's scripts, the small template
// set as the default set), made the program folder, and an empty shop in
// negozio filled with forma.
void programmaSintetico(const QString &programma, const QString &negozio, const FormaSintetica &forma);

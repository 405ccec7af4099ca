#pragma once
// The synthetic shop the benchmarks measure when given none: 2,000
// departments (200 top-level ones with 9 sub-departments each) and articles
// spread evenly over them.
#include <QString>

// Fills the catalogue of an empty shop. With `ordineMescolato` the sort
// orders are scattered, so the opening's renumbering has every row to write.
void negozioSintetico(const QString &shop, int articoli, bool ordineMescolato);

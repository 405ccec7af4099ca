#include "sintetico.h"

#include "database.h"

void negozioSintetico(const QString &shop, int articoli, bool ordineMescolato)
{
    auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
    Transazione t(*db);
    db->execute(QStringLiteral("DELETE FROM categorie"));
    const QString ordineReparto = ordineMescolato ? QStringLiteral("(i * 7919) % 2000") : QStringLiteral("100 + 5 * i");
    const QString ordineArticolo =
        ordineMescolato ? QStringLiteral("(i * 104729) % ") + QString::number(articoli) : QStringLiteral("100 + 5 * i");
    db->execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
        "INSERT INTO categorie (contatore, ID, genitore, livello, ordinamento, hafigli, pagina, template, titolo, "
        "maxarticoli, descrizione) "
        "SELECT i, printf('cat%04d', i), CASE WHEN (i - 1) % 10 = 0 THEN '###' ELSE printf('cat%04d', i - (i - 1) % 10) END, "
        "CASE WHEN (i - 1) % 10 = 0 THEN 1 ELSE 2 END, ") + ordineReparto + QStringLiteral(", "
        "CASE WHEN (i - 1) % 10 = 0 THEN -1 ELSE 0 END, "
        "printf('cat%04d', i), 'modello1', 'Reparto ' || i, 4, 'Descrizione del reparto ' || i FROM n"));
    db->execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO articoli (catID, ordinamento, codice, titolo, descrizione, prezzo) "
        "SELECT printf('cat%04d', i / ? + 1), ") + ordineArticolo + QStringLiteral(", 'A' || i, "
        "'Articolo ' || i, 'Descrizione dell''articolo ' || i, (i % 1000) * 10000 FROM n"),
                {articoli - 1, articoli / 2000});
    t.commit();
    db->close();
}

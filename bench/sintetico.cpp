#include "sintetico.h"

#include "cartelle.h"
#include "catalogschema.h"
#include "database.h"
#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void negozioSintetico(const QString &shop, const FormaSintetica &f)
{
    auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
    Transazione t(*db);
    db->execute(QStringLiteral("DELETE FROM categorie"));
    // Departments without VAT, named rather than left to the table's
    // default, so that every version of the program measures the same work.
    const QString n = QString::number(f.reparti);
    const QString ordineReparto =
        f.ordineMescolato ? QStringLiteral("(i * 7919) % ") + n : QStringLiteral("100 + 5 * i");
    const QString ordineArticolo = f.ordineMescolato ? QStringLiteral("(i * 104729) % ") + QString::number(f.articoli)
                                                     : QStringLiteral("100 + 5 * i");
    db->execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO categorie (contatore, ID, genitore, livello, ordinamento, hafigli, pagina, template, titolo, "
        "maxarticoli, descrizione, iva) "
        "SELECT i, printf('cat%04d', i), CASE WHEN (i - 1) % 10 = 0 THEN '###' ELSE printf('cat%04d', i - (i - 1) % 10) END, "
        "CASE WHEN (i - 1) % 10 = 0 THEN 1 ELSE 2 END, ") + ordineReparto + QStringLiteral(", "
        "CASE WHEN (i - 1) % 10 = 0 THEN -1 ELSE 0 END, "
        "printf('cat%04d', i), 'modello1', 'Reparto ' || i, ?, 'Descrizione del reparto ' || i, 0 FROM n"),
                {f.reparti, f.maxArticoli});
    db->execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO articoli (catID, ordinamento, codice, titolo, descrizione, prezzo) "
        "SELECT printf('cat%04d', i / ? + 1), ") + ordineArticolo + QStringLiteral(", 'A' || i, "
        "'Articolo ' || i, 'Descrizione dell''articolo ' || i, (i % 1000) * 10000 FROM n"),
                {f.articoli - 1, std::max(1, f.articoli / f.reparti)});
    t.commit();
    db->close();
}

void negozioSintetico(const QString &shop, int articoli, bool ordineMescolato)
{
    FormaSintetica f;
    f.articoli = articoli;
    f.ordineMescolato = ordineMescolato;
    negozioSintetico(shop, f);
}

void setSintetico(const QString &cartella)
{
    auto scrivi = [](const QString &path, const QByteArray &data) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(data);
    };
    scrivi(cartella + QStringLiteral("/modello1.htm"),
           "<html>\r\n<head><title><<1-titolo>></title></head>\r\n<body>\r\n<table><tr><td><<1-reparti>></td>\r\n"
           "<td><<1-repartimenu>><h1><<1-titolo>></h1><p><<1-descrizione>></p><p><<1-sottopagine>></p>\r\n"
           "<VT_START><div><<2-codice>> <<2-titolo>> <<2-/COUNTER/>></div>\r\n<VT_END>\r\n<ul><<1-elenco>></ul>"
           "</td></tr></table>\r\n</body>\r\n</html>\r\n");
    scrivi(cartella + QStringLiteral("/style.css"), "body { font-family: sans-serif; }\n");
}

void programmaSintetico(const QString &programma, const QString &negozio, const FormaSintetica &forma)
{
    CopiaCartella(ProgramFolder::path() + QStringLiteral("/code"), programma + QStringLiteral("/code"));
    ProgramFolder::setPath(programma);
    CatalogSchema::createEmptyShop(negozio);
    negozioSintetico(negozio, forma);
    setSintetico(programma + QStringLiteral("/template/") + CatalogSchema::DefaultTemplateSet);
}

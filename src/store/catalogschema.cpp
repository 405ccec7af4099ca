#include "catalogschema.h"

#include "currency.h"

#include <QDir>

namespace CatalogSchema {
namespace {

FieldDef text(const QString &name, int size, QVariant def = {})
{
    return {name, FieldType::Text, size, true, std::move(def)};
}
FieldDef memo(const QString &name, QVariant def = {})
{
    return {name, FieldType::Memo, 0, true, std::move(def)};
}
FieldDef kind(const QString &name, FieldType type, QVariant def = {})
{
    return {name, type, 0, true, std::move(def)};
}
FieldDef boolean(const QString &name, bool def = false)
{
    return {name, FieldType::Boolean, 0, true, def};
}
FieldDef counter(const QString &name)
{
    return {name, FieldType::AutoNumber, 0, true, {}};
}

// Content fields of an article, shared by articoli and its clipboard.
std::vector<FieldDef> articleContent(FieldType flagType)
{
    std::vector<FieldDef> f = {
        text("codice", 50), text("titolo", 200), memo("descrizione"), text("sottotitolo", 200), memo("note"),
        text("link", 50), kind("prezzo", FieldType::Currency, 0), kind("offerta", FieldType::Boolean, false),
        kind("novita", FieldType::Boolean, false),
    };
    for (int n = 0; n < 3; ++n) {
        f.push_back(text(QStringLiteral("immagine%1").arg(n), 255));
        f.push_back(kind(QStringLiteral("imgX%1").arg(n), FieldType::Long));
        f.push_back(kind(QStringLiteral("imgY%1").arg(n), FieldType::Long));
    }
    f.push_back(kind("offertaprezzo", FieldType::Currency, 0));
    f.push_back(boolean("linkesterno"));
    for (int n = 1; n <= 3; ++n)
        f.push_back(kind(QStringLiteral("opzione%1").arg(n), FieldType::Long, 1));
    f.push_back(text("giacenza", 50));
    f.push_back(kind("peso", FieldType::Single, 0));
    // The clipboard keeps these three as numbers: True reads back as -1.
    const QVariant no = flagType == FieldType::Boolean ? QVariant(false) : QVariant(0);
    f.push_back(kind("fuoricatalogo", flagType, no));
    f.push_back(kind("popup", flagType, no));
    f.push_back(kind("inelenco", flagType, no));
    return f;
}

TableDef categorie()
{
    TableDef t{"categorie", {
        counter("contatore"), text("ID", 50), text("genitore", 50), kind("livello", FieldType::Integer, 1),
        kind("ordinamento", FieldType::Long, 0), boolean("hafigli"), text("pagina", 50), text("template", 50),
        text("titolo", 100), memo("descrizione"), memo("note"), kind("maxarticoli", FieldType::Integer, 10),
        kind("iva", FieldType::Single, 0), kind("sconto", FieldType::Single, 0),
        text("immagine0", 255), kind("imgX0", FieldType::Long), kind("imgY0", FieldType::Long),
        text("immagine1", 255), kind("imgX1", FieldType::Long), kind("imgY1", FieldType::Long),
    }, {}};
    t.indexes = {{"categorie_ID", {"ID"}, true},
                 {"categorie_ordine", {"livello", "ordinamento"}, false},
                 {"categorie_genitore", {"genitore"}, false}};
    return t;
}

TableDef articoli()
{
    TableDef t{"articoli", {counter("ID"), text("catID", 50), kind("ordinamento", FieldType::Long, 0)}, {}};
    for (auto &f : articleContent(FieldType::Boolean))
        t.fields.push_back(f);
    t.indexes = {{"articoli_reparto", {"catID", "ordinamento"}, false}};
    return t;
}

TableDef cliparticoli()
{
    TableDef t{"cliparticoli", {counter("ID"), kind("ordinamento", FieldType::Long)}, {}};
    for (auto &f : articleContent(FieldType::Single))
        t.fields.push_back(f);
    return t;
}

TableDef clipcategorie()
{
    return {"clipcategorie", {
        text("titolo", 100), memo("descrizione"), memo("note"), text("template", 50),
        kind("maxarticoli", FieldType::Integer),
        text("immagine0", 255), kind("imgX0", FieldType::Long), kind("imgY0", FieldType::Long),
        text("immagine1", 255), kind("imgX1", FieldType::Long), kind("imgY1", FieldType::Long),
        kind("iva", FieldType::Single), kind("sconto", FieldType::Single, 0), boolean("incolla_articoli"),
    }, {}};
}

TableDef generale()
{
    return {"generale", {
        text("titolo", 255, "Il mio negozio"), text("email", 255, ""),
        memo("home1", ""), memo("home2", ""), memo("condizioni", ""), memo("recesso", ""), memo("datipers", ""),
        memo("testo1", ""), memo("testo2", ""),
        kind("sconto", FieldType::Single, 0),
        text("immagine0", 255, ""), kind("imgX0", FieldType::Long), kind("imgY0", FieldType::Long),
        text("immagine1", 255, ""), kind("imgX1", FieldType::Long), kind("imgY1", FieldType::Long),
        boolean("vis_sconto", true), boolean("vis_offerta", true), memo("firma_email", ""),
        text("merchantid", 255, ""), text("email_ordini", 255, ""), kind("minimo", FieldType::Currency, 0),
        boolean("vis_percrep", false), text("livelliaperti", 2, "1"), boolean("codincart", false),
        memo("keywords", ""), memo("content", ""), memo("colonnevetrina", "3"),
        boolean("elenco_foto", true), boolean("elenco_codice", false), boolean("elenco_titolo", true),
        text("operatorericerca", 1, "0"), boolean("ricercaparole", false), boolean("usa_cambio", true),
        boolean("ivacompresa", true), text("notazione", 1, "0"), kind("cambio", FieldType::Double, 1),
        boolean("decimali1", true), boolean("decimali2", true), text("valuta1", 50, "€"), text("valuta2", 50, ""),
        text("sendmail", 255, "/usr/sbin/sendmail"), text("perl", 255, "/usr/bin/perl"),
        text("siteonline", 255, ""), text("sitescript", 255, ""),
        text("URL", 50, ""), text("cartella", 50, ""), text("cartellaCGI", 50, "cgi-bin"),
        text("CGIsearch", 255, ""), text("CGIordine", 255, ""), boolean("serverNT", false),
        text("folderFTP", 255, ""), text("folderCGI", 255, "cgi-bin"), text("hostname", 255, ""),
        text("username", 255, ""), text("password", 255, ""), text("template", 50, ""),
    }, {}};
}

TableDef opzioni()
{
    TableDef t{"opzioni", {counter("ID"), text("nome", 50)}, {}};
    for (int i = 1; i <= 15; ++i)
        t.fields.push_back(text(QStringLiteral("opzione%1").arg(i), 255));
    for (int i = 1; i <= 15; ++i)
        t.fields.push_back(kind(QStringLiteral("prezzo%1").arg(i), FieldType::Currency));
    for (int i = 1; i <= 15; ++i)
        t.fields.push_back(kind(QStringLiteral("peso%1").arg(i), FieldType::Single));
    t.fields.push_back(kind("selezionato", FieldType::Integer, 0));
    return t;
}

TableDef pagamento()
{
    TableDef t{"pagamento", {}, {}};
    for (int k = 1; k <= 4; ++k) {
        t.fields.push_back(text(QStringLiteral("nome%1").arg(k), 50));
        t.fields.push_back(boolean(QStringLiteral("attivo%1").arg(k)));
        t.fields.push_back(text(QStringLiteral("metodo%1").arg(k), 50));
        t.fields.push_back(boolean(QStringLiteral("ivaok%1").arg(k)));
    }
    t.fields.push_back(kind("selezionato", FieldType::Integer, 1));
    t.fields.push_back(text("paesesel", 20));
    t.fields.push_back(kind("zonasel", FieldType::Integer, 1));
    t.fields.push_back(kind("imppeso", FieldType::Integer, 0));
    return t;
}

TableDef zona(int n)
{
    TableDef t{QStringLiteral("zona%1").arg(n), {}, {}};
    for (int k = 1; k <= 4; ++k)
        t.fields.push_back(boolean(QStringLiteral("pag%1").arg(k)));
    for (int k = 1; k <= 4; ++k) {
        const QString m = QStringLiteral("m%1").arg(k);
        for (int i = 1; i <= 2; ++i)
            t.fields.push_back(kind(m + QStringLiteral("imp%1").arg(i), FieldType::Currency));
        for (int i = 1; i <= 3; ++i)
            t.fields.push_back(kind(m + QStringLiteral("sp%1").arg(i), FieldType::Currency));
        for (int i = 1; i <= 9; ++i)
            t.fields.push_back(kind(m + QStringLiteral("peso%1").arg(i), FieldType::Single));
        for (int i = 1; i <= 10; ++i)
            t.fields.push_back(kind(m + QStringLiteral("spp%1").arg(i), FieldType::Currency));
    }
    return t;
}

DatabaseDef makeCatalog()
{
    DatabaseDef d;
    d.tables = {generale(), categorie(), articoli(), cliparticoli(), clipcategorie(), opzioni(), pagamento(),
                {"paesi", {counter("ID"), text("strID", 20), text("paese", 50), kind("zona", FieldType::Integer, 1)}, {}},
                {"zone", {kind("zona", FieldType::Integer), text("nomezona", 50)}, {}},
                zona(1), zona(2), zona(3), zona(4)};
    return d;
}

// Every tag of a page row and of an article row: the work tables' fields.
const char *const pageFields[] = {
    "sottopagine", "titolo", "note", "descrizione", "immagine", "reparti", "repartimenu", "elenco",
    "home1", "home2", "condizioni", "recesso", "datipers", "testo1", "testo2", "paesi", "pagamento",
    "java_zona", "java_importi", "java_permessi", "java_iva", "java_importi_peso", "java_tipopeso",
    "java_minimo", "CGIsearch", "CGIordine", "email", "username", "password", "negozio", "java_valuta",
    "email_ordini", "perl_path", "java_ivacompresa", "merchantid", "urlback", "urldone", "foldercgi",
    "perl_sendmail", "perl_shopURL", "perl_shopname", "perl_email", "valuta", "perl_mailend", "firma",
    "java_search", "java_daticliente", "java_ANDORsearch", "java_sepsearch", "java_carrello", "IDnegozio",
    "ric_pagina", "ric_codice", "ric_titolo", "ric_sottotitolo", "ric_foto", "logo1", "logo2",
    "meta_keywords", "meta_description", "colore0", "colore1", "colore2", "colore3", "vetrina", "paymsg",
    "thankyou", "java_PGAction",
};
const char *const articleFields[] = {
    "codice", "titolo", "sottotitolo", "cart_articolo", "immagine1", "immagine2", "immagine3", "novita",
    "offerta", "descrizione", "note", "giacenza", "iva", "listino", "prezzo", "cart_prezzo", "cart_iva",
    "cambio", "cart_peso", "opzione1", "opzione2", "opzione3", "cart_opzione1", "cart_opzione2",
    "cart_opzione3", "nomeopzione1", "nomeopzione2", "nomeopzione3", "contatore", "java_acquista",
};

DatabaseDef makeWork()
{
    TableDef page{"categoria", {}, {}};
    for (const char *f : pageFields)
        page.fields.push_back(memo(QString::fromLatin1(f)));
    TableDef rows{"articoli", {}, {}};
    for (const char *f : articleFields)
        rows.fields.push_back(memo(QString::fromLatin1(f)));
    DatabaseDef d;
    d.tables = {page, rows};
    return d;
}

DatabaseDef makeUploads()
{
    // The key holds host, folder and file name: no length the file system
    // allows is refused.
    FieldDef key = memo("nome");
    key.exact = true;  // the upload records' keys are compared exactly
    DatabaseDef d;
    // data: the local file's modification time when it was sent, in UTC
    // seconds; peso: its length in bytes.
    d.tables = {{"file", {key, kind("data", FieldType::Double), kind("peso", FieldType::Double)}, {}}};
    d.tables[0].indexes = {{"file_nome", {"nome"}, false}};
    return d;
}

struct Country {
    const char *name;
    int zone;
};
const Country startingCountries[] = {
    {"Italia", 1}, {"San Marino", 1}, {"Città del Vaticano", 1},
    {"Austria", 2}, {"Belgio", 2}, {"Bulgaria", 2}, {"Cipro", 2}, {"Croazia", 2}, {"Danimarca", 2},
    {"Estonia", 2}, {"Finlandia", 2}, {"Francia", 2}, {"Germania", 2}, {"Grecia", 2}, {"Irlanda", 2},
    {"Lettonia", 2}, {"Lituania", 2}, {"Lussemburgo", 2}, {"Malta", 2}, {"Paesi Bassi", 2}, {"Polonia", 2},
    {"Portogallo", 2}, {"Repubblica Ceca", 2}, {"Romania", 2}, {"Slovacchia", 2}, {"Slovenia", 2},
    {"Spagna", 2}, {"Svezia", 2}, {"Ungheria", 2},
    {"Norvegia", 3}, {"Regno Unito", 3}, {"Svizzera", 3},
    {"Australia", 4}, {"Canada", 4}, {"Giappone", 4}, {"Stati Uniti", 4},
};

} // namespace

const DatabaseDef &catalog()
{
    static const DatabaseDef d = makeCatalog();
    return d;
}

const DatabaseDef &uploadRecords()
{
    static const DatabaseDef d = makeUploads();
    return d;
}

const DatabaseDef &workDatabase()
{
    static const DatabaseDef d = makeWork();
    return d;
}

namespace {

// The VAT rate of a new shop's first department.
constexpr int IvaPrimoReparto = 22;

// The catalogue a new shop is made with: a department added to it takes the
// VAT rate of its first department, not none.
DatabaseDef catalogoNuovo()
{
    DatabaseDef d = catalog();
    for (TableDef &t : d.tables)
        for (FieldDef &f : t.fields)
            if (t.name == QLatin1String("categorie") && f.name == QLatin1String("iva"))
                f.defaultValue = IvaPrimoReparto;
    return d;
}

} // namespace

void fillNewCatalog(Database &db)
{
    auto c = [](int units) { return qlonglong(Currency::fromUnits(units).raw); };
    Transazione t(db);
    {
        // No second currency until the merchant names one: its prices would
        // follow every price as bare copies.
        db.execute(QStringLiteral("INSERT INTO generale (template, usa_cambio) VALUES (?, 0)"), {DefaultTemplateSet});
        db.execute(QStringLiteral("INSERT INTO categorie (contatore, ID, genitore, livello, ordinamento, hafigli, "
                                  "pagina, template, titolo, maxarticoli, iva, sconto) "
                                  "VALUES (1, 'cat001', '###', 1, 100, 0, 'cat001', 'modello1', ?, 10, ?, 0)"),
                   {QStringLiteral("Nuovo Reparto"), IvaPrimoReparto});
        db.execute(QStringLiteral("INSERT INTO opzioni (ID, nome, selezionato) VALUES (1, ?, 0)"),
                   {QStringLiteral("Nessuna variante")});
        int id = 0;
        for (const auto &country : startingCountries) {
            ++id;
            db.execute(QStringLiteral("INSERT INTO paesi (ID, strID, paese, zona) VALUES (?, ?, ?, ?)"),
                       {id, QString::number(id), QString::fromUtf8(country.name), country.zone});
        }
        const char *zones[] = {"Italia", "Unione Europea", "Europa (extra UE)", "Resto del mondo"};
        for (int n = 1; n <= 4; ++n)
            db.execute(QStringLiteral("INSERT INTO zone (zona, nomezona) VALUES (?, ?)"),
                       {n, QString::fromUtf8(zones[n - 1])});
        // Method 1, cash on delivery, is preselected and offered in Italy;
        // method 2, prepayment by bank transfer, everywhere.
        db.execute(QStringLiteral("INSERT INTO pagamento (nome1, attivo1, nome2, attivo2, nome3, attivo3, nome4, "
                                  "attivo4, ivaok1, ivaok2, ivaok3, ivaok4, selezionato, paesesel, zonasel, imppeso) "
                                  "VALUES (?, -1, ?, -1, ?, 0, ?, 0, -1, -1, 0, 0, 1, '1', 1, 0)"),
                   {QStringLiteral("Contrassegno"), QStringLiteral("Bonifico bancario anticipato"),
                    QStringLiteral("Carta di credito"), QStringLiteral("Altro")});
        const int costs[4][3] = {{9, 6, 0}, {15, 12, 8}, {25, 20, 15}, {40, 35, 30}};
        for (int n = 1; n <= 4; ++n) {
            const int *k = costs[n - 1];
            db.execute(QStringLiteral("INSERT INTO zona%1 (pag1, pag2, m1imp1, m1imp2, m1sp1, m1sp2, m1sp3, "
                                      "m2imp1, m2imp2, m2sp1, m2sp2, m2sp3) VALUES (?, -1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                           .arg(n),
                       {n == 1 ? -1 : 0, c(50), c(100), c(k[0] + 3), c(k[1] + 3), c(k[2] + 3), c(50), c(100), c(k[0]),
                        c(k[1]), c(k[2])});
        }
    }
    t.commit();
}

void createEmptyShop(const QString &folder, Database::Lettori catalogo)
{
    QDir().mkpath(folder);
    for (const char *sub : {"work", "online", "scripts"})
        QDir(folder).mkpath(QString::fromLatin1(sub));
    {
        auto db = Database::create(folder + QStringLiteral("/catalog.mdb"), catalogoNuovo(), catalogo);
        fillNewCatalog(*db);
        db->close();
    }
    Database::create(folder + QStringLiteral("/vtftp.mdb"), uploadRecords())->close();
    Database::create(folder + QStringLiteral("/source.new"), workDatabase())->close();
}

} // namespace CatalogSchema

// vetrasto-mkdemo CARTELLA [--url HOST] [--sendmail PERCORSO] [--ostile]
//   writes the demo shop: departments, twenty articles with pictures drawn
//   here, variants, offers, two shipping zones, cash on delivery and
//   prepayment with their page fragments. --url sets the site's host and
//   --sendmail the server's mail program (the tests point them at a local
//   web server and a stand-in); --ostile fills codes, titles,
//   variant texts and settings with quotes, "$", "@", backslashes, commas and
//   line breaks.
// vetrasto-mkdemo --immagini-set CARTELLA STILE
//   writes a template set's colour swatches, badges and preview (STILE is
//   classico or moderno).
#include "catalogschema.h"
#include "cartelle.h"
#include "cdibsection.h"
#include "currency.h"
#include "database.h"
#include "gif.h"
#include "jpegwriter.h"
#include "programfolder.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

qlonglong euro(double v) { return qlonglong(v * 10000 + (v >= 0 ? 0.5 : -0.5)); }

bool salvaJpeg(const QImage &img, const QString &file)
{
    cDIBSection dib;
    return dib.CreateFromPicture(img.convertToFormat(QImage::Format_RGB32)) && SaveDIBToJPEG(dib, file, 85);
}

// A still life of the article: a background in the department's colour, a
// cup, a bag or a pot, and the article's name.
QImage disegna(const QString &testo, int forma, QColor colore, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, colore.lighter(170));
    g.setColorAt(1, colore.lighter(115));
    p.fillRect(img.rect(), g);
    const double s = h / 300.0;
    p.translate(w / 2.0, h * 0.48);
    p.scale(s, s);
    p.setPen(QPen(colore.darker(220), 4));
    p.setBrush(colore.darker(130));
    if (forma == 0) {  // tazza
        p.drawEllipse(QPointF(0, 70), 110, 18);
        QPainterPath tazza;
        tazza.moveTo(-70, -50);
        tazza.lineTo(70, -50);
        tazza.cubicTo(70, 40, 40, 60, 0, 60);
        tazza.cubicTo(-40, 60, -70, 40, -70, -50);
        p.drawPath(tazza);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(55, -35, 50, 50), -90 * 16, 180 * 16);
        p.setPen(QPen(QColor(255, 255, 255, 160), 5));
        p.drawArc(QRectF(-30, -110, 30, 50), 90 * 16, 180 * 16);
        p.drawArc(QRectF(5, -115, 30, 50), -90 * 16, 180 * 16);
    } else if (forma == 1) {  // sacchetto
        QPainterPath sacco;
        sacco.moveTo(-60, -90);
        sacco.lineTo(60, -90);
        sacco.lineTo(75, 80);
        sacco.lineTo(-75, 80);
        sacco.closeSubpath();
        p.drawPath(sacco);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawRoundedRect(QRectF(-45, -20, 90, 55), 8, 8);
    } else {  // moka
        QPainterPath moka;
        moka.moveTo(-45, 80);
        moka.lineTo(45, 80);
        moka.lineTo(30, 5);
        moka.lineTo(40, -70);
        moka.lineTo(-40, -70);
        moka.lineTo(-30, 5);
        moka.closeSubpath();
        p.drawPath(moka);
        p.drawRect(QRectF(-20, -95, 40, 25));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(30, -60, 45, 70), -90 * 16, 180 * 16);
    }
    p.resetTransform();
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(9, h / 12));
    f.setBold(true);
    p.setFont(f);
    p.setPen(colore.darker(300));
    p.drawText(QRect(4, h - h / 6 - 4, w - 8, h / 6), Qt::AlignCenter, testo);
    return img;
}

struct Articolo {
    const char *reparto, *codice, *titolo, *sottotitolo, *descrizione;
    double prezzo, offerta;  // offerta 0: nessuna
    double peso;
    int opzione1, opzione2;
    bool novita, vetrina, popup;
    int forma;
};

const Articolo articoli[] = {
    {"caffe", "CAF-001", "Miscela Bar Italia", "Caffè in grani, 80% arabica", "Una miscela equilibrata e cremosa, <b>tostata a legna</b> nel nostro laboratorio.", 9.50, 0, 0.25, 3, 2, false, true, true, 1},
    {"caffe", "CAF-002", "Arabica 100% Etiopia", "Note floreali e agrumate", "Monorigine dalla regione di Sidamo, tostatura chiara.", 12.90, 10.90, 0.25, 3, 2, true, true, false, 1},
    {"caffe", "CAF-003", "Decaffeinato Dolce", "Decaffeinato ad acqua", "Tutto il gusto del caffè, senza caffeina.\r\nIdeale la sera.", 10.50, 0, 0.25, 3, 2, false, false, false, 1},
    {"caffe", "CAF-004", "Robusta Forte", "Per un espresso deciso", "Corpo pieno e crema persistente.", 8.20, 0, 0.25, 3, 2, false, false, false, 1},
    {"caffe", "CAF-005", "Cialde Classiche (50 pz)", "Cialde in carta ESE 44 mm", "Compatibili con tutte le macchine a cialde ESE.", 11.00, 0, 0.4, 1, 1, true, true, false, 1},
    {"caffe", "CAF-006", "Capsule Intenso (30 pz)", "Capsule compostabili", "Aroma intenso, capsule compostabili.", 7.90, 6.90, 0.2, 1, 1, false, false, false, 1},
    {"te", "TE-001", "Tè verde Sencha", "Giappone, foglia intera", "Tè verde delicato e vegetale.", 6.50, 0, 0.1, 4, 1, false, true, false, 1},
    {"te", "TE-002", "Tè nero Assam", "India, robusto e maltato", "Perfetto a colazione, anche con latte.", 5.90, 0, 0.1, 4, 1, false, false, false, 1},
    {"te", "TE-003", "Tisana Camomilla e Miele", "Rilassante, senza teina", "Fiori di camomilla e granuli di miele.", 4.80, 0, 0.1, 4, 1, true, false, false, 1},
    {"te", "TE-004", "Rooibos Vaniglia", "Sudafrica, senza teina", "Dolce e avvolgente.", 5.20, 4.50, 0.1, 4, 1, false, true, false, 1},
    {"te", "TE-005", "Tè bianco Pai Mu Tan", "Cina, raccolto a mano", "Leggero, con note di fieno e miele.", 9.90, 0, 0.1, 4, 1, false, false, false, 1},
    {"tazze", "TZ-001", "Tazzina da espresso", "Porcellana, 80 ml", "Porcellana spessa che mantiene il calore.", 4.50, 0, 0.15, 5, 1, false, true, true, 0},
    {"tazze", "TZ-002", "Tazza da cappuccino", "Porcellana, 180 ml", "Con piattino coordinato.", 6.90, 0, 0.3, 5, 1, false, false, false, 0},
    {"tazze", "TZ-003", "Mug da tè", "Gres, 350 ml", "Smaltata a mano: ogni pezzo è unico.", 9.50, 8.00, 0.4, 5, 1, true, false, false, 0},
    {"tazze", "TZ-004", "Teiera in ghisa", "0,8 litri con filtro", "Ghisa smaltata all'interno.", 39.00, 0, 1.4, 1, 1, false, true, true, 0},
    {"moka", "MK-001", "Moka 3 tazze", "Alluminio, per fornelli a gas", "La moka classica, in alluminio.", 24.90, 0, 0.6, 1, 1, false, true, false, 2},
    {"moka", "MK-002", "Moka 6 tazze", "Alluminio, per fornelli a gas", "Per la colazione di tutta la famiglia.", 32.50, 29.90, 0.9, 1, 1, false, false, false, 2},
    {"moka", "MK-003", "Moka a induzione 4 tazze", "Acciaio inox", "Adatta a tutti i piani di cottura.", 44.00, 0, 1.0, 1, 1, true, false, false, 2},
    {"moka", "MK-004", "Macinacaffè manuale", "Macine in ceramica", "Macinatura regolabile, dal turco all'espresso.", 35.00, 0, 0.7, 1, 1, false, false, true, 2},
    {"moka", "MK-005", "Guarnizioni moka (3 pz)", "Ricambio universale", "Per moka da 3 e 6 tazze.", 3.50, 0, 0.05, 1, 1, false, false, false, 2},
};

struct Reparto {
    const char *id, *genitore, *titolo, *modello, *descrizione;
    int livello, ordinamento, maxarticoli;
    double iva, sconto;
    QColor colore;
};

const Reparto reparti[] = {
    {"caffe", "###", "Caffè", "modello1", "Le nostre miscele, tostate ogni settimana.", 1, 100, 4, 22, 0, QColor(150, 95, 60)},
    {"te", "###", "Tè e tisane", "modello2", "Tè in foglia e tisane da tutto il mondo.", 1, 200, 10, 22, 0, QColor(90, 140, 80)},
    {"tazze", "###", "Tazze e accessori", "modello2", "Tutto per servire il caffè e il tè.", 1, 300, 10, 22, 0, QColor(70, 110, 170)},
    {"moka", "tazze", "Moka e macinacaffè", "modello1", "Per preparare il caffè a casa.", 2, 100, 10, 22, 10, QColor(120, 120, 130)},
};

QString leggi(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void scrivi(const QString &file, const QString &testo)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(testo.toUtf8());
}

// A payment system as its settings dialog leaves it: conf.ini with the
// information text, and the page fragment filled from form.epg.
void sistema(const QString &shop, const QString &nome, const QString &info)
{
    const QString cartella = shop + QStringLiteral("/code/") + nome;
    scrivi(cartella + QStringLiteral("/conf.ini"), QStringLiteral("info=") + QString(info).replace(QStringLiteral("\r\n"), QStringLiteral("|")) + QStringLiteral("\r\n"));
    QString html = info.contains(u'<') && info.indexOf(u'>', info.indexOf(u'<')) >= 0 ? info : QString(info).replace(QStringLiteral("\r\n"), QStringLiteral("<BR>"));
    QString epg = leggi(cartella + QStringLiteral("/form.epg"));
    if (!html.contains(QStringLiteral("#info")))
        epg.replace(QStringLiteral("#info"), html);
    scrivi(shop + QStringLiteral("/code/") + nome + QStringLiteral(".epg"), epg);
}

int creaDemo(const QString &shop, const QString &url, const QString &sendmail, bool ostile)
{
    QDir(shop).removeRecursively();
    // Read by every user of the program; the default shop copied from it
    // is its owner's only.
    CatalogSchema::createEmptyShop(shop, Database::Lettori::Tutti);
    CopiaCartella(ProgramFolder::path() + QStringLiteral("/code"), shop + QStringLiteral("/code"));
    auto db = Database::open(shop + QStringLiteral("/catalog.mdb"));
    db->beginTrans();
    const QString T = ostile ? QStringLiteral("Bottega \"L'@rte\" $HOME \\n, del caffè\\") : QStringLiteral("Bottega del Caffè");
    db->execute(QStringLiteral(
        "UPDATE generale SET titolo=?, email=?, email_ordini=?, home1=?, home2=?, condizioni=?, recesso=?, datipers=?, "
        "testo1=?, testo2=?, firma_email=?, minimo=?, ivacompresa=0, vis_percrep=-1, livelliaperti='1', colonnevetrina='3', "
        "elenco_foto=-1, elenco_codice=-1, elenco_titolo=-1, URL=?, cartella='', cartellaCGI='cgi-bin', template='classico', "
        "keywords=?, content=?, valuta1=?, valuta2='$ ', cambio=1.1, usa_cambio=-1, operatorericerca='0', ricercaparole=0, "
        "immagine0='logo.jpg', imgX0=64, imgY0=64, sendmail=?"),
        {T, QStringLiteral("info@bottega-esempio.it"),
         ostile ? QStringLiteral("ordini@bottega-esempio.it") : QStringLiteral("ordini@bottega-esempio.it"),
         QStringLiteral("Benvenuti nella <b>Bottega del Caffè</b>: miscele tostate ogni settimana, tè in foglia e tutto per servirli."),
         QStringLiteral("Spedizione in 48 ore in tutta Italia.\r\nPagamento in contrassegno o con bonifico anticipato."),
         QStringLiteral("I prezzi sono indicati in euro, IVA esclusa; l'IVA è aggiunta nel carrello dove dovuta.\r\n"
                        "La merce viaggia a rischio del venditore. Il contratto si intende concluso con la conferma d'ordine."),
         QStringLiteral("Il cliente può recedere dal contratto entro 14 giorni dalla consegna, senza indicarne il motivo, "
                        "scrivendo a info@bottega-esempio.it. Il rimborso avviene entro 14 giorni dalla restituzione della merce."),
         QStringLiteral("I dati personali sono trattati solo per evadere l'ordine, secondo il Regolamento UE 2016/679. "
                        "Titolare del trattamento: Bottega del Caffè, via Roma 1, Torino."),
         QStringLiteral("Tostiamo il caffè in piccoli lotti dal 1962."), QStringLiteral("Bottega del Caffè - via Roma 1, Torino - P. IVA 01234567890"),
         ostile ? QStringLiteral("Grazie! \"Bottega\" $x @y \\z\r\nFINE") : QStringLiteral("Grazie per aver scelto la Bottega del Caffè."),
         euro(10), url, QStringLiteral("caffè, tè, moka, tazze"), QStringLiteral("Caffè tostato, tè e accessori"), QStringLiteral("€ "), sendmail});
    // Varianti: 2 Macinatura, 3 Formato (prezzi e pesi), 4 Confezione, 5 Colore.
    db->execute(QStringLiteral("INSERT INTO opzioni (ID, nome, opzione1, opzione2, opzione3, prezzo1, prezzo2, prezzo3, peso1, peso2, peso3, selezionato) "
                               "VALUES (2, ?, ?, ?, ?, 0, 0, 0, 0, 0, 0, 0)"),
                {QStringLiteral("Macinatura|*1"), QStringLiteral("In grani"), QStringLiteral("Per moka"), ostile ? QStringLiteral("Per \"espresso\", 'fine' $1 @a \\ ;x") : QStringLiteral("Per espresso")});
    db->execute(QStringLiteral("INSERT INTO opzioni (ID, nome, opzione1, opzione2, opzione3, prezzo1, prezzo2, prezzo3, peso1, peso2, peso3, selezionato) "
                               "VALUES (3, 'Formato', '250 g', '500 g', '1 kg', 0, ?, ?, 0, 0.25, 0.75, 0)"),
                {euro(8), euro(15)});
    db->execute(QStringLiteral("INSERT INTO opzioni (ID, nome, opzione1, opzione2, prezzo1, prezzo2, peso1, peso2, selezionato) "
                               "VALUES (4, 'Confezione|*2', 'Busta da 100 g', 'Barattolo da 250 g', 0, ?, 0, 0.15, 0)"),
                {euro(7.5)});
    db->execute(QStringLiteral("INSERT INTO opzioni (ID, nome, opzione1, opzione2, opzione3, prezzo1, prezzo2, prezzo3, selezionato) "
                               "VALUES (5, 'Colore', 'Bianco', 'Nero', 'Rosso', 0, 0, ?, 1)"),
                {euro(1)});
    db->execute(QStringLiteral("DELETE FROM categorie"));
    for (const auto &r : reparti) {
        const QString titolo = ostile && QByteArray(r.id) == "caffe" ? QStringLiteral("Caffè \"speciali\" $ @ \\ , l'ora") : QString::fromUtf8(r.titolo);
        db->execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, hafigli, pagina, template, titolo, descrizione, "
                                   "maxarticoli, iva, sconto) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {QString::fromLatin1(r.id), QString::fromLatin1(r.genitore), r.livello, r.ordinamento,
                     QByteArray(r.id) == "tazze" ? -1 : 0, QString::fromLatin1(r.id), QString::fromLatin1(r.modello), titolo,
                     QString::fromUtf8(r.descrizione), r.maxarticoli, r.iva, r.sconto});
    }
    QDir(shop).mkpath(QStringLiteral("work"));
    const QString work = shop + QStringLiteral("/work/");
    salvaJpeg(disegna(QStringLiteral("Bottega"), 0, QColor(150, 95, 60), 64, 64), work + QStringLiteral("logo.jpg"));
    int ordine = 100;
    for (const auto &a : articoli) {
        QColor colore;
        for (const auto &r : reparti)
            if (QByteArray(r.id) == a.reparto)
                colore = r.colore;
        const QString base = QString::fromLatin1(a.codice).toLower();
        const QString titolo = QString::fromUtf8(a.titolo);
        salvaJpeg(disegna(titolo, a.forma, colore, 320, 240), work + base + QStringLiteral(".jpg"));
        salvaJpeg(disegna(titolo, a.forma, colore, 120, 90), work + base + QStringLiteral("_p.jpg"));
        if (a.popup)
            salvaJpeg(disegna(titolo, a.forma, colore, 640, 480), work + base + QStringLiteral("_g.jpg"));
        QString codice = QString::fromLatin1(a.codice), tit = titolo;
        if (ostile && ordine == 100) {
            codice = QStringLiteral("C\"1',$@\\\r\nX");
            tit = QStringLiteral("Miscela \"Bar\" l'Italia, $5 @casa \\ fine\r\nriga");
        }
        db->execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, sottotitolo, descrizione, prezzo, offerta, "
                                   "offertaprezzo, novita, inelenco, popup, peso, opzione1, opzione2, opzione3, giacenza, "
                                   "immagine0, imgX0, imgY0, immagine1, imgX1, imgY1, immagine2, imgX2, imgY2) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, 320, 240, ?, 640, 480, ?, 120, 90)"),
                    {QString::fromLatin1(a.reparto), ordine, codice, tit, QString::fromUtf8(a.sottotitolo),
                     QString::fromUtf8(a.descrizione), euro(a.prezzo), a.offerta > 0 ? -1 : 0, euro(a.offerta),
                     a.novita ? -1 : 0, a.vetrina ? -1 : 0, a.popup ? -1 : 0, a.peso, a.opzione1, a.opzione2,
                     QStringLiteral("Disponibile"), base + QStringLiteral(".jpg"),
                     a.popup ? QVariant(base + QStringLiteral("_g.jpg")) : QVariant(), base + QStringLiteral("_p.jpg")});
        ordine += 10;
    }
    // Two shipping zones: Italy (cash on delivery and prepayment) and the EU
    // (prepayment only); the other countries are not served.
    db->execute(QStringLiteral("DELETE FROM paesi WHERE zona > 2"));
    db->execute(QStringLiteral("UPDATE pagamento SET nome1='Contrassegno', attivo1=-1, metodo1='Contrassegno', "
                               "nome2=?, attivo2=-1, metodo2='Pagamento anticipato', attivo3=0, attivo4=0, "
                               "ivaok1=-1, ivaok2=-1, ivaok3=0, ivaok4=0, selezionato=1, paesesel='1', zonasel=1, imppeso=0"),
                {ostile ? QStringLiteral("Bonifico \"anticipato\" $ @") : QStringLiteral("Bonifico bancario anticipato")});
    db->execute(QStringLiteral("UPDATE zona1 SET pag1=-1, pag2=-1"));
    db->execute(QStringLiteral("UPDATE zona2 SET pag1=0, pag2=-1"));
    db->execute(QStringLiteral("UPDATE zona3 SET pag1=0, pag2=0"));
    db->execute(QStringLiteral("UPDATE zona4 SET pag1=0, pag2=0"));
    db->commitTrans();
    db->close();
    sistema(shop, QStringLiteral("Contrassegno"), QStringLiteral("Al corriere si paga in contanti, con un supplemento incluso nelle spese di spedizione."));
    sistema(shop, QStringLiteral("Pagamento anticipato"),
            QStringLiteral("Bonifico a: Bottega del Caffè\r\nIBAN IT00 X000 0000 0000 0000 0000 000"));
    return 0;
}

QImage badge(const QString &testo, QColor fondo)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    f.setBold(true);
    const int w = QFontMetrics(f).horizontalAdvance(testo) + 14;
    QImage img(w, 18, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setBrush(fondo);
    p.setPen(Qt::NoPen);
    p.drawRect(img.rect());
    p.setPen(Qt::white);
    p.setFont(f);
    p.drawText(img.rect(), Qt::AlignCenter, testo);
    p.end();
    return img;
}

int immaginiSet(const QString &cartella, const QString &stile)
{
    const bool moderno = stile == QStringLiteral("moderno");
    const QColor colori[5] = {
        moderno ? QColor(0x1f, 0x5f, 0xbf) : QColor(0x7a, 0x2e, 0x1c),
        moderno ? QColor(0xe6, 0xee, 0xfb) : QColor(0xf1, 0xe6, 0xd2),
        moderno ? QColor(0xff, 0x8a, 0x3d) : QColor(0xd9, 0xa4, 0x41),
        moderno ? QColor(0x12, 0x1a, 0x26) : QColor(0x2b, 0x26, 0x22),
        moderno ? QColor(0x1f, 0x5f, 0xbf) : QColor(0x7a, 0x2e, 0x1c)};
    bool ok = true;
    for (int i = 0; i < 5; ++i) {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(colori[i]);
        ok = ScriviGif(img, cartella + QStringLiteral("/vtas_col_%1.gif").arg(i)) && ok;
    }
    ok = ScriviGif(badge(QStringLiteral("NOVITÀ"), colori[2].darker(moderno ? 130 : 150)), cartella + QStringLiteral("/vtas_novita.gif")) && ok;
    ok = ScriviGif(badge(QStringLiteral("OFFERTA"), QColor(0xb0, 0x1e, 0x2d)), cartella + QStringLiteral("/vtas_offerta.gif")) && ok;
    // Preview: a sketch of the home page in the set's colours.
    QImage prev(240, 180, QImage::Format_RGB32);
    prev.fill(moderno ? QColor(0xf3, 0xf6, 0xfa) : QColor(0xfb, 0xf8, 0xf3));
    QPainter p(&prev);
    p.fillRect(0, 0, 240, 30, moderno ? colori[3] : colori[0]);
    p.fillRect(0, 30, 240, 12, colori[1]);
    p.fillRect(150, 9, 60, 12, Qt::white);
    p.fillRect(212, 9, 20, 12, colori[2]);
    if (!moderno)
        for (int i = 0; i < 6; ++i)
            p.fillRect(8, 52 + i * 12, 40, 5, colori[0].lighter(150));
    const int x0 = moderno ? 8 : 58;
    const int cw = moderno ? 70 : 54;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            QRect cella(x0 + c * (cw + 6), 52 + r * 58, cw, 52);
            p.fillRect(cella, Qt::white);
            p.fillRect(cella.adjusted(6, 6, -6, -22), colori[c % 2 == 0 ? 0 : 2].lighter(140));
            p.fillRect(cella.left() + 6, cella.bottom() - 14, cw - 20, 4, colori[3]);
            p.fillRect(cella.left() + 6, cella.bottom() - 7, 20, 4, colori[0]);
        }
    p.fillRect(0, 170, 240, 10, colori[3]);
    p.end();
    ok = salvaJpeg(prev, cartella + QStringLiteral("/vtas_preview.jpg")) && ok;
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QStringList a = app.arguments();
    try {
        if (a.size() == 4 && a[1] == QStringLiteral("--immagini-set"))
            return immaginiSet(a[2], a[3]);
        if (a.size() < 2 || a[1].startsWith(QStringLiteral("--"))) {
            std::fprintf(stderr, "uso: vetrasto-mkdemo CARTELLA [--url HOST] [--ostile]\n"
                                 "     vetrasto-mkdemo --immagini-set CARTELLA classico|moderno\n");
            return 2;
        }
        QString url = QStringLiteral("www.bottega-esempio.it");
        QString sendmail = QStringLiteral("/usr/sbin/sendmail");
        bool ostile = false;
        for (int i = 2; i < a.size(); ++i) {
            if (a[i] == QStringLiteral("--url") && i + 1 < a.size())
                url = a[++i];
            else if (a[i] == QStringLiteral("--sendmail") && i + 1 < a.size())
                sendmail = a[++i];
            else if (a[i] == QStringLiteral("--ostile"))
                ostile = true;
        }
        return creaDemo(a[1], url, sendmail, ostile);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

// The formatting helpers: every generator of the site goes through them.
#include "formato.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray leggiFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(manca)");
}

} // namespace

class TestFormato : public QObject {
    Q_OBJECT
private slots:
    void testoHTML_data();
    void testoHTML();
    void tag_data();
    void tag();
    void codificaCaratteri_data();
    void codificaCaratteri();
    void virgoletteEPerl_data();
    void virgoletteEPerl();
    void attributoConRiferimenti_data();
    void attributoConRiferimenti();
    void colori_data();
    void colori();
    void campoHTML_data();
    void campoHTML();
    void assoluto_data();
    void assoluto();
    void assolutoSuFile();
    void uscitaAssoluta();
    void relativo_data();
    void relativo();
};

void TestFormato::testoHTML_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("a capo") << "uno\r\ndue" << "uno<BR>due";
    QTest::newRow("due a capo") << "a\r\n\r\nb" << "a<BR><BR>b";
    QTest::newRow("CR o LF soli") << "a\rb\nc" << "a\rb\nc";
    QTest::newRow("con tag resta") << "uno\r\n<b>due</b>" << "uno\r\n<b>due</b>";
    QTest::newRow("maggiore prima di minore") << "a > b\r\nc < d" << "a > b<BR>c < d";
    QTest::newRow("vuoto") << "" << "";
}

void TestFormato::testoHTML()
{
    QFETCH(QString, testo);
    QFETCH(QString, atteso);
    QCOMPARE(TestoHTML(testo), atteso);
}

void TestFormato::tag_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<bool>("contiene");
    QTest::addColumn<QString>("senza");
    QTest::newRow("nessuno") << "testo" << false << "testo";
    QTest::newRow("grassetto") << "a<b>c</b>d" << true << "acd";
    QTest::newRow("maggiore prima") << "a > b < c" << false << "a > b < c";
    QTest::newRow("maggiore solo prima del tag") << "x>y<i>z" << true << "x>yz";
    QTest::newRow("minore senza chiusura") << "a<b>c<d" << true << "ac<d";
    QTest::newRow("annidati") << "<<b>>x" << true << "x";
    QTest::newRow("solo tag") << "<br>" << true << "";
}

void TestFormato::tag()
{
    QFETCH(QString, testo);
    QFETCH(bool, contiene);
    QFETCH(QString, senza);
    QCOMPARE(ContieneTag(testo), contiene);
    QCOMPARE(TogliTag(testo), senza);
}

void TestFormato::codificaCaratteri_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("apostrofo") << "l'uva" << "l\\'uva";
    QTest::newRow("virgolette") << "il \"vero\"" << "il %22vero%22";
    QTest::newRow("punto e virgola") << "a;b" << "a,b";
    QTest::newRow("parentesi e barra") << "[a]|b" << " a  b";
    QTest::newRow("sterlina") << QStringLiteral("5\u00A3") << "5 ";
    QTest::newRow("barra rovescia") << "a\\b" << "a\\\\b";
    QTest::newRow("percento") << "10%" << "10%25";
    QTest::newRow("altro invariato") << QStringLiteral("perch\u00E9 <b>") << QStringLiteral("perch\u00E9 <b>");
    QTest::newRow("a capo") << "riga 1\r\nriga 2" << "riga 1\\r\\nriga 2";
}

void TestFormato::codificaCaratteri()
{
    QFETCH(QString, testo);
    QFETCH(QString, atteso);
    QCOMPARE(CodificaCaratteri(testo), atteso);
}

void TestFormato::virgoletteEPerl_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("virgolette");
    QTest::addColumn<QString>("perl");
    QTest::newRow("attributo") << "<a href=|x.htm|>" << "<a href=\"x.htm\">" << "<a href=|x.htm|>";
    QTest::newRow("due chiocciole") << "a@b.it, c@d.it" << "a@b.it, c@d.it" << "a\\@b.it, c\\@d.it";
    QTest::newRow("segnaposto resta") << "x[###]y" << "x[###]y" << "x[###]y";
    QTest::newRow("speciali del perl") << "Da \"Mario\" $5 \\ @casa" << "Da \"Mario\" $5 \\ @casa"
                                       << "Da \\\"Mario\\\" \\$5 \\\\ \\@casa";
    QTest::newRow("vuoto") << "" << "" << "";
}

void TestFormato::virgoletteEPerl()
{
    QFETCH(QString, testo);
    QFETCH(QString, virgolette);
    QFETCH(QString, perl);
    QCOMPARE(MettiVirgolette(testo), virgolette);
    QCOMPARE(MakePerl(testo), perl);
}

void TestFormato::attributoConRiferimenti_data()
{
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("riferimento con nome") << "Caff&egrave; &amp; t&Egrave;" << "Caff&egrave; &amp; t&Egrave;";
    QTest::newRow("riferimenti numerici") << "&#232;&#xE8;&#Xe8;" << "&#232;&#xE8;&#Xe8;";
    QTest::newRow("& da solo") << "Sale & pepe" << "Sale &amp; pepe";
    QTest::newRow("& prima di un riferimento") << "&&egrave;" << "&amp;&egrave;";
    QTest::newRow("senza punto e virgola") << "?a=1&copy=2&b" << "?a=1&amp;copy=2&amp;b";
    QTest::newRow("numeri vuoti o non cifre") << "&#;&#x;&#12a;&x y;" << "&amp;#;&amp;#x;&amp;#12a;&amp;x y;";
    QTest::newRow("nome troppo lungo") << "&" + QString(40, u'a') + ";" << "&amp;" + QString(40, u'a') + ";";
    QTest::newRow("lettere non ASCII") << "&è;" << "&amp;è;";
    QTest::newRow("virgolette e tag") << "x\"><b>&quot;" << "x&quot;&gt;&lt;b&gt;&quot;";
    QTest::newRow("& alla fine") << "a&" << "a&amp;";
}

void TestFormato::attributoConRiferimenti()
{
    // The merchant's references stay for the browser to read; every other
    // "&" is escaped, and nothing can end the attribute value.
    QFETCH(QString, testo);
    QFETCH(QString, atteso);
    QCOMPARE(AttributoConRiferimenti(testo), atteso);
}

void TestFormato::colori_data()
{
    QTest::addColumn<qint32>("valore");
    QTest::addColumn<QString>("html");
    QTest::newRow("nero") << 0 << "#000000";
    QTest::newRow("rosso") << 255 << "#FF0000";
    QTest::newRow("verde") << 65280 << "#00FF00";
    QTest::newRow("blu") << 0xFF0000 << "#0000FF";
    QTest::newRow("misto") << 0x123456 << "#563412";
    QTest::newRow("colore di sistema") << qint32(0x8000000F) << "#0F0000";
}

void TestFormato::colori()
{
    QFETCH(qint32, valore);
    QFETCH(QString, html);
    QCOMPARE(HTMLColor(valore), html);
}

void TestFormato::campoHTML_data()
{
    QTest::addColumn<QVariant>("campo");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("vuoto") << QVariant(QString()) << "";
    QTest::newRow("testo a capo") << QVariant(QStringLiteral("a\r\nb")) << "a<BR>b";
    QTest::newRow("numero") << QVariant(12.5) << "12.5";
    QTest::newRow("currency") << QVariant::fromValue(Currency::fromUnits(3)) << "3";
}

void TestFormato::campoHTML()
{
    QFETCH(QVariant, campo);
    QFETCH(QString, atteso);
    QCOMPARE(CampoHTML(campo), atteso);
}

void TestFormato::assoluto_data()
{
    QTest::addColumn<QByteArray>("pagina");
    QTest::addColumn<QByteArray>("attesa");
    const QByteArray b = "http://host/negozio/";
    QTest::newRow("link a reparto") << QByteArray("<a href=\"rep1.htm\">x</a>")
                                    << "<a href=\"" + b + "rep1.htm\">x</a>";
    QTest::newRow("maiuscole e piu attributi")
        << QByteArray("<IMG SRC=\"a.gif\"><td background=\"b.jpg\">")
        << "<IMG SRC=\"" + b + "a.gif\"><td background=\"" + b + "b.jpg\">";
    QTest::newRow("tag di modello resta") << QByteArray("<img src=\"<<logo1>>\">") << QByteArray("<img src=\"<<logo1>>\">");
    QTest::newRow("javascript resta") << QByteArray("<a href=\"javascript:RepGoTo()\">")
                                      << QByteArray("<a href=\"javascript:RepGoTo()\">");
    QTest::newRow("http resta") << QByteArray("<a href=\"HTTP://altro/\">") << QByteArray("<a href=\"HTTP://altro/\">");
    QTest::newRow("https e mailto restano") << QByteArray("<a href=\"https://x\"><a href=\"mailto:a@b\">")
                                            << QByteArray("<a href=\"https://x\"><a href=\"mailto:a@b\">");
    QTest::newRow("ancora resta") << QByteArray("<a href=\"#su\">") << QByteArray("<a href=\"#su\">");
    QTest::newRow("argomento perl resta") << QByteArray("<a href=\"$arg1\">") << QByteArray("<a href=\"$arg1\">");
    QTest::newRow("vuoto prefissato") << QByteArray("<a href=\"\">") << "<a href=\"" + b + "\">";
    QTest::newRow("senza chiusura") << QByteArray("<a href=\"x.htm>") << QByteArray("<a href=\"x.htm>");
    QTest::newRow("opzioni fuori dal menu") << QByteArray("<select name=\"altro\"><option value=\"1\">")
                                            << QByteArray("<select name=\"altro\"><option value=\"1\">");
    QTest::newRow("opzioni del menu")
        << QByteArray("<SELECT NAME=\"vtRepartiMenu\"><OPTION VALUE=\"r1.htm\"><option value=\"r2.htm\">")
        << "<SELECT NAME=\"vtRepartiMenu\"><OPTION VALUE=\"" + b + "r1.htm\"><option value=\"" + b + "r2.htm\">";
    QTest::newRow("byte invariati") << QByteArray("perch\xe9 <a href=\"p.htm\">") << "perch\xe9 <a href=\"" + b + "p.htm\">";
}

void TestFormato::assoluto()
{
    QFETCH(QByteArray, pagina);
    QFETCH(QByteArray, attesa);
    QCOMPARE(RendiAssoluto(pagina, QStringLiteral("http://host/negozio")), attesa);
}

void TestFormato::assolutoSuFile()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("results.htm"));
    const QString out = dir.filePath(QStringLiteral("results24E.htm"));
    {
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'x'));  // an older, longer page
    }
    {
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<img src=\"logo.gif\">");
    }
    Impostazioni i;
    i.txtURL = QStringLiteral("https://abc");
    i.txtCartella = QStringLiteral("shop");
    MakeAbsolute(in, out, i);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("<img src=\"https://abc/shop/logo.gif\">\r\n"));
    f.close();

    // No source page: nothing is written.
    const QString altro = dir.filePath(QStringLiteral("nuovo.htm"));
    MakeAbsolute(dir.filePath(QStringLiteral("manca.htm")), altro, i);
    QVERIFY(!QFile::exists(altro));
}

void TestFormato::uscitaAssoluta()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("risultati.htm"));
    // A new file, then an older and longer one replaced completely.
    QVERIFY(AbsoluteOutput(out, "<p>uno</p>"));
    QCOMPARE(leggiFile(out), QByteArray("<p>uno</p>\r\n"));
    {
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'x'));
    }
    QVERIFY(AbsoluteOutput(out, "<p>due</p>"));
    QCOMPARE(leggiFile(out), QByteArray("<p>due</p>\r\n"));
    // The same bytes again: the file keeps its date.
    const QDateTime vecchia = QDateTime::currentDateTime().addDays(-3);
    {
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(vecchia, QFileDevice::FileModificationTime));
    }
    QVERIFY(AbsoluteOutput(out, "<p>due</p>"));
    QCOMPARE(QFileInfo(out).lastModified().toSecsSinceEpoch(), vecchia.toSecsSinceEpoch());
    // A folder that is not there: false, with the reason.
    QString errore;
    QVERIFY(!AbsoluteOutput(dir.filePath(QStringLiteral("manca/pagina.htm")), "x", &errore));
    QVERIFY(!errore.isEmpty());
    // The path of the upload list passes unchanged.
    QCOMPARE(NoASPQuery(QStringLiteral("/negozio/online/a.asp?x=1")), QStringLiteral("/negozio/online/a.asp?x=1"));
}

void TestFormato::relativo_data()
{
    QTest::addColumn<QString>("da");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("atteso");
    QTest::newRow("fratelli") << "a/b" << "a/c" << "../c";
    QTest::newRow("barre inverse e di contorno") << "\\a\\b\\" << "/a/c/" << "../c";
    QTest::newRow("niente in comune") << "a/b/c" << "x/y" << "../../../x/y";
    QTest::newRow("si separano al secondo") << "a/b/c" << "a/x/y" << "../../x/y";
    QTest::newRow("dopo la differenza nessun confronto") << "a/x/y/c" << "a/y/d" << "../../../y/d";
    QTest::newRow("sottocartella") << "a/b" << "a/b/c" << "../b/c";
    QTest::newRow("la stessa") << "a/b" << "a/b" << "../b";
    QTest::newRow("inizio simile non basta") << "ab/c" << "abc/d" << "../../abc/d";
    QTest::newRow("un livello") << "a" << "x" << "../x";
    QTest::newRow("verso la radice") << "a/b" << "" << "../../";
    QTest::newRow("dalla radice") << "/" << "x/y" << "x/y";
}

void TestFormato::relativo()
{
    QFETCH(QString, da);
    QFETCH(QString, a);
    QFETCH(QString, atteso);
    QCOMPARE(MakeRelative(da, a), atteso);
}

QTEST_GUILESS_MAIN(TestFormato)
#include "test_formato.moc"

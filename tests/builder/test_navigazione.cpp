// Navigation fragments over a real catalogue of a temporary shop.
#include "navigazione.h"

#include "catalogosito.h"
#include "database.h"
#include "testshop.h"

#include <QtTest>

namespace {

struct Riga {
    const char *id, *genitore;
    int livello;
    const char *titolo, *immagine1;
};

// cat1 (picture) > cat11 > cat111 ; cat1 > cat12 ; cat2 ; cat3 > cat31
const Riga reparti[] = {
    {"cat1", "###", 1, "Uno", "uno.gif"}, {"cat2", "###", 1, "Due", nullptr}, {"cat3", "###", 1, "Tre", ""},
    {"cat11", "cat1", 2, "Uno-uno", nullptr}, {"cat12", "cat1", 2, "Uno-due", nullptr},
    {"cat31", "cat3", 2, "Tre-uno", nullptr}, {"cat111", "cat11", 3, "Foglia", nullptr},
};

} // namespace

// The tree line of one department, alone in the tree.
static QString linea(const Navigazione &nav, const QString &id, bool selected)
{
    QString albero, menu;
    nav.Menu(selected ? id : QStringLiteral("###"), {id}, albero, menu);
    return albero;
}

class TestNavigazione : public QObject {
    Q_OBJECT

    TestProgramFolder m_program;
    DatabasePtr m_db;
    std::unique_ptr<Navigazione> m_nav;

private slots:
    void initTestCase()
    {
        const QString shop = m_program.newShop();
        m_db = Database::open(shop + QStringLiteral("/catalog.mdb"));
        m_db->execute(QStringLiteral("DELETE FROM categorie"));
        int ord = 100;
        for (const Riga &r : reparti) {
            m_db->execute(QStringLiteral("INSERT INTO categorie (ID, genitore, livello, ordinamento, pagina, template, "
                                         "titolo, immagine1, imgX1, imgY1) VALUES (?, ?, ?, ?, ?, 'modello1', ?, ?, 40, 20)"),
                          {QString::fromLatin1(r.id), QString::fromLatin1(r.genitore), r.livello, ord += 5,
                           QString::fromLatin1(r.id), QString::fromLatin1(r.titolo),
                           r.immagine1 ? QVariant(QString::fromLatin1(r.immagine1)) : QVariant()});
        }
        m_nav = std::make_unique<Navigazione>(LeggiReparti(*m_db), QStringLiteral("<font color=\"#FF0000\">###</font>"));
    }

    void pageFile()
    {
        QCOMPARE(PageFile("cat007", 1), QStringLiteral("cat007.htm"));
        QCOMPARE(PageFile("cat007", 2), QStringLiteral("cat007_p2.htm"));
        QCOMPARE(PageFile("cat007", 12), QStringLiteral("cat007_p12.htm"));
        QCOMPARE(PutLink("", "a.htm", false), QString());
        QCOMPARE(PutLink("t", "", true), QStringLiteral("t"));
        QCOMPARE(PutLink("t", "a.htm", true), QStringLiteral("<a href=\"a.htm\" target=\"_blank\">t</a>"));
        QCOMPARE(PutOnClick("t", "PopupImage('x')"), QStringLiteral("<a href=\"#\" onClick=\"PopupImage('x')\">t</a>"));
    }

    void righe_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("opzione");
        QTest::newRow("livello 1 senza immagine") << "cat2" << false
            << "<B>\u2022 </B><a href=\"cat2.htm\"><font color=\"#FF0000\">Due</font></a><BR>\r\n"
            << "<option value=\"cat2.htm\">Due</option>\r\n";
        QTest::newRow("immagine vuota") << "cat3" << false
            << "<B>\u2022 </B><a href=\"cat3.htm\"><font color=\"#FF0000\">Tre</font></a><BR>\r\n"
            << "<option value=\"cat3.htm\">Tre</option>\r\n";
        QTest::newRow("livello 1 con immagine") << "cat1" << false
            << "<BR><a href=\"cat1.htm\"><img src=\"uno.gif\" width=\"40\" height=\"20\" border=\"0\"></a><BR>\r\n"
            << "<option value=\"cat1.htm\">Uno</option>\r\n";
        QTest::newRow("corrente livello 2") << "cat11" << true
            << "&nbsp;&nbsp;&nbsp; <B><font color=\"#FF0000\">Uno-uno</font></B><BR>\r\n"
            << "<option selected value=\"cat11.htm\">&nbsp;&nbsp;&nbsp; Uno-uno</option>\r\n";
        QTest::newRow("livello 3") << "cat111" << false
            << "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp; <a href=\"cat111.htm\"><font color=\"#FF0000\">Foglia</font></a><BR>\r\n"
            << "<option value=\"cat111.htm\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp; Foglia</option>\r\n";
        QTest::newRow("reparto inesistente") << "nessuno" << false << "" << "";
    }

    void righe()
    {
        QFETCH(QString, id);
        QFETCH(bool, selected);
        QFETCH(QString, link);
        QFETCH(QString, opzione);
        QCOMPARE(linea(*m_nav, id, selected), link);
        QString albero, menu;
        m_nav->Menu(selected ? id : QStringLiteral("###"), {}, albero, menu);
        QVERIFY(albero.isEmpty());
        QVERIFY2(menu.contains(opzione), qPrintable(menu));
    }

    void percorsoESottoreparti()
    {
        QCOMPARE(m_nav->MakePercorsoTitolo("cat1"), QString());
        QCOMPARE(m_nav->MakePercorsoTitolo("cat111"),
                 QStringLiteral("<font size=\"1\"><a href=\"cat1.htm\">Uno</a>&nbsp;&gt;&nbsp;</font>"
                                "<font size=\"1\"><a href=\"cat11.htm\">Uno-uno</a>&nbsp;&gt;&nbsp;</font>"));
        QCOMPARE(m_nav->MakeSottoreparti("cat2"), QString());
        QCOMPARE(m_nav->MakeSottoreparti("cat1"),
                 QStringLiteral("<BR><font size=\"1\">&gt;&gt;&nbsp;</font>"
                                "<font face=\"Arial\" size=\"1\"><a href=\"cat11.htm\">Uno-uno</a>&nbsp;|&nbsp;</font>"
                                "<font face=\"Arial\" size=\"1\"><a href=\"cat12.htm\">Uno-due</a></font>"));
    }

    void menuEAlbero()
    {
        // Page of cat11 with one open level: top level, its siblings and
        // children, its ancestors. cat31 is in the menu, not in the tree.
        const QSet<QString> vis = m_nav->InsiemeMenu("cat11", 2);
        QCOMPARE(vis, (QSet<QString>{"cat1", "cat2", "cat3", "cat11", "cat12", "cat111"}));
        QString albero, menu;
        m_nav->Menu("cat11", vis, albero, menu);
        QString atteso;
        for (const char *id : {"cat1", "cat11", "cat111", "cat12", "cat2", "cat3"})
            atteso += linea(*m_nav, id, QByteArray(id) == "cat11");
        QCOMPARE(albero, atteso);
        QVERIFY(!albero.contains("Tre-uno"));
        QCOMPARE(menu.count("<option"), 7);
        QCOMPARE(menu.count("<option selected value=\"cat11.htm\">"), 1);
        QVERIFY(menu.indexOf("cat12.htm") < menu.indexOf("cat2.htm"));
    }

    void titoliConBarra()
    {
        // A "|" the merchant writes in a title stays a "|": only the quotes
        // of the markup are written that way.
        std::vector<Reparto> r(2);
        r[0].ID = "a"; r[0].genitore = "###"; r[0].genitoreValore = "###"; r[0].pagina = "a"; r[0].titolo = "T\u00e8 | Tisane";
        r[1].ID = "b"; r[1].genitore = "a"; r[1].genitoreValore = "a"; r[1].livello = 2; r[1].pagina = "b";
        r[1].titolo = "Verde|Nero";
        Navigazione nav(std::move(r));
        QCOMPARE(linea(nav, "a", false), QStringLiteral("<B>\u2022 </B><a href=\"a.htm\">T\u00e8 | Tisane</a><BR>\r\n"));
        QCOMPARE(linea(nav, "b", true), QStringLiteral("&nbsp;&nbsp;&nbsp; <B>Verde|Nero</B><BR>\r\n"));
        QCOMPARE(nav.CatLinkRep("a"), QStringLiteral("<a href=\"a.htm\">T\u00e8 | Tisane</a>"));
        QCOMPARE(nav.MakePercorsoTitolo("b"),
                 QStringLiteral("<font size=\"1\"><a href=\"a.htm\">T\u00e8 | Tisane</a>&nbsp;&gt;&nbsp;</font>"));
        QVERIFY(nav.MakeSottoreparti("a").contains(QStringLiteral("<a href=\"b.htm\">Verde|Nero</a></font>")));
        // The button picture's file name is written as an attribute value.
        std::vector<Reparto> c(1);
        c[0].ID = "c"; c[0].genitore = "###"; c[0].genitoreValore = "###"; c[0].pagina = "c"; c[0].titolo = "C";
        c[0].immagine1 = QStringLiteral("a&b \"1\".gif"); c[0].imgX1 = 40; c[0].imgY1 = 20;
        QCOMPARE(linea(Navigazione(std::move(c)), "c", false),
                 QStringLiteral("<BR><a href=\"c.htm\"><img src=\"a&amp;b &quot;1&quot;.gif\" width=\"40\" "
                                "height=\"20\" border=\"0\"></a><BR>\r\n"));
        QString albero, menu;
        nav.Menu("b", {"a", "b"}, albero, menu);
        QCOMPARE(albero, linea(nav, "a", false) + linea(nav, "b", true));
        QCOMPARE(menu, QStringLiteral("<option value=\"a.htm\">T\u00e8 | Tisane</option>\r\n"
                                      "<option selected value=\"b.htm\">&nbsp;&nbsp;&nbsp; Verde|Nero</option>\r\n"));
    }

    void catenaDanneggiata()
    {
        // Two departments that name each other as parent: every walk ends.
        std::vector<Reparto> r(3);
        r[0].ID = "a"; r[0].genitore = "b"; r[0].genitoreValore = "b"; r[0].livello = 2;
        r[1].ID = "b"; r[1].genitore = "a"; r[1].genitoreValore = "a"; r[1].livello = 2;
        r[2].ID = "c"; r[2].genitore = "###"; r[2].genitoreValore = "###";
        Navigazione nav(std::move(r));
        QCOMPARE(nav.MakePercorsoTitolo("a"), QString());
        QCOMPARE(nav.InsiemeMenu("a", 2), (QSet<QString>{"a", "b", "c"}));
        QString albero, menu;
        nav.Menu("c", {"c"}, albero, menu);
        QCOMPARE(menu.count("<option"), 1);
    }

    void esclusioni()
    {
        // Exclusions changed one after another leave the navigation as
        // made at once with the last: a department let in again gets its
        // lines back.
        const auto pagine = [](const Navigazione &nav) {
            const int n = int(nav.reparti().size());
            QStringList testi;
            for (int i = -1; i < n; ++i) {
                QString albero, menu;
                nav.Menu(i, std::vector<char>(size_t(n), 1), albero, menu);
                testi << albero << menu;
                if (i >= 0)
                    testi << nav.MakeSottoreparti(nav.reparti()[size_t(i)].ID)
                          << nav.MakePercorsoTitolo(nav.reparti()[size_t(i)].ID);
            }
            return testi;
        };
        const size_t n = m_nav->reparti().size();
        std::vector<char> cat1(n, 0), cat11(n, 0), nessuno(n, 0);
        cat1[size_t(m_nav->indice("cat1"))] = 1;
        cat11[size_t(m_nav->indice("cat11"))] = 1;
        cat11[size_t(m_nav->indice("cat31"))] = 1;
        const QString evidenza = QStringLiteral("<b>###</b>");
        Navigazione nav(m_nav->reparti(), evidenza);
        for (const auto &esclusi : {cat1, cat11, nessuno}) {
            nav.escludi(esclusi);
            Navigazione fresca(m_nav->reparti(), evidenza);
            fresca.escludi(esclusi);
            QCOMPARE(pagine(nav), pagine(fresca));
            // Nothing links an excluded department.
            QCOMPARE(pagine(nav).join("").contains("\"cat11.htm\""), !esclusi[size_t(m_nav->indice("cat11"))]);
        }
    }
};

QTEST_GUILESS_MAIN(TestNavigazione)
#include "test_navigazione.moc"

// The numbered commands from the window: each from its menu entry and from
// its panel button does what it should on a real shop, leaves the busy flag
// clear and the row the merchant expects current; a command run without a
// current row changes nothing and shows nothing; every menu's access keys
// are unique; a build from the window writes the same site as the headless
// build.
#include "alberocategorie.h"
#include "cartelle.h"
#include "fileprova.h"
#include "finestraprova.h"
#include "programfolder.h"
#include "vistaarticoli.h"
#include "vistareparti.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

// The menu entry of an action, found by walking the menu bar.
QAction *voceDiMenu(QMenuBar *barra, QAction *azione)
{
    std::function<QAction *(QMenu *)> cerca = [&](QMenu *m) -> QAction * {
        for (QAction *a : m->actions()) {
            if (a == azione)
                return a;
            if (a->menu())
                if (QAction *t = cerca(a->menu()))
                    return t;
        }
        return nullptr;
    };
    for (QAction *a : barra->actions())
        if (a->menu())
            if (QAction *t = cerca(a->menu()))
                return t;
    return nullptr;
}

QMap<QString, QByteArray> impronte(const QString &cartella)
{
    QMap<QString, QByteArray> m;
    for (QDirIterator it(cartella, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString f = it.next();
        if (!f.endsWith(QLatin1String("vtftp.dat")))
            m.insert(QDir(cartella).relativeFilePath(f), QCryptographicHash::hash(leggi(f), QCryptographicHash::Sha1));
    }
    return m;
}

// Closes the next modal dialog with Escape (a cancelled chooser or editor).
void annullaProssimoDialogo()
{
    QTimer::singleShot(0, [] {
        if (QWidget *d = QApplication::activeModalWidget())
            QTest::keyClick(d, Qt::Key_Escape);
    });
}

} // namespace

class TestComandi : public QObject {
    Q_OBJECT
private slots:
    void comandoDalMenuEDalPulsante_data();
    void comandoDalMenuEDalPulsante();
    void senzaRigaCorrente_data();
    void senzaRigaCorrente();
    void tastiDiAccessoUnici_data();
    void tastiDiAccessoUnici();
    void costruisciComeIlBenchmark();
    void pulisciCartelle_data();
    void pulisciCartelle();
};

void TestComandi::comandoDalMenuEDalPulsante_data()
{
    QTest::addColumn<int>("numero");
    QTest::addColumn<bool>("daPulsante");
    for (bool pulsante : {false, true}) {
        const char *via = pulsante ? "button" : "menu";
        for (int n : {Cmd::ArticoloSu, Cmd::ArticoloGiu, Cmd::AggiungiArticoloPrima, Cmd::AggiungiArticoloDopo,
                      Cmd::EliminaArticolo, Cmd::CopiaArticolo, Cmd::RepartoSu, Cmd::RepartoGiu,
                      Cmd::AggiungiRepartoPrima, Cmd::AggiungiRepartoDopo, Cmd::AggiungiSottoreparto,
                      Cmd::EliminaReparto, Cmd::EliminaImmagine1, Cmd::EliminaImmagineReparto})
            QTest::addRow("%d from the %s", n, via) << n << pulsante;
    }
}

void TestComandi::comandoDalMenuEDalPulsante()
{
    QFETCH(int, numero);
    QFETCH(bool, daPulsante);
    auto f = apriFinestra(3, 3, 3);
    QVERIFY(f->w);
    Database &db = f->db();
    DatiPrincipali &d = f->negozio().dati();
    // Pictures that show: their delete commands are offered.
    FileProva::scrivi(f->shop + QStringLiteral("/work/a.jpg"), FileProva::quarti(40, 30), "jpg");
    FileProva::scrivi(f->shop + QStringLiteral("/work/r.gif"), FileProva::quarti(40, 30), "gif");
    db.execute(QStringLiteral("UPDATE articoli SET immagine0='a.jpg'"));
    db.execute(QStringLiteral("UPDATE categorie SET immagine0='r.gif'"));
    d.dataCategorie.refresh();
    const bool articoli = numero <= Cmd::EliminaImmagine1 && numero != Cmd::EliminaImmagineReparto;
    f->w->selezionaScheda(articoli ? QStringLiteral("kArticoli") : QStringLiteral("kReparti"));
    QVERIFY(clicNodo(f->w, QStringLiteral("Reparto 2")));
    // The second article (or department) is current.
    QTableView *griglia = articoli ? f->w->vistaArticoli()->gridArticoli : f->w->vistaReparti()->gridCategorie;
    QTest::mouseClick(griglia->viewport(), Qt::LeftButton, {}, griglia->visualRect(griglia->model()->index(1, 0)).center());
    const QString rigaPrima = articoli ? d.dataArticoli.recordset().text(QStringLiteral("codice")) : d.repartoCorrente();
    const auto conta = [&](const char *tabella) {
        return db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(tabella))).toInt();
    };
    const int articoliPrima = conta("articoli"), repartiPrima = conta("categorie");
    f->messages.answer(Messages::Answer::Yes);  // the delete questions

    QAction *azione = f->w->comandi().azione(numero);
    QVERIFY(azione->isEnabled());
    if (daPulsante) {
        auto *b = f->w->findChild<QToolButton *>(QStringLiteral("cmdButton%1").arg(numero));
        QVERIFY2(b && b->isVisible(), "the button is on the view's panel");
        QTest::mouseClick(b, Qt::LeftButton);
    } else {
        QAction *voce = voceDiMenu(f->w->menuBar(), azione);
        QVERIFY2(voce, "the command has a menu entry");
        voce->trigger();
    }

    QVERIFY(!f->negozio().state.InAggiornamento);
    const Recordset &a = d.dataArticoli.recordset();
    switch (numero) {
    case Cmd::ArticoloSu:
    case Cmd::ArticoloGiu: {
        QCOMPARE(a.text(QStringLiteral("codice")), rigaPrima);  // the moved article stays current
        QCOMPARE(a.absolutePosition(), numero == Cmd::ArticoloSu ? 0 : 2);
        break;
    }
    case Cmd::AggiungiArticoloPrima:
    case Cmd::AggiungiArticoloDopo:
        QCOMPARE(conta("articoli"), articoliPrima + 1);
        QCOMPARE(a.absolutePosition(), numero == Cmd::AggiungiArticoloPrima ? 1 : 2);
        QVERIFY(a.text(QStringLiteral("codice")).isEmpty());
        break;
    case Cmd::EliminaArticolo:
        QCOMPARE(f->messages.texts(), QStringList(QStringLiteral("Eliminare l'articolo selezionato?")));
        QCOMPARE(conta("articoli"), articoliPrima - 1);
        QCOMPARE(a.text(QStringLiteral("codice")), QStringLiteral("A2-1"));  // the row before
        QCOMPARE(f->w->lblTotaleArticoli()->text(), QStringLiteral(" Articoli:  3 / 8"));
        break;
    case Cmd::CopiaArticolo:
        QVERIFY(f->w->comandi().abilitato(QStringLiteral("incolla articolo")));
        QCOMPARE(db.scalar(QStringLiteral("SELECT codice FROM cliparticoli")).toString(), QStringLiteral("A2-2"));
        break;
    case Cmd::RepartoSu:
    case Cmd::RepartoGiu: {
        QCOMPARE(d.repartoCorrente(), rigaPrima);
        QCOMPARE(f->w->vistaReparti()->gridCategorie->currentIndex().row(), numero == Cmd::RepartoSu ? 0 : 2);
        QCOMPARE(AlberoCategorie::chiave(f->w->tvwCategorie()->currentItem()), rigaPrima);
        break;
    }
    case Cmd::AggiungiRepartoPrima:
    case Cmd::AggiungiRepartoDopo:
    case Cmd::AggiungiSottoreparto:
        QCOMPARE(conta("categorie"), repartiPrima + 1);
        QCOMPARE(f->w->vistaReparti()->txtCategorie14->text(), QStringLiteral("Nuovo Reparto"));
        if (numero == Cmd::AggiungiSottoreparto)
            QCOMPARE(db.scalar(QStringLiteral("SELECT genitore FROM categorie WHERE ID=?"), {d.repartoCorrente()}).toString(),
                     rigaPrima);
        break;
    case Cmd::EliminaReparto:
        QCOMPARE(f->messages.texts(),
                 QStringList(QStringLiteral("Il reparto contiene articoli che saranno cancellati. Eliminarlo comunque?")));
        QCOMPARE(conta("categorie"), repartiPrima - 1);
        QCOMPARE(conta("articoli"), articoliPrima - 3);
        break;
    case Cmd::EliminaImmagine1:
        QCOMPARE(db.scalar(QStringLiteral("SELECT immagine0 FROM articoli WHERE codice=?"), {rigaPrima}).toString(), QString());
        // The frame is empty at once and its delete command off.
        QVERIFY(f->w->findChild<QWidget *>(QStringLiteral("imgArticolo0"))->isHidden());
        QVERIFY(!azione->isEnabled());
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM articoli WHERE immagine0='a.jpg'")).toInt(), articoliPrima - 1);
        break;
    case Cmd::EliminaImmagineReparto:
        QCOMPARE(db.scalar(QStringLiteral("SELECT immagine0 FROM categorie WHERE ID=?"), {rigaPrima}).toString(), QString());
        QVERIFY(f->w->findChild<QWidget *>(QStringLiteral("imgCategoria0"))->isHidden());
        QVERIFY(!azione->isEnabled());
        break;
    }
    if (numero != Cmd::EliminaArticolo && numero != Cmd::EliminaReparto)
        QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
}

void TestComandi::senzaRigaCorrente_data()
{
    QTest::addColumn<int>("numero");
    for (int n : std::initializer_list<int>{Cmd::ArticoloSu, Cmd::ArticoloGiu, Cmd::EliminaArticolo, Cmd::CopiaArticolo,
                                            Cmd::ImpostaImmagine1, Cmd::EliminaImmagine2, Cmd::Variante1, Cmd::RepartoSu,
                                            Cmd::CopiaReparto, Cmd::EliminaReparto, Cmd::ImpostaImmagineReparto,
                                            Cmd::EliminaPulsante, 35, 49, 52, -1})
        QTest::addRow("%d", n) << n;
}

void TestComandi::senzaRigaCorrente()
{
    QFETCH(int, numero);
    auto f = apriFinestra(2, 3, 1);
    QVERIFY(f->w);
    // The shop (root) selected: no department; its article list is empty.
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    const auto stato = [&] {
        return f->db().scalar(QStringLiteral("SELECT group_concat(ID||ordinamento||ifnull(immagine0,'')) FROM categorie")).toString()
               + f->db().scalar(QStringLiteral("SELECT group_concat(ID||ordinamento) FROM articoli")).toString();
    };
    const QString prima = stato();
    annullaProssimoDialogo();
    f->w->EseguiComando(numero);
    QCOMPARE(stato(), prima);
    QVERIFY2(f->messages.shown().empty(), qPrintable(f->messages.texts().join(u'|')));
    QVERIFY(!f->negozio().state.InAggiornamento);
}

void TestComandi::tastiDiAccessoUnici_data()
{
    QTest::addColumn<QString>("scheda");
    QTest::addColumn<QString>("menu");
    QTest::newRow("departments") << "kReparti" << "mnuReparti";
    QTest::newRow("articles") << "kArticoli" << "mnuArticoli";
    QTest::newRow("site") << "kSito" << "mnuSito";
    QTest::newRow("internet") << "kInternet" << "mnuInternet";
}

void TestComandi::tastiDiAccessoUnici()
{
    QFETCH(QString, scheda);
    QFETCH(QString, menu);
    auto f = apriFinestra();
    QVERIFY(f->w);
    f->w->selezionaScheda(scheda);
    std::function<void(QMenu *)> controlla = [&](QMenu *m) {
        QSet<QChar> tasti;
        for (QAction *a : m->actions()) {
            if (a->isSeparator())
                continue;
            const QString t = a->text();
            const qsizetype i = t.indexOf(u'&');
            QVERIFY2(i >= 0 && i + 1 < t.size(), qPrintable(m->title() + u'/' + t));
            const QChar tasto = t.at(i + 1).toLower();
            QVERIFY2(!tasti.contains(tasto), qPrintable(m->title() + u'/' + t));
            tasti.insert(tasto);
            if (a->menu())
                controlla(a->menu());
        }
    };
    // The menu bar as this view shows it: one "&Modifica", the view's own;
    // the bar's access keys unique, and each menu's.
    QMenuBar *barra = f->w->menuBar();
    QStringList titoli;
    for (QAction *a : barra->actions()) {
        titoli << a->text();
        controlla(a->menu());
    }
    QCOMPARE(titoli, QStringList({"&File", "&Modifica", "&Visualizza", "&?"}));
    QCOMPARE(barra->actions().at(1)->menu()->objectName(), menu);
    // Alt and each access key opens its menu, the view's "&Modifica" first,
    // pressed on a fresh window.
    f->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->w));
    for (const QString &titolo : {QStringLiteral("&Modifica"), QStringLiteral("&File"), QStringLiteral("&Visualizza"),
                                  QStringLiteral("&?")}) {
        QTest::keyClick(f->w, titolo.at(1).toLatin1(), Qt::AltModifier);
        auto *aperto = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY2(aperto, qPrintable(titolo));
        QCOMPARE(aperto->title(), titolo);
        if (titolo == QLatin1String("&Modifica"))
            QCOMPARE(aperto->objectName(), menu);
        aperto->close();
    }
}

void TestComandi::costruisciComeIlBenchmark()
{
    const QString bin = qEnvironmentVariable("VETRASTO_BIN");
    if (!QFile::exists(bin + QStringLiteral("/demo/catalog.mdb")))
        QSKIP("the demo shop is made by the build");
    TestProgramFolder program;
    ProgramFolder::setPath(bin);
    const QString finestra = program.path() + QStringLiteral("/finestra"), banco = program.path() + QStringLiteral("/banco");
    CopiaCartella(bin + QStringLiteral("/demo"), finestra);
    CopiaCartella(bin + QStringLiteral("/demo"), banco);
    scriviServerPath(finestra);
    ScriptedMessages messages;  // "Vuoi vedere il risultato?" is answered No
    {
        Avvio avvio(messages);
        avvio.mostraMain();
        QVERIFY(avvio.finestra());
        avvio.finestra()->comandi().azione(Cmd::Costruisci)->trigger();
        avvio.finestra()->close();
        delete avvio.finestra();
    }
    QCOMPARE(messages.texts(), QStringList(QStringLiteral("Creazione del negozio terminata. Vuoi vedere il risultato?")));
    QProcess p;
    p.start(bin + QStringLiteral("/vetrasto-bench"), {QStringLiteral("build"), banco});
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), 0);
    for (const char *cartella : {"/online", "/scripts"}) {
        const auto attese = impronte(banco + QLatin1String(cartella));
        QVERIFY(attese.size() >= 3);
        QCOMPARE(impronte(finestra + QLatin1String(cartella)), attese);
    }
    QVERIFY(QFile::exists(finestra + QStringLiteral("/vtftp.dat")));
}

void TestComandi::pulisciCartelle_data()
{
    // The pages and scripts folders ("pagine", "script": working folders of
    // their own; "negozio", "programma", "": refused ones), the answers (the
    // refusal's OK among them), and which folders end up empty.
    QTest::addColumn<QString>("pagine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<int>>("risposte");
    QTest::addColumn<QStringList>("svuotate");
    QTest::addColumn<QStringList>("rifiutate");
    const int si = int(Messages::Answer::Yes), no = int(Messages::Answer::No), ok = int(Messages::Answer::Ok),
              annulla = int(Messages::Answer::Cancel);
    QTest::newRow("No at the first question") << "pagine" << "script" << QList<int>{no} << QStringList() << QStringList();
    QTest::newRow("both emptied") << "pagine" << "script" << QList<int>{si, ok, ok} << QStringList{"pagine", "script"}
                                  << QStringList();
    QTest::newRow("pages cancelled, scripts emptied")
        << "pagine" << "script" << QList<int>{si, annulla, ok} << QStringList{"script"} << QStringList();
    QTest::newRow("both cancelled") << "pagine" << "script" << QList<int>{si, annulla, annulla} << QStringList()
                                    << QStringList();
    QTest::newRow("the same folder twice")
        << "pagine" << "pagine" << QList<int>{si, ok, ok} << QStringList{"pagine"} << QStringList();
    QTest::newRow("the shop's folder refused")
        << "negozio" << "script" << QList<int>{si, ok, ok, ok} << QStringList{"script"} << QStringList{"negozio"};
    QTest::newRow("the program folder refused")
        << "pagine" << "programma" << QList<int>{si, ok, ok, ok} << QStringList{"pagine"} << QStringList{"programma"};
    QTest::newRow("no folder refused") << "" << "script" << QList<int>{si, ok, ok, ok} << QStringList{"script"}
                                       << QStringList{""};
}

void TestComandi::pulisciCartelle()
{
    QFETCH(QString, pagine);
    QFETCH(QString, script);
    QFETCH(QList<int>, risposte);
    QFETCH(QStringList, svuotate);
    QFETCH(QStringList, rifiutate);
    auto f = apriFinestra();
    QVERIFY(f->w);
    const QMap<QString, QString> cartelle = {{"pagine", f->program.path() + QStringLiteral("/lavoro/pagine")},
                                             {"script", f->program.path() + QStringLiteral("/lavoro/script")},
                                             {"negozio", f->shop},
                                             {"programma", f->program.path()},
                                             {"", QString()}};
    // Each folder holds two files and a subfolder with a file of its own.
    const char *const piantati[] = {"/a.htm", "/b.pl", "/sotto/c.jpg"};
    const auto file = [&](const QString &c) {
        QStringList l;
        for (const char *nome : piantati)
            if (QFile::exists(c + QLatin1String(nome)))
                l << c + QLatin1String(nome);
        return l;
    };
    QMap<QString, QStringList> prima;
    for (auto it = cartelle.cbegin(); it != cartelle.cend(); ++it) {
        if (it.key().isEmpty())
            continue;
        for (const char *nome : piantati)
            scrivi(it.value() + QLatin1String(nome), "x");
        prima.insert(it.key(), file(it.value()));
    }
    ShopState &s = f->negozio().state;
    s.CartellaPagine = cartelle.value(pagine);
    s.CartellaScript = cartelle.value(script);
    for (int r : risposte)
        f->messages.answer(Messages::Answer(r));
    // File > Pulisci, by its access keys.
    f->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->w));
    QTest::keyClick(f->w, Qt::Key_F, Qt::AltModifier);
    QWidget *menu = QApplication::activePopupWidget();
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key_P);

    const std::vector<ScriptedMessages::Shown> &mostrati = f->messages.shown();
    QVERIFY(!mostrati.empty());
    const QString crlf = QStringLiteral("\r\n");
    QCOMPARE(mostrati[0].text, QStringLiteral("Le seguenti cartelle saranno svuotate:") + crlf + crlf + s.CartellaPagine
                                   + crlf + s.CartellaScript + crlf + crlf
                                   + QStringLiteral("ATTENZIONE: Tutti i file presenti in queste cartelle verranno "
                                                    "cancellati.")
                                   + crlf + QStringLiteral("Si desidera procedere con la cancellazione?"));
    QCOMPARE(mostrati[0].buttons, Messages::Buttons::YesNo);
    QCOMPARE(mostrati[0].icon, Messages::Icon::Question);
    // The two confirmations, Cancel the default; a refused folder says so.
    QStringList attesi;
    if (risposte.size() > 1) {
        qsizetype r = 1;  // the next answer
        for (const QString &chiave : {pagine, script}) {
            attesi << QStringLiteral("Saranno cancellati i file presenti in ") + cartelle.value(chiave);
            const bool ok = risposte.at(r++) == int(Messages::Answer::Ok);
            if (ok && rifiutate.contains(chiave)) {
                attesi << QStringLiteral("La cartella '%1' non è stata svuotata: non è una cartella di lavoro "
                                         "(manca il percorso, oppure è la cartella del negozio, delle sue immagini o "
                                         "dei suoi codici, del programma o di un altro negozio).")
                              .arg(cartelle.value(chiave));
                ++r;  // its OK
            }
        }
    }
    QCOMPARE(f->messages.texts().mid(1), attesi);
    for (const ScriptedMessages::Shown &m : mostrati) {
        if (m.text.startsWith(QLatin1String("Saranno cancellati"))) {
            QCOMPARE(m.buttons, Messages::Buttons::OkCancel);
            QCOMPARE(m.icon, Messages::Icon::Information);
            QVERIFY(m.preselected == Messages::Answer::Cancel);
        }
    }
    // Only the plain files directly in an emptied folder go.
    for (auto it = prima.cbegin(); it != prima.cend(); ++it) {
        QStringList attesa = it.value();
        if (svuotate.contains(it.key()))
            attesa = {cartelle.value(it.key()) + QStringLiteral("/sotto/c.jpg")};
        QCOMPARE(file(cartelle.value(it.key())), attesa);
    }
    QVERIFY(f->negozio().eNegozio(f->shop));
}

QTEST_MAIN(TestComandi)
#include "test_comandi.moc"

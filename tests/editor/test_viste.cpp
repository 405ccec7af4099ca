// The main window's views as the merchant meets them: each view shows
// exactly its panels and its menu, with the shop's root selected or a
// department, chosen by its tab or by the "Visualizza" menu; every bound
// field is named by its label when a value is refused; Qt's own texts are
// Italian; the "before" and "after" insert commands have icons told apart.
// (How each view of the demo shop reads on a small and a large screen is
// test_schermo's.)
#include "alberocategorie.h"
#include "comandi.h"
#include "finestraprova.h"
#include "traduzioni.h"
#include "vistaarticoli.h"
#include "vistanegozio.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QtTest>

namespace {

const char *const pannelli[] = {"picCategorie0", "picCategorie1", "picCategorie2", "picArticoli0",
                                "picArticoli1",  "picNegozio",    "picSito",       "picGenerale"};
const char *const menuViste[] = {"mnuReparti", "mnuArticoli", "mnuSito", "mnuInternet"};
const char *const chiavi[] = {"kReparti", "kArticoli", "kSito", "kInternet"};
const Cmd::Numero visualizza[] = {Cmd::VisualizzaReparti, Cmd::VisualizzaArticoli, Cmd::VisualizzaSito,
                          Cmd::VisualizzaInternet};

// The menus the menu bar offers now.
QStringList menuOfferti(frmMain *w)
{
    QStringList r;
    for (QAction *a : w->menuBar()->actions())
        if (a->isVisible() && a->menu())
            r << a->menu()->objectName();
    return r;
}

} // namespace

class TestViste : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { m_f.reset(); }
    void pannelliDiOgniVista_data();
    void pannelliDiOgniVista();
    void etichetteDeiCampi_data();
    void etichetteDeiCampi();
    void testiDiQtInItaliano();
    void iconePrimaEDopo();

private:
    std::unique_ptr<FinestraDiProva> m_f;  // shared by the label rows
};

void TestViste::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    m_f = apriFinestra(2, 2);
    QVERIFY(m_f->w);
}

void TestViste::pannelliDiOgniVista_data()
{
    QTest::addColumn<int>("vista");
    QTest::addColumn<bool>("radice");
    QTest::addColumn<bool>("dalMenu");
    for (int v = 0; v < 4; ++v)
        for (bool radice : {false, true})
            for (bool dalMenu : {false, true})
                QTest::addRow("%s, %s, %s", chiavi[v], radice ? "root" : "department", dalMenu ? "menu" : "tab")
                    << v << radice << dalMenu;
}

void TestViste::pannelliDiOgniVista()
{
    QFETCH(int, vista);
    QFETCH(bool, radice);
    QFETCH(bool, dalMenu);
    auto f = apriFinestra(2, 2);
    QVERIFY(f->w);
    frmMain *w = f->w;
    QVERIFY(clicNodo(w, radice ? QStringLiteral("Negozio") : QStringLiteral("Reparto 2")));
    // From another view, so that the choice is a change.
    w->selezionaScheda(QString::fromLatin1(chiavi[vista == 2 ? 3 : 2]));
    QMenu *logo = w->findChild<QMenu *>(QStringLiteral("mnuImpostaLogoR"));
    const bool logoPrima = logo->menuAction()->isEnabled();
    if (dalMenu) {
        w->comandi().azione(visualizza[vista])->trigger();
    } else {
        QTabBar *t = w->tabGestione();
        QTest::mouseClick(t, Qt::LeftButton, {}, t->tabRect(vista).center());
    }
    QCOMPARE(w->schedaCorrente(), QString::fromLatin1(chiavi[vista]));

    const bool reparti = vista == 0, articoli = vista == 1, sito = vista == 2, internet = vista == 3;
    const bool atteso[] = {reparti || articoli,     reparti && !radice, reparti && !radice,
                           articoli && !radice,     articoli && !radice, (reparti || articoli) && radice,
                           sito,                    internet};
    QStringList mostrati, visti;
    for (size_t i = 0; i < std::size(pannelli); ++i) {
        QWidget *p = w->findChild<QWidget *>(QString::fromLatin1(pannelli[i]));
        QVERIFY2(p, pannelli[i]);
        if (p->isVisible())
            mostrati << p->objectName();
        if (atteso[i])
            visti << p->objectName();
        // Shown means enabled too; hidden disabled, but the shop panel
        // keeps its state in the settings views.
        if (atteso[i] || !(sito || internet) || i != 5)
            QVERIFY2(p->isEnabled() == atteso[i], pannelli[i]);
    }
    QCOMPARE(mostrati, visti);
    // The view's own "Modifica" menu, and only that.
    const QStringList offerti = menuOfferti(w);
    for (int v = 0; v < 4; ++v)
        QVERIFY2(offerti.contains(QLatin1String(menuViste[v])) == (v == vista), menuViste[v]);
    QCOMPARE(w->comandi().azione(Cmd::Espandi)->isEnabled(), reparti || articoli);
    QCOMPARE(w->comandi().azione(Cmd::Comprimi)->isEnabled(), reparti || articoli);
    for (int v = 0; v < 4; ++v)
        QCOMPARE(w->comandi().azione(visualizza[v])->isChecked(), v == vista);
    // The shop's logo entries while the shop panel is on screen; left as
    // they were in the settings views.
    for (const char *nome : {"mnuImpostaLogoR", "mnuEliminaLogoR", "mnuImpostaLogoA", "mnuEliminaLogoA"})
        QVERIFY2(w->findChild<QMenu *>(QString::fromLatin1(nome))->menuAction()->isEnabled()
                     == (reparti || articoli ? radice : logoPrima),
                 nome);
    QVERIFY(f->messages.shown().empty());
}

void TestViste::etichetteDeiCampi_data()
{
    // Each bound field: its data source, its column and the caption its
    // label or check box shows.
    QTest::addColumn<QString>("sorgente");
    QTest::addColumn<QString>("colonna");
    QTest::addColumn<QString>("etichetta");
    const struct {
        const char *campo, *sorgente, *colonna, *etichetta;
    } righe[] = {
        // The departments view.
        {"txtCategorie14", "dataCategorie", "titolo", "Titolo"},
        {"txtCategorie12", "dataCategorie", "descrizione", "Descrizione"},
        {"txtCategorie10", "dataCategorie", "note", "Note"},
        {"txtCategorie11", "dataCategorie", "maxarticoli", "Articoli per pagina"},
        {"txtCategorie0", "dataCategorie", "sconto", "Sconto %"},
        {"cboIva", "dataCategorie", "iva", "IVA %"},
        {"cboTemplate", "dataCategorie", "template", "Modello di pagina"},
        // The articles view.
        {"txtArticoli0", "dataArticoli", "codice", "Codice"},
        {"txtArticoli1", "dataArticoli", "titolo", "Titolo"},
        {"txtArticoli2", "dataArticoli", "sottotitolo", "Sottotitolo"},
        {"txtArticoli3", "dataArticoli", "descrizione", "Descrizione"},
        {"txtArticoli4", "dataArticoli", "prezzo", "Prezzo"},
        {"txtArticoli5", "dataArticoli", "note", "Note"},
        {"txtArticoli6", "dataArticoli", "offertaprezzo", "Prezzo in offerta"},
        {"txtArticoli7", "dataArticoli", "link", "Link"},
        {"txtArticoli8", "dataArticoli", "giacenza", "Disponibilità"},
        {"txtArticoli9", "dataArticoli", "peso", "Peso"},
        {"chkArticoli0", "dataArticoli", "offerta", "In offerta"},
        {"chkArticoli1", "dataArticoli", "novita", "Novità"},
        {"chkArticoli2", "dataArticoli", "linkesterno", "Link in nuova finestra"},
        {"chkArticoli3", "dataArticoli", "popup", "Immagine 2 in finestra"},
        {"chkArticoli4", "dataArticoli", "inelenco", "In vetrina"},
        {"chkArticoli5", "dataArticoli", "fuoricatalogo", "Fuori catalogo"},
        // The shop view.
        {"txtEmail", "dataGenerale", "email", "E-mail principale per contatti"},
        {"txtTitolo", "dataGenerale", "titolo", "Titolo del negozio"},
        {"txtTesti0", "dataGenerale", "home1", "Home page (1)"},
        {"txtTesti1", "dataGenerale", "home2", "Home page (2)"},
        {"txtTesti2", "dataGenerale", "condizioni", "Condizioni di spedizione"},
        {"txtTesti3", "dataGenerale", "recesso", "Diritto di recesso"},
        {"txtTesti4", "dataGenerale", "datipers", "Trattamento dati personali"},
        {"txtTesti5", "dataGenerale", "testo1", "Testo 1"},
        {"txtTesti6", "dataGenerale", "testo2", "Testo 2"},
        {"txtScontoNegozio", "dataGenerale", "sconto", "Sconto negozio"},
        // The site view.
        {"chkVisSconto", "dataGenerale", "vis_sconto", "Visualizza sconto %"},
        {"chkVisOfferta", "dataGenerale", "vis_offerta", "Segnala offerta"},
        {"chkPercRep", "dataGenerale", "vis_percrep", "Il titolo del reparto include il percorso e i sottoreparti"},
        {"chkCodInCart", "dataGenerale", "codincart", "Visualizza il codice articolo nel carrello"},
        {"chkElencoFoto", "dataGenerale", "elenco_foto", "Foto (miniatura)"},
        {"chkElencoCodice", "dataGenerale", "elenco_codice", "Codice"},
        {"chkElencoTitolo", "dataGenerale", "elenco_titolo", "Titolo"},
        {"chkRicerca", "dataGenerale", "ricercaparole", "Cerca solo parole intere"},
        {"chkIvaCompresa", "dataGenerale", "ivacompresa", "Prezzi IVA compresa"},
        {"txtFirma", "dataGenerale", "firma_email", "Firma e-mail di conferma ordini"},
        {"txtKeywords0", "dataGenerale", "keywords", "Keywords"},
        {"txtKeywords1", "dataGenerale", "content", "Contenuto del sito"},
        {"txtMID", "dataGenerale", "merchantid", "Identificativo del venditore"},
        {"txtEmailOrdini", "dataGenerale", "email_ordini", "E-mail per ricezione ordini"},
        {"txtMinimo", "dataGenerale", "minimo", "Ordine minimo"},
        {"cboLivelli", "dataGenerale", "livelliaperti", "Livelli di reparto sempre aperti nell'elenco"},
        {"cboVetrina", "dataGenerale", "colonnevetrina", "Numero di prodotti per ogni riga della vetrina"},
        {"txtRicerca", "dataGenerale", "operatorericerca", "Ricerca"},
        {"txtNotazione", "dataGenerale", "notazione", "Notazione"},
        {"txtValuta0", "dataGenerale", "valuta1", "Valuta principale"},
        {"txtValuta1", "dataGenerale", "valuta2", "Valuta secondaria"},
        {"chkDecimali0", "dataGenerale", "decimali1", "Visualizza decimali"},
        {"chkDecimali1", "dataGenerale", "decimali2", "Visualizza decimali"},
        {"chkCambio", "dataGenerale", "usa_cambio", "Valuta secondaria"},
        {"txtCambio", "dataGenerale", "cambio", "Cambio (principale/secondaria)"},
        // The internet view.
        {"cboSendmail", "dataGenerale", "sendmail", "Percorso Sendmail"},
        {"cboPerl", "dataGenerale", "perl", "Percorso interprete Perl"},
        {"txtSetting0", "dataGenerale", "siteonline", "Pagine del negozio"},
        {"txtSetting1", "dataGenerale", "sitescript", "Script CGI e database"},
        {"txtURL", "dataGenerale", "URL", "URL del sito (es. www.mionegozio.it)"},
        {"txtCartella", "dataGenerale", "cartella", "Cartella del negozio"},
        {"txtCGI", "dataGenerale", "cartellaCGI", "Cartella degli script"},
        {"txtCGIsearch", "dataGenerale", "CGIsearch", "Script di ricerca"},
        {"txtCGIOrdine", "dataGenerale", "CGIordine", "Script invio ordini"},
        {"chkNT", "dataGenerale", "serverNT", "Server Windows NT / 2000"},
        {"txtFolderFTP", "dataGenerale", "folderFTP", "Cartella del negozio"},
        {"txtFolderCGI", "dataGenerale", "folderCGI", "Cartella script CGI"},
        {"txtHost", "dataGenerale", "hostname", "Nome Host o indirizzo IP"},
        {"txtUsername", "dataGenerale", "username", "Username"},
        {"txtPassword", "dataGenerale", "password", "Password"},
    };
    for (const auto &r : righe)
        QTest::addRow("%s", r.campo) << r.sorgente << r.colonna << r.etichetta;
}

void TestViste::etichetteDeiCampi()
{
    // A value of the field refused: the view's handler names the field as
    // its label reads, never by the column.
    QFETCH(QString, sorgente);
    QFETCH(QString, colonna);
    QFETCH(QString, etichetta);
    DatiPrincipali &d = m_f->w->dati();
    DataSource *ds = nullptr;
    for (DataSource *s : {&d.dataCategorie, &d.dataArticoli, &d.dataGenerale})
        if (s->objectName() == sorgente)
            ds = s;
    QVERIFY(ds);
    m_f->messages.clear();
    emit ds->error(3000, QStringLiteral("disco pieno"), colonna);
    QCOMPARE(m_f->messages.texts().size(), 1);
    const QString m = m_f->messages.texts()[0];
    QVERIFY2(m.startsWith(QStringLiteral("Il formato di alcuni dati non è valido\r\n%1:").arg(etichetta)), qPrintable(m));
    QVERIFY2(!m.contains(u'"' + colonna + u'"') || etichetta == colonna, qPrintable(m));
}

void TestViste::testiDiQtInItaliano()
{
    QVERIFY(installaTraduzioni());
    // The right-click menu of a text field, opened with the mouse.
    auto f = apriFinestra(1, 1);
    QVERIFY(f->w);
    QVERIFY(clicNodo(f->w, QStringLiteral("Negozio")));
    auto *e = figlio<QLineEdit>(f->w->vistaNegozio(), QStringLiteral("txtTitolo"));
    QVERIFY(e && e->isVisible());
    QTest::mouseClick(f->w->windowHandle(), Qt::RightButton, {}, e->mapTo(f->w, e->rect().center()));
    QTRY_VERIFY(QApplication::activePopupWidget());
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList voci;
    for (const QAction *a : menu->actions())
        if (!a->isSeparator())
            voci << a->text().section(u'\t', 0, 0).remove(u'&');
    QVERIFY(salvaSchermata(menu, QStringLiteral("menu-testo")));
    menu->close();
    for (const char *inglese : {"Undo", "Cut", "Copy", "Paste", "Select All"})
        QVERIFY2(!voci.contains(QLatin1String(inglese)), qPrintable(voci.join(u',')));
    QVERIFY2(voci.contains(QStringLiteral("Incolla")) && voci.contains(QStringLiteral("Taglia")), qPrintable(voci.join(u',')));
}

void TestViste::iconePrimaEDopo()
{
    const auto immagine = [this](Cmd::Numero n) { return m_f->w->comandi().azione(n)->icon().pixmap(22).toImage(); };
    for (const auto &[prima, dopo] : {std::pair{Cmd::AggiungiArticoloPrima, Cmd::AggiungiArticoloDopo},
                                      std::pair{Cmd::AggiungiRepartoPrima, Cmd::AggiungiRepartoDopo}}) {
        QVERIFY(!immagine(prima).isNull() && !immagine(dopo).isNull());
        QVERIFY(immagine(prima) != immagine(dopo));
        // Neither is the icon of another command of its list.
        for (Cmd::Numero altro : {Cmd::ArticoloSu, Cmd::ArticoloGiu, Cmd::RepartoSu, Cmd::RepartoGiu, Cmd::AggiungiSottoreparto})
            QVERIFY(immagine(prima) != immagine(altro) && immagine(dopo) != immagine(altro));
    }
}

QTEST_MAIN(TestViste)
#include "test_viste.moc"

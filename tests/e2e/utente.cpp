#include "utente.h"

#include "finestre.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <unistd.h>

namespace {

// A caption as read: without the access key's "&", the colon and the dots.
QString letto(QString t)
{
    t.remove(u'&');
    t = t.trimmed();
    while (t.endsWith(u':') || t.endsWith(u'.'))
        t.chop(1);
    return t.trimmed();
}

// A widget a person can use now: shown, enabled, in the active window (a
// click on a window activates it: the window manager's part is done here).
bool visibile(QWidget *w)
{
    if (!w || !w->isVisible() || !w->isEnabled())
        return false;
    if (!w->window()->isActiveWindow()) {
        w->window()->activateWindow();
        return false;
    }
    return true;
}

QString descrivi(const QWidget *w)
{
    QString testo;
    if (auto *l = qobject_cast<const QLabel *>(w))
        testo = l->text();
    else if (auto *b = qobject_cast<const QAbstractButton *>(w))
        testo = b->text();
    else if (auto *e = qobject_cast<const QLineEdit *>(w))
        testo = e->text();
    else if (auto *c = qobject_cast<const QComboBox *>(w)) {
        testo = c->currentText() + QStringLiteral(" [");
        for (int i = 0; i < c->count(); ++i)
            testo += c->itemText(i) + u'|';
        testo += u']';
    }
    return QStringLiteral("%1 '%2' %3%4").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                                              testo.left(200), w->isEnabled() ? QString() : QStringLiteral(" (spento)"));
}

} // namespace

Utente::Utente(const QString &cartellaFoto)
{
    QDir(cartellaFoto).removeRecursively();
    QDir().mkpath(cartellaFoto);
    // Where salvaSchermata puts the pictures.
    qputenv("VETRASTO_TEST_OUTPUT", QFile::encodeName(cartellaFoto));
}

void Utente::passo(const QString &descrizione, Passo p, int attesaMs)
{
    m_coda.push_back({descrizione, std::move(p), attesaMs, {}});
}

void Utente::fai(const QString &descrizione, std::function<void()> azione)
{
    passo(descrizione, [azione = std::move(azione)] {
        azione();
        return true;
    });
}

void Utente::avvia(std::function<void()> fine)
{
    m_fine = std::move(fine);
    QTimer::singleShot(0, [this] { tick(); });
}

void Utente::tick()
{
    if (m_finito)
        return;
    // The next tick first: it runs inside the event loop of a dialog that
    // this tick's step may open.
    QTimer::singleShot(15, [this] { tick(); });
    fotografaNuove();
    if (m_coda.empty())
        return;
    Voce v = std::move(m_coda.front());
    m_coda.pop_front();
    if (!v.t.isValid()) {
        v.t.start();
        if (diario) {
            std::printf("passo: %s\n", qPrintable(v.descrizione));
            std::fflush(stdout);
        }
    }
    m_descrizione = v.descrizione;
    if (v.p()) {
        if (m_coda.empty() && !m_finito) {
            m_finito = true;
            if (m_fine)
                QTimer::singleShot(0, m_fine);
        }
        return;
    }
    if (v.t.elapsed() > v.attesa)
        fallisci(QStringLiteral("tempo scaduto"));
    m_coda.push_front(std::move(v));
}

QWidget *Utente::finestraPrincipale()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmMain") && w->isVisible())
            return w;
    return nullptr;
}

QWidget *Utente::inAlto()
{
    if (QWidget *m = QApplication::activeModalWidget())
        return m;
    return finestraPrincipale();
}

QWidget *Utente::trova(const QString &nome)
{
    QWidget *alto = inAlto();
    if (!alto)
        return nullptr;
    const QList<QWidget *> tutti = alto->findChildren<QWidget *>();
    for (QWidget *w : tutti)
        if (w->objectName() == nome && w->isVisible())
            return w;
    // A field by its label.
    for (QWidget *w : tutti)
        if (auto *l = qobject_cast<QLabel *>(w); l && l->isVisible() && l->buddy() && letto(l->text()) == letto(nome))
            return l->buddy();
    return pulsante(nome);
}

QAbstractButton *Utente::pulsante(const QString &testo)
{
    QWidget *alto = inAlto();
    if (!alto)
        return nullptr;
    for (QAbstractButton *b : alto->findChildren<QAbstractButton *>())
        if (b->isVisible() && (b->objectName() == testo || letto(b->text()) == letto(testo)))
            return b;
    return nullptr;
}

void Utente::aspettaFinestra(const QString &nome, int attesaMs)
{
    passo(QStringLiteral("aspetta la finestra ") + nome, [nome] {
        QWidget *w = inAlto();
        return w && w->objectName() == nome && w->isVisible();
    }, attesaMs);
}

void Utente::menu(const QStringList &voci)
{
    const QString percorso = voci.join(QStringLiteral(" > "));
    passo(QStringLiteral("menu ") + percorso + QStringLiteral(": apre ") + voci[0], [voci] {
        auto *f = qobject_cast<QMainWindow *>(finestraPrincipale());
        if (!f || QApplication::activeModalWidget() || QApplication::activePopupWidget() || !visibile(f))
            return false;
        QMenuBar *barra = f->menuBar();
        for (QAction *a : barra->actions())
            if (a->isVisible() && a->isEnabled() && letto(a->text()) == voci[0]) {
                QTest::mouseClick(barra, Qt::LeftButton, {}, barra->actionGeometry(a).center());
                return true;
            }
        return false;
    });
    for (int i = 1; i < voci.size(); ++i) {
        const bool ultima = i == voci.size() - 1;
        passo(QStringLiteral("menu ") + percorso + QStringLiteral(": sceglie ") + voci[i], [this, voci, i, ultima] {
            auto *m = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!m || !m->isVisible())
                return false;
            for (QAction *a : m->actions())
                if (a->isVisible() && letto(a->text()) == voci[i]) {
                    if (!a->isEnabled())
                        return false;
                    const QString nome = QStringLiteral("menu-") + QStringList(voci.mid(0, i)).join(u'-');
                    if (!m_fotografate.contains(nome)) {
                        m_fotografate.insert(nome);
                        scatta(nome);
                    }
                    const QPoint dove = m->actionGeometry(a).center();
                    // A submenu's entry is hovered before it is clicked.
                    if (!ultima)
                        QTest::mouseMove(m, dove);
                    QTest::mouseClick(m, Qt::LeftButton, {}, dove);
                    return true;
                }
            return false;
        });
    }
}

void Utente::clic(const QString &nomeOTesto)
{
    passo(QStringLiteral("clic su ") + nomeOTesto, [this, nomeOTesto] {
        if (QApplication::activePopupWidget())
            return false;
        QWidget *w = pulsante(nomeOTesto);
        if (!w)
            w = trova(nomeOTesto);
        if (!visibile(w))
            return false;
        if (!::clic(w))
            fallisci(QStringLiteral("il clic non è riuscito"));
        return true;
    });
}

void Utente::scrivi(const QString &campo, const QString &testo, bool conTab)
{
    passo(QStringLiteral("scrive '%1' in %2").arg(testo, campo), [this, campo, testo, conTab] {
        QWidget *w = trova(campo);
        if (!visibile(w))
            return false;
        if (!riscrivi(w, testo))
            fallisci(QStringLiteral("il campo non si riscrive"));
        // Tab goes where the keys go: the field just typed into.
        if (conTab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return true;
    });
}

void Utente::nodo(const QString &testo)
{
    passo(QStringLiteral("nodo ") + testo, [testo] {
        auto *t = qobject_cast<QTreeWidget *>(trova(QStringLiteral("tvwCategorie")));
        if (!visibile(t) || QApplication::activeModalWidget())
            return false;
        const QList<QTreeWidgetItem *> voci = t->findItems(testo, Qt::MatchExactly | Qt::MatchRecursive);
        if (voci.size() != 1)
            return false;
        for (QTreeWidgetItem *p = voci[0]->parent(); p; p = p->parent())
            p->setExpanded(true);
        t->scrollToItem(voci[0]);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(voci[0]).center());
        return t->currentItem() == voci[0];
    });
}

void Utente::scheda(const QString &barra, const QString &testo)
{
    passo(QStringLiteral("scheda ") + testo, [barra, testo] {
        QWidget *w = trova(barra);
        auto *b = qobject_cast<QTabBar *>(w);
        if (auto *t = qobject_cast<QTabWidget *>(w))
            b = t->tabBar();
        if (!visibile(b))
            return false;
        for (int i = 0; i < b->count(); ++i)
            if (letto(b->tabText(i)) == letto(testo)) {
                QTest::mouseClick(b, Qt::LeftButton, {}, b->tabRect(i).center());
                return b->currentIndex() == i;
            }
        return false;
    });
}

void Utente::scegliVoce(const QString &lista, const QString &testo)
{
    passo(QStringLiteral("sceglie '%1' in %2").arg(testo, lista), [this, lista, testo] {
        QWidget *w = trova(lista);
        if (!visibile(w))
            return false;
        if (auto *c = qobject_cast<QComboBox *>(w)) {
            // The entry may still be on its way into the list.
            if (c->findText(testo) < 0)
                return false;
            if (!scegliConFrecce(c, testo))
                fallisci(QStringLiteral("la scelta nella lista non è riuscita"));
            return true;
        }
        if (auto *l = qobject_cast<QListWidget *>(w)) {
            const QList<QListWidgetItem *> v = l->findItems(testo, Qt::MatchExactly);
            if (v.isEmpty())
                return false;
            l->scrollToItem(v[0]);
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(v[0]).center());
            return l->currentItem() == v[0];
        }
        return false;
    });
}

void Utente::attiva(const QString &lista, const QString &testo)
{
    passo(QStringLiteral("doppio clic su ") + testo, [lista, testo] {
        auto *l = qobject_cast<QListWidget *>(trova(lista));
        if (!visibile(l))
            return false;
        const QList<QListWidgetItem *> v = l->findItems(testo, Qt::MatchExactly);
        if (v.isEmpty())
            return false;
        l->scrollToItem(v[0]);
        const QPoint dove = l->visualItemRect(v[0]).center();
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, dove);
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, dove);
        return true;
    });
}

void Utente::cella(const QString &vista, const QString &testo)
{
    passo(QStringLiteral("clic sulla cella ") + testo, [vista, testo] {
        auto *v = qobject_cast<QAbstractItemView *>(trova(vista));
        if (!visibile(v) || !v->model())
            return false;
        const QAbstractItemModel *m = v->model();
        for (int r = 0; r < m->rowCount(); ++r)
            for (int c = 0; c < m->columnCount(); ++c) {
                const QModelIndex i = m->index(r, c);
                if (m->data(i).toString() != testo)
                    continue;
                v->scrollTo(i);
                QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(i).center());
                return v->currentIndex().row() == r;
            }
        return false;
    });
}

void Utente::rinomina(const QString &lista, const QString &testo)
{
    passo(QStringLiteral("rinomina in ") + testo, [lista, testo] {
        auto *l = qobject_cast<QListWidget *>(trova(lista));
        if (!visibile(l) || !l->currentItem())
            return false;
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->currentItem()).center());
        QTest::keyClick(l, Qt::Key_F2);
        QWidget *editor = QApplication::focusWidget();
        if (!editor || editor == l)
            return false;
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        digita(editor, testo);
        QTest::keyClick(editor, Qt::Key_Return);
        return true;
    });
}

void Utente::spunta(const QString &casella, bool spuntata)
{
    passo(QStringLiteral("%1 %2").arg(spuntata ? QStringLiteral("spunta") : QStringLiteral("toglie la spunta a"), casella),
          [this, casella, spuntata] {
              auto *c = qobject_cast<QAbstractButton *>(trova(casella));
              if (!visibile(c))
                  return false;
              if (c->isChecked() != spuntata && !::clic(c))
                  fallisci(QStringLiteral("il clic non è riuscito"));
              return c->isChecked() == spuntata;
          });
}

void Utente::rispondi(const QString &contiene, const QString &testoPulsante)
{
    passo(QStringLiteral("risponde '%1' a '%2'").arg(testoPulsante, contiene), [this, contiene, testoPulsante] {
        auto *m = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!m || !m->isVisible())
            return false;
        if (!m->text().contains(contiene))
            fallisci(QStringLiteral("messaggio inatteso: ") + m->text());
        messaggi << m->text();
        scatta(QStringLiteral("messaggio"));
        for (QAbstractButton *b : m->buttons())
            if (letto(b->text()) == letto(testoPulsante)) {
                QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
                return true;
            }
        fallisci(QStringLiteral("nessun pulsante ") + testoPulsante);
        return false;
    });
}

void Utente::foto(const QString &nome)
{
    fai(QStringLiteral("foto ") + nome, [this, nome] { scatta(nome); });
}

void Utente::scatta(const QString &nome)
{
    if (!salvaFoto(nome))
        fallisci(QStringLiteral("la schermata non si salva: ") + nome);
}

bool Utente::salvaFoto(const QString &nome)
{
    QWidget *w = QApplication::activePopupWidget();
    if (!w || !nome.startsWith(QLatin1String("menu")))
        w = inAlto();
    return !w
           || salvaSchermata(w, QStringLiteral("%1-%2").arg(++m_numeroFoto, 3, 10, QLatin1Char('0')).arg(nome));
}

void Utente::fotografaNuove()
{
    QWidget *w = inAlto();
    if (!w || qobject_cast<QMessageBox *>(w) || w->objectName().isEmpty() || m_fotografate.contains(w->objectName()))
        return;
    m_fotografate.insert(w->objectName());
    scatta(w->objectName());
}

void Utente::fallisci(const QString &perche)
{
    std::fprintf(stderr, "FALLITO al passo \"%s\": %s\n", qPrintable(m_descrizione), qPrintable(perche));
    if (QWidget *w = inAlto()) {
        if (!salvaFoto(QStringLiteral("FALLITO")))
            std::fprintf(stderr, "(la schermata non si salva)\n");
        std::fprintf(stderr, "Finestra in alto: %s\n", qPrintable(descrivi(w)));
        for (QWidget *c : w->findChildren<QWidget *>())
            if (c->isVisible())
                std::fprintf(stderr, "  %s\n", qPrintable(descrivi(c)));
    }
    if (auto *m = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
        std::fprintf(stderr, "Messaggio: %s\n", qPrintable(m->text()));
    std::fflush(stderr);
    std::fflush(stdout);
    ::_exit(1);
}

#pragma once
// What the window tests share: a window's widgets found by their objectName,
// screenshots in the test output folder, a panel checked for a readable
// layout, and clicks, typing and list choices made with real mouse and key
// events on the offscreen platform. The helpers that check return false
// (the failure reported) and are called as QVERIFY(helper(...)).
#include "verifica.h"

#include <QWidget>
#include <functional>

class QComboBox;

// The one child of `padre` (at any depth) of type T with that objectName;
// null when there is none, or more than one.
template <class T = QWidget>
T *figlio(const QObject *padre, const QString &nome)
{
    if (!padre)
        return nullptr;
    const QList<T *> trovati = padre->findChildren<T *>(nome);
    return trovati.size() == 1 ? trovati.front() : nullptr;
}

// In a test function: `T *nome` is the child of `padre` with the variable's
// name as objectName; the test stops when there is not exactly one.
#define FIGLIO(T, nome, padre)                                                                                    \
    T *const nome = figlio<T>(padre, QStringLiteral(#nome));                                                      \
    QVERIFY2(nome, "no single " #T " named " #nome)

// The test output folder: $VETRASTO_TEST_OUTPUT, else tests/<area>/output in
// the build tree, <area> being the folder of the test's sources.
QString cartellaUscita();

// Saves a picture of the widget as <nome>.png in the test output folder,
// once the layouts of what was just shown are done.
[[nodiscard]] bool salvaSchermata(QWidget *w, const QString &nome);

// A panel (a view, a dialog, a message box) readable and usable as laid
// out on its screen: its window, frame included, inside the screen's
// available area; every caption whole; every field as tall as a line of
// its text and a line field wide enough for its text (a number or a text
// shown whole, a text typed for at least 20 characters); no two controls
// on top of each other; each control inside everything that holds it,
// within the window or the scrolled area that holds it, and shown on the
// screen (a scrolled area's visible part on it), so that every button can
// be reached.
[[nodiscard]] bool verificaImpaginazione(QWidget *pannello);

// A left click where the control takes it: a check box or an option on its
// mark, a list with a line on its line, a text of several lines on its page,
// anything else in its middle. False when the control is missing, hidden or
// disabled.
[[nodiscard]] bool clic(QWidget *w);

// Text typed key by key into `w`: "\n" as Return, a character outside ASCII
// as a key event that carries it, as a keyboard layout that has it sends it.
void digita(QWidget *w, const QString &testo);

// Text typed over a field's whole contents (a line, several lines, or an
// editable list's line) with real events only: a click into the field, the
// old text selected with the keys and deleted, the new one typed. False
// when the field is missing, hidden or disabled.
[[nodiscard]] bool riscrivi(QWidget *campo, const QString &testo);

// A choice made in a list as a person makes it: the list opened with a
// click, the entry reached with the arrow keys and taken with Return.
[[nodiscard]] bool scegliConFrecce(QComboBox *lista, const QString &testo);

// Chooses a menu entry with the mouse: the menu bar's menu `voci[0]`
// opened with a click, each submenu's entry hovered, the last entry clicked
// (the click returns when what it opened modally has closed). Captions
// without "&". False when an entry is missing, hidden or disabled.
[[nodiscard]] bool sceltaDaMenu(QWidget *finestra, const QStringList &voci);

// Runs `azione` on the first modal dialog that opens: the test's next call
// opens it and waits in its event loop. The waiting ends with `guardia`.
// When `azione` returns false (a check failed) the dialog is closed, so that
// the test goes on and stops at its own check of what the action did.
void alProssimoModale(QObject &guardia, std::function<bool(QWidget *)> azione);
// The same for the first modal dialog of that objectName (or, for Qt's own
// dialogs, that class: "QMessageBox", "QFileDialog"), when others come
// first or stay open beneath it.
void alProssimoModale(QObject &guardia, const QString &nome, std::function<bool(QWidget *)> azione);

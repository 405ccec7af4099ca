#pragma once
// What the tests of the shipping and payment dialogs share: screenshots,
// clicks, typing, choices made with the keys, and modal dialogs answered.
#include <QObject>
#include <QString>
#include <functional>

class QAbstractButton;
class QComboBox;
class QWidget;

// Window tests: a screenshot in the test output folder, a mouse click on a
// button that must be visible and enabled, text typed over a field's
// contents, and a choice made in a list with the arrow keys.
void fotografa(QWidget *w, const QString &nome);
void clicca(QAbstractButton *b);
void digita(QWidget *w, const QString &testo);
void scegliConTasti(QComboBox *c, const QString &testo);
// Runs `azione` on the first modal dialog that opens: the test's next call
// opens it and waits in its event loop. The waiting ends with `guardia`.
void alModale(QObject &guardia, std::function<void(QWidget *)> azione);

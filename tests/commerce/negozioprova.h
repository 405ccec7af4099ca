#pragma once
// A shop folder for the shipping and payment tests: the empty shop's
// databases, and the program's own code folder with the six payment
// systems' files, in a temporary folder.
#include "database.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>

class NegozioProva {
public:
    NegozioProva();
    QString cartella() const { return m_dir.path() + QStringLiteral("/negozio"); }
    QString code() const { return cartella() + QStringLiteral("/code"); }
    QString catalogo() const { return cartella() + QStringLiteral("/catalog.mdb"); }
    // The catalogue opened as the shop opens it: exclusively.
    DatabasePtr apri();

private:
    QTemporaryDir m_dir;
};

// The program's data folder in the source tree.
QString cartellaDati();
// Copies a folder with everything in it.
void copiaAlbero(const QString &da, const QString &a);

// A file's bytes ("<mancante>" when it cannot be read), and a file written
// whole, its folders made.
QByteArray leggiFile(const QString &path);
void scriviFile(const QString &path, const QByteArray &dati);

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

// Every row, key and counter of the seven shipping tables, with their
// definitions, as text: two dumps are equal when the tables are.
QString dumpTabelle(Database &db);

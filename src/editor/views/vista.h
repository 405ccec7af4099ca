#pragma once
// A panel group of the main window: its fields bound through its own binder
// to the store's data sources, its buttons taken from the command registry.
// frmMain composes the views and shows the ones the current view asks for.
#include "binder.h"

#include <QWidget>

class Negozio;
class QLabel;
class QToolButton;
class RegistroComandi;

class Vista : public QWidget {
    Q_OBJECT
public:
    Vista(Negozio &negozio, RegistroComandi &comandi, QWidget *parent = nullptr);

    // Shows again what is not bound (headings, lists) after a shop was opened.
    virtual void carica() {}
    // Writes the pending edits of the view's fields; false when the database
    // refused one (the data source's error has been reported).
    virtual bool scrivi() { return true; }

protected:
    // Button n of the panels (cmdButton(n)): the command's action.
    QToolButton *pulsante(int numero, QWidget *parent = nullptr);
    // A panel heading.
    static QLabel *intestazione(const QString &testo, QWidget *parent = nullptr);

public:
    // The message for a value the database refused: what was wrong with
    // which field, and that the field goes back to the stored value.
    static QString testoRifiuto(int numero, const QString &descrizione, const QString &campo);

protected:

    Negozio &m_negozio;
    RegistroComandi &m_comandi;
    Binder m_binder;
};

#pragma once
// frmBrowse, "Vetrasto - Selezione cartelle": the working folders of the
// open shop (pages and CGI scripts), each with a picker and a reset to its
// default. "OK" checks each folder, puts it in use and records it
// (CartelleLavoro); "Annulla" changes nothing.
#include "cartellelavoro.h"
#include "dialogoaiuto.h"

#include <functional>

class QLineEdit;
class QPushButton;
class QToolButton;

class frmBrowse : public DialogoAiuto {
    Q_OBJECT
public:
    frmBrowse(Negozio &negozio, std::function<void(const QString &)> aiuto = {}, QWidget *parent = nullptr);

    // The menu entry "Cambia le cartelle di lavoro...": the dialog on the
    // folders in use, shown modally.
    static void CambiaCartelle(Negozio &negozio, QWidget *parent = nullptr,
                               std::function<void(const QString &)> aiuto = {});

    CartelleLavoro::Scelta scelta(int i) const { return m_scelta[i]; }

private:
    QLineEdit *txtCart[2];
    QToolButton *cmdCart[2], *cmdCartReset[2];
    QPushButton *cmdOK, *cmdAnnulla;

    void ok();

    CartelleLavoro m_cartelle;
    CartelleLavoro::Scelta m_scelta[2] = {CartelleLavoro::Scelta::Intatta, CartelleLavoro::Scelta::Intatta};
    bool m_ripristino = false;
};

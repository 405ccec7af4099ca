#pragma once
// frmImportaZD, "Vetrasto - Importazione da Zendaro": the options of the
// import (mark, price field, offer price field, VAT). "OK" leaves the four
// digits of the options string in the tag; "Annulla" and the close box
// leave it empty.
#include "dialogo.h"

class Catalogo;
class Negozio;
class QCheckBox;
class QComboBox;
class QPushButton;

class frmImportaZD : public Dialogo {
    Q_OBJECT
public:
    explicit frmImportaZD(QWidget *parent = nullptr);

    // The menu entry "Importa da Zendaro..." (offered when
    // ImportazioneZendaro::cartellaZendaro() is not empty): the options,
    // then the import from Zendaro's database under the busy pointer.
    static void Importa(Negozio &negozio, Catalogo &catalogo, QWidget *parent = nullptr);

    QString tag() const { return m_tag; }

private:
    QCheckBox *chkContrassegna, *chkIva;
    QComboBox *cboPrezzo, *cboOfferta;
    QPushButton *cmdOK, *cmdAnnulla;

    QString m_tag;
};

#pragma once
// frmAvviso, "Aggiornamento del sito": the reminder before an update that
// only a rebuilt shop carries the latest edits to the server. Its check box
// switches it off for good.
#include "dialogo.h"

class QCheckBox;
class QPushButton;

class frmAvviso : public Dialogo {
    Q_OBJECT
public:
    explicit frmAvviso(QWidget *parent = nullptr);

    // Shows the warning modally; true when the merchant answered "Sì".
    static bool Mostra(QWidget *parent);

    QString tag() const { return m_tag; }

private:
    QPushButton *cmdSi, *cmdNo;
    QCheckBox *chkNoShow;

    void rispondi(bool si);

    QString m_tag;
};

#pragma once
// frmTemplate, "Vetrasto - Scelta del template": the template sets of the
// program folder, each with its preview picture and notes; the chosen set's
// name is the dialog's result (its tag).
#include "dialogoaiuto.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QScrollArea;

class frmTemplate : public DialogoAiuto {
    Q_OBJECT
public:
    explicit frmTemplate(Aiuto aiuto = {}, QWidget *parent = nullptr);

    // The shop's current set: preselected when it is in the list.
    void preseleziona(const QString &set);
    // "" when cancelled, else the chosen set's name.
    QString tag() const { return m_tag; }

    static constexpr QSize misuraAnteprima{320, 240};

private:
    QListWidget *lstTemplate;
    QWidget *picTemplate;
    QLabel *imgTemplate;
    QLabel *lblAnteprima;  // why a preview cannot be shown
    QPlainTextEdit *txtNote;
    QPushButton *cmdOK, *cmdAnnulla;

    void mostraSelezionato();
    void ok();

    QString m_tag;
};

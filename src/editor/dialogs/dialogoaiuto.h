#pragma once
// A dialog with a help page: its "?" button and the F1 key open the topic
// (a page of the program's help folder, "pagine\\name.htm") through the
// help function the caller gives.
#include "dialogo.h"
#include <functional>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

class DialogoAiuto : public Dialogo {
    Q_OBJECT
public:
    using Aiuto = std::function<void(const QString &)>;
    DialogoAiuto(QString argomento, Aiuto aiuto, QWidget *parent = nullptr);

    void MostraAiuto();

protected:
    // The bottom row: "?" on the left, the given buttons on the right.
    QHBoxLayout *rigaPulsanti(std::initializer_list<QPushButton *> pulsanti);
    // The dialog's whole layout when its content may be taller than the
    // screen: the content, put in the column returned, scrolls; the bottom
    // row of these buttons stays in sight under it.
    QVBoxLayout *corpoScorrevole(std::initializer_list<QPushButton *> pulsanti);
    void keyPressEvent(QKeyEvent *e) override;

private:
    QPushButton *cmdHelp;

    QString m_argomento;
    Aiuto m_aiuto;
};

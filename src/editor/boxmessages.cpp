#include "boxmessages.h"

#include "shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

Messages::Answer BoxMessages::show(const QString &text, Icon icon, Buttons buttons, const QString &title,
                                   std::optional<Answer> defaultButton)
{
    QMessageBox box(m_owner ? m_owner : QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? defaultTitle() : title);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    if (defaultButton) {
        switch (*defaultButton) {
        case Answer::Ok: box.setDefaultButton(QMessageBox::Ok); break;
        case Answer::Cancel: box.setDefaultButton(QMessageBox::Cancel); break;
        case Answer::Yes: box.setDefaultButton(QMessageBox::Yes); break;
        case Answer::No: box.setDefaultButton(QMessageBox::No); break;
        }
    }
    if (QAbstractButton *b = box.button(QMessageBox::Yes))
        b->setText(QStringLiteral("Sì"));
    if (QAbstractButton *b = box.button(QMessageBox::Cancel))
        b->setText(QStringLiteral("Annulla"));
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

void installaScelte()
{
    Shell::impostaSceltaCartella([](const QString &titolo, const QString &iniziale) {
        return QFileDialog::getExistingDirectory(QApplication::activeWindow(), titolo, iniziale,
                                                 QFileDialog::ShowDirsOnly);
    });
    Shell::impostaSceltaFile([](const QString &titolo, const QString &iniziale, const QString &filtro) {
        return QFileDialog::getOpenFileNames(QApplication::activeWindow(), titolo, iniziale, filtro);
    });
}

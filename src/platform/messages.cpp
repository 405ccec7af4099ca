#include "messages.h"

#include <QApplication>
#include <QMessageBox>

Messages::Answer BoxMessages::show(const QString &text, Icon icon, Buttons buttons, const QString &title)
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
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setButtonText(QMessageBox::Yes, QStringLiteral("Sì"));
    box.setButtonText(QMessageBox::Cancel, QStringLiteral("Annulla"));
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

Messages::Answer ScriptedMessages::show(const QString &text, Icon icon, Buttons buttons, const QString &title)
{
    m_shown.push_back({text, icon, buttons, title.isEmpty() ? defaultTitle() : title});
    if (!m_answers.empty()) {
        Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    // Unscripted: the safe choice of each box.
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    default: return Answer::Cancel;
    }
}

QStringList ScriptedMessages::texts() const
{
    QStringList l;
    for (const auto &s : m_shown)
        l << s.text;
    return l;
}

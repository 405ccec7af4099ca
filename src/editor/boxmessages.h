#pragma once
// The desktop's dialogs behind the platform's interfaces: message boxes for
// Messages, and the folder picker the shell asks for.
#include "messages.h"

class QWidget;

class BoxMessages : public Messages {
public:
    explicit BoxMessages(QWidget *owner = nullptr) : m_owner(owner) {}
    Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {},
                std::optional<Answer> preselected = {}) override;
    void setOwner(QWidget *owner) { m_owner = owner; }

private:
    QWidget *m_owner;
};

// Makes the shell's folder picker the desktop's folder dialog.
void installaSceltaCartella();

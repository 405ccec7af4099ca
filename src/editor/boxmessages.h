#pragma once
// The desktop's dialogs behind the platform's interfaces: message boxes for
// Messages, and the folder and file pickers the shell asks for.
#include "messages.h"

class QWidget;

class BoxMessages : public Messages {
public:
    explicit BoxMessages(QWidget *owner = nullptr) : m_owner(owner) {}
    Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {},
                std::optional<Answer> defaultButton = {}) override;
    void setOwner(QWidget *owner) { m_owner = owner; }

private:
    QWidget *m_owner;
};

// Makes the shell's folder and file pickers the desktop's file dialogs.
void installaScelte();

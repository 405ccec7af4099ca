#pragma once
// Message boxes for tests: answers from a script, every message recorded.
#include "messages.h"

#include <QStringList>
#include <deque>
#include <vector>

class ScriptedMessages : public Messages {
public:
    struct Shown {
        QString text;
        Icon icon;
        Buttons buttons;
        QString title;
        std::optional<Answer> preselected;
    };

    Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {},
                std::optional<Answer> preselected = {}) override;
    void answer(Answer a) { m_answers.push_back(a); }
    const std::vector<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); m_answers.clear(); }
    size_t pendingAnswers() const { return m_answers.size(); }

private:
    std::deque<Answer> m_answers;
    std::vector<Shown> m_shown;
};

#include "scriptedmessages.h"

Messages::Answer ScriptedMessages::show(const QString &text, Icon icon, Buttons buttons, const QString &title,
                                       std::optional<Answer> preselected)
{
    m_shown.push_back({text, icon, buttons, title.isEmpty() ? defaultTitle() : title, preselected});
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

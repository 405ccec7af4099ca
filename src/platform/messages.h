#pragma once
// Message boxes, the one way the program talks to the merchant. The title is
// "Vetrasto" unless another is given. Tests script the answers and read what
// was shown through ScriptedMessages.
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

class Messages {
public:
    enum class Icon { None, Information, Warning, Question, Critical };
    enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Messages() = default;
    virtual Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {}) = 0;

    void information(const QString &text) { show(text, Icon::Information, Buttons::Ok); }
    void warning(const QString &text) { show(text, Icon::Warning, Buttons::Ok); }
    bool question(const QString &text, Icon icon = Icon::Question)
    {
        return show(text, icon, Buttons::YesNo) == Answer::Yes;
    }

    static QString defaultTitle() { return QStringLiteral("Vetrasto"); }
};

// Real message boxes, owned by the active window.
class BoxMessages : public Messages {
public:
    explicit BoxMessages(QWidget *owner = nullptr) : m_owner(owner) {}
    Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {}) override;
    void setOwner(QWidget *owner) { m_owner = owner; }

private:
    QWidget *m_owner;
};

// Test double: answers from a script, records every message.
class ScriptedMessages : public Messages {
public:
    struct Shown {
        QString text;
        Icon icon;
        Buttons buttons;
        QString title;
    };

    Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {}) override;
    void answer(Answer a) { m_answers.push_back(a); }
    const std::vector<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); m_answers.clear(); }
    size_t pendingAnswers() const { return m_answers.size(); }

private:
    std::deque<Answer> m_answers;
    std::vector<Shown> m_shown;
};

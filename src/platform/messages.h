#pragma once
// Message boxes, the one way the program talks to the merchant. The title is
// "Vetrasto" unless another is given. The editor shows real boxes; tests
// script the answers and read what was shown.
#include <QString>

#include <optional>

class Messages {
public:
    enum class Icon { None, Information, Warning, Question, Critical };
    enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Messages() = default;
    // The default button (the one Enter presses) is `preselected` when given,
    // else No for Yes/No and the first button for the others.
    virtual Answer show(const QString &text, Icon icon, Buttons buttons, const QString &title = {},
                        std::optional<Answer> preselected = {}) = 0;

    void information(const QString &text) { show(text, Icon::Information, Buttons::Ok); }
    void warning(const QString &text) { show(text, Icon::Warning, Buttons::Ok); }
    bool question(const QString &text, Icon icon = Icon::Question)
    {
        return show(text, icon, Buttons::YesNo) == Answer::Yes;
    }

    static QString defaultTitle() { return QStringLiteral("Vetrasto"); }
};

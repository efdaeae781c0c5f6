#pragma once
// Port: modal message boxes the user must see.

#include <string>

// YesNoDefaultNo: a question whose safe answer is No (Enter or a stray key
// press must not take the risky one).
enum class MessageButtons { Ok, YesNo, YesNoDefaultNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MessageAnswer Show(const std::string& text, const std::string& title,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

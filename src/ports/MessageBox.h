#pragma once
// Port: modal message boxes the user must see.

#include <string>

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MessageAnswer Show(const std::string& text, const std::string& title,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

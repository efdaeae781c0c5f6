#pragma once
// CTriggerEdit: the box in which the user records a trigger combination by
// pressing its keys. Every key press (Alt combinations, arrows, Backspace and
// Delete included) appends the key's token; nothing edits or types into the
// text, which only its owner empties. While the box has the focus the global
// hook is released, so that recording a combination starts no macro.

#include <QLineEdit>

#include <functional>

class IKeyHookControl;

class CTriggerEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CTriggerEdit(QWidget* parent = nullptr);

    // Released on focus in, installed again on focus out; none by default.
    void SetHookControl(IKeyHookControl* control) { hookControl = control; }

    // The code the key hook reports for a key press by its native scan code
    // (the X keycode); 0 when it has none. When set, the box records exactly
    // what the hook reports (the digit row of an AZERTY keyboard as digits);
    // without it, the code comes from Qt's key.
    using NativeKeyFn = std::function<int(unsigned nativeScanCode)>;
    static void SetNativeKeyCodes(NativeKeyFn codes);

    bool upperCase = true;    // letter tokens upper case ("<A>")
    bool allowRepeat = false; // a key pressed again adds its token again

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    IKeyHookControl* hookControl = nullptr;
};

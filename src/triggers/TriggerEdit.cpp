#include "triggers/TriggerEdit.h"

#include "schedule/RunQueuePorts.h"
#include "triggers/KeyNames.h"
#include "triggers/TriggerEditKeys.h"

#include <QKeyEvent>

namespace {
CTriggerEdit::NativeKeyFn& NativeKeyCodes() {
    static CTriggerEdit::NativeKeyFn codes;
    return codes;
}
} // namespace

void CTriggerEdit::SetNativeKeyCodes(NativeKeyFn codes) {
    NativeKeyCodes() = std::move(codes);
}

CTriggerEdit::CTriggerEdit(QWidget* parent) : QLineEdit(parent) {
    // Only key presses change the text: no pasting, dropping or undo.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool CTriggerEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Keep window shortcuts and mnemonics (Alt+letter) from taking the
        // key: it belongs to the combination being recorded.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CTriggerEdit::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (event->isAutoRepeat())
        return; // a held key is one press
    int code = 0;
    if (NativeKeyCodes() && event->nativeScanCode())
        code = NativeKeyCodes()(event->nativeScanCode());
    if (code <= 0 || code == vk::Unmapped)
        code = VirtualKeyForQtKey(event->key(), event->modifiers().testFlag(Qt::KeypadModifier));
    std::string combination = text().toStdString();
    if (!AppendKeyToken(combination, code, upperCase, allowRepeat))
        return;
    setText(QString::fromStdString(combination));
    end(false); // caret at the end, scrolled into view
}

void CTriggerEdit::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

void CTriggerEdit::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
}

void CTriggerEdit::focusInEvent(QFocusEvent* event) {
    if (hookControl) {
        hookControl->Release();
        hookControl->SetTriggerBoxFocus(true);
    }
    QLineEdit::focusInEvent(event);
}

void CTriggerEdit::focusOutEvent(QFocusEvent* event) {
    if (hookControl) {
        hookControl->SetTriggerBoxFocus(false);
        hookControl->Install();
    }
    QLineEdit::focusOutEvent(event);
}

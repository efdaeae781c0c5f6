#pragma once
// Alt pressed and released alone is the user reaching for the menu bar; an
// Escape right after it only takes that back. Where the style lets the menu
// bar take the focus on Alt, the bar handles that Escape itself; elsewhere it
// would reach the main window and end the program.

#include <QObject>

class QWidget;

class CAltEscapeFilter : public QObject {
public:
    // Watches the key events of `window` and its children (installed on the
    // application, since the focused child sees them first).
    explicit CAltEscapeFilter(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window;
    bool altDown = false;
    bool altAlone = false;  // no other key since Alt went down
    bool altTapped = false; // Alt released alone: the next Escape is its own
};

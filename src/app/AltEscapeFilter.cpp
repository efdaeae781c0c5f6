#include "app/AltEscapeFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWidget>

CAltEscapeFilter::CAltEscapeFilter(QWidget* watchedWindow)
    : QObject(watchedWindow), window(watchedWindow) {
    qApp->installEventFilter(this);
}

bool CAltEscapeFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::WindowDeactivate) {
        altTapped = altDown = false;
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != window)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool alt = key->key() == Qt::Key_Alt || key->key() == Qt::Key_AltGr;
    if (type == QEvent::KeyRelease) {
        if (alt && altDown) {
            altTapped = altAlone;
            altDown = false;
        }
        return false;
    }
    // Seen again as the event climbs to the parents: only the first counts.
    if (alt) {
        if (!altDown)
            altAlone = true;
        altDown = true;
        altTapped = false;
        return false;
    }
    altAlone = false;
    const bool escapeAfterTap = altTapped && key->key() == Qt::Key_Escape;
    altTapped = false;
    // A menu bar holding the focus leaves its keyboard mode on this Escape.
    return escapeAfterTap && !qobject_cast<QMenuBar*>(QApplication::focusWidget());
}

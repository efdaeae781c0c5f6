#pragma once
// Tab moves through a page's controls in the order given.

#include <QWidget>

#include <initializer_list>

inline void SetTabChain(std::initializer_list<QWidget*> chain) {
    QWidget* previous = nullptr;
    for (QWidget* widget : chain) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

#include "views/LightPaper.h"

#include <QPalette>
#include <QWidget>

void UseLightPaper(QWidget* widget) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::AlternateBase, QColor(0xf4, 0xf4, 0xf4));
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    colours.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

#pragma once
// The macro trees and the declarations tree are white whatever the theme;
// the text on them is then dark too, or a dark theme's light text would be
// unreadable on the white.

class QWidget;

void UseLightPaper(QWidget* widget);

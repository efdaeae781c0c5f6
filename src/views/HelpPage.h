#pragma once
// The help pages the program ships, opened in the desktop's viewer by the
// main window and the editor alike.

#include "ports/MessageBox.h"

#include <QUrl>

#include <functional>
#include <string>

// Opens help/`file`: the copy in `home` when there is one, else the
// installed one. Says which file it could not open when neither opens.
// `openUrl` null: the desktop's viewer.
void OpenHelpPage(const std::string& home, const std::string& file,
                  const std::function<bool(const QUrl&)>& openUrl, IMessageBox& messages);

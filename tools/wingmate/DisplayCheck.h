#pragma once
// Qt ends with an abort and a page of advice when it cannot reach the X
// display; this says it in one line on standard error instead.

// False (after the line "wingmate: no display: WHY") when X11 is Qt's
// platform and its display cannot be opened. A platform named by
// QT_QPA_PLATFORM or -platform, or Wayland, answers for itself: true.
bool DisplayReachable(int argc, char** argv);

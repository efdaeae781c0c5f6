#pragma once
// Texts the Qt program shows, in the user's language, without the core
// needing Qt. UI_TEXT marks a fixed English text so that lupdate collects it
// (as QT_TRANSLATE_NOOP; one context, "Wingmate"); UiText and UiFormat give
// it translated through the hook the program sets, or the English as it is
// when none is set (the tools and the tests).

#include <initializer_list>
#include <string>

#define UI_TEXT(context, text) text

// The translation of a text marked with UI_TEXT; empty or unknown texts come
// back unchanged. Safe from any thread once set.
using UiTranslator = std::string (*)(const char* text);
void SetUiTranslator(UiTranslator translator);

std::string UiText(const char* text);

// `pattern` with %1 to %9 replaced by `args`, in one pass: a %n inside an
// argument stays as it is; a %n without an argument is kept too.
std::string FillText(const std::string& pattern, std::initializer_list<std::string> args);

// FillText(UiText(pattern), args).
std::string UiFormat(const char* pattern, std::initializer_list<std::string> args);

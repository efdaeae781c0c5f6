#pragma once
// Settings store in an INI-style text file: one "Name=Value" line per value
// under a "[Wingmate]" section. Backslashes and line breaks in values are
// escaped so that any text round-trips.

#include "ports/SettingsStore.h"

#include <string>
#include <string_view>

class CIniSettingsStore : public ISettingsStore {
public:
    explicit CIniSettingsStore(std::string path);

    bool Read(SettingsMap& values) override;
    bool WriteExisting(const SettingsList& values) override;
    bool Create(const SettingsList& values) override;
    bool Exists() const override;

    const std::string& Path() const { return path; }
    // Why the last read or write failed (path and reason).
    const std::string& LastError() const { return lastError; }

    // The values of a settings file's text (the reader behind Read).
    static void Parse(std::string_view text, SettingsMap& values);

    static std::string Escape(const std::string& text);
    static std::string Unescape(const std::string& text);

private:
    bool WriteLines(const std::string& content);

    std::string path;
    std::string lastError;
};

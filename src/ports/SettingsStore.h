#pragma once
// Port: where the program's settings live (a registry key on the original
// platform, an INI-style file here). Values are stored as text; numbers in
// decimal.

#include <map>
#include <string>
#include <utility>
#include <vector>

using SettingsMap = std::map<std::string, std::string>;
// Values to write, in the order they are written.
using SettingsList = std::vector<std::pair<std::string, std::string>>;

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // Fills `values` with every value present. false when the store does not
    // exist.
    virtual bool Read(SettingsMap& values) = 0;
    // Sets the values in an existing store, keeping any others it holds.
    // false (nothing written) when the store does not exist: it is never
    // created here.
    virtual bool WriteExisting(const SettingsList& values) = 0;
    // Creates the store holding these values (first start of the program).
    virtual bool Create(const SettingsList& values) = 0;
    virtual bool Exists() const = 0;
};

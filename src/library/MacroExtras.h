#pragma once
// What a macro carries beyond the fields of the library file: a typed
// abbreviation, the text it may be replaced with, and the windows its
// trigger is limited to. Kept in a sidecar file beside the library
// ("Macros.mcf.ext"), so the library file itself stays as it always was.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Which windows a trigger (keys or abbreviation) applies in. An empty
// pattern means every window.
struct WindowFilter {
    // "*" wildcards (the whole class or title, ignoring case), or a
    // regular expression searched in it when it starts with "re:".
    std::string pattern;
    bool matchTitle = false; // the title; else the class (either part)
    bool exclude = false;    // every window but the matching ones

    bool Empty() const { return pattern.empty(); }
    bool operator==(const WindowFilter&) const = default;
};

struct MacroExtras {
    static constexpr size_t kMaxAbbreviation = 32; // characters

    std::string abbreviation;       // empty: none
    bool expandImmediately = false; // no word end needed after it
    bool matchCase = false;         // "Sig" typed gives "Signature"
    // Typed instead of running the script when not empty: "$|$" marks where
    // the caret ends, "{clipboard}" and "{date:FORMAT}" are filled in.
    std::string replaceWithText;
    WindowFilter filter;

    bool Empty() const {
        return abbreviation.empty() && !expandImmediately && !matchCase &&
               replaceWithText.empty() && filter.Empty();
    }
    bool operator==(const MacroExtras&) const = default;
};

// Why these extras cannot work as they are (an abbreviation too long or
// not UTF-8, a regular expression that does not compile); empty when
// they can. The Manager form shows it at edit time, a load reports it.
std::string ExtrasProblem(const MacroExtras& extras);

// The extras as JSON object members (", \"abbreviation\": ..."), for the
// library's listings.
std::string ExtrasJsonMembers(const MacroExtras& extras);

// The sidecar file's text for these entries (id to extras, in id order);
// entries whose extras are empty are left out.
std::string EncodeExtrasFile(const std::map<int32_t, MacroExtras>& entries);

struct ExtrasFileRead {
    std::map<int32_t, MacroExtras> entries;
    // Set when the text is not a whole, well-formed sidecar: what is wrong,
    // with its line. Every entry that did read whole is still in `entries`.
    std::string damage;
};
ExtrasFileRead DecodeExtrasFile(std::string_view text);

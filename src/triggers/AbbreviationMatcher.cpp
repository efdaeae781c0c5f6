#include "triggers/AbbreviationMatcher.h"

#include "engine/Utf8.h"
#include "library/MacroLibrary.h"
#include "ports/Clock.h"

#include <algorithm>

namespace {

std::u32string Decode(std::string_view text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        out += length == 0 ? char32_t(0xFFFD) : Utf8CodeAt(text, i, length);
        i += length == 0 ? 1 : length;
    }
    return out;
}

bool IsLetter(char32_t c) {
    return FoldCase(c) != UpperCase(c);
}

} // namespace

char32_t FoldCase(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    // Latin Extended-A: upper and lower case side by side.
    const bool evenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1))
        return c + 1;
    return c;
}

char32_t UpperCase(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    const bool evenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && c % 2 == 1) || (oddUpper && c % 2 == 0))
        return c - 1;
    return c;
}

std::string ApplyTypedCase(std::string_view text, TypedCase typedCase, bool* firstDone) {
    bool done = firstDone && *firstDone;
    if (typedCase == TypedCase::AsWritten || (typedCase == TypedCase::Capitalized && done))
        return std::string(text);
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += text[i++];
            continue;
        }
        char32_t c = Utf8CodeAt(text, i, length);
        if (IsLetter(c) && (typedCase == TypedCase::Upper || !done)) {
            c = UpperCase(c);
            done = true;
        }
        AppendUtf8(out, c);
        i += length;
    }
    if (firstDone)
        *firstDone = done;
    return out;
}

bool CAbbreviationMatcher::IsWordEnd(char32_t c) {
    if (c < 0x80)
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' ||
               (c > ' ' && c < 0x7F && c != '_' && !(c >= '0' && c <= '9') &&
                !((c | 0x20) >= 'a' && (c | 0x20) <= 'z'));
    switch (c) {
    case 0xA0:   // no-break space
    case 0xA1:   // ¡
    case 0xAB:   // «
    case 0xBB:   // »
    case 0xBF:   // ¿
    case 0x2013: // –
    case 0x2014: // —
    case 0x2018:
    case 0x2019:
    case 0x201A:
    case 0x201C:
    case 0x201D:
    case 0x201E:
    case 0x2026: // …
        return true;
    default:
        return false;
    }
}

CAbbreviationMatcher::CAbbreviationMatcher(const IClock& clockRef) : clock(clockRef) {}

CAbbreviationMatcher::~CAbbreviationMatcher() {
    Clear();
}

void CAbbreviationMatcher::Update(const CMacroLibrary& library) {
    if (loaded && library.Revision() == seenRevision)
        return;
    loaded = true;
    seenRevision = library.Revision();
    entries.clear();
    byLast.clear();
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        const MacroExtras& extras = node.extras;
        // One that cannot work (too long, a broken filter) is left out; the
        // Manager says why.
        if (node.IsMacroSet() || extras.abbreviation.empty() || !ExtrasProblem(extras).empty())
            return true;
        Entry entry;
        entry.macroId = node.id;
        entry.written = Decode(extras.abbreviation);
        entry.text = entry.written;
        entry.matchCase = extras.matchCase;
        entry.immediate = extras.expandImmediately;
        entry.filter = extras.filter;
        if (entry.matchCase)
            for (char32_t& c : entry.text)
                c = FoldCase(c);
        entries.push_back(std::move(entry));
        return true;
    });
    for (size_t k = 0; k < entries.size(); ++k)
        byLast[entries[k].text.back()].push_back(k);
    for (auto& [last, list] : byLast)
        std::stable_sort(list.begin(), list.end(), [&](size_t a, size_t b) {
            return entries[a].text.size() > entries[b].text.size();
        });
}

void CAbbreviationMatcher::Clear() {
    kept.fill(0);
    keptCount = 0;
    startIsWordStart = true;
}

void CAbbreviationMatcher::OnBackspace() {
    const int64_t now = clock.Milliseconds();
    if (now - lastKeyAt >= kIdleMilliseconds || now < lastKeyAt)
        Clear();
    lastKeyAt = now;
    if (keptCount > 0)
        kept[--keptCount] = 0;
    else
        startIsWordStart = false; // erased into text we never saw
}

void CAbbreviationMatcher::Push(char32_t c) {
    if (keptCount == kKept) {
        std::move(kept.begin() + 1, kept.end(), kept.begin());
        --keptCount;
        startIsWordStart = false;
    }
    kept[keptCount++] = c;
}

// The kept characters end with the entry's text, where it may start.
bool CAbbreviationMatcher::EndsWith(const Entry& entry) const {
    const size_t length = entry.text.size();
    if (length > keptCount)
        return false;
    const size_t start = keptCount - length;
    for (size_t k = 0; k < length; ++k) {
        const char32_t typed = entry.matchCase ? FoldCase(kept[start + k]) : kept[start + k];
        if (typed != entry.text[k])
            return false;
    }
    // One that begins with a word end (";sig", ":)") may follow anything;
    // one that begins a word must begin one ("brb" not in "abrb").
    if (IsWordEnd(entry.written.front()))
        return true;
    return start == 0 ? startIsWordStart : IsWordEnd(kept[start - 1]);
}

// The longest abbreviation that the kept characters end with, the first in
// the library's order among equals, whose filter lets it apply here.
std::optional<AbbreviationHit> CAbbreviationMatcher::Find(bool immediate,
                                                          const ActiveWindow* window) const {
    if (keptCount == 0)
        return std::nullopt;
    const char32_t last = kept[keptCount - 1];
    const std::vector<size_t>* lists[2] = {nullptr, nullptr};
    if (auto it = byLast.find(last); it != byLast.end())
        lists[0] = &it->second;
    if (const char32_t folded = FoldCase(last); folded != last)
        if (auto it = byLast.find(folded); it != byLast.end())
            lists[1] = &it->second;
    const Entry* best = nullptr;
    size_t bestIndex = 0;
    for (const auto* list : lists) {
        if (!list)
            continue;
        for (size_t index : *list) {
            const Entry& entry = entries[index];
            if (best && (entry.text.size() < best->text.size() ||
                         (entry.text.size() == best->text.size() && index > bestIndex)))
                break;
            if (entry.immediate != immediate || !EndsWith(entry) ||
                !WindowFilterAllows(entry.filter, window))
                continue;
            best = &entry;
            bestIndex = index;
            break;
        }
    }
    if (!best)
        return std::nullopt;
    AbbreviationHit hit;
    hit.macroId = best->macroId;
    hit.erase = best->text.size();
    if (best->matchCase) {
        const size_t start = keptCount - best->text.size();
        size_t letters = 0, upper = 0;
        bool firstUpper = false, asWritten = true;
        for (size_t k = 0; k < best->text.size(); ++k) {
            const char32_t typed = kept[start + k];
            asWritten = asWritten && typed == best->written[k];
            if (!IsLetter(typed))
                continue;
            const bool isUpper = typed == UpperCase(typed);
            if (letters == 0)
                firstUpper = isUpper;
            ++letters;
            upper += isUpper ? 1 : 0;
        }
        if (!asWritten && letters > 1 && upper == letters)
            hit.typedCase = TypedCase::Upper;
        else if (!asWritten && firstUpper)
            hit.typedCase = TypedCase::Capitalized;
    }
    return hit;
}

std::optional<AbbreviationHit> CAbbreviationMatcher::OnTyped(std::string_view text,
                                                             const ActiveWindow* window,
                                                             bool passwordField) {
    const int64_t now = clock.Milliseconds();
    if (passwordField) {
        Clear();
        return std::nullopt;
    }
    if (now - lastKeyAt >= kIdleMilliseconds || now < lastKeyAt)
        Clear();
    lastKeyAt = now;
    std::optional<AbbreviationHit> hit;
    for (const char32_t c : Decode(text)) {
        // A hit must be the last thing typed, or the erase would take the
        // characters typed after it.
        hit.reset();
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            Clear();
            continue;
        }
        if (IsWordEnd(c)) {
            hit = Find(false, window);
            if (hit) {
                ++hit->erase;
                AppendUtf8(hit->wordEnd, c);
                Clear();
                continue;
            }
        }
        Push(c);
        hit = Find(true, window);
        if (hit)
            Clear();
    }
    return hit;
}

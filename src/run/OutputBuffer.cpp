#include "run/OutputBuffer.h"

#include <utility>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of `s`, or 0
// when its first byte does not begin one (stray, overlong, surrogate, beyond
// U+10FFFF, or cut short).
size_t SequenceLength(std::string_view s) {
    const auto lead = static_cast<unsigned char>(s[0]);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else
        return 0;
    if (s.size() < length)
        return 0;
    const auto second = static_cast<unsigned char>(s[1]);
    if (second < low || second > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(s[i])))
            return 0;
    return length;
}

bool NeedsNormalizing(std::string_view text) {
    for (char c : text)
        if (c == '\r' || static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

} // namespace

std::string NormalizedOutput(std::string_view text) {
    if (!NeedsNormalizing(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (c == '\r') {
            out += '\n';
            at += at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
            continue;
        }
        const size_t length = SequenceLength(text.substr(at));
        if (length == 0) {
            out += kReplacement;
            ++at;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

size_t CountCodePoints(std::string_view text) {
    size_t count = 0;
    for (char c : text)
        count += !IsContinuation(static_cast<unsigned char>(c));
    return count;
}

size_t TailOffset(std::string_view text, size_t chars, size_t keep) {
    if (chars <= keep)
        return 0;
    size_t skip = chars - keep; // code points to pass over
    size_t at = 0;
    while (at < text.size()) {
        if (!IsContinuation(static_cast<unsigned char>(text[at]))) {
            if (skip == 0)
                break;
            --skip;
        }
        ++at;
    }
    return at;
}

COutputBuffer::COutputBuffer(size_t limitChars) : limit(limitChars) {}

bool COutputBuffer::Append(std::string_view text) {
    std::string given(text);
    std::string shown = NormalizedOutput(text);
    size_t chars = CountCodePoints(shown);
    // A text longer than the limit on its own: only its tail can show.
    if (chars > limit) {
        shown.erase(0, TailOffset(shown, chars, limit));
        chars = limit;
    }
    std::lock_guard<std::mutex> lock(mutex);
    last.swap(given);
    pending += shown;
    pendingChars += chars;
    // Trimmed down to the limit once twice the limit is pending, so each
    // byte is moved at most once more: linear in what the script prints.
    if (pendingChars > 2 * limit) {
        pending.erase(0, TailOffset(pending, pendingChars, limit));
        pendingChars = limit;
    }
    const bool wake = !wakeSent;
    wakeSent = true;
    return wake;
}

std::string COutputBuffer::Take() {
    std::string taken;
    size_t chars = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        taken.swap(pending);
        chars = pendingChars;
        pendingChars = 0;
        wakeSent = false;
    }
    taken.erase(0, TailOffset(taken, chars, limit));
    return taken;
}

void COutputBuffer::Clear() {
    std::string dropped;
    std::lock_guard<std::mutex> lock(mutex);
    dropped.swap(pending);
    pendingChars = 0;
}

std::string COutputBuffer::LastText() const {
    std::lock_guard<std::mutex> lock(mutex);
    return last;
}

size_t COutputBuffer::PendingChars() const {
    std::lock_guard<std::mutex> lock(mutex);
    return pendingChars;
}

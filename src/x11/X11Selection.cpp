#include "x11/X11Selection.h"

#include "engine/Utf8.h"

#include <X11/Xatom.h>

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

X11SelectionAtoms::X11SelectionAtoms(Display* display) {
    const char* names[] = {"CLIPBOARD",   "TARGETS",
                           "TIMESTAMP",   "MULTIPLE",
                           "UTF8_STRING", "TEXT",
                           "INCR",        "text/plain;charset=utf-8",
                           "text/plain",  "WINGMATE_SELECTION"};
    Atom found[std::size(names)] = {};
    XInternAtoms(display, const_cast<char**>(names), static_cast<int>(std::size(names)), False,
                 found);
    clipboard = found[0], targets = found[1], timestamp = found[2], multiple = found[3];
    utf8 = found[4], text = found[5], incr = found[6], plainUtf8 = found[7], plain = found[8];
    property = found[9];
}

std::string SelectionLabel(const X11SelectionAtoms& atoms, Atom selection) {
    if (selection == atoms.clipboard)
        return "the clipboard";
    return selection == XA_PRIMARY ? "the primary selection" : "the selection";
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char byte : latin1)
        AppendUtf8(out, static_cast<unsigned char>(byte));
    return out;
}

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = std::max<size_t>(1, Utf8SequenceLength(utf8, i));
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (length == 1)
            out += lead < 0x80 ? static_cast<char>(lead) : '?';
        else if (length == 2 && lead <= 0xC3) // U+0080 to U+00FF
            out += static_cast<char>(((lead & 0x03) << 6) | (utf8[i + 1] & 0x3F));
        else
            out += '?';
        i += length;
    }
    return out;
}

namespace {

enum class Wait { Got, TimedOut, Stopped };

// Waits for an event `matches` accepts, taking it off the queue.
template <typename Match>
Wait WaitForEvent(Display* display, XEvent& event, const std::function<bool()>& stopRequested,
                  Match matches) {
    const auto deadline = std::chrono::steady_clock::now() + kSelectionAnswerTime;
    for (;;) {
        while (XPending(display)) {
            XNextEvent(display, &event);
            if (matches(event))
                return Wait::Got;
        }
        if (stopRequested && stopRequested())
            return Wait::Stopped;
        if (std::chrono::steady_clock::now() >= deadline)
            return Wait::TimedOut;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 5);
    }
}

struct Property {
    Atom type = None;
    int format = 0;
    std::string bytes;
};

// The whole of `property` on `window`, deleted once read when `remove`.
bool ReadProperty(Display* display, Window window, Atom property, bool remove, Property& out) {
    out = {};
    long offset = 0; // in 32-bit units
    for (;;) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        constexpr long kChunkUnits = 1 << 20;
        if (XGetWindowProperty(display, window, property, offset, kChunkUnits, False,
                               AnyPropertyType, &type, &format, &count, &after, &data) != Success)
            return false;
        out.type = type;
        out.format = format;
        // Xlib hands 32-bit items as longs.
        const size_t itemSize = format == 32 ? sizeof(long) : static_cast<size_t>(format) / 8;
        if (data && count)
            out.bytes.append(reinterpret_cast<const char*>(data), count * itemSize);
        if (data)
            XFree(data);
        if (after == 0 || type == None)
            break;
        offset += static_cast<long>(count * static_cast<unsigned long>(format) / 32);
        if (out.bytes.size() > kMaxSelectionText)
            return false;
    }
    if (remove)
        XDeleteProperty(display, window, property);
    return true;
}

class Reader {
public:
    Reader(Display* d, Window w, const X11SelectionAtoms& a, Atom s,
           const std::function<bool()>& stop)
        : display(d), requestor(w), atoms(a), selection(s), stopRequested(stop) {}

    // Converts to `target`; `refused` when the owner cannot give it.
    DesktopResult Convert(Atom target, Property& got, bool& refused) {
        refused = false;
        XDeleteProperty(display, requestor, atoms.property);
        XConvertSelection(display, selection, target, atoms.property, requestor, CurrentTime);
        XFlush(display);
        XEvent event;
        const Wait wait = WaitForEvent(display, event, stopRequested, [&](const XEvent& e) {
            return e.type == SelectionNotify && e.xselection.requestor == requestor &&
                   e.xselection.selection == selection;
        });
        if (wait != Wait::Got)
            return Failed(wait);
        if (event.xselection.property == None) {
            refused = true;
            return DesktopResult::Ok();
        }
        if (!ReadProperty(display, requestor, event.xselection.property, true, got))
            return TooLarge();
        if (got.type == atoms.incr)
            return Incremental(got);
        return DesktopResult::Ok();
    }

private:
    // The owner writes the text in chunks, each after we deleted the last;
    // an empty chunk ends it.
    DesktopResult Incremental(Property& got) {
        got = {};
        XFlush(display);
        for (;;) {
            XEvent event;
            const Wait wait = WaitForEvent(display, event, stopRequested, [&](const XEvent& e) {
                return e.type == PropertyNotify && e.xproperty.window == requestor &&
                       e.xproperty.atom == atoms.property && e.xproperty.state == PropertyNewValue;
            });
            if (wait != Wait::Got)
                return Failed(wait);
            Property chunk;
            if (!ReadProperty(display, requestor, atoms.property, true, chunk))
                return TooLarge();
            XFlush(display);
            if (chunk.bytes.empty())
                return DesktopResult::Ok();
            got.type = chunk.type;
            got.format = chunk.format;
            got.bytes += chunk.bytes;
            if (got.bytes.size() > kMaxSelectionText)
                return TooLarge();
        }
    }

    DesktopResult Failed(Wait wait) const {
        if (wait == Wait::Stopped)
            return DesktopResult::Fail("stopped");
        return DesktopResult::Fail(
            SelectionLabel(atoms, selection) + "'s owner did not answer within " +
            std::to_string(kSelectionAnswerTime.count() / 1000) + " seconds");
    }
    DesktopResult TooLarge() const {
        return DesktopResult::Fail(SelectionLabel(atoms, selection) +
                                   " holds more than 256 MiB of text");
    }

    Display* display;
    Window requestor;
    const X11SelectionAtoms& atoms;
    Atom selection;
    const std::function<bool()>& stopRequested;
};

// The text types an owner offers, best first: Unicode ones, then Latin-1,
// then whatever TEXT gives.
std::vector<Atom> TextTargets(const X11SelectionAtoms& atoms, const Property& offered) {
    std::vector<Atom> offeredAtoms;
    if (offered.format == 32)
        for (size_t at = 0; at + sizeof(Atom) <= offered.bytes.size(); at += sizeof(Atom)) {
            Atom atom = None;
            std::memcpy(&atom, offered.bytes.data() + at, sizeof atom);
            offeredAtoms.push_back(atom);
        }
    std::vector<Atom> chosen;
    for (Atom type : {atoms.utf8, atoms.plainUtf8, Atom(XA_STRING), atoms.text, atoms.plain})
        if (std::find(offeredAtoms.begin(), offeredAtoms.end(), type) != offeredAtoms.end())
            chosen.push_back(type);
    return chosen;
}

} // namespace

DesktopResult X11ReadSelectionText(Display* display, Window requestor,
                                   const X11SelectionAtoms& atoms, Atom selection,
                                   std::string& text, const std::function<bool()>& stopRequested) {
    text.clear();
    // Events of an earlier read that was cut short mean nothing now.
    XSync(display, True);
    if (XGetSelectionOwner(display, selection) == None)
        return DesktopResult::Ok();
    Reader reader(display, requestor, atoms, selection, stopRequested);
    Property got;
    bool refused = false;
    if (DesktopResult asked = reader.Convert(atoms.targets, got, refused); !asked.ok)
        return asked;
    // An owner that does not list its targets may still give text.
    const std::vector<Atom> candidates =
        refused ? std::vector<Atom>{atoms.utf8, XA_STRING} : TextTargets(atoms, got);
    for (Atom target : candidates) {
        if (DesktopResult converted = reader.Convert(target, got, refused); !converted.ok)
            return converted;
        if (refused)
            continue;
        if (got.type == XA_STRING)
            text = Latin1ToUtf8(got.bytes);
        else if (got.type == atoms.utf8 || Utf8InvalidAt(got.bytes) == std::string::npos)
            text = std::move(got.bytes);
        else
            continue; // COMPOUND_TEXT and the like: the next type may serve
        return DesktopResult::Ok();
    }
    return DesktopResult::Ok(); // no text: an image, say
}

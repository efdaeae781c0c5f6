#include "x11/X11SelectionOwner.h"

#include "x11/X11Display.h"

#include <X11/Xatom.h>

#include <algorithm>

namespace {

// A transfer whose reader took no chunk for this long is given up.
constexpr std::chrono::seconds kStalledTransfer{10};
// INCR chunks: small enough for any server, large enough to be quick.
constexpr size_t kIncrChunk = 64 * 1024;

Bool IsTimestampEcho(Display*, XEvent* event, XPointer arg) {
    const auto* owner = reinterpret_cast<const std::pair<Window, Atom>*>(arg);
    return event->type == PropertyNotify && event->xproperty.window == owner->first &&
           event->xproperty.atom == owner->second;
}

} // namespace

std::unique_ptr<CX11SelectionOwner> CX11SelectionOwner::Open(const std::string& displayName,
                                                             std::string& why) {
    Display* display = OpenX11Display(displayName, why);
    if (!display)
        return nullptr;
    return std::unique_ptr<CX11SelectionOwner>(new CX11SelectionOwner(display));
}

CX11SelectionOwner::CX11SelectionOwner(Display* openDisplay)
    : display(openDisplay), atoms(openDisplay),
      window(XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)),
      // The request header takes 24 bytes; the rest may carry the property.
      chunkLimit(std::min<size_t>(kIncrChunk, XMaxRequestSize(display) * 4 - 24)) {
    XSelectInput(display, window, PropertyChangeMask);
    XStoreName(display, window, "Wingmate clipboard");
    XFlush(display);
}

CX11SelectionOwner::~CX11SelectionOwner() {
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

// The server's time now, read from a change of our own window's property:
// ownership taken at CurrentTime could be refused or misordered.
Time CX11SelectionOwner::ServerTime() {
    XChangeProperty(display, window, atoms.timestamp, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    std::pair<Window, Atom> which{window, atoms.timestamp};
    XEvent event;
    XIfEvent(display, &event, IsTimestampEcho, reinterpret_cast<XPointer>(&which));
    return event.xproperty.time;
}

bool CX11SelectionOwner::Take(std::shared_ptr<const std::string> newText, std::string& why) {
    const Time now = ServerTime();
    XSetSelectionOwner(display, atoms.clipboard, window, now);
    if (XGetSelectionOwner(display, atoms.clipboard) != window) {
        why = "the X server did not make Wingmate the clipboard's owner";
        return false;
    }
    text = std::move(newText);
    ownedSince = now;
    owned = true;
    return true;
}

void CX11SelectionOwner::HandlePending() {
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        Handle(event);
    }
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(transfers,
                  [now](const Transfer& t) { return now - t.lastStep > kStalledTransfer; });
    XFlush(display);
}

void CX11SelectionOwner::Handle(const XEvent& event) {
    switch (event.type) {
    case SelectionClear:
        if (event.xselectionclear.selection == atoms.clipboard) {
            owned = false;
            text.reset(); // transfers under way keep their own copy
        }
        break;
    case SelectionRequest:
        Answer(event.xselectionrequest);
        break;
    case PropertyNotify:
        if (event.xproperty.state == PropertyDelete)
            Continue(event.xproperty);
        break;
    default:
        break;
    }
}

void CX11SelectionOwner::Answer(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None; // refused unless answered below
    // Clients older than ICCCM 2 name no property: the target names it.
    const Atom property = request.property == None ? request.target : request.property;
    const bool ours = owned && request.selection == atoms.clipboard &&
                      (request.time == CurrentTime || request.time >= ownedSince);
    if (ours) {
        if (request.target == atoms.targets) {
            const Atom offered[] = {atoms.targets, atoms.timestamp, atoms.utf8, atoms.text,
                                    XA_STRING};
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered),
                            static_cast<int>(std::size(offered)));
            reply.property = property;
        } else if (request.target == atoms.timestamp) {
            const long time = static_cast<long>(ownedSince);
            XChangeProperty(display, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&time), 1);
            reply.property = property;
        } else if (request.target == atoms.utf8 || request.target == atoms.text) {
            Send(request.requestor, property, atoms.utf8, text);
            reply.property = property;
        } else if (request.target == XA_STRING) {
            Send(request.requestor, property, XA_STRING,
                 std::make_shared<const std::string>(Utf8ToLatin1(*text)));
            reply.property = property;
        }
    }
    XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

void CX11SelectionOwner::Send(Window requestor, Atom property, Atom type,
                              std::shared_ptr<const std::string> data) {
    if (data->size() <= chunkLimit) {
        XChangeProperty(display, requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data->data()),
                        static_cast<int>(data->size()));
        return;
    }
    // The reader deletes the INCR property to ask for each chunk.
    XSelectInput(display, requestor, PropertyChangeMask);
    const long size = static_cast<long>(data->size());
    XChangeProperty(display, requestor, property, atoms.incr, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&size), 1);
    std::erase_if(transfers, [&](const Transfer& t) {
        return t.requestor == requestor && t.property == property;
    });
    transfers.push_back(
        {requestor, property, type, std::move(data), 0, std::chrono::steady_clock::now()});
}

void CX11SelectionOwner::Continue(const XPropertyEvent& event) {
    auto it = std::find_if(transfers.begin(), transfers.end(), [&](const Transfer& t) {
        return t.requestor == event.window && t.property == event.atom;
    });
    if (it == transfers.end())
        return;
    Transfer& t = *it;
    const size_t length = std::min(chunkLimit, t.data->size() - t.sent);
    XChangeProperty(display, t.requestor, t.property, t.type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(t.data->data() + t.sent),
                    static_cast<int>(length));
    t.sent += length;
    t.lastStep = std::chrono::steady_clock::now();
    if (length == 0) { // the empty chunk that ends the transfer
        const Window requestor = t.requestor;
        transfers.erase(it);
        const bool more = std::any_of(transfers.begin(), transfers.end(),
                                      [&](const Transfer& o) { return o.requestor == requestor; });
        if (!more)
            XSelectInput(display, requestor, NoEventMask);
    }
}

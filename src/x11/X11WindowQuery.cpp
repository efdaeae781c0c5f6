#include "x11/X11WindowQuery.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

std::string X11WindowTitle(Display* display, Window window) {
    // _NET_WM_NAME is UTF-8 already.
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    std::string title;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 65536,
                           False, utf8, &actualType, &format, &count, &remaining,
                           &data) == Success &&
        data && actualType == utf8 && format == 8)
        title.assign(reinterpret_cast<char*>(data), count);
    if (data)
        XFree(data);
    if (!title.empty())
        return title;
    // WM_NAME in whatever encoding it carries, converted to UTF-8.
    XTextProperty property{};
    if (!XGetWMName(display, window, &property) || !property.value)
        return title;
    char** list = nullptr;
    int items = 0;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &items) >= Success && list) {
        for (int i = 0; i < items; ++i)
            title += list[i];
        XFreeStringList(list);
    }
    XFree(property.value);
    return title;
}

Window X11ActiveWindow(Display* display) {
    const Window root = DefaultRootWindow(display);
    bool found = false;
    const Window active = X11CardinalProperty(
        display, root, XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, found);
    if (found && active != None)
        return active;
    // Without a window manager: the focus window's nearest titled ancestor.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    while (focus != None && focus != PointerRoot && focus != root) {
        if (!X11WindowTitle(display, focus).empty())
            return focus;
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, focus, &rootReturn, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        focus = parent;
    }
    return None;
}

unsigned long X11CardinalProperty(Display* display, Window window, Atom property, Atom type,
                                  bool& found) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    found = false;
    if (XGetWindowProperty(display, window, property, 0, 1, False, type, &actualType, &format,
                           &count, &remaining, &data) == Success &&
        data && actualType == type && format == 32 && count >= 1) {
        value = *reinterpret_cast<unsigned long*>(data);
        found = true;
    }
    if (data)
        XFree(data);
    return value;
}

#include "x11/X11Compose.h"

#include <cstdlib>

#ifdef WINGMATE_HAVE_XKBCOMMON
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>
#endif

namespace {

// The dead-key keysyms (dead_grave .. dead_longsolidusoverlay): they type
// nothing by themselves.
bool IsDeadKeysym(uint32_t keysym) {
    return keysym >= 0xFE50 && keysym <= 0xFE93;
}

#ifdef WINGMATE_HAVE_XKBCOMMON
// The locale input methods use for character handling.
std::string EnvironmentLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return value;
    return "C";
}
#endif

} // namespace

struct CKeyComposer::Impl {
#ifdef WINGMATE_HAVE_XKBCOMMON
    ~Impl() {
        xkb_compose_state_unref(state);
        xkb_compose_table_unref(table);
        xkb_context_unref(context);
    }
    xkb_context* context = nullptr;
    xkb_compose_table* table = nullptr;
    xkb_compose_state* state = nullptr;
#endif
};

CKeyComposer::CKeyComposer(const std::string& locale) : impl(std::make_unique<Impl>()) {
#ifdef WINGMATE_HAVE_XKBCOMMON
    impl->context = xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES);
    if (!impl->context)
        return;
    // Compose files written for other encodings warn line by line; the
    // recorder has no use for that on the terminal.
    xkb_context_set_log_level(impl->context, XKB_LOG_LEVEL_CRITICAL);
    const std::string wanted = locale.empty() ? EnvironmentLocale() : locale;
    for (const std::string& name : {wanted, std::string("en_US.UTF-8")}) {
        impl->table = xkb_compose_table_new_from_locale(impl->context, name.c_str(),
                                                        XKB_COMPOSE_COMPILE_NO_FLAGS);
        if (impl->table)
            break;
    }
    if (impl->table)
        impl->state = xkb_compose_state_new(impl->table, XKB_COMPOSE_STATE_NO_FLAGS);
#else
    (void)locale;
#endif
}

CKeyComposer::~CKeyComposer() = default;

bool CKeyComposer::HasTable() const {
#ifdef WINGMATE_HAVE_XKBCOMMON
    return impl->state != nullptr;
#else
    return false;
#endif
}

void CKeyComposer::Reset() {
#ifdef WINGMATE_HAVE_XKBCOMMON
    if (impl->state)
        xkb_compose_state_reset(impl->state);
#endif
}

CKeyComposer::Result CKeyComposer::Feed(uint32_t keysym, std::string text) {
    Result result;
#ifdef WINGMATE_HAVE_XKBCOMMON
    if (impl->state) {
        // Modifier keys do not take part: the sequence goes on past them.
        if (xkb_compose_state_feed(impl->state, keysym) == XKB_COMPOSE_FEED_IGNORED) {
            result.text = std::move(text);
            return result;
        }
        switch (xkb_compose_state_get_status(impl->state)) {
        case XKB_COMPOSE_COMPOSING:
            result.swallowed = true;
            return result;
        case XKB_COMPOSE_COMPOSED: {
            char buffer[64] = {};
            const int length = xkb_compose_state_get_utf8(impl->state, buffer, sizeof buffer);
            if (length > 0 && static_cast<size_t>(length) < sizeof buffer) {
                result.text.assign(buffer, static_cast<size_t>(length));
            } else {
                const int written = xkb_keysym_to_utf8(xkb_compose_state_get_one_sym(impl->state),
                                                       buffer, sizeof buffer);
                if (written > 1)
                    result.text = buffer;
            }
            xkb_compose_state_reset(impl->state);
            return result;
        }
        case XKB_COMPOSE_CANCELLED:
            xkb_compose_state_reset(impl->state);
            // A dead key that cancels starts nothing new and types nothing.
            result.swallowed = IsDeadKeysym(keysym);
            if (!result.swallowed)
                result.text = std::move(text);
            return result;
        case XKB_COMPOSE_NOTHING:
            break;
        }
    }
#endif
    // No table, or a key no sequence starts with: dead keys type nothing.
    result.swallowed = IsDeadKeysym(keysym);
    if (!result.swallowed)
        result.text = std::move(text);
    return result;
}

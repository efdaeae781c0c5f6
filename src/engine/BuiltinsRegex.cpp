// Regular expressions: Perl-compatible (PCRE2) on UTF-8 text, with Unicode
// classes, so `.` is one character and `\w` matches letters of any script.
#define PCRE2_CODE_UNIT_WIDTH 8
#include "engine/Builtins.h"

#include <pcre2.h>

#include <list>
#include <memory>
#include <string>
#include <utility>

namespace tessera {

namespace {

// Bounds on one match, so a pattern that backtracks without end fails with
// a message instead of holding the script (and its Stop) for minutes.
constexpr uint32_t kMatchLimit = 20'000'000;
constexpr uint32_t kDepthLimit = 100'000;

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct ContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
using Code = std::shared_ptr<pcre2_code>;

std::string ErrorText(int code) {
    PCRE2_UCHAR buffer[256];
    if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0)
        return "error " + std::to_string(code);
    return reinterpret_cast<const char*>(buffer);
}

// Compiled patterns, most recent first: scripts use a few patterns in loops.
Code Compile(const std::string& pattern) {
    thread_local std::list<std::pair<std::string, Code>> recent;
    for (auto it = recent.begin(); it != recent.end(); ++it)
        if (it->first == pattern) {
            recent.splice(recent.begin(), recent, it);
            return it->second;
        }
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     PCRE2_UTF | PCRE2_UCP, &error, &offset, nullptr);
    if (!code)
        throw ScriptError{"bad pattern at offset " + std::to_string(offset) + ": " +
                          ErrorText(error)};
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE); // where JIT is unavailable, interpreted
    Code shared(code, CodeFree{});
    recent.emplace_front(pattern, shared);
    if (recent.size() > 16)
        recent.pop_back();
    return shared;
}

// The error of a match or substitution, said in the script's terms.
void ThrowOnError(int rc, pcre2_match_data* data) {
    if (rc >= 0)
        return;
    if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT)
        throw ScriptError{"the pattern needs too much backtracking on this text"};
    if (rc <= PCRE2_ERROR_UTF8_ERR1 && rc >= PCRE2_ERROR_UTF8_ERR21)
        throw ScriptError{"the text is not valid UTF-8 (at byte " +
                          std::to_string(pcre2_get_startchar(data)) + ")"};
    throw ScriptError{ErrorText(rc)};
}

pcre2_match_context* Limits() {
    thread_local std::unique_ptr<pcre2_match_context, ContextFree> context = [] {
        std::unique_ptr<pcre2_match_context, ContextFree> made(pcre2_match_context_create(nullptr));
        pcre2_set_match_limit(made.get(), kMatchLimit);
        pcre2_set_depth_limit(made.get(), kDepthLimit);
        return made;
    }();
    return context.get();
}

// One search from `from`; false when nothing matches there or after.
class Matcher {
public:
    Matcher(const std::string& subject, const std::string& pattern)
        : text(subject), code(Compile(pattern)),
          data(pcre2_match_data_create_from_pattern(code.get(), nullptr)) {
        if (!data)
            throw ScriptError{"out of memory"};
    }

    bool Next(size_t from) {
        // The whole text is checked for UTF-8 once; later searches of it
        // start at character boundaries this class found.
        const uint32_t options = checked ? PCRE2_NO_UTF_CHECK : 0;
        const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()),
                                   text.size(), from, options, data.get(), Limits());
        if (rc == PCRE2_ERROR_NOMATCH) {
            checked = true;
            return false;
        }
        if (rc == PCRE2_ERROR_BADUTFOFFSET)
            throw ScriptError{"the start " + std::to_string(from) + " is inside a character"};
        ThrowOnError(rc, data.get());
        checked = true;
        groups = pcre2_get_ovector_count(data.get());
        return true;
    }

    size_t Start() const { return pcre2_get_ovector_pointer(data.get())[0]; }
    size_t End() const { return pcre2_get_ovector_pointer(data.get())[1]; }

    // The whole match and each group ("" for a group that took no part).
    Value Groups(BuiltinContext& ctx) const {
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data.get());
        ListObj* list = ctx.heap->NewList();
        Value made = Value::List(list);
        list->items.reserve(groups);
        for (uint32_t k = 0; k < groups; ++k) {
            const PCRE2_SIZE first = vector[2 * k], last = vector[2 * k + 1];
            list->items.push_back(Value::Str(first == PCRE2_UNSET || last < first
                                                 ? std::string()
                                                 : text.substr(first, last - first)));
        }
        return made;
    }

    // Where to search after the match: past it, or one character on when it
    // was empty, so that an empty match cannot repeat forever.
    size_t After() const {
        size_t next = End();
        if (next == Start() && next < text.size()) {
            ++next;
            while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
                ++next;
        }
        return next;
    }

    const std::string& text;

private:
    Code code;
    std::unique_ptr<pcre2_match_data, MatchDataFree> data;
    uint32_t groups = 0;
    bool checked = false;
};

size_t StartArgument(const Value* args, int argc, int index, const std::string& text) {
    if (argc <= index)
        return 0;
    const int64_t from = ArgInt(args, index);
    if (from < 0 || static_cast<uint64_t>(from) > text.size())
        throw ScriptError{"start " + std::to_string(from) + " out of range (the text has " +
                          std::to_string(text.size()) + " bytes)"};
    return static_cast<size_t>(from);
}

void ReMatch(BuiltinContext&, Value* args, int, Value& result) {
    Matcher matcher(ArgStr(args, 0), ArgStr(args, 1));
    result.SetBool(matcher.Next(0));
}

void ReFind(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    Matcher matcher(ArgStr(args, 0), ArgStr(args, 1));
    if (matcher.Next(StartArgument(args, argc, 2, matcher.text)))
        result = matcher.Groups(ctx);
    else
        result = Value::List(ctx.heap->NewList());
}

void ReFindAll(BuiltinContext& ctx, Value* args, int, Value& result) {
    Matcher matcher(ArgStr(args, 0), ArgStr(args, 1));
    ListObj* all = ctx.heap->NewList();
    result = Value::List(all);
    for (size_t from = 0; from <= matcher.text.size() && matcher.Next(from);
         from = matcher.After()) {
        if (all->items.size() >= ctx.maxList)
            throw ScriptError{"too many matches"};
        all->items.push_back(matcher.Groups(ctx));
        if (matcher.End() == matcher.text.size() && matcher.Start() == matcher.End())
            break;
        if (ctx.StopRequested())
            throw StopSignal{"script stopped"};
    }
}

void ReSplit(BuiltinContext& ctx, Value* args, int, Value& result) {
    Matcher matcher(ArgStr(args, 0), ArgStr(args, 1));
    const std::string& text = matcher.text;
    ListObj* parts = ctx.heap->NewList();
    result = Value::List(parts);
    size_t pieceStart = 0, from = 0;
    while (from <= text.size() && matcher.Next(from)) {
        // An empty match at the piece's start or the text's end splits
        // nothing there.
        if (matcher.End() == matcher.Start() &&
            (matcher.Start() == pieceStart || matcher.Start() == text.size())) {
            if (matcher.Start() >= text.size())
                break;
            from = matcher.After();
            continue;
        }
        if (parts->items.size() >= ctx.maxList)
            throw ScriptError{"too many parts"};
        parts->items.push_back(Value::Str(text.substr(pieceStart, matcher.Start() - pieceStart)));
        pieceStart = matcher.End();
        from = matcher.After();
    }
    parts->items.push_back(Value::Str(text.substr(pieceStart)));
}

// `$1`, `${name}` and `$$` in the replacement; every match is replaced.
void ReReplace(BuiltinContext& ctx, Value* args, int, Value& result) {
    const std::string& text = ArgStr(args, 0);
    const Code code = Compile(ArgStr(args, 1));
    const std::string& replacement = ArgStr(args, 2);
    std::unique_ptr<pcre2_match_data, MatchDataFree> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    const uint32_t options =
        PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_UNSET_EMPTY | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    std::string out(text.size() + replacement.size() + 64, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE length = out.size();
        const int rc = pcre2_substitute(
            code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, options,
            data.get(), Limits(), reinterpret_cast<PCRE2_SPTR>(replacement.data()),
            replacement.size(), reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
        if (rc == PCRE2_ERROR_NOMEMORY && attempt == 0) {
            if (length > ctx.maxString)
                throw ScriptError{"result too long"};
            out.assign(length, '\0');
            continue;
        }
        ThrowOnError(rc, data.get());
        out.resize(length);
        return SetStr(result, std::move(out), ctx);
    }
    throw ScriptError{"result too long"};
}

} // namespace

const BuiltinInfo kRegexBuiltins[] = {
    {"ReMatch", 2, 2, DeclType::Bool, ReMatch},     {"ReFind", 2, 3, DeclType::List, ReFind},
    {"ReFindAll", 2, 2, DeclType::List, ReFindAll}, {"ReReplace", 3, 3, DeclType::Str, ReReplace},
    {"ReSplit", 2, 2, DeclType::List, ReSplit},     {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera

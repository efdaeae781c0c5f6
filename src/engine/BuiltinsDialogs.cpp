// Builtins that ask the user (Choose, Confirm, ChooseFile, ChooseFolder) and
// tell the user (Notify), through the IScriptDialogs port.
#include "engine/Builtins.h"

#include "ports/Dialogs.h"

#include <filesystem>
#include <system_error>

namespace tessera {

namespace {

IScriptDialogs& DialogsOf(const BuiltinContext& ctx) {
    if (!ctx.dialogs)
        throw ScriptError{"no display or terminal to ask on"};
    return *ctx.dialogs;
}

// A dialog's outcome: a failure is the builtin's error; a Stop while the
// dialog was open ends the script.
void Finish(const BuiltinContext& ctx, const DesktopResult& r) {
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
    if (!r.ok)
        throw ScriptError{r.error.empty() ? std::string("failed") : r.error};
}

IScriptDialogs::StopCheck StopCheckOf(const BuiltinContext& ctx) {
    return [&ctx] { return ctx.StopRequested(); };
}

// Where a chooser starts: "" (the current folder) or a folder that exists.
std::string FolderArg(const Value* args, int argc, int index) {
    if (argc <= index)
        return "";
    const std::string& folder = ArgStr(args, index);
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        throw ScriptError{"no folder '" + folder + "'"};
    return folder;
}

void SetAnswer(Value& result, const std::optional<std::string>& answer, BuiltinContext& ctx) {
    SetStr(result, answer.value_or(std::string()), ctx);
}

// Choose(prompt, list [, default]): the picked string, "" when cancelled.
void Choose(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    const std::string prompt = ToText(args[0]);
    const ListObj* list = ArgList(args, 1);
    if (list->items.empty())
        throw ScriptError{"the list is empty"};
    std::vector<std::string> items;
    items.reserve(list->items.size());
    for (size_t k = 0; k < list->items.size(); ++k) {
        const Value& item = list->items[k];
        if (item.type != ValueType::Str)
            throw ScriptError{"element " + std::to_string(k) + " is " +
                              (item.type == ValueType::Int ? "an " : "a ") + TypeName(item.type) +
                              ", not a string"};
        items.push_back(item.AsStr());
    }
    size_t selected = 0;
    if (argc > 2) {
        const std::string& wanted = ArgStr(args, 2);
        while (selected < items.size() && items[selected] != wanted)
            ++selected;
        if (selected == items.size())
            throw ScriptError{"the default \"" + wanted + "\" is not in the list"};
    }
    std::optional<size_t> chosen;
    Finish(ctx, DialogsOf(ctx).Choose(prompt, items, selected, chosen, StopCheckOf(ctx)));
    if (chosen && *chosen >= items.size())
        throw ScriptError{"the dialog answered item " + std::to_string(*chosen) + " of " +
                          std::to_string(items.size())};
    SetStr(result, chosen ? items[*chosen] : std::string(), ctx);
}

// Confirm(text): true for Yes.
void Confirm(BuiltinContext& ctx, Value* args, int, Value& result) {
    bool yes = false;
    Finish(ctx, DialogsOf(ctx).Confirm(ToText(args[0]), yes, StopCheckOf(ctx)));
    result.SetBool(yes);
}

// ChooseFile([folder [, filter]]): a path, "" when cancelled.
void ChooseFile(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    const std::string folder = FolderArg(args, argc, 0);
    const std::string filter = argc > 1 ? ArgStr(args, 1) : std::string();
    std::optional<std::string> path;
    Finish(ctx, DialogsOf(ctx).ChooseFile(folder, filter, path, StopCheckOf(ctx)));
    SetAnswer(result, path, ctx);
}

// ChooseFolder([folder]): a path, "" when cancelled.
void ChooseFolder(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    const std::string folder = FolderArg(args, argc, 0);
    std::optional<std::string> path;
    Finish(ctx, DialogsOf(ctx).ChooseFolder(folder, path, StopCheckOf(ctx)));
    SetAnswer(result, path, ctx);
}

// Notify(title, text)
void Notify(BuiltinContext& ctx, Value* args, int, Value&) {
    Finish(ctx, DialogsOf(ctx).Notify(ToText(args[0]), ToText(args[1]), StopCheckOf(ctx)));
}

} // namespace

const BuiltinInfo kDialogBuiltins[] = {
    {"Notify", 2, 2, DeclType::Void, Notify},
    {"Choose", 2, 3, DeclType::Str, Choose},
    {"Confirm", 1, 1, DeclType::Bool, Confirm},
    {"ChooseFile", 0, 2, DeclType::Str, ChooseFile},
    {"ChooseFolder", 0, 1, DeclType::Str, ChooseFolder},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera

// The program and the library file: loading with the offer of the backup or
// of the unsaved changes a crash left, saving with what a save kept aside,
// restoring, and the end's save.

#include "program/Program.h"

#include "library/RecoveryFile.h"
#include "ports/UiText.h"
#include "program/FirstStartExamples.h"

#include <cstdio>
#include <filesystem>

namespace {
constexpr const char* kBadLoadText = UI_TEXT("Wingmate", "Could not load Macro File");
constexpr const char* kBadRestoreText = UI_TEXT("Wingmate", "Could not restore Macro File...");
} // namespace

// The views show the library again; when they cannot, they are told once
// more (the tree then shows what it could).
void CProgram::ShowLibrary() {
    if (!observer.LibraryReplaced()) {
        services.messages.Show(UiText(kBadLoadText), UI_TEXT("Wingmate", "Bad Load"),
                               MessageButtons::Ok);
        observer.LibraryReplaced();
    }
}

// A missing library is the first start, not a failure: the root stays and
// the first save creates the file.
void CProgram::LoadLibrary() {
    std::error_code error;
    const bool present = std::filesystem::exists(library.File().libraryPath, error) ||
                         std::filesystem::is_symlink(library.File().libraryPath, error);
    if (present && !library.Load()) {
        services.messages.Show(UiText(kBadLoadText), UI_TEXT("Wingmate", "Bad Load"),
                               MessageButtons::Ok);
        if (ended)
            return;
        OfferBackupAfterBadLoad();
    }
    if (!present && services.firstStart)
        AddFirstStartExamples();
    if (present)
        SayExtrasReport();
    ShowLibrary();
    recovery->MarkSaved(false);
}

// Saved at once, so a start that ends without a save does not leave the
// scripts without their macros.
void CProgram::AddFirstStartExamples() {
    std::string error;
    if (!AddExamples(library, home, &error)) {
        observer.ProgramOutput(
            UiFormat(UI_TEXT("Wingmate", "Could not add the examples: %1"), {error}) + "\n");
        return;
    }
    SaveLibrary(false);
}

// The library did not load: when the backup does, the user may take it.
// The damaged file stays where it is until the next save keeps it aside.
void CProgram::OfferBackupAfterBadLoad() {
    CMacroLibrary probe;
    if (!probe.LoadFrom(library.File().backupPath))
        return;
    const std::string text =
        UiFormat(UI_TEXT("Wingmate", "The macro file %1 is damaged.\nRestore "
                                     "the macros from the backup file "
                                     "(Macros.bak)?\nThe damaged file will be "
                                     "kept aside when the macros are next saved."),
                 {library.File().libraryPath});
    if (services.messages.Show(text, UI_TEXT("Wingmate", "Restore Macros?"),
                               MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    if (!library.Restore())
        services.messages.Show(UiText(kBadRestoreText), UI_TEXT("Wingmate", "Bad Restore"),
                               MessageButtons::Ok);
}

// A recovery file newer than the library: the last run ended without
// saving. Yes makes it the library; No keeps it aside under a dated name.
void CProgram::OfferRecovery() {
    if (ended || !recovery->LeftByUncleanEnd())
        return;
    const std::string path = recovery->Path();
    const std::string text =
        UiFormat(UI_TEXT("Wingmate", "Wingmate did not end cleanly last time, and some changes to "
                                     "your macros were not saved.\nRestore the unsaved changes "
                                     "from %1?"),
                 {path});
    std::string error;
    if (services.messages.Show(text, UI_TEXT("Wingmate", "Restore Unsaved Changes?"),
                               MessageButtons::YesNo) == MessageAnswer::Yes) {
        CMacroLibrary probe;
        if (probe.LoadFrom(path) && library.LoadFrom(path) && observer.LibraryReplaced()) {
            SayExtrasReport();
            if (SaveLibrary(true))
                recovery->MarkSaved(true);
            return;
        }
        services.messages.Show(
            UiFormat(UI_TEXT("Wingmate", "The unsaved changes in %1 could not be read."), {path}),
            UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
    }
    const std::string kept = recovery->KeepAside(&error);
    if (kept.empty())
        services.messages.Show(error, UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
    else
        observer.StatusMessage(
            UiFormat(UI_TEXT("Wingmate", "The unsaved changes were kept as %1"), {kept}));
}

bool CProgram::SaveLibrary(bool ask, std::string* failure) {
    SaveReport report;
    const bool saved = library.Save(&report) == 1;
    auto say = [&](const std::string& text, const char* title) {
        if (ask)
            services.messages.Show(text, title, MessageButtons::Ok);
        else
            std::fprintf(stderr, "Wingmate: %s\n", text.c_str());
    };
    if (!report.keptAside.empty())
        say(UiFormat(UI_TEXT("Wingmate", "The macro file that could not be loaded was kept as\n%1"),
                     {report.keptAside}),
            "Wingmate");
    if (!report.extrasKeptAside.empty())
        say(UiFormat(UI_TEXT("Wingmate", "The damaged file of abbreviations and window filters "
                                         "was kept as\n%1"),
                     {report.extrasKeptAside}),
            "Wingmate");
    if (saved) {
        recovery->MarkSaved(true);
        return true;
    }
    // The file and the system's reason (a full disk, no permission...).
    std::string text =
        UiFormat(UI_TEXT("Wingmate", "Could not save: %1"), {library.File().libraryPath});
    if (!report.error.empty())
        text += "\n" + report.error;
    if (failure)
        *failure = text;
    if (!ask)
        say(text, UI_TEXT("Wingmate", "Save Failed"));
    return false;
}

bool CProgram::SaveEverything(bool ask) {
    observer.CommitEdits();
    std::string failure;
    if (!SaveLibrary(ask, &failure) && ask) {
        const std::string text =
            failure + "\n\n" +
            UiText(UI_TEXT("Wingmate", "End Wingmate without saving the macros?"));
        if (services.messages.Show(text, UI_TEXT("Wingmate", "Save Failed"),
                                   MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
            return false;
    }
    settings.WriteSettings(services.store);
    return true;
}

// A save that fails is said with its reason (the library stays in memory).
void CProgram::SaveMacros() {
    observer.CommitEdits();
    std::string failure;
    if (!SaveLibrary(true, &failure))
        services.messages.Show(failure, UI_TEXT("Wingmate", "Save Failed"), MessageButtons::Ok);
}

void CProgram::RestoreMacros() {
    const MessageAnswer answer = services.messages.Show(
        UiText(UI_TEXT("Wingmate",
                       "Clear Macro Set and restore macros from backup file (Macros.bak)??\n"
                       "Unsaved changes will be lost.")),
        UI_TEXT("Wingmate", "Restore Macros?"), MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return;
    if (!library.Restore()) {
        services.messages.Show(UiText(kBadRestoreText), UI_TEXT("Wingmate", "Bad Restore"),
                               MessageButtons::Ok);
        return;
    }
    if (!observer.LibraryReplaced()) {
        services.messages.Show(UiText(kBadRestoreText), UI_TEXT("Wingmate", "Bad Restore"),
                               MessageButtons::Ok);
        LoadLibrary();
        return;
    }
    SayExtrasReport();
}

// A file that could not be read, or read only in part, is said in a box;
// entries that cannot work go to the Output page. The library loads either way.
void CProgram::SayExtrasReport() {
    const CMacroLibrary::ExtrasLoadReport& report = library.ExtrasReport();
    if (!report.readError.empty())
        services.messages.Show(
            UiFormat(UI_TEXT("Wingmate", "The abbreviations and window filters in %1 could not be "
                                         "read: %2\nThe file is left as it is."),
                     {report.path, report.readError}),
            UI_TEXT("Wingmate", "Bad Load"), MessageButtons::Ok);
    else if (!report.damage.empty())
        services.messages.Show(
            UiFormat(UI_TEXT("Wingmate",
                             "The file of abbreviations and window filters %1 is damaged "
                             "(%2).\nWhat could be read was loaded; the file will be kept aside "
                             "when the macros are next saved."),
                     {report.path, report.damage}),
            UI_TEXT("Wingmate", "Bad Load"), MessageButtons::Ok);
    for (const std::string& problem : report.problems)
        observer.ProgramOutput(problem + "\n");
}

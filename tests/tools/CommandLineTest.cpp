// The terminal programs' command lines: shared usage errors and exit codes,
// and shell completions that offer every command and option the parser knows.

#include "CliSupport.h"
#include "Commands.h"
#include "TesseraCommandLine.h"

#include <CLI/CLI.hpp>
#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Parsed {
    int status;
    std::string out, err;
};

Parsed Ctl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunWingmateCtl(args, CtlStreams{out, err});
    return {status, out.str(), err.str()};
}

struct UsageCase {
    std::vector<std::string> args;
    int status;
    const char* stream; // "out" or "err"
    const char* text;
};

class CtlUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CtlUsage, EveryCommandAnswersHelpVersionAndBadUsageAlike) {
    const UsageCase& c = GetParam();
    const Parsed run = Ctl(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    const std::string& text = std::string(c.stream) == "out" ? run.out : run.err;
    EXPECT_NE(text.find(c.text), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CtlUsage,
    ::testing::Values(UsageCase{{"--version"}, 0, "out", "wingmatectl 0."},
                      UsageCase{{"list", "--help"}, 0, "out", "--json"},
                      UsageCase{{"status", "--help"}, 0, "out", "--json"},
                      UsageCase{{"salvage", "--help"}, 0, "out", "OUT"},
                      UsageCase{{"status", "--bogus"}, 2, "err", "unexpected argument '--bogus'"},
                      UsageCase{{"run", "--file", "x"}, 2, "err", "usage: wingmatectl"},
                      UsageCase{{"list", "--file"}, 2, "err", "'--file' without its value"},
                      UsageCase{{"due", "--from", "a", "--from", "b"}, 2, "err", "--from"},
                      UsageCase{{"frobnicate"}, 2, "err", "usage: wingmatectl"},
                      UsageCase{{"frobnicate"}, 2, "err", "unknown command 'frobnicate'"},
                      UsageCase{{}, 2, "err", "a command is required"},
                      UsageCase{{"decl", "--help"}, 0, "out", "--normalize "},
                      UsageCase{{"record", "--help"}, 0, "out", "--idle SECONDS "},
                      UsageCase{{"record", "--help"}, 0, "out", "--full-titles "}));

// Each program's completion, in every shell, names every subcommand and
// every visible option (fish writes "-l name").
void ExpectCompletionCovers(const CLI::App& app) {
    const std::string script = BashCompletion(app);
    std::vector<const CLI::App*> commands{&app};
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
        EXPECT_NE(script.find(sub->get_name() + ") words=\""), std::string::npos)
            << sub->get_name();
        commands.push_back(sub);
    }
    for (const CompletionShell shell :
         {CompletionShell::Bash, CompletionShell::Zsh, CompletionShell::Fish}) {
        const std::string text = CompletionScript(app, shell);
        const std::string lead = shell == CompletionShell::Fish ? "-l " : "--";
        for (const CLI::App* command : commands) {
            if (command != &app) {
                EXPECT_NE(text.find(command->get_name()), std::string::npos) << text;
            }
            for (const CLI::Option* option : command->get_options())
                for (const std::string& name : option->get_lnames())
                    if (!option->get_group().empty()) {
                        EXPECT_NE(text.find(lead + name), std::string::npos)
                            << command->get_name() << " --" << name << "\n"
                            << text;
                    }
        }
    }
    EXPECT_NE(script.find("complete -o filenames -F _" + app.get_name() + "_complete " +
                          app.get_name() + "\n"),
              std::string::npos);
}

TEST(Completion, CoversEveryWingmatectlCommandAndOption) {
    std::ostringstream out, err;
    CLI::App app("", "wingmatectl");
    CtlContext context(CtlStreams{out, err});
    BuildWingmateCtl(app, context);
    ExpectCompletionCovers(app);
    // A command's options are offered after that command only.
    const std::vector<CompletionWords> words = CollectCompletionWords(app);
    for (const CompletionWords& entry : words)
        if (entry.command == "status") {
            EXPECT_EQ(entry.words, (std::vector<std::string>{"--help", "--json"}));
        }
    // run's argument is a macro name the program lists; its hidden option is
    // never offered.
    for (const CompletionWords& entry : words) {
        EXPECT_EQ(entry.asksProgram, entry.command == "run") << entry.command;
        if (entry.command == "run") {
            EXPECT_EQ(entry.words, (std::vector<std::string>{"--help"}));
        }
    }
    // Commands that read their own arguments still offer their options.
    const std::string script = BashCompletion(app);
    for (const char* word : {"--normalize", "--stop", "--delay", "--idle", "--full-titles"})
        EXPECT_NE(script.find(word), std::string::npos) << word;
}

TEST(Completion, CoversEveryTesseraOption) {
    CLI::App app("", "tessera");
    TesseraOptions options;
    BuildTesseraCommandLine(app, options);
    ExpectCompletionCovers(app);
}

// The manual page shows every option of the program and of each of its
// commands (those read by the command itself too), and each command.
class ManPageCovers : public ::testing::TestWithParam<std::string> {};

TEST_P(ManPageCovers, EveryCommandAndOption) {
    std::ostringstream out, err;
    CLI::App app("Does things.", GetParam());
    CtlContext context(CtlStreams{out, err});
    TesseraOptions options;
    if (GetParam() == "wingmatectl")
        BuildWingmateCtl(app, context);
    else
        BuildTesseraCommandLine(app, options);
    const std::string page = ManPage(app, "usage: " + GetParam() + " X\n\nNote -x.\n");
    EXPECT_EQ(
        page.rfind(".TH " + std::string(GetParam() == "tessera" ? "TESSERA" : "WINGMATECTL"), 0),
        0u);
    EXPECT_NE(page.find("\\- does things\n"), std::string::npos);
    EXPECT_NE(page.find(".PP\nNote \\-x.\n"), std::string::npos);
    for (const CompletionWords& entry : CollectCompletionWords(app)) {
        if (!entry.command.empty()) {
            EXPECT_NE(page.find(".SS " + entry.command + "\n"), std::string::npos) << entry.command;
        }
        for (const std::string& word : entry.words) {
            // --help is shown once, for the program.
            if (word.rfind("--", 0) != 0 || (word == "--help" && !entry.command.empty()))
                continue;
            std::string escaped;
            for (char c : word)
                escaped += c == '-' ? std::string("\\-") : std::string(1, c);
            bool listed = false; // on a ".B" line of its own, not only in the synopsis
            for (size_t at = page.find(escaped); at != std::string::npos && !listed;
                 at = page.find(escaped, at + 1))
                listed = page.compare(page.rfind('\n', at) + 1, 3, ".B ") == 0;
            EXPECT_TRUE(listed) << entry.command << " " << word;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ManPageCovers, ::testing::Values("wingmatectl", "tessera"));

TEST(TesseraCommandLine, TakesAFileAndRefusesMixedModes) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    for (const Case& c : {Case{{"s.tsc"}, -1}, Case{{"s.tsc", "--args", "1, 2"}, -1},
                          Case{{"--disassemble", "s.tsc"}, -1}, Case{{"--check", "s.tsc"}, -1},
                          Case{{"--check", "a", "--disassemble"}, 2},
                          Case{{"--check", "a", "--args", "x"}, 2}, Case{{"-"}, -1}, Case{{}, 2},
                          Case{{"a", "b"}, 2}, Case{{"--disassemble", "a", "--args", "x"}, 2},
                          Case{{"a", "--args"}, 2}, Case{{"--version"}, 0}, Case{{"--help"}, 0}}) {
        CLI::App app("", "tessera");
        TesseraOptions options;
        BuildTesseraCommandLine(app, options);
        std::ostringstream out, err;
        EXPECT_EQ(ParseCommandLine(app, c.args, out, err, kTesseraUsage), c.status)
            << (c.args.empty() ? "" : c.args[0]) << " " << err.str();
    }
}

} // namespace

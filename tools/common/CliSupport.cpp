#include "CliRawCommand.h"

#include "WingmateVersion.h"

#include <cctype>
#include <sstream>

const char* WingmateVersion() {
    return kWingmateVersion;
}

void AddVersionFlag(CLI::App& app) {
    app.set_version_flag("--version", app.get_name() + " " + kWingmateVersion,
                         "Print the version and exit");
}

namespace {

// Thrown by the hidden completion and manual page flags; the catch prints.
struct CompletionRequested : CLI::Success {
    explicit CompletionRequested(CompletionShell s) : shell(s) {}
    CompletionShell shell;
};
struct ManPageRequested : CLI::Success {};
// Thrown once an argument's candidates are printed, with the exit status.
struct CandidatesListed : CLI::Success {
    explicit CandidatesListed(int s) : status(s) {}
    int status;
};

// The message for a parse error, in the program's own words where CLI11's
// are unclear to a terminal user.
std::string DescribeError(const CLI::ParseError& error, const std::vector<std::string>& args) {
    const std::string what = error.what();
    // CLI11 says only that a command is missing, also when one was misspelt.
    if (dynamic_cast<const CLI::RequiredError*>(&error) &&
        what.find("subcommand") != std::string::npos) {
        for (const std::string& arg : args)
            if (!arg.empty() && arg[0] != '-')
                return "unknown command '" + arg + "'";
        return "a command is required";
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) &&
        what.find(" missing") != std::string::npos) {
        const std::string option = what.substr(0, what.find(':'));
        return "unexpected argument '" + option + "' without its value";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
        const std::string lead = "The following argument was not expected: ";
        const std::string leads = "The following arguments were not expected: ";
        if (what.rfind(lead, 0) == 0)
            return "unexpected argument '" + what.substr(lead.size()) + "'";
        if (what.rfind(leads, 0) == 0)
            return "unexpected arguments '" + what.substr(leads.size()) + "'";
    }
    return what;
}

} // namespace

void AddManPageFlag(CLI::App& app) {
    app.add_flag_callback(
           kManPageFlag, [] { throw ManPageRequested(); }, "Print the manual page")
        ->group("");
}

void AddCompletionFlags(CLI::App& app) {
    const struct {
        const char* flag;
        CompletionShell shell;
    } flags[] = {{kBashCompletionFlag, CompletionShell::Bash},
                 {kZshCompletionFlag, CompletionShell::Zsh},
                 {kFishCompletionFlag, CompletionShell::Fish}};
    for (const auto& [flag, shell] : flags)
        app.add_flag_callback(
               flag, [shell = shell] { throw CompletionRequested(shell); },
               "Print a completion script")
            ->group("");
}

void AddArgumentCompleter(CLI::App& command, std::function<int(const std::string&)> list) {
    command
        .add_option_function<std::string>(
            kCompleteOption,
            [list = std::move(list)](const std::string& prefix) {
                throw CandidatesListed(list(prefix));
            },
            "Print the candidates for the argument that start with PREFIX")
        ->type_name("PREFIX")
        ->group("");
}

std::shared_ptr<CLI::App> NewCommandLine(const std::string& description, const std::string& name,
                                         bool allowExtras) {
    auto app = std::make_shared<CLI::App>(description, name);
    if (allowExtras)
        app->allow_extras();
    return app;
}

void RequireCommand(CLI::App& app) {
    app.require_subcommand(1);
}

CLI::App& AddCommand(CLI::App& app, const std::string& name, const std::string& description,
                     std::function<void()> run) {
    CLI::App* command = app.add_subcommand(name, description);
    command->callback(std::move(run));
    return *command;
}

void AddTextOption(CLI::App& command, const std::string& name, std::string& value,
                   const std::string& description, const std::string& typeName, bool required) {
    CLI::Option* option = command.add_option(name, value, description);
    if (!typeName.empty())
        option->type_name(typeName);
    if (required)
        option->required();
}

void AddFlag(CLI::App& command, const std::string& name, bool& value,
             const std::string& description) {
    command.add_flag(name, value, description);
}

int ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err, const std::string& usage) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CompletionRequested& request) {
        out << CompletionScript(app, request.shell);
        return 0;
    } catch (const ManPageRequested&) {
        out << ManPage(app, usage);
        return 0;
    } catch (const CLI::CallForHelp&) {
        // The help of the command named on the line, else the program's.
        const CLI::App* shown = &app;
        for (const CLI::App* sub : app.get_subcommands())
            shown = sub;
        out << (shown == &app ? usage + "\n" + app.help("", CLI::AppFormatMode::Normal)
                              : shown->help(app.get_name()));
        return 0;
    } catch (const CLI::CallForVersion&) {
        out << app.get_name() << " " << kWingmateVersion << "\n";
        return 0;
    } catch (const CandidatesListed& listed) {
        return listed.status;
    } catch (const CLI::ParseError& error) {
        err << app.get_name() << ": " << DescribeError(error, args) << "\n" << usage;
        return 2;
    }
    return -1;
}

namespace {

// --help of a command that reads its own arguments: CLI11's, with the
// command's own options after --help.
class CRawHelpFormatter : public CLI::Formatter {
public:
    explicit CRawHelpFormatter(const std::vector<RawOption>& rawOptions) : options(rawOptions) {}
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        std::string help = CLI::Formatter::make_help(app, std::move(name), mode);
        std::ostringstream lines;
        for (const RawOption& option : options)
            CLI::detail::format_help(lines,
                                     option.name + (option.value.empty() ? "" : " " + option.value),
                                     option.description, get_column_width());
        const size_t group = help.find("Options:\n");
        const size_t end = group == std::string::npos ? group : help.find("\n\n", group);
        if (end == std::string::npos)
            return help + "\nOptions:\n" + lines.str();
        return help.insert(end + 1, lines.str());
    }

private:
    const std::vector<RawOption>& options;
};

} // namespace

CRawCommand::CRawCommand(std::string summary, std::string name, std::vector<RawOption> rawOptions)
    : CLI::App(std::move(summary), std::move(name)), options(std::move(rawOptions)) {
    prefix_command();
    formatter(std::make_shared<CRawHelpFormatter>(options));
}

CLI::App& AddRawSubcommand(CLI::App& app, const std::string& name, const std::string& summary,
                           std::vector<RawOption> options,
                           std::function<void(const std::vector<std::string>&)> run) {
    CLI::App* command =
        app.add_subcommand(std::make_shared<CRawCommand>(summary, name, std::move(options)));
    command->callback([command, run = std::move(run)] { run(command->remaining()); });
    return *command;
}

std::vector<std::string> CRawCommand::OptionWords() const {
    std::vector<std::string> words;
    for (const RawOption& option : options)
        words.push_back(option.name);
    return words;
}

namespace {

// Text for troff: backslashes and hyphens escaped, and a line that would
// start with a control character kept as text.
std::string Troff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// "Reads the library." -> "reads the library": the NAME line's style.
std::string Summary(std::string text) {
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1])))
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

void ManItem(std::ostream& page, const std::string& term, const std::string& description) {
    page << ".TP\n.B " << Troff(term) << "\n" << Troff(description) << "\n";
}

// Every option and positional of `command` that a user can give.
void ManOptions(std::ostream& page, const CLI::App& command, bool withHelp) {
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_group().empty() || (!withHelp && option == command.get_help_ptr()))
            continue;
        if (option->get_positional()) {
            ManItem(page, option->get_name(), option->get_description());
            continue;
        }
        std::string term = option->get_name(false, true);
        for (size_t comma = term.find(','); comma != std::string::npos;
             comma = term.find(',', comma + 2))
            term.replace(comma, 1, ", ");
        if (option->get_items_expected_min() > 0)
            term += " " + option->get_type_name();
        ManItem(page, term, option->get_description());
    }
    if (const auto* raw = dynamic_cast<const CRawCommand*>(&command))
        for (const RawOption& option : raw->RawOptions())
            ManItem(page, option.name + (option.value.empty() ? "" : " " + option.value),
                    option.description);
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string ManPage(const CLI::App& app, const std::string& usage) {
    const std::string name = app.get_name();
    const size_t blank = usage.find("\n\n");
    const std::string lines = usage.substr(0, blank);
    const std::string notes = blank == std::string::npos ? "" : usage.substr(blank + 2);

    std::ostringstream page;
    page << ".TH " << Upper(name) << " 1 \"\" \"Wingmate " << kWingmateVersion
         << "\" \"User Commands\"\n"
         << ".SH NAME\n"
         << Troff(name) << " \\- " << Troff(Summary(app.get_description())) << "\n"
         << ".SH SYNOPSIS\n.nf\n";
    std::istringstream usageLines(lines);
    for (std::string line; std::getline(usageLines, line);) {
        const size_t start = line.find(name);
        page << Troff(start == std::string::npos ? line : line.substr(start)) << "\n";
    }
    page << ".fi\n.SH DESCRIPTION\n" << Troff(app.get_description()) << "\n";
    // Paragraphs of the notes, one .PP each.
    std::istringstream noteLines(notes);
    bool paragraph = true;
    for (std::string line; std::getline(noteLines, line);) {
        if (line.empty()) {
            paragraph = true;
            continue;
        }
        if (paragraph)
            page << ".PP\n";
        paragraph = false;
        page << Troff(line) << "\n";
    }
    page << ".SH OPTIONS\n";
    ManOptions(page, app, true);
    const std::vector<const CLI::App*> commands =
        app.get_subcommands([](const CLI::App*) { return true; });
    if (!commands.empty())
        page << ".SH COMMANDS\n";
    for (const CLI::App* command : commands) {
        page << ".SS " << Troff(command->get_name()) << "\n"
             << Troff(command->get_description()) << "\n";
        ManOptions(page, *command, false);
    }
    return page.str();
}

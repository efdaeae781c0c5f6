// wingmatectl decl: shows declarations files as the editor's reader sees them,
// and writes one back in the canonical format.

#include "Commands.h"

#include "editor/DeclList.h"

#include <vector>

namespace {

// One line per declaration, indented two spaces a level below the file name:
// name, type, tag, class and qualified name, separated by tabs.
void PrintFileTree(const CDeclNode& fileNode, std::ostream& out) {
    out << fileNode.name << "\n";
    struct Pending {
        const CDeclNode* node;
        size_t depth;
    };
    std::vector<Pending> pending;
    if (fileNode.firstChild)
        pending.push_back({fileNode.firstChild, 1});
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        out << std::string(2 * depth, ' ') << node->name << '\t' << node->type << '\t' << node->tag
            << '\t' << node->cls << '\t' << CDeclList::QualifiedName(node) << "\n";
        if (node->next)
            pending.push_back({node->next, depth});
        if (node->firstChild)
            pending.push_back({node->firstChild, depth + 1});
    }
}

const CDeclNode* LastFileNode(const CDeclList& list) {
    const CDeclNode* node = list.First();
    while (node && node->next)
        node = node->next;
    return node;
}

int CountDeclarations(const CDeclNode& fileNode) {
    int count = 0;
    std::vector<const CDeclNode*> pending;
    if (fileNode.firstChild)
        pending.push_back(fileNode.firstChild);
    while (!pending.empty()) {
        const CDeclNode* node = pending.back();
        pending.pop_back();
        ++count;
        if (node->next)
            pending.push_back(node->next);
        if (node->firstChild)
            pending.push_back(node->firstChild);
    }
    return count;
}

int Normalize(const std::string& path, CtlStreams streams) {
    CDeclList list;
    std::string error;
    if (!list.Load(path, "", &error)) {
        streams.err << "wingmatectl: " << error << " (the file is left as it is)\n";
        return kExitFailure;
    }
    const int count = CountDeclarations(*list.First());
    if (count == 0) {
        streams.out << path << ": no declarations; the file is left as it is\n";
        return kExitOk;
    }
    if (!list.SaveAll("", &error)) {
        streams.err << "wingmatectl: " << error << "\n";
        return kExitFailure;
    }
    streams.out << path << ": " << count << (count == 1 ? " declaration" : " declarations")
                << " written\n";
    return kExitOk;
}

} // namespace

int DeclCommand(const std::vector<std::string>& args, CtlStreams streams) {
    std::vector<std::string> files;
    bool normalize = false;
    for (const std::string& arg : args) {
        if (arg == "--normalize") {
            normalize = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            streams.err << "wingmatectl: unexpected argument '" << arg << "'\n" << CtlUsage();
            return kExitUsage;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty() || (normalize && files.size() != 1)) {
        streams.err << "wingmatectl: decl needs " << (normalize ? "exactly one FILE" : "a FILE")
                    << "\n"
                    << CtlUsage();
        return kExitUsage;
    }
    if (normalize)
        return Normalize(files.front(), streams);

    CDeclList list;
    int status = kExitOk;
    for (const std::string& file : files) {
        std::string error;
        if (!list.Load(file, "", &error)) {
            streams.err << "wingmatectl: " << error << "\n";
            status = kExitFailure;
            continue;
        }
        PrintFileTree(*LastFileNode(list), streams.out);
    }
    return status;
}

void AddDeclCommand(CLI::App& app, CtlContext& context) {
    AddRawCommand(app, context, "decl",
                  "Print window declarations files as trees, or --normalize one",
                  {{"--normalize", "",
                    "Write the one FILE back in the canonical format instead of printing it"}},
                  DeclCommand);
    context.usageLines.push_back("decl FILE...");
    context.usageLines.push_back("decl --normalize FILE");
    context.AddNote("decl prints each window declarations FILE as a tree: the file name, then one\n"
                    "line per declaration, indented two spaces a level, with its name, type, tag,\n"
                    "class and qualified name separated by tabs. --normalize writes FILE back in\n"
                    "the canonical format (through a temporary file; a FILE that does not read is\n"
                    "left as it is). Exit 1 when a FILE does not read, 2 for bad usage.\n");
}

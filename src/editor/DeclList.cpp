#include "editor/DeclList.h"

#include "library/AtomicFile.h"

#include <algorithm>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// One pair of surrounding double quotes goes; anything else stays as it is.
std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

// attribute-line = tabs "( )" key "=" value ; the value is what follows "=".
std::string_view AttributeValue(std::string_view line) {
    const size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view() : Trim(line.substr(equals + 1));
}

// Splits text into lines the way a text-mode read sees them: "\n" ends a
// line, a "\r" before it goes with it.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest(text) {}
    bool Next(std::string_view& line) {
        if (rest.empty())
            return false;
        const size_t end = rest.find('\n');
        line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++number;
        return true;
    }
    int Number() const { return number; }

private:
    std::string_view rest;
    int number = 0;
};

// head-line = tabs "[" ... "]" [ type " " name | "Menu" ]
void DecodeHeadLine(std::string_view line, CDeclNode& node) {
    const size_t bracket = line.find(']');
    const std::string_view text = Trim(line.substr(bracket + 1));
    if (text.empty())
        return;
    const size_t space = text.find(' ');
    if (space == std::string_view::npos) {
        if (text == "Menu") {
            node.topMenu = 1;
            node.name = "Top Menu";
            node.type = "Menu";
        }
        return;
    }
    node.type = Trim(text.substr(0, space));
    node.name = Unquote(Trim(text.substr(space + 1)));
}

int FlagValue(std::string_view value) {
    return static_cast<unsigned char>(value.front()) - '0';
}

// record = head-line tag-line class-line parent-line child-line
void DecodeAttributes(const std::string_view (&lines)[4], CDeclNode& node) {
    const std::string_view tag = AttributeValue(lines[0]);
    if (!tag.empty()) {
        node.unquotedTag = tag.front() != '"';
        node.tag = Unquote(tag);
    }
    node.cls = Unquote(AttributeValue(lines[1]));
    if (node.cls.empty())
        node.name.clear();
    const std::string_view flagValues[2] = {AttributeValue(lines[2]), AttributeValue(lines[3])};
    int* flags[2] = {&node.isParent, &node.isChild};
    for (int i = 0; i < 2; ++i) {
        if (flagValues[i].empty())
            node.name.clear();
        else
            *flags[i] = FlagValue(flagValues[i]);
    }
}

int LeadingTabs(std::string_view line) {
    int tabs = 0;
    while (static_cast<size_t>(tabs) < line.size() && line[tabs] == '\t')
        ++tabs;
    return tabs;
}

void AppendChild(CDeclNode* parent, CDeclNode* child) {
    child->parent = parent;
    if (!parent->firstChild) {
        parent->firstChild = child;
        return;
    }
    CDeclNode* last = parent->firstChild;
    while (last->next)
        last = last->next;
    last->next = child;
}

void InsertAfter(CDeclNode* sibling, CDeclNode* node) {
    node->parent = sibling->parent;
    node->next = sibling->next;
    sibling->next = node;
}

// Values are one line each in the file: a line break inside one would split
// the record, so it is written as a space.
std::string OneLine(const std::string& value) {
    std::string text = value;
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

} // namespace

namespace {
// Frees `node`, its children and (with `siblings`) the siblings after it,
// without recursion.
void FreeNodes(CDeclNode* node, bool siblings) {
    std::vector<CDeclNode*> pending;
    if (node)
        pending.push_back(node);
    while (!pending.empty()) {
        CDeclNode* current = pending.back();
        pending.pop_back();
        if (current->next && (siblings || current != node))
            pending.push_back(current->next);
        if (current->firstChild)
            pending.push_back(current->firstChild);
        delete current;
    }
}
} // namespace

CDeclList::~CDeclList() {
    FreeNodes(first, true);
}

void CDeclList::MarkEdited(int id) {
    CDeclNode* node = FindById(id);
    while (node && !node->file)
        node = node->parent;
    if (node)
        node->edited = 1;
}

std::vector<CDeclList::EditedFile> CDeclList::LatestFiles(bool editedOnly) const {
    std::vector<EditedFile> files;
    for (const CDeclNode* node = first; node; node = node->next) {
        if (!node->file || node->loadFailed || (editedOnly && !node->edited))
            continue;
        auto same = std::find_if(files.begin(), files.end(),
                                 [&](const EditedFile& f) { return f.fileName == node->name; });
        if (same == files.end())
            same = files.insert(files.end(), EditedFile{node->name, {}, {}, false});
        same->text = Format(*node);
        same->diskText = node->diskText;
        same->diskKnown = node->diskKnown != 0;
    }
    return files;
}

void CDeclList::ForgetEdited() {
    for (const EditedFile& file : EditedFiles())
        Forget(file.fileName);
}

void CDeclList::Forget(const std::string& fileName) {
    CDeclNode** link = &first;
    while (*link) {
        CDeclNode* node = *link;
        if (!node->file || node->name != fileName) {
            link = &node->next;
            continue;
        }
        *link = node->next;
        FreeNodes(node, false);
    }
}

std::string CDeclList::ResolvePath(const std::string& fileName, const std::string& folder) {
    if (folder.empty() || fileName.empty() || fileName.front() == '/')
        return fileName;
    return folder.back() == '/' ? folder + fileName : folder + "/" + fileName;
}

CDeclNode* CDeclList::AppendFileNode(const std::string& fileName) {
    auto* node = new CDeclNode;
    node->file = 1;
    node->name = fileName;
    if (!first) {
        first = node;
        return node;
    }
    CDeclNode* last = first;
    while (last->next)
        last = last->next;
    last->next = node;
    return node;
}

bool CDeclList::Load(const std::string& fileName, const std::string& folder, std::string* error) {
    CDeclNode* fileNode = AppendFileNode(fileName);
    std::string text;
    std::string reason;
    if (fileName.empty() || !ReadRegularFile(ResolvePath(fileName, folder), text, &reason)) {
        fileNode->loadFailed = 1;
        SetError(error, fileName.empty() ? std::string("empty declarations file name") : reason);
        return false;
    }
    fileNode->diskText = text;
    fileNode->diskKnown = 1;
    return ParseInto(fileNode, text, error);
}

bool CDeclList::LoadText(const std::string& fileName, std::string_view text, std::string* error,
                         const std::string* diskText) {
    CDeclNode* fileNode = AppendFileNode(fileName);
    if (diskText) {
        fileNode->diskText = *diskText;
        fileNode->diskKnown = 1;
    }
    return ParseInto(fileNode, text, error);
}

// file = { blank-line } { record { blank-line } }
// Records are placed by their depth (leading tabs of the head line) against
// the path from the file node down to the record read last; a jump of more
// than one level still makes a direct child.
bool CDeclList::ParseInto(CDeclNode* fileNode, std::string_view text, std::string* error) {
    std::vector<CDeclNode*> path{fileNode}; // path[k]: the current node at depth k - 1
    LineReader reader(text);
    std::string_view head;
    while (reader.Next(head)) {
        if (Trim(head).empty())
            continue;
        const int headNumber = reader.Number();
        if (head.find(']') == std::string_view::npos) {
            fileNode->loadFailed = 1;
            SetError(error, fileNode->name + ": line " + std::to_string(headNumber) +
                                ": a declaration must start with \"[ ]\"");
            return false;
        }
        std::string_view attributes[4];
        for (auto& line : attributes) {
            if (!reader.Next(line)) {
                fileNode->loadFailed = 1;
                SetError(error, fileNode->name + ": line " + std::to_string(headNumber) +
                                    ": the file ends inside a declaration");
                return false;
            }
        }
        auto* node = new CDeclNode;
        node->id = ++idCounter;
        DecodeHeadLine(head, *node);
        DecodeAttributes(attributes, *node);

        const size_t depth = static_cast<size_t>(LeadingTabs(head));
        const size_t currentDepth = path.size() - 1; // 0 is the file node
        if (path.size() == 1 || currentDepth < depth + 1) {
            AppendChild(path.back(), node);
            path.push_back(node);
        } else {
            path.resize(depth + 2); // the ancestor at the new depth
            InsertAfter(path.back(), node);
            path.back() = node;
        }
    }
    return true;
}

CDeclNode* CDeclList::Append(CDeclNode* parent, const CDeclNode& values) {
    auto* node = new CDeclNode(values);
    node->id = ++idCounter;
    node->file = 0;
    node->loadFailed = 0;
    node->next = node->parent = node->firstChild = nullptr;
    AppendChild(parent, node);
    return node;
}

std::string CDeclList::Format(const CDeclNode& fileNode) {
    std::string out;
    struct Pending {
        const CDeclNode* node;
        size_t depth;
    };
    std::vector<Pending> pending;
    if (fileNode.firstChild)
        pending.push_back({fileNode.firstChild, 0});
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        const std::string tabs(depth, '\t');
        const std::string inner = tabs + "\t( )";
        out += tabs + "[ ]" + OneLine(node->type);
        if (!node->topMenu)
            out += " \"" + OneLine(node->name) + "\"";
        out += "\n";
        out += inner +
               (node->unquotedTag ? "Tag=" + OneLine(node->tag)
                                  : "Tag=\"" + OneLine(node->tag) + "\"") +
               "\n";
        out += inner + "Class=\"" + OneLine(node->cls) + "\"\n";
        out += inner + "Parent=" + std::to_string(node->isParent) + "\n";
        out += inner + "Child=" + std::to_string(node->isChild) + "\n";
        if (node->next)
            pending.push_back({node->next, depth});
        if (node->firstChild)
            pending.push_back({node->firstChild, depth + 1});
    }
    return out;
}

bool CDeclList::SaveAll(const std::string& folder, std::string* error) {
    std::vector<std::pair<CDeclNode*, std::string>> written;
    for (CDeclNode* node = first; node; node = node->next) {
        if (!node->file) {
            SetError(error, "the declarations list holds a declaration outside any file");
            return false;
        }
        // A file that did not read is never written over with what little
        // was read of it.
        if (!node->firstChild || node->loadFailed)
            continue;
        if (node->name.empty()) {
            SetError(error, "a declarations file has no name");
            return false;
        }
        const std::string path = ResolvePath(node->name, folder);
        std::string text = Format(*node);
        if (!WriteFileAtomically(path, text, error))
            return false;
        // A file read twice ends with its latest copy: every node of it
        // remembers that one.
        for (auto& [earlier, earlierPath] : written)
            if (earlierPath == path)
                earlier->diskText = text;
        node->diskText = std::move(text);
        node->diskKnown = 1;
        node->edited = 0;
        written.emplace_back(node, path);
    }
    return true;
}

// Only a file's latest known reading counts: an earlier one of a file read
// again since is written first and then overwritten by the latest.
std::vector<std::string> CDeclList::ChangedOnDisk(const std::string& folder) const {
    std::vector<std::string> changed;
    for (const CDeclNode* node = first; node; node = node->next) {
        if (!node->file || !node->firstChild || node->loadFailed || !node->diskKnown ||
            node->name.empty())
            continue;
        bool readAgain = false;
        for (const CDeclNode* later = node->next; later && !readAgain; later = later->next)
            readAgain = later->file && later->name == node->name && later->firstChild &&
                        !later->loadFailed && later->diskKnown;
        if (readAgain)
            continue;
        std::string now;
        if (!ReadRegularFile(ResolvePath(node->name, folder), now, nullptr) ||
            now == node->diskText)
            continue;
        if (std::find(changed.begin(), changed.end(), node->name) == changed.end())
            changed.push_back(node->name);
    }
    return changed;
}

CDeclNode* CDeclList::FindById(int id) const {
    if (id <= 0)
        return nullptr;
    std::vector<CDeclNode*> pending;
    if (first)
        pending.push_back(first);
    while (!pending.empty()) {
        CDeclNode* node = pending.back();
        pending.pop_back();
        if (!node->file && node->id == id)
            return node;
        if (node->next)
            pending.push_back(node->next);
        if (node->firstChild)
            pending.push_back(node->firstChild);
    }
    return nullptr;
}

std::string CDeclList::QualifiedName(const CDeclNode* node) {
    std::string name;
    for (; node && !node->file; node = node->parent)
        if (!node->topMenu)
            name = node->name + "." + name;
    return name;
}

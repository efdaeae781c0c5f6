#pragma once
// Window declarations: the model behind the editor's "Window Declarations"
// tree and its file format (an indented outline of five-line records).
// Plain logic; TDecTree shows it, wingmatectl decl and Glimmer read and
// write it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct CDeclNode {
    int unquotedTag = 0; // the tag was written without quotes
    int topMenu = 0;     // a record whose first line is only "Menu"
    std::string type;
    int id = 0;       // 1, 2, 3 ... over the list's lifetime; 0 for file nodes
    std::string name; // for a file node: the file name as the use statement wrote it
    std::string tag;
    std::string cls;
    int isParent = 0;
    int isChild = 0;
    int file = 0;       // 1 for the top-level node of one declarations file
    int loadFailed = 0; // file node whose file did not read: never written back
    // For a file node: the bytes its file held when they were read (or last
    // saved), so a save can tell that another program wrote it since.
    std::string diskText;
    int diskKnown = 0; // 0: not known (nothing to compare with)
    int edited = 0;    // file node: a declaration changed since it was read or saved
    CDeclNode* next = nullptr;
    CDeclNode* parent = nullptr;
    CDeclNode* firstChild = nullptr;
};

class CDeclList {
public:
    CDeclList() = default;
    ~CDeclList(); // frees every node without recursion
    CDeclList(const CDeclList&) = delete;
    CDeclList& operator=(const CDeclList&) = delete;

    // Reads one declarations file: appends a file node named `fileName`
    // (kept as given) and its records. A relative name is taken from
    // `folder` (empty: the current directory). false when the file cannot
    // be read or ends inside a record; `error` then says why, and the file
    // node stays in the list (with the records read before the fault).
    bool Load(const std::string& fileName, const std::string& folder, std::string* error);
    // The same from text already in memory; `diskText`, when given, is what
    // the file held when that text was made from it.
    bool LoadText(const std::string& fileName, std::string_view text, std::string* error,
                  const std::string* diskText = nullptr);

    // Adds a declaration with `values` (name, type, tag, flags...) as the last
    // child of `parent` (a file node or a declaration of this list) and gives
    // it the next id.
    CDeclNode* Append(CDeclNode* parent, const CDeclNode& values);

    // The canonical text of one file node's declarations.
    static std::string Format(const CDeclNode& fileNode);
    // Writes every file node in reading order (a file read twice is written
    // twice, ending with its latest copy), each atomically; a file node with
    // no declarations, or whose file did not read, is skipped. false at the first failure (`error`
    // says which file and why); files written before it stay written.
    // Each written file's node then remembers the bytes now on disk.
    bool SaveAll(const std::string& folder, std::string* error);
    // The names of the files SaveAll would write whose file no longer holds
    // the bytes read from it: another program (Glimmer, a text editor) wrote
    // it since, and saving would silently replace that version. A file gone
    // from disk, or one whose reading is not known, is not listed.
    std::vector<std::string> ChangedOnDisk(const std::string& folder) const;

    // Where a declarations file named in a use statement lives: a relative
    // name is taken from `folder` (the script's folder), never from the
    // process's current directory, which worker threads rely on.
    static std::string ResolvePath(const std::string& fileName, const std::string& folder);

    // Marks the file holding declaration `id` as edited.
    void MarkEdited(int id);
    // The files read (that did not fail), or only the edited ones, each once
    // as its latest node holds it.
    struct EditedFile {
        std::string fileName;
        std::string text;     // the canonical text of its declarations
        std::string diskText; // what its file held when read or last saved
        bool diskKnown = false;
    };
    std::vector<EditedFile> LatestFiles(bool editedOnly) const;
    std::vector<EditedFile> EditedFiles() const { return LatestFiles(true); }
    // Removes every node of the file `fileName`; a later save does not write
    // it, and ids of its declarations are no longer found.
    void Forget(const std::string& fileName);
    // Forgets every edited file.
    void ForgetEdited();

    CDeclNode* First() const { return first; }
    // Pre-order search; file nodes are never found.
    CDeclNode* FindById(int id) const;
    // "App.Main.Ok.": each ancestor below the file node that is not a top
    // menu, outermost first, each followed by ".".
    static std::string QualifiedName(const CDeclNode* node);

private:
    CDeclNode* AppendFileNode(const std::string& fileName);
    bool ParseInto(CDeclNode* fileNode, std::string_view text, std::string* error);

    CDeclNode* first = nullptr;
    int idCounter = 0;
};

#pragma once
// TDecTree: the editor's "Window Declarations" tree over one CDeclList.
// Items carry the declaration id (file and error items carry none). A double
// click opens Window Properties on the declaration; dragging an item out
// starts a drag whose text is the declaration's qualified name and a line
// break (the script control inserts it at the line under the pointer).

#include "editor/DeclList.h"

#include <QTreeWidget>

#include <string>

class TDecTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TDecTree(QWidget* parent = nullptr);

    // Reads one declarations file (relative names from `folder`) and shows
    // it after the items already shown; a file that cannot be read shows
    // "ERROR: Could Not Open %s". false on failure.
    bool Load(const std::string& fileName, const std::string& folder);
    // Removes the shown items; the list keeps its nodes.
    void Clear();
    // Writes every declarations file read since the window opened.
    bool SaveAll(const std::string& folder, std::string* error = nullptr);
    // The selected declaration's id; 0 for none, a file or an error item.
    int SelectedId() const;
    CDeclNode* FindById(int id) const { return list.FindById(id); }
    static std::string QualifiedName(const CDeclNode* node) { return CDeclList::QualifiedName(node); }
    CDeclList& List() { return list; }

Q_SIGNALS:
    // A declaration was changed in Window Properties.
    void DeclarationEdited(int id);

private:
    CDeclList list;
};

#pragma once
// TDecTree: the editor's "Window Declarations" tree over one CDeclList.
// Items carry the declaration id (file and error items carry none). A double
// click opens Window Properties on the declaration; dragging an item out
// starts a drag whose text is the declaration's qualified name and a line
// break (the script control inserts it at the line under the pointer).

#include "editor/DeclList.h"

#include <QTreeWidget>

#include <functional>
#include <string>

class TDecTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TDecTree(QWidget* parent = nullptr);

    // Reads one declarations file (relative names from `folder`) and shows
    // it after the items already shown; a file that cannot be read shows
    // "ERROR: Could Not Open %s". false on failure.
    bool Load(const std::string& fileName, const std::string& folder);
    // The same from text in memory (declarations brought back from a
    // recovery copy, edits kept over a reload), shown under `fileName`;
    // `diskText` as for CDeclList; `edited`: the text holds unsaved edits.
    bool LoadText(const std::string& fileName, const std::string& text,
                  const std::string* diskText = nullptr, bool edited = false);
    // Reload Declarations: removes the shown items, then loads every file of
    // `useList` ("a.dec::b.dec::") from `folder`, in order.
    void Reload(const std::string& useList, const std::string& folder);
    // Removes the shown items; the list keeps its nodes.
    void Clear();
    // Writes every declarations file read since the window opened.
    bool SaveAll(const std::string& folder, std::string* error = nullptr);
    // The selected declaration's id; 0 for none, a file or an error item.
    int SelectedId() const;
    CDeclNode* FindById(int id) const { return list.FindById(id); }
    static std::string QualifiedName(const CDeclNode* node) {
        return CDeclList::QualifiedName(node);
    }
    CDeclList& List() { return list; }

    // The item showing declaration `id`; null when none does.
    QTreeWidgetItem* ItemForId(int id) const;
    // What dragging `id` out carries: its qualified name and a line break.
    QString DragText(int id) const;
    // Opens Window Properties on declaration `id` (not on a top menu) and
    // applies OK to the node and its item. true when something changed.
    bool EditDeclaration(int id);
    // Replaces the Window Properties dialog (tests): edits the copy, true
    // for OK.
    using PropertiesEditor = std::function<bool(CDeclNode& copy)>;
    void SetPropertiesEditor(PropertiesEditor editor) { propertiesEditor = std::move(editor); }

    // Item data role holding the declaration id.
    static constexpr int IdRole = Qt::UserRole + 1;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;

Q_SIGNALS:
    // A declaration was changed in Window Properties.
    void DeclarationEdited(int id);

private:
    bool ShowLoaded(bool loaded, const std::string& fileName, const std::string& error);
    void ShowFile(const CDeclNode& fileNode);

    CDeclList list;
    PropertiesEditor propertiesEditor;
};

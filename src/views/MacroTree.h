#pragma once
// The macro tree in the main window's left pane: a view over the library,
// one item per entry, keyed by the entry's id (the item's data). The library
// is always changed first; the tree follows item by item.

#include "library/MacroLibrary.h"
#include "views/MacroTreeLogic.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QSet>
#include <QTreeWidget>

#include <cstdint>
#include <vector>

class QMenu;

class CMacroTree : public QTreeWidget {
    Q_OBJECT
public:
    // Mime type of a dragged entry: its id as decimal text.
    static constexpr const char* kMacroIdMime = "application/x-wingmate-macro-id";

    explicit CMacroTree(QWidget* parent = nullptr);

    void SetLibrary(CMacroLibrary* model) { library = model; }
    CMacroLibrary* Library() const { return library; }

    // Icons, background and the tree's look; called once after construction.
    void Initialize();
    // Rebuilds every item from the library. false when a node other than the
    // root has no parent (the tree is then left empty).
    bool LoadAll();
    void AddItem(const CMacro& record, int32_t relativeId, InsertPosition position);
    // The node's item, then its children Into it and its following siblings
    // After it.
    void AddSubtree(const CMacroNode* node, int32_t relativeId, InsertPosition position);
    // Text and icon from the record; false when no item has its id.
    bool RefreshItem(const CMacro& record);
    void RemoveItem(int32_t id);
    QTreeWidgetItem* FindItem(int32_t id) const;
    int32_t GetCaretId() const;
    static int32_t GetItemId(const QTreeWidgetItem* item);
    // Moves the selected icon to the caret entry and hands it to the main
    // window (double click, Space).
    void SyncSelection();
    int32_t SelectedId() const { return selectedId; }

    // Cut, Copy, Delete and the pastes on the caret entry (the main window's
    // Macro menu and the context menu). Other commands are only passed on.
    void RunCommand(int command);
    // Carries out a library change in the items.
    void ApplyEdit(const TreeEdit& edit);

    // The drop target: the item last highlighted during a drag.
    void SetDropHighlight(int32_t id);
    int32_t DropHighlightId() const { return dropHighlightId; }
    // Moves the source entry onto the drop-highlighted entry.
    void DropOn(int32_t sourceId);

    // The context menu for an entry (nullptr when it would be empty); the
    // actions carry their command in data().
    QMenu* CreateContextMenu(int32_t id, QWidget* parent);
    // Commands the program cannot carry out yet stay out of the context menu.
    void WithholdCommand(int command) { withheldCommands.insert(command); }

Q_SIGNALS:
    // The main window loads the entry into the Manager page (SelectMacro).
    void selectMacroRequested(int32_t id);
    // A left click: the main window sets its menu and toolbar for the entry
    // (0: none).
    void commandStateRequested(int32_t id);
    // A double click shows the Manager page.
    void showManagerTabRequested();
    // Commands the tree does not carry out itself (Edit, Execute), for the
    // caret entry.
    void commandRequested(int command, int32_t id);
    // The library was changed through the tree (cut, delete, paste, drop).
    void libraryChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    void SetItemIcon(QTreeWidgetItem* item, const CMacro& record, bool selected);

    CMacroLibrary* library = nullptr;

private:
    static int32_t DraggedId(const QMimeData* mime);
    QTreeWidgetItem* NewItem(const CMacro& record);
    void Remember(int32_t id, QTreeWidgetItem* item);
    // Items for the planned entries (returned in plan order), linked to their
    // parents but not yet in the view; the top ones in `top`, in order.
    std::vector<QTreeWidgetItem*> MakeItems(const std::vector<FillStep>& steps,
                                            QList<QTreeWidgetItem*>& top);
    void PlaceItems(const QList<QTreeWidgetItem*>& items, int32_t relativeId,
                    InsertPosition position);
    void ForgetSubtree(QTreeWidgetItem* item);
    void RebuildIndex();
    void ShowDropHighlight(int32_t id, bool on);

    int32_t selectedId = 0;
    int32_t dropHighlightId = 0;
    QHash<int32_t, QTreeWidgetItem*> itemsById;
    QList<QIcon> icons; // by TreeIcon, fetched once
    QSet<int> withheldCommands;
    bool hasDuplicateIds = false;
};

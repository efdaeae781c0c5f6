#include "views/MacroTree.h"

#include "ports/UiText.h"
#include "views/LightPaper.h"
#include "views/QtText.h"

#include "views/IconSet.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <utility>
#include <vector>

namespace {
constexpr int kIdRole = Qt::UserRole;

// An item that keeps its name, icon and id in plain fields: a library of
// 100,000 entries makes as many items, and the stock item stores each value
// in a list of variants of its own. Other roles (the drop highlight's
// colours) are stored as usual.
class CMacroItem : public QTreeWidgetItem {
public:
    CMacroItem(int32_t entryId, QString entryName, QIcon entryIcon)
        : QTreeWidgetItem(UserType), id(entryId), name(std::move(entryName)),
          icon(std::move(entryIcon)) {}

    QVariant data(int column, int role) const override {
        if (column == 0) {
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return name;
            if (role == Qt::DecorationRole)
                return icon.isNull() ? QVariant() : QVariant(icon);
            if (role == kIdRole)
                return id;
            // Read from the entry when asked, so it never lags behind an edit.
            if (role == Qt::ToolTipRole)
                return ToolTip();
        }
        return QTreeWidgetItem::data(column, role);
    }

    QVariant ToolTip() const {
        const auto* tree = qobject_cast<const CMacroTree*>(treeWidget());
        const CMacroNode* node = tree && tree->Library() ? tree->Library()->FindById(id) : nullptr;
        const std::string tip = node ? EntryToolTip(*node) : std::string();
        return tip.empty() ? QVariant() : QVariant(Text(tip));
    }

    // The stock setter still runs so that the view hears of the change.
    void setData(int column, int role, const QVariant& value) override {
        if (column == 0) {
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                name = value.toString();
            else if (role == Qt::DecorationRole)
                icon = value.value<QIcon>();
            else if (role == kIdRole)
                id = value.toInt();
        }
        QTreeWidgetItem::setData(column, role, value);
    }

private:
    int32_t id;
    QString name;
    QIcon icon;
};
} // namespace

CMacroTree::CMacroTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

void CMacroTree::Initialize() {
    setIconSize(QSize(16, 16));
    UseLightPaper(this);
}

void CMacroTree::SetItemIcon(QTreeWidgetItem* item, const CMacro& record, bool selected) {
    if (const std::optional<TreeIcon> role = IconFor(record, selected))
        item->setIcon(0, TreeIconImage(*role));
}

// Built in one pass: the items are linked to their parents before they enter
// the view, which then takes them in a single insertion and lays them out
// once, instead of once per item.
bool CMacroTree::LoadAll() {
    clear();
    itemsById.clear();
    hasDuplicateIds = false;
    selectedId = 0;
    dropHighlightId = 0;
    if (!library)
        return true;
    const std::optional<std::vector<FillStep>> steps = PlanFill(library->Root());
    if (!steps)
        return false;
    QList<QTreeWidgetItem*> top;
    MakeItems(*steps, top);
    setUpdatesEnabled(false);
    addTopLevelItems(top);
    // Every item with children was a parent of an added item: all expanded.
    expandAll();
    setUpdatesEnabled(true);
    if (hasDuplicateIds)
        RebuildIndex();
    return true;
}

QTreeWidgetItem* CMacroTree::NewItem(const CMacro& record) {
    if (icons.isEmpty()) {
        for (int role = 0; role < kTreeIconCount; ++role)
            icons.append(TreeIconImage(static_cast<TreeIcon>(role)));
    }
    const std::optional<TreeIcon> role = IconFor(record, false);
    return new CMacroItem(record.id, Text(record.name),
                          role ? icons[static_cast<int>(*role)] : QIcon());
}

void CMacroTree::Remember(int32_t id, QTreeWidgetItem* item) {
    if (!itemsById.contains(id))
        itemsById.insert(id, item);
    else
        hasDuplicateIds = true;
}

std::vector<QTreeWidgetItem*> CMacroTree::MakeItems(const std::vector<FillStep>& steps,
                                                    QList<QTreeWidgetItem*>& top) {
    std::vector<QTreeWidgetItem*> items;
    items.reserve(steps.size());
    for (const FillStep& step : steps) {
        QTreeWidgetItem* item = NewItem(*step.node);
        if (step.parentStep < 0)
            top.append(item);
        else
            items[static_cast<size_t>(step.parentStep)]->addChild(item);
        items.push_back(item);
        Remember(step.id, item);
    }
    return items;
}

// Consecutive items at one place: beside, before or into the relative item,
// or at the top level, last, when there is none.
void CMacroTree::PlaceItems(const QList<QTreeWidgetItem*>& items, int32_t relativeId,
                            InsertPosition position) {
    QTreeWidgetItem* relative = relativeId > 0 ? FindItem(relativeId) : nullptr;
    QTreeWidgetItem* parentItem = nullptr;
    if (!relative) {
        addTopLevelItems(items);
    } else if (position != InsertPosition::After && position != InsertPosition::Before) {
        parentItem = relative;
        relative->addChildren(items);
    } else if (!relative->parent()) {
        // As in the library: beside the root means into the root.
        parentItem = relative;
        relative->addChildren(items);
    } else {
        parentItem = relative->parent();
        const int at = parentItem->indexOfChild(relative);
        parentItem->insertChildren(position == InsertPosition::After ? at + 1 : at, items);
    }
    if (parentItem)
        parentItem->setExpanded(true);
}

void CMacroTree::AddItem(const CMacro& record, int32_t relativeId, InsertPosition position) {
    QTreeWidgetItem* item = NewItem(record);
    PlaceItems({item}, relativeId, position);
    Remember(record.id, item);
}

// The node's item goes at the position, its following siblings after it, all
// with their subtrees built before they enter the view.
void CMacroTree::AddSubtree(const CMacroNode* node, int32_t relativeId, InsertPosition position) {
    if (!node)
        return;
    QList<QTreeWidgetItem*> top;
    const std::vector<QTreeWidgetItem*> items = MakeItems(PlanSubtree(node), top);
    PlaceItems(top, relativeId, position);
    for (QTreeWidgetItem* item : items)
        if (item->childCount() > 0)
            item->setExpanded(true);
}

bool CMacroTree::RefreshItem(const CMacro& record) {
    QTreeWidgetItem* item = FindItem(record.id);
    if (!item)
        return false;
    item->setText(0, Text(record.name));
    SetItemIcon(item, record, item == currentItem());
    return true;
}

void CMacroTree::ForgetSubtree(QTreeWidgetItem* item) {
    std::vector<QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
        QTreeWidgetItem* each = pending.back();
        pending.pop_back();
        const int32_t id = GetItemId(each);
        auto found = itemsById.find(id);
        if (found != itemsById.end() && found.value() == each)
            itemsById.erase(found);
        for (int child = 0; child < each->childCount(); ++child)
            pending.push_back(each->child(child));
    }
}

void CMacroTree::RemoveItem(int32_t id) {
    QTreeWidgetItem* item = FindItem(id);
    if (!item)
        return;
    ForgetSubtree(item);
    delete item;
    if (hasDuplicateIds)
        RebuildIndex();
}

// Only for libraries that hold an id twice: the first item in display order
// answers for the id again.
void CMacroTree::RebuildIndex() {
    itemsById.clear();
    std::vector<QTreeWidgetItem*> pending{invisibleRootItem()};
    while (!pending.empty()) {
        QTreeWidgetItem* each = pending.back();
        pending.pop_back();
        if (each != invisibleRootItem() && !itemsById.contains(GetItemId(each)))
            itemsById.insert(GetItemId(each), each);
        for (int child = each->childCount() - 1; child >= 0; --child)
            pending.push_back(each->child(child));
    }
}

QTreeWidgetItem* CMacroTree::FindItem(int32_t id) const {
    return itemsById.value(id, nullptr);
}

int32_t CMacroTree::GetItemId(const QTreeWidgetItem* item) {
    return item ? item->data(0, kIdRole).toInt() : 0;
}

int32_t CMacroTree::GetCaretId() const {
    return GetItemId(currentItem());
}

void CMacroTree::SyncSelection() {
    if (!library)
        return;
    const SelectionChange change = PlanSelectionSync(*library, selectedId, GetCaretId());
    if (!change.select)
        return;
    if (change.unmarkId) {
        if (QTreeWidgetItem* item = FindItem(change.unmarkId))
            SetItemIcon(item, *library->FindById(change.unmarkId), false);
    }
    Q_EMIT selectMacroRequested(change.selectId);
    selectedId = change.selectId;
    if (QTreeWidgetItem* item = FindItem(selectedId)) {
        if (const CMacroNode* node = library->FindById(selectedId))
            SetItemIcon(item, *node, true);
    }
}

void CMacroTree::ApplyEdit(const TreeEdit& edit) {
    if (edit.removedId)
        RemoveItem(edit.removedId);
    if (edit.addSubtree && library && library->Clipboard())
        AddSubtree(library->Clipboard(), edit.addTarget, edit.addPosition);
}

void CMacroTree::RunCommand(int command) {
    const int32_t id = GetCaretId();
    if (id == 0 || !library)
        return;
    if (command == MacroCommand::kEdit || command == MacroCommand::kExecute) {
        Q_EMIT commandRequested(command, id);
        return;
    }
    const TreeEdit edit = ApplyLibraryCommand(*library, command, id);
    ApplyEdit(edit);
    if (edit.Changed())
        Q_EMIT libraryChanged();
}

void CMacroTree::ShowDropHighlight(int32_t id, bool on) {
    if (QTreeWidgetItem* item = FindItem(id))
        item->setBackground(0, on ? palette().brush(QPalette::Highlight) : QBrush());
    if (QTreeWidgetItem* item = FindItem(id))
        item->setForeground(0, on ? palette().brush(QPalette::HighlightedText) : QBrush());
}

void CMacroTree::SetDropHighlight(int32_t id) {
    if (id == dropHighlightId)
        return;
    ShowDropHighlight(dropHighlightId, false);
    dropHighlightId = id;
    ShowDropHighlight(dropHighlightId, true);
}

void CMacroTree::DropOn(int32_t sourceId) {
    if (!library)
        return;
    const TreeEdit edit = ::DropOn(*library, sourceId, dropHighlightId);
    SetDropHighlight(0);
    ApplyEdit(edit);
    if (!edit.Changed())
        return;
    if (QTreeWidgetItem* moved = FindItem(edit.movedId)) {
        setCurrentItem(moved);
        scrollToItem(moved);
    }
    Q_EMIT libraryChanged();
}

QMenu* CMacroTree::CreateContextMenu(int32_t id, QWidget* parent) {
    if (!library)
        return nullptr;
    const std::vector<MenuEntry> entries = BuildContextMenu(*library, id);
    if (entries.empty())
        return nullptr;
    auto* menu = new QMenu(parent);
    for (const MenuEntry& entry : entries) {
        if (entry.IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        if (!entry.children.empty()) {
            QMenu* sub = menu->addMenu(Text(UiText(entry.text.c_str())));
            for (const MenuEntry& child : entry.children)
                sub->addAction(Text(UiText(child.text.c_str())))->setData(child.command);
            continue;
        }
        if (!withheldCommands.contains(entry.command))
            menu->addAction(Text(UiText(entry.text.c_str())))->setData(entry.command);
    }
    return menu;
}

void CMacroTree::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT commandStateRequested(GetItemId(itemAt(event->position().toPoint())));
    QTreeWidget::mousePressEvent(event);
}

// No default handling: a double click loads the entry, it never expands or
// collapses a set.
void CMacroTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    SyncSelection();
    Q_EMIT showManagerTabRequested();
}

void CMacroTree::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space)
        SyncSelection();
    QTreeWidget::keyPressEvent(event);
}

// The clicked item becomes the caret (the Manager page keeps what it shows);
// the chosen command acts on it.
void CMacroTree::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = itemAt(event->pos());
    if (!item || !library)
        return;
    setCurrentItem(item);
    const int32_t id = GetItemId(item);
    if (!library->FindById(id))
        return;
    QMenu* menu = CreateContextMenu(id, this);
    if (!menu)
        return;
    QAction* chosen = menu->exec(event->globalPos());
    const int command = chosen ? chosen->data().toInt() : 0;
    delete menu;
    if (command)
        RunCommand(command);
}

int32_t CMacroTree::DraggedId(const QMimeData* mime) {
    if (!mime || !mime->hasFormat(QString::fromLatin1(kMacroIdMime)))
        return 0;
    bool ok = false;
    const int32_t id =
        QString::fromLatin1(mime->data(QString::fromLatin1(kMacroIdMime))).toInt(&ok);
    return ok ? id : 0;
}

// The drag carries the entry's id; the move itself happens on the drop.
void CMacroTree::startDrag(Qt::DropActions) {
    QTreeWidgetItem* item = currentItem();
    const int32_t id = GetItemId(item);
    const CMacroNode* node = library && id ? library->FindById(id) : nullptr;
    if (!node || !node->parent)
        return;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMacroIdMime), QByteArray::number(id));
    mime->setText(item->text(0));

    // The drag image: the item's icon and name.
    const QFontMetrics metrics(font());
    const QString text = item->text(0);
    QPixmap image(20 + metrics.horizontalAdvance(text) + 6, qMax(18, metrics.height() + 2));
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        item->icon(0).paint(&painter, QRect(1, (image.height() - 16) / 2, 16, 16));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(20, 0, image.width() - 20, image.height()), Qt::AlignVCenter, text);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(image);
    drag->setHotSpot(QPoint(8, image.height() / 2));
    drag->exec(Qt::MoveAction);
    SetDropHighlight(0);
}

void CMacroTree::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedId(event->mimeData()) == 0) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

// The highlight moves to the item under the pointer and stays there over empty
// space, so a release there drops onto the item highlighted last.
void CMacroTree::dragMoveEvent(QDragMoveEvent* event) {
    const int32_t source = DraggedId(event->mimeData());
    if (source == 0 || !library) {
        event->ignore();
        return;
    }
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint()))
        SetDropHighlight(GetItemId(item));
    if (CanDrop(*library, source, dropHighlightId)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CMacroTree::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDropHighlight(0);
    event->accept();
}

void CMacroTree::dropEvent(QDropEvent* event) {
    const int32_t source = DraggedId(event->mimeData());
    if (source == 0) {
        event->ignore();
        return;
    }
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint()))
        SetDropHighlight(GetItemId(item));
    event->setDropAction(Qt::MoveAction);
    event->accept();
    DropOn(source);
}

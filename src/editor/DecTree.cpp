#include "editor/DecTree.h"

#include "editor/UseScanner.h"
#include "editor/WindowPropsDlg.h"
#include "views/IconSet.h"
#include "views/LightPaper.h"

#include <QDrag>
#include <QHeaderView>
#include <QIcon>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidgetItemIterator>

#include <vector>

namespace {

enum class DeclIcon { File, Window, Menu };

QIcon IconFor(DeclIcon role) {
    static const char* const names[] = {"decl-file", "decl-window", "decl-menu"};
    return NamedIcon(names[static_cast<int>(role)]);
}

DeclIcon IconForType(const std::string& type) {
    return type == "Menu" || type == "MenuItem" ? DeclIcon::Menu : DeclIcon::Window;
}

QTreeWidgetItem* MakeItem(const QString& text, DeclIcon icon, int id) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, IconFor(icon));
    item->setData(0, TDecTree::IdRole, id);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (id != 0)
        flags |= Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    return item;
}

} // namespace

TDecTree::TDecTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setExpandsOnDoubleClick(false);
    setIconSize(QSize(16, 16));
    // Long names and error items scroll sideways rather than being cut off.
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    UseLightPaper(this);
}

bool TDecTree::Load(const std::string& fileName, const std::string& folder) {
    std::string error;
    return ShowLoaded(list.Load(fileName, folder, &error), fileName, error);
}

bool TDecTree::LoadText(const std::string& fileName, const std::string& text,
                        const std::string* diskText, bool edited) {
    std::string error;
    const bool loaded = list.LoadText(fileName, text, &error, diskText);
    if (edited) {
        CDeclNode* fileNode = list.First();
        while (fileNode->next)
            fileNode = fileNode->next;
        fileNode->edited = 1;
    }
    return ShowLoaded(loaded, fileName, error);
}

// Shows the file node just read, or its error item.
bool TDecTree::ShowLoaded(bool loaded, const std::string& fileName, const std::string& error) {
    if (!loaded) {
        auto* item = MakeItem(tr("ERROR: Could Not Open %1").arg(QString::fromStdString(fileName)),
                              DeclIcon::File, 0);
        item->setToolTip(0, QString::fromStdString(error));
        addTopLevelItem(item);
        return false;
    }
    const CDeclNode* fileNode = list.First();
    while (fileNode->next)
        fileNode = fileNode->next;
    ShowFile(*fileNode);
    return true;
}

// Items are added without recursion: a pending stack of (node, parent item),
// children after their parent, siblings in file order under the same item.
void TDecTree::ShowFile(const CDeclNode& fileNode) {
    auto* fileItem = MakeItem(QString::fromStdString(fileNode.name), DeclIcon::File, 0);
    addTopLevelItem(fileItem);
    struct Pending {
        const CDeclNode* node;
        QTreeWidgetItem* parentItem;
    };
    std::vector<Pending> pending;
    if (fileNode.firstChild)
        pending.push_back({fileNode.firstChild, fileItem});
    while (!pending.empty()) {
        auto [node, parentItem] = pending.back();
        pending.pop_back();
        auto* item =
            MakeItem(QString::fromStdString(node->name), IconForType(node->type), node->id);
        parentItem->addChild(item);
        if (node->next)
            pending.push_back({node->next, parentItem});
        if (node->firstChild)
            pending.push_back({node->firstChild, item});
    }
    fileItem->setExpanded(true);
}

void TDecTree::Clear() {
    clear();
}

void TDecTree::Reload(const std::string& useList, const std::string& folder) {
    Clear();
    for (const std::string& file : UseListFiles(useList))
        Load(file, folder);
}

bool TDecTree::SaveAll(const std::string& folder, std::string* error) {
    return list.SaveAll(folder, error);
}

int TDecTree::SelectedId() const {
    const QTreeWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->data(0, IdRole).toInt() : 0;
}

QTreeWidgetItem* TDecTree::ItemForId(int id) const {
    if (id == 0)
        return nullptr;
    QTreeWidgetItemIterator it(const_cast<TDecTree*>(this));
    for (; *it; ++it)
        if ((*it)->data(0, IdRole).toInt() == id)
            return *it;
    return nullptr;
}

QString TDecTree::DragText(int id) const {
    const CDeclNode* node = list.FindById(id);
    return node ? QString::fromStdString(CDeclList::QualifiedName(node) + "\n") : QString();
}

bool TDecTree::EditDeclaration(int id) {
    CDeclNode* node = list.FindById(id);
    if (!node || node->topMenu)
        return false;
    CDeclNode copy = *node;
    bool accepted = false;
    if (propertiesEditor) {
        accepted = propertiesEditor(copy);
    } else {
        CWindowPropsDlg dialog(copy, this);
        accepted = dialog.exec() == QDialog::Accepted;
        if (accepted)
            dialog.ApplyTo(copy);
    }
    if (!accepted)
        return false;
    node->name = copy.name;
    node->type = copy.type;
    node->tag = copy.tag;
    node->cls = copy.cls;
    node->isParent = copy.isParent;
    node->isChild = copy.isChild;
    if (QTreeWidgetItem* item = ItemForId(id))
        item->setText(0, QString::fromStdString(node->name));
    list.MarkEdited(id);
    Q_EMIT DeclarationEdited(id);
    return true;
}

// The item under the pointer is selected on press, so a drag always carries
// the item it started on.
void TDecTree::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint()))
        setCurrentItem(item);
}

// Double-click opens Window Properties; the tree's own expand/collapse on
// double-click does not run.
void TDecTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int id = SelectedId();
    if (id != 0)
        EditDeclaration(id);
}

// A declaration is only ever copied out: a drop that asked for a move must
// not take the item out of the tree.
void TDecTree::startDrag(Qt::DropActions) {
    QTreeWidgetItem* item = currentItem();
    if (!item)
        return;
    QMimeData* mime = mimeData({item});
    if (!mime)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(item->icon(0).pixmap(iconSize()));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

QStringList TDecTree::mimeTypes() const {
    return {QStringLiteral("text/plain")};
}

QMimeData* TDecTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty())
        return nullptr;
    const QString text = DragText(items.first()->data(0, IdRole).toInt());
    if (text.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setText(text);
    return mime;
}

#include "app/BoardWidgets.h"

#include "app/Images.h"

#include <QTreeWidget>

namespace qel {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

void TBoardListView::BeginUpdate() {
    FList->setUpdatesEnabled(false);
}

void TBoardListView::Clear() {
    FList->clear();
}

void TBoardListView::AddRow(const TBoardRow& row) {
    auto* item = new QTreeWidgetItem(FList);
    item->setText(0, Q(row.Caption));
    for (size_t i = 0; i < row.SubItems.size() && i < 5; ++i)
        item->setText(static_cast<int>(i) + 1, Q(row.SubItems[i]));
    item->setIcon(0, images::SmallPic(row.ImageIndex));
    if (Marked && row.SubItems.size() > 4 && Marked(row.SubItems[4])) {
        QFont font = FList->font();
        font.setBold(true);
        for (int column = 0; column < 6; ++column)
            item->setFont(column, font);
        item->setToolTip(0, QObject::tr("You are notified when this status changes"));
    }
}

void TBoardListView::EndUpdate() {
    // "User" follows its contents; the other columns do while they are
    // shown (width 0 means hidden: optional columns, and "Status" in mini view).
    FList->resizeColumnToContents(0);
    for (int column = 1; column <= 4; ++column)
        if (FList->columnWidth(column) > 0)
            FList->resizeColumnToContents(column);
    FList->setUpdatesEnabled(true);
}

void TDepartmentTreeView::Clear() {
    FTree->clear();
    FRoot = nullptr;
}

void TDepartmentTreeView::AddRoot(const std::string& text) {
    FRoot = new QTreeWidgetItem(FTree, QStringList{Q(text)});
}

void TDepartmentTreeView::AddChild(const std::string& text) {
    if (FRoot)
        new QTreeWidgetItem(FRoot, QStringList{Q(text)});
}

} // namespace qel

#pragma once

#include "records/UiPorts.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace qel {

// The board list (ListViewMain) as the record classes fill it. Every text is
// set as plain item text; nothing from the shared folder is read as markup.
class TBoardListView : public IBoardList {
public:
    explicit TBoardListView(QTreeWidget* list) : FList(list) {}
    void BeginUpdate() override;
    void Clear() override;
    void AddRow(const TBoardRow& row) override;
    void EndUpdate() override;

private:
    QTreeWidget* FList;
};

// The department tree (TreeViewMain).
class TDepartmentTreeView : public IDepartmentTree {
public:
    explicit TDepartmentTreeView(QTreeWidget* tree) : FTree(tree) {}
    void Clear() override;
    void AddRoot(const std::string& text) override;
    void AddChild(const std::string& text) override;

private:
    QTreeWidget* FTree;
    QTreeWidgetItem* FRoot = nullptr;
};

} // namespace qel

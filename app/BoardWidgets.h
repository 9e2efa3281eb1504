#pragma once

#include "records/UiPorts.h"

#include <functional>

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

    // Rows whose computer this answers true for are shown in bold (the
    // colleagues this computer follows).
    std::function<bool(const std::string& computer)> Marked;

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

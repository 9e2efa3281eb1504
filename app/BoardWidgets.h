#pragma once

#include "records/UiPorts.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

namespace qel {

// The board list (ListViewMain) as the record classes fill it. Every text is
// set as plain item text; nothing from the shared folder is read as markup.
// GUI thread only.
class TBoardListView : public IBoardList {
public:
    explicit TBoardListView(QTreeWidget* list) : FList(list) {}
    ~TBoardListView() override;
    TBoardListView(const TBoardListView&) = delete;
    TBoardListView& operator=(const TBoardListView&) = delete;
    void BeginUpdate() override;
    void Clear() override;
    void AddRow(const TBoardRow& row) override;
    // Sizes "User", "Status" and the shown optional columns to their widest
    // text, as measured while the rows came in (the items are not asked).
    void EndUpdate() override;
    // Sizes column `column` (0 to 4) to its widest text and the header's.
    void FitColumn(int column);

    // Rows whose computer this answers true for are shown in bold (the
    // colleagues this computer follows).
    std::function<bool(const std::string& computer)> Marked;

private:
    // Pixel width of `text` in the list's font (as of the last BeginUpdate).
    int TextWidth(const std::string& text) const;
    // What a cell adds to its text: margins, and the image in column 0.
    int CellChrome(int column);

    QTreeWidget* FList;
    // Rows added since BeginUpdate, not yet in the list.
    QList<QTreeWidgetItem*> FPending;
    // Widest text per column (User, Status, Ext, Department, Comments).
    std::array<int, 5> FWidest{};
    // Advance of each ASCII character in the list's font, made again by
    // BeginUpdate when the font changed.
    std::array<int, 128> FAdvance{};
    QString FAdvanceFont;
    std::array<int, 2> FChrome{-1, -1};
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

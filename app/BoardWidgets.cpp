#include "app/BoardWidgets.h"

#include "app/Images.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>

namespace qel {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

TBoardListView::~TBoardListView() {
    qDeleteAll(FPending);
}

void TBoardListView::BeginUpdate() {
    FList->setUpdatesEnabled(false);
    const QString font = FList->font().key();
    if (font != FAdvanceFont) {
        const QFontMetrics metrics(FList->font());
        for (int c = 0; c < 128; ++c)
            FAdvance[static_cast<size_t>(c)] = metrics.horizontalAdvance(QChar(c));
        FAdvanceFont = font;
        FChrome = {-1, -1};
    }
}

void TBoardListView::Clear() {
    FList->clear();
    qDeleteAll(FPending);
    FPending.clear();
    FWidest.fill(0);
}

int TBoardListView::TextWidth(const std::string& text) const {
    // Plain ASCII is summed from the table; anything else is measured whole.
    int width = 0;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 128)
            return QFontMetrics(FList->font()).horizontalAdvance(Q(text));
        width += FAdvance[static_cast<size_t>(c)];
    }
    return width;
}

void TBoardListView::AddRow(const TBoardRow& row) {
    // Held back and inserted in one go at EndUpdate: the list lays itself out
    // once, not once per row.
    auto* item = new QTreeWidgetItem;
    FPending.append(item);
    const bool marked = Marked && row.SubItems.size() > 4 && Marked(row.SubItems[4]);
    QFont bold;
    if (marked) {
        bold = FList->font();
        bold.setBold(true);
    }
    // A followed colleague's row is bold, so it is measured in bold.
    const auto width = [&](const std::string& text) {
        return marked ? QFontMetrics(bold).horizontalAdvance(Q(text)) : TextWidth(text);
    };
    item->setText(0, Q(row.Caption));
    FWidest[0] = std::max(FWidest[0], width(row.Caption));
    for (size_t i = 0; i < row.SubItems.size() && i < 5; ++i) {
        item->setText(static_cast<int>(i) + 1, Q(row.SubItems[i]));
        if (i < 4)
            FWidest[i + 1] = std::max(FWidest[i + 1], width(row.SubItems[i]));
    }
    item->setIcon(0, images::SmallPic(row.ImageIndex));
    if (marked) {
        for (int column = 0; column < 6; ++column)
            item->setFont(column, bold);
        item->setToolTip(0, QObject::tr("You are notified when this status changes"));
    }
}

int TBoardListView::CellChrome(int column) {
    if (FChrome[0] < 0) {
        // Measured once on a one-row list made like this one: column 0 with
        // its image, column 1 as every other.
        QTreeWidget probe;
        probe.setFont(FList->font());
        probe.setIconSize(FList->iconSize());
        probe.setRootIsDecorated(FList->rootIsDecorated());
        probe.setColumnCount(2);
        // Long enough to be wider than the header's own label.
        const std::string text(24, 'x');
        auto* item = new QTreeWidgetItem(&probe, QStringList{Q(text), Q(text)});
        item->setIcon(0, images::SmallPic(1));
        for (int c = 0; c < 2; ++c) {
            probe.resizeColumnToContents(c);
            FChrome[static_cast<size_t>(c)] = std::max(0, probe.columnWidth(c) - TextWidth(text));
        }
    }
    return FChrome[column == 0 ? 0 : 1];
}

void TBoardListView::FitColumn(int column) {
    const int contents = FList->topLevelItemCount() > 0 ? FWidest[static_cast<size_t>(column)] + CellChrome(column) : 0;
    FList->setColumnWidth(column, std::max(contents, FList->header()->sectionSizeHint(column)));
}

void TBoardListView::EndUpdate() {
    FList->addTopLevelItems(FPending);
    FPending.clear();
    // "User" follows its contents; the other columns do while they are
    // shown (width 0 means hidden: optional columns, and "Status" in mini view).
    FitColumn(0);
    for (int column = 1; column <= 4; ++column)
        if (FList->columnWidth(column) > 0)
            FitColumn(column);
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

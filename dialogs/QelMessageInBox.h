#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/MessageLogic.h"
#include "dialogs/QelDialog.h"
#include "records/UiPorts.h"

#include <memory>

class QAction;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QTreeWidget;

namespace qel {

// The list view of the in-box as the message store fills it.
class TInBoxListView : public IInBoxList {
public:
    explicit TInBoxListView(QTreeWidget* list) : FList(list) {}
    void BeginUpdate() override;
    void Clear() override;
    void AddItem(const TInBoxRow& row) override;
    void EndUpdate() override;

private:
    QTreeWidget* FList;
};

// Numbered status-bar panels made of labels.
class TLabelPanels : public IStatusPanels {
public:
    std::vector<QLabel*> Panels;
    void SetPanelText(int panel, const std::string& text) override;
};

// The in-box: every message for this computer, the text of the one
// selected, and deleting.
class TfrmQelMessageInBox : public TQelDialog {
    Q_OBJECT
public:
    // Columns of ListViewInBox.
    enum { ColFrom, ColSubject, ColType, ColPrimaryKey, ColReceived };

    TfrmQelMessageInBox(TDialogServices& services, QWidget* parent = nullptr);
    ~TfrmQelMessageInBox() override;

    // A click on the list (the selected item, if any).
    void ListViewInBoxClick();
    void actDeleteMessageExecute();
    // The enabling rule of the Delete command.
    void UpdateActions();

    QAction* actFileExit = nullptr;
    QAction* actDeleteMessage = nullptr;
    QSplitter* SplitterMain = nullptr;
    QTreeWidget* ListViewInBox = nullptr;
    QPlainTextEdit* memoMessageConntent = nullptr;
    TLabelPanels StatusBarMain;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    TDialogServices& FServices;
    TInBoxLogic FLogic;
    std::unique_ptr<TInBoxListView> FListView;
};

} // namespace qel

#pragma once

#include "app/MainView.h"
#include "dialogs/MainWindowHooks.h"

#include <memory>

namespace qel {

class TfrmMain;
class TfrmQelCatalogue;
class TfrmQelComments;
class TfrmQelMessageInBox;
class TfrmQelMessages;
class TfrmQelUsers;
class TfrmSelectDepartment;
class TfrmSelectStatus;
class TfrmSettings;

// The dialogs the main window opens, and what they may do to the main window.
// Available after the main window's creation step (they work on its
// program-wide objects); each dialog is made, hidden, the first time it is
// needed, so start-up pays for none of them.
class TQtMainDialogs : public IMainDialogs, public IMainWindowHooks {
public:
    TQtMainDialogs();
    ~TQtMainDialogs() override;

    // Makes the dialogs available. `main` must have completed FormCreate and
    // outlive this object.
    void Create(TfrmMain& main);

    // IMainDialogs
    bool Available(TMainDialog dialog) const override;
    void Show(TMainDialog dialog) override;
    void ShowSendMessage(const TMessageWindowFields& fields, const std::string& toComputerName) override;
    bool MessageDialogOnScreen() const override;
    IMessageWindow* MessageWindow() override;

    // IMainWindowHooks
    void SetRefreshTimerEnabled(bool enabled) override;
    void SetMessageTimerEnabled(bool enabled) override;
    void SetSendMessageEnabled(bool enabled) override;
    void ClearNewMailState() override;
    IBoardList& Board() override;
    void SetCaption(const std::string& caption) override;
    void ShowColumns(bool ext, bool department, bool comments) override;
    void WidenByOnePixel() override;
    void ApplyShape(const TMainShape& shape) override;

private:
    TfrmMain* FMain = nullptr;
    std::unique_ptr<TDialogServices> FServices;
    // Made on first use; owned by the main window (their parent) and
    // destroyed with it.
    TfrmSettings* FSettings = nullptr;
    TfrmQelCatalogue* FDepartments = nullptr;
    TfrmQelCatalogue* FStatuses = nullptr;
    TfrmQelComments* FComments = nullptr;
    TfrmQelUsers* FUsers = nullptr;
    TfrmSelectStatus* FSelectStatus = nullptr;
    TfrmQelMessages* FMessages = nullptr;
    TfrmQelMessageInBox* FInBox = nullptr;
    TfrmSelectDepartment* FSelectDepartment = nullptr;
};

} // namespace qel

#include "app/MainDialogs.h"

#include "app/IdleUpdates.h"
#include "app/Main.h"
#include "app/MainController.h"
#include "dialogs/QelComments.h"
#include "dialogs/QelDepartments.h"
#include "dialogs/QelMessageInBox.h"
#include "dialogs/QelMessages.h"
#include "dialogs/QelStatuses.h"
#include "dialogs/QelUsers.h"
#include "dialogs/SelectDepartment.h"
#include "dialogs/SelectStatus.h"
#include "dialogs/Settings.h"

#include <QHeaderView>
#include <QToolBar>
#include <QTreeWidget>

namespace qel {

TQtMainDialogs::TQtMainDialogs() = default;
TQtMainDialogs::~TQtMainDialogs() = default;

void TQtMainDialogs::Create(TfrmMain& main) {
    FMain = &main;
    TMainController& controller = main.Controller();
    FServices.reset(new TDialogServices{controller.Context(), controller.Settings(), controller.Users(),
                                        controller.Statuses(), controller.Departments(), controller.Messages(), *this,
                                        [](QObject* owner, std::function<void()> handler) {
                                            TIdleUpdates::Instance().Register(owner, std::move(handler));
                                        },
                                        [&controller] { return controller.ScreenLockAvailable(); }});
    FSettings = new TfrmSettings(*FServices, &main);
    FDepartments = NewQelDepartments(*FServices, &main);
    FStatuses = new TfrmQelCatalogue(*FServices, TCatalogueDialogKind::Statuses, &main);
    FComments = new TfrmQelComments(*FServices, &main);
    FUsers = new TfrmQelUsers(*FServices, &main);
    FSelectStatus = new TfrmSelectStatus(*FServices, &main);
    FMessages = new TfrmQelMessages(*FServices, &main);
    FInBox = new TfrmQelMessageInBox(*FServices, &main);
    FSelectDepartment = new TfrmSelectDepartment(*FServices, &main);
}

bool TQtMainDialogs::Available(TMainDialog) const {
    return FMain != nullptr;
}

void TQtMainDialogs::Show(TMainDialog dialog) {
    if (!FMain)
        return;
    switch (dialog) {
    case TMainDialog::Settings:
        FSettings->exec();
        return;
    case TMainDialog::CustomStatus:
        FSelectStatus->exec();
        return;
    case TMainDialog::Comments:
        FComments->exec();
        return;
    case TMainDialog::Users:
        FUsers->exec();
        return;
    case TMainDialog::Departments:
        FDepartments->exec();
        return;
    case TMainDialog::Statuses:
        FStatuses->exec();
        return;
    case TMainDialog::InBox:
        FInBox->exec();
        return;
    case TMainDialog::SendMessage:
        return;
    case TMainDialog::SelectDepartment:
        FSelectDepartment->exec();
        return;
    }
}

void TQtMainDialogs::ShowSendMessage(const TMessageWindowFields& fields, const std::string& toComputerName) {
    if (FMessages)
        FMessages->ShowSend(fields, toComputerName);
}

bool TQtMainDialogs::MessageDialogOnScreen() const {
    return (FMessages && FMessages->isVisible()) || (FInBox && FInBox->isVisible());
}

IMessageWindow* TQtMainDialogs::MessageWindow() {
    return FMessages;
}

void TQtMainDialogs::SetRefreshTimerEnabled(bool enabled) {
    FMain->SetRefreshTimerEnabled(enabled);
}

void TQtMainDialogs::SetMessageTimerEnabled(bool enabled) {
    FMain->SetMessageTimerEnabled(enabled);
}

void TQtMainDialogs::SetSendMessageEnabled(bool enabled) {
    FMain->Controller().SetSendMessageAllowed(enabled);
}

void TQtMainDialogs::ClearNewMailState() {
    FMain->Controller().ClearNewMailState();
}

IBoardList& TQtMainDialogs::Board() {
    return FMain->BoardList();
}

void TQtMainDialogs::SetCaption(const std::string& caption) {
    FMain->SetCaption(caption);
}

void TQtMainDialogs::ShowColumns(bool ext, bool department, bool comments) {
    FMain->ShowColumns(ext, department, comments);
}

void TQtMainDialogs::WidenByOnePixel() {
    FMain->resize(FMain->width() + 1, FMain->height());
}

void TQtMainDialogs::ApplyShape(const TMainShape& shape) {
    FMain->ApplyShape(shape);
}

} // namespace qel

#include "dialogs/QelMessages.h"

#include "dialogs/WidgetAdapters.h"

#include <QAction>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace qel {

TfrmQelMessages::TfrmQelMessages(TDialogServices& services, QWidget* parent)
    : TQelDialog(parent), FServices(services), FLogic(services) {
    setObjectName("frmQelMessages");
    SetCentredOnScreen();
    setWindowTitle(SendModeCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(453, 304);
    setSizeGripEnabled(true);

    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    actSend = tools->addAction(QIcon(":/icons/small-18.svg"), "&Send");
    actSend->setToolTip("Send message");
    actSend->setShortcut(QKeySequence("Ctrl+S"));
    actCancel = tools->addAction(QIcon(":/icons/small-19.svg"), "&Cancel");
    actCancel->setToolTip("Retain message");
    actDelete = tools->addAction(QIcon(":/icons/small-20.svg"), "Delete");
    actDelete->setToolTip("Delete message");

    lblTo = PlainLabel("", this);
    lblFrom = PlainLabel("", this);
    lblTimeStatic = PlainLabel("Created:", this);
    lblReceived = PlainLabel("", this);
    txtSubject = new QLineEdit(this);
    LimitText(txtSubject, limits::Subject);
    MemoMessage = new QPlainTextEdit(this);
    MemoMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LimitText(MemoMessage, limits::MessageText);

    auto* header = new QGridLayout;
    header->addWidget(PlainLabel("To :", this), 0, 0);
    header->addWidget(lblTo, 0, 1);
    header->addWidget(PlainLabel("From :", this), 1, 0);
    header->addWidget(lblFrom, 1, 1);
    header->addWidget(lblTimeStatic, 2, 0);
    header->addWidget(lblReceived, 2, 1);
    header->addWidget(PlainLabel("Subject", this), 3, 0);
    header->addWidget(txtSubject, 3, 1);
    header->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(tools);
    layout->addLayout(header);
    layout->addWidget(PlainLabel("Message...", this));
    layout->addWidget(MemoMessage, 1);

    connect(actSend, &QAction::triggered, this, &TfrmQelMessages::actSendExecute);
    connect(actCancel, &QAction::triggered, this, [this] { reject(); });
    connect(actDelete, &QAction::triggered, this, &TfrmQelMessages::actDeleteExecute);
    resize(453, 304);
}

void TfrmQelMessages::Prepare(const TMessageWindowFields& fields, const std::string& toComputerName) {
    FLogic.Caption = fields.Caption;
    setWindowTitle(Q(fields.Caption));
    FLogic.PrimaryKey = fields.PrimaryKey;
    FLogic.ToComputerName = toComputerName;
    lblFrom->setText(Q(fields.From));
    lblTo->setText(Q(fields.To));
    lblReceived->setText(Q(fields.Received));
    txtSubject->setText(Q(fields.Subject));
    MemoMessage->setPlainText(Q(fields.MessageText));
}

void TfrmQelMessages::ShowModal(const TMessageWindowFields& fields) {
    Prepare(fields, FLogic.ToComputerName);
    exec();
}

void TfrmQelMessages::ShowSend(const TMessageWindowFields& fields, const std::string& toComputerName) {
    Prepare(fields, toComputerName);
    exec();
}

void TfrmQelMessages::FormShow() {
    const TMessageWindowState state = FLogic.Show();
    actSend->setEnabled(state.SendEnabled);
    actCancel->setEnabled(state.CancelEnabled);
    actDelete->setEnabled(state.DeleteEnabled);
    lblTimeStatic->setText(Q(state.TimeStaticText));
    if (state.ClearTexts) {
        txtSubject->clear();
        MemoMessage->clear();
        txtSubject->setFocus();
    }
}

void TfrmQelMessages::actSendExecute() {
    if (!actSend->isEnabled())
        return;
    FLogic.Send(S(txtSubject->text()), S(MemoMessage->toPlainText()));
    accept();
}

void TfrmQelMessages::actDeleteExecute() {
    if (!actDelete->isEnabled())
        return;
    FLogic.Delete();
    accept();
}

void TfrmQelMessages::FormClose() {
    FLogic.Close();
}

} // namespace qel

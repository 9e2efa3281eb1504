#include "dialogs/DatabaseWizard.h"
#include "dialogs/QelDialog.h"

#include "app/IdleUpdates.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace qel {

namespace {

QLabel* PageText(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

TfrmDatabaseWizard::TfrmDatabaseWizard(TPlatform& platform, TIniFile& settings, TQelFile& users, IMessageBoxes& boxes,
                                       IAppControl& app, QWidget* parent)
    : QDialog(parent), FLogic(std::make_unique<TDatabaseWizardLogic>(platform, settings, users, boxes, *this, app)) {
    setObjectName(QStringLiteral("frmDatabaseWizard"));
    setWindowTitle(QString::fromLatin1(WizardCaption));
    setModal(true);
    // Fixed border with the system menu and the close box only.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    NotebookMain = new QStackedWidget(panel);
    NotebookMain->setObjectName(QStringLiteral("NotebookMain"));

    auto* intro = new QWidget(NotebookMain);
    auto* introLayout = new QVBoxLayout(intro);
    introLayout->addWidget(PageText(WizardIntroText, intro));
    auto* bevel = new QFrame(intro);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    introLayout->addWidget(bevel);
    RadioButtonExisting = new QRadioButton(tr("Join Existing Database"), intro);
    RadioButtonExisting->setObjectName(QStringLiteral("RadioButtonExisting"));
    RadioButtonCreateNew = new QRadioButton(tr("Create New Database"), intro);
    RadioButtonCreateNew->setObjectName(QStringLiteral("RadioButtonCreateNew"));
    introLayout->addWidget(RadioButtonExisting);
    introLayout->addWidget(RadioButtonCreateNew);
    introLayout->addStretch();
    connect(RadioButtonExisting, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            FLogic->SelectJoin();
        UpdateControls();
    });
    connect(RadioButtonCreateNew, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            FLogic->SelectCreate();
        UpdateControls();
    });

    auto* join = new QWidget(NotebookMain);
    (new QVBoxLayout(join))->addWidget(PageText(WizardJoinText, join));
    auto* create = new QWidget(NotebookMain);
    (new QVBoxLayout(create))->addWidget(PageText(WizardCreateText, create));
    NotebookMain->addWidget(intro);
    NotebookMain->addWidget(join);
    NotebookMain->addWidget(create);
    (new QVBoxLayout(panel))->addWidget(NotebookMain);

    btnPrevious = new QPushButton(tr("&Previous"), this);
    btnPrevious->setObjectName(QStringLiteral("actPrevious"));
    btnNext = new QPushButton(tr("&Next"), this);
    btnNext->setObjectName(QStringLiteral("actNext"));
    btnNext->setDefault(true);
    btnHelp = new QPushButton(tr("&Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnCancel = new QPushButton(tr("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("actCancel"));
    connect(btnPrevious, &QPushButton::clicked, this, [this] {
        FLogic->Previous();
        UpdateControls();
    });
    connect(btnNext, &QPushButton::clicked, this, [this] {
        FLogic->Next();
        AfterNext();
    });
    connect(btnHelp, &QPushButton::clicked, this, [this] { FLogic->Help(); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmDatabaseWizard::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPrevious);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnHelp);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addLayout(buttons);
    resize(420, 260);

    TIdleUpdates::Instance().Register(this, [this] { UpdateControls(); });
    UpdateControls();
}

TfrmDatabaseWizard::~TfrmDatabaseWizard() = default;

void TfrmDatabaseWizard::UpdateControls() {
    NotebookMain->setCurrentIndex(FLogic->Page());
    btnNext->setEnabled(FLogic->NextEnabled());
    btnPrevious->setEnabled(FLogic->PreviousEnabled());
}

void TfrmDatabaseWizard::AfterNext() {
    UpdateControls();
    if (FLogic->Finished())
        accept();
}

void TfrmDatabaseWizard::Execute() {
    if (FLogic->Finished() || FLogic->Cancelled())
        return;
    UpdateControls();
    // The wizard comes before the board window: it stands alone in the
    // middle of the screen.
    adjustSize();
    MoveToScreenCentre(*this);
    exec();
}

std::optional<std::string> TfrmDatabaseWizard::ChooseFolder(const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(this, QString::fromStdString(title));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

void TfrmDatabaseWizard::reject() {
    // Cancel, Escape and the close box: the program ends, nothing is stored.
    FLogic->Cancel();
    QDialog::reject();
}

void TfrmDatabaseWizard::closeEvent(QCloseEvent* event) {
    if (!FLogic->Finished())
        FLogic->Cancel();
    QDialog::closeEvent(event);
}

} // namespace qel

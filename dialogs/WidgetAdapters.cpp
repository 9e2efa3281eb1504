#include "dialogs/WidgetAdapters.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>

namespace qel {

namespace {

constexpr int NumberRole = Qt::UserRole;

} // namespace

void TListBoxChoices::BeginUpdate() {
    FList->setUpdatesEnabled(false);
}

void TListBoxChoices::EndUpdate() {
    FList->setUpdatesEnabled(true);
}

void TListBoxChoices::Clear() {
    FList->clear();
}

void TListBoxChoices::Add(const std::string& text, int number) {
    auto* item = new QListWidgetItem(Q(text));
    item->setData(NumberRole, number);
    FList->insertItem(InsertPosition(text, FSorted), item);
}

int TListBoxChoices::SelectedIndex() const {
    const QList<QListWidgetItem*> selected = FList->selectedItems();
    return selected.isEmpty() ? -1 : FList->row(selected.first());
}

int TListBoxChoices::NumberAt(int index) const {
    return FList->item(index)->data(NumberRole).toInt();
}

int TListBoxChoices::Count() const {
    return FList->count();
}

std::string TListBoxChoices::TextAt(int index) const {
    return S(FList->item(index)->text());
}

void TListBoxChoices::Select(int index) {
    if (index < 0) {
        FList->clearSelection();
        FList->setCurrentRow(-1);
    } else {
        FList->setCurrentRow(index);
    }
}

void TComboChoices::Clear() {
    FCombo->clear();
}

void TComboChoices::Add(const std::string& text, int number) {
    FCombo->insertItem(InsertPosition(text, FSorted), Q(text), number);
    // Inserting into an empty box would select the new entry.
    FCombo->setCurrentIndex(-1);
}

int TComboChoices::SelectedIndex() const {
    return FCombo->currentIndex();
}

int TComboChoices::NumberAt(int index) const {
    return FCombo->itemData(index).toInt();
}

int TComboChoices::Count() const {
    return FCombo->count();
}

std::string TComboChoices::TextAt(int index) const {
    return S(FCombo->itemText(index));
}

void TComboChoices::Select(int index) {
    FCombo->setCurrentIndex(index);
}

QValidator::State TTextLimitValidator::validate(QString& input, int& pos) const {
    const int cursor = std::clamp(pos, 0, static_cast<int>(input.size()));
    const std::string before = S(input.left(cursor));
    const std::string after = S(input.mid(cursor));
    bool keepAfter = true;
    const std::string fitted = FitEdit(before, after, FLimit, &keepAfter);
    if (fitted.size() != before.size() || !keepAfter) {
        const QString head = Q(fitted);
        input = keepAfter ? head + Q(after) : head;
        pos = static_cast<int>(head.size());
    }
    return Acceptable;
}

void LimitText(QLineEdit* edit, TTextLimit limit) {
    edit->setValidator(new TTextLimitValidator(limit, edit));
}

void LimitText(QPlainTextEdit* edit, TTextLimit limit) {
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, limit] {
        const QString text = edit->toPlainText();
        const int cursor = edit->textCursor().position();
        const std::string before = S(text.left(cursor));
        const std::string after = S(text.mid(cursor));
        bool keepAfter = true;
        const std::string fitted = FitEdit(before, after, limit, &keepAfter);
        if (fitted.size() == before.size() && keepAfter)
            return;
        const QString head = Q(fitted);
        // Setting the text emits textChanged again; the text then fits.
        edit->setPlainText(keepAfter ? head + Q(after) : head);
        QTextCursor moved = edit->textCursor();
        moved.setPosition(static_cast<int>(head.size()));
        edit->setTextCursor(moved);
    });
}

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

void RegisterIdleHandler(const TDialogServices& services, QObject* owner, std::function<void()> handler) {
    if (services.IdleRegistrar) {
        services.IdleRegistrar(owner, std::move(handler));
        return;
    }
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    if (dispatcher)
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, owner, std::move(handler));
}

} // namespace qel

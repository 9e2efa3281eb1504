#pragma once

#include "dialogs/ChoiceList.h"
#include "dialogs/MainWindowHooks.h"
#include "dialogs/TextLimits.h"

#include <QString>
#include <QValidator>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTreeWidget;
class QWidget;

namespace qel {

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string S(const QString& text) {
    return text.toStdString();
}

// A list box as the record classes fill it. Each entry carries its number;
// texts are plain item texts. A sorted list inserts each entry in order.
class TListBoxChoices : public IChoiceList {
public:
    TListBoxChoices(QListWidget* list, bool sorted) : FList(list), FSorted(sorted) {}
    void BeginUpdate() override;
    void Clear() override;
    void Add(const std::string& text, int number) override;
    void EndUpdate() override;
    int SelectedIndex() const override;
    int NumberAt(int index) const override;
    int Count() const override;
    std::string TextAt(int index) const override;
    void Select(int index) override;

private:
    QListWidget* FList;
    bool FSorted;
};

// A drop-down list that accepts no typing, as the record classes fill it.
class TComboChoices : public IChoiceList {
public:
    TComboChoices(QComboBox* combo, bool sorted) : FCombo(combo), FSorted(sorted) {}
    void BeginUpdate() override {}
    void Clear() override;
    void Add(const std::string& text, int number) override;
    void EndUpdate() override {}
    int SelectedIndex() const override;
    int NumberAt(int index) const override;
    int Count() const override;
    std::string TextAt(int index) const override;
    void Select(int index) override;

private:
    QComboBox* FCombo;
    bool FSorted;
};

// Keeps an edit box within a TTextLimit (bytes of UTF-8 and characters):
// typed or pasted text that does not fit is cut at a character boundary; the
// text behind the cursor is kept.
class TTextLimitValidator : public QValidator {
public:
    TTextLimitValidator(TTextLimit limit, QObject* parent) : QValidator(parent), FLimit(limit) {}
    State validate(QString& input, int& pos) const override;

private:
    TTextLimit FLimit;
};

void LimitText(QLineEdit* edit, TTextLimit limit);
void LimitText(QPlainTextEdit* edit, TTextLimit limit);

// A label that never reads its text as markup.
QLabel* PlainLabel(const QString& text, QWidget* parent);

// Runs `handler` whenever the application is idle, while `owner` lives:
// through the program's registrar when there is one, else on the event
// loop's own idle signal.
void RegisterIdleHandler(const TDialogServices& services, QObject* owner, std::function<void()> handler);

} // namespace qel

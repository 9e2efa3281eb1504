#pragma once

// A recorder for the screen interfaces of the record classes; every call also goes to one log, in order.

#include "records/UiPorts.h"

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace qel {

inline void PrintTo(const TBoardRow& row, std::ostream* out) {
    *out << "{\"" << row.Caption << "\" |";
    for (const std::string& item : row.SubItems)
        *out << " \"" << item << "\"";
    *out << " | image " << row.ImageIndex << "}";
}

inline void PrintTo(const TNumberedItems::TItem& item, std::ostream* out) {
    *out << "{\"" << item.Text << "\", " << item.Number << "}";
}

} // namespace qel

namespace qel::test {

inline const char* KindName(TBoxKind kind) {
    static const char* const names[] = {"Error", "Warning", "Information", "Plain"};
    return names[static_cast<int>(kind)];
}

struct TShownBox {
    TBoxKind Kind = TBoxKind::Plain;
    std::string Text;
    TBoxButtons Buttons = TBoxButtons::Ok;
    bool operator==(const TShownBox&) const = default;
};

inline void PrintTo(const TShownBox& box, std::ostream* out) {
    *out << "{" << KindName(box.Kind) << (box.Buttons == TBoxButtons::Ok ? " Ok" : " YesNo") << " \"" << box.Text
         << "\"}";
}

// What TUiRecorder saw: boxes, panel 0, the tray image, termination requests and the board list.
struct TUiRecord {
    std::vector<TShownBox> Boxes;
    std::vector<std::string> PanelTexts, Log;
    std::vector<int> TrayImages;
    int TerminateRequests = 0, RowsOutsideUpdate = 0;
    std::vector<TBoardRow> Rows;
};

// Yes/No boxes take their answers from QueueAnswer; none queued answers No.
struct TUiRecorder : TUiRecord, IMessageBoxes, IStatusPanel, ITrayImage, IAppControl, IBoardList {
    TBoxAnswer Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) override {
        Boxes.push_back({kind, text, buttons});
        Log.push_back(std::string("box ") + KindName(kind) + ": " + text);
        if (OnBox)
            OnBox();
        if (buttons == TBoxButtons::Ok)
            return TBoxAnswer::Ok;
        if (Answers.empty())
            return TBoxAnswer::No;
        const TBoxAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void QueueAnswer(TBoxAnswer answer) { Answers.push_back(answer); }
    void SetStatusText(const std::string& text) override {
        PanelTexts.push_back(text);
        Log.push_back("panel: " + text);
    }
    void SetTrayImage(int imageIndex) override {
        TrayImages.push_back(imageIndex);
        Log.push_back("tray " + std::to_string(imageIndex));
    }
    void RequestTerminate() override {
        ++TerminateRequests;
        Log.push_back("terminate");
    }
    void BeginUpdate() override {
        ++UpdateDepth;
        Log.push_back("board begin");
    }
    void Clear() override {
        Rows.clear();
        Log.push_back("board clear");
    }
    void AddRow(const TBoardRow& row) override {
        RowsOutsideUpdate += UpdateDepth <= 0;
        Rows.push_back(row);
        Log.push_back("row " + row.Caption);
    }
    void EndUpdate() override {
        --UpdateDepth;
        Log.push_back("board end");
    }

    // Forgets what was recorded; queued answers stay.
    void Reset() { static_cast<TUiRecord&>(*this) = {}; }

    int UpdateDepth = 0;
    std::function<void()> OnBox; // called while each box is on screen

private:
    std::deque<TBoxAnswer> Answers;
};

} // namespace qel::test

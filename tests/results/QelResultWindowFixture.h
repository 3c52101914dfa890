#pragma once
// What the result window tests share: a result record, and the window's
// message boxes recorded instead of shown.

#include <json/writer.h>

#include <deque>

#include "CQelMessageBox.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "QelResultTestKit.h"

inline std::string Record(const Texts& files, const Texts& folders, int width = 600, int height = 300) {
    Json::Value record(Json::objectValue);
    record["width"] = width;
    record["height"] = height;
    record["fileresultlist"] = record["dirresultlist"] = Json::Value(Json::arrayValue);
    for (const std::string& f : files) record["fileresultlist"].append(f);
    for (const std::string& d : folders) record["dirresultlist"].append(d);
    return Json::FastWriter().write(record);
}

// Records every message box; answers from answers, then with Ok.
class QelBoxRecorder {
public:
    QelBoxRecorder() {
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind kind, const QString& text) {
            texts.push_back(text.toStdString());
            kinds.push_back(kind);
            if (answers.empty()) return CQelMessageBox::Answer::Ok;
            const CQelMessageBox::Answer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~QelBoxRecorder() { CQelMessageBox::SetHandler({}); }
    QelBoxRecorder(const QelBoxRecorder&) = delete;
    QelBoxRecorder& operator=(const QelBoxRecorder&) = delete;
    Texts texts;
    std::vector<CQelMessageBox::Kind> kinds;
    std::deque<CQelMessageBox::Answer> answers;
};

// One column of the list as the model holds it (list order).
inline Texts Column(const CQelResultSubWnd& window, int column) {
    Texts out;
    const CQelResultListModel* model = window.GetListModel();
    for (int r = 0; r < model->rowCount(); ++r) out.push_back(model->index(r, column).data().toString().toStdString());
    return out;
}

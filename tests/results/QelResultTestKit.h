#pragma once
// What the result tests share: rows as the search lists them, and the
// notices a run sends, as text.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../common/QelTreeText.h"
#include "../fileops/QelTreeFixture.h"
#include "IQelResultSubWndDelegate.h"
#include "QelResultRows.h"

// The files below folder, then the folders below it.
inline QelResultRows Rows(const std::string& folder, const Texts& files, const Texts& folders = {}) {
    QelResultRows rows;
    for (const std::string& f : files) EXPECT_TRUE(qel::AppendResultRow(rows, Q(folder + "/" + f).str(), false)) << f;
    for (const std::string& f : folders) EXPECT_TRUE(qel::AppendResultRow(rows, Q(folder + "/" + f).str(), true)) << f;
    return rows;
}

// Every notice as "name|progress|summary"; onNotice runs before each is recorded.
struct QelNotices : IQelResultSubWndDelegate {
    void onNotifyEvent(const QelString& name, const QelString& p1, const QelString& p2) override {
        if (onNotice) onNotice();
        seen.push_back(name.ToStdString() + "|" + p1.ToStdString() + "|" + p2.ToStdString());
    }
    Texts seen;
    std::function<void()> onNotice;
};

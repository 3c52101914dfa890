#include "QelHistoryPopupView.h"

#include <algorithm>

#include "QelViewFile.h"

namespace qel {

bool LoadHistoryPopupView(rapidjson::Document& view, const QelStringArray& lines, int boxWidth, int boxHeight) {
    if (!QelViewFile::Load(QelViewFile::GetViewFilePath(kHistoryViewFile), view) || !view.IsObject()) return false;
    const int rows = std::min(static_cast<int>(lines.GetCount()), kHistoryPopupMaxRows);
    QelViewFile::SetInt(view, "/width", boxWidth);
    QelViewFile::SetInt(view, "/height", boxHeight * rows);
    QelViewFile::SetIntArray(view, "/listopt/colitemwidths", QelArray<int>{boxWidth - 10});
    QelViewFile::SetStringArray(view, "/listopt/values", lines);
    return true;
}

int ReadPickedRow(const rapidjson::Document& result) {
    if (!result.IsObject()) return -1;
    const auto ret = result.FindMember("ret");
    if (ret == result.MemberEnd() || !ret->value.IsInt()) return -1;
    return std::max(ret->value.GetInt(), -1);
}

}  // namespace qel

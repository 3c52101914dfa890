#include "QelReadJsonFile.h"

#include "CQelFile.h"
#include "CQelLogMng.h"
#include "QelJsonBounds.h"
#include "QelJsonParse.h"

bool ReadJsonFile(const QelString& path, rapidjson::Document& document) {
    document.SetNull();
    std::string text;
    const qel::QelFileReadResult read = CQelFile::ReadText(path, 1, text);
    if (read.Unreadable()) {
        CQelLogMng::GetInstance()->Write(u"JSON File Read Failed: \"%s\" %s", path, qel::DescribeFileRead(read));
        return false;
    }
    if (text.empty()) return false;
    const qel::QelJsonBound bound = qel::CheckJsonBounds(text);
    if (bound != qel::QelJsonBound::kWithin) {
        CQelLogMng::GetInstance()->Write(u"JSON File Read Failed: \"%s\" %s", path, qel::DescribeJsonBound(bound));
        return false;
    }
    if (!qel::ParseRapidJson(text, document)) {
        CQelLogMng::GetInstance()->Write(u"JSON File Read Failed");
        return false;
    }
    CQelLogMng::GetInstance()->Write(u"JSON File Read Success");
    return true;
}

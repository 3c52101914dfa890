#include "QelReadJsonFile.h"

#include "CQelFile.h"
#include "CQelLogMng.h"
#include "QelJsonParse.h"

bool ReadJsonFile(const QelString& path, rapidjson::Document& document) {
    std::string text;
    if (!CQelFile::ReadText(path, 1, text).Ok() || text.empty()) {
        document.SetNull();
        return false;
    }
    if (!qel::ParseRapidJson(text, document)) {
        CQelLogMng::GetInstance()->Write(u"JSON File Read Failed");
        return false;
    }
    CQelLogMng::GetInstance()->Write(u"JSON File Read Success");
    return true;
}

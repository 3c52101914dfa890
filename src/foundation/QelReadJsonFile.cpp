#include "QelReadJsonFile.h"

#include "CQelFile.h"
#include "CQelLogMng.h"

bool ReadJsonFile(const QelString& path, rapidjson::Document& document) {
    std::string text;
    if (!CQelFile::ReadText(path, 1, text) || text.empty()) return false;
    // Parsed as a copy: the document must not point into a buffer that goes away.
    document.Parse(text.c_str());
    if (document.HasParseError()) {
        CQelLogMng::GetInstance()->Write(u"JSON File Read Failed");
        return false;
    }
    CQelLogMng::GetInstance()->Write(u"JSON File Read Success");
    return true;
}

#include "QelReadJsonFile.h"

#include "CQelFile.h"
#include "CQelLogMng.h"

bool ReadJsonFile(const QelString& path, rapidjson::Document& document) {
    CQelFile file;
    if (!file.Open(0, 1, path)) return false;
    std::string text = file.ReadAll();
    file.Close();
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    if (text.empty()) return false;
    // Parsed as a copy: the document must not point into a buffer that goes away.
    document.Parse(text.c_str());
    if (document.HasParseError()) {
        CQelLogMng::GetInstance()->Write(u"JSON File Read Failed");
        return false;
    }
    CQelLogMng::GetInstance()->Write(u"JSON File Read Success");
    return true;
}

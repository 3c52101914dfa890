#include "QelViewFile.h"

#include <rapidjson/pointer.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "CQelDirMng.h"
#include "CQelLogMng.h"
#include "QelReadJsonFile.h"

namespace QelViewFile {

QelString GetViewFilePath(const QelString& fileName) {
    return QelString::Formatted(u"%s/%s", CQelDirMng::GetInstance()->GetPathInModuleDir(u"res/view"), fileName);
}

bool Load(const QelString& path, rapidjson::Document& document) {
    CQelLogMng::GetInstance()->Write(u"[%s]", path);
    return ReadJsonFile(path, document);
}

bool SetValue(rapidjson::Document& document, const char* pointer, rapidjson::Value& value) {
    const rapidjson::Pointer path(pointer);
    if (!path.IsValid()) return false;
    path.Set(document, value);
    return true;
}

bool SetInt(rapidjson::Document& document, const char* pointer, int value) {
    rapidjson::Value v(value);
    return SetValue(document, pointer, v);
}

bool SetIntArray(rapidjson::Document& document, const char* pointer, const QelArray<int>& values) {
    rapidjson::Value array(rapidjson::kArrayType);
    for (int v : values) array.PushBack(v, document.GetAllocator());
    return SetValue(document, pointer, array);
}

bool SetStringArray(rapidjson::Document& document, const char* pointer, const QelStringArray& values) {
    rapidjson::Value array(rapidjson::kArrayType);
    for (const QelString& text : values) {
        const std::string utf8 = text.ToStdString();
        array.PushBack(rapidjson::Value(utf8.c_str(), static_cast<rapidjson::SizeType>(utf8.size()),
                                        document.GetAllocator()),
                       document.GetAllocator());
    }
    return SetValue(document, pointer, array);
}

std::string ToText(const rapidjson::Value& document) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace QelViewFile

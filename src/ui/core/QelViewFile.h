#pragma once
// View files: popup descriptions stored as JSON under "res/view" beside the
// program. The owner reads one, patches the values of the moment at JSON
// Pointer paths, writes it back to compact text and hands that to the popup.

#include <rapidjson/document.h>

#include <string>

#include "QelString.h"

namespace QelViewFile {

// The view folder joined with the file name ("res/view/<name>").
QelString GetViewFilePath(const QelString& fileName);

// Logs the path as "[%s]" and reads the file into document; false when the
// file is missing, empty or does not parse.
bool Load(const QelString& path, rapidjson::Document& document);

// Sets value at a JSON Pointer path ("/width", "/listopt/values"), creating
// missing objects and members on the way and replacing what is there. The
// value is moved into the document. False for a malformed pointer.
bool SetValue(rapidjson::Document& document, const char* pointer, rapidjson::Value& value);
bool SetInt(rapidjson::Document& document, const char* pointer, int value);
bool SetIntArray(rapidjson::Document& document, const char* pointer, const QelArray<int>& values);
bool SetStringArray(rapidjson::Document& document, const char* pointer, const QelStringArray& values);

// The document as compact JSON text (UTF-8).
std::string ToText(const rapidjson::Value& document);

}  // namespace QelViewFile

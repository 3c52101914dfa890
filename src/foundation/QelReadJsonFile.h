#pragma once
// Reads one JSON file whole into a RapidJSON document (view files, popups).

#include <rapidjson/document.h>

#include "QelString.h"

// True on a successful parse; false when the file cannot be opened, is empty or does not parse.
bool ReadJsonFile(const QelString& path, rapidjson::Document& document);

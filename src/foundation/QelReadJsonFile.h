#pragma once
// Reads one JSON file whole into a RapidJSON document (view files, popups).
// The file is read as qel::ReadRegularFile reads (regular files only, size
// limit, never blocking), refused when it holds more values than
// qel::CheckJsonBounds allows, and parsed as qel::ParseRapidJson parses (no
// recursion, nesting limit). A file that is there but refused is logged.

#include <rapidjson/document.h>

#include "QelString.h"

// True on a successful parse; false (document null) when the file is missing,
// cannot be read, is empty, holds too many values or does not parse.
bool ReadJsonFile(const QelString& path, rapidjson::Document& document);

#pragma once
// env.json: the search path history, the search filters, the after-search jobs
// and the main window's last position, kept in a CQelJSONFileMng (config tree
// for the shipped defaults, user tree for the user's state).

#include <json/json.h>

#include "CQelJSONFileMng.h"
#include "QelString.h"

namespace qel {

inline constexpr char16_t kEnvFileName[] = u"env.json";
inline constexpr char16_t kEnvHistoryKey[] = u"searchpathhistory";
inline constexpr char16_t kEnvFilterKey[] = u"searchfilter";
inline constexpr char16_t kEnvJobKey[] = u"aftersearchjob";

// The arrays in use for the run: each points into the user tree or the config tree.
struct QelEnvArrays {
    Json::Value* history = nullptr;
    Json::Value* filters = nullptr;
    Json::Value* jobs = nullptr;
};

// The main window's rectangle as stored under "applastpos".
struct QelWindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Loads env.json and picks, for each of the three keys, the array in use.
QelEnvArrays LoadEnvironment(CQelJSONFileMng& settings);

// The key's array from the user tree, else from the config tree; when neither
// holds an array, an empty array created in the user tree (a value of another
// type, from a hand-edited file, is replaced there).
Json::Value* FindArrayInUse(CQelJSONFileMng& settings, const QelString& key);

// Replaces the key's member of the user tree with a copy of array, creating the
// member when missing; returns the user-tree value, the array in use from now on.
Json::Value* WriteBackArray(CQelJSONFileMng& settings, const QelString& key, const Json::Value& array);

// The "name" of every record whose "name" is a text that is not empty, in array order;
// indexes receives the array index of each name.
void BuildNameList(const Json::Value& records, QelStringArray& names, QelArray<int>& indexes);

// The stored rectangle (user tree first, then config tree); false when all four
// edges read as 0, which means there is nothing to restore.
bool ReadLastPosition(CQelJSONFileMng& settings, QelWindowRect& rect);
// Stores the rectangle in the user tree.
void StoreLastPosition(CQelJSONFileMng& settings, const QelWindowRect& rect);

// Writes the user tree to env.json (styled); false when the file was not written.
bool SaveEnvironment(CQelJSONFileMng& settings);

}  // namespace qel

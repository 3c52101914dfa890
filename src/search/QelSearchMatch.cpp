#include "QelSearchMatch.h"

#include "QelMatchRules.h"

bool MatchFolder(const QelString& name, const QelStringArray& folderStrings) {
    return qel::match::FolderHits(name.view(), folderStrings);
}

bool MatchFile(const QelString& name, const QelStringArray& nameStrings, const QelStringArray& extStrings) {
    return qel::match::FileHits(name.view(), nameStrings, extStrings);
}

#pragma once
// Saved search filters of env.json, read the way the main window reads them.

#include "QelString.h"

class CQelJSONFileMng;

// "The settings file env.json could not be read." with the reason in
// brackets when a file was there but refused (permissions, size, too many values).
QelString DescribeUnreadableSettings(const CQelJSONFileMng& env);

// Appends the strings of the filter record named name (the first named
// record when name is unset) ("filterfilename", "filterfileext",
// "filterdirname") to the three lists. A record without a name, or with an
// empty one, is never chosen, as the main window never lists it. The
// "searchfilter" array comes from the user's env.json, else from the
// shipped one. False with a message in error when the file cannot be read
// or there is no such filter.
bool LoadNamedFilter(const QelString& name, QelStringArray& names, QelStringArray& exts, QelStringArray& folders,
                     QelString& error);

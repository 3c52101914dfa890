#pragma once
// A pair of JsonCpp trees for one settings file name: the shipped defaults in
// the program's config folder (never written) and the user's values in its
// user folder (the only one written back). Lookups go by dotted paths such as
// "searchfilter" or "list[2].name".

#include <json/json.h>

#include "QelString.h"

class CQelJSONFileMng {
public:
    enum Tree { kEither = 0, kConfig = 1, kUser = 2 };

    virtual ~CQelJSONFileMng() = default;

    // How the last Load found the user file.
    enum class UserFile {
        kAbsent,      // missing or empty
        kRead,        // read and parsed
        kBroken,      // read but does not parse (or nests too deep)
        kUnreadable,  // there but not readable: permissions, not a regular file, too large,
                      // more values than a reader takes (qel::CheckJsonBounds)
    };

    // False when an existing, non-empty file could not be read or does not
    // parse; true otherwise. A file that could not be read leaves its tree unchanged.
    bool Load(const QelString& name);
    // Writes the user tree atomically (temporary file, fsync, rename); false
    // when the file could not be written completely, the old file then intact.
    // A user file the last Load found broken or unreadable is never replaced:
    // Save fails until ReleaseUserFile says the file has been dealt with.
    bool Save(const QelString& name, bool styled);

    // The value at path, or nullptr. The walk inserts null members, as JsonCpp's
    // inserting access does.
    Json::Value* FindValue(const QelString& path, int tree);
    // The value at path, created on the way; nullptr for a selector other than 1 and 2.
    Json::Value* MakeValue(const QelString& path, int tree);
    void SetIntValue(const QelString& path, int value, int tree);
    bool GetIntValue(const QelString& path, int tree, int& out);

    UserFile GetUserFileState() const { return m_userState; }
    // Why the user file is broken or unreadable ("Permission denied", "not a
    // regular file", the parser's message); empty otherwise.
    const QelString& GetUserFileReason() const { return m_userReason; }
    // Why the last Load could not read a file that is there, the user file
    // first, then the config file ("Permission denied", "more than 1000000
    // values"); empty when neither was unreadable.
    QelString GetUnreadableReason() const;
    // True when the last Load found a user file that exists but does not parse.
    bool IsUserFileBroken() const { return m_userState == UserFile::kBroken; }
    // The broken or unreadable user file is out of the way (moved aside):
    // Save may write the user file again.
    void ReleaseUserFile() { m_userState = UserFile::kAbsent; }

    Json::Value& ConfigTree() { return m_config; }
    Json::Value& UserTree() { return m_user; }

private:
    Json::Value* SelectTree(int tree);

    Json::Value m_config;
    Json::Value m_user;
    UserFile m_userState = UserFile::kAbsent;
    QelString m_userReason;
    UserFile m_configState = UserFile::kAbsent;
    QelString m_configReason;
};

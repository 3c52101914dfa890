#pragma once
// Types the walker and its read-ahead helper share.

#include <sys/types.h>

#include <cstddef>
#include <string_view>

struct QelFolderId {
    dev_t dev;
    ino_t ino;
    bool operator==(const QelFolderId&) const = default;
};

// A sub-folder the main walk hands to the helper.
struct QelDonatedFolder {
    std::size_t offset;  // its record in the main walk's listing
    std::string_view name;
    QelFolderId id;
};

// How the replay of a helper's walk of one folder ended.
enum class QelReplay {
    kNotHandedOver,  // nothing recorded for it: walk it yourself
    kReplayed,       // all of it went to the visitor
    kCutShort,       // the helper ran out of descriptors: only the first reports went to the visitor
    kStopped,        // the visitor asked to stop
};

// Where the walk started, for the file-system boundary of a helper's walk.
struct QelWalkScope {
    dev_t rootDev;
    bool rootOnPseudo;
};

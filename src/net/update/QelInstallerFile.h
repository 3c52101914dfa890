#pragma once
// Saving a downloaded installer where it will be started from. The file name
// comes from the network, so it is judged as a name of one folder entry, the
// old file of that name (or a link planted there) is removed, never followed,
// and the new file is created exclusively, executable for its owner only.

#include <string>
#include <string_view>

#include "QelString.h"

namespace qel {

enum class QelInstallerSave {
    kSaved,
    kBadName,      // empty, ".", "..", or holding "/" or NUL; nothing touched
    kDamaged,      // the bytes do not have the expected SHA-256; nothing touched
    kWriteFailed,  // the file could not be created or written; no partial file stays
};

// True for a name that denotes one entry of a folder and no other place.
bool IsPlainFileName(const QelString& name);

// The SHA-256 of bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

// Saves bytes as folder/name (folder created when missing), mode 0700. With
// expectedSha256 (hexadecimal, any case) the bytes must hash to it; a value
// that is not a SHA-256 never matches. savedPath receives the file's path on kSaved.
QelInstallerSave SaveInstaller(const QelString& folder, const QelString& name, std::string_view bytes,
                               const QelString* expectedSha256, QelString& savedPath);

}  // namespace qel

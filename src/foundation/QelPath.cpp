#include "QelPath.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace qel {

namespace {
QelString TrimTrailingSpaces(const QelString& path) {
    QelString r(path.view());
    r.TrimRightSpaces();
    return r;
}

// True when the text ends with a separator that counts: one found at index 1
// or more, or the root "/" on its own (the "C:\" of other systems).
bool EndsWithSeparator(const QelString& path) {
    const int last = path.ReverseFind(u'/');
    if (last < 0 || last != path.GetLength() - 1) return false;
    return last >= 1 || path.GetLength() == 1;
}
}  // namespace

QelString RemoveTrailingSeparator(const QelString& path) {
    QelString r = TrimTrailingSpaces(path);
    if (EndsWithSeparator(r) && r.GetLength() > 1) r = r.Left(r.GetLength() - 1);
    return r;
}

bool PathExists(const QelString& path) { return PathError(path) == 0; }

int PathError(const QelString& path) {
    struct stat st;
    return ::lstat(path.ToFileName().c_str(), &st) == 0 ? 0 : errno;
}

QelString InvalidSearchPathText(const QelString& path, int error) {
    return QelString::Formatted(u"The search path is invalid!!\n\"%s\": %s", path,
                                QelString::FromUtf8(std::strerror(error)));
}

bool IsDirectory(const QelString& path) {
    struct stat st;
    return ::stat(path.ToFileName().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectoryChain(const QelString& path) {
    // Trailing blanks are part of a Linux name, so only separators are cut.
    int length = path.GetLength();
    while (length > 1 && path[length - 1] == u'/') --length;
    QelString rest = path.Left(length);
    // Leading separators form the root prefix; they are never created.
    int prefix = 0;
    while (prefix < rest.GetLength() && rest[prefix] == u'/') ++prefix;
    QelString built = rest.Left(prefix);
    rest = rest.Mid(prefix);
    for (;;) {
        const int next = rest.Find(u'/', 1);
        const bool last = next < 0;
        built.Append(last ? rest : rest.Left(next));
        if (!last) rest = rest.Mid(next);
        if (!PathExists(built)) {
            const std::string bytes = built.ToFileName();
            // Another process creating the same folder at the same moment is no failure.
            if (::mkdir(bytes.c_str(), 0777) != 0 && !(errno == EEXIST && IsDirectory(built))) return false;
        }
        if (last) return true;
    }
}

}  // namespace qel

#include "QelResultTargets.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "CQelWinUtilFunc.h"

namespace qel {

bool ResolveDestination(const QelString& typed, const QelString& home, QelString& out) {
    std::u16string path = typed.str();
    if (path == u"~" || path.starts_with(u"~/")) path = home.str() + path.substr(1);
    if (!path.starts_with(u'/')) return false;
    while (!path.empty() && path.back() == u'/') path.pop_back();
    out = QelString(std::move(path));
    return true;
}

bool ResolveDestination(const QelString& typed, QelString& out) {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* entry = ::getpwuid(::getuid());
        home = entry ? entry->pw_dir : "";
    }
    return ResolveDestination(typed, QelString::FromFileName(home), out);
}

QelString MakeTargetPath(const QelString& destination, std::u16string_view name, bool makeUniqueName) {
    // Joined by hand: formatting would cut a path longer than the format limit.
    QelString target(destination);
    target.Append(u'/');
    if (makeUniqueName) target.Append(CQelWinUtilFunc::GetInstance()->MakeGuidString()).Append(u'_');
    return target.Append(name);
}

}  // namespace qel

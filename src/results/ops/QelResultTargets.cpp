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

std::u16string FitNameAfterPrefix(std::u16string_view prefix, std::u16string_view name) {
    const auto bytes = [](std::u16string_view text) { return Utf16ToUtf8(text).size(); };
    std::u16string fitted(prefix);
    const std::size_t room = kMaxNameBytes > bytes(prefix) ? kMaxNameBytes - bytes(prefix) : 0;
    if (bytes(name) <= room) return fitted.append(name);
    const std::size_t dot = name.rfind(u'.');
    const std::u16string_view extension = dot != std::u16string_view::npos && dot > 0 ? name.substr(dot) : u"";
    std::u16string_view stem = name.substr(0, name.size() - extension.size());
    if (bytes(extension) >= room) return fitted.append(name);  // nothing to cut: it fails as too long
    while (!stem.empty() && bytes(stem) > room - bytes(extension)) {
        // A surrogate pair goes as one character.
        const bool pair = stem.size() >= 2 && stem.back() >= 0xDC00 && stem.back() <= 0xDFFF &&
                          stem[stem.size() - 2] >= 0xD800 && stem[stem.size() - 2] <= 0xDBFF;
        stem.remove_suffix(pair ? 2 : 1);
    }
    return fitted.append(stem).append(extension);
}

QelString MakeTargetPath(const QelString& destination, std::u16string_view name, bool makeUniqueName) {
    // Joined by hand: formatting would cut a path longer than the format limit.
    QelString target(destination);
    target.Append(u'/');
    if (!makeUniqueName) return target.Append(name);
    QelString prefix = CQelWinUtilFunc::GetInstance()->MakeGuidString();
    prefix.Append(u'_');
    return target.Append(QelString(FitNameAfterPrefix(prefix.view(), name)));
}

}  // namespace qel

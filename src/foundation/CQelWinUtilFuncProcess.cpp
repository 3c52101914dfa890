// Starting programs and finding the program registered for a file type,
// through GLib's shell-style splitting and GIO's desktop associations.
#include <gio/gio.h>

#include <algorithm>
#include <memory>

#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"

namespace {
// Frees a GLib allocation at the end of a scope.
struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;
}  // namespace

bool CQelWinUtilFunc::RunProcess(const QelString& commandLine) {
    if (commandLine.IsEmpty()) return false;
    gchar** argv = nullptr;
    GError* error = nullptr;
    bool started = false;
    if (g_shell_parse_argv(commandLine.ToUtf8(), nullptr, &argv, &error)) {
        // Without G_SPAWN_DO_NOT_REAP_CHILD GLib forks twice: the program is
        // detached and an intermediate child is reaped at once, so no zombie stays.
        started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error);
        g_strfreev(argv);
    }
    if (error) g_error_free(error);
    CQelLogMng::GetInstance()->Write(u"CreateProcess returned %d for <%s>", started ? 1 : 0, commandLine);
    return started;
}

QelString CQelWinUtilFunc::FindDefaultProgram(const QelString& association) {
    const QelString fileName = QelString(association.GetLength() > 0 && association[0] == u'.' ? u"file" : u"file.") +
                               association;
    GCharPtr type(g_content_type_guess(fileName.ToUtf8(), nullptr, 0, nullptr));
    // An extension the type database does not know has no registered program.
    if (!type || g_content_type_is_unknown(type.get())) return QelString(u"");
    GAppInfo* app = g_app_info_get_default_for_type(type.get(), FALSE);
    if (!app) return QelString(u"");
    QelString result(u"");
    if (const char* executable = g_app_info_get_executable(app); executable && *executable) {
        GCharPtr full(g_find_program_in_path(executable));
        result = QelString::FromFileName(full ? full.get() : executable);
    }
    g_object_unref(app);
    return result;
}

std::uint32_t CQelWinUtilFunc::_AssocQueryString(const char16_t* association, char16_t* buffer,
                                                 std::uint32_t* length) {
    if (!association || !*association || !buffer || !length || *length == 0) {
        CQelLogMng::GetInstance()->Write(u"ERROR: _AssocQueryString: bad parameters");
        return kStatusFileNotFound;
    }
    std::fill(buffer, buffer + *length, u'\0');
    const QelString program = FindDefaultProgram(association);
    if (program.IsEmpty()) return kStatusNoAssociation;
    const auto needed = static_cast<std::uint32_t>(program.GetLength() + 1);
    if (needed > *length) {  // never cut: the caller learns the size it needs
        *length = needed;
        return kStatusBufferTooSmall;
    }
    std::copy(program.c_str(), program.c_str() + needed, buffer);
    *length = needed;
    return kStatusOk;
}

// GIO for the registered programs, GDBus for the file manager, and the
// platform utilities for associations by extension and starting a program.
#include <gio/gio.h>

#include <memory>

#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "IQelProgramLauncher.h"

namespace {

constexpr int kFileManagerTimeoutMs = 3000;
constexpr std::uint32_t kProgramBufferLength = 776;

struct GObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GFreeDeleter {
    void operator()(gpointer p) const { g_free(p); }
};
using GFilePtr = std::unique_ptr<GFile, GObjectDeleter>;
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

// file:// form of a path, whatever bytes its names hold.
GCharPtr FileUri(const QelString& path) {
    const GFilePtr file(g_file_new_for_path(path.ToFileName().c_str()));
    return GCharPtr(g_file_get_uri(file.get()));
}

// Logs the failure and frees error; returns its text.
QelString LogError(const char16_t* what, GError* error) {
    const QelString reason = QelString::FromUtf8(error ? error->message : "");
    CQelLogMng::GetInstance()->Write(u"%s: %s", what, reason);
    if (error) g_error_free(error);
    return reason;
}

bool CallFileManager(const gchar* uri, QelString& reason) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        reason = LogError(u"No session bus", error);
        return false;
    }
    GVariantBuilder items;
    g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
    g_variant_builder_add(&items, "s", uri);
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
        "ShowItems", g_variant_new("(ass)", &items, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, kFileManagerTimeoutMs,
        nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        reason = LogError(u"No file manager answered", error);
        return false;
    }
    g_variant_unref(reply);
    return true;
}

// text inside double quotes, as the shell-style split reads it back.
QelString Quoted(const QelString& text) {
    QelString quoted(u"\"");
    for (const char16_t c : text.view()) {
        if (c == u'\\' || c == u'"' || c == u'$' || c == u'`') quoted += u'\\';
        quoted += c;
    }
    return quoted += u'"';
}

class CQelDesktopProgramLauncher : public IQelProgramLauncher {
public:
    QelString FindProgram(const QelString& extension) override {
        char16_t buffer[kProgramBufferLength] = {};
        std::uint32_t length = kProgramBufferLength;
        const auto status = static_cast<std::int32_t>(
            CQelWinUtilFunc::GetInstance()->_AssocQueryString(extension.c_str(), buffer, &length));
        return status < 0 ? QelString(u"") : QelString(buffer);
    }

    bool Open(const QelString& program, const QelString& file) override {
        return CQelWinUtilFunc::GetInstance()->RunProcess(qel::OpenCommandLine(program, file));
    }

    bool Open(const QelString& path) override {
        const GCharPtr uri = FileUri(path);
        GError* error = nullptr;
        if (g_app_info_launch_default_for_uri(uri.get(), nullptr, &error)) return true;
        m_lastFailure = LogError(u"Open failed", error);
        return false;
    }

    bool ShowInFolder(const QelString& path) override {
        QelString busFailure;
        if (CallFileManager(FileUri(path).get(), busFailure)) return true;
        const GFilePtr file(g_file_new_for_path(path.ToFileName().c_str()));
        const GFilePtr folder(g_file_get_parent(file.get()));
        const GCharPtr folderPath(folder ? g_file_get_path(folder.get()) : nullptr);
        if (folderPath && Open(QelString::FromFileName(folderPath.get()))) return true;
        // Both ways failed: the user learns why of each.
        m_lastFailure =
            QelString::Formatted(u"%s; %s", busFailure, folderPath ? m_lastFailure : QelString(u"no folder"));
        return false;
    }
};

}  // namespace

namespace qel {

IQelProgramLauncher& DesktopProgramLauncher() {
    static CQelDesktopProgramLauncher launcher;
    return launcher;
}

QelString OpenCommandLine(const QelString& program, const QelString& file) {
    return Quoted(program) + QelString(u" ") + Quoted(file);
}

}  // namespace qel

#include "QelTrash.h"

#include <gio/gio.h>

#include "QelString.h"

namespace qel {

bool MoveRowToTrash(const QelResultRow& row, std::string& reason) {
    GFile* file = g_file_new_for_path(Utf16ToUtf8(row.fullPath).c_str());
    GError* error = nullptr;
    const bool trashed = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (!trashed) {
        reason = error ? error->message : "the Trash refused the item";
        if (error) g_error_free(error);
    }
    return trashed;
}

}  // namespace qel

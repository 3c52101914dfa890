#include "QelTrash.h"

#include <gio/gio.h>

#include "QelBeneathRoot.h"
#include "QelOpError.h"
#include "QelString.h"

namespace qel {

bool MoveRowToTrash(const QelResultRow& row, const QelString& searchRoot, std::string& reason) {
    // As for Delete: a row whose folder is no longer reached below the search
    // root without a link (one swapped in since the search) is left alone.
    QelBeneathRoot root(searchRoot.ToFileName());
    int refused = 0;
    if (root.OpenFolder(Utf16ToUtf8(row.Path()), refused) < 0) {
        reason = ReasonText(refused).ToStdString();
        return false;
    }
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

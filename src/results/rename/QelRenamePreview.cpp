#include "QelRenamePreview.h"

#include <map>

#include "QelRenameApply.h"

namespace qel {

std::vector<QelRenamePreviewRow> PreviewRenames(const QelRenameRuleSet& rules, const QelResultRows& rows) {
    std::vector<QelRenamePreviewRow> preview;
    preview.reserve(rows.size());
    std::map<std::u16string, int> finalPaths;  // folder + '/' + final name -> rows ending there
    for (const QelResultRow& row : rows) {
        QelRenamePreviewRow out{std::u16string(row.Name()), std::u16string(row.Name())};
        for (const _tag_RenameRule& rule : rules) {
            const std::optional<std::u16string> name = RenamedName(rule, out.newName, row.isFolder);
            if (!name || *name == out.newName) continue;
            if (IsAcceptableName(*name)) out.newName = *name;
            else out.mark = QelRenamePreviewMark::kRefused;
        }
        ++finalPaths[std::u16string(row.Path()) + u'/' + out.newName];
        preview.push_back(std::move(out));
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QelRenamePreviewRow& out = preview[i];
        const bool renamed = out.newName != out.oldName;
        if (renamed && finalPaths[std::u16string(rows[i].Path()) + u'/' + out.newName] > 1)
            out.mark = QelRenamePreviewMark::kCollides;
    }
    return preview;
}

}  // namespace qel

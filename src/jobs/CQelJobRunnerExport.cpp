// The runner's Save TXT and Save Excel steps: folders, then files, numbered
// or listed in one run, into a new file in the destination named by the date,
// the time and the job name. An existing file is never replaced.

#include <unistd.h>

#include <string>

#include "CQelJobRunnerItems.h"
#include "QelExportFile.h"
#include "QelListWorkbook.h"
#include "QelLocalTime.h"
#include "QelResultListText.h"

namespace {

// Entry index of the export: the folders, then the files.
qel::QelPathAt FoldersThenFiles(const std::vector<QelString>& folders, const std::vector<QelString>& files) {
    return [&folders, &files](std::size_t index) {
        return index < folders.size() ? folders[index].view() : files[index - folders.size()].view();
    };
}

}  // namespace

QelString CQelJobRunner::ExportStem() const {
    // A '/' in the job name would put the file into another folder than the destination.
    std::u16string name = m_jobName.str();
    for (char16_t& c : name) {
        if (c == u'/') c = u'_';
    }
    return qel::DatedExportStem(qel::NowLocal(), QelString(std::move(name)));
}

void CQelJobRunner::SaveTxt(const Items& items, const QelString& dest) {
    const QelString stem = ExportStem();
    if (m_options.dryRun) return DryRun(u"Save TXT", QelString::Formatted(u"%s/%s.txt", dest, stem), QelString());
    const std::size_t count = items.folders.size() + items.files.size();
    const std::string text = qel::MakeResultListText(count, FoldersThenFiles(items.folders, items.files));
    QelString path;
    const bool done = qel::WriteNewFile(dest, stem, QelString(u".txt"), text, path) == 0;
    Count(done);
    Log(path, done ? u"Save TXT Complete" : u"Save TXT Failed");
}

void CQelJobRunner::SaveExcel(const Items& items, const QelString& dest) {
    const QelString stem = ExportStem();
    if (m_options.dryRun) return DryRun(u"Save Excel", QelString::Formatted(u"%s/%s.xlsx", dest, stem), QelString());
    QelString path;
    bool done = qel::ReserveNewFile(dest, stem, QelString(u".xlsx"), path) == 0;
    if (done) {
        const std::size_t count = items.folders.size() + items.files.size();
        done = qel::WriteListWorkbook(path, count, FoldersThenFiles(items.folders, items.files));
        if (!done) ::unlink(path.ToFileName().c_str());  // the name reserved above, nobody else's file
    }
    Count(done);
    Log(path, done ? u"Save Excel Complete" : u"Save Excel Failed");
}

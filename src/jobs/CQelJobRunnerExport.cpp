// The runner's Save TXT and Save Excel steps: the rows (folders, then files)
// numbered or listed in one run, into a new file in the destination named by the date,
// the time and the job name. An existing file is never replaced.

#include <string>

#include "CQelJobRunner.h"
#include "QelExportFile.h"
#include "QelListWorkbook.h"
#include "QelLocalTime.h"
#include "QelResultListText.h"

namespace {

qel::QelPathAt FullPaths(const QelResultRows& rows) {
    return [&rows](std::size_t index) { return std::u16string_view(rows[index].fullPath); };
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

void CQelJobRunner::SaveTxt(const QelResultRows& rows, const QelString& dest) {
    const QelString stem = ExportStem();
    if (m_options.dryRun) return DryRun(u"Save TXT", QelString::Formatted(u"%s/%s.txt", dest, stem), QelString());
    const std::string text = qel::MakeResultListText(rows.size(), FullPaths(rows));
    QelString path;
    const bool done = qel::WriteNewFile(dest, stem, QelString(u".txt"), text, path) == 0;
    Count(done);
    Log(path, done ? u"Save TXT Complete" : u"Save TXT Failed");
}

void CQelJobRunner::SaveExcel(const QelResultRows& rows, const QelString& dest) {
    const QelString stem = ExportStem();
    if (m_options.dryRun) return DryRun(u"Save Excel", QelString::Formatted(u"%s/%s.xlsx", dest, stem), QelString());
    QelString path;
    const auto write = [&rows](const std::string& privatePath) {
        return qel::WriteListWorkbook(QelString::FromFileName(privatePath), rows.size(), FullPaths(rows));
    };
    const bool done = qel::WriteNewFileByName(dest, stem, QelString(u".xlsx"), write, path) == 0;
    Count(done);
    Log(path, done ? u"Save Excel Complete" : u"Save Excel Failed");
}

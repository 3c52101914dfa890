#pragma once
// The results of qeltessary-cli, written while the walk goes on.
//
// File hits go out as they are found, through a buffer written in large
// blocks; folder hits are kept (their bytes only) and follow at the end, so
// the order is all file hits, then all folder hits, each in walk order, and
// the JSON form stays one record. Paths are the root as given, "/", and the
// names below it, byte for byte as on disk; the JSON form escapes only the
// quote, the backslash and control characters and leaves every other byte
// as it is, like the program's own hand-off record.

#include <string>
#include <string_view>
#include <vector>

#include "CQelSearchCriteria.h"
#include "IQelWalkVisitor.h"
#include "QelCliOptions.h"

namespace qel {
// Appends text with every control character (bytes 0x00-0x1f and 0x7f)
// written as a C escape ("\n", "\t", "\r", else "\x1b" with two hex digits)
// and each backslash doubled, so one row of a line-based report stays one
// line whatever the names in it hold, and reads back without ambiguity.
void AppendCEscaped(std::string& out, std::string_view text);
}  // namespace qel

class CQelCliResultWriter : public IQelWalkVisitor {
public:
    CQelCliResultWriter(int fd, QelCliOutputMode mode, const CQelSearchCriteria& criteria, std::string root);

    void OnFile(std::string_view name) override;
    void OnFolder(std::string_view name) override;
    void OnEnter(std::string_view name) override;
    void OnLeave() override;
    // False once the output could not be written: the walk then ends.
    bool KeepGoing() override { return m_ok; }
    bool KeepGoingWhileWaiting() override { return m_ok; }

    // Writes the folder hits and the end of the record. False when the
    // output could not be written, now or before.
    bool Finish();
    bool FoundAny() const { return m_files > 0 || !m_folderPaths.empty(); }

private:
    void AppendPath(std::string_view name);
    bool Flush();

    const int m_fd;
    const QelCliOutputMode m_mode;
    const CQelSearchCriteria& m_criteria;
    std::string m_prefix;                // the current folder's path, ending in "/"
    std::vector<std::size_t> m_lengths;  // prefix lengths of the folders entered
    std::string m_buffer;                // output not yet written
    std::string m_folderPaths;           // folder hits, each ended by a NUL byte
    std::size_t m_files = 0;
    bool m_firstItem = true;             // JSON: no comma before the list's first item
    bool m_ok = true;
};

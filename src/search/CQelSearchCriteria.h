#pragma once
// The three criteria lists prepared for matching raw directory entry names
// (file-name bytes as the kernel returns them).
//
// When every criterion is well-formed UTF-16, the names are matched on their
// bytes against the UTF-8 forms of the criteria. That gives the same answers
// as matching the decoded names: the decoding maps each byte sequence to a
// fixed UTF-16 sequence, never joins bytes across an ASCII byte such as '.',
// and a well-formed UTF-8 needle can only be found in the bytes where it also
// stands, decoded, in the UTF-16 name. A criterion holding a lone surrogate
// has no such byte form, so then every name is decoded and matched in UTF-16.

#include <string>
#include <string_view>
#include <vector>

#include "QelString.h"

class CQelSearchCriteria {
public:
    CQelSearchCriteria(const QelStringArray& nameStrings, const QelStringArray& extStrings,
                       const QelStringArray& folderStrings);

    bool FileHits(std::string_view name) const;
    bool FolderHits(std::string_view name) const;

    bool MatchesOnBytes() const { return m_onBytes; }

private:
    QelStringArray m_names;
    QelStringArray m_exts;
    QelStringArray m_folders;
    bool m_onBytes;
    std::vector<std::string> m_names8;
    std::vector<std::string> m_exts8;
    std::vector<std::string> m_folders8;
};

#pragma once
// Reads a written workbook back: a member of the .xlsx archive as unzip
// prints it, and the text cells of a sheet's XML.

#include <cstdio>
#include <regex>
#include <string>
#include <utility>
#include <vector>

// The member's bytes; empty when the archive or the member is missing.
inline std::string Unzipped(const std::string& archive, const std::string& member) {
    std::string out;
    FILE* pipe = ::popen(("unzip -p '" + archive + "' '" + member + "' 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

using QelSheetCells = std::vector<std::pair<std::string, std::string>>;

// Reference and (still escaped) text of every text cell, in document order.
inline QelSheetCells TextCells(const std::string& sheetXml) {
    static const std::regex cell(R"re(<c r="([A-Z]+[0-9]+)" t="inlineStr"><is><t[^>]*>([^<]*)</t></is></c>)re");
    QelSheetCells cells;
    for (auto it = std::sregex_iterator(sheetXml.begin(), sheetXml.end(), cell); it != std::sregex_iterator(); ++it)
        cells.emplace_back((*it)[1], (*it)[2]);
    return cells;
}

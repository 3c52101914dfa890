#include "QelCliNameListing.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "CQelJSONFileMng.h"
#include "QelCliOptions.h"
#include "QelEnvFile.h"

bool RunCliNameListing(int argc, const char* const* argv, int& status) {
    if (argc != 2) return false;
    const char16_t* key = std::strcmp(argv[1], "--list-filters") == 0 ? qel::kEnvFilterKey
                          : std::strcmp(argv[1], "--list-jobs") == 0  ? qel::kEnvJobKey
                                                                      : nullptr;
    if (!key) return false;
    CQelJSONFileMng env;
    if (!env.Load(QelString(qel::kEnvFileName))) {
        status = PrintCliFailure(QelString(u"The settings file env.json could not be read."));
        return true;
    }
    QelStringArray names;
    QelArray<int> indexes;
    qel::BuildNameList(*qel::FindArrayInUse(env, QelString(key)), names, indexes);
    for (const QelString& name : names) {
        const std::string bytes = name.ToFileName();
        // A name holding a line feed would read as two, one holding a NUL cannot
        // be an argument: neither can be completed.
        if (bytes.find_first_of(std::string_view("\n\0", 2)) == std::string::npos) std::printf("%s\n", bytes.c_str());
    }
    status = std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
    return true;
}

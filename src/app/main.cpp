// qeltessary: the desktop program.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "CTessaryDlgApp.h"

namespace {

bool HasValue(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Without a display Qt would abort with a long message; say it in one line instead.
bool DisplayAvailable() {
    return HasValue("QT_QPA_PLATFORM") || HasValue("DISPLAY") || HasValue("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--log") == 0) CQelLogMng::GetInstance()->SetEnabled(true);
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("QelTessary %s\n", CQelWinUtilFunc::GetInstance()->GetAppVersion().ToUtf8());
            return 0;
        }
    }
    if (!DisplayAvailable()) {
        std::fputs("qeltessary: no display available (DISPLAY and WAYLAND_DISPLAY are not set); "
                   "start it on a desktop or set QT_QPA_PLATFORM=offscreen\n",
                   stderr);
        return 1;
    }
    CTessaryDlgApp app(argc, argv);
    return app.Run();
}

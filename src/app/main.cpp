// qeltessary: the desktop program.

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

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
    // Read before any window exists, so --help and --version work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Searches a folder tree for files and folders by named filters and acts on what it found."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Write the program's log lines to standard error."));
    parser.addOption(log);
    parser.parse(arguments);  // the toolkit's own options (-platform, -style, ...) are left to it
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("qeltessary"))),
                   stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("qeltessary %s\n", CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString().c_str());
        return 0;
    }
    if (parser.isSet(log)) CQelLogMng::GetInstance()->SetEnabled(true);
    if (!DisplayAvailable()) {
        std::fputs("qeltessary: no display available (DISPLAY and WAYLAND_DISPLAY are not set); "
                   "start it on a desktop or set QT_QPA_PLATFORM=offscreen\n",
                   stderr);
        return 1;
    }
    CTessaryDlgApp app(argc, argv);
    return app.Run();
}

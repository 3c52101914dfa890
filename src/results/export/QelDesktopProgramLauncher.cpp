#include "CQelWinUtilFunc.h"
#include "IQelProgramLauncher.h"

namespace qel {

namespace {

constexpr std::uint32_t kProgramBufferLength = 776;

class CQelDesktopProgramLauncher : public IQelProgramLauncher {
public:
    QelString FindProgram(const QelString& extension) override {
        char16_t buffer[kProgramBufferLength] = {};
        std::uint32_t length = kProgramBufferLength;
        const auto status = static_cast<std::int32_t>(
            CQelWinUtilFunc::GetInstance()->_AssocQueryString(extension.c_str(), buffer, &length));
        return status < 0 ? QelString(u"") : QelString(buffer);
    }
    bool Open(const QelString& program, const QelString& file) override {
        return CQelWinUtilFunc::GetInstance()->RunProcess(OpenCommandLine(program, file));
    }
};

// text inside double quotes, as the shell-style split reads it back.
QelString Quoted(const QelString& text) {
    QelString quoted(u"\"");
    for (const char16_t c : text.view()) {
        if (c == u'\\' || c == u'"' || c == u'$' || c == u'`') quoted += u'\\';
        quoted += c;
    }
    return quoted += u'"';
}

}  // namespace

IQelProgramLauncher& DesktopProgramLauncher() {
    static CQelDesktopProgramLauncher launcher;
    return launcher;
}

QelString OpenCommandLine(const QelString& program, const QelString& file) {
    return Quoted(program) + QelString(u" ") + Quoted(file);
}

}  // namespace qel

#include "CQelWinUtilFunc.h"

#include <sys/random.h>

#include "CQelLogMng.h"
#include "QelVersion.h"

namespace {
std::function<void()>& PumpHook() {
    static std::function<void()> hook;
    return hook;
}

// 16 kernel-random bytes shaped as a version-4 UUID.
bool MakeGuidBytes(std::uint8_t (&bytes)[16]) {
    std::size_t done = 0;
    while (done < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + done, sizeof bytes - done, 0);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    return true;
}
}  // namespace

CQelWinUtilFunc* CQelWinUtilFunc::GetInstance() {
    static CQelWinUtilFunc instance;  // lives until the process ends; made thread-safely
    return &instance;
}

QelString CQelWinUtilFunc::FormatGuidBytes(const std::uint8_t (&bytes)[16]) {
    QelString text(u"");
    for (int i = 0; i < 13; ++i) text.Append(QelString::Formatted(u"%X", bytes[i]));
    return text;
}

QelString CQelWinUtilFunc::MakeGuidString() {
    std::uint8_t bytes[16] = {};
    if (!MakeGuidBytes(bytes)) CQelLogMng::GetInstance()->Write(u"GUID Create Failed!!");
    return FormatGuidBytes(bytes);
}

QelString CQelWinUtilFunc::GetAppVersion() {
    return QelString::Formatted(u"%d.%d.%d.%d", QEL_VERSION_MAJOR, QEL_VERSION_MINOR, QEL_VERSION_PATCH,
                                QEL_VERSION_TWEAK);
}

void CQelWinUtilFunc::PumpMessages() { RunPumpHook(); }

void CQelWinUtilFunc::SetPumpHook(std::function<void()> hook) { PumpHook() = std::move(hook); }

void CQelWinUtilFunc::RunPumpHook() {
    if (const auto& hook = PumpHook()) hook();
}

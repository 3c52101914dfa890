#pragma once
// Operating-system services called by name: GUID texts, the program version,
// starting a program, the program registered for a file type, and letting the
// window system breathe during long work on the UI thread.

#include <cstdint>
#include <functional>

#include "QelString.h"

class CQelWinUtilFunc {
public:
    static constexpr std::uint32_t kStatusOk = 0;
    static constexpr std::uint32_t kStatusFileNotFound = 0x80070002;   // bad parameters
    static constexpr std::uint32_t kStatusNoAssociation = 0x80070483;  // nothing registered
    static constexpr std::uint32_t kStatusBufferTooSmall = 0x80004003;

    static CQelWinUtilFunc* GetInstance();
    virtual ~CQelWinUtilFunc() = default;

    // 13 random bytes, each as "%X" (13 to 26 characters).
    QelString MakeGuidString();
    // The first 13 of 16 GUID bytes (in textual order), each as "%X".
    static QelString FormatGuidBytes(const std::uint8_t (&bytes)[16]);
    // The compiled-in version as "%d.%d.%d.%d".
    QelString GetAppVersion();
    // Splits commandLine as a shell would, starts the program detached; true when it started.
    bool RunProcess(const QelString& commandLine);
    // The executable of the default program for association (".txt", ".html",
    // ".xlsx") into buffer; length is in/out in characters.
    std::uint32_t _AssocQueryString(const char16_t* association, char16_t* buffer, std::uint32_t* length);
    // The full path of the program registered for association; empty when none.
    static QelString FindDefaultProgram(const QelString& association);
    // Runs the installed pump hook (the UI installs one); nothing without a hook.
    void PumpMessages();

    // The UI installs its event pump here (UI thread only); the core links no toolkit.
    // An empty function removes the hook.
    static void SetPumpHook(std::function<void()> hook);
    static void RunPumpHook();

protected:
    CQelWinUtilFunc() = default;
};

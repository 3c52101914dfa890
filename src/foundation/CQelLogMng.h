#pragma once
// The one log service: a debug line (standard error) and a line appended to a
// log file. Off unless switched on (QELTESSARY_LOG=1 or the program's --log);
// a call while off returns before any formatting.

#include <atomic>

#include "QelString.h"

class CQelLogMng {
public:
    // The single instance, made on first call (thread-safe).
    static CQelLogMng* GetInstance();
    // Deletes the instance (the application's exit step); a later call makes a new one.
    static void DeleteInstance();

    virtual ~CQelLogMng() = default;

    // Switches logging on when the arguments hold "--log" (the program's option).
    void ApplyCommandLine(int argc, const char* const* argv);

    bool IsEnabled() const { return m_enabled.load(std::memory_order_relaxed); }
    void SetEnabled(bool enabled) { m_enabled.store(enabled, std::memory_order_relaxed); }

    static constexpr int kMessageLimit = 1024;  // longer messages are cut

    // "[hh:mm:ss:mmm]:message\n" on standard error.
    template <typename... Args>
    void Write(const char16_t* format, const Args&... args) {
        if (!IsEnabled()) return;
        WriteLine(QelString::Formatted(format, args...));
    }
    // "[yyyy/mm/dd][hh:mm:ss:mmm] message\n" appended to the file at path.
    template <typename... Args>
    void WriteFile(const QelString& path, const char16_t* format, const Args&... args) {
        if (!IsEnabled()) return;
        WriteFileLine(path, QelString::Formatted(format, args...));
    }

protected:
    CQelLogMng();

private:
    void WriteLine(const QelString& message);
    void WriteFileLine(const QelString& path, const QelString& message);

    std::atomic<bool> m_enabled{false};
};

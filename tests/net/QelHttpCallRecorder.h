#pragma once
// A QelHttpCallback target that records every call (on whichever worker
// thread it comes) and lets a test wait for a number of results.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "QelHttpWorkItem.h"

struct QelHttpCall {
    int datatype = 0;
    int length = 0;       // a progress call's percentage
    int result = 0;       // the exchange result seen during a result call
    std::u16string text;  // a response, an error document, or a download's path
    bool downloaded = false;  // CurrentDownload named a file
};

class QelHttpCallRecorder {
public:
    static int Callback(void* context, int, int datatype, const char16_t*, int, int kind, const unsigned char*, int,
                        const void* response, int responseLength) {
        auto* self = static_cast<QelHttpCallRecorder*>(context);
        QelHttpCall call{datatype, responseLength, QelHttpWorkItem::CurrentResult(), {}, QelHttpWorkItem::CurrentDownload() != nullptr};
        if (kind == kQelHttpResult) {
            call.text.assign(static_cast<const char16_t*>(response), responseLength);
            if (self->onResult) self->onResult(call);
        }
        std::lock_guard<std::mutex> lock(self->m_mutex);
        (kind == kQelHttpResult ? self->m_results : self->m_progress).push_back(call);
        self->m_changed.notify_all();
        return 0;
    }
    // Runs on the worker thread when a result arrives, before it is recorded.
    std::function<void(const QelHttpCall&)> onResult;

    // Blocks until count results have arrived; every result so far.
    std::vector<QelHttpCall> WaitForResults(std::size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_results.size() >= count; });
        return m_results;
    }
    std::vector<QelHttpCall> Progress() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_progress;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<QelHttpCall> m_results, m_progress;
};

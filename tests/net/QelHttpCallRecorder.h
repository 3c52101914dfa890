#pragma once
// A QelHttpCallback target that records every call (on whichever worker
// thread it comes) and lets a test wait for a number of results.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "QelHttpDownloadFile.h"
#include "QelHttpTypes.h"

struct QelHttpCall {
    int reqtype = 0;
    int datatype = 0;
    int kind = 0;
    std::u16string descriptor;
    int result = 0;         // the exchange result seen during a result call
    std::u16string text;    // a response, an error document, or a download's path
    std::optional<QelHttpDownload> download;  // a delivered download's file
    int length = 0;         // argument 10 as given
};

class QelHttpCallRecorder {
public:
    static int Callback(void* context, int reqtype, int datatype, const char16_t* descriptor, int descriptorLength,
                        int kind, const unsigned char* requestBody, int requestBodyLength, const void* response,
                        int responseLength);
    void* Context() { return this; }

    // Runs on the worker thread after a result call is recorded.
    std::function<void(const QelHttpCall&)> onResult;

    // Blocks until count result calls (kind 0) have arrived; returns them in arrival order.
    std::vector<QelHttpCall> WaitForResults(std::size_t count);
    std::vector<QelHttpCall> Calls() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<QelHttpCall> m_calls;
    std::size_t m_results = 0;
};

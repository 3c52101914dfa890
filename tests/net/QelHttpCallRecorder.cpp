#include "QelHttpCallRecorder.h"

#include "QelHttpWorkItem.h"

int QelHttpCallRecorder::Callback(void* context, int reqtype, int datatype, const char16_t* descriptor,
                                  int descriptorLength, int kind, const unsigned char*, int, const void* response,
                                  int responseLength) {
    auto* self = static_cast<QelHttpCallRecorder*>(context);
    QelHttpCall call;
    call.reqtype = reqtype;
    call.datatype = datatype;
    call.kind = kind;
    call.descriptor.assign(descriptor, static_cast<std::size_t>(descriptorLength));
    call.length = responseLength;
    if (kind == kQelHttpResult) {
        call.result = QelHttpWorkItem::CurrentResult();
        call.text.assign(static_cast<const char16_t*>(response), static_cast<std::size_t>(responseLength));
        if (const QelHttpDownload* download = QelHttpWorkItem::CurrentDownload()) call.download = *download;
    }
    {
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_calls.push_back(call);
    }
    if (kind == kQelHttpResult && self->onResult) self->onResult(call);
    std::lock_guard<std::mutex> lock(self->m_mutex);
    if (kind == kQelHttpResult) ++self->m_results;
    self->m_changed.notify_all();
    return 0;
}

std::vector<QelHttpCall> QelHttpCallRecorder::WaitForResults(std::size_t count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_results >= count; });
    std::vector<QelHttpCall> results;
    for (const QelHttpCall& call : m_calls) {
        if (call.kind == kQelHttpResult) results.push_back(call);
    }
    return results;
}

std::vector<QelHttpCall> QelHttpCallRecorder::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

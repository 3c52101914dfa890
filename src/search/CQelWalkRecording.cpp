#include "CQelWalkRecording.h"

#include <chrono>
#include <cstring>

// A record is the kind, the name length in two bytes, then the name. A
// record that would not fit is preceded by kNextChunk and starts the next
// chunk; the replay follows the same rule.
void CQelWalkRecording::Append(Kind kind, std::string_view name) {
    const std::size_t size = 3 + name.size();
    if (m_used + size + 1 > kChunk) {
        if (m_chunk) {
            m_chunk[m_used] = kNextChunk;
            m_written += kChunk - m_used;
            m_unpublished += kChunk - m_used;
        }
        auto chunk = std::make_unique_for_overwrite<char[]>(kChunk);
        m_chunk = chunk.get();
        m_used = 0;
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_chunks.push_back(std::move(chunk));
    }
    char* at = m_chunk + m_used;
    at[0] = static_cast<char>(kind);
    at[1] = static_cast<char>(name.size() & 0xFF);
    at[2] = static_cast<char>(name.size() >> 8);
    if (!name.empty()) std::memcpy(at + 3, name.data(), name.size());
    m_used += size;
    m_written += size;
    m_unpublished += size;
    if (m_unpublished >= kBatch) Publish();
}

void CQelWalkRecording::Publish() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_published = m_written;
    }
    m_unpublished = 0;
    m_changed.notify_one();
}

void CQelWalkRecording::Finish(bool complete) {
    // Notified under the lock: once the replay sees the end it may destroy
    // this object, so nothing here may touch it after the unlock.
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_published = m_written;
    m_finished = true;
    m_complete = complete;
    m_changed.notify_one();
}

QelReplay CQelWalkRecording::Replay(IQelWalkVisitor& visitor, std::size_t& replayed) {
    // While the helper is slow (a cold disk), the visitor is still asked now and then.
    constexpr auto kPoll = std::chrono::milliseconds(30);
    replayed = 0;
    std::size_t chunkIndex = 0, offset = 0, consumed = 0;
    const char* chunk = nullptr;
    for (;;) {
        std::size_t available;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (!m_changed.wait_for(lock, kPoll, [&] { return m_published > consumed || m_finished; })) {
                lock.unlock();
                if (!visitor.KeepGoingWhileWaiting()) return QelReplay::kStopped;
                continue;
            }
            available = m_published;
            if (consumed == available && m_finished) return m_complete ? QelReplay::kReplayed : QelReplay::kCutShort;
            if (!chunk) chunk = m_chunks[0].get();
        }
        while (consumed < available) {
            if (!visitor.KeepGoing()) return QelReplay::kStopped;
            const char* at = chunk + offset;
            const auto kind = static_cast<Kind>(at[0]);
            if (kind == kNextChunk) {
                consumed += kChunk - offset;
                ++chunkIndex;
                offset = 0;
                const std::lock_guard<std::mutex> lock(m_mutex);
                chunk = m_chunks[chunkIndex].get();
                continue;
            }
            const std::size_t length =
                static_cast<unsigned char>(at[1]) | (static_cast<std::size_t>(static_cast<unsigned char>(at[2])) << 8);
            const std::string_view name(at + 3, length);
            switch (kind) {
                case kFile: visitor.OnFile(name); break;
                case kFolder: visitor.OnFolder(name); break;
                case kEnter: visitor.OnEnter(name); break;
                default: visitor.OnLeave(); break;
            }
            offset += 3 + length;
            consumed += 3 + length;
            ++replayed;
        }
    }
}

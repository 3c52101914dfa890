#pragma once
// The reports of a walk recorded on one thread and replayed on another
// while the recording is still growing. Records go into fixed chunks that
// never move, and are handed over in batches, so the replaying side reads
// them without holding the lock.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "IQelWalkVisitor.h"
#include "QelWalkTypes.h"

class CQelWalkRecording : public IQelWalkVisitor {
public:
    CQelWalkRecording() = default;
    CQelWalkRecording(const CQelWalkRecording&) = delete;
    CQelWalkRecording& operator=(const CQelWalkRecording&) = delete;

    // Recording side.
    void OnFile(std::string_view name) override { Append(kFile, name); }
    void OnFolder(std::string_view name) override { Append(kFolder, name); }
    void OnEnter(std::string_view name) override { Append(kEnter, name); }
    void OnLeave() override { Append(kLeave, {}); }
    // Ends the recording; complete is false when the walk stopped short.
    void Finish(bool complete);
    // Bytes recorded so far.
    std::size_t Size() const { return m_written; }

    // Replaying side: passes every report on as it arrives, until the end
    // of the recording (kReplayed or kCutShort) or until the visitor asks to
    // stop (kStopped: the recording may still be growing then). replayed
    // receives the number of reports passed on.
    QelReplay Replay(IQelWalkVisitor& visitor, std::size_t& replayed);

private:
    enum Kind : std::uint8_t { kFile, kFolder, kEnter, kLeave, kNextChunk };
    static constexpr std::size_t kChunk = 64 * 1024;
    static constexpr std::size_t kBatch = 4 * 1024;

    void Append(Kind kind, std::string_view name);
    void Publish();

    // Recording side only.
    char* m_chunk = nullptr;
    std::size_t m_used = kChunk;     // bytes used in m_chunk
    std::size_t m_written = 0;       // bytes recorded, published or not
    std::size_t m_unpublished = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<char[]>> m_chunks;  // guarded
    std::size_t m_published = 0;                    // guarded: bytes the replay may read
    bool m_finished = false;                        // guarded
    bool m_complete = false;                        // guarded
};

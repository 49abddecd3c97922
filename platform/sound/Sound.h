#pragma once

#include "platform/sound/SoundBackend.h"
#include "platform/sound/WaveFile.h"

#include "platform/kernel/Mutex.h"
#include "platform/kernel/Thread.h"

#include <atomic>
#include <memory>
#include <random>
#include <vector>

namespace platform::sound {

/// One sound with a pool of voices, so that rapid repeats overlap instead of cutting each other off. Owner
/// thread only.
class CSound {
public:
    CSound(std::vector<std::unique_ptr<SoundBuffer>> buffers, std::unique_ptr<CWaveFile> source, DWORD flags);
    virtual ~CSound() = default;
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    /// Plays the first voice that is not playing (a random one when all play), with the volume, frequency (unless
    /// 0xFFFFFFFF) and pan that the creation flags allow. CO_E_NOTINITIALIZED without voices.
    virtual HRESULT Play(DWORD priority, DWORD flags, LONG volume, DWORD frequency, LONG pan);
    virtual HRESULT Stop();
    bool IsSoundPlaying() const;
    /// The voice to place in space; null for an index past the count.
    SoundBuffer* Get3DBufferInterface(std::size_t index) const;
    std::size_t bufferCount() const { return m_buffers.size(); }

protected:
    std::vector<std::unique_ptr<SoundBuffer>> m_buffers;
    std::unique_ptr<CWaveFile> m_source;
    DWORD m_flags;

private:
    std::minstd_rand m_random;
};

/// A sound fed piece by piece from its source by a refill thread of its own, for a tone that never ends. The
/// refill thread polls the voice for played pieces and refills each with the next notify size bytes; it ends when
/// the sound is destroyed, or when a refill fails, which also stops the voice so no stale audio repeats.
/// Owner thread only, apart from the refill thread, which shares the sound under its lock.
class CStreamingSound final : public CSound {
public:
    /// Starts the refill thread; nothing when the thread cannot be started.
    static std::unique_ptr<CStreamingSound> create(std::unique_ptr<StreamBuffer> stream,
                                                   std::unique_ptr<CWaveFile> source, DWORD flags,
                                                   DWORD notificationCount, DWORD notifySize);
    /// Stops and joins the refill thread before the voice and source go.
    ~CStreamingSound() override;

    /// Fills every piece afresh from the source where it stands and plays.
    HRESULT Play(DWORD priority, DWORD flags, LONG volume, DWORD frequency, LONG pan) override;
    /// Refills the next piece after one was played. CO_E_NOTINITIALIZED without voice or source.
    HRESULT HandleWaveStreamNotification(bool looped);
    /// For tests and callers that need to know the refill thread has ended.
    bool isRefilling() const;

private:
    CStreamingSound(std::unique_ptr<StreamBuffer> stream, std::unique_ptr<CWaveFile> source, DWORD flags,
                    DWORD notificationCount, DWORD notifySize);
    void refillLoop(kernel::Event& stop);
    HRESULT refillPlayedPieces();
    HRESULT handleNotification(bool looped) TALVO_REQUIRES(m_mutex);
    HRESULT fillPiece(bool looped) TALVO_REQUIRES(m_mutex);

    StreamBuffer* m_stream;
    const DWORD m_notificationCount;
    const DWORD m_notifySize;
    mutable kernel::Mutex m_mutex;
    std::vector<std::uint8_t> m_piece TALVO_GUARDED_BY(m_mutex);
    std::uint64_t m_playedBytes TALVO_GUARDED_BY(m_mutex) = 0;
    /// The source ran out in a piece that was not looped; the rest is silence until all of it was played.
    bool m_fillNextWithSilence TALVO_GUARDED_BY(m_mutex) = false;
    std::atomic<bool> m_refilling = true;
    std::unique_ptr<kernel::Thread> m_thread;
};

} // namespace platform::sound

#include "platform/sound/Sound.h"

#include <algorithm>
#include <chrono>

namespace platform::sound {

namespace {

/// How often the refill thread asks the voice for played pieces: well within the tenth of a second a piece lasts.
constexpr std::chrono::milliseconds kRefillPoll{10};
constexpr DWORD kKeepFrequency = 0xFFFFFFFF;

std::vector<std::unique_ptr<SoundBuffer>> single(std::unique_ptr<StreamBuffer> stream)
{
    std::vector<std::unique_ptr<SoundBuffer>> buffers;
    buffers.push_back(std::move(stream));
    return buffers;
}

} // namespace

CSound::CSound(std::vector<std::unique_ptr<SoundBuffer>> buffers, std::unique_ptr<CWaveFile> source, DWORD flags)
    : m_buffers(std::move(buffers)), m_source(std::move(source)), m_flags(flags)
{
}

HRESULT CSound::Play(DWORD /*priority*/, DWORD flags, LONG volume, DWORD frequency, LONG pan)
{
    if (m_buffers.empty()) {
        return CO_E_NOTINITIALIZED;
    }
    auto free = std::ranges::find_if(m_buffers, [](const auto& buffer) { return !buffer->isPlaying(); });
    SoundBuffer& buffer =
        free != m_buffers.end()
            ? **free
            : *m_buffers[std::uniform_int_distribution<std::size_t>(0, m_buffers.size() - 1)(m_random)];
    if (m_flags & DSBCAPS_CTRLVOLUME) {
        buffer.setVolume(volume);
    }
    if (frequency != kKeepFrequency && (m_flags & DSBCAPS_CTRLFREQUENCY)) {
        buffer.setFrequency(frequency);
    }
    if (m_flags & DSBCAPS_CTRLPAN) {
        buffer.setPan(pan);
    }
    return toHresult(buffer.play((flags & DSBPLAY_LOOPING) != 0));
}

HRESULT CSound::Stop()
{
    if (m_buffers.empty()) {
        return CO_E_NOTINITIALIZED;
    }
    for (const auto& buffer : m_buffers) {
        buffer->stop();
    }
    return S_OK;
}

bool CSound::IsSoundPlaying() const
{
    return std::ranges::any_of(m_buffers, [](const auto& buffer) { return buffer->isPlaying(); });
}

SoundBuffer* CSound::Get3DBufferInterface(std::size_t index) const
{
    return index < m_buffers.size() ? m_buffers[index].get() : nullptr;
}

CStreamingSound::CStreamingSound(std::unique_ptr<StreamBuffer> stream, std::unique_ptr<CWaveFile> source, DWORD flags,
                                 DWORD notificationCount, DWORD notifySize)
    : CSound(single(std::move(stream)), std::move(source), flags),
      m_stream(static_cast<StreamBuffer*>(m_buffers.front().get())), m_notificationCount(notificationCount),
      m_notifySize(notifySize)
{
}

std::unique_ptr<CStreamingSound> CStreamingSound::create(std::unique_ptr<StreamBuffer> stream,
                                                         std::unique_ptr<CWaveFile> source, DWORD flags,
                                                         DWORD notificationCount, DWORD notifySize)
{
    std::unique_ptr<CStreamingSound> sound(
        new CStreamingSound(std::move(stream), std::move(source), flags, notificationCount, notifySize));
    auto thread = kernel::Thread::start([raw = sound.get()](kernel::Event& stop) { raw->refillLoop(stop); });
    if (!thread) {
        return nullptr;
    }
    sound->m_thread = std::move(*thread);
    return sound;
}

CStreamingSound::~CStreamingSound()
{
    m_thread.reset(); // Joins the refill thread while the voice and the source still exist.
}

void CStreamingSound::refillLoop(kernel::Event& stop)
{
    while (!stop.wait(kRefillPoll)) {
        if (FAILED(refillPlayedPieces())) {
            m_refilling = false;
            m_stream->stop();
            return;
        }
    }
    m_refilling = false;
}

HRESULT CStreamingSound::refillPlayedPieces()
{
    // Under the lock, as Play may be taking the same voice's pieces back.
    kernel::LockGuard lock(m_mutex);
    for (std::size_t played = m_stream->takeProcessed(); played > 0; --played) {
        RETURN_IF_FAILED(handleNotification(/*looped=*/true));
    }
    return S_OK;
}

bool CStreamingSound::isRefilling() const
{
    return m_refilling;
}

HRESULT CStreamingSound::Play(DWORD priority, DWORD flags, LONG volume, DWORD frequency, LONG pan)
{
    {
        kernel::LockGuard lock(m_mutex);
        if (!m_source) {
            return CO_E_NOTINITIALIZED;
        }
        if (!m_stream->isPlaying()) {
            m_stream->stop(); // Drops what is still queued, so the pieces below play first.
            (void)m_stream->takeProcessed();
            for (DWORD piece = 0; piece < m_notificationCount; ++piece) {
                RETURN_IF_FAILED(fillPiece(/*looped=*/(flags & DSBPLAY_LOOPING) != 0));
            }
        }
    }
    return CSound::Play(priority, flags, volume, frequency, pan);
}

HRESULT CStreamingSound::HandleWaveStreamNotification(bool looped)
{
    kernel::LockGuard lock(m_mutex);
    return handleNotification(looped);
}

HRESULT CStreamingSound::handleNotification(bool looped)
{
    if (!m_source) {
        return CO_E_NOTINITIALIZED;
    }
    m_playedBytes += m_notifySize;
    if (m_fillNextWithSilence && m_playedBytes >= m_source->GetSize()) {
        m_stream->stop();
        return S_OK;
    }
    return fillPiece(looped);
}

HRESULT CStreamingSound::fillPiece(bool looped)
{
    m_piece.assign(m_notifySize, silenceOf(*m_source->GetFormat()));
    DWORD filled = 0;
    if (!m_fillNextWithSilence) {
        RETURN_IF_FAILED(m_source->Read(m_piece.data(), m_notifySize, &filled));
    }
    if (filled < m_notifySize && !m_fillNextWithSilence) {
        if (!looped) {
            m_fillNextWithSilence = true;
        } else {
            // Repeat the source from its start; a source that gives nothing at all leaves silence.
            for (DWORD read = 1; filled < m_notifySize && read > 0;) {
                RETURN_IF_FAILED(m_source->ResetFile());
                RETURN_IF_FAILED(m_source->Read(m_piece.data() + filled, m_notifySize - filled, &read));
                filled += read;
            }
        }
    }
    return toHresult(m_stream->queue(m_piece));
}

} // namespace platform::sound

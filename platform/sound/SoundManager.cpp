#include "platform/sound/SoundManager.h"

#include "platform/sound/WaveDiskFile.h"

namespace platform::sound {

HRESULT CSoundManager::Initialize()
{
    m_cache.clear();
    m_backend.reset();
    auto backend = openOpenAlBackend();
    if (!backend) {
        return backend.error().code;
    }
    return Initialize(std::move(*backend));
}

HRESULT CSoundManager::Initialize(std::unique_ptr<SoundBackend> backend)
{
    m_cache.clear();
    m_backend = std::move(backend);
    return m_backend ? S_OK : E_INVALIDARG;
}

HRESULT CSoundManager::SetPrimaryBufferFormat(WORD channels, DWORD rate, WORD bits) const
{
    if (!m_backend) {
        return CO_E_NOTINITIALIZED;
    }
    return channels == 0 || rate == 0 || (bits != 8 && bits != 16) ? E_INVALIDARG : S_OK;
}

HRESULT CSoundManager::Create(std::unique_ptr<CSound>* out, const std::filesystem::path& path, DWORD flags, DWORD count)
{
    if (!m_backend) {
        return CO_E_NOTINITIALIZED;
    }
    if (path.empty() || !out || count == 0) {
        return E_INVALIDARG;
    }
    auto file = std::make_unique<CWaveDiskFile>();
    RETURN_IF_FAILED(file->Open(path, nullptr, WaveOpenMode::Read));
    if (file->GetSize() == 0) {
        return E_FAIL;
    }
    std::vector<std::uint8_t> data(file->GetSize());
    DWORD read = 0;
    RETURN_IF_FAILED(file->Read(data.data(), file->GetSize(), &read));
    auto first = m_backend->createBuffer(*file->GetFormat(), data, flags);
    if (!first) {
        return reportFailure(first.error());
    }
    std::vector<std::unique_ptr<SoundBuffer>> buffers;
    buffers.push_back(std::move(*first));
    while (buffers.size() < count) {
        auto next = (flags & DSBCAPS_CTRLFX) ? m_backend->createBuffer(*file->GetFormat(), data, flags)
                                             : m_backend->duplicate(*buffers.front());
        if (!next) {
            return reportFailure(next.error());
        }
        buffers.push_back(std::move(*next));
    }
    *out = std::make_unique<CSound>(std::move(buffers), std::move(file), flags);
    return S_OK;
}

HRESULT CSoundManager::CreateStreaming(std::unique_ptr<CStreamingSound>* out, std::unique_ptr<CWaveFile> source,
                                       DWORD flags, DWORD notificationCount, DWORD notifySize)
{
    if (!m_backend) {
        return CO_E_NOTINITIALIZED;
    }
    if (!out || !source || notificationCount == 0 || notifySize == 0) {
        return E_INVALIDARG;
    }
    auto stream = m_backend->createStream(*source->GetFormat(), flags);
    if (!stream) {
        return reportFailure(stream.error());
    }
    auto sound = CStreamingSound::create(std::move(*stream), std::move(source), flags, notificationCount, notifySize);
    if (!sound) {
        return E_OUTOFMEMORY;
    }
    *out = std::move(sound);
    return S_OK;
}

HRESULT CSoundManager::PlayCached(const std::filesystem::path& path, DWORD count)
{
    auto cached = m_cache.find(path);
    if (cached == m_cache.end()) {
        std::unique_ptr<CSound> sound;
        RETURN_IF_FAILED(Create(&sound, path, 0, count));
        cached = m_cache.emplace(path, std::move(sound)).first;
    }
    return cached->second->Play(0, 0, 0, 0xFFFFFFFF, 0);
}

} // namespace platform::sound

#pragma once

#include "platform/sound/Sound.h"

#include <filesystem>
#include <map>
#include <memory>

namespace platform::sound {

/// The program's sound output with its cache of recorded sounds, one per file path. Without an output every
/// operation answers CO_E_NOTINITIALIZED. Owner thread only.
class CSoundManager {
public:
    CSoundManager() = default;

    /// Opens the system's default output, releasing one already open; the output's error when there is none.
    HRESULT Initialize();
    /// Takes the given output (tests, or another device).
    HRESULT Initialize(std::unique_ptr<SoundBackend> backend);
    bool hasDevice() const { return m_backend != nullptr; }
    /// The output mixes every voice itself; the call only checks the format. E_INVALIDARG for no channels,
    /// no rate or bits other than 8 and 16.
    HRESULT SetPrimaryBufferFormat(WORD channels, DWORD rate, WORD bits) const;

    /// A sound over the whole wave file with `count` voices. E_INVALIDARG for no path, no out or count 0; E_FAIL
    /// for a file that cannot be read or has no data, or a format the output cannot play.
    HRESULT Create(std::unique_ptr<CSound>* out, const std::filesystem::path& path, DWORD flags, DWORD count);
    /// A streamed sound fed from `source` in `notificationCount` pieces of `notifySize` bytes. E_INVALIDARG
    /// without out or source, or with no pieces.
    HRESULT CreateStreaming(std::unique_ptr<CStreamingSound>* out, std::unique_ptr<CWaveFile> source, DWORD flags,
                            DWORD notificationCount, DWORD notifySize);
    /// Plays the sound of a file through the cache, creating it with `count` voices on first use; a sound that
    /// cannot be created is not cached and reports its error.
    HRESULT PlayCached(const std::filesystem::path& path, DWORD count);

private:
    std::unique_ptr<SoundBackend> m_backend;
    std::map<std::filesystem::path, std::unique_ptr<CSound>> m_cache;
};

} // namespace platform::sound

#pragma once

#include "platform/sound/WaveFile.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace platform::sound {

/// A RIFF WAVE file. Reading takes the whole file into memory and checks every chunk against the bytes present;
/// writing collects the data and puts the file in place atomically when it is closed. Owner thread only.
enum class WaveOpenMode { Read = 1, Write = 2 };

class CWaveDiskFile final : public CWaveFile {
public:
    /// The largest file read: six minutes of CD-quality stereo, far beyond any cue or tone the program plays.
    static constexpr std::uintmax_t kMaxFileSize = 64U << 20;

    CWaveDiskFile() = default;
    ~CWaveDiskFile() override;
    CWaveDiskFile(const CWaveDiskFile&) = delete;
    CWaveDiskFile& operator=(const CWaveDiskFile&) = delete;

    /// Read: E_FAIL for a file that cannot be read or is not a RIFF "WAVE" file with a "fmt " chunk of at least
    /// 16 bytes (and, beyond PCM, its extra bytes), a block alignment and a "data" chunk. Write: `format` is
    /// required (E_INVALIDARG), and nothing reaches the disk before Close.
    HRESULT Open(const std::filesystem::path& path, const WAVEFORMATEX* format, WaveOpenMode mode);
    /// Writes the file when it was opened for writing; the file's error when it cannot be written.
    HRESULT Close();
    /// Appends sound data of a file opened for writing; CO_E_NOTINITIALIZED otherwise.
    HRESULT Write(const std::uint8_t* data, DWORD size, DWORD* written);

    DWORD GetSize() const override { return m_dataSize; }
    HRESULT ResetFile() override;
    HRESULT Read(std::uint8_t* buffer, DWORD wanted, DWORD* read) override;
    const WAVEFORMATEX* GetFormat() const override { return m_format ? &*m_format : nullptr; }

private:
    HRESULT openForReading(const std::filesystem::path& path);

    std::optional<WAVEFORMATEX> m_format;
    std::optional<WaveOpenMode> m_mode;
    std::filesystem::path m_path;
    /// The whole file when reading, the sound data when writing.
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_dataStart = 0;
    DWORD m_dataSize = 0;
    DWORD m_cursor = 0;
};

} // namespace platform::sound

#include "platform/sound/WaveDiskFile.h"

#include "platform/sound/internal/RiffParser.h"

#include "platform/fs/AtomicWrite.h"
#include "platform/fs/ReadFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace platform::sound {

namespace {

constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kPcmFormatSize = 16;

void append(std::vector<std::uint8_t>& bytes, std::string_view id)
{
    bytes.insert(bytes.end(), id.begin(), id.end());
}

void appendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void appendU16(std::vector<std::uint8_t>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace

CWaveDiskFile::~CWaveDiskFile()
{
    (void)Close(); // A caller that cares about the write closes the file itself.
}

HRESULT CWaveDiskFile::Open(const std::filesystem::path& path, const WAVEFORMATEX* format, WaveOpenMode mode)
{
    (void)Close();
    if (mode == WaveOpenMode::Read) {
        return openForReading(path);
    }
    if (mode != WaveOpenMode::Write || !format) {
        return E_INVALIDARG;
    }
    m_format = *format;
    m_path = path;
    m_mode = WaveOpenMode::Write;
    return S_OK;
}

HRESULT CWaveDiskFile::openForReading(const std::filesystem::path& path)
{
    // Read whole, so a file that has no business being this large is refused before it is read.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) {
        return E_FAIL;
    }
    auto file = fs::readFileStart(path, kMaxFileSize + 1); // it may have grown since
    if (!file || file->size() > kMaxFileSize) {
        return E_FAIL;
    }
    std::optional<internal::ParsedWave> wave = internal::parseWave(*file);
    if (!wave) {
        return E_FAIL;
    }
    m_format = std::move(wave->format);
    m_bytes = std::move(*file);
    m_dataStart = wave->dataStart;
    m_dataSize = wave->dataSize;
    m_cursor = 0;
    m_mode = WaveOpenMode::Read;
    return S_OK;
}

HRESULT CWaveDiskFile::Close()
{
    const std::optional<WaveOpenMode> mode = std::exchange(m_mode, std::nullopt);
    HRESULT hr = S_OK;
    if (mode == WaveOpenMode::Write) {
        const WAVEFORMATEX& format = *m_format;
        const bool pcm = format.wFormatTag == WAVE_FORMAT_PCM;
        std::vector<std::uint8_t> file;
        append(file, "RIFF");
        appendU32(file, 0); // Patched below, once the size is known.
        append(file, "WAVE");
        append(file, "fmt ");
        appendU32(file, static_cast<std::uint32_t>(pcm ? kPcmFormatSize : kPcmFormatSize + 2 + format.extra.size()));
        appendU16(file, format.wFormatTag);
        appendU16(file, format.nChannels);
        appendU32(file, format.nSamplesPerSec);
        appendU32(file, format.nAvgBytesPerSec);
        appendU16(file, format.nBlockAlign);
        appendU16(file, format.wBitsPerSample);
        if (!pcm) {
            appendU16(file, static_cast<std::uint16_t>(format.extra.size()));
            file.insert(file.end(), format.extra.begin(), format.extra.end());
            if (file.size() & 1) {
                file.push_back(0);
            }
        }
        append(file, "fact");
        appendU32(file, 4);
        appendU32(file, 0);
        append(file, "data");
        appendU32(file, static_cast<std::uint32_t>(m_bytes.size()));
        file.insert(file.end(), m_bytes.begin(), m_bytes.end());
        if (m_bytes.size() & 1) {
            file.push_back(0);
        }
        const auto riffSize = static_cast<std::uint32_t>(file.size() - kChunkHeader);
        for (int i = 0; i < 4; ++i) {
            file[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(riffSize >> (8 * i));
        }
        hr = fs::writeFileAtomically(m_path, file, fs::WriteMode::Replace).code();
    }
    m_format.reset();
    m_bytes.clear();
    m_dataSize = 0;
    m_cursor = 0;
    return hr;
}

HRESULT CWaveDiskFile::Write(const std::uint8_t* data, DWORD size, DWORD* written)
{
    if (m_mode != WaveOpenMode::Write) {
        return CO_E_NOTINITIALIZED;
    }
    if (!data || !written) {
        return E_INVALIDARG;
    }
    if (m_bytes.size() + size > 0xFFFFFFF0U) {
        return E_FAIL; // A RIFF file cannot hold more.
    }
    m_bytes.insert(m_bytes.end(), data, data + size);
    *written = size;
    return S_OK;
}

HRESULT CWaveDiskFile::ResetFile()
{
    if (m_mode != WaveOpenMode::Read) {
        return CO_E_NOTINITIALIZED;
    }
    m_cursor = 0;
    return S_OK;
}

HRESULT CWaveDiskFile::Read(std::uint8_t* buffer, DWORD wanted, DWORD* read)
{
    if (m_mode != WaveOpenMode::Read) {
        return CO_E_NOTINITIALIZED;
    }
    if (!buffer || !read) {
        return E_INVALIDARG;
    }
    const DWORD count = std::min(wanted, m_dataSize - m_cursor);
    std::memcpy(buffer, m_bytes.data() + m_dataStart + m_cursor, count);
    m_cursor += count;
    *read = count;
    return S_OK;
}

} // namespace platform::sound

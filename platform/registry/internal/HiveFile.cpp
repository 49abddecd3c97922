#include "platform/registry/internal/HiveFile.h"

#include "platform/registry/internal/HiveFormat.h"

#include "platform/com/ErrorText.h"
#include "platform/fs/AtomicWrite.h"
#include "platform/fs/ReadFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::registry::internal {
namespace {

Error systemError(const char* operation, const std::filesystem::path& path, int error)
{
    const HRESULT code = error == EACCES || error == EPERM || error == EROFS ? E_ACCESSDENIED : E_FAIL;
    return Error{code, std::string(operation) + " '" + path.string() + "': " + platform::com::errorText(error)};
}

std::filesystem::path environmentPath(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

/// Holds an exclusive flock on a hive's lock file; the kernel drops it if the process dies.
class HiveLock {
public:
    static Result<std::unique_ptr<HiveLock>> acquire(const std::filesystem::path& hivePath)
    {
        std::error_code ignored;
        std::filesystem::create_directories(hivePath.parent_path(), ignored); // A failure shows at open below.
        std::filesystem::path lockPath = hivePath;
        lockPath += ".lock";
        const int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (descriptor < 0) {
            return systemError("cannot open the lock file", lockPath, errno);
        }
        auto lock = std::unique_ptr<HiveLock>(new HiveLock(descriptor));
        while (::flock(descriptor, LOCK_EX) != 0) {
            if (errno != EINTR) {
                return systemError("cannot lock", lockPath, errno);
            }
        }
        return lock;
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    ~HiveLock() { ::close(m_descriptor); }

private:
    explicit HiveLock(int descriptor) : m_descriptor(descriptor) {}
    int m_descriptor;
};

} // namespace

Result<HiveFile> locateHive(Hive hive)
{
    std::filesystem::path folder = environmentPath("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and to be ignored.
    if (folder.empty() || folder.is_relative()) {
        const std::filesystem::path home = environmentPath("HOME");
        if (home.empty()) {
            return Error{E_FAIL, "neither XDG_CONFIG_HOME nor HOME names a folder for the settings"};
        }
        folder = home / ".config";
    }
    folder /= "talvo";
    if (hive == Hive::CurrentUser) {
        return HiveFile{folder / "user.reg", u"HKEY_CURRENT_USER"};
    }
    const std::filesystem::path machine = environmentPath("TALVO_MACHINE_REGISTRY");
    return HiveFile{machine.empty() ? folder / "machine.reg" : machine, u"HKEY_LOCAL_MACHINE"};
}

Result<std::unique_ptr<HiveKey>> readHive(const HiveFile& file)
{
    const Result<std::vector<std::uint8_t>> bytes = fs::readWholeFile(file.path);
    if (!bytes) {
        const HRESULT code = bytes.error().code;
        if (code == STG_E_FILENOTFOUND || code == STG_E_PATHNOTFOUND) {
            // Windows hives always hold "Software", and programs open it without creating it.
            auto root = std::make_unique<HiveKey>();
            root->name = file.rootName;
            (void)root->subkey(u"Software");
            return root;
        }
        return bytes.error();
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    return parseHive(text, file.rootName, file.path.string());
}

Status updateHive(const HiveFile& file, const std::function<Result<bool>(HiveKey& root)>& change)
{
    const auto lock = HiveLock::acquire(file.path);
    if (!lock) {
        return lock.error();
    }
    Result<std::unique_ptr<HiveKey>> root = readHive(file);
    if (!root) {
        return root.error();
    }
    const Result<bool> changed = change(**root);
    if (!changed) {
        return changed.error();
    }
    if (!*changed) {
        return {};
    }
    const std::string text = formatHive(**root, file.rootName);
    return fs::writeFileAtomically(
        file.path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), fs::WriteMode::Replace);
}

} // namespace platform::registry::internal

#include "talvodesk/core/program/DesktopRegistration.h"

#include "platform/fs/AtomicWrite.h"
#include "platform/fs/ReadFile.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace talvodesk {

namespace {

namespace fs = std::filesystem;

/// The folders Register made, one key holding a list: a desktop entry may not repeat a key.
constexpr std::string_view kCreatedKey = "X-Talvo-CreatedFolders=";
/// The one-folder-per-line key of entries written before.
constexpr std::string_view kOldCreatedKey = "X-Talvo-CreatedFolder=";

fs::path entryPath(const fs::path& data)
{
    return data / "applications" / "talvodesk.desktop";
}

fs::path mimePath(const fs::path& data)
{
    return data / "mime" / "packages" / "talvo-practice.xml";
}

fs::path iconPath(const fs::path& data)
{
    return data / "icons" / "hicolor" / "scalable" / "apps" / "talvodesk.svg";
}

/// A string value of a list key: ';' ends each item, so ';' and '\' inside one are escaped with '\'.
std::string listItem(const std::string& item)
{
    std::string escaped;
    for (const char c : item) {
        if (c == ';' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped + ';';
}

std::vector<std::string> listItems(std::string_view value)
{
    std::vector<std::string> items;
    std::string item;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            item += value[++i];
        } else if (value[i] == ';') {
            items.push_back(std::move(item));
            item.clear();
        } else {
            item += value[i];
        }
    }
    if (!item.empty()) {
        items.push_back(std::move(item));
    }
    return items;
}

/// An Exec argument by the desktop-entry rules: quoted, with '"', '`', '$' and '\' escaped inside the quotes and
/// '%' doubled (no field code), then written as a string value, whose own escapes double every '\' again.
std::string execArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c == '%' ? "%%" : std::string(1, c);
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    return value;
}

constexpr std::string_view kMimeType = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                                       "  <mime-type type=\"application/x-talvo-practice\">\n"
                                       "    <comment>Talvo practice</comment>\n"
                                       "    <sub-class-of type=\"application/x-ole-storage\"/>\n"
                                       "    <glob pattern=\"*.talvo\"/>\n"
                                       "  </mime-type>\n"
                                       "</mime-info>\n";

platform::Error fileError(const fs::path& path, const std::error_code& error)
{
    return platform::Error{E_FAIL, path.string() + ": " + error.message()};
}

/// Makes the folder and the missing ones above it, appending each one made to `created` (outermost first).
platform::Status makeFolders(const fs::path& folder, std::vector<fs::path>& created)
{
    std::vector<fs::path> missing;
    std::error_code error;
    for (fs::path p = folder; !p.empty() && !fs::exists(p, error); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) {
            break;
        }
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!fs::create_directory(*it, error) && error) {
            return fileError(*it, error);
        }
        created.push_back(*it);
    }
    return {};
}

platform::Status writeText(const fs::path& path, std::string_view text)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return platform::fs::writeFileAtomically(path, {bytes, text.size()}, platform::fs::WriteMode::Replace);
}

/// The folders that the installed entry says Register made, innermost first.
std::vector<fs::path> createdFolders(const fs::path& entry)
{
    std::vector<fs::path> folders;
    const auto bytes = platform::fs::readWholeFile(entry);
    if (!bytes) {
        return folders;
    }
    const std::string text(bytes.value().begin(), bytes.value().end());
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line(text.data() + start, end - start);
        if (line.starts_with(kCreatedKey)) {
            for (std::string& folder : listItems(line.substr(kCreatedKey.size()))) {
                folders.emplace_back(std::move(folder));
            }
        } else if (line.starts_with(kOldCreatedKey)) {
            folders.emplace_back(std::string(line.substr(kOldCreatedKey.size())));
        }
        start = end + 1;
    }
    return {folders.rbegin(), folders.rend()};
}

extern "C" char** environ;

/// Runs a tool found on the PATH and waits for it; its exit status, or none when it is not installed.
std::optional<int> runTool(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str())); // posix_spawn's signature predates const
    }
    args.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, args.front(), nullptr, nullptr, args.data(), environ) != 0) {
        return std::nullopt;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// What the tool's run says to the user: nothing when it ran well.
std::optional<std::string> runUpdate(const std::string& tool, const fs::path& folder, std::string_view package,
                                     std::string_view without)
{
    const auto status = runTool({tool, folder.string()});
    if (!status) {
        return tool + " was not found (install " + std::string(package) + "): " + std::string(without);
    }
    if (*status != 0) {
        return tool + " " + folder.string() + " failed with status " + std::to_string(*status);
    }
    return std::nullopt;
}

/// Updates the MIME and application databases of the data folder where their tools are installed.
std::vector<std::string> updateDatabases(const fs::path& data)
{
    std::vector<std::string> notes;
    std::error_code error;
    if (fs::is_directory(data / "mime" / "packages", error)) {
        if (auto note = runUpdate("update-mime-database", data / "mime", "shared-mime-info",
                                  ".talvo files keep the type the desktop gave them before")) {
            notes.push_back(std::move(*note));
        }
    }
    if (fs::is_directory(data / "applications", error)) {
        if (auto note = runUpdate("update-desktop-database", data / "applications", "desktop-file-utils",
                                  "file managers may not offer Talvo to open practices")) {
            notes.push_back(std::move(*note));
        }
    }
    return notes;
}

/// Removes what the tools generated where it describes nothing any more: the MIME database of a folder without
/// packages and an application cache without MIME types.
void dropEmptyDatabases(const fs::path& data)
{
    std::error_code error;
    const fs::path mime = data / "mime";
    if (fs::is_directory(mime / "packages", error) && fs::is_empty(mime / "packages", error)) {
        for (const auto& entry : fs::directory_iterator(mime, error)) {
            if (entry.path().filename() != "packages") {
                fs::remove_all(entry.path(), error);
            }
        }
    }
    const fs::path cache = data / "applications" / "mimeinfo.cache";
    const auto bytes = platform::fs::readWholeFile(cache);
    if (bytes && std::string(bytes.value().begin(), bytes.value().end()).find('=') == std::string::npos) {
        fs::remove(cache, error);
    }
}

} // namespace

platform::Result<fs::path> UserDataFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && fs::path(data).is_absolute()) {
        return fs::path(data);
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        return platform::Error{E_FAIL, "neither XDG_DATA_HOME nor HOME is set"};
    }
    return fs::path(home) / ".local" / "share";
}

platform::Result<std::vector<std::string>> RegisterDesktopEntry(const fs::path& dataFolder, const fs::path& program,
                                                                std::string_view iconSvg)
{
    const fs::path entry = entryPath(dataFolder);
    // A second registration keeps the folders noted by the first.
    std::vector<fs::path> created = createdFolders(entry);
    std::reverse(created.begin(), created.end());
    for (const fs::path& folder :
         {entry.parent_path(), mimePath(dataFolder).parent_path(), iconPath(dataFolder).parent_path()}) {
        if (auto made = makeFolders(folder, created); !made) {
            return made.error();
        }
    }
    if (auto written = writeText(mimePath(dataFolder), kMimeType); !written) {
        return written.error();
    }
    if (auto written = writeText(iconPath(dataFolder), iconSvg); !written) {
        return written.error();
    }
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Talvo Professional\n"
                       "Comment=Shooter training\n"
                       "Exec=" +
                       execArgument(program.string()) +
                       " %f\n"
                       "Icon=talvodesk\n"
                       "MimeType=application/x-talvo-practice;\n"
                       "Categories=Education;Sports;\n"
                       "Terminal=false\n";
    if (!created.empty()) {
        text.append(kCreatedKey);
        for (const fs::path& folder : created) {
            text.append(listItem(folder.string()));
        }
        text.append("\n");
    }
    if (auto written = writeText(entry, text); !written) {
        return written.error();
    }
    return updateDatabases(dataFolder);
}

platform::Result<std::vector<std::string>> UnregisterDesktopEntry(const fs::path& dataFolder)
{
    const fs::path entry = entryPath(dataFolder);
    const std::vector<fs::path> created = createdFolders(entry);
    std::error_code error;
    for (const fs::path& file : {mimePath(dataFolder), iconPath(dataFolder), entry}) {
        if (!fs::remove(file, error) && error) {
            return fileError(file, error);
        }
    }
    std::vector<std::string> notes = updateDatabases(dataFolder);
    dropEmptyDatabases(dataFolder);
    for (const fs::path& folder : created) {
        if (fs::is_directory(folder, error) && fs::is_empty(folder, error)) {
            fs::remove(folder, error);
        }
    }
    return notes;
}

} // namespace talvodesk

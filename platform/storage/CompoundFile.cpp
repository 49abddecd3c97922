#include "platform/storage/CompoundFile.h"

#include "platform/storage/internal/CompoundFileReader.h"
#include "platform/storage/internal/ElementStorage.h"
#include "platform/storage/internal/Format.h"

#include "platform/fs/ReadFile.h"

namespace platform::storage {
namespace {

enum class DocumentAccess { Read, ReadWrite };

/// Compound files are read whole: a hostile one of gigabytes is refused before it is read. Practices of 10,000
/// shots stay far below it.
constexpr std::size_t kLargestFile = std::size_t{512} << 20;

using internal::AccessMode;
using internal::Document;
using internal::Element;
using internal::ElementStorage;

std::shared_ptr<Element> emptyRoot()
{
    auto root = std::make_shared<Element>();
    root->type = internal::ElementType::Storage;
    return root;
}

com::ComPtr<IStorage> rootStorage(std::shared_ptr<Element> root, DocumentAccess access, std::filesystem::path path,
                                  std::optional<fs::WriteMode> writeMode)
{
    std::shared_ptr<Element> element = root;
    auto document = std::make_shared<Document>(std::move(root), std::move(path), writeMode);
    const AccessMode mode{true, access == DocumentAccess::ReadWrite};
    return com::makeComObject<ElementStorage>(std::move(document), std::move(element), mode,
                                              ElementStorage::Kind::Root);
}

} // namespace

Result<com::ComPtr<IStorage>> createCompoundFile(const std::filesystem::path& path, CreateMode mode)
{
    const fs::WriteMode writeMode = mode == CreateMode::CreateOnly ? fs::WriteMode::CreateOnly : fs::WriteMode::Replace;
    if (Status writable = fs::checkWritable(path, writeMode); !writable) {
        return writable.error();
    }
    return rootStorage(emptyRoot(), DocumentAccess::ReadWrite, path, writeMode);
}

Result<com::ComPtr<IStorage>> openCompoundFile(const std::filesystem::path& path)
{
    auto bytes = fs::readWholeFile(path, kLargestFile);
    if (!bytes) {
        return bytes.error();
    }
    auto root = internal::readCompoundFile(*bytes);
    if (!root) {
        return Error{root.error().code, path.string() + ": " + root.error().detail};
    }
    return rootStorage(std::move(*root), DocumentAccess::Read, path, std::nullopt);
}

Result<bool> isCompoundFile(const std::filesystem::path& path)
{
    auto bytes = fs::readFileStart(path, internal::kSignature.size());
    if (!bytes) {
        return bytes.error();
    }
    return internal::hasCompoundFileSignature(*bytes);
}

com::ComPtr<IStorage> createCompoundFileInMemory()
{
    return rootStorage(emptyRoot(), DocumentAccess::ReadWrite, {}, std::nullopt);
}

Result<com::ComPtr<IStorage>> openCompoundFileInMemory(std::span<const std::uint8_t> bytes)
{
    auto root = internal::readCompoundFile(bytes);
    if (!root) {
        return root.error();
    }
    return rootStorage(std::move(*root), DocumentAccess::Read, {}, std::nullopt);
}

Result<std::vector<std::uint8_t>> compoundFileBytes(IStorage& root)
{
    auto* storage = dynamic_cast<ElementStorage*>(&root);
    if (!storage) {
        return Error{E_INVALIDARG, "not a storage of a compound file"};
    }
    return storage->fileBytes();
}

} // namespace platform::storage

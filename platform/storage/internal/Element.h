#pragma once

#include "platform/storage/internal/ElementName.h"

#include "platform/com/Guid.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::storage::internal {

struct Element;
/// Children in the format's name order, which is the order the directory tree is written in.
using ElementMap = std::map<std::u16string, std::shared_ptr<Element>, ElementNameLess>;

enum class ElementType { Storage, Stream };

/// One storage or stream of a compound file held in memory. Shared: a stream or storage object keeps its element,
/// so one destroyed or replaced under an open object goes on as a detached element instead of dangling.
struct Element {
    std::u16string name;
    ElementType type = ElementType::Stream;
    CLSID clsid{};
    std::vector<std::uint8_t> data;
    ElementMap children;
};

} // namespace platform::storage::internal

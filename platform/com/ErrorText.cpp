#include "platform/com/ErrorText.h"

#include <cstring>

namespace platform::com {

std::string errorText(int error)
{
    const char* description = strerrordesc_np(error);
    return description ? std::string(description) : "error " + std::to_string(error);
}

} // namespace platform::com

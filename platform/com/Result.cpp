#include "platform/com/Result.h"

#include <atomic>
#include <cstdio>

namespace platform {
namespace {

void logToStderr(const Error& error)
{
    std::fprintf(stderr, "talvo: %s: %s\n", com::hresultName(error.code).c_str(), error.detail.c_str());
}

std::atomic<FailureLogger> s_logger{&logToStderr};

} // namespace

void setFailureLogger(FailureLogger logger)
{
    s_logger.store(logger ? logger : &logToStderr);
}

HRESULT reportFailure(const Error& error)
{
    s_logger.load()(error);
    return error.code;
}

} // namespace platform

#pragma once

#include "talvodesk/core/document/DocumentServices.h"
#include "talvodesk/core/livedata/LiveDataPoster.h"

#include "platform/com/Bstr.h"

#include <string>
#include <vector>

namespace talvodesk::testsupport {

/// The frame's services to the document wrapper, recorded as text lines ("begin 32840", "progress 3/7", "end",
/// "ask 32817"); questions get `answer`.
class RecordingFrame final : public DocumentServices {
public:
    bool BeginProgress(std::uint32_t textId) override
    {
        calls.push_back("begin " + std::to_string(textId));
        return true;
    }
    void SetProgress(long done, long total) override
    {
        calls.push_back("progress " + std::to_string(done) + "/" + std::to_string(total));
    }
    void EndProgress() override { calls.push_back("end"); }
    void SetWaitCursor(bool wait) override { waitCursor = wait; }
    Answer AskYesNoCancel(std::uint32_t textId) override
    {
        calls.push_back("ask " + std::to_string(textId));
        return answer;
    }
    void ReportSaveFailure(const std::u16string& reason) override
    {
        calls.push_back("save failed " + platform::com::utf16ToUtf8(reason));
    }

    std::vector<std::string> calls;
    Answer answer = Answer::No;
    bool waitCursor = false;
};

/// Live data as text lines: "state 1", "points 10", "shot", "heartbeat".
class RecordingLivePoster final : public ILiveDataPoster {
public:
    void PostState(int state) override { posts.push_back("state " + std::to_string(state)); }
    void PostPoints(IAimingTrace* trace, long count) override
    {
        posts.push_back(std::string(trace ? "points " : "points without trace ") + std::to_string(count));
    }
    void PostShot(IShot* shot) override { posts.push_back(shot ? "shot" : "shot without shot"); }
    void PostHeartBeat() override { posts.push_back("heartbeat"); }

    std::vector<std::string> posts;
};

} // namespace talvodesk::testsupport

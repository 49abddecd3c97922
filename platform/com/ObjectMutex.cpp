#include "platform/com/ObjectMutex.h"

namespace platform::com {

void ObjectMutex::lockContended()
{
    // Marked contended before sleeping, so the holder's unlock wakes a sleeper. A thread that takes it this way
    // leaves it marked, which costs at most one needless wake.
    while (m_state.exchange(kContended) != kFree) {
        m_state.wait(kContended);
    }
}

} // namespace platform::com

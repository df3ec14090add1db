// Auto-reset events and a wait on several of them with a time-out. When several events of
// one wait are set at once, the one listed first wins and only that one is cleared.
#pragma once

#include <initializer_list>

namespace vexal::platform {

inline constexpr int kWaitForever = -1;
// Results of WaitAny besides the index of the event that ended the wait.
inline constexpr int kWaitTimedOut = -1;
inline constexpr int kWaitFailed = -2;

class Event {
public:
    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event();

    // An event can be set and waited for only after Create; it starts clear.
    bool Create();
    bool IsCreated() const { return created_; }
    void Set();
    void Reset();

private:
    friend int WaitAny(std::initializer_list<Event*> events, int timeoutMs);
    bool created_ = false;
    bool signalled_ = false;
};

// Waits until one of the events is set and clears it. Returns its position in the list,
// kWaitTimedOut after timeoutMs milliseconds (kWaitForever: no limit), or kWaitFailed for an
// empty list or an event that was never created.
int WaitAny(std::initializer_list<Event*> events, int timeoutMs);

}  // namespace vexal::platform

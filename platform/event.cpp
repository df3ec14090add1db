#include "event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vexal::platform {
namespace {

// All events share one lock and one condition variable: a wait on several events then
// needs nothing more, and the few events of a process make the shared wake-ups cheap.
struct EventHub {
    std::mutex lock;
    std::condition_variable changed;
};

// Never destroyed, so that events in static objects outlive it safely.
EventHub& Hub() {
    static EventHub* hub = new EventHub;
    return *hub;
}

}  // namespace

Event::~Event() = default;

bool Event::Create() {
    std::lock_guard<std::mutex> guard(Hub().lock);
    created_ = true;
    signalled_ = false;
    return true;
}

void Event::Set() {
    EventHub& hub = Hub();
    {
        std::lock_guard<std::mutex> guard(hub.lock);
        if (!created_) return;
        signalled_ = true;
    }
    hub.changed.notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> guard(Hub().lock);
    signalled_ = false;
}

int WaitAny(std::initializer_list<Event*> events, int timeoutMs) {
    if (events.size() == 0) return kWaitFailed;
    EventHub& hub = Hub();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::unique_lock<std::mutex> guard(hub.lock);
    for (;;) {
        int position = 0;
        for (Event* event : events) {
            if (event == nullptr || !event->created_) return kWaitFailed;
            if (event->signalled_) {
                event->signalled_ = false;
                return position;
            }
            ++position;
        }
        if (timeoutMs == kWaitForever) {
            hub.changed.wait(guard);
        } else {
            if (std::chrono::steady_clock::now() >= deadline) return kWaitTimedOut;
            hub.changed.wait_until(guard, deadline);
        }
    }
}

}  // namespace vexal::platform

#include "thread_priority.h"

#include <pthread.h>
#include <sched.h>

namespace vexal::platform {

bool RaiseThreadToTimeCritical() {
    sched_param parameter{};
    parameter.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (parameter.sched_priority < 0) return false;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter) == 0;
}

}  // namespace vexal::platform

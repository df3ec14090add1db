#pragma once

namespace vexal::platform {

// Gives the calling thread the highest real-time priority of the system. False when the
// system refuses it; the thread then keeps the priority it had.
bool RaiseThreadToTimeCritical();

}  // namespace vexal::platform

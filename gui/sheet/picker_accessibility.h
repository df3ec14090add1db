// Date and time pickers for assistive technology: Qt's own interface of a date/time edit
// offers no step actions, so a screen or switch user could not change it. Ours offers
// "Increase" and "Decrease", which step the current field as a tap on the arrows does.
#pragma once

namespace vexal {

// Makes every date/time edit of the program use the interface with step actions.
void InstallPickerAccessibility();

}  // namespace vexal

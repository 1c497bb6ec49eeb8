#pragma once

// Tells assistive tools what the menu's painted controls are: rows and the
// shortcut button are buttons, a mode chip is a radio button that is checked
// while selected, a seal check is a check box whose value reads "On"/"Off"
// in the interface language. Safe to call more than once; call it before a
// widget first sets its accessible name, which fixes its interface for good.
namespace menu {
void installAccessibility();
}

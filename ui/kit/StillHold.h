#pragma once
class QWidget;

// Our windows step aside while a still of the screen is taken and come back
// after it. A window its owner dismissed meanwhile (a toast whose time ran
// out) must stay away: hiding a hidden window leaves no trace in Qt, so the
// hold is a mark on the window that the owner's dismissal takes off.
namespace stillhold {

// Hides `w` for the still and marks it as held.
void hold(QWidget* w);
// Shows `w` again if it is still held; takes the mark off either way.
void release(QWidget* w);
// The owner hid `w` on purpose: a release leaves it hidden.
void dismiss(QWidget* w);

}  // namespace stillhold

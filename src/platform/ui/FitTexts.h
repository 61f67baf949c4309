#pragma once
// Dialogs are built to sizes from their designs; fonts differ between machines and scale
// factors, so after a window is built its texts are given the room they need.
class QWidget;

// Widens each label, check box, radio button and push button placed at a fixed position to
// what its text needs, moves the widgets right of it along and grows their group boxes and the
// window. A window with a layout grows to the layout's minimum. It never shrinks anything.
void FitTexts(QWidget* window);

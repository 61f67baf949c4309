#pragma once
class QHBoxLayout;
class QPushButton;

// The row of OK and cancel buttons at the bottom of a dialog: aligned right, Return presses OK.
QHBoxLayout* OkCancelRow(QPushButton* ok, QPushButton* cancel);

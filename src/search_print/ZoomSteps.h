#pragma once
// The zoom steps of the print preview: percentages between 10 and 1000, finer at small scales.
// Zooming in and out undo each other.

constexpr int MinZoomPercent = 10;
constexpr int MaxZoomPercent = 1000;

int ZoomInPercent(int percent);
int ZoomOutPercent(int percent);

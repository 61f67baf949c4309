#include "search_print/ZoomSteps.h"

int ZoomInPercent(int p) {
  if (p >= 900) return MaxZoomPercent;
  if (p < 20) return p + 5;
  if (p < 50) return p + 10;
  if (p < 200) return p + 25;
  if (p < 400) return p + 50;
  return p + 100;
}

int ZoomOutPercent(int p) {
  if (p <= 15) return MinZoomPercent;
  if (p <= 20) return p - 5;
  if (p <= 50) return p - 10;
  if (p <= 200) return p - 25;
  if (p <= 400) return p - 50;
  return p - 100;
}

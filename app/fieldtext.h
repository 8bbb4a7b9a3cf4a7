#pragma once
// Numbers in the window's texts: reading one from a field or a grid cell, and
// showing a plane point in the two edit fields.

#include <cstdint>

#include "render/complexpoint.h"

class QLineEdit;
class QString;

// ParseReal(NormalizeReal(text)), the text taken as its UTF-8 bytes.
double readNumber(const QString &text);

// Writes FormatReal(1, decimals, ...) of the real part into reField and of
// the imaginary part into imField, in that order.
void showPoint(QLineEdit *reField, QLineEdit *imField, ComplexPoint point, std::uint8_t decimals);

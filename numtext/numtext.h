#pragma once
// Decimal-comma number text: the numbers of the edit fields and the factor
// table. Shown with a comma, read with a comma or a point, never dependent on
// the system's regional settings.

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

class QLineEdit;

// Raised when a number text's value lies beyond the range of a double.
class FloatingPointOverflow : public std::exception
{
public:
    const char *what() const noexcept override { return "Floating point overflow"; }
};

// The value in fixed form with `decimals` fraction digits, trailing zeros
// dropped, decimal comma; padded on the left with blanks to `width`.
std::string FormatReal(std::uint8_t width, std::uint8_t decimals, double value);

// ASCII letters to capitals, every ',' to '.'.
std::string NormalizeReal(const std::string &text);

// Reads a normalised number text. Invalid texts read as the digits met so far;
// a value beyond the double range throws FloatingPointOverflow.
double ParseReal(const std::string &text);

// ParseReal(NormalizeReal(field text)); defined with the window code
// (app/fieldtext.cpp), so that the number text itself needs no Qt.
double ReadReal(const QLineEdit *field);

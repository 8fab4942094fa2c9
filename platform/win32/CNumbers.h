// Numbers as text in the C locale, whatever locale the user or a library has set: the game's
// files must read the same on every machine ("0.5", never "0,5").
#pragma once

#include <string>
#include <string_view>

/// Reads a number the way sscanf's "%f" does (leading blanks, optional sign, digits with an
/// optional fraction and exponent, or "inf"/"nan"); false when no number starts the text.
bool ScanDouble(std::string_view text, double& value);
bool ScanFloat(std::string_view text, float& value);

/// The "%f" text of a number: fixed notation with nDecimals digits after the point.
std::string FormatFixed(double value, int nDecimals = 6);

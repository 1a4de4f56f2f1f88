#pragma once

#include <string_view>

// Reads a base-10 integer from the start of `text` as std::stoi does:
// leading white space, one optional sign, digits up to the first non-digit.
// Throws std::invalid_argument("invalid stoi argument") when there is no
// digit and std::out_of_range("stoi argument out of range") when the number
// does not fit 32 bits. The descriptions are the same on every standard
// library, which std::stoi's are not.
int readSettingNumber(std::string_view text);

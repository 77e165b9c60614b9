// Numbers of the sales import file as text, with '.' whatever the process
// locale: amounts without decimals (as "%.0f" writes them) and with two.
#pragma once

#include <string>

namespace krv {

// Rounded to a whole number, as "%.0f" rounds.
std::string WholeText(double value);
// Two decimals, as "%.2f".
std::string TwoDecimalsText(double value);

}  // namespace krv

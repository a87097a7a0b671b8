#pragma once

#include <string>

namespace tmq {

// The SESIONES text for a number of hours of at least 1: with n the hours
// rounded up, n ones; past 13, the number n - 13 followed by 13 ones.
std::string sessionsText(double hours);

} // namespace tmq

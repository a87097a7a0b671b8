#pragma once

#include <string>
#include <vector>

namespace tmq::bench {

// What one run of a program cost.
struct RunCost {
    double seconds = 0;
    long peakKiB = 0; // the child's maximum resident set
};

// Runs `argv` with its output thrown away and waits for it; its peak memory
// comes from the kernel's accounting of that child alone. Throws when the
// program cannot start or ends with another status than 0.
RunCost runChild(const std::vector<std::string>& argv);

} // namespace tmq::bench

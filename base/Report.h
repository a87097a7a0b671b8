#pragma once

#include <string>

namespace tmq {

// Where a command tells, line by line, what it wrote and what it passed
// over, for a person who wants to know what did not carry over. The
// default tells nobody; commands build their lines only when wanted().
class Report {
public:
    virtual ~Report() = default;

    // Whether anybody reads the lines.
    virtual bool wanted() const { return false; }

    // One line, in Spanish (UTF-8).
    virtual void line(const std::string& text) { (void)text; }
};

// The report that tells nobody.
inline Report& silentReport()
{
    static Report silent;
    return silent;
}

} // namespace tmq

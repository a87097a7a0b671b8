#pragma once

#include <string>

namespace tmq {

// Where a command tells, line by line, what it wrote and what it passed
// over, for a person who wants to know what did not carry over. The
// default tells nobody; commands build their lines only when wanted().
class CommandLog {
public:
    virtual ~CommandLog() = default;

    // Whether anybody reads the lines.
    virtual bool wanted() const { return false; }

    // One line, in Spanish (UTF-8).
    virtual void line(const std::string& text) { (void)text; }
};

// The log that tells nobody.
inline CommandLog& silentLog()
{
    static CommandLog silent;
    return silent;
}

} // namespace tmq

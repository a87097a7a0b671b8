#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace tmq {

// A failure the user is told about. The text is Spanish, in UTF-8, and names
// the file or table concerned and what is wrong with it.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& userText) : std::runtime_error(userText) {}
};

// The text of the error report: a full stop is added when the text is not
// empty and its last character sorts after "." (a letter or a digit, say).
std::string errorReportText(const std::string& message);

// The system's reason for the failure `errnoValue`, in Spanish whatever the
// locale (the C library's own texts are English under the C locale).
std::string systemReason(int errnoValue);
// The same for an error code of the C library or, on Windows, of the system.
std::string systemReason(const std::error_code& error);

#ifdef _WIN32
// The C library's error number closest to a Windows error code (EIO when
// none is alike).
int errnoFromWindowsError(int code);
#endif

// The text to show for an error that ends a command: a tmq::Error's own text;
// for anything else (out of memory, a file-system failure a library threw
// with an English text) a Spanish sentence.
std::string userText(const std::exception& error);

// The report of an error that ends a command, as a box shows it: its user
// text, with the report's full stop.
std::string errorReport(const std::exception& error);

} // namespace tmq

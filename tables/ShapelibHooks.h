#pragma once

#include <shapefil.h>

#include <filesystem>
#include <string>

namespace tmq {

// Scope of one or more shapelib calls on a table file. shapelib's hooks carry
// no user data, so this sets what they need for the calling thread:
// - every ".dbf" file shapelib opens, whatever the letter case it asks for,
//   is `tableFile`, which keeps the exact name and the ".DBF" extension;
// - its messages are collected instead of printed;
// - numbers are read independently of the C library's locale;
// - a file is written through a window of memory, so that shapelib's seek
//   and write per record do not each reach the system.
class ShapelibScope {
public:
    explicit ShapelibScope(const std::filesystem::path& tableFile);
    ~ShapelibScope();
    ShapelibScope(const ShapelibScope&) = delete;
    ShapelibScope& operator=(const ShapelibScope&) = delete;

    // The hooks to hand to DBFOpenLL and DBFCreateLL.
    static SAHooks* hooks();

    // Whether shapelib reported a failure within the scope.
    bool failed() const;
    // What went wrong, in Spanish: for a file that could not be opened or
    // written, the system's reason; otherwise shapelib's messages, translated.
    std::string reason() const;
    // The system error number of the last file that could not be opened.
    int openError() const;

private:
    const std::filesystem::path* outer_;
};

} // namespace tmq

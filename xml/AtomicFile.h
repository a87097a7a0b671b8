#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tmq {

// Writes `content` to a new file beside `path` and then renames it over
// `path`, so that `path` holds either its old content or all of the new.
// Throws tmq::Error naming `path` when that fails; an older file is kept.
void writeFileAtomically(const std::string& path, std::string_view content);

// The same written in pieces: the new file exists beside `path` until
// commit() puts it in place; dropped, it is removed and `path` untouched.
// Every failure throws the same tmq::Error naming `path`.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::string_view content);
    // Ends the writing and has the system start putting the file on disk,
    // without waiting: commit() then has less to wait for, and a program
    // writing several files writes the next one meanwhile.
    void finish();
    void commit();

    // Commits files written together: every one is whole on disk before
    // the first is put in place, so that a full disk or a failing write
    // leaves the older files all as they were.
    static void commitTogether(std::span<const std::unique_ptr<AtomicFileWriter>> files);

private:
    struct Impl;
    [[noreturn]] void fail() const;
    void syncToDisk();

    std::string path_;
    std::unique_ptr<Impl> impl_;
};

// Deletes the temporary files that a run killed while writing `path` left
// beside it (named like `path` followed by ".tmq-" and six characters).
void removeStaleTemporaryFiles(const std::string& path);

} // namespace tmq

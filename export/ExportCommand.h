#pragma once

#include "base/CommandLog.h"
#include "frame/CommandFrame.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tmq {

inline constexpr const char* kExportDoneMessage = "Proceso finalizado";

class ExportRun;

// The export as the frame runs it: reading the catalogues of the document in
// one pass, keeping only what the tables need, then writing the six tables
// into the working folder in their order. A malformed document fails the
// reading, before any table is touched. The log hears of the records
// written and the items passed over.
class ExportCommand : public Command {
public:
    ExportCommand(std::filesystem::path workingFolder, CommandLog& log = silentLog());
    ~ExportCommand() override;

    void read(const std::string& chosenFile) override;
    void write() override;
    std::filesystem::path workingFolder() const override { return workingFolder_; }
    bool busyWhileReading() const override { return false; }
    std::string doneMessage() const override { return kExportDoneMessage; }

private:
    std::filesystem::path workingFolder_;
    std::unique_ptr<ExportRun> run_;
};

// The export command: file choice, reading, the six steps, "Proceso finalizado".
CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder);

} // namespace tmq

#pragma once

#include "base/CommandLog.h"
#include "frame/CommandFrame.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tmq {

class XmlDocument;
struct ImportRun;

inline constexpr const char* kImportDoneMessage = "Proceso Terminado";

// The import as the frame runs it: reading the chosen document without its
// output section, giving it a new one with the error block, and reading the
// teachers' timetables from the tables of the working folder; then saving
// the result beside the chosen file. Every error of the document or the
// tables comes from the reading, before anything is saved.
class ImportCommand : public Command {
public:
    ImportCommand(std::filesystem::path workingFolder, CommandLog& log = silentLog());
    ~ImportCommand() override;

    void read(const std::string& chosenFile) override;
    void write() override;
    std::filesystem::path workingFolder() const override { return workingFolder_; }
    bool busyWhileReading() const override { return true; }
    std::string doneMessage() const override { return kImportDoneMessage; }

private:
    std::filesystem::path workingFolder_;
    CommandLog& log_;
    std::unique_ptr<XmlDocument> document_;
    std::unique_ptr<ImportRun> run_;
    std::string resultPath_;
};

// The import command: file choice, load, the new output section with the
// teachers' timetables, the result file beside the chosen one, "Proceso Terminado".
CommandResult runImportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder);

} // namespace tmq

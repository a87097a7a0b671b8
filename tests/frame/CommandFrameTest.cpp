#include "frame/CommandFrame.h"
#include "base/Error.h"
#include "support/TestSupport.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tmq {
namespace {

// Records what the frame asks of the user interface, in order.
class RecordingInterface : public UserInterface {
public:
    std::optional<std::string> nextChoice;
    std::vector<std::string> calls;

    std::optional<std::string> chooseXmlFile() override
    {
        calls.push_back("choose");
        return nextChoice;
    }
    void setBusy(bool busy) override { calls.push_back(busy ? "busy" : "idle"); }
    void showMessage(const std::string& text) override { calls.push_back("message:" + text); }
};

// Loads the chosen document when reading and records its root when writing.
class LoadingCommand : public Command {
public:
    LoadingCommand(RecordingInterface& ui, bool busyWhileReading)
        : ui_(ui), busyWhileReading_(busyWhileReading)
    {
    }

    void read(const std::string& chosenFile) override { document_ = XmlDocument::load(chosenFile); }
    void write() override
    {
        if (failInWrite)
            throw Error("falla");
        ui_.calls.push_back("run");
        loadedBy.push_back(document_->documentElement().name());
    }
    std::filesystem::path workingFolder() const override { return {}; }
    bool busyWhileReading() const override { return busyWhileReading_; }
    std::string doneMessage() const override { return "Hecho"; }

    bool read() const { return document_ != nullptr; }

    bool failInWrite = false;
    std::vector<std::string> loadedBy;

private:
    RecordingInterface& ui_;
    bool busyWhileReading_;
    std::unique_ptr<XmlDocument> document_;
};

class CommandFrameTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string goodFile = (dir / "centro.xml").string();
    RecordingInterface ui;
    Session session;
    LoadingCommand exportOrder{ui, false};

    void SetUp() override { test::writeFile(goodFile, "<SERVICIO><SALIDAS/></SERVICIO>"); }
};

TEST_F(CommandFrameTest, MissingOrCancelledChoiceReportsMissingFile)
{
    struct Case {
        const char* name;
        std::string earlierChoice;
        std::optional<std::string> choice;
    };
    const std::vector<Case> cases{
        {"cancelled, nothing chosen before", "", std::nullopt},
        {"confirmed name of no file", "", (dir / "no-such.xml").string()},
        {"cancelled after a file since deleted", (dir / "gone.xml").string(), std::nullopt},
        {"a folder is no file", "", dir.path().string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.calls.clear();
        session.selectedXmlFile = c.earlierChoice;
        ui.nextChoice = c.choice;
        LoadingCommand importOrder(ui, true);
        EXPECT_EQ(runCommand(ui, session, importOrder), CommandResult::FileMissing);
        EXPECT_EQ(ui.calls, (std::vector<std::string>{"choose", "message:No existe archivo"}));
        EXPECT_FALSE(importOrder.read());
    }
}

TEST_F(CommandFrameTest, ConfirmedNameOfMissingFileStaysTheChoice)
{
    const std::string missing = (dir / "missing.xml").string();
    ui.nextChoice = missing;
    runCommand(ui, session, exportOrder);
    ui.nextChoice.reset();
    EXPECT_EQ(runCommand(ui, session, exportOrder), CommandResult::FileMissing);
    EXPECT_EQ(session.selectedXmlFile, missing);
}

TEST_F(CommandFrameTest, CancelledChoiceRunsOnTheEarlierFile)
{
    session.selectedXmlFile = goodFile;
    ui.nextChoice.reset();
    EXPECT_EQ(runCommand(ui, session, exportOrder), CommandResult::Completed);
    EXPECT_EQ(exportOrder.loadedBy, std::vector<std::string>{"SERVICIO"});
    EXPECT_EQ(session.selectedXmlFile, goodFile);
}

TEST_F(CommandFrameTest, BusyPointerFramesTheWorkAndTheMessageComesLast)
{
    ui.nextChoice = goodFile;
    runCommand(ui, session, exportOrder);
    EXPECT_EQ(ui.calls,
              (std::vector<std::string>{"choose", "busy", "run", "idle", "message:Hecho"}));
}

TEST_F(CommandFrameTest, ErrorPropagatesWithThePointerRestored)
{
    struct Case {
        const char* name;
        bool busyWhileReading;
        std::string content;
        bool failInWrite;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {"malformed, export order", false, "<SERVICIO><a></SERVICIO>", false, {"choose"}},
        {"malformed, import order",
         true,
         "<SERVICIO><a></SERVICIO>",
         false,
         {"choose", "busy", "idle"}},
        {"failing work", false, "<SERVICIO/>", true, {"choose", "busy", "idle"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.calls.clear();
        test::writeFile(goodFile, c.content);
        ui.nextChoice = goodFile;
        LoadingCommand command(ui, c.busyWhileReading);
        command.failInWrite = c.failInWrite;
        EXPECT_THROW(runCommand(ui, session, command), Error);
        EXPECT_EQ(ui.calls, c.calls);
    }
}

} // namespace
} // namespace tmq

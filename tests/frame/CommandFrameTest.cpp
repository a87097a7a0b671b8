#include "frame/CommandFrame.h"
#include "base/Error.h"
#include "support/TestSupport.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

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

class CommandFrameTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string goodFile = (dir / "centro.xml").string();
    RecordingInterface ui;
    Session session;
    std::vector<std::string> loadedBy;

    void SetUp() override { test::writeFile(goodFile, "<SERVICIO><SALIDAS/></SERVICIO>"); }

    CommandSteps steps(bool busyBeforeLoad)
    {
        CommandSteps s;
        s.busyBeforeLoad = busyBeforeLoad;
        s.doneMessage = "Hecho";
        s.run = [this](Session& current) {
            ui.calls.push_back("run");
            loadedBy.push_back(current.document->documentElement().name());
        };
        return s;
    }
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
        EXPECT_EQ(runCommand(ui, session, steps(true)), CommandResult::FileMissing);
        EXPECT_EQ(ui.calls, (std::vector<std::string>{"choose", "message:No existe archivo"}));
        EXPECT_EQ(session.document, nullptr);
    }
}

TEST_F(CommandFrameTest, ConfirmedNameOfMissingFileStaysTheChoice)
{
    const std::string missing = (dir / "missing.xml").string();
    ui.nextChoice = missing;
    runCommand(ui, session, steps(false));
    ui.nextChoice.reset();
    EXPECT_EQ(runCommand(ui, session, steps(false)), CommandResult::FileMissing);
    EXPECT_EQ(session.selectedXmlFile, missing);
}

TEST_F(CommandFrameTest, CancelledChoiceRunsOnTheEarlierFile)
{
    session.selectedXmlFile = goodFile;
    ui.nextChoice.reset();
    EXPECT_EQ(runCommand(ui, session, steps(false)), CommandResult::Completed);
    EXPECT_EQ(loadedBy, std::vector<std::string>{"SERVICIO"});
    EXPECT_EQ(session.selectedXmlFile, goodFile);
}

TEST_F(CommandFrameTest, BusyPointerFramesTheWorkAndTheMessageComesLast)
{
    ui.nextChoice = goodFile;
    runCommand(ui, session, steps(false));
    EXPECT_EQ(ui.calls,
              (std::vector<std::string>{"choose", "busy", "run", "idle", "message:Hecho"}));
}

TEST_F(CommandFrameTest, ErrorPropagatesWithThePointerRestored)
{
    struct Case {
        const char* name;
        bool busyBeforeLoad;
        std::string content;
        bool failInRun;
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
        CommandSteps s = steps(c.busyBeforeLoad);
        if (c.failInRun)
            s.run = [](Session&) { throw Error("falla"); };
        EXPECT_THROW(runCommand(ui, session, s), Error);
        EXPECT_EQ(ui.calls, c.calls);
    }
}

} // namespace
} // namespace tmq

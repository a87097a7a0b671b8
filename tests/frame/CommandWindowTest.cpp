// What both windows share around a command: where the file dialog opens,
// and the order of the pointer and the error report.

#include "frame/CommandWindow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tmq::test {
namespace {

// A window without a toolkit: it answers the file choice from a list and
// records the pointer, the dialog's folder and the boxes in order.
class ScriptedWindow : public CommandWindow {
public:
    ScriptedWindow(const std::filesystem::path& folder, Commands commands)
        : CommandWindow(folder, std::move(commands))
    {
    }

    std::optional<std::string> chooseXmlFile() override
    {
        events.push_back("diálogo en " + dialogFolder().generic_string());
        std::optional<std::string> answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void showMessage(const std::string& text) override { events.push_back("mensaje: " + text); }

    using CommandWindow::runExport;
    using CommandWindow::runImport;

    std::vector<std::optional<std::string>> answers;
    std::vector<std::string> events;

private:
    void showBusyPointer(bool busy) override { events.push_back(busy ? "ocupado" : "libre"); }
    void showError(const std::string& report) override { events.push_back("error: " + report); }
};

TEST(CommandWindow, DialogOpensInTheXmlFolderThenWhereTheLastFileWasChosen)
{
    TempDir dir;
    const std::string chosen = (dir / "envios" / "centro.xml").generic_string();
    Commands commands;
    commands.importCommand = [](UserInterface& ui, Session& session, const std::filesystem::path&) {
        if (auto file = ui.chooseXmlFile())
            session.selectedXmlFile = *file;
        return CommandResult::Completed;
    };
    ScriptedWindow window(dir.path(), commands);
    window.answers = {std::nullopt, chosen, std::nullopt};
    for (int run = 0; run < 3; ++run)
        window.runImport();

    const std::string xml = (dir / "XML").generic_string();
    const std::string envios = (dir / "envios").generic_string();
    EXPECT_EQ(window.events, (std::vector<std::string>{"diálogo en " + xml, "diálogo en " + xml,
                                                       "diálogo en " + envios}));
}

TEST(CommandWindow, PointerIsBackBeforeTheErrorIsReported)
{
    TempDir dir;
    Commands commands;
    commands.exportCommand = [](UserInterface& ui, Session&,
                                const std::filesystem::path&) -> CommandResult {
        ui.setBusy(true);
        ui.setBusy(true);
        throw std::runtime_error("vector::reserve");
    };
    ScriptedWindow window(dir.path(), commands);
    window.runExport();

    EXPECT_EQ(window.events,
              (std::vector<std::string>{
                  "ocupado", "libre",
                  "error: Error interno inesperado; el proceso se ha interrumpido."}));
}

} // namespace
} // namespace tmq::test

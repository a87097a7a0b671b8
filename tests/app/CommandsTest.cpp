#include "FormFixture.h"

#include "base/Error.h"
#include "frame/CommandFrame.h"
#include "window/AppTitle.h"

#include <QPushButton>

#include <stdexcept>

namespace tmq::test {
namespace {

using CommandsTest = FormFixture;

TEST_F(CommandsTest, EachButtonRunsItsCommandInTheWorkingFolder)
{
    child<QPushButton>("BExportar")->click();
    EXPECT_EQ(exportRuns, 1);
    EXPECT_EQ(importRuns, 0);
    EXPECT_EQ(seenFolder, dir.path());
    child<QPushButton>("BImportar")->click();
    EXPECT_EQ(exportRuns, 1);
    EXPECT_EQ(importRuns, 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(CommandsTest, CommandErrorReachesTheErrorReportWithThePointerRestored)
{
    struct Case {
        std::function<void()> fail;
        const char* report;
    };
    const Case cases[] = {
        {[] { throw Error("No se puede leer /tmp/a.xml: no existe el archivo"); },
         "No se puede leer /tmp/a.xml: no existe el archivo."},
        {[] { throw Error("La tabla PROFES.DBF está dañada."); },
         "La tabla PROFES.DBF está dañada."},
        {[] { throw Error("La tabla AULAS.DBF tiene 3 campos (faltan 2)"); },
         "La tabla AULAS.DBF tiene 3 campos (faltan 2)"},
        // A library's own text is English: the report says what happened instead.
        {[] { throw std::runtime_error("vector::reserve"); },
         "Error interno inesperado; el proceso se ha interrumpido."},
    };
    for (const Case& c : cases) {
        messages.clear();
        // The fake leaves the pointer busy, as a faulty command might.
        exportAction = [&c](UserInterface& ui, Session&, const std::filesystem::path&) {
            ui.setBusy(true);
            ui.setBusy(true);
            c.fail();
            return CommandResult::Completed;
        };
        child<QPushButton>("BExportar")->click();
        ASSERT_EQ(messages.size(), 1U) << c.report;
        EXPECT_EQ(messages[0].kind, MessageKind::Error);
        EXPECT_EQ(messages[0].title, form->applicationTitle());
        EXPECT_EQ(messages[0].text, QString::fromUtf8(c.report));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    // The window stays usable afterwards.
    exportAction = nullptr;
    child<QPushButton>("BExportar")->click();
    EXPECT_EQ(exportRuns, static_cast<int>(std::size(cases)) + 1);
}

TEST_F(CommandsTest, MessageCaptionIsTheTitleOfThisExecutable)
{
    const QString expected = QString::fromStdString(
        applicationTitle(QCoreApplication::applicationFilePath().toStdString()));
    EXPECT_EQ(form->applicationTitle(), expected);
    EXPECT_EQ(expected, "app_tests");
    form->showMessage("Proceso finalizado");
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].kind, MessageKind::Information);
    EXPECT_EQ(messages[0].title, expected);
    EXPECT_EQ(messages[0].text, "Proceso finalizado");
}

// The shared command frame driven through the window: file choice, busy
// pointer and messages.
TEST_F(CommandsTest, FileChoiceAndBusyPointerThroughTheCommandFrame)
{
    const auto xml = dir / "datos.xml";
    writeFile(xml, "<?xml version=\"1.0\"?><centro/>");
    const auto missing = dir / "nuevo.xml";

    std::vector<std::optional<QString>> answers;
    form->setFileChooser([&answers]() {
        std::optional<QString> answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    int runs = 0;
    bool busyWhileRunning = false;
    // Counts its runs and sees the pointer while it writes.
    class CountingCommand : public Command {
    public:
        CountingCommand(int& runs, bool& busyWhileRunning)
            : runs_(runs), busyWhileRunning_(busyWhileRunning)
        {
        }
        void read(const std::string&) override {}
        void write() override
        {
            ++runs_;
            busyWhileRunning_ = QApplication::overrideCursor() != nullptr &&
                                QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        }
        std::filesystem::path workingFolder() const override { return {}; }
        bool busyWhileReading() const override { return false; }
        std::string doneMessage() const override { return "Proceso Terminado"; }

    private:
        int& runs_;
        bool& busyWhileRunning_;
    };
    importAction = [&](UserInterface& ui, Session& session, const std::filesystem::path&) {
        CountingCommand command(runs, busyWhileRunning);
        return runCommand(ui, session, command);
    };

    struct Case {
        std::optional<QString> answer;
        const char* message;
        std::string selected;
        int runs;
    };
    const Case cases[] = {
        // Cancelled with nothing chosen before.
        {std::nullopt, "No existe archivo", "", 0},
        // A typed name of a file that does not exist.
        {QString::fromStdString(missing.string()), "No existe archivo", missing.string(), 0},
        {QString::fromStdString(xml.string()), "Proceso Terminado", xml.string(), 1},
        // Cancelled: the file chosen before is used again.
        {std::nullopt, "Proceso Terminado", xml.string(), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        messages.clear();
        answers = {c.answer};
        child<QPushButton>("BImportar")->click();
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_EQ(messages[0].kind, MessageKind::Information);
        EXPECT_EQ(messages[0].text, c.message);
        EXPECT_EQ(form->session().selectedXmlFile, c.selected);
        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_TRUE(busyWhileRunning);
}

TEST_F(CommandsTest, InformationBoxHasOnlyAnAcceptButton)
{
    form->setMessageSink(nullptr);
    bool seen = false;
    onNextModalBox([&](QMessageBox& box) {
        seen = true;
        EXPECT_EQ(box.windowTitle(), form->applicationTitle());
        EXPECT_EQ(box.text(), "Proceso finalizado");
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_TRUE(box.isModal());
        ASSERT_EQ(box.buttons().size(), 1);
        QAbstractButton* accept = box.buttons().front();
        EXPECT_EQ(accept->text(), "Aceptar");
        EXPECT_EQ(box.defaultButton(), accept);
        EXPECT_EQ(box.escapeButton(), accept);
    });
    form->showMessage("Proceso finalizado");
    EXPECT_TRUE(seen);
}

TEST_F(CommandsTest, ErrorBoxIsCriticalWithOneOkButton)
{
    form->setMessageSink(nullptr);
    exportAction = [](UserInterface& ui, Session&, const std::filesystem::path&) -> CommandResult {
        ui.setBusy(true);
        throw Error("No se puede escribir la tabla HORAS.DBF: permiso denegado");
    };
    bool seen = false;
    onNextModalBox([&](QMessageBox& box) {
        seen = true;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(box.windowTitle(), form->applicationTitle());
        EXPECT_EQ(box.text(), "No se puede escribir la tabla HORAS.DBF: permiso denegado.");
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.buttons().size(), 1);
    });
    child<QPushButton>("BExportar")->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace tmq::test

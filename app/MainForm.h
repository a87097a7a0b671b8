#pragma once

#include "frame/CommandWindow.h"
#include "window/WindowLayout.h"

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QLabel;
class QPushButton;

namespace tmq {

class GradientPanel;

// The two kinds of message box the window shows.
enum class MessageKind { Information, Error };

// The main window: one panel to export, one to import and one to leave. It
// is also the user interface the commands ask for the file and report to.
class TMForm : public QWidget, public CommandWindow {
    Q_OBJECT

public:
    TMForm(std::filesystem::path workingFolder, Commands commands, QWidget* parent = nullptr);
    ~TMForm() override;

    std::optional<std::string> chooseXmlFile() override;
    void showMessage(const std::string& text) override;

    // Answers the file choice instead of the file dialog when set.
    using FileChooser = std::function<std::optional<QString>()>;
    void setFileChooser(FileChooser chooser);

    // Receives the messages instead of the message boxes when set.
    using MessageSink =
        std::function<void(MessageKind kind, const QString& title, const QString& text)>;
    void setMessageSink(MessageSink sink);

    // The caption of the message boxes, derived from the executable's name.
    QString applicationTitle() const { return applicationTitle_; }

public slots:
    void BExportarClick();
    void BImportarClick();
    void BCloseClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createComponents();
    void setUpFileDialog();
    QPushButton* makeButton(const layout::Button& entry, const QPixmap& picture, QWidget* parent);
    QLabel* makeLabel(const layout::Label& entry, QWidget* parent);
    void showBusyPointer(bool busy) override;
    void showError(const std::string& report) override;
    void deliver(MessageKind kind, const QString& text);

    QString applicationTitle_;
    FileChooser fileChooser_;
    MessageSink messageSink_;
    bool shownBefore_ = false;

    GradientPanel* draw3D1_ = nullptr;
    GradientPanel* draw3D2_ = nullptr;
    GradientPanel* draw3D3_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
    QPushButton* bClose_ = nullptr;
    QPushButton* bExportar_ = nullptr;
    QPushButton* bImportar_ = nullptr;
    QFileDialog* openDialogXML_ = nullptr;
};

} // namespace tmq

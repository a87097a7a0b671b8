#pragma once

#include "app/MainForm.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace tmq::test {

struct Message {
    MessageKind kind;
    QString title;
    QString text;
};

// A window on a temporary working folder whose commands are fakes and whose
// messages are recorded instead of shown.
class FormFixture : public ::testing::Test {
protected:
    FormFixture()
    {
        Commands commands;
        commands.exportCommand = [this](UserInterface& ui, Session& session,
                                        const std::filesystem::path& folder) {
            ++exportRuns;
            seenFolder = folder;
            return exportAction ? exportAction(ui, session, folder) : CommandResult::Completed;
        };
        commands.importCommand = [this](UserInterface& ui, Session& session,
                                        const std::filesystem::path& folder) {
            ++importRuns;
            seenFolder = folder;
            return importAction ? importAction(ui, session, folder) : CommandResult::Completed;
        };
        form = std::make_unique<TMForm>(dir.path(), std::move(commands));
        form->setMessageSink([this](MessageKind kind, const QString& title, const QString& text) {
            messages.push_back({kind, title, text});
        });
    }

    ~FormFixture() override
    {
        form.reset();
        while (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
    }

    template <typename T> T* child(const char* name) const
    {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    TempDir dir;
    Commands::Run exportAction;
    Commands::Run importAction;
    int exportRuns = 0;
    int importRuns = 0;
    std::filesystem::path seenFolder;
    std::vector<Message> messages;
    std::unique_ptr<TMForm> form;
};

// Runs `inspect` on the next modal box once it is open, then closes the box
// with its escape button, so that code calling exec() returns.
inline void onNextModalBox(std::function<void(QMessageBox&)> inspect)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, inspect = std::move(inspect)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        inspect(*box);
        if (QAbstractButton* escape = box->escapeButton())
            escape->click();
        else
            box->reject();
    });
    timer->start();
}

} // namespace tmq::test

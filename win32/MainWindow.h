#pragma once

#include "frame/CommandFrame.h"
#include "frame/Session.h"
#include "frame/UserInterface.h"
#include "win32/Handles.h"
#include "win32/Win.h"
#include "window/WindowLayout.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tmq::win32 {

// The main window: one panel to export, one to import and one to leave. It
// is also the user interface the commands ask for the file and report to.
class MainWindow : public UserInterface {
public:
    MainWindow(std::filesystem::path workingFolder, Commands commands);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and shows it centred on the screen.
    bool create(HINSTANCE instance, int showCommand);
    HWND handle() const { return window_; }

    std::optional<std::string> chooseXmlFile() override;
    void setBusy(bool busy) override;
    void showMessage(const std::string& text) override;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    BOOL onCreate(HWND window, LPCREATESTRUCT create);
    void onDestroy(HWND window);
    void onPaint(HWND window);
    BOOL onEraseBackground(HWND window, HDC dc);
    void onActivate(HWND window, UINT state, HWND other, BOOL minimised);
    void onCommand(HWND window, int id, HWND control, UINT code);
    void onDrawItem(HWND window, const DRAWITEMSTRUCT* item);
    BOOL onSetCursor(HWND window, HWND under, UINT hitTest, UINT mouseMessage);
    LRESULT onGetDefaultId(HWND window);

    HWND createButton(HWND parent, int id, const layout::Panel& panel, const layout::Button& entry);
    void paintClientArea(HDC dc, const RECT& client);
    void BExportarClick();
    void BImportarClick();
    void BCloseClick();
    void execute(const Commands::Run& command);
    void showError(const std::string& message);
    void clearBusyPointer();

    std::filesystem::path workingFolder_;
    Commands commands_;
    Session session_;
    std::wstring applicationTitle_;
    int busyDepth_ = 0;

    HWND window_ = nullptr;
    HWND bClose_ = nullptr;
    HWND bExportar_ = nullptr;
    HWND bImportar_ = nullptr;
    // The control that had the focus when the window was last deactivated.
    HWND focus_ = nullptr;
    UniqueFont dialogFont_;
    UniqueFont versionFont_;
    UniqueFont headingFont_;
};

} // namespace tmq::win32

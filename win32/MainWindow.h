#pragma once

#include "frame/CommandWindow.h"
#include "win32/Accessibility.h"
#include "win32/Win.h"
#include "win32/WindowFonts.h"
#include "window/WindowLayout.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tmq::win32 {

// The main window: one panel to export, one to import and one to leave. It
// is also the user interface the commands ask for the file and report to.
class MainWindow : public CommandWindow {
public:
    MainWindow(std::filesystem::path workingFolder, Commands commands);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window at the scale of the screen's monitor and shows it
    // centred there.
    bool create(HINSTANCE instance, int showCommand);
    HWND handle() const { return window_; }

    std::optional<std::string> chooseXmlFile() override;
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
    void onDpiChanged(UINT dpi, const RECT& suggested);

    // A label as the window draws it at the current dpi: where its text
    // goes, the text (a heading broken into lines where it breaks at 100 %),
    // and how it looks.
    struct LabelControl {
        HWND handle = nullptr;
        RECT textBox{};
        std::wstring text;
        HFONT font = nullptr;
        // CLR_INVALID: the system's window-text colour, as it is when painted.
        COLORREF ink = CLR_INVALID;
        UINT format = 0;
    };

    HWND createButton(int id, const layout::Button& entry);
    HWND createLabel(int id, const layout::Label& entry);
    void layOut(UINT dpi);
    void layOutHeading(LabelControl& heading, const layout::Panel& panel,
                       const layout::Label& entry, HFONT designFont);
    void layOutVersion();
    void fitClientArea(bool keepCentre);
    void drawLabelControl(const DRAWITEMSTRUCT& item);
    void BExportarClick();
    void BImportarClick();
    void BCloseClick();
    void showBusyPointer(bool busy) override;
    void showError(const std::string& report) override;

    std::wstring applicationTitle_;

    HWND window_ = nullptr;
    HWND bClose_ = nullptr;
    HWND bExportar_ = nullptr;
    HWND bImportar_ = nullptr;
    // The version and the two headings: text a screen reader can read.
    LabelControl label1_;
    LabelControl label3_;
    LabelControl label4_;
    // The control that had the focus when the window was last deactivated.
    HWND focus_ = nullptr;
    // The dpi the window is laid out at, and its fonts at that dpi.
    UINT dpi_ = 96;
    WindowFonts fonts_;
    AccessibleNotes accessibleNotes_;
};

} // namespace tmq::win32

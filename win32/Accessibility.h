#pragma once

#include "win32/Handles.h"
#include "win32/Win.h"

#include <oleacc.h>

#include <string>
#include <vector>

namespace tmq::win32 {

// Tells screen readers what the controls alone do not: that the window is a
// dialog, and which command each of the two "Aceptar" buttons runs. The
// notes are the system's dynamic annotations, which both Active
// Accessibility and UI Automation read; without them (no COM, or a system
// that lacks the service) the window works the same, only less is said.
class AccessibleNotes {
public:
    AccessibleNotes();
    ~AccessibleNotes();
    AccessibleNotes(const AccessibleNotes&) = delete;
    AccessibleNotes& operator=(const AccessibleNotes&) = delete;

    // Gives the window the role of a dialog; its name stays its caption.
    void markAsDialog(HWND window);
    // Gives a control a description besides its name.
    void describe(HWND control, const std::wstring& description);
    // Takes back every note, before the windows go.
    void clear();

private:
    UniqueInterface<IAccPropServices> services_;
    std::vector<HWND> annotated_;
};

} // namespace tmq::win32

#include "win32/Accessibility.h"

namespace tmq::win32 {

AccessibleNotes::AccessibleNotes()
{
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&services))))
        services_.reset(services);
}

AccessibleNotes::~AccessibleNotes()
{
    clear();
}

void AccessibleNotes::markAsDialog(HWND window)
{
    if (!services_)
        return;
    VARIANT role{};
    role.vt = VT_I4;
    role.lVal = ROLE_SYSTEM_DIALOG;
    // The client object is what a dialog box of the system reports as a
    // dialog; the frame around it stays a window.
    if (SUCCEEDED(services_.get()->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT),
                                               CHILDID_SELF, PROPID_ACC_ROLE, role)))
        annotated_.push_back(window);
}

void AccessibleNotes::describe(HWND control, const std::wstring& description)
{
    if (!services_)
        return;
    if (SUCCEEDED(services_.get()->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                                  CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                                  description.c_str())))
        annotated_.push_back(control);
}

void AccessibleNotes::clear()
{
    static const MSAAPROPID kNoted[] = {PROPID_ACC_ROLE, PROPID_ACC_DESCRIPTION};
    for (HWND window : annotated_)
        services_.get()->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                        kNoted, 2);
    annotated_.clear();
}

} // namespace tmq::win32

#pragma once

#include "win32/Win.h"
#include "window/WindowLayout.h"

namespace tmq::win32 {

// The layout's pixels are pixels at 96 per inch, the scale of 100 %.
inline constexpr UINT kDesignDpi = 96;

// A length of the layout at `dpi`.
int scaled(int length, UINT dpi);

// A box of the layout at `dpi`. Its edges are scaled, not its size, so that
// boxes that meet at 100 % still meet, without a gap, at every scale.
RECT scaled(const layout::Rect& box, UINT dpi);

// The dpi the window is drawn at: its monitor's on Windows 8.1 and later,
// the system's on earlier versions, where all monitors share one.
UINT dpiOfWindow(HWND window);
UINT dpiOfMonitor(HMONITOR monitor);

// The dpi of the primary monitor when Windows started, which chooses among
// the sizes of the bitmap fonts.
UINT systemDpi();

// The size of a window's frame around a client area of `client` at `dpi`.
SIZE frameSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// The metrics of captions and borders as they are drawn at `dpi`.
bool nonClientMetrics(NONCLIENTMETRICSW& metrics, UINT dpi);
int systemMetric(int index, UINT dpi);

} // namespace tmq::win32

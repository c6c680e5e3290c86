#include "platform/progress.h"

#include <windows.h>

// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace vesko::platform {
namespace {

constexpr char kClassName[] = "VeskoProgressWindow";
constexpr int kClientWidth = 283, kClientHeight = 31;

HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

bool RegisterProgressClass() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = Instance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

struct TProgressWindow::TImpl {
  HWND window = nullptr;
  HWND bar = nullptr;
};

TProgressWindow::TProgressWindow() : impl_(std::make_unique<TImpl>()) {
  if (!RegisterProgressClass()) return;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER;
  const DWORD ex_style = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW;
  RECT rect{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  impl_->window = ::CreateWindowExA(ex_style, kClassName, "From Vesko", style, left, top, width,
                                    height, nullptr, nullptr, Instance(), nullptr);
  if (impl_->window == nullptr) return;
  impl_->bar = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 8, 8, 265, 13,
                                 impl_->window, nullptr, Instance(), nullptr);
  ::SendMessageA(impl_->bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

TProgressWindow::~TProgressWindow() {
  if (impl_->window != nullptr) ::DestroyWindow(impl_->window);
}

void TProgressWindow::SetCaption(const std::string& caption) {
  if (impl_->window != nullptr) ::SetWindowTextA(impl_->window, caption.c_str());
}

void TProgressWindow::SetPosition(int percent) {
  if (impl_->bar != nullptr) {
    ::SendMessageA(impl_->bar, PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
  }
}

void TProgressWindow::Show() {
  if (impl_->window == nullptr) return;
  ::ShowWindow(impl_->window, SW_SHOWNOACTIVATE);
  ::UpdateWindow(impl_->window);
}

void TProgressWindow::Hide() {
  if (impl_->window != nullptr) ::ShowWindow(impl_->window, SW_HIDE);
}

}  // namespace vesko::platform

#include "platform/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace vesko::platform {

struct TProgressWindow::TImpl {
  bool terminal = ::isatty(STDERR_FILENO) == 1;
  bool visible = false;
  int position = 0;
  std::string caption;

  void Draw() const {
    if (!terminal || !visible) return;
    constexpr int kWidth = 30;
    const int filled = position * kWidth / 100;
    std::fprintf(stderr, "\r\033[K%s [%s%s] %3d%%", caption.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), position);
    std::fflush(stderr);
  }
  void Clear() const {
    if (!terminal) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
  }
};

TProgressWindow::TProgressWindow() : impl_(std::make_unique<TImpl>()) {}

TProgressWindow::~TProgressWindow() { Hide(); }

void TProgressWindow::SetCaption(const std::string& caption) {
  impl_->caption = caption;
  impl_->Draw();
}

void TProgressWindow::SetPosition(int percent) {
  const int position = std::clamp(percent, 0, 100);
  if (position == impl_->position) return;
  impl_->position = position;
  impl_->Draw();
}

void TProgressWindow::Show() {
  impl_->visible = true;
  impl_->Draw();
}

void TProgressWindow::Hide() {
  if (!impl_->visible) return;
  impl_->visible = false;
  impl_->Clear();
}

}  // namespace vesko::platform

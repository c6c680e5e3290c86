// A small progress window for long jobs: a caption and a bar from 0 to 100. On Windows it
// is a real always-on-top window centred on the screen; on Linux the bar is drawn on one
// line of stderr, and only when stderr is a terminal. The window starts hidden. Captions
// are ANSI code page text. Nothing here throws: a window that can't be made shows nothing.
#pragma once

#include <memory>
#include <string>

namespace vesko::platform {

class TProgressWindow {
 public:
  TProgressWindow();
  ~TProgressWindow();
  TProgressWindow(const TProgressWindow&) = delete;
  TProgressWindow& operator=(const TProgressWindow&) = delete;

  void SetCaption(const std::string& caption);
  void SetPosition(int percent);  // clamped to 0..100
  void Show();
  void Hide();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace vesko::platform

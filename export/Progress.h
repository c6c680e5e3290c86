// TProgressForm is the progress window of one export: its caption tells the phase
// ("Preparing Export", "Still preparing Export", "Now Conveting DOC format") and its bar the
// share done. While a form exists it is the current one, and SetProgress() moves its bar;
// that function is the progress procedure handed to the Doc writer.
#pragma once

#include <string>

#include "platform/progress.h"

namespace vesko {

inline constexpr char kCaptionPreparing[] = "Preparing Export";
inline constexpr char kCaptionStillPreparing[] = "Still preparing Export";
inline constexpr char kCaptionConverting[] = "Now Conveting DOC format";

class TProgressForm {
 public:
  TProgressForm();  // hidden; becomes the current form
  ~TProgressForm();
  TProgressForm(const TProgressForm&) = delete;
  TProgressForm& operator=(const TProgressForm&) = delete;

  void SetCaption(const std::string& caption) { window_.SetCaption(caption); }
  void SetPosition(int percent) { window_.SetPosition(percent); }
  void Show();  // shows the form with the bar at 0
  void Hide() { window_.Hide(); }

 private:
  platform::TProgressWindow window_;
  TProgressForm* previous_;
};

// Moves the bar of the current progress form; does nothing when there is none.
void SetProgress(int percent);

// The percentage of done out of total, rounded to the nearest integer with halves to even.
int PercentOf(int done, int total);

}  // namespace vesko

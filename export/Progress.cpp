#include "export/Progress.h"

#include <cmath>

namespace vesko {
namespace {

TProgressForm* current_form = nullptr;

}  // namespace

TProgressForm::TProgressForm() : previous_(current_form) { current_form = this; }

TProgressForm::~TProgressForm() {
  if (current_form == this) current_form = previous_;
}

void TProgressForm::Show() {
  window_.SetPosition(0);
  window_.Show();
}

void SetProgress(int percent) {
  if (current_form != nullptr) current_form->SetPosition(percent);
}

int PercentOf(int done, int total) {
  if (total <= 0) return 0;
  // std::nearbyint rounds halves to even in the default rounding mode.
  return static_cast<int>(std::nearbyint(static_cast<double>(done) * 100.0 / total));
}

}  // namespace vesko

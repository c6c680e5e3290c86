// The settings form in the terminal: the dialog's controls drawn as lines of UTF-8 text,
// and one command per input line. A letter is a control's access key (it toggles a check
// box or chooses a radio item; y applies, c cancels); "user N" chooses a user, "path TEXT"
// types the save folder. Hidden controls are not drawn; disabled ones are drawn and marked,
// and the model ignores changes to them.
#include "platform/settings_form.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "platform/locale.h"
#include "platform/posix/Iconv.h"
#include "platform/settings_form_res.h"

namespace vesko::platform {
namespace {

using C = TSettingsControl;

// The controls as drawn, from the top. item is the radio item for rgExportTarget's lines.
struct TLine {
  C control;
  const char* caption;
  int item = -1;
};
const TLine kLines[] = {
    {C::rgExportTarget, VESKO_TEXT_EXPORT_TARGET},
    {C::rgExportTarget, VESKO_TEXT_TARGET_UNREAD, 0},
    {C::rgExportTarget, VESKO_TEXT_TARGET_ALL, 1},
    {C::rgExportTarget, VESKO_TEXT_TARGET_SELECTED, 2},
    {C::gbOptions, VESKO_TEXT_OPTIONS},
    {C::chSaveMedoc, VESKO_TEXT_SAVE_MEDOC},
    {C::chMarkAsRead, VESKO_TEXT_MARK_AS_READ},
    {C::chDelCRLF, VESKO_TEXT_DEL_CRLF},
    {C::chDelSpace, VESKO_TEXT_DEL_SPACE},
    {C::chDelDBSpace, VESKO_TEXT_DEL_DB_SPACE},
    {C::chZentoHan, VESKO_TEXT_ZENTOHAN},
    {C::chZentoHanKana, VESKO_TEXT_ZENTOHAN_KANA},
    {C::gbDocNameOptions, VESKO_TEXT_DOC_NAME_OPTIONS},
    {C::chDate, VESKO_TEXT_DATE},
    {C::chTime, VESKO_TEXT_TIME},
    {C::Panel, "----"},
    {C::chAutoInstall, VESKO_TEXT_AUTO_INSTALL},
    {C::cbUsers, VESKO_TEXT_SELECT_USER},
    {C::edSavePath, VESKO_TEXT_SAVE_PATH},
    {C::chMenuFlag, VESKO_TEXT_MENU_FLAG},
    {C::btnOK, VESKO_TEXT_OK},
    {C::btnCancel, VESKO_TEXT_CANCEL},
};

std::string Utf8(const std::string& sjis) { return ConvertCharset(sjis, "CP932", "UTF-8"); }

// The access key of a caption (the letter after "&"), lower case; 0 when it has none.
char AccessKey(const char* caption) {
  for (const char* p = caption; *p != '\0'; ++p) {
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
      ++p;
    } else if (*p == '&' && p[1] != '\0') {
      return static_cast<char>(std::tolower(static_cast<unsigned char>(p[1])));
    }
  }
  return 0;
}

// The caption for the terminal: "(&R)" shows as "(R)", "Appl&y" as "Appl[y]".
std::string Shown(const char* caption) {
  std::string text = Utf8(caption);
  const std::size_t amp = text.find('&');
  if (amp == std::string::npos || amp + 1 >= text.size()) return text;
  if (amp > 0 && text[amp - 1] == '(') return text.erase(amp, 1);
  return text.substr(0, amp) + "[" + text[amp + 1] + "]" + text.substr(amp + 2);
}

void Draw(const TSettingsFormModel& model) {
  std::string out = "\n" VESKO_TEXT_CAPTION "\n";
  for (const TLine& line : kLines) {
    const TControlState& state = model.State(line.control);
    if (!state.visible) continue;
    const std::string off = state.enabled ? "" : "  (disabled)";
    const std::string caption = Shown(line.caption);
    if (line.control == C::rgExportTarget) {
      if (line.item < 0) {
        out += caption + "\n";
      } else {
        out += std::string("  (") + (state.value == line.item ? "*" : " ") + ") " + caption + off +
               "\n";
      }
    } else if (IsCheckBox(line.control)) {
      const bool framed = line.control != C::chMenuFlag;  // inside a group or the panel
      out += std::string(framed ? "  " : "") + "[" + (state.value != 0 ? "x" : " ") + "] " +
             caption + off + "\n";
    } else if (line.control == C::cbUsers) {
      const auto& names = model.UserNames();
      out += "  " + caption + " " +
             (state.value >= 0 && state.value < static_cast<int>(names.size())
                  ? Utf8(names[static_cast<std::size_t>(state.value)])
                  : std::string("-")) +
             off + "\n";
      for (std::size_t i = 0; i < names.size(); ++i) {
        out += "      " + std::to_string(i + 1) + ": " + Utf8(names[i]) + "\n";
      }
    } else if (line.control == C::edSavePath) {
      out += "  " + caption + " " + state.text + off + "\n";
    } else if (line.control == C::btnOK) {
      out += "<" + caption + ">";
    } else if (line.control == C::btnCancel) {
      out += "  <" + caption + ">\n";
    } else {
      out += caption + "\n";
    }
  }
  out +=
      "A letter toggles or chooses (v2: the second v), \"user N\" (0: none), \"path TEXT\", "
      "y applies, c cancels.\n> ";
  std::fputs(out.c_str(), stdout);
  std::fflush(stdout);
}

// The controls a letter reaches, in the order drawn.
std::vector<const TLine*> LinesWithKey(const TSettingsFormModel& model, char key) {
  std::vector<const TLine*> found;
  for (const TLine& line : kLines) {
    if (AccessKey(line.caption) == key && model.State(line.control).visible) {
      found.push_back(&line);
    }
  }
  return found;
}

enum class TOutcome { kGoOn, kApplied, kCancelled };

void Say(const std::string& text) { std::fprintf(stdout, "%s\n", text.c_str()); }

TOutcome Handle(TSettingsFormModel& model, const std::string& input) {
  if (input.rfind("user", 0) == 0 && (input.size() == 4 || input[4] == ' ')) {
    if (!model.State(C::cbUsers).enabled) return Say("The user list is disabled."), TOutcome::kGoOn;
    const int n = std::atoi(input.c_str() + 4);
    if (n < 0 || n > static_cast<int>(model.UserNames().size())) {
      return Say("No such user."), TOutcome::kGoOn;
    }
    model.SetValue(C::cbUsers, n - 1);
    return TOutcome::kGoOn;
  }
  if (input.rfind("path", 0) == 0 && (input.size() == 4 || input[4] == ' ')) {
    if (!model.State(C::edSavePath).enabled)
      return Say("The save folder is disabled."), TOutcome::kGoOn;
    model.SetText(C::edSavePath, input.size() > 5 ? input.substr(5) : std::string());
    return TOutcome::kGoOn;
  }
  const bool second = input.size() == 2 && input[1] == '2';
  if (input.empty() || (input.size() != 1 && !second)) {
    return Say("Type one letter, \"user N\" or \"path TEXT\"."), TOutcome::kGoOn;
  }
  const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(input[0])));
  const std::vector<const TLine*> lines = LinesWithKey(model, key);
  const std::size_t which = second ? 1 : 0;
  if (which >= lines.size()) return Say("No control has that letter."), TOutcome::kGoOn;
  const TLine& line = *lines[which];
  if (line.control == C::btnCancel) return TOutcome::kCancelled;
  if (line.control == C::btnOK) {
    try {
      model.Apply();
      return TOutcome::kApplied;
    } catch (const std::exception& e) {
      Say(std::string("Error: ") + Utf8(e.what()));
      return TOutcome::kGoOn;
    }
  }
  const TControlState& state = model.State(line.control);
  if (!state.enabled) return Say(Shown(line.caption) + " is disabled."), TOutcome::kGoOn;
  model.SetValue(line.control, line.item >= 0 ? line.item : (state.value != 0 ? 0 : 1));
  return TOutcome::kGoOn;
}

}  // namespace

bool ShowSettingsForm(TSettingsFormModel& model) {
  if (::isatty(STDIN_FILENO) == 0) {
    std::fputs("Vesko Settings: standard input is not a terminal; nothing changed.\n", stderr);
    return false;
  }
  for (;;) {
    Draw(model);
    std::string input;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n') input += static_cast<char>(c);
    if (c == EOF && input.empty()) return false;  // end of input: as cancel
    while (!input.empty() && std::isspace(static_cast<unsigned char>(input.back()))) {
      input.pop_back();
    }
    switch (Handle(model, input)) {
      case TOutcome::kApplied:
        return true;
      case TOutcome::kCancelled:
        return false;
      case TOutcome::kGoOn:
        break;
    }
  }
}

std::string UserLanguageAbbreviation() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return std::string(value).rfind("ja", 0) == 0 ? "JPN" : "ENU";
    }
  }
  return "ENU";
}

}  // namespace vesko::platform

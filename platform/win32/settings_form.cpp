// The settings form as a Windows dialog, made from the DIALOGEX resource in the module
// that holds this code (the plug-in library, found through __ImageBase). The dialog
// procedure keeps the model in GWLP_USERDATA, passes every click and edit to it and then
// shows the model's state again, so the model's rules decide what is checked, enabled and
// visible. Nothing thrown gets out of the procedure.
#include "platform/settings_form.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <exception>
#include <string>

#include "platform/errors.h"
#include "platform/settings_form_res.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace vesko::platform {
namespace {

using C = TSettingsControl;

// The dialog item of each control; the radio group is its group box, with its items below.
struct TItem {
  C control;
  int id;
};
constexpr TItem kItems[] = {
    {C::rgExportTarget, VESKO_IDC_EXPORT_TARGET},
    {C::gbOptions, VESKO_IDC_OPTIONS},
    {C::chSaveMedoc, VESKO_IDC_SAVE_MEDOC},
    {C::chMarkAsRead, VESKO_IDC_MARK_AS_READ},
    {C::chDelSpace, VESKO_IDC_DEL_SPACE},
    {C::chDelDBSpace, VESKO_IDC_DEL_DB_SPACE},
    {C::chDelCRLF, VESKO_IDC_DEL_CRLF},
    {C::chZentoHan, VESKO_IDC_ZENTOHAN},
    {C::chZentoHanKana, VESKO_IDC_ZENTOHAN_KANA},
    {C::Panel, VESKO_IDC_PANEL},
    {C::chAutoInstall, VESKO_IDC_AUTO_INSTALL},
    {C::stSelectUser, VESKO_IDC_SELECT_USER},
    {C::cbUsers, VESKO_IDC_USERS},
    {C::stSavePath, VESKO_IDC_SAVE_PATH_LABEL},
    {C::edSavePath, VESKO_IDC_SAVE_PATH},
    {C::btnBrwsFolder, VESKO_IDC_BROWSE_FOLDER},
    {C::btnOK, IDOK},
    {C::btnCancel, IDCANCEL},
    {C::chMenuFlag, VESKO_IDC_MENU_FLAG},
    {C::gbDocNameOptions, VESKO_IDC_DOC_NAME_OPTIONS},
    {C::chDate, VESKO_IDC_DATE},
    {C::chTime, VESKO_IDC_TIME},
};
constexpr int kTargetItems[] = {VESKO_IDC_TARGET_UNREAD, VESKO_IDC_TARGET_ALL,
                                VESKO_IDC_TARGET_SELECTED};
constexpr int kClientWidth = 378;  // pixels at 96 dpi
constexpr int kClientHeight = 263;

HINSTANCE OwnModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// The dialog's state while it is open.
struct TDialog {
  TSettingsFormModel* model;
  bool showing = false;  // set while Show() writes the controls: their notices are ours
  HBITMAP folder = nullptr;
};

TDialog& DialogOf(HWND dialog) {
  return *reinterpret_cast<TDialog*>(::GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void ShowEnabled(HWND item, const TControlState& state) {
  ::ShowWindow(item, state.visible ? SW_SHOWNA : SW_HIDE);
  ::EnableWindow(item, state.enabled ? TRUE : FALSE);
}

// Writes the model's state into the controls.
void Show(HWND dialog, TDialog& d) {
  d.showing = true;
  const TSettingsFormModel& m = *d.model;
  for (const TItem& item : kItems) {
    HWND window = ::GetDlgItem(dialog, item.id);
    const TControlState& state = m.State(item.control);
    ShowEnabled(window, state);
    if (IsCheckBox(item.control)) {
      ::CheckDlgButton(dialog, item.id, state.value != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
  }
  const TControlState& target = m.State(C::rgExportTarget);
  for (int i = 0; i < 3; ++i) {
    ShowEnabled(::GetDlgItem(dialog, kTargetItems[i]), target);
    ::CheckDlgButton(dialog, kTargetItems[i], target.value == i ? BST_CHECKED : BST_UNCHECKED);
  }
  HWND users = ::GetDlgItem(dialog, VESKO_IDC_USERS);
  const auto& names = m.UserNames();
  if (::SendMessageA(users, CB_GETCOUNT, 0, 0) != static_cast<LRESULT>(names.size())) {
    ::SendMessageA(users, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
      ::SendMessageA(users, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
  }
  ::SendMessageA(users, CB_SETCURSEL, static_cast<WPARAM>(m.State(C::cbUsers).value), 0);
  const std::string& path = m.State(C::edSavePath).text;
  char current[MAX_PATH * 4] = {};
  ::GetDlgItemTextA(dialog, VESKO_IDC_SAVE_PATH, current, sizeof current);
  if (path != current) ::SetDlgItemTextA(dialog, VESKO_IDC_SAVE_PATH, path.c_str());
  d.showing = false;
}

// Sets the client area to its size in pixels, keeping the dialog centred on the screen. A
// font larger than the one the layout was made for (another face, a screen above 96 dpi)
// makes the controls need more room: then the client area is as large as the template's
// dialog units come to, so that no control is cut off.
void SizeClient(HWND dialog) {
  RECT needed = {0, 0, VESKO_DIALOG_WIDTH, VESKO_DIALOG_HEIGHT};
  ::MapDialogRect(dialog, &needed);
  RECT rect = {0, 0, std::max<LONG>(kClientWidth, needed.right),
               std::max<LONG>(kClientHeight, needed.bottom)};
  ::AdjustWindowRectEx(&rect, static_cast<DWORD>(::GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  RECT work = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The shell's folder browser, from the desktop, file-system folders only. The dialog is
// disabled while it is open. True and the folder when the user chose one.
bool BrowseForFolder(HWND dialog, const char* prompt, std::string& folder) {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IMalloc* allocator = nullptr;
  bool chosen = false;
  if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator != nullptr) {
    BROWSEINFOA info = {};
    info.hwndOwner = dialog;
    info.pidlRoot = nullptr;  // the desktop
    info.lpszTitle = prompt;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    ::EnableWindow(dialog, FALSE);
    LPITEMIDLIST item = ::SHBrowseForFolderA(&info);
    ::EnableWindow(dialog, TRUE);
    if (item != nullptr) {
      char path[MAX_PATH] = {};
      chosen = ::SHGetPathFromIDListA(item, path) != FALSE;
      if (chosen) folder = path;
      allocator->Free(item);
    }
    allocator->Release();
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  ::SetForegroundWindow(dialog);
  return chosen;
}

void OnCommand(HWND dialog, TDialog& d, int id, int code) {
  TSettingsFormModel& m = *d.model;
  if (id == IDOK) {
    try {
      m.Apply();
      ::EndDialog(dialog, IDOK);
    } catch (const std::exception& e) {
      ::MessageBoxA(dialog, e.what(), "Error", MB_OK | MB_ICONERROR);
    }
    return;
  }
  if (id == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return;
  }
  if (d.showing) return;
  for (int i = 0; i < 3; ++i) {
    if (id == kTargetItems[i] && code == BN_CLICKED) m.SetValue(C::rgExportTarget, i);
  }
  if (id == VESKO_IDC_USERS && code == CBN_SELCHANGE) {
    m.SetValue(C::cbUsers, static_cast<int>(::SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0)));
  } else if (id == VESKO_IDC_SAVE_PATH && code == EN_CHANGE) {
    char text[MAX_PATH * 4] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    m.SetText(C::edSavePath, text);
  } else if (id == VESKO_IDC_BROWSE_FOLDER && code == BN_CLICKED) {
    std::string folder;
    if (BrowseForFolder(dialog, VESKO_TEXT_BROWSE_PROMPT, folder)) {
      if (folder.empty() || folder.back() != '\\') folder += '\\';
      m.SetText(C::edSavePath, folder);
    }
    ::SetFocus(::GetDlgItem(dialog, VESKO_IDC_SAVE_PATH));
  } else if (code == BN_CLICKED) {
    for (const TItem& item : kItems) {
      if (item.id == id && IsCheckBox(item.control)) {
        m.SetValue(item.control, ::IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
      }
    }
  }
  Show(dialog, d);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    switch (message) {
      case WM_INITDIALOG: {
        ::SetWindowLongPtrA(dialog, GWLP_USERDATA, lparam);
        TDialog& d = DialogOf(dialog);
        d.folder =
            static_cast<HBITMAP>(::LoadImageA(OwnModule(), MAKEINTRESOURCEA(VESKO_IDB_FOLDER),
                                              IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
        ::SendDlgItemMessageA(dialog, VESKO_IDC_BROWSE_FOLDER, BM_SETIMAGE, IMAGE_BITMAP,
                              reinterpret_cast<LPARAM>(d.folder));
        SizeClient(dialog);
        Show(dialog, d);
        ::SetFocus(::GetDlgItem(dialog, IDOK));
        return FALSE;  // the focus is set
      }
      case WM_COMMAND:
        if (::GetWindowLongPtrA(dialog, GWLP_USERDATA) == 0) return FALSE;  // not yet set up
        OnCommand(dialog, DialogOf(dialog), LOWORD(wparam), HIWORD(wparam));
        return TRUE;
      case WM_DESTROY:
        if (::GetWindowLongPtrA(dialog, GWLP_USERDATA) != 0) {
          TDialog& d = DialogOf(dialog);
          if (d.folder != nullptr) ::DeleteObject(d.folder);
          d.folder = nullptr;
        }
        return FALSE;
      default:
        return FALSE;
    }
  } catch (const std::exception& e) {
    ::MessageBoxA(dialog, e.what(), "Error", MB_OK | MB_ICONERROR);
  } catch (...) {
    ::MessageBoxA(dialog, "Vesko: unexpected error", "Error", MB_OK | MB_ICONERROR);
  }
  return FALSE;
}

}  // namespace

bool ShowSettingsForm(TSettingsFormModel& model) {
  TDialog dialog{&model};
  const INT_PTR result = ::DialogBoxParamA(OwnModule(), MAKEINTRESOURCEA(VESKO_IDD_SETTINGS),
                                           nullptr, DialogProc, reinterpret_cast<LPARAM>(&dialog));
  if (result == -1)
    throw EOSError("opening the settings dialog", static_cast<int>(::GetLastError()));
  return result == IDOK;
}

std::string UserLanguageAbbreviation() {
  char name[16] = {};
  const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, name, sizeof name);
  return n > 0 ? std::string(name) : std::string();
}

}  // namespace vesko::platform

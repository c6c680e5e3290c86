// The real settings dialog under wine: this program exports the host's function names
// (all bound to one stub that is never called), loads a copy of Vesko.dll from a scratch
// folder, calls BKC_OnPlugInSetup on a second thread and drives the dialog from the main
// thread as a user would: it finds the controls by ID, checks their texts and states,
// clicks, and reads the settings file back. Needs an X display (xvfb-run).
//
// With VESKO_DIALOG_PICTURE=FILE.bmp set, it also writes a picture of the open dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/IniFile.h"
#include "hotsync/AutoInst.h"
#include "hotsync/PalmDesktopSetup.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/settings_form_res.h"
#include "tests/support/PalmDesktopScope.h"
#include "tests/support/ScratchFolder.h"

extern "C" void VeskoTestHostStub() {}

namespace vesko {
namespace {

std::string WindowsPath(std::string path) {
  if (path.size() > 1 && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string TextOf(HWND window) {
  char text[512] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// Writes a 24-bit BMP of the window's client area as it is on the screen. Without a window
// manager (Xvfb) wine's frame and caption are not on the screen where the window's rectangle
// says, so only the client area is taken.
void WritePicture(HWND window, const char* path) {
  RECT client = {};
  ::GetClientRect(window, &client);
  POINT origin = {0, 0};
  ::ClientToScreen(window, &origin);
  const RECT rect = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
  ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  if (std::FILE* out = std::fopen(path, "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
  }
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

using TSetup = int(__stdcall*)(void*);

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::TPalmDesktopScope::RemoveRoots();
    const std::string dll = folder_ / "Vesko.dll";
    ASSERT_NO_THROW(platform::CopyFileAtomic(WindowsPath(VESKO_BINARY_DIR "/Vesko.dll"), dll));
    library_ = ::LoadLibraryA(WindowsPath(dll).c_str());
    ASSERT_NE(library_, nullptr) << "Vesko.dll did not load";
    setup_ = reinterpret_cast<TSetup>(
        reinterpret_cast<void*>(::GetProcAddress(library_, "BKC_OnPlugInSetup")));
    ASSERT_NE(setup_, nullptr);
    ini_ = folder_ / "Vesko.ini";
  }
  void TearDown() override {
    if (library_ != nullptr) ::FreeLibrary(library_);
    test::TPalmDesktopScope::RemoveRoots();
  }
  void WithUsers() {
    WritePalmDesktop(TUserData::kRootKeys[1], folder_ / "Palm",
                     {{1, "Taro", "TaroF"}, {2, "\x89\xd4\x8e\x71", "HanakoF"}}, "Taro");
  }

  static DWORD WINAPI RunSetup(void* self) {
    auto* t = static_cast<SettingsDialogTest*>(self);
    t->result_ = t->setup_(nullptr);
    return 0;
  }
  // Opens the dialog on its own thread; returns it, or null after thirty seconds (a first
  // window under a busy wine can take ten).
  HWND Open() {
    thread_ = ::CreateThread(nullptr, 0, &RunSetup, this, 0, nullptr);
    for (int i = 0; i < 600; ++i) {
      // Found once it is set up and shown.
      HWND dialog = ::FindWindowA("#32770", VESKO_TEXT_CAPTION);
      if (dialog != nullptr && ::IsWindowVisible(dialog)) {
        ::Sleep(100);  // let it paint
        return dialog;
      }
      ::Sleep(50);
    }
    return nullptr;
  }
  // The captions of this process's visible top-level windows, for a failure message: a
  // message box in place of the dialog names what went wrong.
  static std::string OpenWindows() {
    std::string texts;
    // A plain lambda converts to a function pointer of the default calling convention,
    // which is not WNDENUMPROC's (stdcall) in a 32-bit build.
    struct TCollect {
      static BOOL CALLBACK Window(HWND window, LPARAM out) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window)) {
          std::string& texts = *reinterpret_cast<std::string*>(out);
          texts += " \"" + TextOf(window) + "\"";
          HWND child = ::GetWindow(window, GW_CHILD);
          for (; child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
            texts += " [" + TextOf(child) + "]";
        }
        return TRUE;
      }
    };
    ::EnumWindows(&TCollect::Window, reinterpret_cast<LPARAM>(&texts));
    return texts.empty() ? " none" : texts;
  }
  // Waits for BKC_OnPlugInSetup to return; false when it doesn't within ten seconds.
  bool Closed() {
    const bool done = ::WaitForSingleObject(thread_, 10000) == WAIT_OBJECT_0;
    ::CloseHandle(thread_);
    thread_ = nullptr;
    return done;
  }
  static void Click(HWND dialog, int id) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
  }
  static bool Checked(HWND dialog, int id) {
    return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  static bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)); }

  test::TScratchFolder folder_;
  HMODULE library_ = nullptr;
  TSetup setup_ = nullptr;
  HANDLE thread_ = nullptr;
  int result_ = 0;
  std::string ini_;
};

TEST_F(SettingsDialogTest, ShowsEveryControlAndAppliesWhatTheUserChose) {
  WithUsers();
  platform::MakeDirectory(folder_ / "Out");
  const std::string out = WindowsPath(folder_ / "Out") + "\\";
  platform::WriteWholeFile(ini_,
                           "[Settings]\r\nTarget=1\r\n[Options]\r\nAutoInstall=0\r\n"
                           "SavePath=" +
                               out + "\r\nDelSpace=1\r\n");
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr) << "no dialog; windows open:" << OpenWindows();
  if (const char* picture = std::getenv("VESKO_DIALOG_PICTURE")) {
    ::Sleep(500);  // painted
    WritePicture(dialog, WindowsPath(picture).c_str());
  }

  // 378 x 263 with the font the layout was made for; more where the font is larger (wine
  // draws with another face), as long as every control fits.
  RECT client = {};
  ::GetClientRect(dialog, &client);
  EXPECT_GE(client.right, 378);
  EXPECT_GE(client.bottom, 263);
  RECT needed = {0, 0, VESKO_DIALOG_WIDTH, VESKO_DIALOG_HEIGHT};
  ::MapDialogRect(dialog, &needed);
  EXPECT_EQ(client.right, std::max(378L, static_cast<long>(needed.right)));
  EXPECT_EQ(client.bottom, std::max(263L, static_cast<long>(needed.bottom)));
  EXPECT_EQ(::GetWindow(dialog, GW_OWNER), nullptr);
  EXPECT_EQ(LOWORD(::SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDOK);
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &gui);
  EXPECT_EQ(gui.hwndFocus, ::GetDlgItem(dialog, IDOK));

  struct TControl {
    int id;
    const char* text;
    bool checked, enabled;
  };
  const TControl controls[] = {
      {VESKO_IDC_EXPORT_TARGET, VESKO_TEXT_EXPORT_TARGET, false, true},
      {VESKO_IDC_TARGET_UNREAD, VESKO_TEXT_TARGET_UNREAD, false, true},
      {VESKO_IDC_TARGET_ALL, VESKO_TEXT_TARGET_ALL, true, true},
      {VESKO_IDC_TARGET_SELECTED, VESKO_TEXT_TARGET_SELECTED, false, true},
      {VESKO_IDC_OPTIONS, VESKO_TEXT_OPTIONS, false, true},
      {VESKO_IDC_SAVE_MEDOC, VESKO_TEXT_SAVE_MEDOC, true, true},
      {VESKO_IDC_MARK_AS_READ, VESKO_TEXT_MARK_AS_READ, true, true},
      {VESKO_IDC_DEL_CRLF, VESKO_TEXT_DEL_CRLF, false, true},
      {VESKO_IDC_DEL_SPACE, VESKO_TEXT_DEL_SPACE, true, true},
      {VESKO_IDC_DEL_DB_SPACE, VESKO_TEXT_DEL_DB_SPACE, false, true},
      {VESKO_IDC_ZENTOHAN, VESKO_TEXT_ZENTOHAN, false, true},
      {VESKO_IDC_ZENTOHAN_KANA, VESKO_TEXT_ZENTOHAN_KANA, false, true},
      {VESKO_IDC_DOC_NAME_OPTIONS, VESKO_TEXT_DOC_NAME_OPTIONS, false, true},
      {VESKO_IDC_DATE, VESKO_TEXT_DATE, true, true},
      {VESKO_IDC_TIME, VESKO_TEXT_TIME, false, true},
      {VESKO_IDC_AUTO_INSTALL, VESKO_TEXT_AUTO_INSTALL, false, true},
      {VESKO_IDC_SELECT_USER, VESKO_TEXT_SELECT_USER, false, false},
      {VESKO_IDC_USERS, "Taro", false, false},
      {VESKO_IDC_SAVE_PATH_LABEL, VESKO_TEXT_SAVE_PATH, false, true},
      {VESKO_IDC_SAVE_PATH, out.c_str(), false, true},
      {VESKO_IDC_BROWSE_FOLDER, "", false, true},
      {VESKO_IDC_MENU_FLAG, VESKO_TEXT_MENU_FLAG, false, true},
      {IDOK, VESKO_TEXT_OK, false, true},
      {IDCANCEL, VESKO_TEXT_CANCEL, false, true},
  };
  for (const TControl& c : controls) {
    SCOPED_TRACE(c.id);
    HWND item = ::GetDlgItem(dialog, c.id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(TextOf(item), c.text);
    EXPECT_TRUE(::IsWindowVisible(item));
    RECT box = {};
    ::GetWindowRect(item, &box);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= client.right &&
                box.bottom <= client.bottom)
        << "cut off by the client area";
    EXPECT_EQ(::IsWindowEnabled(item) != FALSE, c.enabled);
    if (c.id != VESKO_IDC_USERS && c.id != VESKO_IDC_SAVE_PATH) {
      EXPECT_EQ(Checked(dialog, c.id), c.checked);
    }
  }

  // HotSync on: the user list instead of the save folder, and back.
  Click(dialog, VESKO_IDC_AUTO_INSTALL);
  EXPECT_TRUE(Checked(dialog, VESKO_IDC_AUTO_INSTALL));
  EXPECT_TRUE(Enabled(dialog, VESKO_IDC_USERS));
  EXPECT_TRUE(Enabled(dialog, VESKO_IDC_SELECT_USER));
  EXPECT_FALSE(Enabled(dialog, VESKO_IDC_SAVE_PATH));
  EXPECT_FALSE(Enabled(dialog, VESKO_IDC_BROWSE_FOLDER));
  Click(dialog, VESKO_IDC_AUTO_INSTALL);
  EXPECT_FALSE(Enabled(dialog, VESKO_IDC_USERS));
  EXPECT_TRUE(Enabled(dialog, VESKO_IDC_SAVE_PATH));
  Click(dialog, VESKO_IDC_AUTO_INSTALL);
  HWND users = ::GetDlgItem(dialog, VESKO_IDC_USERS);
  EXPECT_EQ(::SendMessageA(users, CB_GETCOUNT, 0, 0), 2);
  ::SendMessageA(users, CB_SETCURSEL, 1, 0);
  ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(VESKO_IDC_USERS, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(users));

  Click(dialog, VESKO_IDC_TARGET_SELECTED);
  EXPECT_TRUE(Checked(dialog, VESKO_IDC_TARGET_SELECTED));
  EXPECT_FALSE(Checked(dialog, VESKO_IDC_TARGET_ALL));
  Click(dialog, VESKO_IDC_DEL_SPACE);
  Click(dialog, VESKO_IDC_ZENTOHAN);
  Click(dialog, VESKO_IDC_TIME);
  Click(dialog, IDOK);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(result_, 1);

  const TIniFile ini(ini_);
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } stored[] = {
      {"Settings", "Target", "2"},
      {"Settings", "MenuFlag", "0"},
      {"HotSync", "UserIndex", "1"},
      {"Options", "AutoInstall", "1"},
      {"Options", "DelSpace", "0"},
      {"Options", "ZentoHan", "1"},
      {"Options", "Time", "1"},
      {"Options", "Date", "1"},
      {"Options", "SavePath", out.c_str()},
      {"Options", "DelDBSpace", "0"},
  };
  for (const auto& s : stored) {
    SCOPED_TRACE(s.key);
    EXPECT_EQ(ini.ReadString(s.section, s.key, "(missing)"), s.value);
  }
}

TEST_F(SettingsDialogTest, WithoutAPalmDesktopHotSyncIsOffAndCancelWritesNothing) {
  const std::string before = "[Options]\r\nAutoInstall=1\r\n";
  platform::WriteWholeFile(ini_, before);
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr) << "no dialog; windows open:" << OpenWindows();
  EXPECT_FALSE(Checked(dialog, VESKO_IDC_AUTO_INSTALL));
  EXPECT_FALSE(Enabled(dialog, VESKO_IDC_AUTO_INSTALL));
  EXPECT_FALSE(Enabled(dialog, VESKO_IDC_USERS));
  EXPECT_FALSE(Enabled(dialog, VESKO_IDC_SELECT_USER));
  EXPECT_TRUE(Enabled(dialog, VESKO_IDC_SAVE_PATH));
  Click(dialog, VESKO_IDC_AUTO_INSTALL);  // disabled: stays unchecked
  EXPECT_FALSE(Checked(dialog, VESKO_IDC_AUTO_INSTALL));
  Click(dialog, VESKO_IDC_DEL_CRLF);
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(platform::ReadWholeFile(ini_), before);
}

}  // namespace
}  // namespace vesko

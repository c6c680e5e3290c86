#include "tests/support/FakeHost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string_view>
#include <unordered_map>

#include "host/IniFile.h"
#include "host/PlugIn.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vesko::fake {
namespace {

TFakeHost* current = nullptr;

// Texts handed to the plug-in stay alive until the next call of the same function.
const char* Keep(std::string& slot, std::string text) {
  slot = std::move(text);
  return slot.c_str();
}

// The blocks handed to the plug-in that it has not freed yet.
std::set<void*>& LiveBlocks() {
  static std::set<void*> blocks;
  return blocks;
}

// A copy of text in a block of its own, which the plug-in gives back with BKA_Free.
char* Allocated(std::string_view text) {
  char* block = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(block, text.data(), text.size());
  block[text.size()] = '\0';
  LiveBlocks().insert(block);
  ++current->live_blocks;
  return block;
}

void VESKO_STDCALL Free(void* block) {
  if (block == nullptr) return;
  if (LiveBlocks().erase(block) == 0) {
    ++current->foreign_frees;  // not ours: leave it alone
    return;
  }
  std::free(block);
  --current->live_blocks;
}

// Finds a mail by ID through an index, rebuilt whenever it no longer fits the list (tests
// change the list freely; the benchmark has ten thousand mails).
const TFakeMail* FindMail(const char* id) {
  static std::unordered_map<std::string, std::size_t> index;
  if (id == nullptr) return nullptr;
  const auto& mails = current->mails;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto it = index.find(id);
    if (it != index.end() && it->second < mails.size() && mails[it->second].id == id) {
      return &mails[it->second];
    }
    index.clear();
    for (std::size_t i = 0; i < mails.size(); ++i) index.emplace(mails[i].id, i);
  }
  return nullptr;
}

const char* VESKO_STDCALL GetDataFolder() { return current->data_folder.c_str(); }
const char* VESKO_STDCALL GetCurrentFolder() { return current->current_folder.c_str(); }

const char* VESKO_STDCALL GetFolderDisplayName(const char* folder) {
  static std::string slot;
  return Keep(slot,
              folder != nullptr && folder == current->current_folder ? current->display_name : "");
}

const char* VESKO_STDCALL GetTempFileName(const char* extension) {
  static std::string slot;
  const int n = ++current->temp_files_handed_out;
  if (current->on_temp_file) current->on_temp_file();
  // As the mail client does, the file is made empty, so the name is the caller's.
  const std::string path = current->temp_folder + "bk" + std::to_string(n) + "." + extension;
  if (platform::DirectoryExists(current->temp_folder)) platform::WriteWholeFile(path, "");
  return Keep(slot, path);
}

int VESKO_STDCALL GetNextMail(int start, char* id, int size, BOOL32 selected) {
  const auto& mails = current->mails;
  for (int i = start + 1; i < static_cast<int>(mails.size()); ++i) {
    if (selected != 0 && !mails[static_cast<std::size_t>(i)].selected) continue;
    const std::string& found = mails[static_cast<std::size_t>(i)].id;
    const std::size_t n = std::min(found.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(id, found.data(), n);
    id[n] = '\0';
    return i;
  }
  if (size > 0) id[0] = '\0';
  return -1;
}

DWORD32 VESKO_STDCALL GetStatus(const char* id) {
  const TFakeMail* mail = FindMail(id);
  return mail != nullptr && mail->read ? 1u : 0u;
}

void VESKO_STDCALL SetSel(const char* id, BOOL32 select) {
  if (select != 0) current->selections.push_back(id != nullptr ? id : "");
}

char* VESKO_STDCALL GetSource(const char* id) {
  const TFakeMail* mail = FindMail(id);
  return Allocated(mail != nullptr ? mail->source : "");
}

char* VESKO_STDCALL MIMEHeader(const char* in, char* buffer, int size, BOOL32) {
  const std::string_view text = in != nullptr ? in : "";
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return buffer;
}

// One converter per charset: it records its name and hands the text back, or null when
// the test makes the converters fail.
template <const char* kName>
char* VESKO_STDCALL Converter(const char* text, BOOL32) {
  current->converters.push_back(kName);
  if (current->converters_fail) return nullptr;
  return Allocated(text != nullptr ? text : "");
}

constexpr char kIso2022Jp[] = "ISO-2022-JP", kIso2022Kr[] = "ISO-2022-KR",
               kHzGb2312[] = "HZ-GB2312", kIso8859_2[] = "ISO-8859-2", kEucJp[] = "EUC-JP",
               kUtf7[] = "UTF-7", kUtf8[] = "UTF-8";

// Host functions the export never calls: reaching one is a fault of the test.
void Unexpected() {
  std::fprintf(stderr, "TFakeHost: the plug-in called a host function that it doesn't use\n");
  std::abort();
}

void* Lookup(void*, const char* name) {
  const std::pair<const char*, void*> fakes[] = {
      {"BKA_GetDataFolder", reinterpret_cast<void*>(GetDataFolder)},
      {"BKA_GetCurrentFolder", reinterpret_cast<void*>(GetCurrentFolder)},
      {"BKA_GetFolderDisplayName", reinterpret_cast<void*>(GetFolderDisplayName)},
      {"BKA_GetTempFileName", reinterpret_cast<void*>(GetTempFileName)},
      {"BKA_GetNextMail", reinterpret_cast<void*>(GetNextMail)},
      {"BKA_GetStatus", reinterpret_cast<void*>(GetStatus)},
      {"BKA_SetSel", reinterpret_cast<void*>(SetSel)},
      {"BKA_GetSource", reinterpret_cast<void*>(GetSource)},
      {"BKA_MIMEHeader", reinterpret_cast<void*>(MIMEHeader)},
      {"BKA_Free", reinterpret_cast<void*>(Free)},
      {"BKA_ISO_2022_JP", reinterpret_cast<void*>(Converter<kIso2022Jp>)},
      {"BKA_ISO_2022_KR", reinterpret_cast<void*>(Converter<kIso2022Kr>)},
      {"BKA_HZ_GB2312", reinterpret_cast<void*>(Converter<kHzGb2312>)},
      {"BKA_ISO_8859_2", reinterpret_cast<void*>(Converter<kIso8859_2>)},
      {"BKA_EUC_JP", reinterpret_cast<void*>(Converter<kEucJp>)},
      {"BKA_UTF_7", reinterpret_cast<void*>(Converter<kUtf7>)},
      {"BKA_UTF_8", reinterpret_cast<void*>(Converter<kUtf8>)},
  };
  for (const auto& [fake_name, address] : fakes) {
    if (std::strcmp(name, fake_name) == 0) return address;
  }
  return reinterpret_cast<void*>(Unexpected);
}

}  // namespace

TFakeHost::TFakeHost(const std::string& root)
    : data_folder(JoinPath(root, "Data") + platform::PathDelimiter()),
      temp_folder(JoinPath(root, "Temp") + platform::PathDelimiter()),
      main_window(reinterpret_cast<THandle>(0x1234)) {
  current = this;
  platform::MakeDirectory(data_folder);
  platform::MakeDirectory(temp_folder);
  static int module;  // any address: the fake has no module of its own
  PlugIn().api.Bind(&module, Lookup);
  platform::SetEnvironment("VESKO_HOME", root);  // the registry stand-in of POSIX
  PlugIn().settings_path = JoinPath(root, "Vesko.ini");
  PlugIn().main_window = main_window;
  SetExportUi(this);
}

TFakeHost::~TFakeHost() {
  SetExportUi(nullptr);
  PlugIn().main_window = nullptr;
  PlugIn().settings_path.clear();
  current = nullptr;
}

TFakeHost& TFakeHost::Current() { return *current; }

void TFakeHost::AddMail(const std::string& id, const std::string& source, bool read,
                        bool selected) {
  mails.push_back({id, source, read, selected});
}

void TFakeHost::SetOption(const std::string& section, const std::string& key,
                          const std::string& value) {
  TIniFile(PlugIn().settings_path).WriteString(section, key, value);
}

std::vector<std::string> TFakeHost::TempFiles() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(temp_folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void TFakeHost::ShowMessage(THandle owner, const std::string& text, const std::string& caption,
                            TMessageIcon icon) noexcept {
  messages.push_back({owner, text, caption, icon});
}

void TFakeHost::ProcessMessages() noexcept {
  if (on_pump) on_pump();
}

void TFakeHost::PostCommand(THandle window, unsigned command_id) noexcept {
  if (window == main_window) posted_commands.push_back(command_id);
}

}  // namespace vesko::fake

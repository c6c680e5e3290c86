// Reading the mail items' options from the three places that hold them.
#include "export/MeDocItemList.h"
#include "host/PlugIn.h"
#include "host/Settings.h"

namespace vesko {

TTextOptions ReadTextOptions() {
  const TBeckyAPI& api = PlugIn().api;
  TTextOptions options;
  // Both host paths end with a delimiter, so they join as they are.
  options.HideHead = ReadHideHead(HostText(api.BKA_GetDataFolder()) +
                                  HostText(api.BKA_GetCurrentFolder()) + "Folder.ini");
  const TSettings settings = TSettings::Load(PlugIn().settings_path);
  options.DelSpace = settings.DelSpace;
  options.DelDBSpace = settings.DelDBSpace;
  options.DelCRLF = settings.DelCRLF;
  options.ZentoHan = settings.ZentoHan;
  options.ZentoHanKana = settings.ZentoHanKana;
  options.ListAddrFmt = ReadListAddrFmt();
  options.Decoding = {settings.DecodeTransfer, settings.HtmlToText, settings.MoreCharsets,
                      settings.Forwarded, settings.KeepUndecoded};
  return options;
}

TMeDocItemList::TMeDocItemList() : options_(ReadTextOptions()) {}

}  // namespace vesko

#include "host/Version.h"

#include "host/VersionTexts.h"
#include "platform/errors.h"
#include "platform/module.h"

namespace vesko {

const char* const kVersionTextNames[kVersionTextCount] = {
    "Comments",       "CompanyName",      "FileDescription", "FileVersion",
    "InternalName",   "LegalCopyright",   "LegalTrademarks", "OriginalFilename",
    "PrivateBuild",   "ProductName",      "ProductVersion",  "SpecialBuild"};

namespace {

// The texts of the version resource, for systems whose libraries carry none.
const char* const kCompiledTexts[kVersionTextCount] = {
    "",
    VESKO_COMPANY_NAME,
    VESKO_FILE_DESCRIPTION,
    VESKO_FILE_VERSION,
    VESKO_INTERNAL_NAME,
    VESKO_COMPANY_NAME,
    "",
    VESKO_ORIGINAL_FILENAME,
    "",
    VESKO_PRODUCT_NAME,
    VESKO_PRODUCT_VERSION,
    ""};

// "情報の取得に失敗しました"
constexpr const char* kNoTranslationMessage =
    "\x8f\xee\x95\xf1\x82\xcc\x8e\xe6\x93\xbe\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5"
    "\x82\xbd";

}  // namespace

std::string GetVersionText(int index, const std::string& module_path) {
  if (index < 0 || index >= kVersionTextCount) return {};
  if (!platform::ModulesCarryVersionResources()) return kCompiledTexts[index];
  std::string text;
  switch (platform::ReadVersionResourceText(module_path, kVersionTextNames[index], text)) {
    case platform::TVersionLookup::kNoResource: return {};
    case platform::TVersionLookup::kNoTranslation: throw EVeskoError(kNoTranslationMessage);
    case platform::TVersionLookup::kFound: return text;
  }
  return {};
}

std::string GetVersionText(int index) { return GetVersionText(index, platform::OwnModulePath()); }

}  // namespace vesko

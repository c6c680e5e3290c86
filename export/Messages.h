// The texts of the export's message boxes, as Shift JIS bytes. "%s" stands for the
// arguments, in order (FormatText fills them in).
#pragma once

#include <initializer_list>
#include <string>

namespace vesko {

// " <folder> "に" <file> "を保存しました
inline constexpr char kSavedMessage[] =
    "\" %s \"\x82\xc9\" %s \"\x82\xf0\x95\xdb\x91\xb6\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd";
// " <file> "の保存に失敗しました
inline constexpr char kSaveFailedMessage[] =
    "\" %s \"\x82\xcc\x95\xdb\x91\xb6\x82\xc9\x8e\xb8"
    "\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// The second line under kSaveFailedMessage: the save folder and why the copy failed.
inline constexpr char kSaveFailedReason[] = "%s: %s";
// ユーザ名 " <user> " CR LF のインストール予約をしました
inline constexpr char kInstalledMessage[] =
    "\x83\x86\x81\x5b\x83\x55\x96\xbc \" %s \"\r\n"
    "\x82\xcc\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x97\x5c\x96\xf1\x82\xf0\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd";
// ユーザ名 " <user> " CR LF のインストール予約に失敗しました
inline constexpr char kInstallFailedMessage[] =
    "\x83\x86\x81\x5b\x83\x55\x96\xbc \" %s \"\r\n"
    "\x82\xcc\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x97\x5c\x96\xf1\x82\xc9\x8e\xb8"
    "\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// エクスポートに失敗しました。 CR LF <the error's message>
inline constexpr char kExportFailedMessage[] =
    "\x83\x47\x83\x4e\x83\x58\x83\x7c\x81\x5b\x83\x67\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc"
    "\x82\xb5\x82\xbd\x81\x42\r\n%s";
// 処理対象のメールがありません。
inline constexpr char kNoMailMessage[] =
    "\x8f\x88\x97\x9d\x91\xce\x8f\xdb\x82\xcc\x83\x81\x81\x5b\x83\x8b\x82\xaa\x82\xa0\x82\xe8"
    "\x82\xdc\x82\xb9\x82\xf1\x81\x42";

inline constexpr char kInformationCaption[] = "Information";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kVeskoCaption[] = "From Vesko";

// format with each "%s" replaced by the next argument; arguments are not scanned again.
std::string FormatText(const std::string& format, std::initializer_list<std::string> args);

}  // namespace vesko

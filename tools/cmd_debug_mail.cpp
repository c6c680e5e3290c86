// vesko debug mime|qp|detect|date|address|width: shows how Vesko reads a mail, so one can
// find out why a mail came out as it did.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "mail/JisCode.h"
#include "mail/MIMEItem.h"
#include "mail/MailBody.h"
#include "mail/TextUtil.h"
#include "mail/VeskoUtil.h"
#include "platform/files.h"
#include "tools/BinaryStdio.h"
#include "tools/commands.h"

namespace vesko::tools {

namespace {

std::string ReadStdin() {
  SetBinaryStdio();
  std::string data;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) data.append(buffer, got);
  return data;
}

void WriteStdout(std::string_view data) {
  SetBinaryStdio();
  std::fwrite(data.data(), 1, data.size(), stdout);
  std::fflush(stdout);
}

// A JSON string of raw bytes: each byte of 0x80 or more (and each control byte) is
// written as \u00XX, so decoding the JSON and encoding as Latin-1 gives the bytes back.
void PutJsonString(std::string& out, std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x7F) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  out += '"';
}

void PutJsonList(std::string& out, const std::vector<std::string>& lines) {
  out += '[';
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += ", ";
    PutJsonString(out, lines[i]);
  }
  out += ']';
}

void PutNode(std::string& out, const TMIMEItem& node, const std::string& indent) {
  const std::string inner = indent + "  ";
  const auto key = [&](const char* name) {
    out += (out.back() == '{' ? "\n" : ",\n") + inner + '"' + name + "\": ";
  };
  out += '{';
  key("type"), PutJsonString(out, node.content_type());
  key("subtype"), PutJsonString(out, node.subtype());
  key("boundary"), PutJsonString(out, node.boundary());
  key("header"), PutJsonList(out, node.header());
  key("body"), PutJsonList(out, node.body());
  key("epilogue"), PutJsonList(out, node.epilogue());
  key("children"), out += '[';
  for (const TMIMEItem* child = node.first_child(); child != nullptr; child = child->next()) {
    out += (child == node.first_child() ? "\n" : ",\n") + inner + "  ";
    PutNode(out, *child, inner + "  ");
  }
  out += node.first_child() != nullptr ? "\n" + inner + "]\n" : "]\n";
  out += indent + "}";
}

// The child indexes that lead from root to target; false when target isn't in the tree.
bool FindPath(const TMIMEItem& root, const TMIMEItem* target, std::vector<int>& path) {
  if (&root == target) return true;
  int index = 0;
  for (const TMIMEItem* child = root.first_child(); child != nullptr; child = child->next()) {
    path.push_back(index++);
    if (FindPath(*child, target, path)) return true;
    path.pop_back();
  }
  return false;
}

void PutPath(std::string& out, const std::vector<int>& path) {
  out += '[';
  for (std::size_t i = 0; i < path.size(); ++i) out += (i > 0 ? ", " : "") + std::to_string(path[i]);
  out += ']';
}

// The part the export reads and the decodings it applies, by the body options.
void PutBodyPlan(std::string& out, const TMIMEItem& root, const TBodyOptions& options) {
  const TBodyPlan plan = PlanBody(root, options);
  std::vector<int> path;
  out += "{\"forwarded\": " + std::to_string(plan.forwarded.size()) + ", \"part\": ";
  if (plan.part == nullptr || !FindPath(*plan.mail, plan.part, path)) {
    out += "null";
  } else {
    out += "{\"path\": ";
    PutPath(out, path);
    out += ", \"type\": ";
    PutJsonString(out, plan.part->content_type() + "/" + plan.part->subtype());
    out += "}";
  }
  out += ", \"decodings\": ";
  PutJsonList(out, DescribePlan(plan));
  out += "}";
}

void RunMime(const std::string& file, bool designed) {
  const std::string mail = WithCrLf(platform::ReadWholeFile(file));
  TMIMEItem root;
  root.Parse(mail);
  std::string out = "{\n  \"tree\": ";
  PutNode(out, root, "  ");
  out += ",\n  \"text_plain\": ";
  const TMIMEItem* part = root.FindPart("text", "plain");
  std::vector<int> path;
  if (part == nullptr || !FindPath(root, part, path)) {
    out += "null";
  } else {
    out += "{\"path\": ";
    PutPath(out, path);
    out += ", \"charset\": ";
    PutJsonString(out, TMIMEItem::GetParameter(part->GetHeader("Content-Type"), "charset"));
    out += "}";
  }
  out += ",\n  \"body\": ";
  const TBodyOptions all_on{true, true, true, true, true};
  PutBodyPlan(out, root, designed ? TBodyOptions{} : all_on);
  out += "\n}\n";
  WriteStdout(out);
}

}  // namespace

void RegisterMailDebugCommands(CLI::App& debug) {
  static std::string mime_file, date_text, address_text;
  static bool designed = false;
  static int kind = kFullToHalf, mode = kWidthBoth;

  CLI::App* mime = debug.add_subcommand(
      "mime",
      "Print the MIME tree of a mail file as JSON, and the path and charset of the first "
      "text/plain part. The file is read as it is; bare LF line ends become CR LF first, "
      "as the mail host hands mails over. Output: {\"tree\": NODE, \"text_plain\": "
      "{\"path\": [child indexes from the root], \"charset\": ...} or null}; a NODE has type, "
      "subtype, boundary, header, body, epilogue and children. Strings are the raw bytes, "
      "with bytes of 0x80 and above (and control bytes) written as \\u00XX. \"body\" says "
      "what the export reads with the body decodings on: {\"forwarded\": attached mails "
      "opened, \"part\": {\"path\": [...], \"type\": ...} or null for the mail's own "
      "body, \"decodings\": [steps in order]}; the path is in the last attached mail.");
  mime->add_option("FILE", mime_file, "Raw mail file")->required();
  mime->add_flag("--designed", designed,
                 "Plan the body with every decoding key off (DecodeTransfer, HtmlToText, "
                 "MoreCharsets, Forwarded, KeepUndecoded)");
  mime->callback([] { RunMime(mime_file, designed); });

  debug.add_subcommand("qp", "Decode quoted-printable text from stdin to stdout")
      ->callback([] { WriteStdout(QuotedPrintableDecode(ReadStdin())); });

  debug
      .add_subcommand("detect",
                      "Print the code guessed for stdin: 0 ASCII or unknown, 1 binary, 2 JIS "
                      "(ESC $ B), 3 JIS (ESC $ @), 4 EUC-JP, 5 Shift JIS, 6 EUC-JP or Shift JIS")
      ->callback([] { WriteStdout(std::to_string(DetectCode(ReadStdin())) + "\n"); });

  CLI::App* date = debug.add_subcommand(
      "date", "Parse a Date field value; prints YYYY-MM-DD HH:MM:SS, or 0 when it can't be read");
  date->add_option("TEXT", date_text, "The Date value")->required();
  date->callback([] { WriteStdout(MailDateText(ParseMailDate(date_text)) + "\n"); });

  CLI::App* address = debug.add_subcommand(
      "address", "Split a From value: prints the display name, then the mail address");
  address->add_option("TEXT", address_text, "The From value")->required();
  address->callback([] {
    WriteStdout(DisplayName(address_text) + "\n" + MailAddress(address_text) + "\n");
  });

  CLI::App* width = debug.add_subcommand(
      "width", "Convert Shift JIS text from stdin to stdout by kind and mode");
  width->add_option("--kind", kind,
                    "1 half to full width, 2 full to half width, 3 katakana to hiragana, "
                    "4 hiragana to katakana, 5 full-width capitals to small, 6 small to capitals");
  width->add_option("--mode", mode, "For kinds 1 and 2: 1 letters, digits and symbols, 2 kana, 3 both");
  width->callback([] { WriteStdout(Convert(ReadStdin(), kind, mode)); });
}

}  // namespace vesko::tools

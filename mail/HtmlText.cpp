#include "mail/HtmlText.h"

#include <algorithm>
#include <vector>

#include "mail/Charsets.h"
#include "mail/TextUtil.h"

namespace vesko {
namespace {

constexpr char32_t kNoBreakSpace = 0xA0;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9'); }

std::string LowerCopy(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = vesko::LowerAscii(c);
  return out;
}

// The position of needle in text at or after pos, ignoring ASCII case; npos if none.
std::size_t FindNoCase(std::string_view text, std::string_view needle, std::size_t pos) {
  for (; pos + needle.size() <= text.size(); ++pos) {
    if (EqualsNoCase(text.substr(pos, needle.size()), needle)) return pos;
  }
  return std::string_view::npos;
}

char32_t NamedEntity(std::string_view name) {
  struct TEntity {
    const char* name;
    char32_t c;
  };
  static constexpr TEntity kEntities[] = {
      {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},
      {"apos", '\''},     {"nbsp", 0xA0},     {"copy", 0xA9},     {"reg", 0xAE},
      {"trade", 0x2122},  {"hellip", 0x2026}, {"mdash", 0x2014},  {"ndash", 0x2013},
      {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},
      {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"laquo", 0xAB},    {"raquo", 0xBB},
      {"bull", 0x2022},   {"middot", 0xB7},   {"euro", 0x20AC},   {"yen", 0xA5},
      {"pound", 0xA3},    {"cent", 0xA2},     {"times", 0xD7},    {"divide", 0xF7},
      {"deg", 0xB0},      {"plusmn", 0xB1},   {"sect", 0xA7},     {"para", 0xB6},
      {"iexcl", 0xA1},    {"iquest", 0xBF},   {"shy", 0xAD},      {"ensp", 0x2002},
      {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},
      {"larr", 0x2190},   {"rarr", 0x2192},   {"uarr", 0x2191},   {"darr", 0x2193},
      {"hearts", 0x2665}, {"dagger", 0x2020}, {"prime", 0x2032},  {"agrave", 0xE0},
      {"aacute", 0xE1},   {"acirc", 0xE2},    {"auml", 0xE4},     {"ccedil", 0xE7},
      {"egrave", 0xE8},   {"eacute", 0xE9},   {"ecirc", 0xEA},    {"iacute", 0xED},
      {"ntilde", 0xF1},   {"oacute", 0xF3},   {"ouml", 0xF6},     {"uacute", 0xFA},
      {"uuml", 0xFC},     {"Auml", 0xC4},     {"Eacute", 0xC9},   {"Ouml", 0xD6},
      {"Uuml", 0xDC},     {"szlig", 0xDF},
  };
  for (const TEntity& e : kEntities) {
    if (name == e.name) return e.c;
  }
  return 0;
}

// Numeric references to 0x80..0x9F mean the Windows-1252 characters, as browsers read them.
char32_t NumericCharacter(unsigned long n) {
  static constexpr char32_t kWindows1252[32] = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  if (n >= 0x80 && n <= 0x9F) return kWindows1252[n - 0x80];
  if (n == 0 || n > 0x10FFFF || (n >= 0xD800 && n <= 0xDFFF)) return 0xFFFD;
  return static_cast<char32_t>(n);
}

// Reads a character reference at text[pos] == '&'. Returns the character and moves pos
// past the reference, or returns 0 and leaves pos when it is no reference.
char32_t ReadReference(std::string_view text, std::size_t& pos) {
  std::size_t i = pos + 1;
  if (i < text.size() && text[i] == '#') {
    const bool hex = i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X');
    i += hex ? 2 : 1;
    const std::size_t start = i;
    unsigned long n = 0;
    for (; i < text.size(); ++i) {
      const char c = vesko::LowerAscii(text[i]);
      const int digit = c >= '0' && c <= '9'          ? c - '0'
                        : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                      : -1;
      if (digit < 0) break;
      if (n <= 0x10FFFF) n = n * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    }
    if (i == start) return 0;
    if (i < text.size() && text[i] == ';') ++i;
    pos = i;
    return NumericCharacter(n);
  }
  while (i < text.size() && i - pos <= 8 && IsAsciiAlnum(text[i])) ++i;
  const std::string_view name = text.substr(pos + 1, i - pos - 1);
  const char32_t c = NamedEntity(name);
  const bool closed = i < text.size() && text[i] == ';';
  // The oldest names are read without their ";" too, as browsers do.
  const bool bare_ok = name == "amp" || name == "lt" || name == "gt" || name == "quot" ||
                       name == "nbsp";
  if (c == 0 || (!closed && !bare_ok)) return 0;
  pos = closed ? i + 1 : i;
  return c;
}

// Decodes the references in an attribute value.
std::string DecodeReferences(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      std::size_t at = i;
      if (const char32_t c = ReadReference(text, at)) {
        out += c == kNoBreakSpace ? std::string(" ") : ShiftJisOf(c);
        i = at;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

// The value of attribute name in the inside of a tag (after its name), references decoded.
std::string Attribute(std::string_view tag, std::string_view name) {
  std::size_t i = 0;
  while (i < tag.size()) {
    while (i < tag.size() && (IsBlank(tag[i]) || tag[i] == '/')) ++i;
    const std::size_t start = i;
    while (i < tag.size() && !IsBlank(tag[i]) && tag[i] != '=' && tag[i] != '/') ++i;
    const std::string_view attribute = tag.substr(start, i - start);
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    std::string_view value;
    if (i < tag.size() && tag[i] == '=') {
      ++i;
      while (i < tag.size() && IsBlank(tag[i])) ++i;
      if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
        const std::size_t end = std::min(tag.find(tag[i], i + 1), tag.size());
        value = tag.substr(i + 1, end - i - 1);
        i = end + 1;
      } else {
        const std::size_t begin = i;
        while (i < tag.size() && !IsBlank(tag[i])) ++i;
        value = tag.substr(begin, i - begin);
      }
    }
    if (!attribute.empty() && EqualsNoCase(attribute, name)) return DecodeReferences(value);
    if (attribute.empty() && i == start) ++i;
  }
  return {};
}

// The end of the tag that starts at text[lt] == '<': the position after its ">", or npos
// when the text ends first. A ">" inside a quoted attribute value doesn't end it.
std::size_t TagEnd(std::string_view text, std::size_t lt) {
  char quote = 0;
  for (std::size_t i = lt + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '>') {
      return i + 1;
    } else if ((c == '"' || c == '\'') && text[i - 1] == '=') {
      quote = c;
    }
  }
  return std::string_view::npos;
}

enum class TKind { kInline, kBreak, kBlock, kParagraph, kCell, kItem, kList, kLink, kImage, kPre, kSkip };

TKind KindOf(std::string_view name) {
  static constexpr std::string_view kBlocks[] = {
      "div", "tr", "dt", "dd", "section", "article", "header", "footer", "nav", "aside",
      "address", "form", "center", "fieldset", "figure", "figcaption", "main", "caption",
      "body", "html", "tbody", "thead", "tfoot"};
  static constexpr std::string_view kParagraphs[] = {
      "p", "h1", "h2", "h3", "h4", "h5", "h6", "blockquote", "table", "dl", "hr"};
  static constexpr std::string_view kSkipped[] = {"script", "style", "head", "title",
                                                  "template"};
  if (name == "br") return TKind::kBreak;
  if (name == "td" || name == "th") return TKind::kCell;
  if (name == "li") return TKind::kItem;
  if (name == "ul" || name == "ol") return TKind::kList;
  if (name == "a") return TKind::kLink;
  if (name == "img") return TKind::kImage;
  if (name == "pre") return TKind::kPre;
  for (const std::string_view s : kSkipped) {
    if (name == s) return TKind::kSkip;
  }
  for (const std::string_view b : kBlocks) {
    if (name == b) return TKind::kBlock;
  }
  for (const std::string_view p : kParagraphs) {
    if (name == p) return TKind::kParagraph;
  }
  return TKind::kInline;
}

class THtmlWriter {
 public:
  // Plain text of the document, blanks collapsed unless inside <pre>.
  void Text(std::string_view text) {
    for (const char c : text) {
      if (pre_ > 0) {
        if (c == '\n') {
          out_ += "\r\n";  // preformatted lines stay as they are, empty ones too
          at_line_start_ = true;
          space_ = false;
        } else if (c != '\r') {
          Put(c);
        }
      } else if (IsBlank(c)) {
        space_ = !at_line_start_;
      } else {
        Put(c);
      }
    }
  }
  void Character(char32_t c) {
    if (c == kNoBreakSpace) Put(' ');
    else if (c < 0x80 && IsBlank(static_cast<char>(c))) Text(std::string(1, static_cast<char>(c)));
    else for (const char b : ShiftJisOf(c)) Put(b);
  }
  // Ends the line. Markup never makes more than one empty line in a row.
  void Break() {
    if (at_line_start_ && (out_.empty() || out_.ends_with("\r\n\r\n"))) return;
    while (!out_.empty() && out_.back() == ' ') out_.pop_back();
    out_ += "\r\n";
    at_line_start_ = true;
    space_ = false;
  }
  // Starts a new line unless the text is at one.
  void Block() {
    if (!at_line_start_) Break();
    space_ = false;
  }
  // Starts a new line with an empty line before it.
  void Paragraph() {
    Block();
    if (!out_.empty() && !out_.ends_with("\r\n\r\n")) Break();
  }
  void Cell() {
    if (!at_line_start_) space_ = true;
  }
  void OpenList(bool ordered) {
    if (lists_.empty()) Paragraph();
    else Block();
    lists_.push_back({ordered, 0});
  }
  void CloseList() {
    if (!lists_.empty()) lists_.pop_back();
    if (lists_.empty()) Paragraph();
    else Block();
  }
  void Item() {
    Block();
    const std::size_t depth = lists_.empty() ? 0 : lists_.size() - 1;
    out_.append(2 * depth, ' ');
    if (!lists_.empty() && lists_.back().ordered) {
      out_ += std::to_string(++lists_.back().count) + ". ";
    } else {
      out_ += "* ";
    }
    at_line_start_ = false;
    space_ = false;
  }
  void OpenLink(std::string href) {
    link_ = std::move(href);
    link_start_ = out_.size();
  }
  void CloseLink() {
    if (link_start_ == std::string::npos) return;
    std::string_view shown = TrimBlanks(std::string_view(out_).substr(link_start_));
    std::string_view target = TrimBlanks(link_);
    if (target.size() > 7 && EqualsNoCase(target.substr(0, 7), "mailto:")) {
      if (EqualsNoCase(target.substr(7), shown)) target = {};
    }
    const bool internal = target.starts_with("#") ||
                          (target.size() >= 11 && EqualsNoCase(target.substr(0, 11), "javascript:"));
    if (!target.empty() && !internal && target != shown) {
      std::string text = "<";
      for (const char c : target) {
        if (!IsBlank(c)) text += c;  // an address holds no blanks; a line end would break the text
      }
      text += '>';
      if (!shown.empty()) space_ = true;
      for (const char c : text) Put(c);
    }
    link_start_ = std::string::npos;
  }
  void OpenPre() {
    Paragraph();
    ++pre_;
  }
  void ClosePre() {
    if (pre_ > 0) --pre_;
    Paragraph();
  }

  std::string Finish() {
    std::string_view text = out_;
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    while (text.starts_with("\r\n")) text.remove_prefix(2);
    std::string result(text);
    if (!result.empty()) result += "\r\n";
    return result;
  }

 private:
  void Put(char c) {
    if (space_ && !at_line_start_) out_ += ' ';
    space_ = false;
    out_ += c;
    at_line_start_ = false;
  }

  struct TList {
    bool ordered;
    int count;
  };
  std::string out_;
  bool at_line_start_ = true;
  bool space_ = false;
  int pre_ = 0;
  std::vector<TList> lists_;
  std::string link_;
  std::size_t link_start_ = std::string::npos;
};

// Where a dropped element ends: after its closing tag. A <head> also ends where <body>
// starts. npos when no end is found.
std::size_t SkippedEnd(std::string_view html, std::size_t pos, std::string_view name) {
  std::size_t end = FindNoCase(html, "</" + std::string(name), pos);
  if (name == "head") end = std::min(end, FindNoCase(html, "<body", pos));
  if (end == std::string_view::npos) return end;
  if (html.substr(end, 2) != "</") return end;  // <body> is read as a tag of its own
  const std::size_t close = html.find('>', end);
  return close == std::string_view::npos ? html.size() : close + 1;
}

}  // namespace

std::string HtmlToText(std::string_view html) {
  THtmlWriter writer;
  std::size_t pos = 0;
  while (pos < html.size()) {
    const std::size_t next = html.find_first_of("<&", pos);
    writer.Text(html.substr(pos, std::min(next, html.size()) - pos));
    if (next == std::string_view::npos) break;
    pos = next;
    if (html[pos] == '&') {
      if (const char32_t c = ReadReference(html, pos)) {
        writer.Character(c);
      } else {
        writer.Text("&");
        ++pos;
      }
      continue;
    }
    if (html.substr(pos, 4) == "<!--") {
      const std::size_t end = html.find("-->", pos + 4);
      pos = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    const char first = pos + 1 < html.size() ? html[pos + 1] : '\0';
    const bool closing = first == '/';
    const bool markup = first == '!' || first == '?';
    const std::size_t name_start = pos + (closing ? 2 : 1);
    const std::size_t end = TagEnd(html, pos);
    if ((!markup && (name_start >= html.size() || !IsAsciiLetter(html[name_start]))) ||
        end == std::string_view::npos) {
      writer.Text("<");  // no tag: the "<" is text
      ++pos;
      continue;
    }
    pos = end;
    if (markup) continue;  // <!DOCTYPE ...>, <?xml ...?>
    std::size_t name_end = name_start;
    while (name_end < end && IsAsciiAlnum(html[name_end])) ++name_end;
    const std::string name = LowerCopy(html.substr(name_start, name_end - name_start));
    const std::string_view inside = html.substr(name_end, end - 1 - name_end);
    switch (KindOf(name)) {
      case TKind::kInline:
        break;
      case TKind::kBreak:
        writer.Break();
        break;
      case TKind::kBlock:
        writer.Block();
        break;
      case TKind::kParagraph:
        writer.Paragraph();
        break;
      case TKind::kCell:
        if (!closing) writer.Cell();
        break;
      case TKind::kItem:
        if (!closing) writer.Item();
        break;
      case TKind::kList:
        if (closing) writer.CloseList();
        else writer.OpenList(name == "ol");
        break;
      case TKind::kLink:
        if (closing) writer.CloseLink();
        else writer.OpenLink(Attribute(inside, "href"));
        break;
      case TKind::kImage:
        writer.Text(" " + Attribute(inside, "alt") + " ");
        break;
      case TKind::kPre:
        if (closing) writer.ClosePre();
        else writer.OpenPre();
        break;
      case TKind::kSkip:
        if (!closing) {
          const std::size_t skipped = SkippedEnd(html, pos, name);
          // A <head> that never ends is read on; other dropped elements run to the end.
          if (skipped != std::string_view::npos) pos = skipped;
          else if (name != "head") pos = html.size();
        }
        break;
    }
  }
  return writer.Finish();
}

}  // namespace vesko

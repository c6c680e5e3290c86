#include "mail/MIMEItem.h"

#include <algorithm>
#include <utility>

#include "mail/TextUtil.h"

namespace vesko {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

// Reads the line at pos: up to the next CR or the end of the text. pos moves past the CR
// and past an LF right after it; a lone LF stays inside the line.
std::string_view ReadLine(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  const std::size_t cr = text.find('\r', pos);
  if (cr == std::string_view::npos) {
    pos = text.size();
    return text.substr(start);
  }
  pos = cr + 1;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return text.substr(start, cr - start);
}

// Skips delimiters, takes the run up to the next delimiter, and moves pos one past that
// delimiter (or to the end of the text).
std::string_view ReadToken(std::string_view text, std::size_t& pos, std::string_view delimiters) {
  pos = std::min(text.find_first_not_of(delimiters, pos), text.size());
  const std::size_t start = pos;
  pos = std::min(text.find_first_of(delimiters, pos), text.size());
  const std::string_view token = text.substr(start, pos - start);
  if (pos < text.size()) ++pos;
  return token;
}

bool IsBoundaryLineOf(std::string_view line, std::string_view boundary) {
  return line.starts_with("--") && line.substr(2).starts_with(boundary);
}

// Walks the parameters of a header field value: `name=value`, `name="value"`, and names
// without a value before a ";" (such as the leading `text/plain`). The positions of the
// next "=" and ";" are remembered, so a long list is scanned in linear time.
class TParameterScanner {
 public:
  explicit TParameterScanner(std::string_view text)
      : text_(text), equals_(text.find('=')), semicolon_(text.find(';')) {}

  // Reads the next parameter; false when none is left. A name without a value gives an
  // empty value.
  bool Next(std::string_view& name, std::string_view& value) {
    Skip(kBlanks);
    if (pos_ >= text_.size()) return false;
    if (equals_ != std::string_view::npos && equals_ < pos_) equals_ = text_.find('=', pos_);
    if (equals_ == std::string_view::npos) return false;
    if (semicolon_ != std::string_view::npos && semicolon_ < pos_) {
      semicolon_ = text_.find(';', pos_);
    }
    if (semicolon_ < equals_) {
      name = text_.substr(pos_, semicolon_ - pos_);
      value = {};
      pos_ = semicolon_ + 1;
      return true;
    }
    name = text_.substr(pos_, equals_ - pos_);
    pos_ = equals_ + 1;
    Skip(kBlanks);
    if (pos_ < text_.size() && text_[pos_] == '"') {
      const std::size_t start = pos_ + 1;
      const std::size_t quote = std::min(text_.find('"', start), text_.size());
      value = text_.substr(start, quote - start);
      pos_ = std::min(quote + 1, text_.size());
    } else {
      const std::size_t start = pos_;
      pos_ = std::min(text_.find_first_of(" \t\r\n;", start), text_.size());
      value = text_.substr(start, pos_ - start);
    }
    Skip(" \t\r\n;");
    return true;
  }

 private:
  void Skip(std::string_view set) {
    pos_ = std::min(text_.find_first_not_of(set, pos_), text_.size());
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t equals_;
  std::size_t semicolon_;
};

}  // namespace

TMIMEItem::TMIMEItem() = default;
TMIMEItem::~TMIMEItem() = default;

void TMIMEItem::Clear() {
  header_.clear();
  body_.clear();
  epilogue_.clear();
  children_.clear();
}

void TMIMEItem::Parse(std::string_view mail) {
  content_type_.clear();
  subtype_.clear();
  boundary_.clear();
  ParseEntity(mail, 0, {}, 0);
}

std::size_t TMIMEItem::ParseEntity(std::string_view text, std::size_t pos,
                                   std::string_view parent_boundary, int depth) {
  Clear();
  std::string type;
  const std::size_t header_end = ParseHeader(text, pos, type);
  if (header_end == std::string_view::npos) return text.size();  // no blank line: all header
  pos = header_end;
  if (!EqualsNoCase(type, "multipart") && parent_boundary.empty()) {
    AppendLines(body_, text.substr(pos));
    return text.size();
  }

  // Body mode. Text from body_start up to the next boundary line belongs to this entity.
  std::size_t body_start = pos;
  const auto take_body_chunk = [&](std::size_t until) {
    AppendLines(body_, text.substr(body_start, until - body_start));
  };
  for (;;) {
    // Starting two characters back finds a boundary line right after the line just read.
    const std::size_t found = text.find("\r\n--", pos >= 2 ? pos - 2 : 0);
    if (found == std::string_view::npos) {
      take_body_chunk(text.size());
      return text.size();
    }
    const std::size_t line_start = found + 2;
    pos = line_start;
    const std::string_view line = ReadLine(text, pos);
    const std::string_view rest = line.substr(2);

    if (!boundary_.empty()) {
      if (rest == boundary_ && depth < kMaxNesting) {
        take_body_chunk(line_start);
        auto child = std::make_unique<TMIMEItem>();
        pos = child->ParseEntity(text, pos, boundary_, depth + 1);
        if (!children_.empty()) children_.back()->next_ = child.get();
        children_.push_back(std::move(child));
        body_start = pos;
        continue;
      }
      if (rest.starts_with(boundary_) && rest.substr(boundary_.size()).starts_with("--")) {
        take_body_chunk(line_start);
        if (parent_boundary.empty()) return pos;  // the rest of the mail is dropped
        while (pos < text.size()) {
          const std::size_t epilogue_line = pos;
          const std::string_view next_line = ReadLine(text, pos);
          if (IsBoundaryLineOf(next_line, parent_boundary)) return epilogue_line;
          epilogue_.emplace_back(next_line);
        }
        return pos;
      }
    }
    if (!parent_boundary.empty() && rest.starts_with(parent_boundary)) {
      take_body_chunk(line_start);
      return line_start;  // the parent reads this line again
    }
    // Any other "--" line is ordinary body text.
  }
}

// Reads header lines from pos. Returns the position after the blank line that ends the
// header, or npos when the text ends first. `type` gets the type token of the last
// "Content-Type:" line.
std::size_t TMIMEItem::ParseHeader(std::string_view text, std::size_t pos, std::string& type) {
  constexpr std::string_view kContentType = "Content-Type:";
  while (pos < text.size()) {
    const std::string_view first = ReadLine(text, pos);
    if (first.empty()) {
      header_.emplace_back();
      return pos;
    }
    std::string line(first);
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
      line += "\r\n";
      line += ReadLine(text, pos);
    }
    if (line.size() >= kContentType.size() &&
        EqualsNoCase(std::string_view(line).substr(0, kContentType.size()), kContentType)) {
      TakeContentType(std::string_view(line).substr(kContentType.size()), type);
    }
    header_.push_back(std::move(line));
  }
  return std::string_view::npos;
}

void TMIMEItem::TakeContentType(std::string_view field, std::string& type) {
  std::size_t pos = 0;
  const std::string_view type_token = ReadToken(field, pos, "/ \t");
  const std::string_view subtype_token = ReadToken(field, pos, "; \r\n\t");
  type = type_token;
  if (type_token.empty() || subtype_token.empty()) return;
  content_type_ = type_token;
  subtype_ = subtype_token;
  TParameterScanner scanner(field.substr(pos));
  std::string_view name, value;
  while (scanner.Next(name, value)) {
    if (EqualsNoCase(name, "boundary")) boundary_ = value;
  }
}

const TMIMEItem* TMIMEItem::FindPart(std::string_view type, std::string_view subtype) const {
  // Siblings are walked in a loop and only children recurse, so the stack depth stays
  // bounded by the nesting.
  for (const TMIMEItem* node = this; node != nullptr; node = node->next_) {
    if ((type.empty() || EqualsNoCase(node->content_type_, type)) &&
        (subtype.empty() || EqualsNoCase(node->subtype_, subtype))) {
      return node;
    }
    if (const TMIMEItem* child = node->first_child()) {
      if (const TMIMEItem* found = child->FindPart(type, subtype)) return found;
    }
  }
  return nullptr;
}

TMIMEItem* TMIMEItem::FindPart(std::string_view type, std::string_view subtype) {
  return const_cast<TMIMEItem*>(std::as_const(*this).FindPart(type, subtype));
}

std::string TMIMEItem::GetHeader(std::string_view name) const {
  for (const std::string& entry : header_) {
    if (entry.size() > name.size() && entry[name.size()] == ':' &&
        EqualsNoCase(std::string_view(entry).substr(0, name.size()), name)) {
      const std::size_t start = entry.find_first_not_of("\t\n\r ", name.size() + 1);
      return start == std::string::npos ? std::string() : entry.substr(start);
    }
  }
  return {};
}

std::string TMIMEItem::GetParameter(std::string_view field_value, std::string_view name) {
  TParameterScanner scanner(field_value);
  std::string_view parameter, value;
  while (scanner.Next(parameter, value)) {
    if (EqualsNoCase(parameter, name)) return std::string(value);
  }
  return {};
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  AppendLines(lines, text);
  return lines;
}

}  // namespace vesko

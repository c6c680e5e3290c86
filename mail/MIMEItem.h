// TMIMEItem is one entity of a mail's MIME tree: its header lines, its body lines, its
// media type, subtype and multipart boundary, its first child part and its next sibling.
// Parse() reads the whole raw mail (CR LF line ends, as the host hands it over) in one
// forward pass and builds the tree; it decodes nothing and never fails on malformed input.
// A node owns its lists and its child parts. The text given to Parse() is only read during
// the call; every list holds copies.
//
// Hostile mails are bounded: multipart nesting stops at kMaxNesting levels (a deeper part
// stays body text of its parent), and parsing takes time linear in the mail's size.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vesko {

class TMIMEItem {
 public:
  // Sub-parts nested deeper than this are kept as body text of the entity at this depth.
  static constexpr int kMaxNesting = 64;

  TMIMEItem();
  ~TMIMEItem();
  TMIMEItem(const TMIMEItem&) = delete;
  TMIMEItem& operator=(const TMIMEItem&) = delete;

  // Reads the whole raw mail into this node, the root (no parent boundary). Any earlier
  // content of the node is dropped first.
  void Parse(std::string_view mail);

  // The first entity in depth-first pre-order (this node, its first child's subtree, then
  // its next sibling's) whose type and subtype equal the given ones, ignoring ASCII case;
  // an empty type or subtype matches any. nullptr when there is none.
  const TMIMEItem* FindPart(std::string_view type, std::string_view subtype) const;
  TMIMEItem* FindPart(std::string_view type, std::string_view subtype);

  // The value of the first header field called `name` (ASCII case ignored), with leading
  // blanks, CR and LF skipped; a folded value keeps its inner CR LF. Empty when absent.
  std::string GetHeader(std::string_view name) const;

  // The value of the first parameter called `name` (ASCII case ignored) in a header field
  // value such as `text/plain; charset="iso-2022-jp"`, without its quotes. Empty if none.
  static std::string GetParameter(std::string_view field_value, std::string_view name);

  const std::string& content_type() const { return content_type_; }
  const std::string& subtype() const { return subtype_; }
  const std::string& boundary() const { return boundary_; }
  // One entry per logical header line (folded lines joined by CR LF), ending with one
  // empty entry for the blank line that closed the header.
  const std::vector<std::string>& header() const { return header_; }
  // The entity's own body lines, without line ends (for a multipart entity: its preamble).
  const std::vector<std::string>& body() const { return body_; }
  // For a nested multipart entity: the lines after its closing boundary line.
  const std::vector<std::string>& epilogue() const { return epilogue_; }
  const TMIMEItem* first_child() const { return children_.empty() ? nullptr : children_[0].get(); }
  const TMIMEItem* next() const { return next_; }

  // Replaces the body lines, for callers that decode a part in place.
  void set_body(std::vector<std::string> lines) { body_ = std::move(lines); }

 private:
  // Reads one entity from text[pos...] and returns the position where it stopped.
  std::size_t ParseEntity(std::string_view text, std::size_t pos,
                          std::string_view parent_boundary, int depth);
  std::size_t ParseHeader(std::string_view text, std::size_t pos, std::string& type);
  void TakeContentType(std::string_view field, std::string& type);
  void Clear();

  std::string content_type_;
  std::string subtype_;
  std::string boundary_;
  std::vector<std::string> header_;
  std::vector<std::string> body_;
  std::vector<std::string> epilogue_;
  // The children in order. Each child's next_ points at its following sibling; holding
  // them here keeps destruction depth bounded by the nesting, not by the sibling count.
  std::vector<std::unique_ptr<TMIMEItem>> children_;
  TMIMEItem* next_ = nullptr;
};

// Joins lines into one text, each line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
// Splits a text at CR LF, CR or LF; a final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace vesko

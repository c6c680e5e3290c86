// Arbitrary bytes as a PDB file: the header and the record list are read, and when the
// file passes as a Doc e-book its text is unpacked and its bookmark records read. Every input either reads or throws
// EVeskoError. The same bytes also go through the compressor, which must round-trip and
// must pack exactly as the plain window scan that the tests keep as the reference.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "palm/DocCompress.h"
#include "palm/DocFile.h"
#include "palm/DocReader.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "tests/support/DocCompressReference.cpp"

namespace {

const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/vesko_pdb_fuzz_" +
           std::to_string(::getpid()) + ".pdb";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vesko::platform::WriteWholeFile(ScratchPath(), bytes);
  try {
    vesko::TDocReader reader(ScratchPath());
    for (const vesko::TDocStoredBookmark& mark : reader.Bookmarks()) {
      if (mark.title.size() > vesko::kDocBookmarkTitleSize) std::abort();
    }
    const std::string text = reader.ReadText();
    (void)text;
  } catch (const vesko::EVeskoError&) {
  }

  const std::string_view piece = bytes.substr(0, vesko::kDocRecordSize);
  if (vesko::DocDecompress(vesko::DocCompress(piece)) != piece) std::abort();
  // The reference is slow; a shorter piece keeps the fuzzer quick and still crosses the
  // window's reach of 2,047 bytes.
  const std::string_view head = piece.substr(0, 2500);
  if (vesko::DocCompress(head) != vesko::testing::DocCompressReference(head)) std::abort();
  try {
    (void)vesko::DocDecompress(bytes);
  } catch (const vesko::EInvalidPalmDatabase&) {
  }
  return 0;
}

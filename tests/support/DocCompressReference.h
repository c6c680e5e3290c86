// The Doc compression of one piece written step by step as the plain scan: for every
// candidate string, a forward search through the whole window. It is slow and obviously
// right, and the fast compressor in palm/DocCompress.cpp must produce the same bytes.
// The tests and the benchmark both use it.
#pragma once

#include <string>
#include <string_view>

namespace vesko::testing {

std::string DocCompressReference(std::string_view piece);

}  // namespace vesko::testing

// Small helpers of the store readers.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vesko::tools::host {

// 16 hexadecimal digits of a 64-bit FNV-1a hash of the bytes.
std::string HashId(std::string_view bytes);
// A file name as mail ID; an over-long one is replaced by "h" and its hash.
std::string IdFromName(std::string_view name);
// Gives the second and later copies of an ID the suffix "-2", "-3", ...
void MakeIdsUnique(std::vector<std::string*> ids);

}  // namespace vesko::tools::host

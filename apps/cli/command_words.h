#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// "--name value" or "--name=value" at words[i]; on a match `value` is set
// and `i` is left on the last word used.
[[nodiscard]] bool TakeCommandValue(const std::vector<std::string>& words, std::size_t& i,
                                    std::string_view name, std::string* value);

void Err(const std::string& line);
void Out(const std::string& line);

}  // namespace velmora::cli

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// "--name value" or "--name=value" at words[i]; on a match `value` is set
// and `i` is left on the last word used.
[[nodiscard]] bool TakeCommandValue(const std::vector<std::string>& words, std::size_t& i,
                                    std::string_view name, std::string* value);

// A command that takes at most one word after its name, `flag`: whether it
// was given; nullopt for anything else there (a usage error).
[[nodiscard]] std::optional<bool> OptionalFlag(const std::vector<std::string>& words,
                                               std::string_view flag);

void Err(const std::string& line);
void Out(const std::string& line);

}  // namespace velmora::cli

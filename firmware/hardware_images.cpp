#include "firmware/hardware_images.h"

#include <filesystem>
#include <system_error>

#include "core/text.h"

namespace velmora::firmware {

namespace {

constexpr std::string_view kExtension = ".frh";
constexpr std::string_view kImageFolder = "fw";

std::string_view FileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool FolderHoldsImage(const std::string& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->is_regular_file(ec) && IsImageName(it->path().filename().string())) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string DefaultImagePath(const core::PathTable& paths, int generation) {
  switch (generation) {
    case 0:
      return paths.fw_old;
    case 2:
      return paths.fw_3rd;
    case 3:
      return paths.fw_nex;
    default:
      return paths.default_firmware;
  }
}

int MissingImageCode(std::string_view path, int generation) {
  for (const HardwareImage& image : kHardwareImages) {
    if (core::EqualsNoCase(FileName(path), image.file)) {
      return image.missing_code;
    }
  }
  for (const HardwareImage& image : kHardwareImages) {
    if (image.generation == generation) {
      return image.missing_code;
    }
  }
  return 0;
}

bool IsImageName(std::string_view path) {
  const std::string_view name = FileName(path);
  return name.size() > kExtension.size() &&
         core::EqualsNoCase(name.substr(name.size() - kExtension.size()), kExtension);
}

bool FirmwareOffered(const core::PathTable& paths) {
  return FolderHoldsImage(paths.bin) ||
         FolderHoldsImage(paths.bin + core::kSep + std::string(kImageFolder));
}

}  // namespace velmora::firmware

#include "acq/logger_texts.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/text_block.h"

namespace velmora::acq {

namespace {

template <class Texts, std::size_t N>
Texts Take(const core::ClsLingue& lingue,
           const std::array<std::pair<int, std::string Texts::*>, N>& table) {
  Texts t;
  const core::TextBlock block(lingue, logger_text::kMarker);
  for (const auto& [index, member] : table) {
    block.Take(index, t.*member);
  }
  return t;
}

using L = LoggerTexts;
constexpr std::array<std::pair<int, std::string L::*>, 35> kLoggerEntries = {{
    {1, &L::caption},      {2, &L::start},         {3, &L::stop},           {4, &L::save},
    {5, &L::open},         {6, &L::export_text},   {7, &L::reset},          {8, &L::next},
    {9, &L::prev},         {10, &L::zoom_in_time}, {11, &L::zoom_out_time}, {12, &L::gain_up},
    {13, &L::gain_down},   {14, &L::move_up},      {15, &L::move_down},     {16, &L::variables},
    {17, &L::time},        {18, &L::channel},      {19, &L::recording},     {20, &L::unsaved},
    {21, &L::rebuilding},  {22, &L::companion},    {23, &L::view_files},    {24, &L::export_done},
    {25, &L::no_samples},  {26, &L::export_csv},   {27, &L::export_png},    {28, &L::cursor_a},
    {29, &L::cursor_b},    {30, &L::difference},   {31, &L::write_failed},  {32, &L::read_failed},
    {33, &L::save_failed}, {34, &L::records},      {35, &L::fit},
}};

using R = ReplayTexts;
constexpr std::array<std::pair<int, std::string R::*>, 16> kReplayEntries = {{
    {36, &R::caption},
    {37, &R::play},
    {38, &R::stop},
    {39, &R::play_speed},
    {40, &R::speed},
    {41, &R::open},
    {42, &R::too_short},
    {43, &R::step},
    {44, &R::no_file},
    {45, &R::answers},
    {46, &R::values},
    {54, &R::live_record},
    {55, &R::block2},
    {56, &R::block3},
    {57, &R::obd_data},
    {58, &R::recording},
}};
constexpr int kFirstValueName = 47;

// Every line of the tables names a text: a line left out would be empty.
template <class Table>
constexpr bool Complete(const Table& table) {
  return std::ranges::all_of(table,
                             [](const auto& e) { return e.first > 0 && e.second != nullptr; });
}
static_assert(Complete(kLoggerEntries) && Complete(kReplayEntries));

}  // namespace

LoggerTexts LoggerTextsFrom(const core::ClsLingue& lingue) {
  return Take<LoggerTexts>(lingue, kLoggerEntries);
}

ReplayTexts ReplayTextsFrom(const core::ClsLingue& lingue) {
  ReplayTexts t = Take<ReplayTexts>(lingue, kReplayEntries);
  const core::TextBlock block(lingue, logger_text::kMarker);
  for (std::size_t i = 0; i < t.value_names.size(); ++i) {
    block.Take(kFirstValueName + static_cast<int>(i), t.value_names[i]);
  }
  return t;
}

}  // namespace velmora::acq

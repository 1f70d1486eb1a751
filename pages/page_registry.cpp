#include "pages/page_registry.h"

#include "core/text_block.h"

namespace velmora::pages {

std::string TextOf(const DictText& text, const core::ClsLingue& lingue) {
  return core::TextBlock(lingue, text.marker).Text(text.index, text.fallback);
}

PageRegistry::PageRegistry(std::span<const PageInfo> pages) {
  for (const PageInfo& info : pages) {
    if (IndexOf(info.code) >= 0) {
      continue;
    }
    Page page{info, -1, nullptr};
    if (info.row == kOwnRow) {
      page.row = static_cast<int>(rows_.size());
      rows_.push_back(pages_.size());
    } else if (const int owner = IndexOf(info.row); owner >= 0) {
      page.row = pages_[static_cast<std::size_t>(owner)].row;
    }
    pages_.push_back(std::move(page));
  }
}

int PageRegistry::IndexOf(int code) const {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i].info.code == code) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void PageRegistry::SetModel(int code, std::unique_ptr<PageModel> model) {
  if (const int i = IndexOf(code); i >= 0) {
    pages_[static_cast<std::size_t>(i)].model = std::move(model);
  }
}

PageModel* PageRegistry::Model(int code) const {
  const int i = IndexOf(code);
  return i < 0 ? nullptr : pages_[static_cast<std::size_t>(i)].model.get();
}

const PageInfo& PageRegistry::RowInfo(std::size_t row) const {
  return pages_[rows_[row]].info;
}

int PageRegistry::RowOf(int code) const {
  const int i = IndexOf(code);
  return i < 0 ? -1 : pages_[static_cast<std::size_t>(i)].row;
}

int PageRegistry::RowOpens(std::size_t row) const {
  if (row >= rows_.size()) {
    return -1;
  }
  const Page& owner = pages_[rows_[row]];
  if (owner.model == nullptr) {
    return owner.info.code;
  }
  // Only a page of this row may be opened through it.
  const int code = owner.model->RowOpens(owner.info.code);
  return RowOf(code) == static_cast<int>(row) ? code : owner.info.code;
}

template <class Hook>
bool PageRegistry::ForPage(int code, Hook hook) {
  PageModel* model = Model(code);
  if (model == nullptr) {
    return false;
  }
  hook(*model);
  return true;
}

template <class Hook>
void PageRegistry::ForAll(Hook hook) {
  for (Page& page : pages_) {
    if (page.model != nullptr) {
      hook(*page.model);
    }
  }
}

bool PageRegistry::Shown(int code) {
  return ForPage(code, [](PageModel& m) { m.Shown(); });
}

bool PageRegistry::LiveTick(int code) {
  return ForPage(code, [](PageModel& m) { m.LiveTick(); });
}

bool PageRegistry::Refresh(int code) {
  return ForPage(code, [](PageModel& m) { m.Refresh(); });
}

void PageRegistry::SetEnabled(bool enable) {
  ForAll([enable](PageModel& m) { m.SetEnabled(enable); });
}

void PageRegistry::CalibrationRead() {
  ForAll([](PageModel& m) { m.CalibrationRead(); });
}

void PageRegistry::MapWritten(int map, bool ok) {
  ForAll([map, ok](PageModel& m) { m.MapWritten(map, ok); });
}

void PageRegistry::Closing() {
  ForAll([](PageModel& m) { m.Closing(); });
}

}  // namespace velmora::pages

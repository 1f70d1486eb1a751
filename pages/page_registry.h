#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"

namespace velmora::pages {

// A text of the dictionary: text `index` of the block after `marker`, or
// `fallback` when the dictionary lacks it.
struct DictText {
  std::string_view marker;
  int index = 0;
  std::string_view fallback;
};

[[nodiscard]] std::string TextOf(const DictText& text, const core::ClsLingue& lingue);

// A page's behaviour without its window. Every hook does nothing unless the
// page needs it; the window shows the page's view again after each hook
// that reached the page.
class PageModel {
 public:
  PageModel() = default;
  virtual ~PageModel() = default;
  PageModel(const PageModel&) = delete;
  PageModel& operator=(const PageModel&) = delete;

  // The page came to the front (SelezioneScheda).
  virtual void Shown() {}
  // A tick of the user-interface timer while connected, page in front.
  virtual void LiveTick() {}
  // The session wrote what the page shows (RefreshPage with its code).
  virtual void Refresh() {}
  // The working pages on or off together (EnablePages). A page that takes
  // part keeps the flag and answers it in Enabled.
  virtual void SetEnabled(bool /*enable*/) {}
  [[nodiscard]] virtual bool Enabled() const { return true; }
  // The full read of a connection: the calibration image is new.
  virtual void CalibrationRead() {}
  // The session wrote map `map` (0..2), or failed to.
  virtual void MapWritten(int /*map*/, bool /*ok*/) {}
  // The page a click on this page's navigation row opens; `own` is this
  // page's code. A map opens the view its flag chooses.
  [[nodiscard]] virtual int RowOpens(int own) const { return own; }
  // The program ends (the session's exit sequence): the page closes its
  // files.
  virtual void Closing() {}
};

// A page whose `row` is kOwnRow has a navigation row, a menu entry and a
// shortcut of its own; another page shares the row of the page `row` names.
inline constexpr int kOwnRow = -1;

// What the registry knows of a page besides its model and view.
struct PageInfo {
  int code = 0;               // SelezioneScheda's code, RefreshPage's identifier
  std::string_view name;      // the file name of its screenshot
  int row = kOwnRow;          // kOwnRow, or the code of the page whose row it shares
  DictText nav;               // its row's text (own row only)
  std::string_view shortcut;  // portable key text, as "F5" or "Ctrl+L" (own row only)
};

// One line of a program's page table. The model is made without windows;
// only the view factory's type belongs to the program's user interface.
template <class Env, class ViewFactory>
struct PageEntry {
  PageInfo info;
  std::unique_ptr<PageModel> (*model)(Env& env, int code) = nullptr;
  ViewFactory view{};
};

// Whether line `i` is the first of its code: a code listed twice keeps its
// first line.
template <class Entry>
[[nodiscard]] bool FirstOfCode(std::span<const Entry> table, std::size_t i) {
  for (std::size_t j = 0; j < i; ++j) {
    if (table[j].info.code == table[i].info.code) {
      return false;
    }
  }
  return true;
}

template <class Env, class ViewFactory>
[[nodiscard]] std::vector<PageInfo> InfosOf(std::span<const PageEntry<Env, ViewFactory>> table) {
  std::vector<PageInfo> infos;
  infos.reserve(table.size());
  for (const auto& entry : table) {
    infos.push_back(entry.info);
  }
  return infos;
}

// The pages of the program in table order, their navigation rows and their
// models, and the session's calls handed on to the models.
class PageRegistry {
 public:
  // A code listed twice keeps its first line; a page sharing the row of a
  // code that has no row of its own has no row.
  explicit PageRegistry(std::span<const PageInfo> pages);

  [[nodiscard]] std::size_t Size() const { return pages_.size(); }
  [[nodiscard]] const PageInfo& Info(std::size_t index) const { return pages_[index].info; }
  // -1 for a code no page has.
  [[nodiscard]] int IndexOf(int code) const;

  // Makes every page's model with `env`, replacing any made before.
  template <class Env, class ViewFactory>
  void MakeModels(std::span<const PageEntry<Env, ViewFactory>> table, Env& env) {
    for (std::size_t i = 0; i < table.size(); ++i) {
      const auto& entry = table[i];
      if (FirstOfCode(table, i)) {
        SetModel(entry.info.code,
                 entry.model != nullptr ? entry.model(env, entry.info.code) : nullptr);
      }
    }
  }
  void SetModel(int code, std::unique_ptr<PageModel> model);
  // Null for an unknown code or before the model was made.
  [[nodiscard]] PageModel* Model(int code) const;

  // Navigation rows in table order; a row is its first page's.
  [[nodiscard]] std::size_t RowCount() const { return rows_.size(); }
  [[nodiscard]] const PageInfo& RowInfo(std::size_t row) const;
  // The row that shows `code`; -1 for none.
  [[nodiscard]] int RowOf(int code) const;
  // The code a click on `row` opens; -1 for no such row.
  [[nodiscard]] int RowOpens(std::size_t row) const;

  // The hooks for one page: false when it has no model.
  bool Shown(int code);
  bool LiveTick(int code);
  bool Refresh(int code);
  // The hooks for every page.
  void SetEnabled(bool enable);
  void CalibrationRead();
  void MapWritten(int map, bool ok);
  void Closing();

 private:
  struct Page {
    PageInfo info;
    int row = -1;
    std::unique_ptr<PageModel> model;
  };
  template <class Hook>
  bool ForPage(int code, Hook hook);
  template <class Hook>
  void ForAll(Hook hook);

  std::vector<Page> pages_;
  std::vector<std::size_t> rows_;  // index of each row's page
};

}  // namespace velmora::pages

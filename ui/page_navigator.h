#pragma once

#include <QObject>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "pages/page_registry.h"
#include "ui/page_view.h"
#include "ui/window_registry.h"

class QAction;
class QListWidget;
class QMenu;
class QStackedWidget;
class QWidget;

namespace velmora::ui {

// The Qt side of a page table: the navigation list, the page stack and the
// Pages menu with the pages' shortcuts, all built from the table, and the
// pages' views beside the registry of their models.
class PageNavigator {
 public:
  // `select` is the window's page switch, called with the code a row or a
  // menu entry opens.
  PageNavigator(std::span<const WorkstationPage> table, std::function<void(int)> select);
  ~PageNavigator();
  PageNavigator(const PageNavigator&) = delete;
  PageNavigator& operator=(const PageNavigator&) = delete;

  // The navigation list beside the page stack, for the window's centre.
  [[nodiscard]] QWidget* TakeWidget();
  // One entry per navigation row, with the row's shortcut.
  void FillMenu(QMenu& menu);
  // Makes every page's model with `env` and its view with `views`; the
  // views that take the dictionary's texts join `windows`.
  void MakePages(PageEnv env, const ViewEnv& views, WindowRegistry& windows);
  // The rows' and menu entries' texts in the chosen language.
  void CaricaLingua(const core::ClsLingue& lingue);

  // Brings the page to the front (its model told first); false, with
  // nothing changed, for a code without a view.
  bool Show(int code);
  // The page's view shows its model again, enabled as the model says.
  void Refresh(int code);
  void RefreshAll();

  // The registry's hooks, each view they reached shown again.
  void LiveTick(int code);
  void RefreshPage(int code);
  void SetEnabled(bool enable);
  void CalibrationRead();
  void MapWritten(int map, bool ok);

  [[nodiscard]] pages::PageRegistry& Registry() { return registry_; }
  [[nodiscard]] const pages::PageRegistry& Registry() const { return registry_; }
  [[nodiscard]] QWidget* Widget(int code) const;
  [[nodiscard]] QAction* RowAction(std::size_t row) const { return actions_.at(row); }

 private:
  std::span<const WorkstationPage> table_;
  std::function<void(int)> select_;
  pages::PageRegistry registry_;
  std::vector<PageView> views_;  // by registry index
  QWidget* centre_;
  QListWidget* nav_;
  QStackedWidget* stack_;
  std::vector<QAction*> actions_;  // by navigation row
  // The rows' and menu entries' connections end with the navigator, though
  // the widgets stay a while longer with the window.
  QObject context_;
};

}  // namespace velmora::ui

#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "core/startup.h"
#include "firmware/update_request.h"
#include "link/port_discovery.h"
#include "maps/map_page_env.h"
#include "pages/page_registry.h"
#include "session/request_table.h"
#include "tuning/autotune_run.h"

class QWidget;

namespace velmora::ui {

// What a page's view asks of the workstation around it.
class ShellActions {
 public:
  virtual ~ShellActions() = default;
  // Every open window takes the dictionary's texts again.
  virtual void RecaptionAll() = 0;
  virtual void ToggleConnection() = 0;
  // Line `line` of the port selector showing `listing` was chosen.
  virtual void ChoosePort(const link::PortListing& listing, std::size_t line) = 0;
  virtual void OpenSwitchOverDialog() = 0;
};

// What a view is made with. Nothing is owned.
struct ViewEnv {
  core::StartupState& state;  // the dictionary and the application title
  ShellActions& shell;
};

// A page's view: its widget (owned by the window's page stack once added)
// and what shows the model's state again. An empty widget leaves the page
// out.
struct PageView {
  QWidget* widget = nullptr;
  std::function<void()> refresh;
};

// What every page model of the workstation is made with: the environment
// every page shares (the calibration image, the message table, the session
// as a page sees it with its request table, the window services, the
// message box, the clock, the dictionary and the folders), and the map
// pages' own, which adds the axis editor.
struct PageEnv {
  pages::PageEnv& page;
  maps::MapPageEnv& maps;
  // The link and the calibration procedures the firmware update runs on;
  // null where nothing can be updated (tests of other pages).
  const firmware::FirmwareLinks* firmware = nullptr;
  // What the auto-tuning runs on; null where it cannot run.
  const tuning::TuningLinks* tuning = nullptr;
};
using ViewFactory = PageView (*)(const ViewEnv& env, pages::PageModel& model);
// One line of the workstation's page table.
using WorkstationPage = pages::PageEntry<PageEnv, ViewFactory>;

// The model a view factory was paired with in its table line; null when
// the line pairs it with another kind of model.
template <class Model>
[[nodiscard]] Model* ModelOf(pages::PageModel& model) {
  return dynamic_cast<Model*>(&model);
}

// The workstation's pages, in the order of the navigation list.
[[nodiscard]] std::span<const WorkstationPage> WorkstationPages();

}  // namespace velmora::ui

#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "firmware/update_request.h"
#include "maps/map_page_env.h"
#include "pages/page_services.h"
#include "session/request_table.h"
#include "tuning/autotune_run.h"

namespace velmora::ui {

class FrmChangeAxisDialog;
class FrmEnterValue;

// What the pages work on. Nothing is owned.
struct PageLinks {
  calib::CalibrationImage& image;
  link::MessageTable& table;
  pages::PageSession& session;
  session::RequestTable& requests;  // where pages register their request codes
  platform::MessageBox& box;
  platform::Clock& clock;
  const core::ClsLingue& lingue;
  const core::PathTable& paths;
  const calib::CoefficientList* coefficients = nullptr;  // may be null
  std::string lng_dir;
  std::string main_title;
  const core::ConfigScale* scale = nullptr;           // may be null
  const firmware::FirmwareLinks* firmware = nullptr;  // may be null
  const tuning::TuningLinks* tuning = nullptr;        // may be null
};

// The window services every page model asks for: the value entry dialog
// the pages share, the beep, the page switch and the axis editor; and the
// page environment the models are made with.
class PageWindowServices final : public maps::MapPageWindow {
 public:
  // `select_page` is the main window's page switch; `parent` owns the
  // dialogs; `version_text` follows the dialogs' titles.
  PageWindowServices(const PageLinks& links, const std::string& version_text,
                     std::function<void(int)> select_page, QWidget* parent);
  ~PageWindowServices() override;
  PageWindowServices(const PageWindowServices&) = delete;
  PageWindowServices& operator=(const PageWindowServices&) = delete;

  [[nodiscard]] pages::PageEnv& Env() { return pages_env_; }
  [[nodiscard]] maps::MapPageEnv& MapEnv() { return env_; }
  [[nodiscard]] session::RequestTable& Requests() { return requests_; }
  [[nodiscard]] FrmEnterValue& EnterValue() const { return *enter_value_; }
  // Opens the value entry dialog without waiting for it, `text` in its box
  // selected; its answer goes to the dialog's done handler.
  void OfferValue(const pages::Limits& limits, int option, const std::string& text);
  void CloseDialogs();
  // The axis editor over the pages' environment, not yet shown.
  [[nodiscard]] std::unique_ptr<FrmChangeAxisDialog> NewAxisEditor() const;

  // maps::MapPageWindow
  [[nodiscard]] pages::EnteredValue AskValue(const pages::Limits& limits, int option) override;
  void Beep(int hertz, int milliseconds) override;
  void SelezioneScheda(int page_code) override;
  void RefreshPage(int page_code) override;
  void OpenAxisEditor() override;
  [[nodiscard]] std::string ChooseFile(const pages::FileChoice& choice) override;

  // The main window's page refresh, which RefreshPage hands on.
  void SetRefreshPage(std::function<void(int)> refresh) { refresh_page_ = std::move(refresh); }

 private:
  const core::ClsLingue& lingue_;
  std::unique_ptr<FrmEnterValue> enter_value_;
  std::function<void(int)> select_page_;
  std::function<void(int)> refresh_page_;
  QWidget* parent_;
  session::RequestTable& requests_;
  pages::PageEnv pages_env_;
  maps::MapPageEnv env_;
};

}  // namespace velmora::ui

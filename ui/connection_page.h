#pragma once

#include <QWidget>
#include <functional>

#include "core/dictionary.h"
#include "core/text_block.h"
#include "pages/ecu_summary.h"
#include "ui/window_registry.h"

class QLabel;
class QPushButton;

namespace velmora::ui {

class CardFrame;
class FrmKvxConnected;

// The connection page of the main window: the link's state, picture and
// port selector, and beside them what the ECU in hand is, with its
// switch-over temperature that can be changed from here.
class ConnectionPage : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // `lingue` may be null (built-in texts); it is not owned.
  explicit ConnectionPage(const core::ClsLingue* lingue = nullptr, QWidget* parent = nullptr);

  void CaricaLingua() override;

  [[nodiscard]] FrmKvxConnected* Link() const { return link_; }
  void ShowEcu(const pages::EcuSummary& summary);
  void SetOnChangeSwitchOver(std::function<void()> handler) { on_change_ = std::move(handler); }
  void SetSwitchOverEnabled(bool enabled);

  [[nodiscard]] QLabel* SwitchOverValue() const { return switch_over_; }
  [[nodiscard]] QPushButton* ChangeButton() const { return change_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  [[nodiscard]] QString Text(int k, const char* fallback) const;
  void SyncHeights();

  const core::ClsLingue* lingue_;
  core::TextBlock texts_;
  FrmKvxConnected* link_;
  CardFrame* link_card_ = nullptr;  // the link page's own card
  CardFrame* card_;
  QLabel* identification_caption_;
  QLabel* version_caption_;
  QLabel* hardware_caption_;
  QLabel* port_caption_;
  QLabel* switch_over_caption_;
  QLabel* identification_;
  QLabel* version_;
  QLabel* hardware_;
  QLabel* port_;
  QLabel* switch_over_;
  QPushButton* change_;
  std::function<void()> on_change_;
};

}  // namespace velmora::ui

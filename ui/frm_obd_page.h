#pragma once

#include <QWidget>
#include <array>

#include "diag/frm_obd.h"
#include "ui/window_registry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velmora::ui {

class CardFrame;
class FrmInitObd;
class ObdLiveCard;

// The OBD page: the link's settings and its technical data, the live fuel
// trims and fuel-system status, the adaptation settings and, behind the
// advanced switch, the trouble codes and the malfunction lamp; over a
// diag::FrmObd that does all the work.
class FrmObdPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // `title` captions FrmInitObd. Nothing is owned.
  FrmObdPage(diag::FrmObd& page, QString title, QWidget* parent = nullptr);
  ~FrmObdPage() override;

  void CaricaLingua() override;
  void Refresh();

  // The combo of a combo control, the box of a box control; null otherwise.
  [[nodiscard]] QComboBox* Combo(diag::ObdControl id) const;
  [[nodiscard]] QCheckBox* Check(diag::ObdControl id) const;
  [[nodiscard]] QPushButton* RunButton() const { return run_; }
  [[nodiscard]] QPushButton* AdvancedButton() const { return advanced_; }
  [[nodiscard]] QPushButton* MapButton() const { return map_; }
  [[nodiscard]] QLineEdit* DtcBox() const { return dtc_; }
  [[nodiscard]] QPushButton* AddDtcButton() const { return add_dtc_; }
  [[nodiscard]] QListWidget* SelectiveList() const { return selective_; }
  [[nodiscard]] QLabel* TechnicalData() const { return technical_; }
  [[nodiscard]] ObdLiveCard* LiveCard() const { return live_card_; }
  [[nodiscard]] CardFrame* DtcCard() const { return dtc_card_; }
  [[nodiscard]] FrmInitObd* StartWindow() const { return start_window_; }

 private:
  void MakeControls();
  void LayOut();
  void Connect();
  void ShowControls();
  void ShowDtcs();

  diag::FrmObd& page_;
  QString title_;
  std::array<QWidget*, diag::kObdControls> controls_{};
  std::array<QLabel*, diag::kObdControls> captions_{};
  QLabel* heading_;
  QPushButton* run_;
  QPushButton* stop_;
  QPushButton* map_;
  QPushButton* advanced_;
  CardFrame* link_card_;
  QLabel* technical_;
  ObdLiveCard* live_card_;
  CardFrame* adaptation_card_;
  CardFrame* dtc_card_;
  QLineEdit* dtc_;
  QPushButton* add_dtc_;
  QListWidget* selective_;
  QPushButton* remove_dtc_;
  QLabel* stored_title_;
  QListWidget* stored_;
  QLabel* mil_;
  QLabel* notice_;
  FrmInitObd* start_window_;
};

}  // namespace velmora::ui

#pragma once

#include <QWidget>
#include <algorithm>
#include <array>

#include "core/dictionary.h"
#include "maps/frm_compensa.h"
#include "ui/window_registry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;

namespace velmora::ui {

class CardFrame;
class MapGridView;

// The colours of a value's mark: waiting for the ECU, not taken by it.
[[nodiscard]] QString MarkStyle(pages::Mark mark, const QString& widget);

// The two marks' colours with their meaning, for a page's legend.
struct MarkLegend {
  explicit MarkLegend(QWidget* parent);
  void SetTexts(const std::string& pending, const std::string& failed);
  QLabel* pending;
  QLabel* failed;
};

// FrmCompensa: a thin view over maps::FrmCompensa. The five tables as
// cards (grid, factor, centring, switch, operating point) beside the
// lean-out settings and the page-wide controls. Keys and clicks go to the
// model, then the view shows the model again.
class FrmCompensaPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // Neither is owned; `lingue` may be null (built-in texts).
  explicit FrmCompensaPage(maps::FrmCompensa& page, const core::ClsLingue* lingue = nullptr,
                           QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();

  [[nodiscard]] maps::FrmCompensa& Model() { return page_; }
  [[nodiscard]] MapGridView* Grid(int kind) const { return tables_[Index(kind)].grid; }
  [[nodiscard]] QPushButton* CentreButton(int kind) const { return tables_[Index(kind)].centre; }
  [[nodiscard]] QLineEdit* FactorBox(int kind) const { return tables_[Index(kind)].factor; }
  [[nodiscard]] QCheckBox* ActiveBox(int kind) const { return tables_[Index(kind)].active; }
  [[nodiscard]] QLabel* PointLabel(int kind) const { return tables_[Index(kind)].point; }
  [[nodiscard]] QComboBox* LeanEntry() const { return lean_entry_; }
  [[nodiscard]] QComboBox* LeanExit() const { return lean_exit_; }
  [[nodiscard]] QScrollBar* Persistence() const { return persistence_; }
  [[nodiscard]] QScrollBar* Correction() const { return correction_; }
  [[nodiscard]] QCheckBox* AbsBox() const { return abs_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Table {
    CardFrame* card = nullptr;
    MapGridView* grid = nullptr;
    QLabel* factor_label = nullptr;
    QLineEdit* factor = nullptr;
    QPushButton* centre = nullptr;
    QCheckBox* active = nullptr;
    QLabel* point = nullptr;
  };
  static std::size_t Index(int kind) {
    return static_cast<std::size_t>(std::clamp(kind, 0, maps::compensation::kKinds - 1));
  }
  [[nodiscard]] QWidget* TableCard(int kind);
  [[nodiscard]] QWidget* SidePanel();
  void ConnectTable(int kind);
  void ConnectSide();
  void ShowCaptions();
  void ShowSide();

  maps::FrmCompensa& page_;
  const core::ClsLingue* lingue_;
  std::array<Table, maps::compensation::kKinds> tables_{};
  QLabel* title_;
  QTableWidget* petrol_bar_;  // GrdBar
  CardFrame* lean_card_;
  QLabel* lean_entry_label_;
  QComboBox* lean_entry_;  // CmbSmagAccIngresso
  QLabel* lean_exit_label_;
  QComboBox* lean_exit_;  // CmbSmagAccUscita
  QLabel* persistence_label_;
  QScrollBar* persistence_;  // HSC_Permanenza
  QLabel* persistence_text_;
  QLabel* correction_label_;
  QScrollBar* correction_;  // HSC_Correzione
  QLabel* correction_text_;
  QCheckBox* abs_;  // ChkABS
  QPushButton* even_bar_;
  QPushButton* even_percent_;
  QLabel* hint_;
  MarkLegend legend_;
};

}  // namespace velmora::ui

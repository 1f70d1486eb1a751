#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "acq/frm_logger.h"
#include "core/dictionary.h"
#include "ui/window_registry.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollBar;

namespace velmora::ui {

class CardFrame;
class LoggerOverviewView;
class LoggerPlotView;

// The files the logger page asks for.
enum class LoggerFile { kSave, kOpen, kExportText, kExportCsv, kExportPicture };

// The oscilloscope logger page: the channels with their visibility switches
// and gain and position buttons, the variable list, the plot with its time
// scroll bar, zoom and cursors, the overview of the whole recording, and the
// recording, file and export buttons, over an acq::FrmLogger that does all
// the work.
class FrmLoggerPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // Neither `model` nor `lingue` (may be null: built-in texts) is owned.
  explicit FrmLoggerPage(acq::FrmLogger& model, const core::ClsLingue* lingue = nullptr,
                         QWidget* parent = nullptr);

  void CaricaLingua() override;
  // Shows the model again: buttons, channels, scroll bar, labels, plot.
  void Refresh();

  // How the page asks for a file name; empty for a cancelled dialog. A
  // file dialog unless replaced (tests).
  std::function<QString(LoggerFile)> choose_file;

  [[nodiscard]] acq::FrmLogger& Model() { return model_; }
  [[nodiscard]] QPushButton* Button(const char* name) const;
  [[nodiscard]] QCheckBox* Visibility(std::size_t channel) const { return shows_[channel]; }
  [[nodiscard]] QPushButton* Signal(std::size_t channel) const { return signals_[channel]; }
  [[nodiscard]] QListWidget* Variables() const { return variables_; }
  [[nodiscard]] QScrollBar* TimeBar() const { return scroll_; }
  [[nodiscard]] LoggerPlotView* Plot() const { return plot_; }
  [[nodiscard]] QLabel* TimeLabel() const { return time_; }
  [[nodiscard]] QLabel* CursorLabel() const { return cursor_info_; }

 public slots:
  // For pictures of the page: a recording of a minute and a quarter of a
  // synthetic engine, shown with both cursors.
  void PrepareScreenshot();

 private:
  QPushButton* AddButton(const char* name, std::function<void()> action);
  QWidget* BuildHeader();
  QWidget* BuildChannels();
  QWidget* BuildPlot();
  void Start();
  void Stop();
  void Save();
  void Open();
  void ExportText();
  void ExportCsv();
  void ExportPicture();
  void Act(void (acq::FrmLogger::*action)());
  void ShowChannels();
  void ShowCursorInfo();
  [[nodiscard]] QString Choose(LoggerFile kind);

  acq::FrmLogger& model_;
  const core::ClsLingue* lingue_;
  QLabel* title_;
  QLabel* status_;
  std::array<QCheckBox*, acq::logger::kChannels> shows_{};
  std::array<QPushButton*, acq::logger::kChannels> signals_{};
  QButtonGroup* signal_group_;
  QListWidget* variables_;
  CardFrame* channels_card_;
  CardFrame* variables_card_;
  LoggerPlotView* plot_;
  LoggerOverviewView* overview_;
  QScrollBar* scroll_;
  QLabel* time_;         // LblTime2
  QLabel* cursor_info_;  // cursor B and the difference
  QProgressBar* progress_;
  bool showing_ = false;  // the page sets its controls itself
};

// A file dialog filter of the form "description|pattern|..." as Qt takes it.
[[nodiscard]] QString QtFilter(std::string_view filter);

}  // namespace velmora::ui

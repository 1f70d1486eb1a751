#include "apps/velmora/screenshots.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QMetaObject>
#include <QPixmap>

#include "pages/frm_kvx_load_save.h"
#include "ui/file_menu.h"
#include "ui/frm_autotuning_page.h"
#include "ui/frm_change_axis.h"
#include "ui/frm_kvx_load_save.h"

namespace velmora::app {

namespace {

bool Save(QWidget& widget, const std::string& dir, std::string_view name) {
  // Let the widget lay itself out and paint before it is captured.
  QCoreApplication::processEvents();
  return widget.grab().save(QString::fromStdString(dir + "/" + std::string(name) + ".png"));
}

// How long the auto-tuning's picture waits for a run to reach its sampling.
constexpr int kMidRunWaitMs = 30'000;

}  // namespace

bool SavePageScreenshots(ui::MainWindow& window, const std::string& dir) {
  bool ok = true;
  const int shown = window.ShownPage();
  const pages::PageRegistry& pages = window.Pages();
  for (std::size_t i = 0; i < pages.Size(); ++i) {
    const pages::PageInfo& page = pages.Info(i);
    if (window.PageWidget(page.code) == nullptr) {
      continue;
    }
    window.SelezioneScheda(page.code);
    // A page that needs something to show (a recording, say) prepares it.
    QWidget* view = window.PageWidget(page.code);
    // The auto-tuning is shown in the middle of a run on the connected ECU.
    if (auto* tuning = qobject_cast<ui::FrmAutoTuningPage*>(view)) {
      ok = tuning->CaptureMidRun([&] { return Save(window, dir, page.name); }, kMidRunWaitMs) && ok;
      continue;
    }
    if (view->metaObject()->indexOfMethod("PrepareScreenshot()") >= 0) {
      QMetaObject::invokeMethod(view, "PrepareScreenshot");
    }
    ok = Save(window, dir, page.name) && ok;
  }
  if (ui::PageWindowServices* services = window.Services()) {
    const auto editor = services->NewAxisEditor();
    editor->show();
    ok = Save(*editor, dir, "axes") && ok;
    editor->hide();
  }
  if (ui::FileMenu* files = window.Files(); files != nullptr && files->Attached()) {
    const auto archive = files->NewArchiveDialog(pages::archive_mode::kSave);
    archive->show();
    // As a fitter sees it after picking a vehicle of the list.
    if (archive->Files()->count() > 0) {
      archive->Files()->setCurrentRow(0);
    }
    ok = Save(*archive, dir, "archive") && ok;
    archive->hide();
  }
  window.SelezioneScheda(shown);
  return ok;
}

}  // namespace velmora::app

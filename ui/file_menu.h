#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "calib/calibration_file.h"
#include "pages/file_menu_model.h"
#include "ui/frm_kvx_load_save.h"

class QAction;
class QMenu;
class QProgressDialog;
class QTimer;
class QWidget;

namespace velmora::ui {

// The File menu's calibration actions over pages::FileMenuModel: Open
// (Ctrl+O), Save as (Ctrl+S), the archive in its two modes, the text dump
// and the recent files, inserted before the menu's Exit once a session is
// attached; a calibration file dropped on the window opens as with Open.
// While a save or load of ours runs against the ECU a progress window
// stays up; the window's title follows the file and its unsaved edits.
class FileMenu : public QObject {
 public:
  // The scope of a load into the ECU, chosen by the user: an index of
  // pages::kLoadScopes, nullopt for cancel. Tests replace it.
  using ScopeChooser = std::function<std::optional<std::size_t>()>;

  // `before` is the menu's Exit; `window` takes the drops and owns dialogs.
  FileMenu(QMenu& menu, QAction* before, QWidget& window);
  ~FileMenu() override;

  // `recent_file` keeps the recent files; `retitle` shows the window's
  // title again.
  void Attach(pages::PageEnv& env, const std::string& recent_file, std::function<void()> retitle);
  [[nodiscard]] bool Attached() const { return model_ != nullptr; }
  void CaricaLingua();
  [[nodiscard]] QString TitleSuffix() const;

  void SetFileChooser(FileChooser chooser) { choose_ = std::move(chooser); }
  void SetScopeChooser(ScopeChooser chooser) { scope_ = std::move(chooser); }

  // The archive dialog in `mode`, not yet shown.
  [[nodiscard]] std::unique_ptr<FrmKvxLoadSaveDialog> NewArchiveDialog(int mode);
  [[nodiscard]] pages::FileMenuModel* Model() const { return model_.get(); }
  [[nodiscard]] QAction* OpenAction() const { return open_; }
  [[nodiscard]] QAction* SaveAsAction() const { return save_as_; }
  [[nodiscard]] QMenu* RecentMenu() const { return recent_; }
  // Opens `path` as the Open action does, after the scope question.
  void OpenPath(const std::string& path);
  // Looks at the document now, as the menu's timer does five times a
  // second: the progress window, the title.
  void Follow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  void OpenFile();
  void SaveAs();
  void RunArchive(int mode);
  void ExportDump();
  void FillRecent();
  [[nodiscard]] std::optional<std::size_t> AskScope();
  // The load scope: asked while an ECU is connected, the whole file
  // otherwise; nullopt when the user cancelled.
  [[nodiscard]] std::optional<std::size_t> Scope();

  QMenu& menu_;
  QAction* before_;
  QWidget& window_;
  calib::SystemDateProvider dates_;
  std::unique_ptr<pages::FileMenuModel> model_;
  std::function<void()> retitle_;
  FileChooser choose_;
  ScopeChooser scope_;
  QAction* open_ = nullptr;
  QAction* save_as_ = nullptr;
  QAction* archive_open_ = nullptr;
  QAction* archive_save_ = nullptr;
  QAction* export_ = nullptr;
  QMenu* recent_ = nullptr;
  QTimer* timer_ = nullptr;
  QProgressDialog* progress_ = nullptr;
};

}  // namespace velmora::ui

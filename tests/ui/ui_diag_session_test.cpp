// The diagnostic pages of the workstation as the program builds it,
// offscreen, against a real LinkSrv and the virtual ECU: an injected error
// shows on the error page and the erase clears it in the ECU, a trouble code
// typed on the OBD page reaches the ECU's selective-clear list, and a saved
// correction map loads back into the ECU after a reset.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "apps/velmora/gui_startup_host.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/paths.h"
#include "diag/diag_pages.h"
#include "link/link_startup.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "platform/fake/fakes.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/sys_io.h"
#include "tests/e2e/e2e_support.h"
#include "tests/ui/workstation_app.h"
#include "ui/frm_error_page.h"
#include "ui/frm_mappetta_page.h"
#include "ui/frm_obd_page.h"
#include "ui/map_grid_view.h"
#include "ui/qt_event_pump.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

constexpr int kStepMs = 30'000;

// Processes events until `done`, or until `ms` have passed; a file dialog
// that comes up meanwhile is answered with `file`.
bool WaitUntil(const std::function<bool()>& done, int ms, const QString& file = {}) {
  QTimer wake;
  QObject::connect(&wake, &QTimer::timeout, [&file] {
    // The visible dialog, looked up among the windows: the modal-window
    // stack may still name a window that closed.
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (!top->isVisible()) {
        continue;
      }
      if (auto* dialog = qobject_cast<QFileDialog*>(top)) {
        // Typed into the name box: selectFile leaves the box alone while it
        // has the focus, which depends on when the window was activated.
        if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) {
          name->setText(file);
        } else {
          dialog->selectFile(file);
        }
        QMetaObject::invokeMethod(dialog, "accept");  // as its Open or Save button
      } else if (auto* box = qobject_cast<QMessageBox*>(top)) {
        // The dialog's own "file not found" while its folder was still
        // being read: try again on the next wake.
        box->accept();
      }
    }
  });
  wake.start(20);
  const QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return done();
}

struct App : test::WorkstationApp {
  explicit App(const std::string& root) : WorkstationApp(root, "ui_diag_session_test") {}
  ~App() {
    if (host.Window() != nullptr) {
      host.Window()->close();
      (void)WaitUntil([this] { return !pipe.LinkAttivo(); }, kStepMs);
    }
    pipe.Detach();
  }
};

// The virtual ECU's kept region `name`, from its state file.
Bytes Held(const std::string& state_file, const std::string& name) {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(state_file, lines);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == "[" + name + "]") {
      return core::HexToBin(lines[i + 1]).value_or(Bytes{});
    }
  }
  return {};
}

QString Cell(ui::MapGridView* grid, int row, int col) {
  return grid->model()->index(row, col).data().toString();
}

}  // namespace

class UiDiagSessionTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qputenv("VELMORA_LANGUAGE", "0"); }

  void diagnosticPagesAgainstTheVirtualEcu() {
    e2e::TempRoot root;
    std::error_code ec;
    const fs::path stage = fs::path(e2e::StageBin()).parent_path();
    fs::copy(stage / "lng", fs::path(root.Root()) / "lng", fs::copy_options::recursive, ec);
    const std::string state_file = root.Root() + "/ecu.state";
    e2e::Sim sim(root, {"--seed", "5", "--ecu-error", "20:3", "--state", state_file});
    QVERIFY(sim.Ready());
    App app(root.Root());
    QVERIFY(app.host.Window() != nullptr);
    ui::MainWindow& w = app.Window();
    QVERIFY(WaitUntil([&] { return app.flags.state == core::session_state::kConnected; }, kStepMs));

    // The injected error on the error page; the erase clears it in the ECU.
    w.SelezioneScheda(diag::diag_page::kErrors);
    auto* errors = w.Page<ui::FrmErrorPage>(diag::diag_page::kErrors);
    QVERIFY(errors != nullptr);
    QTableWidget* grid = errors->Grid();
    QVERIFY(WaitUntil([&] { return grid->item(20, 2)->text().endsWith(" Inj 3"); }, kStepMs));
    QCOMPARE(grid->item(20, 1)->text(), QStringLiteral("Gas injector circuit"));
    for (int attempt = 0; attempt < 5 && grid->item(20, 3)->text() != "OK"; ++attempt) {
      errors->EraseButton()->click();  // refused during a throttle blip: again
      (void)WaitUntil([&] { return grid->item(20, 3)->text() == "OK"; }, 3'000);
    }
    QCOMPARE(grid->item(20, 2)->text(), QStringLiteral("OK"));
    QVERIFY(WaitUntil([&] { return Held(state_file, "ERROR_ECU") == Bytes(64, 0); }, kStepMs));

    // A code typed on the OBD page reaches the ECU's selective-clear list.
    w.SelezioneScheda(diag::diag_page::kObd);
    auto* obd = w.Page<ui::FrmObdPage>(diag::diag_page::kObd);
    QTest::mouseClick(obd->RunButton(), Qt::LeftButton);
    QVERIFY(
        WaitUntil([&] { return obd->TechnicalData()->text().contains("CAN STD500"); }, kStepMs));
    QTest::mouseClick(obd->AdvancedButton(), Qt::LeftButton);
    QTest::keyClicks(obd->DtcBox(), "P0420");
    QTest::mouseClick(obd->AddDtcButton(), Qt::LeftButton);
    QVERIFY(WaitUntil([&] { return obd->SelectiveList()->count() == 1; }, kStepMs));
    QCOMPARE(obd->SelectiveList()->item(0)->text(), QStringLiteral("P0420"));
    const Bytes list = Held(state_file, "OBD_ERR");
    QVERIFY(list.size() > 3);
    QCOMPARE(list[1], std::uint8_t{1});
    QCOMPARE(list[2] | (list[3] << 8), 0x0420);

    // The correction map saved, reset in the ECU, then loaded back.
    w.SelezioneScheda(diag::diag_page::kObdMap);
    auto* map = w.Page<ui::FrmMappettaPage>(diag::diag_page::kObdMap);
    ui::MapGridView* cells = map->Grid();
    QVERIFY(WaitUntil([&] { return Cell(cells, 1, 1) == "-5"; }, kStepMs));
    const QString file = QString::fromStdString(root.Root() + "/Data/map.tun");
    fs::create_directories(root.Root() + "/Data", ec);
    QTest::mouseClick(map->SaveButton(), Qt::LeftButton);
    QVERIFY(WaitUntil([&] { return map->Caption()->text().contains("map.tun"); }, kStepMs, file));
    QTest::mouseClick(map->ResetButton(), Qt::LeftButton);
    QVERIFY(WaitUntil([&] { return Cell(cells, 1, 1) == "0"; }, kStepMs));
    QTest::mouseClick(map->OpenButton(), Qt::LeftButton);
    QVERIFY(WaitUntil([&] { return Cell(cells, 1, 1) == "-5"; }, kStepMs, file));
    QCOMPARE(Cell(cells, 15, 8), QStringLiteral("4"));
  }
};

QTEST_MAIN(UiDiagSessionTest)
#include "ui_diag_session_test.moc"

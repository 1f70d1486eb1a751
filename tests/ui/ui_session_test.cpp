// The workstation as the program builds it, offscreen, against a real
// LinkSrv and the virtual ECU: it finds and reads the ECU, the dashboard
// shows live values, the value entry dialog refuses what a map grid cannot
// hold, the switch-over temperature goes to the ECU and comes back, a pulled
// ECU brings the search window up, and the window closes through the exit
// sequence. Every wait processes the window's events up to a deadline.
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "apps/velmora/gui_startup_host.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "link/link_startup.h"
#include "link/port_registry.h"
#include "maps/map_page.h"
#include "pages/page_codes.h"
#include "pages/value_entry.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "platform/fake/fakes.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/sys_io.h"
#include "tests/e2e/e2e_support.h"
#include "tests/ui/workstation_app.h"
#include "ui/connection_icon.h"
#include "ui/connection_page.h"
#include "ui/dashboard_page.h"
#include "ui/frm_carburazione_page.h"
#include "ui/frm_enter_value.h"
#include "ui/frm_kvx_connected.h"
#include "ui/frm_kvx_port_search.h"
#include "ui/frm_matrix_page.h"
#include "ui/gauge_widget.h"
#include "ui/map_grid_view.h"
#include "ui/qt_event_pump.h"

using namespace velmora;

namespace {

namespace st = core::session_state;
namespace fs = std::filesystem;

constexpr int kConnectMs = 60'000;
constexpr int kStepMs = 20'000;

// Processes the window's events until `done`, or until `ms` have passed. A
// timer of its own keeps waking the loop once the window's timers stop.
bool WaitUntil(const std::function<bool()>& done, int ms) {
  QTimer wake;
  wake.start(20);
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) {
      return done();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Calls `step` every 20 ms while it lives, also from inside the event
// processing of a session tick that waits for the link; a step past the
// deadline ends any search, so a failing test cannot hang in the loop.
class Watcher {
 public:
  Watcher(std::function<void()> step, core::SessionFlags& flags, int ms = kConnectMs)
      : deadline_(ms) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this, step = std::move(step), &flags] {
      if (deadline_.hasExpired()) {
        flags.timeout = true;
        return;
      }
      step();
    });
    timer_.start();
  }

 private:
  QTimer timer_;
  QDeadlineTimer deadline_;
};

// The staged installation's data beside the temporary root's programs.
void CopyStageData(const std::string& root) {
  const fs::path stage = fs::path(e2e::StageBin()).parent_path();
  for (const char* dir : {"lng", "img", "Data", "Tune"}) {
    std::error_code ec;
    fs::copy(stage / dir, fs::path(root) / dir,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  }
}

// The program's context on a private root, with fake boxes so that the
// test reads what the user would have been told.
struct App : test::WorkstationApp {
  explicit App(const std::string& root) : WorkstationApp(root, "ui_session_test") {}
};

// Answers the value entry dialog once it shows: the option and the text,
// then Enter. The grid's Enter waits in the dialog's own event loop.
class DialogAnswer {
 public:
  DialogAnswer(ui::FrmEnterValue& dialog, int option, QString text) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this, &dialog, option, text] {
      if (!answered_ && dialog.isVisible()) {
        answered_ = true;
        dialog.Option(option)->click();
        dialog.ValueBox()->setText(text);
        accepted_ = dialog.Confirm();
      }
    });
    timer_.start();
  }
  [[nodiscard]] bool Accepted() const { return answered_ && accepted_; }

 private:
  QTimer timer_;
  bool answered_ = false;
  bool accepted_ = false;
};

// The map cell (injection-time row r, rpm column c) of a 552-byte image.
std::size_t Cell(int r, int c) {
  return static_cast<std::size_t>(c) * 23 + static_cast<std::size_t>(r);
}

// Reads everything from the ECU again, into an image whose maps were
// cleared first, so what the pages wrote is seen coming back from the ECU.
bool ReadAgain(App& app, calib::CalibrationImage& image) {
  image.base_map.assign(image.base_map.size(), 0);
  app.flags.ecu_lost = true;
  Watcher guard([] {}, app.flags);
  return WaitUntil(
      [&] {
        return app.flags.state == st::kConnected && app.Session().PendingRequest() == 0 &&
               image.base_map != Bytes(image.base_map.size(), 0);
      },
      kConnectMs);
}

std::string BoxTexts(const platform::FakeMessageBox& box) {
  std::string all;
  for (const auto& b : box.shown) {
    all += b.text + " | ";
  }
  return all;
}

}  // namespace

class UiSessionTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qputenv("VELMORA_LANGUAGE", "0"); }

  void workstationConnectsShowsLiveValuesWritesAndClosesThroughTheExitSequence() {
    e2e::TempRoot root;
    CopyStageData(root.Root());
    std::optional<e2e::Sim> sim;
    sim.emplace(root, std::vector<std::string>{"--seed", "5"});
    QVERIFY(sim->Ready());

    App app(root.Root());
    QVERIFY(app.host.Context() != nullptr);
    ui::MainWindow& w = app.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.ShownPage(), pages::page_code::kMainMenu);

    // Found by scanning the registered ports, identified and read.
    {
      Watcher guard([] {}, app.flags);
      QVERIFY2(WaitUntil([&] { return app.flags.state == st::kConnected; }, kConnectMs),
               BoxTexts(app.box).c_str());
    }
    QCOMPARE(app.Session().ConnectedPort(), sim->Port());
    QVERIFY(!w.SearchWindow()->Running());
    QCOMPARE(w.windowTitle().toStdString(),
             app.state.lingue.VoceDizionario(0, 0) + app.state.version_text);
    auto* caption = w.findChild<QLabel*>("LblDidascalia");
    QVERIFY(caption != nullptr);
    QCOMPARE(caption->text(), QString("ECU connected"));

    // The dashboard shows the engine turning, and the reading moves.
    ui::GaugeWidget* rpm = w.Dashboard()->RpmGauge();
    QVERIFY(WaitUntil([&] { return rpm->HasValue() && rpm->Value() > 0; }, kStepMs));
    const double first_rpm = rpm->Value();
    QVERIFY(WaitUntil([&] { return rpm->Value() != first_rpm; }, kStepMs));
    QVERIFY(rpm->Value() > 0);
    QVERIFY(WaitUntil([&] { return w.PollRate() > 0; }, kStepMs));
    auto* port_label = w.findChild<QLabel*>("LblPortaStato");
    QCOMPARE(port_label->text(), QString("COM%1").arg(sim->Port()));

    // The value entry dialog with a map grid's limits: 256 cannot be set.
    ui::FrmEnterValue* dialog = w.EnterValue();
    QVERIFY(dialog != nullptr);
    dialog->SistemaSoglie(pages::grid_limits::kMap);
    dialog->Prepare();
    dialog->open();
    dialog->Option(pages::value_option::kSet)->click();
    dialog->ValueBox()->setText("256");
    QVERIFY(!dialog->Confirm());
    QVERIFY(!app.box.shown.empty());
    const int offset = app.state.lingue.MarkerOffset(std::string(pages::enter_value_text::kMarker));
    const std::string above = app.state.lingue.Testo(offset, pages::enter_value_text::kAboveMax);
    QVERIFY(!above.empty());
    QCOMPARE(app.box.shown.back().text, above + " 255");
    QVERIFY(dialog->isVisible());
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->Result().operation, pages::value_op::kCancelled);
    QCOMPARE(app.Session().PendingRequest(), 0);  // a grid's dialog writes nothing
    const std::size_t boxes = app.box.shown.size();

    // The switch-over temperature from the connection page: the dialog
    // refuses what the setting cannot hold, then the value goes to the ECU
    // as an entry-3 write list and is read back.
    w.SelezioneScheda(pages::page_code::kConnection);
    ui::ConnectionPage* page = w.Connection();
    QVERIFY(page->isVisible());
    QVERIFY(page->ChangeButton()->isEnabled());
    const std::int32_t before = app.Table().Value(3, 2);
    const std::int32_t wanted = before == 45 ? 50 : 45;
    QCOMPARE(page->SwitchOverValue()->text(), QString("%1 \u00B0C").arg(before));
    page->ChangeButton()->click();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->ValueBox()->text(), QString::number(before));
    dialog->ValueBox()->setText("61");
    QVERIFY(!dialog->Confirm());
    QCOMPARE(app.box.shown.back().text, above + " 60");
    dialog->ValueBox()->setText(QString::number(wanted));
    QVERIFY(dialog->Confirm());
    QCOMPARE(app.Session().PendingRequest(), session::request::kEntry3List);
    QVERIFY(WaitUntil(
        [&] {
          return app.Session().PendingRequest() == 0 && app.flags.state == st::kConnected &&
                 page->SwitchOverValue()->text() == QString("%1 \u00B0C").arg(wanted);
        },
        kStepMs));
    QCOMPARE(app.Table().Value(3, 2), wanted);
    QCOMPARE(app.box.shown.size(), boxes + 1);  // only the refusal of 61

    // The ECU is pulled away: the link says so, the search window comes up
    // and its stop button ends the search.
    const std::string device = sim->Device();
    sim.reset();
    QVERIFY(link::UnregisterPort(link::PortRegistryPath(app.paths.bin), device));
    // The connect loop runs inside a Timer1 tick and keeps the window's
    // events flowing: a watcher does what the fitter does meanwhile.
    auto* stop = w.SearchWindow()->findChild<QPushButton*>("BUT_STOP");
    QVERIFY(stop != nullptr);
    bool search_shown = false;
    bool write_offered = true;
    {
      Watcher watcher(
          [&] {
            if (!search_shown && w.SearchWindow()->Running() && w.SearchWindow()->isVisible()) {
              search_shown = true;
              write_offered = w.SwitchOverAction()->isEnabled();
              stop->click();
            }
          },
          app.flags);
      QVERIFY(WaitUntil([&] { return app.flags.state == st::kDisconnected; }, kConnectMs));
    }
    QVERIFY(search_shown);
    QVERIFY(!write_offered);
    QVERIFY(!w.SearchWindow()->Running());
    QCOMPARE(w.Connection()->Link()->Picture()->Picture(), ui::connection_picture::kDisconnected);

    // A virtual ECU again, and the connection picture connects.
    sim.emplace(root, std::vector<std::string>{"--seed", "6"});
    QVERIFY(sim->Ready());
    {
      Watcher guard([] {}, app.flags);
      QTest::mouseClick(w.Connection()->Link()->Picture(), Qt::LeftButton);
      QVERIFY(WaitUntil([&] { return app.flags.state == st::kConnected; }, kConnectMs));
    }
    QCOMPARE(app.Session().ConnectedPort(), sim->Port());

    // Ctrl+Q asks the session to close; the next Timer1 tick closes the
    // window from code and message 1 ends the link server.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.windowHandle(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(app.flags.exit_request);
    QVERIFY(WaitUntil([&] { return app.Session().Closed() && !w.isVisible(); }, kStepMs));
    QCOMPARE(app.flags.state, st::kClosing);
    QVERIFY(WaitUntil([&] { return !app.pipe.LinkAttivo(); }, kStepMs));
    app.pipe.Detach();
  }

  // The map pages against the virtual ECU: the working point follows the
  // engine, a selection set through the value entry dialog reaches the ECU
  // cell for cell, and a carburation step writes the expanded map.
  void mapPagesFollowTheEngineAndWriteTheVirtualEcu() {
    e2e::TempRoot root;
    CopyStageData(root.Root());
    e2e::Sim sim(root, std::vector<std::string>{"--seed", "7"});
    QVERIFY(sim.Ready());
    App app(root.Root());
    ui::MainWindow& w = app.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    {
      Watcher guard([] {}, app.flags);
      QVERIFY2(WaitUntil([&] { return app.flags.state == st::kConnected; }, kConnectMs),
               BoxTexts(app.box).c_str());
    }
    const maps::MapInfo& base = maps::InfoOfMap(0);
    calib::CalibrationImage& image = app.host.Context()->Image();
    QCOMPARE(image.base_map.size(), std::size_t{552});

    w.SelezioneScheda(base.grid_page);
    QCOMPARE(w.ShownPage(), base.grid_page);
    auto* grid_page = w.Page<ui::FrmMatrixPage>(base.grid_page);
    QVERIFY(grid_page != nullptr);
    QVERIFY(grid_page->isVisible());
    maps::FrmMatrix& grid = grid_page->Model();

    // The framed cell is the one the live record names, and it moves with
    // the engine.
    const auto point_matches = [&] {
      const maps::PageControls& c = grid.Controls();
      const maps::CellPos live{std::clamp(app.Table().Value(1, 52), 0, 22) + 1,
                               std::clamp(app.Table().Value(1, 51), 0, 23) + 1};
      return c.working_point_shown && c.working_point == live;
    };
    QVERIFY(WaitUntil(point_matches, kStepMs));
    const maps::CellPos first = grid.Controls().working_point;
    QVERIFY(WaitUntil([&] { return point_matches() && grid.Controls().working_point != first; },
                      kConnectMs));

    // Rows 2..3, rpm columns 4..6 set to 100 through Enter and the dialog.
    const Bytes before = image.base_map;
    Bytes expected = before;
    for (int r = 2; r <= 3; ++r) {
      for (int c = 4; c <= 6; ++c) {
        expected[Cell(r, c)] = 100;
      }
    }
    grid.Grid().Select({3, 5}, {4, 7});
    grid_page->Refresh();
    {
      DialogAnswer answer(*w.EnterValue(), pages::value_option::kSet, "100");
      QTest::keyClick(grid_page->Grid(), Qt::Key_Return);
      QVERIFY(answer.Accepted());
    }
    QCOMPARE(image.base_map, expected);
    QVERIFY(WaitUntil(
        [&] { return app.Session().PendingRequest() == 0 && grid_page->Strip().Up()->isEnabled(); },
        kStepMs));
    QVERIFY(grid_page->Strip().Undo()->isEnabled());
    QCOMPARE(grid.Grid().Text(3, 5), std::string("100"));
    QVERIFY(ReadAgain(app, image));
    QCOMPARE(image.base_map, expected);

    // The carburation view: a step on the first principal cell is expanded
    // into the whole map before it is written.
    w.SelezioneScheda(base.carb_page);
    auto* carb_page = w.Page<ui::FrmCarburazionePage>(base.carb_page);
    QVERIFY(carb_page != nullptr);
    QVERIFY(carb_page->isVisible());
    maps::FrmCarburazione& carb = carb_page->Model();
    carb.Grid().SetCurrent({1, 1});
    const std::uint8_t corner = image.base_map[Cell(0, 0)];
    QVERIFY(corner < 255);
    carb_page->Strip().Up()->click();
    const Bytes written = image.base_map;
    QCOMPARE(written[Cell(0, 0)], static_cast<std::uint8_t>(corner + 1));
    for (int r = 0; r < 23; ++r) {
      QCOMPARE(written[Cell(r, 23)], written[Cell(r, 22)]);
    }
    QVERIFY(WaitUntil(
        [&] { return app.Session().PendingRequest() == 0 && carb_page->Strip().Up()->isEnabled(); },
        kStepMs));
    QVERIFY(ReadAgain(app, image));
    QCOMPARE(image.base_map, written);

    w.close();
    QVERIFY(WaitUntil([&] { return app.Session().Closed(); }, kStepMs));
    QVERIFY(WaitUntil([&] { return !app.pipe.LinkAttivo(); }, kStepMs));
    app.pipe.Detach();
  }
};

QTEST_MAIN(UiSessionTest)
#include "ui_session_test.moc"

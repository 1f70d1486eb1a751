// The lambda, sensors and gas management pages in the workstation as the
// program builds it, offscreen, against a real LinkSrv and the virtual ECU:
// one change on each page goes to the ECU and the page shows the value the
// session read back. Every wait processes the window's events up to a
// deadline.
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "apps/velmora/gui_startup_host.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "link/link_startup.h"
#include "pages/lambda_codes.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "platform/fake/fakes.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/sys_io.h"
#include "tests/e2e/e2e_support.h"
#include "tests/ui/workstation_app.h"
#include "ui/frm_kvx_gestione_page.h"
#include "ui/frm_kvx_lambda_page.h"
#include "ui/frm_kvx_sensori_page.h"
#include "ui/qt_event_pump.h"

using namespace velmora;

namespace {

namespace st = core::session_state;
namespace fs = std::filesystem;
constexpr int kConnectMs = 60'000;
constexpr int kStepMs = 20'000;

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

// `root` with the staged data copied into it.
const std::string& WithStagedData(const std::string& root) {
  const fs::path stage = fs::path(e2e::StageBin()).parent_path();
  for (const char* dir : {"lng", "img", "Data", "Tune"}) {
    std::error_code ec;
    fs::copy(stage / dir, fs::path(root) / dir,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  }
  return root;
}

// The program's context on a private root with the staged data.
struct App : test::WorkstationApp {
  explicit App(const std::string& root)
      : WorkstationApp(WithStagedData(root), "ui_config_session_test") {}
  // The request ran and the session is back to polling.
  bool Settled() { return Session().PendingRequest() == 0 && flags.state == st::kConnected; }
};

}  // namespace

class UiConfigSessionTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qputenv("VELMORA_LANGUAGE", "0"); }

  void eachPageWritesTheVirtualEcuAndShowsWhatWasReadBack() {
    e2e::TempRoot root;
    e2e::Sim sim(root, std::vector<std::string>{"--seed", "8"});
    QVERIFY(sim.Ready());
    App app(root.Root());
    ui::MainWindow& w = app.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(WaitUntil([&] { return app.flags.state == st::kConnected; }, kConnectMs));

    // Lambda: the second probe type, with its default levels.
    w.SelezioneScheda(session::page_id::kLambda);
    auto* lambda = w.Page<ui::FrmKvxLambdaPage>(session::page_id::kLambda);
    QVERIFY(lambda != nullptr && lambda->isVisible());
    QCOMPARE(lambda->ProbeType()->currentIndex(), 1);
    QTest::keyClick(lambda->ProbeType(), Qt::Key_Down);
    QVERIFY(WaitUntil([&] { return app.Settled() && app.Table().Value(3, 38) == 2; }, kStepMs));
    QCOMPARE(app.Table().Value(11, 65), pages::LevelCode(850));
    QCOMPARE(app.Table().Value(11, 66), pages::LevelCode(150));
    QCOMPARE(lambda->ProbeType()->currentIndex(), 2);
    QCOMPARE(lambda->Level(1)->text(), QStringLiteral("0.16"));
    QVERIFY(WaitUntil([&] { return lambda->Model().Live().valid; }, kStepMs));

    // Sensors: the full end of the curve at the current reading lights
    // every LED of the level display.
    w.SelezioneScheda(pages::kSensorsPageCode);
    auto* sensors = w.Page<ui::FrmKvxSensoriPage>(pages::kSensorsPageCode);
    QVERIFY(sensors != nullptr && sensors->isVisible());
    QVERIFY(WaitUntil([&] { return sensors->Full()->isEnabled(); }, kStepMs));
    QTest::mouseClick(sensors->Full(), Qt::LeftButton);
    QVERIFY(WaitUntil([&] { return app.Settled() && app.Table().Value(1, 4) == 5; }, kStepMs));
    const std::int32_t full = app.Table().Value(3, 32);
    const QString shown = QString::fromStdString(pages::VoltsText(full * 19.6) + " (v)");
    QVERIFY(WaitUntil([&] { return sensors->Point(5)->text() == shown; }, kStepMs));

    // Gas management: the petrol dead time in the parameter record, written
    // whole and read back.
    w.SelezioneScheda(session::page_id::kManagement);
    auto* gas = w.Page<ui::FrmKvxGestionePage>(session::page_id::kManagement);
    QVERIFY(gas != nullptr && gas->isVisible());
    QComboBox* dead = gas->RecordCombo(pages::record_combo::kPetrolDeadTime);
    const int item = dead->findText(QStringLiteral("1.6 ms"));
    QVERIFY(item > dead->currentIndex());
    dead->setCurrentIndex(item - 1);
    QTest::keyClick(dead, Qt::Key_Down);
    calib::CalibrationImage& image = app.host.Context()->Image();
    QVERIFY(WaitUntil([&] { return app.Settled() && image.companion[1] == 50; }, kStepMs));
    QVERIFY(WaitUntil([&] { return dead->currentIndex() == item; }, kStepMs));

    // Everything read afresh from the ECU holds the three changes.
    app.Table().SetValue(3, 38, 0);
    image.companion[1] = 0;
    app.flags.ecu_lost = true;
    QVERIFY(WaitUntil([&] { return app.Settled() && app.Table().Value(3, 38) == 2; }, kConnectMs));
    QCOMPARE(app.Table().Value(3, 32), full);
    QCOMPARE(image.companion[1], std::uint8_t{50});

    w.close();
    QVERIFY(WaitUntil([&] { return app.Session().Closed(); }, kStepMs));
    QVERIFY(WaitUntil([&] { return !app.pipe.LinkAttivo(); }, kStepMs));
    app.pipe.Detach();
  }
};

QTEST_MAIN(UiConfigSessionTest)
#include "ui_config_session_test.moc"

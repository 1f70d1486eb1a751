// The lambda, sensors and gas management pages driven as a user would,
// without a display: keys and clicks reach the page models, and what the
// models hold reaches the widgets.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "tests/pages/config_rig.h"
#include "ui/emulation_grid.h"
#include "ui/frm_kvx_gestione_page.h"
#include "ui/frm_kvx_lambda_page.h"
#include "ui/frm_kvx_sensori_page.h"

using namespace velmora;

namespace {

namespace lf = pages::lambda_field;

std::vector<std::int32_t> Values(const std::vector<session::WriteRecord>& list) {
  std::vector<std::int32_t> out;
  for (const auto& r : list) {
    out.push_back(r.value);
  }
  return out;
}

template <class Page>
void Show(Page& page) {
  page.resize(1060, 760);
  page.show();
  QVERIFY(QTest::qWaitForWindowExposed(&page));
}

}  // namespace

class UiConfigPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<pages::test::ConfigRig>();
    rig_->rig.table.SetValue(lf::kBlock2, lf::kOptions, lf::kEmulationBit);
    rig_->rig.table.SetValue(lf::kBlock3, lf::kProbeType, 1);
  }
  void cleanup() { rig_.reset(); }

  void lambdaLevelsGridAndCombosReachTheModel() {
    for (std::size_t i = 0; i < pages::emulation::kCells; ++i) {
      rig_->rig.table.SetValue(lf::kEmulation, lf::kCells + i, 127);  // offset 0
    }
    pages::FrmKvxLambda model(rig_->env);
    ui::FrmKvxLambdaPage page(model);
    Show(page);
    pages::test::FakePageSession& session = rig_->rig.session;
    // A level typed with a comma, Enter: 1.2 V on a 0..1 V probe is 1 V.
    QLineEdit* high = page.Level(0);
    high->setFocus();
    high->selectAll();
    QTest::keyClicks(high, "1,2");
    QTest::keyClick(high, Qt::Key_Return);
    QCOMPARE(Values(session.lists.Of(11)), std::vector<std::int32_t>{50});
    QCOMPARE(high->text(), QStringLiteral("1.00"));
    session.Done();
    session.lists.ClearAll();
    // Typed without Enter and left: the text it had comes back.
    QTest::keyClicks(high, "7");
    page.Level(1)->setFocus();
    QCOMPARE(high->text(), QStringLiteral("1.00"));
    QVERIFY(session.lists.Of(11).empty());

    // Shift and + on a cell of the table: every cell is written.
    ui::EmulationGrid* grid = page.Grid();
    grid->setFocus();
    grid->setCurrentCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Plus, Qt::ShiftModifier);
    QCOMPARE(session.lists.Of(11).size(), std::size_t{48});
    QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("+10"));
    session.Done();
    session.lists.ClearAll();
    // A key on the probe combo box picks the next probe.
    QTest::keyClick(page.ProbeType(), Qt::Key_Down);
    QCOMPARE(session.posted.back(), session::request::kEntry3And11);
    QCOMPARE(Values(session.lists.Of(3)), std::vector<std::int32_t>{2});
  }

  void sensorsSwitchFramesAndSetTheFullEnd() {
    pages::FrmKvxSensori model(rig_->env);
    ui::FrmKvxSensoriPage page(model);
    Show(page);
    QVERIFY(page.LevelFrame()->isVisible());
    QVERIFY(!page.Full()->isEnabled());  // no reading yet
    QTest::mouseClick(page.Switch(), Qt::LeftButton);
    QVERIFY(!page.LevelFrame()->isVisible());
    QVERIFY(page.OtherFrames()->isVisible());
    QCOMPARE(page.Switch()->text(), QStringLiteral("<<<"));
    QTest::keyClick(page.EndPressure(), Qt::Key_Down);
    QCOMPARE(Values(rig_->rig.session.lists.Of(3)), std::vector<std::int32_t>{500});
    rig_->rig.session.Done();
    rig_->rig.session.lists.ClearAll();
    QTest::mouseClick(page.Switch(), Qt::LeftButton);

    rig_->rig.table.SetValue(pages::sensor_field::kBlock3, pages::sensor_field::kCurve, 20);
    rig_->rig.table.SetValue(pages::sensor_field::kBlock3, pages::sensor_field::kCurve + 5, 210);
    rig_->rig.table.SetValue(pages::sensor_field::kLive, pages::sensor_field::kLevelFiltered, 2940);
    rig_->rig.table.SetLastAnswer(pages::sensor_field::kLive, Bytes{1});
    rig_->rig.table.SetLastAnswer(pages::sensor_field::kBlock3, Bytes{1});
    model.LiveTick();
    page.Refresh();
    QCOMPARE(page.Point(5)->text(), QStringLiteral("4.12 (v)"));
    QTest::mouseClick(page.Full(), Qt::LeftButton);
    QCOMPARE(Values(rig_->rig.session.lists.Of(3)).back(), 150);
  }

  void managementRecordOptionsAndAdvancedFrame() {
    rig_->rig.image.companion.assign(pages::record_byte::kSize, 0);
    pages::FrmKvxGestione model(rig_->env);
    ui::FrmKvxGestionePage page(model);
    Show(page);
    QVERIFY(!page.AdvancedFrame()->isVisible());
    QTest::mouseClick(page.Advanced(), Qt::LeftButton);
    QVERIFY(page.AdvancedFrame()->isVisible());
    QCOMPARE(page.Advanced()->text(), QStringLiteral("<<<"));

    QTest::mouseClick(page.HighOption(1), Qt::LeftButton);
    QCOMPARE(rig_->rig.image.companion[15], std::uint8_t{0x40});
    QCOMPARE(page.HighOption(1)->text(), QStringLiteral("X"));
    rig_->rig.session.Done();
    QComboBox* dead_time = page.RecordCombo(pages::record_combo::kPetrolDeadTime);
    dead_time->setCurrentIndex(0);
    QTest::keyClick(dead_time, Qt::Key_Down);  // 1.6 ms
    QCOMPARE(rig_->rig.image.companion[1], std::uint8_t{50});
    QCOMPARE(rig_->rig.session.posted.back(), session::request::kParameterRecord);
  }

 private:
  std::unique_ptr<pages::test::ConfigRig> rig_;
};

QTEST_MAIN(UiConfigPagesTest)
#include "ui_config_pages_test.moc"

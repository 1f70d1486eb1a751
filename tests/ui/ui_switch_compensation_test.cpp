// The compensation and switch-over pages driven as a user would, without a
// display: clicks and keys on the views reach the page models, which post
// their requests, and the marks of values on their way to the ECU show.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "maps/frm_compensa.h"
#include "pages/frm_kvx_commutazione.h"
#include "tests/pages/page_fakes.h"
#include "ui/frm_compensa_page.h"
#include "ui/frm_kvx_commutazione_page.h"
#include "ui/map_grid_view.h"

using namespace velmora;

namespace {

namespace cp = maps::compensation;
namespace rq = session::request;

void Click(QAbstractItemView* view, int row, int col) {
  const QRect r = view->visualRect(view->model()->index(row, col));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
}

QString Shown(QAbstractItemView* view, int row, int col) {
  return view->model()->index(row, col).data(Qt::DisplayRole).toString();
}

}  // namespace

class UiSwitchCompensationTest : public QObject {
  Q_OBJECT

 private slots:
  void centringAndStepsOnTheCompensationGrids() {
    pages::test::PageRig rig;
    for (std::size_t i = 0; i < cp::kPairs; ++i) {
      rig.table.SetValue(8, 2 * i, -20 + 10 * static_cast<std::int32_t>(i));
    }
    maps::FrmCompensa page(rig.env);
    ui::FrmCompensaPage view(page);
    view.resize(1100, 760);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    ui::MapGridView* grid = view.Grid(cp::kGasTemperature);
    Click(grid, cp::kBreakpointRow, 5);  // 20 C
    QTest::mouseClick(view.CentreButton(cp::kGasTemperature), Qt::LeftButton);
    QCOMPARE(Shown(grid, cp::kCorrectionRow, 11), QString("1"));
    QCOMPARE(Shown(grid, cp::kCorrectionRow, 1), QString("-1"));
    QCOMPARE(rig.session.posted, std::vector<int>{rq::kCompensation});
    // Waiting for the ECU: the changed cells say so.
    QVERIFY(grid->model()
                ->index(cp::kCorrectionRow, 11)
                .data(Qt::ToolTipRole)
                .toString()
                .contains("Waiting for the ECU"));
    QVERIFY(rig.requests.Find(rq::kCompensation)->run());
    rig.session.Done();
    view.Refresh();
    QVERIFY(!grid->model()
                 ->index(cp::kCorrectionRow, 11)
                 .data(Qt::ToolTipRole)
                 .toString()
                 .contains("Waiting"));

    // Shift with + steps the selected correction by 10 on the lean-out
    // table, which has no centring.
    ui::MapGridView* lean = view.Grid(cp::kLeanOut);
    Click(lean, cp::kCorrectionRow, 3);
    QTest::keyClick(lean, Qt::Key_Plus, Qt::ShiftModifier);
    QCOMPARE(Shown(lean, cp::kCorrectionRow, 3), QString("10"));
    QVERIFY(!view.CentreButton(cp::kLeanOut)->isEnabled());
    QTest::mouseClick(view.AbsBox(), Qt::LeftButton);  // a request is pending
    QVERIFY(!view.AbsBox()->isChecked());
  }

  void switchOverChoicesSparkAndTemperatureGrid() {
    pages::test::PageRig rig;
    rig.table.SetValue(3, 0, 4);
    rig.table.SetValue(3, 1, 4);
    rig.table.SetValue(3, 42, 1);
    rig.table.SetValue(3, 49, 8);  // spark handling on
    rig.table.SetValue(6, 8, 175);
    pages::FrmKvxCommutazione page(rig.env);
    ui::FrmKvxCommutazionePage view(page);
    view.resize(1100, 760);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // " x 2" from the keyboard: block 3 word 42.
    QComboBox* factor = view.Combo(pages::sw_combo::kFattorex1x2);
    factor->setFocus();
    QTest::keyClick(factor, Qt::Key_Down);
    QCOMPARE(rig.session.posted, std::vector<int>{rq::kEntry3List});
    QCOMPARE(rig.session.lists.Of(3).at(0).value, 2);
    QVERIFY(factor->styleSheet().contains("background-color"));
    rig.session.Done();
    rig.session.lists.ClearAll();

    // The spark setting goes once, when typing ends.
    QLineEdit* spark = view.SparkBox();
    QVERIFY(spark->isEnabled());
    spark->setFocus();
    spark->selectAll();
    QTest::keyClicks(spark, "6500");
    QCOMPARE(rig.session.posted.size(), 1u);
    QTest::keyClick(spark, Qt::Key_Return);
    QCOMPARE(rig.session.posted.size(), 2u);
    QCOMPARE(rig.session.lists.Of(3).at(0).field, 44);
    QCOMPARE(rig.session.lists.Of(3).at(0).value, 6500);
    rig.session.Done();

    // Shift and + held on the 0..180 column at 175: 180, then the 150 ms
    // repeat runs until the key comes up and the grid is sent.
    QTableWidget* grid = view.TemperatureGrid();
    Click(grid, 0, pages::delay_grid::kDelay);
    QTest::keyPress(grid, Qt::Key_Plus, Qt::ShiftModifier);
    QCOMPARE(grid->item(0, pages::delay_grid::kDelay)->text(), QString("180"));
    QVERIFY(view.RepeatTimer().isActive());
    QTest::keyRelease(grid, Qt::Key_Plus, Qt::ShiftModifier);
    QVERIFY(!view.RepeatTimer().isActive());
    QCOMPARE(rig.session.posted.back(), rq::kRitCom);
    QCOMPARE(grid->item(0, pages::delay_grid::kDelay)->text(), QString("180"));

    // The option bits: Check2 (3) is bit value 8 of word 33.
    rig.session.Done();
    rig.session.lists.ClearAll();
    QTest::mouseClick(view.Check(pages::sw_check::kCheck2, 3), Qt::LeftButton);
    QCOMPARE(rig.session.lists.Of(3).at(0).mode, 8);
    QVERIFY(view.Check(pages::sw_check::kCheck2, 3)->toolTip().contains("8"));
  }

  void aChoiceMadeWhileBusyGoesBackAndTheScrollBarsChooseItems() {
    pages::test::PageRig rig;
    pages::FrmKvxCommutazione page(rig.env);
    ui::FrmKvxCommutazionePage view(page);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    rig.session.pending = rq::kReadErrors;  // another page's request
    QComboBox* direction = view.Combo(pages::sw_combo::kSwitchDir);
    direction->setFocus();
    QTest::keyClick(direction, Qt::Key_Down);
    QCOMPARE(direction->currentIndex(), 1);  // kept until the page is updated
    QVERIFY(rig.session.lists.Empty());
    rig.session.Done();
    page.LiveTick();
    view.Refresh();
    QCOMPARE(direction->currentIndex(), 0);  // what the ECU holds

    maps::FrmCompensa compensation(rig.env);
    ui::FrmCompensaPage tables(compensation);
    tables.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tables));
    tables.Persistence()->setValue(5);
    QCOMPARE(tables.LeanExit()->currentIndex(), 4);
    QCOMPARE(rig.session.posted.back(), rq::kCompensation);
    QVERIFY(tables.LeanExit()->styleSheet().contains("background-color"));
  }
};

QTEST_MAIN(UiSwitchCompensationTest)
#include "ui_switch_compensation_test.moc"

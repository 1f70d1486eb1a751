// The diagnostic pages' views driven as a user would, without a display:
// clicks and keys reach the page models, and what the models hold reaches
// the widgets.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "diag/diag_pages.h"
#include "diag/frm_error.h"
#include "diag/frm_mappetta.h"
#include "diag/frm_obd.h"
#include "tests/pages/page_fakes.h"
#include "ui/card_frame.h"
#include "ui/frm_error_page.h"
#include "ui/frm_init_obd.h"
#include "ui/frm_mappetta_page.h"
#include "ui/frm_obd_page.h"
#include "ui/map_grid_view.h"

using namespace velmora;
using diag::ObdControl;

namespace {

constexpr const char* kDictionary =
    "[CmbService]\r\nOFF|100 h|500 h\r\n[CmbTarget]\r\n-5 %|0 %|5 %\r\n"
    "[ERROR_ECU_max_255]\r\nLevel?OK|Open|Short\r\nBattery?OK|Low|High\r\n[END_ERROR_ECU]\r\n";

QPoint CellCentre(QTableWidget* grid, int row, int col) {
  return grid->visualItemRect(grid->item(row, col)).center();
}

}  // namespace

class UiDiagPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<pages::test::PageRig>();
    dictionary_ = std::make_unique<pages::test::TestDictionary>(kDictionary);
    env_ = std::make_unique<pages::PageEnv>(pages::PageEnv{
        rig_->image, rig_->table, rig_->session, rig_->window, rig_->box, rig_->clock,
        dictionary_->lingue, rig_->paths, rig_->requests, nullptr, "Velmora"});
    rig_->image.companion.assign(16, 0);
  }
  void cleanup() {
    env_.reset();
    dictionary_.reset();
    rig_.reset();
  }

  void errorPageShowsStatesAndTakesClicks() {
    auto& t = rig_->table;
    t.SetLastAnswer(4, Bytes(70, 0));
    t.SetValue(4, 1, 1);   // battery low now
    t.SetValue(4, 32, 2);  // level shorted once
    t.SetValue(2, 3, 12);  // 12 h 05 on gas
    t.SetValue(2, 10, 5);
    t.SetValue(2, 9, 100);  // 100 h interval, 103 h since the service
    t.SetValue(2, 7, 103);
    diag::FrmError model(*env_);
    ui::FrmErrorPage page(model);
    page.resize(1000, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTableWidget* grid = page.Grid();
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("Battery"));
    QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("Low"));
    QCOMPARE(grid->item(0, 3)->text(), QStringLiteral("Short"));
    QCOMPARE(page.GasBox()->text(), QStringLiteral(" 12.05"));
    QCOMPARE(page.ToServiceBox()->text(), QStringLiteral(" - 3.05"));
    QVERIFY(!page.ToServiceBox()->styleSheet().isEmpty());

    const int monitored = ui::FrmErrorPage::ViewColumn(diag::error_column::kMonitored);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, 1, monitored));
    QCOMPARE(model.PendingEditRow(), 2);
    QVERIFY(!(grid->item(1, monitored)->flags() & Qt::ItemIsEnabled));  // greyed while pending
    model.LiveTick();
    QCOMPARE(rig_->session.posted, (std::vector<int>{22}));
    rig_->session.Done();
    model.LiveTick();
    QCOMPARE(rig_->session.posted.back(), session::request::kEntry15List);
    rig_->session.Done();

    page.EraseButton()->click();
    QVERIFY(model.ErasePending());
    model.LiveTick();
    QCOMPARE(rig_->box.shown.size(), std::size_t{1});  // the ECU does not allow it now

    QComboBox* service = page.ServiceCombo();
    QCOMPARE(service->currentIndex(), 1);
    service->setFocus();
    QTest::keyClick(service, Qt::Key_Down);
    QCOMPARE(rig_->session.posted.back(), session::request::kEntry2List);
    QCOMPARE(rig_->session.lists.Of(2).back().value, 33268);
  }

  void obdPageControlsAdvancedFrameAndStartWindow() {
    diag::FrmObd model(*env_, diag::diag_page::kObdMap);
    ui::FrmObdPage page(model, QStringLiteral("Velmora"));
    page.resize(1100, 700);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QComboBox* target = page.Combo(ObdControl::kTarget);
    QCOMPARE(target->count(), 3);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Down);
    QVERIFY(model.Control(ObdControl::kTarget).pending);

    QVERIFY(!page.DtcCard()->isVisible());
    QTest::mouseClick(page.AdvancedButton(), Qt::LeftButton);
    QVERIFY(page.DtcCard()->isVisible());
    QCOMPARE(page.AdvancedButton()->text(), QStringLiteral("<<<"));
    QTest::keyClicks(page.DtcBox(), "x0100");
    QTest::keyClick(page.DtcBox(), Qt::Key_Return);
    QVERIFY(!model.Notice().empty());
    QVERIFY(!model.Control(ObdControl::kAddDtc).pending);
    page.DtcBox()->clear();
    QTest::keyClicks(page.DtcBox(), "p0420");
    QTest::mouseClick(page.AddDtcButton(), Qt::LeftButton);
    QVERIFY(model.Control(ObdControl::kAddDtc).pending);
    QCheckBox* key_off = page.Check(ObdControl::kMilKeyOff);
    QTest::mouseClick(key_off, Qt::LeftButton, {}, QPoint(8, key_off->height() / 2));
    QCOMPARE(model.Control(ObdControl::kMilKeyOff).choice, 1);

    QTest::mouseClick(page.RunButton(), Qt::LeftButton);
    QVERIFY(page.StartWindow()->isVisible());
    QTest::mouseClick(page.StartWindow()->CancelButton(), Qt::LeftButton);
    QVERIFY(!page.StartWindow()->isVisible());
    QTest::mouseClick(page.MapButton(), Qt::LeftButton);
    QCOMPARE(rig_->window.pages, (std::vector<int>{diag::diag_page::kObdMap}));
  }

  void mapWindowGridLimitsAndCopy() {
    Bytes frame = {0x42, 0x01, 0x7D, 0x20, 0x00, 0x0F};
    frame.resize(127, 0xF6);
    rig_->image.tuning.trisult = frame;
    diag::FrmMappetta model(*env_);
    ui::FrmMappettaPage page(model);
    page.resize(1200, 700);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    model.LiveTick();
    page.Refresh();
    QCOMPARE(page.Grid()->model()->index(3, 4).data().toString(), QStringLiteral("-10"));
    for (int r = 0; r < diag::obd_map::kRows; ++r) {
      page.Limit(r)->clear();
      QTest::keyClicks(page.Limit(r), QString::number(5 * (r + 1)));
    }
    rig_->session.Done();
    QTest::mouseClick(page.WriteLimitsButton(), Qt::LeftButton);
    model.AggiornamentoMappetta();
    QCOMPARE(rig_->session.posted.back(), session::request::kEntry14List);
    QCOMPARE(rig_->session.lists.Of(14).size(), std::size_t{15});
    QCOMPARE(rig_->session.lists.Of(14).back().value, 75);
    QTest::mouseClick(page.CopyButton(), Qt::LeftButton);
    QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("-10\t-10\t")));
    QTest::mouseClick(page.SaveButton(), Qt::LeftButton);
    rig_->session.Done();
    model.HandleFileButtons();  // the dialog was cancelled
    QCOMPARE(rig_->window.file_choices.size(), std::size_t{1});
    QCOMPARE(rig_->session.pending, 0);
  }

 private:
  std::unique_ptr<pages::test::PageRig> rig_;
  std::unique_ptr<pages::test::TestDictionary> dictionary_;
  std::unique_ptr<pages::PageEnv> env_;
};

QTEST_MAIN(UiDiagPagesTest)
#include "ui_diag_pages_test.moc"

// The map axis editor driven as a user would, without a display.
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <string>
#include <vector>

#include "calib/calibration_image.h"
#include "platform/fake/fakes.h"
#include "tests/maps/page_fakes.h"
#include "ui/frm_change_axis.h"

using namespace velmora;

namespace {

using FakeSession = maps::test::FakePageSession;

// Clears a cell the way a user does, then types into it.
void TypeInto(QTableWidget* grid, int row, int col, const QString& text) {
  grid->setFocus();
  grid->setCurrentCell(row, col);
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(grid, Qt::Key_Backspace);
  }
  QTest::keyClicks(grid, text);
}

}  // namespace

class UiAxisTest : public QObject {
  Q_OBJECT

 private slots:
  void TypingSnapsAndOkPostsTheWrite() {
    calib::CalibrationImage image;
    maps::test::PutAxes(maps::test::StandardAxes(), image);
    FakeSession session;
    platform::FakeMessageBox box;
    ui::FrmChangeAxisDialog dialog({image, session, box, {}, "Velmora"});
    dialog.show();
    QTableWidget* grid = dialog.Grid();
    QCOMPARE(grid->item(1, maps::axis::kColRpm)->text(), QStringLiteral("320"));
    QCOMPARE(grid->item(22, maps::axis::kColTime)->text(), QStringLiteral("19.712"));
    QCOMPARE(grid->horizontalHeaderItem(1)->text(),
             QString::fromStdString(dialog.Model().Texts().heading_rpm));

    // Breakpoint 4 of the rpm column.
    TypeInto(grid, 4, maps::axis::kColRpm, QStringLiteral("1000"));
    QCOMPARE(grid->item(4, maps::axis::kColRpm)->text(), QStringLiteral("1000"));
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(grid->item(4, maps::axis::kColRpm)->text(), QStringLiteral("1024"));
    QVERIFY(dialog.isVisible());

    // Letters and a comma never reach the rpm column; the injection-time
    // column takes the comma and snaps on leaving the cell.
    QTest::keyClicks(grid, QStringLiteral("a,"));
    QCOMPARE(grid->item(4, maps::axis::kColRpm)->text(), QStringLiteral("1024"));
    TypeInto(grid, 3, maps::axis::kColTime, QStringLiteral("2,3"));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->item(3, maps::axis::kColTime)->text(), QStringLiteral("2.304"));
    QCOMPARE(grid->currentRow(), 4);

    QVERIFY(session.posted.empty());
    dialog.OkButton()->click();
    QCOMPARE(session.posted, std::vector<int>{session::request::kAxes});
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(int(image.rpm_vector[4]), 16);
    QCOMPARE(int(image.time_vector[3]), 18);
    QVERIFY(box.shown.empty());
  }

  void RefusalsAndCancelLeaveTheImageAlone() {
    calib::CalibrationImage image;
    maps::test::PutAxes(maps::test::StandardAxes(), image);
    const calib::CalibrationImage before = image;
    FakeSession session;
    platform::FakeMessageBox box;
    ui::FrmChangeAxisDialog dialog({image, session, box, {}, "Velmora"});
    dialog.show();

    // A principal choice below its left neighbour: refused, box put back.
    QComboBox* cmb = dialog.CmbRpm(5);
    const int shown = cmb->currentIndex();
    cmb->setFocus();
    cmb->activated(0);  // as a user's pick of the first entry
    QCOMPARE(box.shown.size(), std::size_t{1});
    QCOMPARE(cmb->currentIndex(), shown);

    // A good one moves the breakpoint and the points beside it.
    const int pick = cmb->findText(QStringLiteral("3000"));
    QVERIFY(pick >= 0);
    cmb->setCurrentIndex(pick);
    cmb->activated(pick);
    QCOMPARE(dialog.Grid()->item(10, maps::axis::kColRpm)->text(), QStringLiteral("3008"));
    QCOMPARE(dialog.Grid()->item(9, maps::axis::kColRpm)->text(), QStringLiteral("2816"));

    // Autoscale asks first; No leaves the grid.
    box.answers = {false};
    dialog.AutoscaleXButton()->click();
    QCOMPARE(box.shown.size(), std::size_t{2});
    QCOMPARE(dialog.Grid()->item(10, maps::axis::kColRpm)->text(), QStringLiteral("3008"));

    // With another request pending OK changes nothing and stays open.
    session.pending = session::request::kEntry15List;
    dialog.OkButton()->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(image.rpm_vector, before.rpm_vector);

    dialog.CancelButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(session.posted.empty());
    QCOMPARE(image.rpm_vector, before.rpm_vector);
    QCOMPARE(image.rpm_axis, before.rpm_axis);
    QCOMPARE(image.time_axis, before.time_axis);
  }
};

QTEST_MAIN(UiAxisTest)
#include "ui_axis_test.moc"

// The carburation page driven as a user would, without a display: keys and
// clicks on the view reach the page model, and what the model holds comes
// back on the screen.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "maps/frm_carburazione.h"
#include "tests/maps/page_fakes.h"
#include "ui/frm_carburazione_page.h"
#include "ui/map_grid_view.h"

using namespace velmora;

namespace {

// A picture of the page for a look by eye, when a folder is named.
void Shot(QWidget& w, const char* name) {
  const QPixmap shot = w.grab();
  QVERIFY(!shot.isNull());
  if (const char* dir = std::getenv("VELMORA_SCREENSHOT_DIR")) {
    QVERIFY(shot.save(QDir(QString::fromUtf8(dir)).filePath(QString::fromUtf8(name))));
  }
}

QString Shown(ui::MapGridView* view, int row, int col) {
  return view->model()->index(row, col).data(Qt::DisplayRole).toString();
}

void Click(ui::MapGridView* view, int row, int col, Qt::KeyboardModifiers mods = {}) {
  const QRect r = view->visualRect(view->model()->index(row, col));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, r.center());
}

}  // namespace

class UiCarburationTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<maps::test::PageRig>();
    for (int m = 0; m < 3; ++m) {
      for (std::size_t i = 0; i < static_cast<std::size_t>(maps::map_shape::kCells); ++i) {
        rig_->image.Map(m)[i] = static_cast<std::uint8_t>(50 + i % 7);
      }
    }
    page_ = std::make_unique<maps::FrmCarburazione>(rig_->env, 1);
    page_->Load();
    page_->CambiaTipoGriglia(48);
    view_ = std::make_unique<ui::FrmCarburazionePage>(*page_);
    view_->resize(1000, 640);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
  }

  void cleanup() {
    view_.reset();
    page_.reset();
    rig_.reset();
  }

  void enterOnASelectionSetsExactlyThosePrincipalCells() {
    ui::MapGridView* grid = view_->Grid();
    Click(grid, 3, 4);
    Click(grid, 4, 5, Qt::ShiftModifier);
    QCOMPARE(page_->Grid().Selection(), (maps::CellRect{3, 4, 4, 5}));

    const Bytes before = rig_->image.Map(1);
    rig_->window.answers.push_back({pages::value_op::kSet, 100});
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(rig_->session.posted, std::vector<int>{session::request::kWriteBank2});
    QVERIFY(!view_->Strip().Up()->isEnabled());

    // The session wrote the map: the page shows it again.
    rig_->session.Done();
    page_->MapWritten(true);
    view_->Refresh();
    QVERIFY(view_->Strip().Up()->isEnabled());
    const Bytes& map = rig_->image.Map(1);
    for (int row = 1; row <= maps::carb::kSide; ++row) {
      for (int col = 1; col <= maps::carb::kSide; ++col) {
        const bool in = row >= 3 && row <= 4 && col >= 4 && col <= 5;
        const std::size_t off =
            maps::MapOffset(maps::carb::PrincipalIndex(row), maps::carb::PrincipalIndex(col));
        QCOMPARE(map[off], in ? std::uint8_t{100} : before[off]);
        QCOMPARE(Shown(grid, row, col), QString::number(map[off]));
      }
    }
    // The cells in between were recomputed.
    QCOMPARE(map[maps::MapOffset(5, 7)], std::uint8_t{100});
    Shot(*view_, "carburation.png");
  }

  void theCarburationBoxesReachTheModel() {
    QTest::mouseClick(view_->SteppedBox(), Qt::LeftButton);
    QVERIFY(view_->SteppedBox()->isChecked());
    QCOMPARE(rig_->session.posted.back(), session::request::kEntry15List);
    QCOMPARE(rig_->session.lists.Of(maps::stepped_flag::kEntry).size(), std::size_t{1});

    QTest::mouseClick(view_->GradientBox(), Qt::LeftButton);
    QVERIFY(!view_->GradientBox()->isChecked());
    QCOMPARE(view_->Grid()->model()->index(2, 2).data(Qt::BackgroundRole).value<QColor>(),
             QColor(160, 160, 250));
  }

  void workingPointFollowsTheLiveRecord() {
    rig_->image.Map(1)[maps::MapOffset(5, 23)] = 42;
    rig_->table.SetValue(1, 52, 5);
    rig_->table.SetValue(1, 51, 23);
    page_->Tick();
    view_->Refresh();
    const auto point = [this](int row, int col) {
      return view_->Grid()
          ->model()
          ->index(row, col)
          .data(ui::MapGridModel::kWorkingPointRole)
          .toBool();
    };
    QVERIFY(point(3, 12));
    QVERIFY(!point(3, 11));
    QCOMPARE(view_->MarkerLabel()->text(), QString("42"));
  }

 private:
  std::unique_ptr<maps::test::PageRig> rig_;
  std::unique_ptr<maps::FrmCarburazione> page_;
  std::unique_ptr<ui::FrmCarburazionePage> view_;
};

QTEST_MAIN(UiCarburationTest)
#include "ui_carburation_test.moc"

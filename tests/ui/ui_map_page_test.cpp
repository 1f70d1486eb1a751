// The map grid page driven as a user would, without a display: keys and
// clicks reach the page model through the shared control strip, and what
// the model changes reaches the widgets.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "maps/frm_matrix.h"
#include "tests/maps/page_fakes.h"
#include "ui/frm_matrix_page.h"
#include "ui/map_grid_view.h"
#include "ui/map_heat_view.h"

using namespace velmora;

namespace {

QPoint CellCentre(ui::MapGridView* view, int row, int col) {
  return view->visualRect(view->model()->index(row, col)).center();
}

int MapByte(const Bytes& map, int time_index, int rpm_index) {
  return map[static_cast<std::size_t>(maps::MapOffset(time_index, rpm_index))];
}

}  // namespace

class UiMapPageTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<maps::test::PageRig>();
    rig_->image.base_map.assign(552, 10);
    model_ = std::make_unique<maps::FrmMatrix>(rig_->env, 0);
    model_->Load();
    model_->CambiaTipoGriglia(model_->PageCode());
    page_ = std::make_unique<ui::FrmMatrixPage>(*model_);
    page_->resize(1100, 700);
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
  }

  void cleanup() {
    page_.reset();
    model_.reset();
    rig_.reset();
  }

  void enterOnAMouseSelectionSetsExactlyThoseCells() {
    auto* grid = page_->Grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, 2, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCentre(grid, 4, 5));
    QCOMPARE(model_->Grid().Selection(), (maps::CellRect{2, 3, 4, 5}));

    rig_->window.answers.push_back({pages::value_op::kSet, 100});
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(rig_->session.posted, (std::vector<int>{11}));
    for (int r = 0; r < 23; ++r) {
      for (int c = 0; c < 24; ++c) {
        const bool inside = r >= 1 && r <= 3 && c >= 2 && c <= 4;
        QCOMPARE(MapByte(rig_->image.base_map, r, c), inside ? 100 : 10);
      }
    }
    // Buttons wait for the write; the grid shows the new values once it
    // is back.
    QVERIFY(!page_->Strip().Up()->isEnabled());
    rig_->session.Done();
    model_->MapWritten(true);
    page_->Refresh();
    QVERIFY(page_->Strip().Up()->isEnabled());
    QVERIFY(page_->Strip().Undo()->isEnabled());
    QCOMPARE(grid->model()->index(3, 4).data().toString(), QStringLiteral("100"));

    // The grid's selection set by the page shows in the view.
    model_->Grid().Select({7, 8}, {6, 9});
    page_->Refresh();
    QCOMPARE(grid->currentIndex(), grid->model()->index(7, 8));
    QVERIFY(grid->selectionModel()->isSelected(grid->model()->index(6, 9)));
    QVERIFY(!grid->selectionModel()->isSelected(grid->model()->index(2, 3)));
  }

  void keysAndStripControlsReachThePage() {
    auto* grid = page_->Grid();
    ui::MapControlStrip& strip = page_->Strip();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, 1, 1));
    QTest::keyClick(grid, Qt::Key_Plus);
    QCOMPARE(MapByte(rig_->image.base_map, 0, 0), 11);
    rig_->session.Done();
    model_->MapWritten(true);
    page_->Refresh();
    QTest::mouseClick(strip.Down(), Qt::LeftButton);
    QCOMPARE(MapByte(rig_->image.base_map, 0, 0), 10);
    rig_->session.Done();
    model_->MapWritten(true);
    page_->Refresh();
    QVERIFY(strip.Down()->hasFocus());
    QTest::mouseClick(strip.Undo(), Qt::LeftButton);
    QCOMPARE(MapByte(rig_->image.base_map, 0, 0), 11);
    rig_->session.Done();

    QTest::mouseClick(strip.Axis(), Qt::LeftButton);
    QCOMPARE(rig_->window.axis_editor, 1);

    // The simplified view and the map combos.
    strip.Simplified()->click();
    QCOMPARE(rig_->session.posted.back(), 58);
    QVERIFY(!strip.Simplified()->isChecked());
    rig_->session.Done();
    rig_->image.companion[15] = 2;
    strip.SelPage0()->activated(1);
    strip.SelPage1()->activated(0);
    QCOMPARE(rig_->window.pages, (std::vector<int>{48, 12}));

    // Copy and paste through the strip's clipboard.
    std::string clip;
    strip.SetClipboard({[&] { return clip; }, [&](const std::string& t) { clip = t; }});
    model_->Grid().SetCurrent({1, 1});
    page_->Refresh();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clip, std::string("\t0\r\n0\t11\t"));
    clip = "77\t78";
    model_->Grid().SetCurrent({2, 2});
    page_->Refresh();
    QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(MapByte(rig_->image.base_map, 1, 1), 77);
    QCOMPARE(MapByte(rig_->image.base_map, 1, 2), 78);
  }

  void aMapNotReadYetLeavesTheStepButtonsOff() {
    rig_->image.base_map.clear();
    page_->Refresh();
    QVERIFY(!page_->Strip().Up()->isEnabled());
    QVERIFY(!page_->Strip().Down()->isEnabled());
    rig_->image.base_map.assign(552, 10);
    page_->Refresh();
    QVERIFY(page_->Strip().Up()->isEnabled());
  }

  void workingPointIsFramedAndShown() {
    rig_->image.base_map[static_cast<std::size_t>(maps::MapOffset(4, 6))] = 123;
    rig_->table.SetValue(1, 52, 4);
    rig_->table.SetValue(1, 51, 6);
    model_->Tick();
    page_->Refresh();
    auto* m = page_->Grid()->model();
    const int role = ui::MapGridModel::kWorkingPointRole;
    QVERIFY(m->index(5, 7).data(role).toBool());
    QVERIFY(!m->index(5, 6).data(role).toBool());
    QCOMPARE(page_->MarkerLabel()->text(), QStringLiteral("123"));
    QCOMPARE(MapByte(page_->Heat()->Map(), 4, 6), 123);

    rig_->table.SetValue(1, 52, 0);
    model_->Tick();
    page_->Refresh();
    QVERIFY(!m->index(5, 7).data(role).toBool());
    QVERIFY(m->index(1, 7).data(role).toBool());
  }

  void cellsShowTheModelsColoursAndRedrawOffHoldsThemBack() {
    auto* m = page_->Grid()->model();
    QCOMPARE(m->index(1, 1).data(Qt::BackgroundRole).value<QColor>(),
             QColor(105, 105, 255));  // all 10: the top of the shading (min starts at 5)
    QCOMPARE(m->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0x80, 0x80, 0x80));
    QVERIFY((m->index(3, 3).flags() & Qt::ItemIsSelectable) != 0);
    QVERIFY((m->index(0, 3).flags() & Qt::ItemIsSelectable) == 0);
    const QFont f = ui::NarrowFont("No Such Family Anywhere");
    QVERIFY(f.family() != QStringLiteral("No Such Family Anywhere") ||
            f.stretch() == QFont::Condensed);

    model_->Grid().SetRedraw(false);
    model_->Grid().SetText(1, 1, "55");
    page_->Refresh();
    QCOMPARE(static_cast<ui::MapGridModel*>(m)->Sync(), false);
    model_->Grid().SetRedraw(true);
    page_->Refresh();
    QCOMPARE(m->index(1, 1).data().toString(), QStringLiteral("55"));
  }

 private:
  std::unique_ptr<maps::test::PageRig> rig_;
  std::unique_ptr<maps::FrmMatrix> model_;
  std::unique_ptr<ui::FrmMatrixPage> page_;
};

QTEST_MAIN(UiMapPageTest)
#include "ui_map_page_test.moc"

// The logger and replay pages driven as a user would, without a display:
// clicks reach the page models and what they change reaches the widgets.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <memory>

#include "acq/frm_logger.h"
#include "acq/frm_replay.h"
#include "core/files.h"
#include "tests/acq/acq_rig.h"
#include "ui/frm_logger_page.h"
#include "ui/frm_replay_page.h"
#include "ui/logger_plot_view.h"

using namespace velmora;

class UiAcqTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<acq::test::AcqRig>();
    rig_->table.SetLastAnswer(1, rig_->Live({{32, 18750}}));
    logger_ = std::make_unique<acq::FrmLogger>(rig_->env);
    page_ = std::make_unique<ui::FrmLoggerPage>(*logger_);
    page_->choose_file = [this](ui::LoggerFile kind) {
      return QString::fromStdString(
          rig_->root.File(kind == ui::LoggerFile::kExportCsv ? "x.csv" : "r.vfl"));
    };
    page_->resize(1100, 720);
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
  }

  void cleanup() {
    page_.reset();
    logger_.reset();
    rig_.reset();
  }

  void recordsSavesAndShowsARecordingWithCursors() {
    QVERIFY(!page_->Button("OptRun1")->isEnabled());
    QTest::mouseClick(page_->Button("OptRun0"), Qt::LeftButton);
    QCOMPARE(logger_->State(), acq::LoggerState::kRecording);
    QVERIFY(page_->Button("OptRun1")->isEnabled());
    QVERIFY(!page_->Button("CmdOpen")->isEnabled());
    for (int r = 0; r < 40; ++r) {
      rig_->clock.now += 50'000;
      rig_->table.DecodificaRisposta(rig_->Live({{32, 18750 - r * 100}}), 1);
    }
    page_->Refresh();
    QVERIFY(page_->Signal(7)->text().contains(QStringLiteral("\n")));
    QTest::mouseClick(page_->Button("OptRun1"), Qt::LeftButton);
    QVERIFY(page_->Button("CmdSaveLogOsc")->isEnabled());
    QTest::mouseClick(page_->Button("CmdSaveLogOsc"), Qt::LeftButton);
    QCOMPARE(logger_->State(), acq::LoggerState::kIdle);
    QCOMPARE(logger_->Samples().Count(), 41u);
    QVERIFY(core::EsisteFile(rig_->root.File("r.vfl")));
    QVERIFY(page_->Button("CmdNext")->isEnabled());
    QVERIFY(page_->TimeBar()->isVisible());

    auto* plot = page_->Plot();
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(plot->width() / 4, plot->height() / 2));
    QVERIFY(page_->TimeLabel()->text().startsWith(QStringLiteral("Time: 0'")));
    QTest::mouseClick(plot, Qt::RightButton, {}, QPoint(plot->width() / 2, plot->height() / 2));
    QVERIFY(page_->CursorLabel()->text().contains(QStringLiteral("Cursor B")));

    QTest::mouseClick(page_->Visibility(2), Qt::LeftButton, {},
                      QPoint(8, page_->Visibility(2)->height() / 2));
    QVERIFY(!logger_->ChannelTable()[2].visible);
    QTest::mouseClick(page_->Signal(7), Qt::LeftButton);
    QCOMPARE(logger_->Selected(), 7u);
    QTest::mouseClick(page_->Button("CmdZoomIn"), Qt::LeftButton);
    QCOMPARE(logger_->ChannelTable()[7].zoom, 110);
    QVERIFY(page_->Signal(7)->text().contains(QStringLiteral("[x110]")));
    QTest::mouseClick(page_->Button("CmdEsportaCsv"), Qt::LeftButton);
    QVERIFY(core::EsisteFile(rig_->root.File("x.csv")));
  }

  void replayPlaysTheSavedRecordingAndStops() {
    QTest::mouseClick(page_->Button("OptRun0"), Qt::LeftButton);
    for (int r = 0; r < 5; ++r) {
      rig_->clock.now += 100'000;
      rig_->table.DecodificaRisposta(rig_->Live({{32, 9375}}), 1);
    }
    QTest::mouseClick(page_->Button("OptRun1"), Qt::LeftButton);
    QTest::mouseClick(page_->Button("CmdSaveLogOsc"), Qt::LeftButton);

    acq::FrmReplay replay(rig_->env, " 1.0");
    ui::FrmReplayPage view(replay);
    view.choose_file = [this] { return QString::fromStdString(rig_->root.File("r.vfl")); };
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(!view.Play()->isEnabled());
    QTest::mouseClick(view.OpenButton(), Qt::LeftButton);
    QCOMPARE(replay.Sequence().Size(), 6u);
    QVERIFY(view.Play()->isEnabled());
    QTest::mouseClick(view.Play(), Qt::LeftButton);
    QVERIFY(view.Timer()->isActive());
    QVERIFY(view.Stop()->isEnabled());
    rig_->clock.now += 150'000;
    view.Tick();
    QCOMPARE(replay.StepsPlayed(), 1u);
    QVERIFY(view.StepLabel()->text().contains(QStringLiteral("1 / 6")));
    QTest::mouseClick(view.Stop(), Qt::LeftButton);
    QVERIFY(!replay.Playing());
    QVERIFY(view.Play()->isEnabled());
  }

 private:
  std::unique_ptr<acq::test::AcqRig> rig_;
  std::unique_ptr<acq::FrmLogger> logger_;
  std::unique_ptr<ui::FrmLoggerPage> page_;
};

QTEST_MAIN(UiAcqTest)
#include "ui_acq_test.moc"

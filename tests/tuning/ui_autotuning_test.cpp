// The auto-tuning page driven as a fitter would, without a display: Start,
// the run's step, samples and cylinder on the controls, Confirm and Cancel,
// and the picture taken in the middle of a run.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "tests/pages/page_fakes.h"
#include "tuning/frm_autotuning.h"
#include "ui/frm_autotuning_page.h"

using namespace velmora;

namespace {

QString Shown(QWidget& page, const char* name) {
  const auto* label = page.findChild<QLabel*>(QString::fromUtf8(name));
  return label != nullptr ? label->text() : QStringLiteral("<none>");
}

}  // namespace

class UiAutoTuningTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<pages::test::PageRig>();
    model_ = std::make_unique<tuning::FrmAutoTuning>(
        rig_->env,
        tuning::TuningProcedure{
            [] { return true; },
            [this](tuning::TuningObserver& o, tuning::TuningControl& c) { return script_(o, c); }});
    page_ = std::make_unique<ui::FrmAutoTuningPage>(*model_);
    page_->resize(1000, 760);
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
  }

  void cleanup() {
    page_.reset();
    model_.reset();
    rig_.reset();
  }

  void startRunConfirmAndCancelWithTheMouse() {
    // What the page showed in the middle of the run, and the flags then.
    int progress = -1;
    QString step;
    QString gas;
    QString cylinder;
    bool start_on = true;
    tuning::TuningControl flags;
    script_ = [&](tuning::TuningObserver& o, tuning::TuningControl& c) {
      o.StepChanged(4, 0, "");
      o.Sample(5200, 5100, 1, 8);
      o.Cylinder(3);
      progress = page_->Progress()->value();
      step = Shown(*page_, "LblCalStep");
      gas = page_->GasGrid()->item(0, 1)->text();
      cylinder = Shown(*page_, "LBL_Iniettore");
      start_on = page_->CmdCalStart()->isEnabled();
      QTest::mouseClick(page_->CmdCalOk(), Qt::LeftButton);
      QTest::keyClick(page_->CmdCalCancel(), Qt::Key_Space);
      flags = c;
      return tuning::tune_result::kCancelled;
    };
    QVERIFY(page_->CmdCalStart()->isEnabled());
    QVERIFY(!page_->CmdCalCancel()->isEnabled());
    QTest::mouseClick(page_->CmdCalStart(), Qt::LeftButton);
    QVERIFY(!rig_->session.pages_enabled);
    QVERIFY(page_->CmdCalCancel()->isEnabled());
    rig_->session.step_state();
    QCOMPARE(progress, 57);
    QVERIFY(step.endsWith(QStringLiteral("57 %")));
    QCOMPARE(gas, QString::fromUtf8("5100 \u00b5s"));
    QVERIFY(cylinder.endsWith(QStringLiteral(" 3")));
    QVERIFY(!start_on);
    QVERIFY(flags.accept);
    QVERIFY(flags.cancel);
    QVERIFY(rig_->session.pages_enabled);
    QVERIFY(page_->CmdCalStart()->isEnabled());
    QCOMPARE(Shown(*page_, "LAB_STATUS"),
             QString::fromStdString(model_->Texts().ResultText(tuning::tune_result::kCancelled)));
  }

  void pictureTakenWhileTheRunSamples() {
    int step_grabbed = -1;
    script_ = [](tuning::TuningObserver& o, tuning::TuningControl& c) {
      o.StepChanged(2, 0, "");
      o.StepChanged(3, 0, "");
      for (int n = 1; n <= 8; ++n) {  // taken at the eighth sample, then cancelled
        o.Sample(3000 + n, 0, n, 20);
      }
      return c.cancel ? tuning::tune_result::kCancelled : tuning::tune_result::kDone;
    };
    // The session takes the run on its next tick.
    QTimer::singleShot(0, this, [this] { rig_->session.step_state(); });
    QVERIFY(page_->CaptureMidRun(
        [&] {
          step_grabbed = model_->View().running ? model_->View().step : -1;
          return true;
        },
        60'000));
    QCOMPARE(step_grabbed, 3);
    QCOMPARE(model_->View().status_kind, tuning::TuningStatus::kStopped);
    QVERIFY(rig_->session.pages_enabled);
  }

 private:
  std::unique_ptr<pages::test::PageRig> rig_;
  std::unique_ptr<tuning::FrmAutoTuning> model_;
  std::unique_ptr<ui::FrmAutoTuningPage> page_;
  std::function<int(tuning::TuningObserver&, tuning::TuningControl&)> script_;
};

QTEST_MAIN(UiAutoTuningTest)
#include "ui_autotuning_test.moc"

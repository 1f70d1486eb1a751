// The injection sequence page driven as a user would, without a display:
// keys and clicks reach the model, and what the model holds reaches the
// widgets.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "tests/pages/page_fakes.h"
#include "ui/frm_seq_inj_page.h"

using namespace velmora;

class UiSeqInjTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<pages::test::PageRig>();
    rig_->table.SetValue(3, 1, 4);
    for (std::size_t i = 0; i < 4; ++i) {
      rig_->table.SetValue(3, 16 - i, 1);
      rig_->table.SetValue(15, 6 + i, static_cast<std::int32_t>(i));
    }
    rig_->table.SetValue(1, 38, 1);
    rig_->table.SetValue(1, 32, 150);
  }
  void cleanup() { rig_.reset(); }

  void channelsAcquisitionAndClose() {
    tuning::FrmSeqInj model(rig_->env);
    ui::FrmSeqInjPage page(model);
    page.resize(900, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.Outputs()->text(), QStringLiteral("OUT: -1-2-3-4-\n CH: -1-2-3-4-"));
    QVERIFY(page.Channel(3)->isVisible());
    QVERIFY(!page.Channel(4)->isVisible());
    QVERIFY(page.PhaseShifter()->isVisible());

    // Channel 2 stepped onto output 1, which channel 1 drives: warned, written.
    QComboBox* second = page.Channel(1);
    second->setFocus();
    QTest::keyClick(second, Qt::Key_Up);
    pages::test::FakePageSession& session = rig_->session;
    QCOMPARE(session.lists.Of(15).size(), std::size_t{1});
    QCOMPARE(session.lists.Of(15)[0].value, 0);
    QCOMPARE(session.lists.Of(15)[0].field, 7);
    QCOMPARE(rig_->box.shown.size(), std::size_t{1});
    session.Done();
    session.lists.ClearAll();

    // At 150 rpm the acquisition is refused; at idle it is posted.
    QTest::mouseClick(page.Acquire(), Qt::LeftButton);
    QVERIFY(session.posted.size() == 1 && rig_->box.shown.size() == 2);
    rig_->table.SetValue(1, 32, 800);
    QTest::mouseClick(page.Acquire(), Qt::LeftButton);
    QCOMPARE(session.posted.back(), session::request::kAcquisition);

    // The shifted box only shows the ECU's state.
    QTest::mouseClick(page.Shifted(), Qt::LeftButton);
    QVERIFY(!page.Shifted()->isChecked());
    QTest::mouseClick(page.CloseButton(), Qt::LeftButton);
    QCOMPARE(rig_->window.pages, std::vector<int>{session::page_id::kManagement});
  }

 private:
  std::unique_ptr<pages::test::PageRig> rig_;
};

QTEST_MAIN(UiSeqInjTest)
#include "ui_seq_inj_test.moc"

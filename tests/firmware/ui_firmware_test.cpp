// The firmware page driven as a fitter would, without a display: the two
// versions and the verdict, an image chosen by its button, the update
// started with the keyboard, its progress and its result.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "core/files.h"
#include "firmware/frm_firmware.h"
#include "firmware/update_codes.h"
#include "tests/firmware/image_lines.h"
#include "tests/pages/page_fakes.h"
#include "ui/frm_firmware_page.h"

using namespace velmora;

namespace {

namespace ft = firmware::firmware_text;

void Write(const std::string& path, const std::vector<std::string>& lines) {
  (void)core::CreaCartella(path.substr(0, path.find_last_of('/')));
  (void)core::WriteFileAtomic(path, core::JoinCrLf(lines));
}

std::vector<std::string> Image(std::uint8_t minor, std::uint16_t year) {
  return firmware::test::ImageLines(
      Bytes(256, 0x44), 0x00FC8000,
      firmware::test::Identification(3, minor, 0x18, 0x09, year, firmware::test::kNexText));
}

QString Shown(QWidget& page, const char* name, int which = 0) {
  const auto labels = page.findChildren<QLabel*>(QString::fromUtf8(name));
  return which < labels.size() ? labels[which]->text() : QStringLiteral("<none>");
}

}  // namespace

class UiFirmwareTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    rig_ = std::make_unique<pages::test::PageRig>();
    Write(rig_->paths.flash_ini, firmware::test::ShippedSectors());
    Write(rig_->paths.fw_nex, Image(6, 0x2020));
    Bytes answer{0x42, 0x01, 0x2A, 0x21, 0x00};
    const Bytes id =
        firmware::test::Identification(3, 5, 0x18, 0x09, 0x2019, firmware::test::kNexText);
    answer.insert(answer.end(), id.begin(), id.end());
    answer.push_back(0);
    rig_->table.SetLastAnswer(0, answer);
    model_ = std::make_unique<firmware::FrmFirmware>(rig_->env, nullptr);
    page_ = std::make_unique<ui::FrmFirmwarePage>(*model_);
    model_->Shown();
    page_->resize(1000, 700);
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
  }

  void cleanup() {
    page_.reset();
    model_.reset();
    rig_.reset();
  }

  void versionsVerdictAndTheImageButton() {
    QCOMPARE(Shown(*page_, "LblVersion", 0), QStringLiteral("03.05 - 18/09/2019"));
    QCOMPARE(Shown(*page_, "LblVersion", 1), QStringLiteral("03.06 - 18/09/2020"));
    QCOMPARE(Shown(*page_, "LblVerdetto"), QString::fromStdString(texts_[ft::kNewer]));
    QVERIFY(page_->CmdOk()->isEnabled());

    const std::string same = rig_->root.File("SAME.FRH");
    Write(same, Image(5, 0x2019));
    page_->SetImageChooser([&] { return QString::fromStdString(same); });
    QTest::mouseClick(page_->CmdSelect(), Qt::LeftButton);
    QCOMPARE(Shown(*page_, "LblFile"), QString::fromStdString(same));
    QCOMPARE(Shown(*page_, "LblVerdetto"), QString::fromStdString(texts_[ft::kSame]));

    const std::string text_file = rig_->root.File("x.frh.txt");
    Write(text_file, Image(7, 0x2021));
    page_->SetImageChooser([&] { return QString::fromStdString(text_file); });
    QTest::mouseClick(page_->CmdSelect(), Qt::LeftButton);
    QCOMPARE(Shown(*page_, "LblFile"), QString::fromStdString(same));
    QCOMPARE(Shown(*page_, "LblMessaggio"), QString::fromStdString(texts_[ft::kBadImage]));
    QCOMPARE(rig_->window.beeps.size(), std::size_t{1});
  }

  void updateRunsWithTheButtonsOffAndShowsItsResult() {
    page_->CmdOk()->setFocus();
    QTest::keyClick(page_->CmdOk(), Qt::Key_Space);
    QCOMPARE(rig_->session.posted, std::vector<int>{firmware::kUpdateRequest});
    QVERIFY(!page_->CmdOk()->isEnabled());
    QVERIFY(!page_->CmdSelect()->isEnabled());
    QVERIFY(!page_->CmdCancel()->isEnabled());

    // What the session's run of the request reports.
    model_->ShowStep(ft::kWrite);
    model_->ShowBar(1800);
    model_->ShowBlocks(30, 60);
    QCOMPARE(Shown(*page_, "LblPasso"), QString::fromStdString(texts_[ft::kWrite]));
    QVERIFY(page_->Bar()->isVisible());
    QCOMPARE(page_->Bar()->value(), 1800);
    firmware::UpdateResult result;
    result.code = firmware::update_code::kOk;
    model_->Finished(result);
    QVERIFY(!page_->Bar()->isVisible());
    QCOMPARE(Shown(*page_, "LblMessaggio"), QString::fromStdString(texts_[ft::kSuccess]));
    QVERIFY(page_->CmdCancel()->isEnabled());
    QTest::mouseClick(page_->CmdCancel(), Qt::LeftButton);
    QCOMPARE(rig_->window.pages, std::vector<int>{24});
  }

 private:
  std::unique_ptr<pages::test::PageRig> rig_;
  std::unique_ptr<firmware::FrmFirmware> model_;
  std::unique_ptr<ui::FrmFirmwarePage> page_;
  firmware::FirmwareTexts texts_;
};

QTEST_MAIN(UiFirmwareTest)
#include "ui_firmware_test.moc"

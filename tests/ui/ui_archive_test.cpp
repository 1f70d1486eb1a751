// The archive dialog, the File menu and the comparison page driven as a
// user would, without a display, over the page fakes.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "calib/calibration_import.h"
#include "core/hex.h"
#include "pages/archive_texts.h"
#include "pages/compare_model.h"
#include "tests/pages/page_fakes.h"
#include "ui/change_heat_view.h"
#include "ui/compare_page.h"
#include "ui/file_menu.h"
#include "ui/frm_kvx_load_save.h"

using namespace velmora;

namespace {

namespace request = session::request;

class FixedDate final : public calib::DateProvider {
 public:
  calib::CalendarDate Today() override { return {1, 2, 2024}; }
};

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Stage() {
  const char* stage = std::getenv("VELMORA_STAGE");
  return stage != nullptr ? stage : ".";
}

struct Rig {
  Rig() {
    for (const std::string& dir : {rig.paths.data_dir, rig.paths.bin, rig.paths.lng}) {
      std::filesystem::create_directories(dir);
    }
  }
  std::string Data(const std::string& name) const { return rig.paths.data_dir + name; }
  pages::test::PageRig rig;
  FixedDate dates;
};

void ClickItem(QListWidget* list, int row) {
  const QRect r = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

}  // namespace

class UiArchiveTest : public QObject {
  Q_OBJECT

 private slots:
  void archiveDialogSavesOpensAndRefuses() {
    Rig r;
    Write(r.Data("FIAT_Punto_4_AB.qvd"), "[NOTE]\r\none\r\ntwo\r\n[FW]\r\n");
    pages::CalibrationDocument document({r.rig.env, r.dates, r.rig.paths.bin + "/Recent.ini"});
    ui::FrmKvxLoadSaveDialog save(document, pages::archive_mode::kSave);
    save.show();
    QTest::keyClicks(save.Manufacturer()->lineEdit(), "M");
    QTest::keyClicks(save.ModelField(), "../x");
    QTest::keyClicks(save.Cylinders(), "4");
    QTest::keyClicks(save.Identifier(), "X");
    QTest::mouseClick(save.OkButton(), Qt::LeftButton);
    QVERIFY(save.isVisible());  // refused, nothing posted
    QCOMPARE(r.rig.box.shown.back().text, save.Model().Texts().bad_name);
    QVERIFY(r.rig.session.posted.empty());
    save.ModelField()->clear();
    QTest::keyClicks(save.ModelField(), "P");
    QTest::mouseClick(save.OkButton(), Qt::LeftButton);
    QCOMPARE(save.result(), int(QDialog::Accepted));
    QCOMPARE(r.rig.session.posted, std::vector<int>{request::kSaveFromEcu});
    QCOMPARE(r.rig.session.chosen_file, r.Data("M_P_4_X.qvd"));

    r.rig.session.Done();
    ui::FrmKvxLoadSaveDialog open(document, pages::archive_mode::kOpen);
    open.show();
    QCOMPARE(open.Files()->count(), 1);
    ClickItem(open.Files(), 0);
    QCOMPARE(open.Manufacturer()->currentText(), QString("FIAT"));
    QCOMPARE(open.ModelField()->text(), QString("Punto"));
    QCOMPARE(open.Identifier()->text(), QString("AB"));
    QCOMPARE(open.Note()->toPlainText(), QString("one\ntwo"));
    QTest::mouseClick(open.OkButton(), Qt::LeftButton);
    QCOMPARE(r.rig.session.posted.back(), request::kLoadAll);
    QCOMPARE(r.rig.session.chosen_file, r.Data("FIAT_Punto_4_AB.qvd"));
  }

  void fileMenuOpensSavesAndTakesDrops() {
    Rig r;
    QMainWindow window;
    QMenu* menu = window.menuBar()->addMenu("File");
    QAction* exit = menu->addAction("Exit");
    ui::FileMenu files(*menu, exit, window);
    int retitled = 0;
    files.Attach(r.rig.env, r.rig.paths.port_com, [&retitled] { ++retitled; });
    std::string chosen = r.Data("car.xsi");
    Write(chosen, "");
    files.SetFileChooser([&chosen](ui::FileDialog, const QString&, const QString&) {
      return QString::fromStdString(chosen);
    });
    files.SetScopeChooser([] { return std::optional<std::size_t>(2); });
    QCOMPARE(menu->actions().back(), exit);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Connected: the scope is asked, the maps are loaded into the ECU.
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(r.rig.session.posted, std::vector<int>{request::kLoadMaps});
    QCOMPARE(r.rig.session.chosen_file, chosen);
    auto* progress = window.findChild<QProgressDialog*>("DlgAvanzamento");
    QVERIFY(progress != nullptr && progress->isVisible());
    r.rig.session.Done();
    files.Follow();
    QVERIFY(!progress->isVisible());

    // Disconnected: Save as writes the file from memory at once.
    r.rig.session.state = core::session_state::kDisconnected;
    chosen = r.Data("saved.xsi");
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(std::filesystem::exists(chosen));
    QCOMPARE(r.rig.session.posted.size(), std::size_t{1});
    QCOMPARE(files.TitleSuffix(), QString("     saved - [saved.xsi] "));
    QVERIFY(retitled > 0);
    emit files.RecentMenu()->aboutToShow();
    QVERIFY(files.RecentMenu()->actions().front()->text().contains("saved.xsi"));

    // A calibration file dropped on the window opens as with Open.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/x/notes.txt"),
                  QUrl::fromLocalFile(QString::fromStdString(r.Data("car.xsi")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(r.rig.session.posted.back(), request::kLoadAll);
    QCOMPARE(r.rig.session.chosen_file, r.Data("car.xsi"));
  }

  void comparePageShowsAndCopiesAMap() {
    Rig r;
    std::vector<std::string> set_com;
    QVERIFY(core::LeggiRighe(Stage() + "/bin/SetCom.ini", set_com));
    r.rig.table = link::MessageTable(core::LeggiSetCom(set_com).messages);
    const std::string reference = Stage() + "/lng/00 Direct Inj Custom.xsi";
    calib::CalibrationEnv env{r.rig.table, r.rig.image, r.rig.box, r.dates, {}};
    QVERIFY(calib::OpenCalibrationFile(env, reference));
    r.rig.image.base_map[30] = static_cast<std::uint8_t>(r.rig.image.base_map[30] + 4);
    std::filesystem::copy_file(reference, r.Data("A_B_4_X.qvd"));

    pages::CompareModel model(r.rig.env);
    ui::ComparePage page(model);
    model.Shown();
    page.Refresh();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.Side(0)->currentText(), QString("A_B_4_X.qvd"));
    QCOMPARE(page.Status()->text(), QString("1 differences"));
    QCOMPARE(page.Lines()->item(0)->text(), QString::fromUtf8("map 0 row 7 col 1: %1 \u2192 %2")
                                                .arg(r.rig.image.base_map[30] - 4)
                                                .arg(r.rig.image.base_map[30]));
    QCOMPARE(page.Heat()->Change()[30], 4);
    QVERIFY(!page.CopyButton()->isEnabled());

    QTableWidget* sections = page.Sections();
    const QRect cell = sections->visualItemRect(sections->item(0, 0));
    QTest::mouseClick(sections->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(page.CopyButton()->isEnabled());
    QTest::mouseClick(page.CopyButton(), Qt::LeftButton);
    QCOMPARE(r.rig.session.posted, std::vector<int>{request::kWriteBank1});
    QCOMPARE(page.Heat()->Change()[30], 0);  // the image holds the archive's map now
  }
};

QTEST_MAIN(UiArchiveTest)
#include "ui_archive_test.moc"

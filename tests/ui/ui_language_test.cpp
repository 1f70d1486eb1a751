// The main window, the start-up language window and the language page,
// driven as a user would, without a display.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <string>

#include "core/files.h"
#include "core/startup.h"
#include "core/version.h"
#include "tests/core/temp_dir.h"
#include "ui/frm_kvx_language.h"
#include "ui/frm_lingua.h"
#include "ui/main_window.h"

using namespace velmora;

namespace {

std::string Dictionary() {
  auto block = [](const std::string& name, const std::string& title, const std::string& prefix) {
    std::string s = "###\r\n" + name + "\r\n" + title + "\r\n[Frm_Generale]\r\n";
    for (int k = 1; k <= 40; ++k) {
      s += prefix + std::to_string(k) + "\r\n";
    }
    return s;
  };
  return block("#English&0", "Title EN", "en") + block("#Italiano&0", "Titolo IT", "it");
}

class Host : public core::StartupHost {
 public:
  explicit Host(core::StartupState& s) : state(s) {}
  int ChooseLanguageAtStartup(const core::ClsLingue&) override { return 1; }
  void LoadMainWindow() override { window = std::make_unique<ui::MainWindow>(state); }
  core::StartupState& state;
  std::unique_ptr<ui::MainWindow> window;
};

}  // namespace

class UiLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    std::filesystem::create_directories(dir_->File("bin"));
    std::filesystem::create_directories(dir_->File("lng"));
    QVERIFY(core::WriteFileAtomic(dir_->File("lng/diz.diz"), Dictionary()));
  }
  void cleanup() { dir_.reset(); }

  void mainWindowShowsTitleVersionAndLanguage() {
    core::StartupState state;
    Host host(state);
    core::RunStartup(state, host, dir_->File("bin"));
    QVERIFY(host.window != nullptr);
    ui::MainWindow& w = *host.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Choosing a language gives its entry 0 the product title.
    QCOMPARE(w.windowTitle().toStdString(), std::string(core::kProductTitle) + core::VersionText());
    auto* lang = w.findChild<QLabel*>("LblLingua");
    QVERIFY(lang != nullptr);
    QCOMPARE(lang->text(), QString("it32: Italiano"));
    auto* nav = w.findChild<QListWidget*>("LstPagine");
    QCOMPARE(nav->item(1)->text(), QString("it31"));

    // The language page re-captions every open window at once.
    w.SelezioneScheda(1);
    auto* english = w.findChild<QPushButton*>("CmdLingua0");
    QVERIFY(english != nullptr);
    QCOMPARE(english->text(), QString("English"));
    QTest::mouseClick(english, Qt::LeftButton);
    QCOMPARE(state.lingue.IdLingua(), 0);
    QCOMPARE(lang->text(), QString("en32: English"));
    QCOMPARE(nav->item(1)->text(), QString("en31"));
    std::string choice;
    QVERIFY(core::ReadWholeFile(dir_->File("lng/diz.con"), choice));
    QCOMPARE(choice, std::string("0\r\n"));
    QCOMPARE(state.lingue.VoceDizionario(0, 0), std::string(core::kProductTitle));
    w.close();
  }

  void startupWindowOffersEveryLanguage() {
    core::ClsLingue lingue;
    lingue.SetPathDizionario(dir_->File("lng/diz.diz"));
    lingue.SetPathAttualeLingua(dir_->File("lng/diz.con"));
    lingue.LoadDizionario();
    ui::FrmLingua dialog(lingue);
    auto* first = dialog.findChild<QRadioButton*>("OptLingua0");
    auto* second = dialog.findChild<QRadioButton*>("OptLingua1");
    QVERIFY(first != nullptr && second != nullptr);
    QCOMPARE(first->text(), QString("English"));
    QCOMPARE(second->text(), QString("Italiano"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(8, second->height() / 2));
    QCOMPARE(dialog.Chosen(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

 private:
  std::unique_ptr<test::TempDir> dir_;
};

QTEST_MAIN(UiLanguageTest)
#include "ui_language_test.moc"

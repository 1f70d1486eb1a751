// The main window built from its page table, the start-up language window
// and the language page, driven as a user would, without a display.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "apps/velmora/screenshots.h"
#include "core/files.h"
#include "core/startup.h"
#include "core/version.h"
#include "maps/map_page.h"
#include "tests/core/temp_dir.h"
#include "tests/maps/page_fakes.h"
#include "ui/frm_lingua.h"
#include "ui/help_menu.h"
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
  Host(core::StartupState& s, std::span<const ui::WorkstationPage> pages)
      : state(s), table(pages) {}
  int ChooseLanguageAtStartup(const core::ClsLingue&) override { return 1; }
  void LoadMainWindow() override { window = std::make_unique<ui::MainWindow>(state, table); }
  core::StartupState& state;
  std::span<const ui::WorkstationPage> table;
  std::unique_ptr<ui::MainWindow> window;
};

// A page added to the workstation by one line of its table.
class TestModel final : public pages::PageModel {
 public:
  void Shown() override { ++shown; }
  int shown = 0;
};

std::unique_ptr<pages::PageModel> MakeTestModel(ui::PageEnv& /*env*/, int /*code*/) {
  return std::make_unique<TestModel>();
}

ui::PageView MakeTestView(const ui::ViewEnv& /*env*/, pages::PageModel& model) {
  auto* label = new QLabel;
  label->setObjectName("TestPage");
  TestModel* m = ui::ModelOf<TestModel>(model);
  return {label, [label, m] { label->setText(QString::number(m->shown)); }};
}

constexpr int kTestCode = 90;

}  // namespace

class UiMainWindowTest : public QObject {
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
    Host host(state, ui::WorkstationPages());
    core::RunStartup(state, host, dir_->File("bin"));
    QVERIFY(host.window != nullptr);
    ui::MainWindow& w = *host.window;
    maps::test::PageRig rig;
    session::RequestTable requests;
    platform::FakeClock clock;
    w.AttachPages({rig.image, rig.table, rig.session, requests, rig.box, clock, state.lingue,
                   state.paths, nullptr, "", ""});
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
    QCOMPARE(w.PageAction(1)->text(), QString("en31"));
    std::string choice;
    QVERIFY(core::ReadWholeFile(dir_->File("lng/diz.con"), choice));
    QCOMPARE(choice, std::string("0\r\n"));
    QCOMPARE(state.lingue.VoceDizionario(0, 0), std::string(core::kProductTitle));
    w.close();
  }

  // The Help menu's shortcut list holds every page's key and the fixed
  // ones; the manual is the PDF, else the copy installed beside it.
  void helpMenuListsEveryShortcutAndFindsTheManual() {
    core::StartupState state;
    Host host(state, ui::WorkstationPages());
    core::RunStartup(state, host, dir_->File("bin"));
    QVERIFY(host.window != nullptr);
    QVERIFY(host.window->findChild<QMenu*>("MnuAiuto") != nullptr);
    const auto lines = ui::MenuShortcuts(*host.window->menuBar());
    const auto listed = [&lines](const QKeySequence& keys) {
      return std::any_of(lines.begin(), lines.end(), [&keys](const ui::ShortcutLine& l) {
        return l.keys == keys.toString(QKeySequence::NativeText);
      });
    };
    for (const ui::WorkstationPage& page : ui::WorkstationPages()) {
      if (!page.info.shortcut.empty()) {
        const QString text = QString::fromUtf8(page.info.shortcut.data(),
                                               static_cast<qsizetype>(page.info.shortcut.size()));
        QVERIFY2(listed(QKeySequence(text, QKeySequence::PortableText)), qPrintable(text));
      }
    }
    QVERIFY(listed(QKeySequence(Qt::CTRL | Qt::Key_Q)));
    QVERIFY(listed(QKeySequence(Qt::Key_F1)));

    const std::string pdf = state.paths.pdf_dir;
    std::filesystem::create_directories(pdf);
    QCOMPARE(ui::ManualFile(pdf), std::string());
    QVERIFY(core::WriteFileAtomic(pdf + "manual.md", "# Manual\n"));
    QCOMPARE(ui::ManualFile(pdf), pdf + "manual.md");
    QVERIFY(core::WriteFileAtomic(pdf + "manual.pdf", "%PDF-1.4\n"));
    QCOMPARE(ui::ManualFile(pdf), pdf + "manual.pdf");

    // The shipped dictionary gives the menu its Italian texts.
    QVERIFY(core::WriteFileAtomic(dir_->File("lng/diz.con"), "1\r\n"));
    const char* stage = std::getenv("VELMORA_STAGE");
    QVERIFY(stage != nullptr);
    core::ClsLingue italian;
    italian.SetPathDizionario(std::string(stage) + "/lng/diz.diz");
    italian.SetPathAttualeLingua(dir_->File("lng/diz.con"));
    italian.LoadDizionario();
    const ui::HelpTexts texts = ui::HelpTextsFrom(italian);
    QCOMPARE(texts.menu, QString("&Aiuto"));
    QCOMPARE(texts.no_manual, QString("Il manuale utente non è installato in"));
  }

  // One more line in the page table: the page has its navigation row, its
  // menu entry with its shortcut, and its screenshot. A map's row opens the
  // view the map's flag chooses.
  void aPageIsOneLineOfThePageTable() {
    std::vector<ui::WorkstationPage> table(ui::WorkstationPages().begin(),
                                           ui::WorkstationPages().end());
    // A code, name or shortcut listed twice would silently hide a page.
    std::set<int> codes;
    std::set<std::string_view> names;
    std::set<std::string_view> keys;
    for (const auto& line : table) {
      QVERIFY2(codes.insert(line.info.code).second, line.info.name.data());
      QVERIFY2(names.insert(line.info.name).second, line.info.name.data());
      QVERIFY2(line.info.shortcut.empty() || keys.insert(line.info.shortcut).second,
               line.info.name.data());
    }
    table.push_back(
        {{kTestCode, "test-page", pages::kOwnRow, {"[Frm_Test]", 1, "Test page"}, "Ctrl+9"},
         MakeTestModel,
         MakeTestView});
    core::StartupState state;
    Host host(state, table);
    core::RunStartup(state, host, dir_->File("bin"));
    ui::MainWindow& w = *host.window;
    maps::test::PageRig rig;
    session::RequestTable requests;
    platform::FakeClock clock;
    w.AttachPages({rig.image, rig.table, rig.session, requests, rig.box, clock, state.lingue,
                   state.paths, nullptr, "", ""});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // The test page's row comes last, after every row of the real table.
    auto* nav = w.findChild<QListWidget*>("LstPagine");
    // Every page with a row of its own, the test page's last.
    int rows = 0;
    for (const auto& line : table) {
      rows += line.info.row == pages::kOwnRow ? 1 : 0;
    }
    QCOMPARE(nav->count(), rows);
    const int test_row = rows - 1;
    QCOMPARE(nav->item(test_row)->text(), QString("Test page"));
    QAction* action = w.PageAction(static_cast<std::size_t>(test_row));
    QCOMPARE(action->text(), QString("Test page"));
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_9));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.windowHandle(), Qt::Key_9, Qt::ControlModifier);
    QCOMPARE(w.ShownPage(), kTestCode);
    auto* page = w.findChild<QLabel*>("TestPage");
    QVERIFY(page->isVisible());
    QCOMPARE(page->text(), QString("1"));  // its model told, its view refreshed
    QCOMPARE(nav->currentRow(), test_row);

    // The base map's row: the grid view, or the carburation view once the
    // map's flag asks for the simplified view.
    nav->setCurrentRow(3);
    QCOMPARE(w.ShownPage(), maps::map_info::kMaps[0].grid_page);
    rig.image.companion[maps::config_block::kViewByte] = maps::map_info::kMaps[0].view_bit;
    QTest::keyClick(w.windowHandle(), Qt::Key_F5);
    QCOMPARE(w.ShownPage(), maps::map_info::kMaps[0].carb_page);
    QCOMPARE(nav->currentRow(), 3);
    nav->setCurrentRow(test_row);
    QCOMPARE(w.ShownPage(), kTestCode);
    QCOMPARE(page->text(), QString("2"));

    test::TempDir shots;
    QVERIFY(app::SavePageScreenshots(w, shots.Path()));
    for (const char* name :
         {"test-page", "dashboard", "language", "connection", "map-grid", "carburation",
          "carburation-pressure", "compensation", "switch-over", "axes"}) {
      QVERIFY2(QFile::exists(
                   QDir(QString::fromStdString(shots.Path())).filePath(name + QString(".png"))),
               name);
    }
    QCOMPARE(w.ShownPage(), kTestCode);
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

QTEST_MAIN(UiMainWindowTest)
#include "ui_main_window_test.moc"

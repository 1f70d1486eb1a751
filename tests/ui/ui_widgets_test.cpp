// The value entry dialog, the dashboard, the splash and the connection
// windows, driven as a user would, without a display.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>
#include <string>

#include "core/files.h"
#include "core/splash_timing.h"
#include "core/version.h"
#include "platform/fake/fakes.h"
#include "tests/core/temp_dir.h"
#include "ui/bar_widget.h"
#include "ui/connection_icon.h"
#include "ui/dashboard_page.h"
#include "ui/frm_enter_value.h"
#include "ui/frm_kvx_connected.h"
#include "ui/frm_kvx_port_search.h"
#include "ui/frm_prima.h"
#include "ui/gauge_widget.h"
#include "ui/splash_logo.h"
#include "ui/status_panel.h"

using namespace velmora;

namespace {

// The shipped dictionary, with the line ends the program reads.
std::string ShippedDictionary() {
  const char* source = std::getenv("VELMORA_SOURCE");
  std::string text;
  if (source == nullptr || !core::ReadWholeFile(std::string(source) + "/data/lng/diz.diz", text)) {
    return {};
  }
  std::string crlf;
  for (char c : text) {
    if (c == '\n') {
      crlf += "\r\n";
    } else if (c != '\r') {
      crlf += c;
    }
  }
  return crlf;
}

// Pictures of the widgets for a look by eye, when a folder is named.
void Shot(QWidget& w, const char* name) {
  const QPixmap shot = w.grab();
  QVERIFY(!shot.isNull());
  if (const char* dir = std::getenv("VELMORA_SCREENSHOT_DIR")) {
    QVERIFY(shot.save(QDir(QString::fromUtf8(dir)).filePath(QString::fromUtf8(name))));
  }
}

}  // namespace

class UiWidgetsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    const std::string dictionary = ShippedDictionary();
    QVERIFY(!dictionary.empty());
    QVERIFY(core::WriteFileAtomic(dir_->File("diz.diz"), dictionary));
    QVERIFY(core::WriteFileAtomic(dir_->File("diz.con"), "0\r\n"));
    lingue_ = std::make_unique<core::ClsLingue>();
    lingue_->SetPathDizionario(dir_->File("diz.diz"));
    lingue_->SetPathAttualeLingua(dir_->File("diz.con"));
    lingue_->LoadDizionario();
  }
  void cleanup() {
    lingue_.reset();
    dir_.reset();
  }

  void valueEntryRefusesOutOfRangeAndHandsBackTheValue() {
    platform::FakeMessageBox box;
    ui::FrmEnterValue dialog(box, lingue_.get(), " 1.0.0");
    const int marker = lingue_->MarkerOffset("[Frm_EnterValue]");
    QVERIFY(marker > 0);
    QCOMPARE(dialog.windowTitle().toStdString(), lingue_->Testo(marker, 1) + " 1.0.0");

    dialog.SistemaSoglie(pages::grid_limits::kMap);
    QVERIFY(dialog.Option(0)->isChecked());
    dialog.Prepare();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.Option(2)->click();
    QLineEdit* value = dialog.ValueBox();
    QCOMPARE(value->text(), QString("0"));
    QVERIFY(value->hasSelectedText());
    // Letters are dropped as they are typed.
    QTest::keyClicks(value, "2x56");
    QCOMPARE(value->text(), QString("256"));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    QCOMPARE(box.shown.size(), std::size_t{1});
    QCOMPARE(box.shown[0].text, lingue_->Testo(marker, 3) + " 255");
    QCOMPARE(box.shown[0].text, std::string("The value is above the maximum: 255"));
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.Done());

    // Below the minimum of "percent", then an empty text.
    dialog.Option(1)->click();
    value->clear();
    QTest::keyClicks(value, "-51");
    QTest::keyClick(value, Qt::Key_Return);
    QCOMPARE(box.shown.back().text, lingue_->Testo(marker, 4) + " -50");
    value->clear();
    QTest::keyClick(value, Qt::Key_Return);
    QCOMPARE(box.shown.back().text, lingue_->Testo(marker, 2));
    QVERIFY(dialog.isVisible());

    // A valid value, with a comma, closes the dialog with the result.
    pages::EnteredValue handed{};
    int done = 0;
    dialog.SetOnDone([&](const pages::EnteredValue& r) {
      handed = r;
      ++done;
    });
    QTest::keyClicks(value, "12,5");
    QTest::keyClick(value, Qt::Key_Enter);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(done, 1);
    QCOMPARE(handed.operation, pages::value_op::kPercent);
    QCOMPARE(handed.value, 12.5f);
    QCOMPARE(box.shown.size(), std::size_t{3});

    // Reused: Esc hands back operation 0 and value 0.
    dialog.SistemaSoglie(pages::grid_limits::kMap);
    dialog.SelectOption(*pages::OptionOfOperation(handed.operation));
    QVERIFY(dialog.Option(1)->isChecked());
    dialog.Prepare();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(value, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(done, 2);
    QCOMPARE(handed.operation, pages::value_op::kCancelled);
    QCOMPARE(handed.value, 0.0f);
    Shot(dialog, "value_entry.png");
  }

  void dashboardShowsItsValuesWithTheirDecimals() {
    ui::DashboardPage page(lingue_.get());
    page.resize(1000, 720);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.RpmGauge()->ValueText(), QString("-"));
    Shot(page, "dashboard_empty.png");

    pages::DashboardValues v;
    v.rpm = 812;
    v.gas_pressure_bar = 1.15;
    v.gas_c = -5;
    v.petrol_ms = 3.1;
    v.gas_ms = 4.2;
    v.lambda_mv = {830, 120, 640, 610};
    v.battery_v = 14.15;
    v.on_gas = true;
    v.switch_phase = pages::switch_phase::kGas;
    v.engine_steady = true;
    page.SetValues(v);
    QCOMPARE(page.RpmGauge()->ValueText(), QString("812"));
    auto* gas = page.findChild<ui::GaugeWidget*>("PI_Press");
    QVERIFY(gas != nullptr);
    QCOMPARE(gas->ValueText(), QString("1.15"));
    QCOMPARE(page.findChild<ui::GaugeWidget*>("PI_TGas")->ValueText(), QString("-5"));
    QCOMPARE(page.findChild<ui::BarWidget*>("BAR_TinjBenz")->ValueText(), QString("3.10"));
    QCOMPARE(page.findChild<ui::BarWidget*>("BAR_TinjGas")->ValueText(), QString("4.20"));
    QCOMPARE(page.findChild<ui::BarWidget*>("BAR_Lambda2Post")->ValueText(), QString("610"));
    auto* status = page.findChild<ui::StatusPanel*>("PNL_Stato");
    QVERIFY(status != nullptr);
    QCOMPARE(status->Rows().size(), std::size_t{4});
    QCOMPARE(status->Rows()[0].value, QString("Gas"));
    QCOMPARE(status->Rows()[2].value, QString("Steady"));
    QCOMPARE(status->Rows()[3].value, QString("14.2 V"));
    Shot(page, "dashboard.png");

    // Off-scale readings rest on the stops; the figures still tell the truth.
    v.rpm = 12000;
    page.SetValues(v);
    QCOMPARE(page.RpmGauge()->ValueText(), QString("12000"));
    page.Clear();
    QCOMPARE(gas->ValueText(), QString("-"));
  }

  void splashFadesOverItsLastPartAndClosesItself() {
    QCOMPARE(core::SplashOpacity(-5), 1.0);
    QCOMPARE(core::SplashOpacity(3'200'000), 1.0);
    QCOMPARE(core::SplashOpacity(3'600'000), 0.5);
    QCOMPARE(core::SplashOpacity(4'000'000), 0.0);
    QVERIFY(!core::SplashFinished(3'999'999));
    QVERIFY(core::SplashFinished(4'000'000));

    platform::FakeClock clock;
    ui::FrmPrima missing(clock, dir_->File("img/none.bmp").c_str());
    QVERIFY(!missing.UsesPicture());
    QCOMPARE(missing.size(), ui::kSplashSize);

    // The shipped picture is the logo.
    const char* source = std::getenv("VELMORA_SOURCE");
    QVERIFY(source != nullptr);
    ui::FrmPrima splash(clock, QString::fromUtf8(source) + "/data/img/" + ui::kSplashPictureName);
    QVERIFY(splash.UsesPicture());
    int closed = 0;
    splash.SetOnClosed([&] { ++closed; });
    splash.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(splash.Running());
    Shot(splash, "splash.png");
    clock.now += 3'000'000;
    splash.Tick();
    QCOMPARE(splash.windowOpacity(), 1.0);
    clock.now += 600'000;
    splash.Tick();
    QVERIFY(qAbs(splash.windowOpacity() - 0.5) < 0.01);
    QVERIFY(splash.isVisible());
    clock.now += 400'000;
    splash.Tick();
    QVERIFY(!splash.isVisible());
    QVERIFY(!splash.Running());
    QCOMPARE(closed, 1);
    splash.Tick();
    QCOMPARE(closed, 1);
  }

  void connectionPageChoosesPortsAndToggles() {
    ui::FrmKvxConnected page(lingue_.get());
    link::PortListing listing;
    listing.ports = {
        {0, link::PortKind::kUsb}, {3, link::PortKind::kCom}, {5, link::PortKind::kBluetooth}};
    listing.selector = {" - - - - - ", {"USB", "COM3", "COM5 BT"}};
    page.ElencaPorte(listing);
    std::vector<std::size_t> chosen;
    int toggles = 0;
    page.SetOnPortChosen([&](std::size_t line) { chosen.push_back(line); });
    page.SetOnToggle([&] { ++toggles; });
    page.resize(720, 520);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    QComboBox* selector = page.Selector();
    QCOMPARE(selector->placeholderText(), QString(" - - - - - "));
    QCOMPARE(selector->count(), 3);
    QCOMPARE(selector->currentIndex(), -1);
    QCOMPARE(selector->itemText(2), QString("COM5 BT"));
    // Showing the remembered port is not a choice.
    page.MostraPorta(0);
    page.MostraPorta(9);
    QCOMPARE(selector->currentIndex(), -1);
    page.MostraPortaCom(5);  // the connected port, by its COM number
    QCOMPARE(selector->currentIndex(), 2);
    page.MostraPortaCom(4);
    QCOMPARE(selector->currentIndex(), 2);
    page.MostraPorta(-1);
    QVERIFY(chosen.empty());
    QTest::keyClick(selector, Qt::Key_Down);
    QTest::keyClick(selector, Qt::Key_Down);
    QCOMPARE(chosen, (std::vector<std::size_t>{0, 1}));

    QTest::mouseClick(page.Picture(), Qt::LeftButton);
    QCOMPARE(toggles, 1);

    auto* heading = page.findChild<QLabel*>("LblStato");
    auto* action = page.findChild<QLabel*>("LblAzione");
    const int generale = lingue_->MarkerOffset("[Frm_Generale]");
    page.AggiornaStato(4);
    QCOMPARE(page.Picture()->Picture(), ui::connection_picture::kDisconnected);
    QCOMPARE(heading->text().toStdString(), lingue_->Testo(generale, 2));
    QCOMPARE(action->text().toStdString(), lingue_->Testo(generale, 20));
    Shot(page, "connection_disconnected.png");
    page.AggiornaStato(2);
    QCOMPARE(page.Picture()->Picture(), ui::connection_picture::kConnected);
    QCOMPARE(action->text().toStdString(), lingue_->Testo(generale, 21));
    Shot(page, "connection_connected.png");
    page.AggiornaStato(0, 7);
    QCOMPARE(page.Picture()->Picture(), 2);
    Shot(page, "connection_searching.png");
    QCOMPARE(ui::ConnectionPictureFor(0, -1), 4);
    QCOMPARE(ui::ConnectionPictureFor(8, 3), ui::connection_picture::kDisconnected);
    QCOMPARE(ui::ConnectionPictureFor(6, 3), ui::connection_picture::kConnected);
    page.Picture()->SetPicture(42);
    QCOMPARE(page.Picture()->Picture(), ui::connection_picture::kDisconnected);
  }

  void searchWindowMovesAndStops() {
    ui::FrmKvxPortSearch search(lingue_.get());
    int stops = 0;
    search.SetOnStop([&] { ++stops; });
    search.SetPort(7);
    const int generale = lingue_->MarkerOffset("[Frm_Generale]");
    QCOMPARE(search.findChild<QLabel*>("LblPorta")->text().toStdString(),
             lingue_->Testo(generale, 3) + "7");
    search.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&search));
    QVERIFY(search.Running());
    search.Tick();
    search.Tick();
    QCOMPARE(search.Progress(), 8);
    for (int i = 0; i < 24; ++i) {
      search.Tick();
    }
    QCOMPARE(search.Progress(), 0);  // wrapped after reaching the end
    Shot(search, "port_search.png");
    QTest::mouseClick(search.findChild<QPushButton*>("BUT_STOP"), Qt::LeftButton);
    QCOMPARE(stops, 1);
    QVERIFY(!search.Running());
    QVERIFY(!search.isVisible());
  }

  // Writes the splash picture when asked (VELMORA_WRITE_SPLASH=path); the
  // shipped file is made this way.
  void splashPictureIsTheDrawnLogo() {
    const QImage logo = ui::DrawSplashLogo(ui::kSplashSize);
    QCOMPARE(logo.size(), ui::kSplashSize);
    if (const char* out = std::getenv("VELMORA_WRITE_SPLASH")) {
      QVERIFY(logo.convertToFormat(QImage::Format_RGB888).save(QString::fromUtf8(out), "BMP"));
    }
  }

 private:
  std::unique_ptr<test::TempDir> dir_;
  std::unique_ptr<core::ClsLingue> lingue_;
};

QTEST_MAIN(UiWidgetsTest)
#include "ui_widgets_test.moc"

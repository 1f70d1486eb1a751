#include "ui/frm_error_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

#include "ui/card_frame.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

namespace col = diag::error_column;

// The model's columns the grid shows, in its order; the header texts come
// in the order of columns 1, 2, 3, 8 and 7.
constexpr std::array<int, 6> kShownColumns = {col::kLabel,  col::kName,         col::kCurrent,
                                              col::kStored, col::kSecondAction, col::kMonitored};
constexpr std::array<int, 5> kHeaderOrder = {col::kName, col::kCurrent, col::kStored,
                                             col::kMonitored, col::kSecondAction};

constexpr QRgb kCurrentRow = 0xFFFBE3E1;
constexpr QRgb kStoredRow = 0xFFFDF3DC;
constexpr QRgb kOverdue = 0xFFF6C9C6;
constexpr int kCountersWidth = 330;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QLineEdit* NewValueBox(const char* name) {
  auto* box = new QLineEdit;
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setAlignment(Qt::AlignRight);
  box->setFocusPolicy(Qt::NoFocus);
  return box;
}

QPushButton* NewButton(const char* name) {
  auto* b = new QPushButton;
  b->setObjectName(name);
  return b;
}

QTableWidgetItem* Cell(const QString& text, Qt::ItemFlags flags = Qt::ItemIsEnabled) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(flags);
  return item;
}

}  // namespace

FrmErrorPage::FrmErrorPage(diag::FrmError& page, QWidget* parent)
    : QWidget(parent),
      page_(page),
      title_(new QLabel),
      erase_(NewButton("CmdErrInjCanc")),
      errors_card_(new CardFrame),
      grid_(new QTableWidget),
      hint_(new QLabel),
      counters_card_(new CardFrame),
      gas_title_(new QLabel),
      gas_(NewValueBox("TxtTGas")),
      petrol_title_(new QLabel),
      petrol_(NewValueBox("TxtTPetrol")),
      service_title_(new QLabel),
      service_(new QComboBox),
      to_service_title_(new QLabel),
      to_service_(NewValueBox("TxtToService")),
      reset_gas_(NewButton("CmdTGas")),
      reset_petrol_(NewButton("CmdTPetrol")),
      restart_(NewButton("CmdToService")) {
  setObjectName("FrmError");
  grid_->setObjectName("GrdErr");
  service_->setObjectName("CmbService");
  LayOut();
  Connect();
  CaricaLingua();
}

int FrmErrorPage::ViewColumn(int model_col) {
  for (std::size_t i = 0; i < kShownColumns.size(); ++i) {
    if (kShownColumns[i] == model_col) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void FrmErrorPage::LayOut() {
  QFont big = title_->font();
  big.setPointSize(big.pointSize() + 3);
  big.setBold(true);
  title_->setFont(big);
  grid_->setColumnCount(static_cast<int>(kShownColumns.size()));
  grid_->verticalHeader()->setVisible(false);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
  grid_->setSelectionMode(QAbstractItemView::NoSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  grid_->horizontalHeader()->setSectionResizeMode(col::kName, QHeaderView::Stretch);
  hint_->setStyleSheet(QStringLiteral("color: #66788A;"));
  errors_card_->Body()->addWidget(grid_, 1);
  errors_card_->Body()->addWidget(hint_);

  auto* form = new QGridLayout;
  const std::array<std::pair<QLabel*, QWidget*>, 4> rows = {{{gas_title_, gas_},
                                                             {petrol_title_, petrol_},
                                                             {service_title_, service_},
                                                             {to_service_title_, to_service_}}};
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    form->addWidget(rows[static_cast<std::size_t>(r)].first, r, 0);
    form->addWidget(rows[static_cast<std::size_t>(r)].second, r, 1);
  }
  counters_card_->Body()->addLayout(form);
  for (QPushButton* b : {reset_gas_, reset_petrol_, restart_}) {
    counters_card_->Body()->addWidget(b);
  }
  counters_card_->Body()->addStretch(1);
  counters_card_->setFixedWidth(kCountersWidth);

  auto* top = new QHBoxLayout;
  top->addWidget(title_);
  top->addStretch(1);
  top->addWidget(erase_);
  auto* body = new QHBoxLayout;
  body->setSpacing(spacing::kGap);
  body->addWidget(errors_card_, 1);
  body->addWidget(counters_card_);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->setSpacing(spacing::kGap);
  page->addLayout(top);
  page->addLayout(body, 1);
}

void FrmErrorPage::Connect() {
  connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
    page_.ClickGrid(row + 1, kShownColumns.at(static_cast<std::size_t>(column)));
    Refresh();
  });
  connect(erase_, &QPushButton::clicked, this, [this] { page_.Erase(); });
  connect(reset_gas_, &QPushButton::clicked, this, [this] { page_.ResetGasCounter(); });
  connect(reset_petrol_, &QPushButton::clicked, this, [this] { page_.ResetPetrolCounter(); });
  connect(restart_, &QPushButton::clicked, this, [this] { page_.RestartService(); });
  connect(service_, &QComboBox::activated, this,
          [this](int index) { page_.ChooseService(low_list_shown_, index); });
}

void FrmErrorPage::CaricaLingua() {
  page_.CaricaLingua();
  const diag::ErrorPageTexts& t = page_.Texts();
  title_->setText(Q(t.errors_title));
  errors_card_->SetTitle(Q(t.errors_title));
  counters_card_->SetTitle(Q(t.title));
  gas_title_->setText(Q(t.gas));
  petrol_title_->setText(Q(t.petrol));
  service_title_->setText(Q(t.service));
  to_service_title_->setText(Q(t.to_service));
  reset_gas_->setText(Q(t.reset_gas));
  reset_petrol_->setText(Q(t.reset_petrol));
  restart_->setText(Q(t.restart_service));
  erase_->setText(Q(t.erase));
  hint_->setText(Q(t.hint));
  QStringList headers;
  for (std::size_t c = 0; c < kShownColumns.size(); ++c) {
    headers.append(QString());
  }
  for (std::size_t i = 0; i < kHeaderOrder.size(); ++i) {
    headers[ViewColumn(kHeaderOrder[i])] = Q(t.headers[i]);
  }
  grid_->setHorizontalHeaderLabels(headers);
  FillGrid();
  ShowServiceList();
  Refresh();
}

void FrmErrorPage::FillGrid() {
  const auto& rows = page_.Rows();
  grid_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    grid_->setRowHidden(r, rows[static_cast<std::size_t>(r)].Hidden());
    for (int c = 0; c < grid_->columnCount(); ++c) {
      grid_->setItem(r, c, Cell(QString()));
    }
  }
}

void FrmErrorPage::ShowRow(int r) {
  const diag::ErrorRow& row = page_.Rows()[static_cast<std::size_t>(r)];
  const bool pending = page_.PendingEditRow() == r + 1;
  const std::array<QString, 4> texts = {Q(row.label), Q(row.entry.name), Q(row.current),
                                        Q(row.stored)};
  const QColor back = row.current_state != 0  ? Colour(kCurrentRow)
                      : row.stored_state != 0 ? Colour(kStoredRow)
                                              : Colour(palette::kCard);
  for (int c = 0; c < grid_->columnCount(); ++c) {
    QTableWidgetItem* item = grid_->item(r, c);
    if (c < static_cast<int>(texts.size())) {
      item->setText(texts[static_cast<std::size_t>(c)]);
    } else {
      const bool on = kShownColumns[static_cast<std::size_t>(c)] == col::kMonitored
                          ? row.monitored
                          : row.second_action;
      item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
      // PctBackOn / PctBackOff: greyed while the change waits for the ECU.
      item->setFlags(pending ? Qt::NoItemFlags : Qt::ItemIsEnabled);
    }
    item->setBackground(back);
  }
}

void FrmErrorPage::ShowCounters() {
  const diag::CounterTexts& c = page_.Counters();
  for (const auto& [box, text] : {std::pair{gas_, &c.gas}, std::pair{petrol_, &c.petrol},
                                  std::pair{to_service_, &c.to_service}}) {
    if (box->text() != Q(*text)) {
      box->setText(Q(*text));
    }
  }
  to_service_->setStyleSheet(
      c.overdue
          ? QStringLiteral("background: #%1;").arg(kOverdue & 0xFFFFFF, 6, 16, QLatin1Char('0'))
          : QString());
  to_service_->setToolTip(c.overdue ? Q(page_.Texts().overdue) : QString());
}

void FrmErrorPage::ShowServiceList() {
  low_list_shown_ = page_.LowListShown();
  service_->setObjectName(low_list_shown_ ? "CmbServiceLOW" : "CmbService");
  const QSignalBlocker quiet(service_);
  service_->clear();
  for (const std::string& item : page_.Service(low_list_shown_).items) {
    service_->addItem(Q(item));
  }
}

void FrmErrorPage::Refresh() {
  if (page_.LowListShown() != low_list_shown_) {
    ShowServiceList();
  }
  if (grid_->rowCount() != static_cast<int>(page_.Rows().size())) {
    FillGrid();
  }
  for (int r = 0; r < grid_->rowCount(); ++r) {
    ShowRow(r);
  }
  ShowCounters();
  const QSignalBlocker quiet(service_);
  service_->setCurrentIndex(page_.Service(low_list_shown_).index);
}

}  // namespace velmora::ui

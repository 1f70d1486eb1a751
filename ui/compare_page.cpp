#include "ui/compare_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/card_frame.h"
#include "ui/change_heat_view.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kSideWidth = 320;
constexpr int kPartsWidth = 280;
constexpr int kMapWidth = 380;

QString Q(const std::string& s) {
  return QString::fromUtf8(s.c_str());
}

CardFrame* Card(const char* name) {
  auto* c = new CardFrame;
  c->setObjectName(name);
  return c;
}

}  // namespace

ComparePage::ComparePage(pages::CompareModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      choose_(SystemFileChooser(this)),
      status_(new QLabel),
      sections_(new QTableWidget(0, 2)),
      lines_(new QListWidget),
      heat_(new ChangeHeatView),
      copy_(new QPushButton),
      top_(Card("CardConfronto")),
      parts_(Card("CardSezioni")),
      details_(Card("CardDifferenze")),
      map_(Card("CardMappa")) {
  setObjectName("PagConfronto");
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Colour(palette::kWindow));
  setPalette(pal);
  Build();
  CaricaLingua();
}

void ComparePage::Build() {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(spacing::kGap);
  for (int s = 0; s < pages::CompareModel::kSides; ++s) {
    auto* box = new QComboBox;
    box->setObjectName(s == 0 ? "CmbPrima" : "CmbSeconda");
    box->setMinimumWidth(kSideWidth);
    sides_[static_cast<std::size_t>(s)] = box;
    side_captions_[static_cast<std::size_t>(s)] = new QLabel;
    grid->addWidget(side_captions_[static_cast<std::size_t>(s)], s, 0);
    grid->addWidget(box, s, 1);
    connect(box, &QComboBox::activated, this, [this, s](int item) { ChooseSide(s, item); });
  }
  status_->setObjectName("LblEsito");
  QFont bold = status_->font();
  bold.setBold(true);
  status_->setFont(bold);
  copy_->setObjectName("CmdCopia");
  grid->addWidget(status_, 0, 2, 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
  grid->setColumnStretch(2, 1);
  grid->addWidget(copy_, 0, 3, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
  top_->Body()->addLayout(grid);
  BuildParts();
}

void ComparePage::BuildParts() {
  sections_->setObjectName("GrdSezioni");
  sections_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sections_->setSelectionBehavior(QAbstractItemView::SelectRows);
  sections_->setSelectionMode(QAbstractItemView::SingleSelection);
  sections_->verticalHeader()->hide();
  sections_->horizontalHeader()->hide();
  sections_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  sections_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  parts_->setFixedWidth(kPartsWidth);
  parts_->Body()->addWidget(sections_);
  connect(sections_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (!refreshing_) {
      model_.SelectRow(row);
      Refresh();
    }
  });

  lines_->setObjectName("LstDifferenze");
  details_->Body()->addWidget(lines_);
  map_->setFixedWidth(kMapWidth);
  map_->Body()->addWidget(heat_, 1);
  connect(copy_, &QPushButton::clicked, this, [this] {
    model_.CopySelected();
    Refresh();
  });

  auto* row = new QHBoxLayout;
  row->setSpacing(spacing::kGap);
  row->addWidget(parts_);
  row->addWidget(details_, 1);
  row->addWidget(map_);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(spacing::kPage, spacing::kPage, spacing::kPage, spacing::kPage);
  page->setSpacing(spacing::kGap);
  page->addWidget(top_);
  page->addLayout(row, 1);
}

void ComparePage::ChooseSide(int side, int item) {
  if (model_.IsOtherFileItem(item)) {
    const pages::CompareTexts& t = model_.Texts();
    const QString path = choose_(
        FileDialog::kOpen,
        Q(t.calibration_files) + " (*.xsi *.qvd *.tun);;" + Q(t.all_files) + " (*)", QString());
    if (!path.isEmpty()) {
      model_.ChooseFile(side, path.toUtf8().toStdString());
    }
  } else {
    model_.ChooseSide(side, item);
  }
  Refresh();
}

void ComparePage::CaricaLingua() {
  model_.CaricaLingua();
  const pages::CompareTexts& t = model_.Texts();
  top_->SetTitle(Q(t.title));
  for (std::size_t s = 0; s < side_captions_.size(); ++s) {
    side_captions_[s]->setText(Q(t.sides[s]));
  }
  parts_->SetTitle(Q(t.section));
  details_->SetTitle(Q(t.changes));
  map_->SetTitle(Q(t.map_change));
  Refresh();
}

void ComparePage::Refresh() {
  refreshing_ = true;
  const auto items = model_.SourceItems();
  for (int s = 0; s < pages::CompareModel::kSides; ++s) {
    QComboBox* box = sides_[static_cast<std::size_t>(s)];
    const QSignalBlocker block(box);
    box->clear();
    for (const std::string& item : items) {
      box->addItem(Q(item));
    }
    box->setCurrentIndex(model_.Side(s));
  }
  status_->setText(Q(model_.Status()));
  const auto rows = model_.Rows();
  sections_->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      sections_->setItem(static_cast<int>(r), static_cast<int>(c),
                         new QTableWidgetItem(Q(rows[r][c])));
    }
  }
  sections_->setCurrentCell(model_.SelectedRow(), 0);
  lines_->clear();
  for (const std::string& line : model_.Lines()) {
    lines_->addItem(Q(line));
  }
  heat_->SetChange(model_.MapChange());
  copy_->setText(Q(model_.CopyText()));
  copy_->setEnabled(model_.CanCopy());
  refreshing_ = false;
}

}  // namespace velmora::ui

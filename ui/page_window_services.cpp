#include "ui/page_window_services.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>

#include "ui/frm_change_axis.h"
#include "ui/frm_enter_value.h"

namespace velmora::ui {

PageWindowServices::PageWindowServices(const PageLinks& links, const std::string& version_text,
                                       std::function<void(int)> select_page, QWidget* parent)
    : lingue_(links.lingue),
      enter_value_(std::make_unique<FrmEnterValue>(links.box, &links.lingue, version_text, parent)),
      select_page_(std::move(select_page)),
      parent_(parent),
      requests_(links.requests),
      pages_env_{links.image,    links.table,        links.session,    *this,
                 links.box,      links.clock,        links.lingue,     links.paths,
                 links.requests, links.coefficients, links.main_title, links.scale},
      env_{links.image, links.table,        links.session, *this,
           links.box,   links.coefficients, links.lng_dir, links.main_title} {}

PageWindowServices::~PageWindowServices() = default;

void PageWindowServices::OfferValue(const pages::Limits& limits, int option,
                                    const std::string& text) {
  enter_value_->SistemaSoglie(limits);
  enter_value_->SelectOption(option);
  enter_value_->Prepare();
  enter_value_->ValueBox()->setText(QString::fromStdString(text));
  enter_value_->ValueBox()->selectAll();
  enter_value_->open();
}

void PageWindowServices::CloseDialogs() {
  if (enter_value_->isVisible()) {
    enter_value_->close();
  }
}

pages::EnteredValue PageWindowServices::AskValue(const pages::Limits& limits, int option) {
  enter_value_->SistemaSoglie(limits);
  enter_value_->SelectOption(option);
  enter_value_->Prepare();
  return enter_value_->Ask();
}

void PageWindowServices::Beep(int /*hertz*/, int /*milliseconds*/) {
  // The system bell is all a desktop offers without an audio device.
  QApplication::beep();
}

void PageWindowServices::SelezioneScheda(int page_code) {
  if (select_page_) {
    select_page_(page_code);
  }
}

void PageWindowServices::RefreshPage(int page_code) {
  if (refresh_page_) {
    refresh_page_(page_code);
  }
}

std::unique_ptr<FrmChangeAxisDialog> PageWindowServices::NewAxisEditor() const {
  return std::make_unique<FrmChangeAxisDialog>(maps::AxisEditorEnvOf(env_), &lingue_, parent_);
}

std::string PageWindowServices::ChooseFile(const pages::FileChoice& choice) {
  // "Name (*.a;*.b)|*.a;*.b": the part before "|" is what the dialog shows.
  const QString filter = QString::fromStdString(choice.filter).section(QLatin1Char('|'), 0, 0);
  const QString title = QString::fromStdString(choice.title);
  const QString folder = QString::fromStdString(choice.folder);
  const QString path = choice.save ? QFileDialog::getSaveFileName(parent_, title, folder, filter)
                                   : QFileDialog::getOpenFileName(parent_, title, folder, filter);
  return path.toStdString();
}

void PageWindowServices::OpenAxisEditor() {
  (void)RunAxisEditor(env_, &lingue_, parent_);
}

}  // namespace velmora::ui

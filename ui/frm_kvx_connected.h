#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>

#include "core/dictionary.h"
#include "core/text_block.h"
#include "link/port_discovery.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;

namespace velmora::ui {

class ConnectionIcon;

// The connection page: the state of the link, the connection picture that
// connects or disconnects, and the port selector.
class FrmKvxConnected : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // `lingue` may be null (built-in texts); it is not owned.
  explicit FrmKvxConnected(const core::ClsLingue* lingue = nullptr, QWidget* parent = nullptr);

  void CaricaLingua() override;

  // Fills the selector (CMB_Seriali): its text, then one line per port. No
  // line is chosen afterwards.
  void ElencaPorte(const link::PortListing& listing);
  // Shows `line` as the chosen one without calling the choice handler; an
  // index outside the list shows the selector's text.
  void MostraPorta(int line);
  // Shows the line of COM port `com` as the chosen one, when it is listed.
  void MostraPortaCom(int com);
  [[nodiscard]] const link::PortListing& Listing() const { return listing_; }

  // The user picked selector line `line` (the window then remembers that
  // port and reconnects).
  void SetOnPortChosen(std::function<void(std::size_t line)> handler) {
    on_port_chosen_ = std::move(handler);
  }
  // The user clicked the connection picture.
  void SetOnToggle(std::function<void()> handler);

  // The session state decides the caption, the action under the picture
  // and, outside the search, the picture; `frame` animates the search.
  void AggiornaStato(int session_state, int frame = 0);

  [[nodiscard]] QComboBox* Selector() const { return selector_; }
  [[nodiscard]] ConnectionIcon* Picture() const { return picture_; }

 private:
  [[nodiscard]] QString Text(int k, const char* fallback) const;
  void ShowState();

  const core::ClsLingue* lingue_;
  core::TextBlock texts_;
  int state_ = 0;
  link::PortListing listing_;
  QLabel* heading_;
  ConnectionIcon* picture_;
  QLabel* action_;
  QComboBox* selector_;
  std::function<void(std::size_t)> on_port_chosen_;
};

}  // namespace velmora::ui

#pragma once

#include <QWidget>
#include <functional>

namespace velmora::ui {

// The pictures of the connection indicator: five frames of the search
// animation, then disconnected and connected.
namespace connection_picture {
inline constexpr int kSearchFrames = 5;
inline constexpr int kDisconnected = 5;
inline constexpr int kConnected = 6;
}  // namespace connection_picture

// The picture for a session state: the search animation's `frame` while
// searching, disconnected in states 4 and 8, connected otherwise.
[[nodiscard]] int ConnectionPictureFor(int session_state, int frame);

// The connection picture: a round icon drawn for each of the seven pictures;
// a click calls the click handler (the connection page toggles the link).
class ConnectionIcon : public QWidget {
  Q_OBJECT
 public:
  explicit ConnectionIcon(QWidget* parent = nullptr);

  // An index outside the seven pictures shows the disconnected one.
  void SetPicture(int index);
  [[nodiscard]] int Picture() const { return picture_; }
  void SetOnClicked(std::function<void()> on_clicked) { on_clicked_ = std::move(on_clicked); }

  [[nodiscard]] QSize sizeHint() const override { return {96, 96}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int picture_ = connection_picture::kDisconnected;
  std::function<void()> on_clicked_;
};

}  // namespace velmora::ui

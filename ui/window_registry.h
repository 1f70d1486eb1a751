#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace velmora::ui {

// A window whose captions come from the dictionary.
class Captioned {
 public:
  virtual ~Captioned() = default;
  virtual void CaricaLingua() = 0;
};

// The open windows that take their captions from the dictionary, so that a
// language change re-captions all of them at once.
class WindowRegistry {
 public:
  void Add(QWidget* widget, Captioned* captioned) { entries_.push_back({widget, captioned}); }
  void Remove(Captioned* captioned) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) { return e.captioned == captioned; }),
                   entries_.end());
  }
  void RecaptionAll() {
    // Copy first: a window may open or close while captions are set.
    const auto entries = entries_;
    for (const auto& e : entries) {
      if (!e.widget.isNull()) {
        e.captioned->CaricaLingua();
      }
    }
  }

 private:
  struct Entry {
    QPointer<QWidget> widget;
    Captioned* captioned;
  };
  std::vector<Entry> entries_;
};

}  // namespace velmora::ui

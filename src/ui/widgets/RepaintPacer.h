// Paces the repaints of a widget that changes faster than a screen can show:
// a run changes the scene and the listing thousands of times a second, and
// painting them on screen each time would cost more than the step itself.
// Paced changes (those of a run) are shown thus: the first at the next event
// turn, those that follow within one interval together at its end, so the
// widget never lags the data by more than one interval and the last change of
// a run is always shown. An unpaced change (a command between runs) is shown
// at the next event turn. The data behind the widget stays current at every step: any
// paint, paced or not, shows the last values. Allocates nothing per change.
#pragma once

#include <QTimer>
#include <functional>

namespace vorun {

class RepaintPacer {
 public:
  // show asks for the repaint (normally the widget's update()).
  explicit RepaintPacer(std::function<void()> show, int intervalMs = 20) : show_(std::move(show)) {
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }

  // Shows a change that is still waiting for the end of its interval now,
  // for whoever needs the widget current at once.
  void Flush() {
    if (!pending_) return;
    pending_ = false;
    show_();
  }

  void Changed(bool paced) {
    if (!paced) {
      pending_ = false;
      show_();
      return;
    }
    if (timer_.isActive()) {
      pending_ = true;
      return;
    }
    show_();
    timer_.start();
  }

 private:
  void Tick() {
    if (!pending_) {
      timer_.stop();
      return;
    }
    pending_ = false;
    show_();
  }

  std::function<void()> show_;
  QTimer timer_;
  bool pending_ = false;
};

}  // namespace vorun

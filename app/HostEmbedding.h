#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QAbstractNativeEventFilter>
#include <QWindow>

class QWidget;

namespace tto::app {

// Hosted mode on X11: the main window lives inside a window of another program (Velmora),
// named by its X window id. The main window becomes a child of that window at (0,0) and
// keeps its own size. X destroys our window together with the host's, and then nothing
// would ever end the program, so the host is watched and hostGone called once when it
// (or our window inside it) is destroyed.
class HostEmbedding : public QAbstractNativeEventFilter {
 public:
  // Whether the id names an existing window on our display. Only the X11 platform can
  // tell; elsewhere (offscreen, Wayland) the answer is false.
  static bool WindowExists(std::uint32_t windowId);

  // Makes the top-level widget (not yet shown) a child of the window hostId. Answers
  // null, changing nothing, when that is no window on our display.
  static std::unique_ptr<HostEmbedding> Embed(QWidget& window, std::uint32_t hostId,
                                              std::function<void()> hostGone);

  ~HostEmbedding() override;
  HostEmbedding(const HostEmbedding&) = delete;
  HostEmbedding& operator=(const HostEmbedding&) = delete;

  // The host as a Qt window, for the dialogs' transient parent.
  QWindow* Host() const { return host_.get(); }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  HostEmbedding(std::unique_ptr<QWindow> host, std::uint32_t hostId, std::uint32_t ownId,
                std::function<void()> hostGone);

  std::unique_ptr<QWindow> host_;
  std::uint32_t hostId_;
  std::uint32_t ownId_;
  std::function<void()> hostGone_;
  bool reported_ = false;
};

}  // namespace tto::app

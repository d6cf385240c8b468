#include "app/HostEmbedding.h"

#include <cstdlib>

#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

namespace tto::app {

namespace {

xcb_connection_t* X11Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

bool HostEmbedding::WindowExists(std::uint32_t windowId) {
  xcb_connection_t* connection = X11Connection();
  // Id 0 is no window; asking Qt to wrap it would create a new, invisible one.
  if (connection == nullptr || windowId == 0) return false;
  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* reply =
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, windowId), &error);
  std::free(error);
  const bool exists = reply != nullptr;
  std::free(reply);
  return exists;
}

std::unique_ptr<HostEmbedding> HostEmbedding::Embed(QWidget& window, std::uint32_t hostId,
                                                    std::function<void()> hostGone) {
  if (!WindowExists(hostId)) return nullptr;
  std::unique_ptr<QWindow> host(QWindow::fromWinId(static_cast<WId>(hostId)));
  if (!host) return nullptr;

  window.winId();
  QWindow* own = window.windowHandle();
  if (own == nullptr) return nullptr;
  own->setParent(host.get());
  window.move(0, 0);

  // Our own selection of structure events on the host; other clients keep theirs.
  xcb_connection_t* connection = X11Connection();
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, hostId, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection);

  return std::unique_ptr<HostEmbedding>(new HostEmbedding(
      std::move(host), hostId, static_cast<std::uint32_t>(window.winId()), std::move(hostGone)));
}

HostEmbedding::HostEmbedding(std::unique_ptr<QWindow> host, std::uint32_t hostId,
                             std::uint32_t ownId, std::function<void()> hostGone)
    : host_(std::move(host)), hostId_(hostId), ownId_(ownId), hostGone_(std::move(hostGone)) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

HostEmbedding::~HostEmbedding() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool HostEmbedding::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (reported_ || eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
  const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
  if (destroyed->window == hostId_ || destroyed->window == ownId_) {
    reported_ = true;
    // Called after this event has been handled, so the callback may end the program.
    QMetaObject::invokeMethod(QCoreApplication::instance(), hostGone_, Qt::QueuedConnection);
  }
  return false;
}

}  // namespace tto::app

// The package library's message route: one process-wide sink, guarded by a lock, so that
// a sink installed on one thread is seen whole on another.
#include "message_route.h"

#include <mutex>
#include <utility>

#include "base/platform.h"

namespace klv {
namespace {

struct Route {
  std::mutex mutex;
  MessageSink sink;
};

// Never destroyed: a message may still be shown while static objects go away.
Route& TheRoute() {
  static Route* route = new Route;
  return *route;
}

}  // namespace

void SetMessageSink(MessageSink sink) {
  Route& route = TheRoute();
  std::lock_guard<std::mutex> lock(route.mutex);
  route.sink = std::move(sink);
}

void RouteMessage(const std::string& text) {
  Route& route = TheRoute();
  MessageSink sink;
  {
    std::lock_guard<std::mutex> lock(route.mutex);
    sink = route.sink;
  }
  if (sink) {
    sink(text);
    return;
  }
  ShowMessageByDefault(text);
}

}  // namespace klv
